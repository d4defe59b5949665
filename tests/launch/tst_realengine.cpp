#include "app/FolderList.h"
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

const QString Engine = QStringLiteral("/usr/games/chocolate-doom");
const QString Iwad = QStringLiteral("/usr/share/games/doom/freedoom2.wad");

// The ids of the other processes that run in `folder`.
QList<int> processesIn(const QString &folder)
{
    const QString wanted = QFileInfo(folder).canonicalFilePath();
    QList<int> ids;
    for (const QString &pid : QDir("/proc").entryList(QDir::Dirs)) {
        if (pid.toInt() > 0 && pid.toInt() != ::getpid() &&
            QFileInfo("/proc/" + pid + "/cwd").symLinkTarget() == wanted)
            ids << pid.toInt();
    }
    return ids;
}

// Clicks "play" while this process's output goes to a file, so the engine prints there, and
// waits a minute at most for the engine to end; one that outlived its time is ended.
bool playAndWait(const LaunchBench &bench, QByteArray *output)
{
    const QString file = bench.work.file("engine.out");
    std::fflush(stdout);
    std::fflush(stderr);
    const int saved[] = {::fcntl(1, F_DUPFD_CLOEXEC, 3), ::fcntl(2, F_DUPFD_CLOEXEC, 3)};
    const int out = ::open(QFile::encodeName(file), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ::dup2(out, 1);
    ::dup2(out, 2);
    QTest::mouseClick(bench.ui().Command12, Qt::LeftButton);
    for (int fd : {1, 2})
        ::dup2(saved[fd - 1], fd);
    for (int fd : {saved[0], saved[1], out})
        ::close(fd);
    const bool ended = QTest::qWaitFor([&] { return processesIn(bench.engines).isEmpty(); }, 60000);
    for (int pid : processesIn(bench.engines))
        ::kill(pid, SIGKILL);
    *output = readAll(file);
    return ended;
}

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
    void recordsAndPlaysBackADemo()
    {
        if (!QFileInfo::exists(Engine) || !QFileInfo::exists(Iwad))
            QSKIP("needs Debian's chocolate-doom and freedoom (scripts/install-deps.sh)");
        LaunchBench bench;
        // No window, no sound device and a settings folder of its own.
        qputenv("SDL_VIDEODRIVER", "dummy");
        qputenv("SDL_AUDIODRIVER", "dummy");
        qputenv("HOME", QFile::encodeName(bench.work.mkdir("home")));
        QVERIFY(QFile::link(Engine, bench.engines + "/chocolate-doom"));
        QVERIFY(QFile::link(Iwad, bench.iwads + "/freedoom2.wad"));
        Form1 &window = bench.open();

        act(window, {"File6=chocolate-doom", "File11=freedoom2.wad", "Text1=zeltest", "Text3=1",
                     "Text5=1", "Option3", "Check6"});
        // Recording ends by itself once the one-kilobyte demo buffer is full.
        QByteArray out;
        QVERIFY2(playAndWait(bench, &out), out.constData());
        QCOMPARE(bench.dialogs.messages, QStringList());
        QVERIFY2(out.contains("Demo zeltest.lmp recorded"), out.constData());
        QVERIFY(out.contains("startskill 2")); // "Hurt me plenty."
        QVERIFY(QFileInfo(bench.engines + "/zeltest.lmp").size() > 0);
        QCOMPARE(bench.ui().Text1->text(), QString());

        // Playback would wait on the quit screen unless the engine is told not to show it.
        const QString extra = bench.work.write("extra.cfg", "show_endoom 0\n");
        act(window, {"Label15", "Label18", "Check8", "Text2=-extraconfig " + extra, "Command15",
                     "File7=zeltest.lmp"});
        QVERIFY2(playAndWait(bench, &out), out.constData());
        QVERIFY2(out.contains("Playing demo zeltest.lmp.") && !out.contains("not found"),
                 out.constData());
        QCOMPARE(bench.dialogs.messages, QStringList());
    }

    void newUserCanPlayAtOnce()
    {
        if (!QFileInfo::exists(Engine) || !QFileInfo::exists(Iwad))
            QSKIP("needs Debian's chocolate-doom and freedoom (scripts/install-deps.sh)");
        WorkFolder work;
        ScriptedDialogs dialogs;
        // The settings file must carry a blank and a double quote of the folder's name.
        const QString folder = work.mkdir("my \"own\" games");
        QVERIFY(runSampleSetup(folder));
        QVERIFY(QDir::setCurrent(folder));

        Form1 window;
        const Form1Ui &ui = window.ui();
        QCOMPARE(ui.File6->path(), folder + "/engines/");
        QCOMPARE(ui.File6->names(), QStringList{"chocolate-doom"});
        const QStringList iwads = {"freedoom1.wad", "freedoom2.wad"};
        QCOMPARE(ui.File11->names(), iwads);
        QCOMPARE(ui.File5->names(), iwads);
        QCOMPARE(ui.File8->path(), folder + "/pwads/");
        QCOMPARE(ui.File9->path(), folder + "/pwads/");
        QCOMPARE(ui.Text6->toPlainText(), QString("Gravemill"));
        QVERIFY(QFileInfo(folder + "/zennode").isExecutable());

        act(window, {"File6:=chocolate-doom", "File11:=freedoom2.wad", "Text6=debug", "Command12"});
        QCOMPARE(dialogs.messages,
                 QStringList{"chocolate-doom -iwad \"" + folder + "/iwads//freedoom2.wad\""});
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
