#pragma once

#include <QObject>
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
    bool ended = false;   // ended by the launcher before it had finished

    bool succeeded() const { return started && !crashed && exitCode == 0; }
};

// Lets the one who started a wait end its program early.
class ProcessStop : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    // Ends the program being waited for, and whatever it started, at once.
    void request() { emit requested(); }

signals:
    void requested();
};

// Starts `program` with `arguments`, each one argument whole, and returns when the process
// has ended. Meanwhile the thread's events are dispatched, so the window stays live and
// a second call made from one of those events nests inside this one. `stop`, when given,
// ends the program early; so does the application quitting.
ProcessOutcome ShellAndWait(const QString &program, const QStringList &arguments,
                            ProcessStop *stop = nullptr);
