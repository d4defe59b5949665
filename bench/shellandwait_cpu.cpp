// Measures the processor time the launcher itself uses while it waits for a node build:
// the window is open and ShellAndWait runs "sleep SECONDS".
//   shellandwait_cpu [SECONDS] [--poll]
// --poll waits the old way instead (poll the process and dispatch events without pause),
// for comparison.
#include "app/Form1.h"
#include "nodes/ShellAndWait.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void pollUntilEnded(const QString &seconds)
{
    QProcess process;
    process.start(QStringLiteral("sleep"), {seconds});
    process.waitForStarted(-1);
    while (process.state() != QProcess::NotRunning)
        QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool poll = args.contains(QStringLiteral("--poll"));
    QString seconds = QStringLiteral("2");
    for (const QString &arg : args) {
        if (!arg.startsWith(QLatin1Char('-')))
            seconds = arg;
    }

    QTemporaryDir folder; // the window's program folder, so no GL_WADs is left behind
    QDir::setCurrent(folder.path());
    Form1 window;
    window.show();
    QCoreApplication::processEvents();

    QElapsedTimer wall;
    wall.start();
    const double before = cpuSeconds();
    if (poll)
        pollUntilEnded(seconds);
    else
        ShellAndWait(QStringLiteral("sleep"), {seconds});
    const double cpu = cpuSeconds() - before;
    const double elapsed = wall.elapsed() / 1000.0;

    std::printf("%s wait for \"sleep %s\": %.2f s wall, %.3f s processor time (%.1f%%)\n",
                poll ? "polling" : "ShellAndWait", qPrintable(seconds), elapsed, cpu,
                100.0 * cpu / elapsed);
    return 0;
}
