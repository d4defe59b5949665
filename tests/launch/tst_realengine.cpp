#include "lists/FolderList.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString Games = QStringLiteral("/usr/games/");
const QString Iwad = QStringLiteral("/usr/share/games/doom/freedoom2.wad");

// Both logs the launcher keeps of the last start.
QByteArray engineOutput(const LaunchBench &bench)
{
    return readAll(bench.work.file("engine-output.log")) +
           readAll(bench.work.file("engine-errors.log"));
}

// Clicks "play" and waits `timeout` ms at most for the engine's end; one that outlived its
// time is killed. With `closeAfter` the engine is closed (SIGTERM, as when the session ends)
// that many ms after its level started.
bool playAndWait(const LaunchBench &bench, int timeout, int closeAfter = -1)
{
    QTest::mouseClick(bench.ui().Command12, Qt::LeftButton);
    bool ended = true;
    if (closeAfter >= 0) {
        // The level runs: woof says so, dsda-doom names its data folder then.
        ended = QTest::qWaitFor(
            [&] {
                const QByteArray out = engineOutput(bench);
                return out.contains("P_SetupLevel") || out.contains("Using data file directory");
            },
            timeout);
        QTest::qWait(closeAfter);
        for (int id : childProcesses())
            ::kill(id, SIGTERM);
    }
    ended = waitForChildren(timeout) && ended;
    for (int id : childProcesses())
        ::kill(id, SIGKILL);
    waitForChildren(5000);
    return ended;
}

// A bench with freedoom2.wad and a PWAD of its MAP01, the engine linked into the engine
// folder, and no window, sound device or settings of the player's.
struct EngineBench : LaunchBench
{
    explicit EngineBench(const QString &engine)
    {
        qputenv("SDL_VIDEODRIVER", "dummy");
        qputenv("SDL_AUDIODRIVER", "dummy");
        qputenv("HOME", QFile::encodeName(work.mkdir("home")));
        QFile::link(Games + engine, engines + "/" + engine);
        QFile::link(Iwad, iwads + "/freedoom2.wad");
        work.write("pwads1/map01.wad", mapPwad(readWad(Iwad), "MAP01"));
        // The quit screen would wait for a key; this ends the engine at once.
        work.write("noendoom.cfg", "show_endoom 0\n");
    }
};

// Runs the set-up script on `folder`; false when it failed.
bool runSampleSetup(const QString &folder)
{
    return QProcess::execute(QStringLiteral(ZEL_SOURCE_DIR "/scripts/sample-setup.sh"), {folder}) ==
           0;
}

} // namespace

class TestRealEngine : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        for (const char *engine : {"chocolate-doom", "crispy-doom", "dsda-doom", "woof"}) {
            if (!QFileInfo::exists(Games + engine) || !QFileInfo::exists(Iwad))
                QSKIP("needs Debian's engines and freedoom (scripts/install-deps.sh)");
        }
    }

    // Each engine records a demo with the window's line and plays it back from the demo list.
    void recordsAndPlaysBack_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QStringList>("record");    // what the player sets beyond the common
        QTest::addColumn<int>("closeAfter");        // ms of play before the engine is closed
        QTest::addColumn<QString>("closedWith");    // the message then, "" for none
        QTest::addColumn<QString>("playbackExtra"); // the extra parameter; %1 the work folder
        QTest::addColumn<QString>("player");        // the engine that plays the demo back
        // clang-format off
        // Ends itself once the one-kilobyte demo buffer is full; crispy-doom, which ends a
        // recording only at the player's key, plays it back.
        QTest::newRow("chocolate-doom, crispy-doom") << "chocolate-doom" << QStringList{"Text5=1", "Text1=-zel test"} << -1 << "" << "-extraconfig %1/noendoom.cfg" << "crispy-doom";
        // Records without limit and writes it when closed.
        QTest::newRow("woof") << "woof" << QStringList() << 1500 << "" << "" << "woof";
        // Wants a compatibility level to record; closed, it writes the demo and calls it a crash.
        QTest::newRow("dsda-doom") << "dsda-doom" << QStringList{"Check8", "Text2=-complevel 2"} << 1500 << "The game has crashed!" << "" << "dsda-doom";
        // clang-format on
    }

    void recordsAndPlaysBack()
    {
        QFETCH(QString, engine);
        QFETCH(QStringList, record);
        QFETCH(int, closeAfter);
        QFETCH(QString, closedWith);
        QFETCH(QString, playbackExtra);
        QFETCH(QString, player);
        EngineBench bench(engine);
        QFile::link(Games + player, bench.engines + "/" + player);
        Form1 &window = bench.open();

        act(window, QStringList{"File6=" + engine, "File11=freedoom2.wad", "File8=map01.wad",
                                "Text1=zel test", "Text3=1", "Option3", "Check6"} +
                        record);
        const QString demo = bench.ui().Text1->text() + ".lmp";
        QVERIFY2(playAndWait(bench, 60000, closeAfter), engineOutput(bench).constData());
        QCOMPARE(bench.dialogs.messages.size(), int(!closedWith.isEmpty()));
        if (!closedWith.isEmpty())
            QVERIFY(bench.dialogs.messages.takeFirst().contains(closedWith));
        QVERIFY(engineOutput(bench).contains("map01.wad"));
        QVERIFY(QFileInfo(bench.engines + "/" + demo).size() > 0);
        // The folder watch shows it without a click.
        QTRY_VERIFY(bench.ui().File7->names().contains(demo));

        act(window, {"File6=" + player, "Label15", "Label18", "Label16", "File7=" + demo});
        if (!playbackExtra.isEmpty())
            act(window, {"Check8", "Text2=" + playbackExtra.arg(bench.work.path())});
        QVERIFY2(playAndWait(bench, 60000), engineOutput(bench).constData());
        QVERIFY2(engineOutput(bench).contains("./" + demo.toUtf8()),
                 engineOutput(bench).constData());
        QCOMPARE(bench.dialogs.messages, QStringList());
    }

    // dsda-doom's refusal to record without a compatibility level reaches the player.
    void refusalIsShown()
    {
        EngineBench bench("dsda-doom");
        Form1 &window = bench.open();
        act(window, {"File6=dsda-doom", "File11=freedoom2.wad", "Text1=run", "Text3=1"});
        QVERIFY(playAndWait(bench, 30000));
        verifyOneMessage(bench.dialogs.messages,
                         {"\"dsda-doom\" ended with status 255",
                          "You must specify a compatibility level when recording a demo!"});
    }

    void newUserCanPlayAtOnce()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        // The settings file must carry a blank and a double quote of the folder's name.
        const QString folder = work.mkdir("my \"own\" games");
        QVERIFY(runSampleSetup(folder));
        QVERIFY(QDir::setCurrent(folder));

        Form1 window;
        const Form1Ui &ui = window.ui();
        QCOMPARE(ui.File6->path(), folder + "/engines/");
        QCOMPARE(ui.File6->names(),
                 (QStringList{"chocolate-doom", "crispy-doom", "dsda-doom", "woof"}));
        QCOMPARE(ui.File5->names(), (QStringList{"freedoom1.wad", "freedoom2.wad"}));
        QVERIFY(QFileInfo(folder + "/zennode").isExecutable());

        act(window, {"File6:=chocolate-doom", "File11:=freedoom2.wad", "Text6=debug", "Command12"});
        QCOMPARE(dialogs.messages, QStringList{"'" + folder + "/engines//chocolate-doom' -iwad '" +
                                               folder + "/iwads//freedoom2.wad'"});
    }

    void ownSettingsFileStays()
    {
        WorkFolder work;
        const QByteArray own = "\"/mine/\",\"\",\"\",\"\",\"\",\"notes\"\r\n";
        work.write("zel.cfg", own);
        QVERIFY(runSampleSetup(work.path()));
        QCOMPARE(readAll(work.file("zel.cfg")), own);
        QVERIFY(!QFileInfo::exists(work.file("engines")));
        // The node builder reaches users with their own settings too, but never replaces one.
        QVERIFY(QFileInfo(work.file("zennode")).isExecutable());
        work.write("zennode", "mine");
        QVERIFY(runSampleSetup(work.path()));
        QCOMPARE(readAll(work.file("zennode")), QByteArray("mine"));
    }
};

QTEST_MAIN(TestRealEngine)
#include "tst_realengine.moc"
