#include "app/Controls.h"
#include "app/FolderList.h"
#include "support/LaunchBench.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

const QString Engine = QStringLiteral("/usr/games/chocolate-doom");
const QString Iwad = QStringLiteral("/usr/share/games/doom/freedoom2.wad");

// Collects what the programs started while it listens print, through a pipe that stands
// in for this process's standard output and error meanwhile. The pipe ends when the last
// of them has ended, which is how a test learns that a detached engine is done.
class EngineOutput
{
public:
    void listen()
    {
        if (::pipe2(m_pipe, O_CLOEXEC) != 0)
            qFatal("no pipe");
        std::fflush(stdout);
        std::fflush(stderr);
        m_saved[0] = ::fcntl(1, F_DUPFD_CLOEXEC, 3);
        m_saved[1] = ::fcntl(2, F_DUPFD_CLOEXEC, 3);
        ::dup2(m_pipe[1], 1);
        ::dup2(m_pipe[1], 2);
    }

    void stop()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        ::dup2(m_saved[0], 1);
        ::dup2(m_saved[1], 2);
        for (int fd : {m_saved[0], m_saved[1], m_pipe[1]})
            ::close(fd);
    }

    // False when the programs still run after `ms`.
    bool waitForEnd(int ms)
    {
        const QDeadlineTimer deadline(ms);
        pollfd in{m_pipe[0], POLLIN, 0};
        while (::poll(&in, 1, int(deadline.remainingTime())) > 0) {
            char buffer[4096];
            const ssize_t n = ::read(m_pipe[0], buffer, sizeof buffer);
            if (n <= 0) {
                ::close(m_pipe[0]);
                return true;
            }
            text.append(buffer, n);
        }
        ::close(m_pipe[0]);
        return false;
    }

    QByteArray text;

private:
    int m_pipe[2] = {-1, -1};
    int m_saved[2] = {-1, -1};
};

// Ends, by their ids, the engines this test started that outlived their time.
void endEnginesIn(const QString &folder)
{
    const QString wanted = QFileInfo(folder).canonicalFilePath();
    for (const QString &pid : QDir("/proc").entryList(QDir::Dirs)) {
        if (pid.toInt() > 0 && pid.toInt() != ::getpid() &&
            QFileInfo("/proc/" + pid + "/cwd").symLinkTarget() == wanted)
            ::kill(pid.toInt(), SIGKILL);
    }
}

// Clicks "play" and collects what the engine prints until it ends, for a minute at most.
bool playAndWait(const LaunchBench &bench, QByteArray *output)
{
    EngineOutput engine;
    engine.listen();
    QTest::mouseClick(bench.ui().Command12, Qt::LeftButton);
    engine.stop();
    const bool ended = engine.waitForEnd(60000);
    if (!ended)
        endEnginesIn(bench.engines);
    *output = engine.text;
    return ended;
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
        bench.open();
        const Form1Ui &ui = bench.ui();

        pick(ui.File6, "chocolate-doom");
        pick(ui.File11, "freedoom2.wad");
        type(ui.Text1, "zeltest");
        type(ui.Text3, "1");
        type(ui.Text5, "1");
        click(ui.Option3);
        click(ui.Check6);
        // Recording ends by itself once the one-kilobyte demo buffer is full.
        QByteArray out;
        QVERIFY2(playAndWait(bench, &out), out.constData());
        QCOMPARE(bench.dialogs.messages, QStringList());
        QVERIFY2(out.contains("Demo zeltest.lmp recorded"), out.constData());
        QVERIFY(out.contains("startskill 2")); // "Hurt me plenty."
        QVERIFY(QFileInfo(bench.engines + "/zeltest.lmp").size() > 0);
        QCOMPARE(ui.Text1->text(), QString());

        // Playback would wait on the quit screen unless the engine is told not to show it.
        const QString extra = bench.work.write("extra.cfg", "show_endoom 0\n");
        QTest::mouseClick(ui.Label15, Qt::LeftButton);
        QTest::mouseClick(ui.Label18, Qt::LeftButton);
        click(ui.Check8);
        ui.Text2->setText("-extraconfig " + extra);
        QTest::mouseClick(ui.Command15, Qt::LeftButton);
        pick(ui.File7, "zeltest.lmp");
        QVERIFY2(playAndWait(bench, &out), out.constData());
        QVERIFY2(out.contains("Playing demo zeltest.lmp.") && !out.contains("not found"),
                 out.constData());
        QCOMPARE(bench.dialogs.messages, QStringList());
    }
};

QTEST_MAIN(TestRealEngine)
#include "tst_realengine.moc"
