#include "lists/FolderList.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

namespace {

using State = QMap<QString, QString>;

// Every control of the panel by name ("1" for a chosen option or a ticked box, the text of a
// box, the demo selected in File7) and the messages shown.
State state(const Bench &bench)
{
    State s;
    for (auto *button :
         bench.window->findChildren<QAbstractButton *>(QRegularExpression("^(Option|Check)\\d+$")))
        s[button->objectName()] = QString::number(button->isChecked());
    for (auto *box : bench.window->findChildren<QLineEdit *>(QRegularExpression("^Text\\d$")))
        s[box->objectName()] = box->text();
    s["File7"] = bench.ui().File7->fileName();
    s["messages"] = bench.dialogs.messages.join('|');
    return s;
}

struct Panel : LaunchBench
{
    Panel()
    {
        for (const char *file : {"doom.exe", "a.lmp", "b.lmp", "c.lmp"})
            work.write(QString("engines/") + file);
        open();
    }
};

const QStringList Everything = {"Option2", "Text1=rec", "Text2=x", "Text3=3", "Text4=150",
                                "Text5=2", "Check1",    "Check2",  "Check3",  "Check4",
                                "Check5",  "Check6",    "Check7",  "Check8"};

} // namespace

class TestLaunch : public QObject
{
    Q_OBJECT

private slots:
    void launches_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("started"); // the engine's arguments, "|" apart; "-": none runs
        QTest::addColumn<QString>("shown");   // the messages, "|" apart
        QTest::addColumn<bool>("open");       // the window afterwards
        // W stands for the work folder.
        // clang-format off
        QTest::newRow("worked example") << QStringList{"File6=engine", "File11=doom2.wad", "File8=maps.wad", "File10=maps.wad", "Option4", "Text3=07", "Text1=demo1", "Check3", "Check4", "Command12"}
            << "-iwad|W/iwad s//doom2.wad|-file|W/GL_WADs/maps.wad|W/pw ads/maps.wad|-warp|07|-record|demo1|-skill|4|-fast|-nomusic" << "" << true;
        QTest::newRow("\"Nightmare!\" after slot 0") << QStringList{"File6=engine", "Option12", "Option5", "Command12"} << "-skill|5" << "" << true;
        QTest::newRow("slot 5 after \"Nightmare!\"") << QStringList{"File6=engine", "Option5", "Option7", "Command12"} << "-loadgame|5" << "" << true;
        QTest::newRow("slot 0") << QStringList{"File6=engine", "Option12", "Command12"} << "-loadgame|0" << "" << true;
        QTest::newRow("only an engine") << QStringList{"File6=engine", "Command12"} << "" << "" << true;
        QTest::newRow("only a GL-node PWAD") << QStringList{"File6=engine", "File10=gl.wad", "Command12"} << "-file|W/GL_WADs/gl.wad" << "" << true;
        QTest::newRow("playback beats recording") << QStringList{"File6=engine", "Text1=new", "File7:=old.lmp", "Command12"} << "-playdemo|./old.lmp" << "" << true;
        QTest::newRow("blanks in folder and file") << QStringList{"File6=engine", "File8=big map.wad", "Command12"} << "-file|W/pw ads/big map.wad" << "" << true;
        QTest::newRow("typed warp with a blank") << QStringList{"File6=engine", "Text3=1 5", "Command12"} << "-warp|1|5" << "" << true;
        // No shell sees a name or a typed word: each character arrives as it is.
        QTest::newRow("hostile names and typed words") << QStringList{"File6=engine", "File8=q\"uo;te $(touch x) `touch y` -x.wad", "Check8", "Text2=\"a b\" ; $(touch x) `touch y` 'a -x", "Command12"} << "-file|W/pw ads/q\"uo;te $(touch x) `touch y` -x.wad|a b|;|$(touch|x)|`touch|y`|a -x" << "" << true;
        QTest::newRow("play 'n' exit, an engine in capitals") << QStringList{"File6=DOOM.EXE", "Command11"} << "" << "" << false;
        QTest::newRow("no engine selected") << QStringList{"Command12", "File6=doom2.wad", "Command12", "Command11"} << "-" << "No Game Engine Selected!|No Game Engine Selected!|No Game Engine Selected!" << false;
        QTest::newRow("debug mode shows the line") << QStringList{"File6=engine", "File8=big map.wad", "Text1=rec", "Text6=debug", "Command11"} << "-" << "W/engines//engine -file 'W/pw ads/big map.wad' -record rec" << false;
        QTest::newRow("\"Debug\" is no debug mode") << QStringList{"File6=engine", "Text6=Debug", "Command12"} << "" << "" << true;
        // clang-format on
    }

    void launches()
    {
        QFETCH(QStringList, actions);
        QFETCH(QString, started);
        QFETCH(QString, shown);
        QFETCH(bool, open);
        LaunchBench bench("engines/", "iwad s/", "pw ads");
        const QString log = bench.work.file("engine.log");
        for (const char *engine : {"engine", "DOOM.EXE"})
            writeStandInEngine(bench.engines + engine, log);
        for (const char *file :
             {"iwad s/doom2.wad", "pw ads/big map.wad", "pw ads/maps.wad", "GL_WADs/gl.wad",
              "GL_WADs/maps.wad", "engines/old.lmp", "engines/doom2.wad",
              "pw ads/q\"uo;te $(touch x) `touch y` -x.wad"})
            bench.work.write(file);
        Form1 &window = bench.open();

        act(window, actions);
        const QString w = bench.work.path() + "/";
        QStringList arguments = started.split('|', Qt::SkipEmptyParts);
        arguments.replaceInStrings(QRegularExpression("^W/"), w);
        if (started == "-") {
            QTest::qWait(300);
            QVERIFY(!QFileInfo::exists(log));
        } else {
            QCOMPARE(waitForLog(log),
                     QStringList{QFileInfo(bench.engines).canonicalFilePath()} + arguments);
        }
        QCOMPARE(bench.dialogs.messages.join('|'), shown.replace("W/", w));
        QCOMPARE(window.isVisible(), open);
        // A launch empties the record name; the engine starts in its folder (the log's first
        // line), and the launcher stays in its own.
        QCOMPARE(bench.ui().Text1->text(), QString());
        QCOMPARE(QDir::currentPath(), bench.work.path());
    }

    void reactions_data()
    {
        QTest::addColumn<QStringList>("before"); // what the player did first
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("changes"); // every control that changes, and how
        const QStringList untickAll = {"Check1=0", "Check2=0", "Check3=0", "Check4=0",
                                       "Check5=0", "Check6=0", "Check7=0", "Check8=0"};
        // clang-format off
        QTest::newRow("a slot clears the new-game options, nothing else") << Everything << "Option9" << QStringList{"Option2=0", "Option9=1", "Text3=", "Text4=", "Text5="} + untickAll;
        QTest::newRow("a slot with nothing to clear") << QStringList{"Option9"} << "Option12" << QStringList{"Option9=0", "Option12=1"};
        QTest::newRow("a skill replaces a slot") << QStringList{"Text1=x", "Option9"} << "Option3" << QStringList{"Option9=0", "Option3=1"};
        QTest::newRow("a slot replaces a skill") << QStringList{"Text1=x", "Option3"} << "Option9" << QStringList{"Option3=0", "Option9=1"};
        for (const QString &option : QStringList{"Text3", "Text4", "Text5", "Check1", "Check2", "Check3", "Check4", "Check5", "Check6", "Check7", "Check8"}) {
            const QString set = option.startsWith("Text") ? option + "=1" : option;
            QTest::addRow("%s lets go of a slot", qPrintable(option)) << QStringList{"Option8"} << set << QStringList{"Option8=0", option + "=1"};
            QTest::addRow("%s leaves a skill", qPrintable(option)) << QStringList{"Option5"} << set << QStringList{option + "=1"};
        }
        QTest::newRow("\"Skill\" leaves a slot") << QStringList{"Option10"} << "Label13" << QStringList();
        QTest::newRow("\"Skill\" drops the skill") << QStringList{"Option1"} << "Label13" << QStringList{"Option1=0"};
        QTest::newRow("\"Load Game\" leaves a skill") << QStringList{"Option1"} << "Label14" << QStringList();
        QTest::newRow("\"Load Game\" drops the slot") << QStringList{"Option10"} << "Label14" << QStringList{"Option10=0"};
        QTest::newRow("\"CMD-Line Parameter\" unticks, Text2 stays") << Everything << "Label16" << untickAll;
        QTest::newRow("\"clear\" leaves Check8") << Everything << "Command14" << QStringList{"Text2=-"};
        QTest::newRow("\"Record Demo\"") << Everything << "Label12" << QStringList{"Text1="};
        QTest::newRow("\"Warp\"") << Everything << "Label15" << QStringList{"Text3="};
        QTest::newRow("\"Turbo\"") << Everything << "Label17" << QStringList{"Text4="};
        QTest::newRow("\"MaxDemo\"") << Everything << "Label18" << QStringList{"Text5="};
        QTest::newRow("a record name drops the demo") << QStringList{"File7=b.lmp"} << "Text1=n" << QStringList{"File7=", "Text1=n"};
        QTest::newRow("a demo drops the record name") << QStringList{"Text1=n"} << "File7=c.lmp" << QStringList{"File7=c.lmp", "Text1="};
        QTest::newRow("a launch keeps the playback demo") << QStringList{"Text6=debug", "File6=doom.exe", "File7=c.lmp"} << "Command12" << QStringList{"messages=W/engines/doom.exe -playdemo ./c.lmp"};
        // clang-format on
    }

    void reactions()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, action);
        QFETCH(QStringList, changes);
        Panel panel;
        act(*panel.window, before);
        State expected = state(panel);
        for (const QString &change : changes)
            expected[change.section('=', 0, 0)] =
                change.section('=', 1).replace("W/", panel.work.path() + "/");
        act(*panel.window, {action});
        QCOMPARE(state(panel), expected);
    }
};

QTEST_MAIN(TestLaunch)
#include "tst_launch.moc"
