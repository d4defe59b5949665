// The window on Windows, as a player there meets it: paths in the system's spelling and short
// form, the engine started maximized with every argument whole, write protection by the
// read-only attribute, and the node builder as zennode.exe.
#include "EngineRecord.h"
#include "app/FormDesign.h"
#include "controls/Controls.h"
#include "core/settings/LauncherSettings.h"
#include "lists/FolderList.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include <windows.h>

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool setReadOnly(const QString &path)
{
    return ::SetFileAttributesW(native(path).toStdWString().c_str(), FILE_ATTRIBUTE_READONLY);
}

// Whether `text` drawn in `font` leaves any ink.
bool leavesInk(const QFont &font, const QString &text)
{
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.drawText(8, 22, text);
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 200)
                return true;
        }
    }
    return false;
}

// Whether `control` has less room for `caption` than it takes: a button within its bevel, a
// radio button or check box beside its indicator, a label within its margins.
bool isClipped(QWidget *control, const QString &caption)
{
    const int width = QFontMetrics(control->font()).horizontalAdvance(caption);
    if (qobject_cast<QPushButton *>(control))
        return width + 4 > control->width();
    if (qobject_cast<QLabel *>(control))
        return control->sizeHint().width() > control->width();
    QStyleOptionButton option;
    option.initFrom(control);
    const QStyle::SubElement contents = qobject_cast<QRadioButton *>(control)
                                            ? QStyle::SE_RadioButtonContents
                                            : QStyle::SE_CheckBoxContents;
    return width > control->style()->subElementRect(contents, &option, control).width();
}

// Launch folders whose names hold blanks and letters outside the 8-bit code page, the
// stand-in engine as engine.exe and the stand-in node builder as zennode.exe.
struct WindowsBench : LaunchBench
{
    WindowsBench()
        : LaunchBench(QString::fromUtf8("my engines Движки"), "my iwads", "pwads one", "pwads2")
    {
        QFile::copy(ZEL_STANDIN_ENGINE, engines + "/engine.exe");
        QFile::copy(ZEL_STANDIN_ZENNODE, work.file("zennode.exe"));
        work.write("my iwads/DOOM2.WAD", "IWAD");
        work.write("safe/DOOM2.WAD", "safe IWAD");
        work.write(QString::fromUtf8("my engines Движки/demo1.lmp"), "demo");
        work.write("pwads one/x.wad", "x");
    }
};

} // namespace

class TestWindowsWindow : public QObject
{
    Q_OBJECT

private slots:
    // Every letter of every caption is drawn, in one of the faces asked for, and no caption is
    // clipped. The offscreen platform has no faces on Windows: CMake runs this once more on
    // the system's own platform, with the faces Wine brings in the prefix.
    void everyCaptionIsDrawnWhole()
    {
        if (QGuiApplication::platformName() != "windows")
            QSKIP("drawn by the system's own platform only");
        QWidget window;
        design::build(&window);
        QStringList faults;
        for (const design::Control &c : design::controls()) {
            const QString text = QString::fromUtf8(c.text).trimmed();
            if (text.isEmpty() || c.kind == design::Kind::TextBox ||
                c.kind == design::Kind::NotesBox)
                continue;
            auto *widget = window.findChild<QWidget *>(c.name);
            const QFont font = widget->font();
            const QString face = QFontInfo(font).family();
            if (!platform::windowFont().families.contains(face))
                faults << QString("%1 in %2").arg(c.name, face);
            for (const QChar letter : text) {
                if (!letter.isSpace() && !leavesInk(font, letter))
                    faults << QString("%1 without %2").arg(c.name, letter);
            }
            if (isClipped(widget, text))
                faults << QString("%1 clipped").arg(c.name);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(", ")));
    }

    // ProgramFolder is the short form of the working folder; what the lists, tooltips and
    // zel.cfg hold is spelled with "\", though Qt's dialog hands back "/". The system finds
    // "zel.cfg" in any letter case: such a file is read, and saved under its own name.
    void pathsInTheSystemsSpelling_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"zel.cfg", "ZEL.CFG", "Zel.cfg"})
            QTest::newRow(name) << QString(name);
    }

    void pathsInTheSystemsSpelling()
    {
        QFETCH(QString, name);
        WindowsBench bench;
        const QByteArray record = readAll(bench.work.file("zel.cfg"));
        QVERIFY(QFile::remove(bench.work.file("zel.cfg")));
        bench.work.write(name, record);
        Form1 &window = bench.open();
        const Form1Ui &ui = window.ui();
        QCOMPARE(ui.File6->names(), QStringList{"engine.exe"});
        const QString program = window.paths().programFolder();
        QCOMPARE(program, platform::shortPathOf(native(bench.work.path())));
        QVERIFY2(!program.contains('/') && !program.contains(' '), qPrintable(program));
        QCOMPARE(ui.Label10->toolTip(), program + "\\GL_WADs");
        QVERIFY(QFileInfo(bench.work.file("GL_WADs")).isDir());

        bench.dialogs.fileAnswers << bench.engines + "/engine.exe";
        act(window, {"Text6=café", "Command21"});
        QCOMPARE(bench.dialogs.openRequests.last(), QString("Game-Engine|Program-EXE|*.exe"));
        const QString engines = ui.File6->path();
        QCOMPARE(engines, platform::shortPathOf(native(bench.engines)) + "\\");
        QVERIFY2(!engines.contains('/') && !engines.contains(' '), qPrintable(engines));
        QCOMPARE(ui.File7->path(), engines);
        QCOMPARE(ui.Label12->toolTip(), engines);
        QCOMPARE(ui.File6->names(), QStringList{"engine.exe"});
        QCOMPARE(ui.File7->names(), QStringList{"demo1.lmp"});

        // What fits the system's code page is written in it, as the old program wrote.
        QCOMPARE(QDir(bench.work.path()).entryList({"*.cfg"}, QDir::Files), QStringList{name});
        const QByteArray saved = readAll(bench.work.file(name));
        QVERIFY2(!saved.contains('/'), saved.constData());
        QVERIFY(saved.startsWith('"' + engines.toLatin1() + "\","));
        QByteArray notes;
        QVERIFY(platform::toSystemCodePage(QString::fromUtf8("café"), &notes) ||
                ::GetACP() == CP_UTF8);
        QVERIFY(saved.endsWith(",\"" + notes + "\"\r\n"));
        QCOMPARE(ui.Text6->notes(), QString::fromUtf8("café"));
        QCOMPARE(bench.dialogs.messages, QStringList());
    }

    // The engine starts in its folder, maximized, each argument whole; a demo's name needs no
    // "./" here, and one that looks like an option gets ".\". A drive-relative folder in
    // zel.cfg is read against its drive's current folder, as Windows reads it, and passed
    // whole; typed words are split as the C runtime splits them.
    void playStartsTheEngineMaximizedWithWholeArguments()
    {
        WindowsBench bench;
        bench.work.write(QString::fromUtf8("my engines Движки/-fast.lmp"), "demo");
        const QString work = native(bench.work.path());
        const QByteArray settings = readAll(bench.work.file("zel.cfg"));
        bench.work.write(
            "zel.cfg",
            QByteArray(settings).replace(
                bench.iwads.toUtf8(),
                (work.left(2) + "..\\" + work.section('\\', -1) + "\\my iwads").toUtf8()));
        Form1 &window = bench.open();
        const QString iwad = native(bench.iwads) + "\\DOOM2.WAD";
        act(window,
            {"File6=engine.exe", "File11=DOOM2.WAD", "File7=demo1.lmp", "Option4", "Command12"});
        QCOMPARE(engineRecord(bench.engines, "folder"), QStringList{native(bench.engines)});
        QCOMPARE(engineRecord(bench.engines, "show"),
                 QStringList{QString::number(SW_SHOWMAXIMIZED)});
        const QStringList arguments = {"-iwad", iwad, "-playdemo", "demo1.lmp", "-skill", "4"};
        QCOMPARE(engineRecord(bench.engines, "shell"), arguments);
        QCOMPARE(engineRecord(bench.engines, "crt"), arguments);

        QFile::remove(bench.engines + "/standin-engine.txt");
        act(window, {"File7=-fast.lmp", "Check8", "Text2=-config \"C:\\My Games\\doom.cfg\" \"\"",
                     "Command12"});
        QCOMPARE(engineRecord(bench.engines, "crt"),
                 (QStringList{"-iwad", iwad, "-playdemo", ".\\-fast.lmp", "-skill", "4", "-config",
                              "C:\\My Games\\doom.cfg", ""}));

        // The debug line is the very command line the engine got.
        act(window, {"Text6=debug", "Command12"});
        QCOMPARE(bench.dialogs.messages, engineRecord(bench.engines, "line"));
    }

    // The system's words, with the path where they leave a blank for it ("%1"), for the
    // engine's start and for the node builder's.
    void startErrorsInTheSystemsWords()
    {
        WindowsBench bench;
        bench.work.write(QString::fromUtf8("my engines Движки/broken.exe"), "no program");
        bench.work.write("zennode.exe", "no program");
        Form1 &window = bench.open();
        act(window, {"File6=broken.exe", "Command12", "File8=x.wad", "Command5"});
        const QString engine = native(bench.engines) + "\\broken.exe";
        const QString builder = window.paths().programFolder() + "\\zennode.exe";
        QCOMPARE(bench.dialogs.messages.size(), 2);
        const QString started = bench.dialogs.messages.first(),
                      built = bench.dialogs.messages.last();
        QVERIFY2(started.startsWith("Cannot start \"" + engine + "\": ") &&
                     started.count(engine) == 2 && !started.contains("%1"),
                 qPrintable(started));
        QVERIFY2(built.startsWith("Cannot start the node builder \"" + builder + "\": ") &&
                     built.count(builder) == 2 && !built.contains("Unknown error"),
                 qPrintable(built));
    }

    // The read-only attribute: the demo's "delete", a copy onto such a file and "store" onto
    // such a zel.cfg refuse, and change nothing. zennode.exe builds a GL PWAD into GL_WADs and
    // rebuilds a read-only IWAD in place, made writable first, each path reaching it whole;
    // "del" beside the IWAD list clears the attribute and deletes.
    void theReadOnlyAttributeAndZennodeExe()
    {
        WindowsBench bench;
        const QString iwad = bench.work.file("my iwads/DOOM2.WAD");
        const QString demo = bench.engines + "/demo1.lmp";
        const QString cfg = bench.work.file("zel.cfg");
        Form1 &window = bench.open();
        for (const QString &file : {demo, iwad, cfg})
            QVERIFY(setReadOnly(file));
        const QByteArray settings = readAll(cfg);

        act(window, {"File5=DOOM2.WAD", "Command19"});
        act(window, {"File7=demo1.lmp", "Command7"});
        act(window, {"Text6=new notes", "Command1"});
        QCOMPARE(bench.dialogs.messages.size(), 3);
        for (const QString &message : bench.dialogs.messages)
            QVERIFY2(message.contains("write-protected"), qPrintable(message));
        QCOMPARE(readAll(iwad), QByteArray("IWAD"));
        QCOMPARE(readAll(demo), QByteArray("demo"));
        QCOMPARE(readAll(cfg), settings);

        act(window, {"File8=x.wad", "Command5", "File11=DOOM2.WAD", "Command13"});
        QCOMPARE(bench.dialogs.messages.size(), 3);
        QCOMPARE(readAll(bench.work.file("GL_WADs/x.wad")), builtFrom("x"));
        QCOMPARE(window.ui().File10->names(), QStringList{"x.wad"});
        QCOMPARE(readAll(iwad), builtFrom("IWAD"));
        const QStringList log = readLines(bench.work.file("zennode.log"));
        QCOMPARE(log.size(), 4);
        QCOMPARE(log.at(0), "begin 644 [" + native(bench.pwads1) + "\\x.wad][-o][" +
                                window.paths().programFolder() + "\\GL_WADs\\x.wad]");
        QCOMPARE(log.at(2), "begin 644 [" + native(iwad) + "][-o][" + native(iwad) + "]");

        QVERIFY(setReadOnly(iwad));
        act(window, {"File11=DOOM2.WAD", "Command20"});
        QVERIFY(!QFileInfo::exists(iwad));
        QCOMPARE(bench.dialogs.messages.size(), 3);
        QCOMPARE(window.ui().File11->names(), QStringList());
    }

    // One file under many names: the IWAD folder in its short form and in other letters is
    // still the IWAD Safe folder, for "make GL IWAD" and "copy"; "MAP01.WAD" and "map01.wad" are
    // one GL PWAD; and a second launcher on the program folder leaves a running build and what it
    // reads alone.
    void oneFileUnderManyNames()
    {
        WindowsBench bench;
        const QString original = bench.work.file("safe/DOOM2.WAD");
        bench.work.write("pwads one/MAP01.WAD", "one");
        bench.work.write("pwads2/map01.wad", "two");
        bench.work.write("GL_WADs/x.wad", "older");
        bench.work.write(
            "zel.cfg",
            settingsRecord({native(bench.engines),
                            platform::shortPathOf(native(bench.safe)).toLower(),
                            native(bench.pwads1), native(bench.pwads2), native(bench.safe), ""}));
        Form1 &window = bench.open();
        act(window, {"File11=DOOM2.WAD", "Command13"});
        verifyOneMessage(bench.dialogs.messages, {"lies in the IWAD Safe folder"});
        bench.dialogs.messages.clear();
        act(window, {"File5=DOOM2.WAD", "Command19"});
        verifyOneMessage(bench.dialogs.messages, {"are one file: nothing was copied."});
        bench.dialogs.messages.clear();
        QCOMPARE(readAll(original), QByteArray("safe IWAD"));

        act(window, {"File8=MAP01.WAD", "File9=map01.wad", "Command5"});
        verifyOneMessage(bench.dialogs.messages,
                         {"selected in both PWAD lists", "GL_WADs\\MAP01.WAD\": only"});
        bench.dialogs.messages.clear();
        QCOMPARE(readLines(bench.work.file("zennode.log")).size(), 2);

        bench.work.write("zennode.ctl", "SLEEP=2\n");
        Form1 second;
        second.show();
        QVERIFY(waitForLists(second));
        QTimer::singleShot(500, &window, [&] {
            act(second, {"File8=x.wad", "Command5", "File6=engine.exe", "Command12"});
        });
        act(window, {"File8=x.wad", "Label9", "Command5"});
        QCOMPARE(bench.dialogs.messages.size(), 2);
        QVERIFY2(bench.dialogs.messages.first().contains("Another launcher is building") &&
                     bench.dialogs.messages.last().contains("another launcher"),
                 qPrintable(bench.dialogs.messages.join('\n')));
        QCOMPARE(readAll(bench.work.file("GL_WADs/x.wad")), builtFrom("x"));
    }
};

QTEST_MAIN(TestWindowsWindow)
#include "tst_windowswindow.moc"
