// Writes the window's icon in the freedesktop sizes: OUT/NxN/apps/zel.png.
#include "app/Artwork.h"

#include <QDir>
#include <QGuiApplication>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2)
        return 2;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(folder) ||
            !artwork::iconPixmap(size).save(folder + QStringLiteral("/zel.png")))
            return 1;
    }
    return 0;
}
