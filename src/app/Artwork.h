#pragma once

#include <QIcon>
#include <QPixmap>

// The launcher's own pictures, painted rather than shipped so the build needs no assets.
namespace artwork {

// The window icon, drawn at `size` pixels square.
QPixmap iconPixmap(int size);
QIcon windowIcon();

// The header picture, 75 x 45 pixels.
QPixmap headerPicture();

} // namespace artwork
