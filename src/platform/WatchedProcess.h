#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QSocketNotifier;

namespace platform {

// How a process ended: its exit status, or the signal that ended it.
struct ProcessEnd
{
    bool signalled = false;
    int code = 0;
};

// A program started to run on its own: it gets no pipe that could fill, no terminal signal
// and nothing from the launcher's end; its two output streams go to files. The launcher
// hears of its end from the system, without polling, for as long as this object lives.
class WatchedProcess : public QObject
{
    Q_OBJECT

public:
    // Starts `program` with `arguments` in `workingFolder`. Each log is created anew (a file
    // of that name is replaced, never written through); one that cannot be created leaves
    // its stream unwritten. No shell sees the arguments. Returns nullptr with the system's
    // reason when the program cannot start.
    static WatchedProcess *start(const QString &program, const QStringList &arguments,
                                 const QString &workingFolder, const QString &outputLog,
                                 const QString &errorLog, QObject *parent, QString *reason);
    ~WatchedProcess() override;

    // The last `count` lines of the error output, or of the standard output when the error
    // output is empty, each cut to `width` characters.
    QStringList lastLines(int count, int width) const;

signals:
    void ended(platform::ProcessEnd end);

private:
    explicit WatchedProcess(QObject *parent);
    void reap();

    int m_pid = -1;
    int m_pidFd = -1;
    int m_output = -1;
    int m_errors = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace platform
