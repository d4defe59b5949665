#include "app/FolderList.h"
#include "support/LaunchBench.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

QString canonical(const QString &folder)
{
    return QFileInfo(folder).canonicalFilePath();
}

} // namespace

class TestPlay : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleReachesTheEngine()
    {
        LaunchBench bench;
        const QString log = bench.work.file("engine.log");
        writeStandInEngine(bench.engines + "/engine.exe", log);
        bench.work.write("iwads/doom2.wad");
        bench.work.write("pwads1/maps.wad");
        bench.work.write("GL_WADs/maps.wad");
        bench.open();
        const Form1Ui &ui = bench.ui();

        pick(ui.File6, "engine.exe");
        pick(ui.File11, "doom2.wad");
        pick(ui.File8, "maps.wad");
        pick(ui.File10, "maps.wad");
        click(ui.Option4);
        type(ui.Text3, "07");
        type(ui.Text1, "demo1");
        click(ui.Check3);
        click(ui.Check4);
        QTest::mouseClick(ui.Command12, Qt::LeftButton);

        const QString w = bench.work.path();
        QCOMPARE(waitForLog(log),
                 QStringList{canonical(bench.engines)} +
                     QString("-iwad " + w + "/iwads/doom2.wad -file " + w + "/GL_WADs/maps.wad " +
                             w + "/pwads1/maps.wad -warp 07 -record demo1 -skill 4 -fast -nomusic")
                         .split(' '));
        QCOMPARE(ui.Text1->text(), QString());
        QCOMPARE(QDir::currentPath(), bench.engines);
        QVERIFY(bench.window->isVisible());
        QCOMPARE(bench.dialogs.messages, QStringList());
    }

    void argumentsArriveAsComposed_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QStringList>("arguments");
        // W stands for the work folder.
        QTest::newRow("only an engine") << "engine" << QStringList();
        QTest::newRow("only a GL-node PWAD") << "gl" << QStringList{"-file", "W/GL_WADs/gl.wad"};
        QTest::newRow("playback beats recording") << "playback" << QStringList{"-playdemo", "old"};
        QTest::newRow("folders ending in a separator")
            << "root" << QStringList{"-iwad", "W/iwad s//doom2.wad"};
        QTest::newRow("blanks in folder and file")
            << "blanks" << QStringList{"-file", "W/pw ads/big map.wad"};
        QTest::newRow("typed warp with a blank") << "warp" << QStringList{"-warp", "1", "5"};
        QTest::newRow("shell characters")
            << "shell" << QStringList{"-x", "\"q\";$(touch", "W/P)", "`touch", "W/Q`", "'a"};
    }

    void argumentsArriveAsComposed()
    {
        QFETCH(QString, scenario);
        QFETCH(QStringList, arguments);
        LaunchBench bench("engines/", "iwad s/", "pw ads");
        const QString log = bench.work.file("engine.log");
        writeStandInEngine(bench.engines + "engine", log);
        bench.work.write("iwad s/doom2.wad");
        bench.work.write("pw ads/big map.wad");
        bench.work.write("GL_WADs/gl.wad");
        bench.work.write("engines/old.lmp");
        bench.open();
        const Form1Ui &ui = bench.ui();
        pick(ui.File6, "engine");

        if (scenario == "gl") {
            pick(ui.File10, "gl.wad");
        } else if (scenario == "playback") {
            type(ui.Text1, "new");
            ui.File7->setFileName("old.lmp"); // as no player could: both at once
        } else if (scenario == "root") {
            pick(ui.File11, "doom2.wad");
        } else if (scenario == "blanks") {
            pick(ui.File8, "big map.wad");
        } else if (scenario == "warp") {
            type(ui.Text3, "1 5");
        } else if (scenario == "shell") {
            click(ui.Check8);
            ui.Text2->setText(
                QString("-x \"q\";$(touch W/P) `touch W/Q` 'a").replace("W", bench.work.path()));
        }
        QTest::mouseClick(ui.Command12, Qt::LeftButton);

        arguments.replaceInStrings(QRegularExpression("^W"), bench.work.path());
        QCOMPARE(waitForLog(log), QStringList{canonical(bench.engines)} + arguments);
        QVERIFY(!QFileInfo::exists(bench.work.file("P")));
        QVERIFY(!QFileInfo::exists(bench.work.file("Q")));
        QCOMPARE(bench.dialogs.messages, QStringList());
    }

    void noEngineSelected()
    {
        LaunchBench bench;
        bench.work.write("engines/doom2.wad");
        bench.open();
        const Form1Ui &ui = bench.ui();
        QTest::mouseClick(ui.Command12, Qt::LeftButton);
        pick(ui.File6, "doom2.wad");
        QTest::mouseClick(ui.Command12, Qt::LeftButton);
        QVERIFY(bench.window->isVisible());
        QTest::mouseClick(ui.Command11, Qt::LeftButton);
        QCOMPARE(bench.dialogs.messages, QStringList(3, "No Game Engine Selected!"));
        QVERIFY(!bench.window->isVisible());
    }

    void playAndExitStartsAnEngineInCapitalsAndCloses()
    {
        LaunchBench bench;
        const QString log = bench.work.file("engine.log");
        writeStandInEngine(bench.engines + "/DOOM.EXE", log);
        bench.open();
        pick(bench.ui().File6, "DOOM.EXE");
        QTest::mouseClick(bench.ui().Command11, Qt::LeftButton);
        QCOMPARE(waitForLog(log), QStringList{canonical(bench.engines)});
        QVERIFY(!bench.window->isVisible());
    }

    void debugModeShowsTheLineAndStartsNothing()
    {
        LaunchBench bench("engines", "iwads", "my pwads");
        const QString log = bench.work.file("engine.log");
        writeStandInEngine(bench.engines + "/doom", log);
        bench.work.write("my pwads/a b.wad");
        bench.work.write("engines/old.lmp");
        bench.open();
        const Form1Ui &ui = bench.ui();
        pick(ui.File6, "doom");
        pick(ui.File8, "a b.wad");
        type(ui.Text1, "rec");
        ui.Text6->setPlainText("debug");

        QTest::mouseClick(ui.Command11, Qt::LeftButton);
        QCOMPARE(bench.dialogs.messages,
                 QStringList{"doom -file \"" + bench.pwads1 + "/a b.wad\" -record rec"});
        QCOMPARE(ui.Text1->text(), QString());
        QCOMPARE(QDir::currentPath(), bench.engines);
        QVERIFY(!bench.window->isVisible());

        // A demo picked for playback stays for the next launch; "Debug" starts the engine.
        bench.window->show();
        pick(ui.File7, "old.lmp");
        ui.Text6->setPlainText("Debug");
        QTest::mouseClick(ui.Command12, Qt::LeftButton);
        QCOMPARE(ui.File7->fileName(), QString("old.lmp"));
        QCOMPARE(waitForLog(log).mid(1),
                 (QStringList{"-file", bench.pwads1 + "/a b.wad", "-playdemo", "old"}));
        QCOMPARE(bench.dialogs.messages.size(), 1);
    }
};

QTEST_MAIN(TestPlay)
#include "tst_play.moc"
