#include "app/FormDesign.h"

#include "app/Artwork.h"
#include "controls/Controls.h"
#include "lists/FolderList.h"
#include "platform/Platform.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <cmath>

namespace design {

namespace {

const QRgb Grey = qRgb(224, 224, 224);
const QRgb Cyan = qRgb(192, 255, 255);
const QRgb Silver = qRgb(192, 192, 192);
const QRgb White = qRgb(255, 255, 255);
const QRgb Yellow = qRgb(255, 255, 192);
const QRgb Pink = qRgb(255, 192, 192);
const QRgb Salmon = qRgb(255, 128, 128);
const QRgb Green = qRgb(192, 255, 192);
const QRgb Blue = qRgb(192, 192, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Red = qRgb(255, 0, 0);

// Qt's own light scheme, which the design's colours were chosen against. The window keeps it
// on any desktop: every background is fixed, so a dark theme's light text would be unreadable.
struct Shade
{
    QPalette::ColorRole role;
    QRgb normal, disabled;
};
const Shade LightScheme[] = {
    {QPalette::WindowText, qRgb(0, 0, 0), qRgb(190, 190, 190)},
    {QPalette::Button, qRgb(239, 239, 239), qRgb(239, 239, 239)},
    {QPalette::Light, qRgb(255, 255, 255), qRgb(255, 255, 255)},
    {QPalette::Midlight, qRgb(202, 202, 202), qRgb(202, 202, 202)},
    {QPalette::Dark, qRgb(159, 159, 159), qRgb(190, 190, 190)},
    {QPalette::Mid, qRgb(184, 184, 184), qRgb(184, 184, 184)},
    {QPalette::Text, qRgb(0, 0, 0), qRgb(190, 190, 190)},
    {QPalette::BrightText, qRgb(255, 255, 255), qRgb(255, 255, 255)},
    {QPalette::ButtonText, qRgb(0, 0, 0), qRgb(190, 190, 190)},
    {QPalette::Base, qRgb(255, 255, 255), qRgb(239, 239, 239)},
    {QPalette::Window, qRgb(239, 239, 239), qRgb(239, 239, 239)},
    {QPalette::Shadow, qRgb(118, 118, 118), qRgb(177, 177, 177)},
    {QPalette::Highlight, qRgb(48, 140, 198), qRgb(145, 145, 145)},
    {QPalette::HighlightedText, qRgb(255, 255, 255), qRgb(255, 255, 255)},
    {QPalette::Link, qRgb(0, 0, 255), qRgb(0, 0, 255)},
    {QPalette::LinkVisited, qRgb(255, 0, 255), qRgb(255, 0, 255)},
    {QPalette::AlternateBase, qRgb(247, 247, 247), qRgb(247, 247, 247)},
    {QPalette::NoRole, qRgb(0, 0, 0), qRgb(0, 0, 0)},
    {QPalette::ToolTipBase, qRgb(255, 255, 220), qRgb(255, 255, 220)},
    {QPalette::ToolTipText, qRgb(0, 0, 0), qRgb(0, 0, 0)},
    {QPalette::PlaceholderText, qRgba(0, 0, 0, 128), qRgba(0, 0, 0, 128)},
};

const char *const ImageTip = "Visit https://www.doomworld.com , if you dare!";

// clang-format off
const std::vector<Control> Controls = {
    // name        kind            container  left   top  width height text  tooltip  back  fore  pattern  programs
    {"Image1",    Kind::Picture,    nullptr,   120,  120, 1125,  675, "", ImageTip, 0, 0, nullptr, false},
    {"Drive1",    Kind::DriveList,  nullptr,  1440,  360,  735,  315, "", nullptr, 0, 0, nullptr, false},
    {"Text6",     Kind::NotesBox,   nullptr,  1320,  120,  975,  645, "Gravemill\n", nullptr, Grey, Red, nullptr, false},

    {"Label6",    Kind::Label,      nullptr,  2760,  120,  960,  195, "Game Engine", nullptr, Grey, 0, nullptr, false},
    {"File6",     Kind::FolderList, nullptr,  2400,  360, 1335, 1590, "", nullptr, Pink, 0, "*.exe;*.wad", true},
    {"Label11",   Kind::Label,      nullptr,  2760, 2520,  900,  195, "Game IWAD", nullptr, Grey, 0, nullptr, false},
    {"File11",    Kind::FolderList, nullptr,  2400, 2760, 1335, 1590, "", nullptr, Pink, 0, "*.wad", false},
    {"Label19",   Kind::Label,      nullptr,  2880, 5280,  810,  195, "IWAD Safe", nullptr, Grey, 0, nullptr, false},
    {"File5",     Kind::FolderList, nullptr,  2400, 5520, 1335, 1980, "", nullptr, Salmon, 0, "*.wad", false},
    {"Label8",    Kind::Label,      nullptr,  4680,  120,  630,  195, "PWAD 1", nullptr, Grey, 0, nullptr, false},
    {"File8",     Kind::FolderList, nullptr,  3840,  360, 1440, 4515, "", nullptr, Green, 0, "*.wad", false},
    {"Label9",    Kind::Label,      nullptr,  6240,  120,  630,  195, "PWAD 2", nullptr, Grey, 0, nullptr, false},
    {"File9",     Kind::FolderList, nullptr,  5400,  360, 1440, 4515, "", nullptr, Green, 0, "*.wad", false},
    {"Label10",   Kind::Label,      nullptr,  7320,  120, 1140,  195, "OpenGL PWAD", nullptr, Grey, 0, nullptr, false},
    {"File10",    Kind::FolderList, nullptr,  6960,  360, 1440, 4515, "", nullptr, Blue, 0, "*.wad", false},
    {"Label7",    Kind::Label,      nullptr,  9120,  720,  765,  195, "Play Demo", nullptr, Grey, 0, nullptr, false},
    {"File7",     Kind::FolderList, nullptr,  8520,  960, 1440, 3930, "", nullptr, Yellow, 0, "*.lmp", false},
    {"Label12",   Kind::Label,      nullptr,  9000,  120,  990,  195, "Record Demo", nullptr, Grey, 0, nullptr, false},
    {"Text1",     Kind::TextBox,    nullptr,  8520,  360, 1455,  285, "", nullptr, Yellow, 0, nullptr, false},

    {"Command18", Kind::Button,     nullptr,  3240, 2040,  495,  255, "del", "deletes selected WAD from Game-EXE-folder", 0, 0, nullptr, false},
    {"Command17", Kind::Button,     nullptr,  2040, 2400,  495,  255, "copy", "copies selected IWAD to the Game-EXE-folder", 0, 0, nullptr, false},
    {"Command20", Kind::Button,     nullptr,  3240, 4440,  495,  255, "del", "deletes selected file", 0, 0, nullptr, false},
    {"Command13", Kind::Button,     nullptr,  2280, 4800, 1335,  255, "make GL IWAD", "creates a bockup of the main IWAD and executes 'zennode' nodebuilder-tool to create an IWAD with better OpenGL-compatibility.", 0, 0, nullptr, false},
    {"Command19", Kind::Button,     nullptr,  2040, 5160,  495,  255, "copy", "copies selected IWAD to the IWAD-folder.", 0, 0, nullptr, false},
    {"Command5",  Kind::Button,     nullptr,  4560, 4995, 1695,  255, "make GL PWAD", "executes 'zennode' nodebuilder-tool to create a PWAD with better OpenGL-compatibility.", 0, 0, nullptr, false},
    {"Command6",  Kind::Button,     nullptr,  7440, 4920,  855,  255, "delete", "deletes selected OpenGL-PWAD", 0, 0, nullptr, false},
    {"Command7",  Kind::Button,     nullptr,  9000, 4920,  855,  255, "delete", "deletes selected demo", 0, 0, nullptr, false},
    {"Command16", Kind::Button,     nullptr,  9960,  680,  495,  255, "rec", "re-records  selected demo", 0, 0, nullptr, false},

    {"Frame2",    Kind::Panel,      nullptr,   120,  840, 1845, 3015, "", nullptr, Cyan, 0, nullptr, false},
    {"Label13",   Kind::Label,      "Frame2",  120,   40,  285,  195, "Skill", nullptr, Cyan, 0, nullptr, false},
    {"Option1",   Kind::Option,     "Frame2",   40,  345, 1785,  255, "I'm too young to die.", nullptr, Cyan, 0, nullptr, false},
    {"Option2",   Kind::Option,     "Frame2",   40,  600, 1680,  255, "Hey, not too rough.", nullptr, Cyan, 0, nullptr, false},
    {"Option3",   Kind::Option,     "Frame2",   40,  840, 1680,  255, "Hurt me plenty.", nullptr, Cyan, 0, nullptr, false},
    {"Option4",   Kind::Option,     "Frame2",   40, 1125, 1320,  255, "Ultra Violence", nullptr, Cyan, 0, nullptr, false},
    {"Option5",   Kind::Option,     "Frame2",   40, 1380, 1095,  255, "Nightmare!", nullptr, Cyan, 0, nullptr, false},
    {"Label14",   Kind::Label,      "Frame2",  120, 1800,  825,  195, "Load Game", nullptr, Cyan, 0, nullptr, false},
    {"Option12",  Kind::Option,     "Frame2",   40, 2130,  600,  255, "0", nullptr, Cyan, 0, nullptr, false},
    {"Option11",  Kind::Option,     "Frame2",   40, 2385,  600,  255, "1", nullptr, Cyan, 0, nullptr, false},
    {"Option10",  Kind::Option,     "Frame2",   40, 2640,  600,  255, "2", nullptr, Cyan, 0, nullptr, false},
    {"Option9",   Kind::Option,     "Frame2",  945, 2130,  600,  255, "3", nullptr, Cyan, 0, nullptr, false},
    {"Option8",   Kind::Option,     "Frame2",  945, 2385,  600,  255, "4", nullptr, Cyan, 0, nullptr, false},
    {"Option7",   Kind::Option,     "Frame2",  945, 2640,  600,  255, "5", nullptr, Cyan, 0, nullptr, false},

    {"Frame5",    Kind::Panel,      nullptr,   120, 4080, 1845, 1455, "", nullptr, Cyan, 0, nullptr, false},
    {"Label15",   Kind::Label,      "Frame5",  120,  120,  390,  195, "Warp", nullptr, Cyan, 0, nullptr, false},
    {"Text3",     Kind::TextBox,    "Frame5",  120,  360,  615,  285, "", nullptr, White, 0, nullptr, false},
    {"Label18",   Kind::Label,      "Frame5",  960,  120,  720,  195, "MaxDemo", nullptr, Cyan, 0, nullptr, false},
    {"Text5",     Kind::TextBox,    "Frame5",  960,  360,  615,  285, "", nullptr, White, 0, nullptr, false},
    {"Label17",   Kind::Label,      "Frame5",  120,  840,  420,  195, "Turbo", nullptr, Cyan, 0, nullptr, false},
    {"Text4",     Kind::TextBox,    "Frame5",  120, 1080,  615,  285, "", nullptr, White, 0, nullptr, false},

    {"Label16",   Kind::Label,      nullptr,   120, 5760, 1845,  315, "  CMD-Line Parameter", nullptr, Cyan, 0, nullptr, false},
    {"Check1",    Kind::CheckBox,   nullptr,   120, 6000, 1845,  255, "-nomonsters", nullptr, Cyan, 0, nullptr, false},
    {"Check2",    Kind::CheckBox,   nullptr,   120, 6240, 1845,  255, "-respawn", nullptr, Cyan, 0, nullptr, false},
    {"Check3",    Kind::CheckBox,   nullptr,   120, 6480, 1845,  255, "-fast", nullptr, Cyan, 0, nullptr, false},
    {"Check4",    Kind::CheckBox,   nullptr,   120, 6720, 1845,  255, "-nomusic", nullptr, Cyan, 0, nullptr, false},
    {"Check5",    Kind::CheckBox,   nullptr,   120, 6960, 1845,  255, "-nosfx", nullptr, Cyan, 0, nullptr, false},
    {"Check6",    Kind::CheckBox,   nullptr,   120, 7200, 1845,  255, "-nosound", nullptr, Cyan, 0, nullptr, false},
    {"Check7",    Kind::CheckBox,   nullptr,   120, 7440, 1845,  255, "-devparm", nullptr, Cyan, 0, nullptr, false},

    {"Check8",    Kind::Band,       nullptr,   120, 7680, 10215, 495, "", nullptr, Cyan, 0, nullptr, false},
    {"Text2",     Kind::TextBox,    nullptr,   360, 7800, 8655,  285, "-", nullptr, White, 0, nullptr, false},
    {"Command14", Kind::Button,     nullptr,  9120, 7800, 1095,  255, "clear", nullptr, 0, 0, nullptr, false},

    {"Frame3",    Kind::Panel,      nullptr,  4080, 5640, 6255, 1935, "", nullptr, Silver, 0, nullptr, false},
    {"Label1",    Kind::Label,      "Frame3",  120,  240,  435,  195, "action", nullptr, Silver, Black, nullptr, false},
    {"Label2",    Kind::Label,      "Frame3",  120, 1080,  435,  195, "config", nullptr, Silver, Black, nullptr, false},
    {"Command22", Kind::Button,     "Frame3",  120, 1440,  975,  255, "IWAD Safe", nullptr, 0, 0, nullptr, false},
    {"Command23", Kind::Button,     "Frame3", 1200, 1440,  735,  255, "IWADs", nullptr, 0, 0, nullptr, false},
    {"Command21", Kind::Button,     "Frame3", 2040, 1440,  975,  255, "Game-EXE", nullptr, 0, 0, nullptr, false},
    {"Command24", Kind::Button,     "Frame3", 3120, 1440,  855,  255, "PWAD 1", nullptr, 0, 0, nullptr, false},
    {"Command25", Kind::Button,     "Frame3", 4080, 1440,  855,  255, "PWAD 2", nullptr, 0, 0, nullptr, false},
    {"Command1",  Kind::Button,     "Frame3", 5040, 1440,  855,  255, "store", nullptr, 0, 0, nullptr, false},

    {"Command12", Kind::Button,     nullptr,  4200, 6240, 1335,  375, "play", "AAaarrgghhh!", 0, 0, nullptr, false},
    {"Command11", Kind::Button,     nullptr,  5640, 6240, 1335,  375, "play 'n' exit", nullptr, 0, 0, nullptr, false},
    {"Command10", Kind::Button,     nullptr,  7080, 6240,  975,  375, "exit", nullptr, 0, 0, nullptr, false},
    {"Command15", Kind::Button,     nullptr,  8160, 6240, 1815,  375, " refresh folder view", nullptr, 0, 0, nullptr, false},
};

// Five arrows: each a path of strokes ending in a two-stroke head.
const std::vector<Line> Lines = {
    // IWAD list to game-engine list
    {"Line15", 2400, 3360, 2160, 3360}, {"Line18", 2160, 3360, 2160, 2040},
    {"Line19", 2160, 2040, 2400, 2040}, {"Line20", 2280, 1920, 2400, 2040},
    {"Line21", 2280, 2160, 2400, 2040},
    // IWAD safe list to IWAD list
    {"Line22", 2400, 6240, 2160, 6240}, {"Line23", 2160, 6240, 2160, 4080},
    {"Line24", 2160, 4080, 2400, 4080}, {"Line25", 2280, 3960, 2400, 4080},
    {"Line26", 2280, 4200, 2400, 4080},
    // loop under the IWAD list
    {"Line7", 2520, 4440, 2520, 4680}, {"Line8", 2520, 4680, 3000, 4680},
    {"Line9", 3000, 4680, 3000, 4440}, {"Line10", 2880, 4560, 3000, 4440},
    {"Line11", 3120, 4560, 3000, 4440},
    // PWAD lists to GL-node PWAD list
    {"Line1", 4200, 4920, 4200, 5400}, {"Line2", 6600, 4920, 6600, 5400},
    {"Line3", 4200, 5400, 7200, 5400}, {"Line4", 7200, 5400, 7200, 4920},
    {"Line5", 7080, 5160, 7200, 4920}, {"Line6", 7320, 5160, 7200, 4920},
    // demo list to demo-name box
    {"Line12", 9960, 1440, 10200, 1440}, {"Line13", 10200, 1440, 10200, 480},
    {"Line14", 10200, 480, 9960, 480}, {"Line16", 10080, 360, 9960, 480},
    {"Line17", 10080, 600, 9960, 480},
};

const QStringList TabOrder = {
    "Command12", "File6", "File8", "File9", "File10", "Command5", "Command7", "Command6",
    "Option1", "Option2", "Option3", "Option4", "Option5", "File11", "Text1", "File7",
    "Check1", "Check2", "Check3", "Check4", "Check5", "Check6", "Check7", "Check8",
    "Text2", "Command10", "Command11", "Text3", "Command13", "Option11", "Option10",
    "Option9", "Option8", "Option7", "Option12", "Command14", "Command15", "Command16",
    "Text4", "Command17", "Command18", "File5", "Text5", "Command19", "Command20",
    "Command22", "Command25", "Command24", "Command23", "Command21", "Drive1", "Text6",
    "Command1",
};
// What a screen reader calls the controls whose caption does not say it (lists, boxes,
// numbered slots); the others are called by their caption.
const std::vector<std::pair<const char *, const char *>> AccessibleNames = {
    {"Image1", "Gravemill picture"}, {"Drive1", "Drive"}, {"Text6", "Notes"},
    {"File6", "Game Engine"}, {"File11", "Game IWAD"}, {"File5", "IWAD Safe"},
    {"File8", "PWAD 1"}, {"File9", "PWAD 2"}, {"File10", "OpenGL PWAD"},
    {"File7", "Play Demo"}, {"Text1", "Record Demo"}, {"Frame2", "Skill and Load Game"},
    {"Option12", "Load Game 0"}, {"Option11", "Load Game 1"}, {"Option10", "Load Game 2"},
    {"Option9", "Load Game 3"}, {"Option8", "Load Game 4"}, {"Option7", "Load Game 5"},
    {"Frame5", "Warp, Turbo and MaxDemo"}, {"Text3", "Warp"}, {"Text5", "MaxDemo"},
    {"Text4", "Turbo"}, {"Check8", "use the CMD-Line Parameter"}, {"Text2", "CMD-Line Parameter"},
    {"Command14", "clear CMD-Line Parameter"}, {"Frame3", "actions and config"},
    {"Command18", "del WAD from Game-EXE-folder"}, {"Command17", "copy IWAD to Game-EXE-folder"},
    {"Command20", "del IWAD"}, {"Command19", "copy IWAD Safe to IWAD-folder"},
    {"Command6", "delete OpenGL PWAD"}, {"Command7", "delete demo"}, {"Command16", "rec demo"},
    {"Command22", "config IWAD Safe folder"}, {"Command23", "config IWADs folder"},
    {"Command21", "config Game-EXE folder"}, {"Command24", "config PWAD 1 folder"},
    {"Command25", "config PWAD 2 folder"},
};
// clang-format on

QPalette lightPalette()
{
    QPalette palette;
    for (const Shade &shade : LightScheme) {
        // Each role set by hand, so none is left to the desktop.
        for (const auto group : {QPalette::Active, QPalette::Inactive})
            palette.setColor(group, shade.role, QColor::fromRgba(shade.normal));
        palette.setColor(QPalette::Disabled, shade.role, QColor::fromRgba(shade.disabled));
    }
    return palette;
}

QFont defaultFont()
{
    const platform::WindowFont face = platform::windowFont();
    QFont font;
    font.setFamilies(face.families);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    if (face.heightHintingOnly)
        font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}

// How wide a caption may be: a label's whole width but its margins, a radio button's or
// check box's beside its indicator.
int captionRoom(QWidget *control, const QString &caption)
{
    if (qobject_cast<QLabel *>(control)) {
        return control->width() - (control->sizeHint().width() -
                                   QFontMetrics(control->font()).horizontalAdvance(caption));
    }
    QStyleOptionButton option;
    option.initFrom(control);
    option.text = caption;
    const QStyle::SubElement contents = qobject_cast<QRadioButton *>(control)
                                            ? QStyle::SE_RadioButtonContents
                                            : QStyle::SE_CheckBoxContents;
    return control->style()->subElementRect(contents, &option, control).width();
}

// The captions were laid out for a narrower face than those that stand in for it here;
// one that would be clipped is set a little smaller instead.
void fitCaption(QWidget *control, const QString &caption)
{
    const int room = captionRoom(control, caption);
    QFont font = control->font();
    while (QFontMetrics(font).horizontalAdvance(caption) > room && font.pointSizeF() > 6.0)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    if (font != control->font())
        control->setFont(font);
}

void paint(QWidget *widget, QPalette::ColorRole role, QRgb colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, QColor(colour));
    widget->setPalette(palette);
}

QWidget *create(const Control &c, QWidget *parent)
{
    const QString text = QString::fromUtf8(c.text);
    switch (c.kind) {
    case Kind::Panel: {
        auto *frame = new QFrame(parent);
        frame->setFrameShape(QFrame::NoFrame);
        return frame;
    }
    case Kind::Label:
        return new ClickableLabel(text, parent);
    case Kind::Button:
        return new QPushButton(text, parent);
    case Kind::Option:
        return new QRadioButton(text, parent);
    case Kind::CheckBox:
        return new QCheckBox(text, parent);
    case Kind::Band:
        return new BandCheckBox(parent);
    case Kind::TextBox:
        return new QLineEdit(text, parent);
    case Kind::NotesBox: {
        auto *notes = new NotesBox(parent);
        notes->setNotes(text);
        QFont font = defaultFont();
        font.setBold(true);
        notes->setFont(font);
        // Tab moves on to "store", as in every other box; a tab would be saved in the notes.
        notes->setTabChangesFocus(true);
        return notes;
    }
    case Kind::FolderList:
        return new FolderList(listingRule(QString::fromUtf8(c.name)), parent);
    case Kind::Picture: {
        auto *picture = new QLabel(parent);
        picture->setPixmap(artwork::headerPicture());
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return picture;
    }
    case Kind::DriveList: {
        // Kept for the layout only: no drives here, and it never takes the focus.
        auto *drives = new QComboBox(parent);
        drives->setFocusPolicy(Qt::NoFocus);
        return drives;
    }
    }
    return nullptr;
}

} // namespace

const char *const WindowCaption = "ZEL  Gravemill";
const QRgb WindowBackground = Grey;

const std::vector<Control> &controls()
{
    return Controls;
}

const std::vector<Line> &lines()
{
    return Lines;
}

const QStringList &tabOrder()
{
    return TabOrder;
}

ListingRule listingRule(const QString &name)
{
    for (const Control &c : Controls) {
        if (c.kind == Kind::FolderList && name == QLatin1String(c.name))
            return ListingRule(QString::fromUtf8(c.pattern), c.listsPrograms);
    }
    Q_ASSERT_X(false, "design::listingRule", qPrintable(name));
    return ListingRule(QString());
}

int toPixels(int twips)
{
    return int(std::lround(double(twips) / TwipsPerPixel));
}

void build(QWidget *window)
{
    window->setObjectName(QStringLiteral("Form1"));
    window->setWindowTitle(QString::fromUtf8(WindowCaption));
    window->setWindowIcon(artwork::windowIcon());
    window->setFont(defaultFont());
    window->setFixedSize(toPixels(WindowWidth), toPixels(WindowHeight));
    window->setAutoFillBackground(true);
    QPalette palette = lightPalette();
    palette.setColor(QPalette::Window, QColor(WindowBackground));
    window->setPalette(palette);

    for (const Control &c : Controls) {
        QWidget *parent =
            c.container ? window->findChild<QWidget *>(QString::fromUtf8(c.container)) : window;
        QWidget *widget = create(c, parent);
        widget->setObjectName(QString::fromUtf8(c.name));
        widget->setGeometry(toPixels(c.left), toPixels(c.top), toPixels(c.width),
                            toPixels(c.height));
        if (c.tooltip)
            widget->setToolTip(QString::fromUtf8(c.tooltip));
        if (c.kind == Kind::Label || c.kind == Kind::Option || c.kind == Kind::CheckBox)
            fitCaption(widget, QString::fromUtf8(c.text));

        const bool editable =
            c.kind == Kind::TextBox || c.kind == Kind::NotesBox || c.kind == Kind::FolderList;
        if (c.background) {
            if (!editable)
                widget->setBackgroundRole(QPalette::Window); // buttons default to Button
            paint(widget, editable ? QPalette::Base : QPalette::Window, c.background);
            widget->setAutoFillBackground(!editable);
        }
        if (c.foreground)
            paint(widget, editable ? QPalette::Text : QPalette::WindowText, c.foreground);
    }

    for (const Control &c : Controls) {
        auto *widget = window->findChild<QWidget *>(QString::fromUtf8(c.name));
        widget->setAccessibleName(QString::fromUtf8(c.text).trimmed());
        if (c.tooltip)
            widget->setAccessibleDescription(QString::fromUtf8(c.tooltip));
    }
    for (const auto &[name, accessible] : AccessibleNames)
        window->findChild<QWidget *>(QString::fromUtf8(name))
            ->setAccessibleName(QString::fromUtf8(accessible));

    QWidget *previous = nullptr;
    for (const QString &name : TabOrder) {
        QWidget *next = window->findChild<QWidget *>(name);
        if (!next || next->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    }
}

} // namespace design
