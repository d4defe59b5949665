#include "core/nodes/ShellAndWait.h"
#include "platform/Platform.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <ctime>

#ifdef Q_OS_LINUX
#include <csignal>
#include <unistd.h>
#endif

namespace {

// Runs the stand-in program with `steps` (see support/standin.cpp).
ProcessOutcome runStandIn(const QStringList &steps, ProcessStop *stop = nullptr)
{
    return ShellAndWait(QStringLiteral(ZEL_STANDIN), steps, stop);
}

} // namespace

class TestShellAndWait : public QObject
{
    Q_OBJECT

private slots:
    void reportsHowTheProcessEnded_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("crashed");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("lastLine");

        // clang-format off
        QTest::newRow("success") << QStringList{"out:built\\n"} << false << 0 << "built";
        QTest::newRow("a failure code") << QStringList{"out:no levels\\n", "exit:3"} << false << 3 << "no levels";
        QTest::newRow("input is empty, not waited for") << QStringList{"drain", "out:no input\\n"} << false << 0 << "no input";
        QTest::newRow("more output than a pipe holds") << QStringList{"fill:300000:0123456789\\n", "out:\\nlast\\n"} << false << 0 << "last";
        QTest::newRow("one line of 400 KB") << QStringList{"fill:400000:0123456789", "out:\\nlast\\n"} << false << 0 << "last";
        QTest::newRow("progress redrawn on one line") << QStringList{"out:10%\\r50%\\r100%\\n"} << false << 0 << "100%";
        // clang-format on
    }

    void reportsHowTheProcessEnded()
    {
        QFETCH(QStringList, steps);
        QFETCH(bool, crashed);
        QFETCH(int, exitCode);
        QFETCH(QString, lastLine);
        const ProcessOutcome outcome = runStandIn(steps);
        QVERIFY(outcome.started);
        QCOMPARE(outcome.crashed, crashed);
        QCOMPARE(outcome.exitCode, exitCode);
        QCOMPARE(outcome.outputTail.section('\n', -1), lastLine);
        QCOMPARE(outcome.succeeded(), !crashed && exitCode == 0);
        // The tail goes into a message box, which must fit on the screen.
        const QStringList lines = outcome.outputTail.split('\n');
        QVERIFY(lines.size() <= 12);
        for (const QString &line : lines)
            QVERIFY2(line.size() <= 100, qPrintable(line.left(200)));
    }

    // A program has ended when what it started has ended too: a child left behind may still
    // be writing the output.
    void whatTheProgramLeftRunningIsWaitedFor()
    {
        QTemporaryDir dir;
        const QString marker = dir.filePath("marker");
#ifdef Q_OS_LINUX
        // The guard that ends a build should the launcher die may die first (the system's
        // out-of-memory killer): the build's end must not then take the launcher with it.
        QTimer::singleShot(300, [] {
            for (const QString &task :
                 QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                QFile children("/proc/self/task/" + task + "/children");
                if (!children.open(QIODevice::ReadOnly))
                    continue;
                for (const QByteArray &word : children.readAll().split(' ')) {
                    const pid_t pid = word.trimmed().toInt();
                    if (pid > 0 && ::getsid(pid) == pid) // the guard leads a session of its own
                        ::kill(pid, SIGKILL);
                }
            }
        });
#endif
        QElapsedTimer clock;
        clock.start();
        const ProcessOutcome outcome = runStandIn({"leave", "sleep:1500", "touch:" + marker});
        QVERIFY(outcome.succeeded());
        QVERIFY2(QFileInfo::exists(marker), qPrintable(QString::number(clock.elapsed())));
    }

    void aStopEndsTheProgramAndWhatItStarted()
    {
        QTemporaryDir dir;
        const QString started = dir.filePath("started");
        const QString marker = dir.filePath("marker");
        ProcessStop stop;
        // Stopped once the child runs: a stop while it is still being made tests the system's
        // start-up, not the launcher (Wine, cold, takes longer than any fixed wait).
        QTimer poll;
        connect(&poll, &QTimer::timeout, &stop, [&] {
            if (QFileInfo::exists(started))
                stop.request();
        });
        poll.start(20);
        const ProcessOutcome outcome =
            runStandIn({"spawn", "touch:" + started, "sleep:600", "touch:" + marker}, &stop);
        poll.stop();
        QVERIFY(QFileInfo::exists(started));
        QVERIFY(outcome.ended && !outcome.succeeded());
        QTest::qWait(800);
        QVERIFY(!QFileInfo::exists(marker));
    }

    // The window's tests show events run meanwhile; polling would keep a core busy.
    void waitingDoesNotBusyTheProcessor()
    {
        QElapsedTimer wall;
        wall.start();
        const double cpuBefore = platform::processorSeconds();
        QVERIFY(runStandIn({"sleep:1000"}).succeeded());
        const double cpu = platform::processorSeconds() - cpuBefore;
        const double elapsed = wall.elapsed() / 1000.0;
        QVERIFY(elapsed >= 0.9);
        QVERIFY2(cpu < 0.2 * elapsed,
                 qPrintable(QStringLiteral("%1 s processor time in %2 s").arg(cpu).arg(elapsed)));
    }
};

QTEST_GUILESS_MAIN(TestShellAndWait)
#include "tst_shellandwait.moc"
