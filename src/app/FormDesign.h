#pragma once

#include "core/listing/FolderListing.h"

#include <QRgb>
#include <QStringList>

#include <vector>

class QWidget;

// The launcher window as designed: every control, its place and its look, in one table.
namespace design {

enum class Kind {
    Panel,
    Label,
    Button,
    Option,
    CheckBox,
    Band, // the caption-less check box behind the extra-parameter row
    TextBox,
    NotesBox,
    FolderList,
    Picture,
    DriveList,
};

// Geometry in twips, relative to the container: 15 twips make one pixel at 96 dpi.
constexpr int TwipsPerPixel = 15;
constexpr int WindowWidth = 10515;
constexpr int WindowHeight = 8430;

struct Control
{
    const char *name;
    Kind kind;
    const char *container; // nullptr: the window itself
    int left, top, width, height;
    const char *text; // caption or initial text
    const char *tooltip;
    QRgb background;     // 0: the container's
    QRgb foreground;     // 0: the system's text colour
    const char *pattern; // folder lists only
    bool listsPrograms;  // folder lists only: programs without a suffix too
};

struct Line
{
    const char *name;
    int x1, y1, x2, y2;
};

extern const char *const WindowCaption;
extern const QRgb WindowBackground;

// Back to front: a control listed later lies in front of those before it.
const std::vector<Control> &controls();
// Decoration drawn behind every control.
const std::vector<Line> &lines();
// Keyboard focus order; the first one holds the focus when the window opens.
const QStringList &tabOrder();

int toPixels(int twips);

// Which files the folder list `name` shows.
ListingRule listingRule(const QString &name);

// Creates every control as a child of `window` and sets the tab order.
void build(QWidget *window);

} // namespace design
