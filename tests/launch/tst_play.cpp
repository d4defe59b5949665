#include "app/FolderList.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

class TestPlay : public QObject
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
        QTest::newRow("only an engine") << QStringList{"File6=engine", "Command12"} << "" << "" << true;
        QTest::newRow("only a GL-node PWAD") << QStringList{"File6=engine", "File10=gl.wad", "Command12"} << "-file|W/GL_WADs/gl.wad" << "" << true;
        QTest::newRow("playback beats recording") << QStringList{"File6=engine", "Text1=new", "File7:=old.lmp", "Command12"} << "-playdemo|old" << "" << true;
        QTest::newRow("folders ending in a separator") << QStringList{"File6=engine", "File11=doom2.wad", "Command12"} << "-iwad|W/iwad s//doom2.wad" << "" << true;
        QTest::newRow("blanks in folder and file") << QStringList{"File6=engine", "File8=big map.wad", "Command12"} << "-file|W/pw ads/big map.wad" << "" << true;
        QTest::newRow("typed warp with a blank") << QStringList{"File6=engine", "Text3=1 5", "Command12"} << "-warp|1|5" << "" << true;
        QTest::newRow("play 'n' exit, an engine in capitals") << QStringList{"File6=DOOM.EXE", "Command11"} << "" << "" << false;
        QTest::newRow("no engine selected") << QStringList{"Command12", "File6=doom2.wad", "Command12", "Command11"} << "-" << "No Game Engine Selected!|No Game Engine Selected!|No Game Engine Selected!" << false;
        QTest::newRow("debug mode shows the line") << QStringList{"File6=engine", "File8=big map.wad", "Text1=rec", "Text6=debug", "Command11"} << "-" << "engine -file \"W/pw ads/big map.wad\" -record rec" << false;
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
              "GL_WADs/maps.wad", "engines/old.lmp", "engines/doom2.wad"})
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
        QCOMPARE(bench.dialogs.messages.join('|'), shown.replace("\"W/", "\"" + w));
        QCOMPARE(window.isVisible(), open);
        // A launch empties the record name and makes the engine's folder current.
        QCOMPARE(bench.ui().Text1->text(), QString());
        const bool launched = !shown.startsWith("No Game");
        QCOMPARE(QDir::currentPath(), QDir(launched ? bench.engines : bench.work.path()).path());
    }
};

QTEST_MAIN(TestPlay)
#include "tst_play.moc"
