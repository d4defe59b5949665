#include "core/nodes/ShellAndWait.h"

#include "platform/Processes.h"

#include <QEventLoop>
#include <QProcess>

namespace {

constexpr int TailLines = 12;
// A line longer than this is cut: the tail is shown in a message box that must fit on screen.
constexpr qsizetype TailLineLength = 100;
// Enough to hold the last lines of even a chatty tool; older output is dropped as it comes.
constexpr qsizetype KeptBytes = 16 * 1024;

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
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);

    process.start(program, arguments);
    if (!process.waitForStarted(-1)) {
        outcome.startError = platform::startErrorReason(process);
        return outcome;
    }
    outcome.started = true;

    auto end = [&] {
        // One that has ended by itself is reaped: its group's number may be another's now.
        if (process.state() == QProcess::NotRunning)
            return;
        outcome.ended = true;
        group.end();
    };
    if (stop)
        QObject::connect(stop, &ProcessStop::requested, &loop, end);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    // The loop also ends when the application quits. Waiting on then would leave a launcher
    // without a window for as long as the tool runs, for ever if it hangs.
    if (process.state() != QProcess::NotRunning) {
        end();
        process.waitForFinished(-1);
    }

    keepTail(output, process.readAllStandardOutput());
    outcome.crashed = process.exitStatus() == QProcess::CrashExit;
    outcome.exitCode = process.exitCode();
    outcome.outputTail = lastLines(output);
    return outcome;
}
