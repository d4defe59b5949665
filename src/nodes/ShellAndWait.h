#pragma once

#include <QString>
#include <QStringList>

// How a program run by ShellAndWait went.
struct ProcessOutcome
{
    bool started = false;
    QString startError;   // the system's reason when it could not be started
    bool crashed = false; // ended by a signal (or an abnormal end on other systems)
    int exitCode = 0;     // the exit code, or the signal number when crashed
    QString outputTail;   // the last lines it printed, both channels merged

    bool succeeded() const { return started && !crashed && exitCode == 0; }
};

// Starts `program` with `arguments`, each one argument whole, and returns when the process
// has ended. Meanwhile the thread's events are dispatched, so the window stays live and
// a second call made from one of those events nests inside this one.
ProcessOutcome ShellAndWait(const QString &program, const QStringList &arguments);
