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
    void argumentsArriveAsComposed_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("arguments"); // separated by "|"; W stands for the work folder
        // clang-format off
        QTest::newRow("worked example") << QStringList{"File11=doom2.wad", "File8=maps.wad", "File10=maps.wad", "Option4", "Text3=07", "Text1=demo1", "Check3", "Check4"}
            << "-iwad|W/iwad s//doom2.wad|-file|W/GL_WADs/maps.wad|W/pw ads/maps.wad|-warp|07|-record|demo1|-skill|4|-fast|-nomusic";
        QTest::newRow("only an engine") << QStringList() << "";
        QTest::newRow("only a GL-node PWAD") << QStringList{"File10=gl.wad"} << "-file|W/GL_WADs/gl.wad";
        QTest::newRow("playback beats recording") << QStringList{"Text1=new", "File7:=old.lmp"} << "-playdemo|old";
        QTest::newRow("folders ending in a separator") << QStringList{"File11=doom2.wad"} << "-iwad|W/iwad s//doom2.wad";
        QTest::newRow("blanks in folder and file") << QStringList{"File8=big map.wad"} << "-file|W/pw ads/big map.wad";
        QTest::newRow("typed warp with a blank") << QStringList{"Text3=1 5"} << "-warp|1|5";
        // clang-format on
    }

    void argumentsArriveAsComposed()
    {
        QFETCH(QStringList, actions);
        QFETCH(QString, arguments);
        LaunchBench bench("engines/", "iwad s/", "pw ads");
        const QString log = bench.work.file("engine.log");
        writeStandInEngine(bench.engines + "engine", log);
        for (const char *file : {"iwad s/doom2.wad", "pw ads/big map.wad", "pw ads/maps.wad",
                                 "GL_WADs/gl.wad", "GL_WADs/maps.wad", "engines/old.lmp"})
            bench.work.write(file);
        Form1 &window = bench.open();

        act(window, QStringList{"File6=engine"} + actions + QStringList{"Command12"});
        QStringList expected = arguments.split('|', Qt::SkipEmptyParts);
        expected.replaceInStrings(QRegularExpression("^W/"), bench.work.path() + "/");
        QCOMPARE(waitForLog(log),
                 QStringList{QFileInfo(bench.engines).canonicalFilePath()} + expected);
        QCOMPARE(bench.ui().Text1->text(), QString());
        QCOMPARE(QDir::currentPath(), QDir(bench.engines).path());
        QVERIFY(window.isVisible());
        QCOMPARE(bench.dialogs.messages, QStringList());
    }

    void noEngineSelected()
    {
        LaunchBench bench;
        bench.work.write("engines/doom2.wad");
        Form1 &window = bench.open();
        act(window, {"Command12", "File6=doom2.wad", "Command12"});
        QVERIFY(window.isVisible());
        act(window, {"Command11"});
        QCOMPARE(bench.dialogs.messages, QStringList(3, "No Game Engine Selected!"));
        QVERIFY(!window.isVisible());
    }

    void playAndExitStartsAnEngineInCapitalsAndCloses()
    {
        LaunchBench bench;
        const QString log = bench.work.file("engine.log");
        writeStandInEngine(bench.engines + "/DOOM.EXE", log);
        Form1 &window = bench.open();
        act(window, {"File6=DOOM.EXE", "Command11"});
        QCOMPARE(waitForLog(log), QStringList{QFileInfo(bench.engines).canonicalFilePath()});
        QVERIFY(!window.isVisible());
    }

    void debugModeShowsTheLineAndStartsNothing()
    {
        LaunchBench bench("engines", "iwads", "my pwads");
        const QString log = bench.work.file("engine.log");
        writeStandInEngine(bench.engines + "/doom", log);
        bench.work.write("my pwads/a b.wad");
        bench.work.write("engines/old.lmp");
        Form1 &window = bench.open();
        act(window, {"File6=doom", "File8=a b.wad", "Text1=rec", "Text6=debug", "Command11"});
        QCOMPARE(bench.dialogs.messages,
                 QStringList{"doom -file \"" + bench.pwads1 + "/a b.wad\" -record rec"});
        QCOMPARE(bench.ui().Text1->text(), QString());
        QCOMPARE(QDir::currentPath(), bench.engines);
        QVERIFY(!window.isVisible());

        // A demo picked for playback stays for the next launch; "Debug" starts the engine.
        window.show();
        act(window, {"File7=old.lmp", "Text6=Debug", "Command12"});
        QCOMPARE(bench.ui().File7->fileName(), QString("old.lmp"));
        QCOMPARE(waitForLog(log).mid(1),
                 (QStringList{"-file", bench.pwads1 + "/a b.wad", "-playdemo", "old"}));
        QCOMPARE(bench.dialogs.messages.size(), 1);
    }
};

QTEST_MAIN(TestPlay)
#include "tst_play.moc"
