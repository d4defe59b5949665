#include "core/nodes/ShellAndWait.h"

#include "platform/Ending.h"
#include "platform/Processes.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QThread>
#include <QTimer>

namespace {

constexpr int TailLines = 12;
// A line longer than this is cut: the tail is shown in a message box that must fit on screen.
constexpr qsizetype TailLineLength = 100;
// Enough to hold the last lines of even a chatty tool; older output is dropped as it comes.
constexpr qsizetype KeptBytes = 16 * 1024;

// How often a program that has ended is asked whether what it started has ended too.
constexpr int StragglerPollMs = 100;

// Once every process was told to end: they are gone in moments, unless one hangs in the
// system (a lost network drive), which is not waited for without end.
void waitUntilEmpty(platform::ProcessGroup &group)
{
    QElapsedTimer clock;
    clock.start();
    while (!group.isEmpty() && clock.elapsed() < 5000)
        QThread::msleep(10);
}

void keepTail(QByteArray &kept, const QByteArray &more)
{
    kept += more;
    if (kept.size() > KeptBytes)
        kept.remove(0, kept.size() - KeptBytes);
}

QString lastLines(const QByteArray &output)
{
    QStringList lines;
    for (const QString &line : QString::fromLocal8Bit(output).split(QLatin1Char('\n'))) {
        // A progress counter redraws its line with carriage returns; keep what it left.
        const QStringList redrawn = line.split(QLatin1Char('\r'), Qt::SkipEmptyParts);
        const QString shown = redrawn.isEmpty() ? QString() : redrawn.last().trimmed();
        if (shown.size() > TailLineLength)
            lines << shown.left(TailLineLength - 1) + QChar(0x2026); // an ellipsis
        else if (!shown.isEmpty())
            lines << shown;
    }
    return lines.mid(qMax(0, int(lines.size()) - TailLines)).join(QLatin1Char('\n'));
}

} // namespace

ProcessOutcome ShellAndWait(const QString &program, const QStringList &arguments, ProcessStop *stop)
{
    ProcessOutcome outcome;
    platform::ProcessGroup group;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    // A tool that asks a question must not wait for an answer nobody can give.
    process.setStandardInputFile(QProcess::nullDevice());
    // Ending it must end what it started too, such as the builder behind a wrapper script.
    group.startInOwnGroup(process);

    QByteArray output;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop,
                     [&] { keepTail(output, process.readAllStandardOutput()); });
    // The program has ended when it and everything it started have: a child left behind may
    // still be writing the output.
    QTimer stragglers;
    stragglers.setInterval(StragglerPollMs);
    QObject::connect(&stragglers, &QTimer::timeout, &loop, [&] {
        if (group.isEmpty())
            loop.quit();
    });
    QObject::connect(&process, &QProcess::finished, &loop, [&] {
        if (group.isEmpty())
            loop.quit();
        else
            stragglers.start();
    });

    process.start(program, arguments);
    if (!process.waitForStarted(-1)) {
        outcome.startError = platform::startErrorReason(process);
        return outcome;
    }
    outcome.started = true;

    auto end = [&] {
        if (group.isEmpty() && process.state() == QProcess::NotRunning)
            return;
        outcome.ended = true;
        group.end();
        // Should the system have refused it a group of its own, it is ended by itself.
        process.kill();
    };
    // Whatever ends the launcher from outside ends the program first, and waits for it.
    ending::Undo ending([&] {
        end();
        // Reaped, the first of the group leaves it; what it started goes to the system.
        process.waitForFinished(5000);
        waitUntilEmpty(group);
    });
    if (stop)
        QObject::connect(stop, &ProcessStop::requested, &loop, end);
    if (process.state() != QProcess::NotRunning || !group.isEmpty())
        loop.exec();
    // The loop also ends when the application quits. Waiting on then would leave a launcher
    // without a window for as long as the tool runs, for ever if it hangs.
    end();
    process.waitForFinished(-1);
    waitUntilEmpty(group);

    keepTail(output, process.readAllStandardOutput());
    outcome.crashed = process.exitStatus() == QProcess::CrashExit;
    outcome.exitCode = process.exitCode();
    outcome.outputTail = lastLines(output);
    return outcome;
}
