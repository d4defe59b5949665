#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace platform {

// How a process ended: its exit status, or the signal (on Windows the exception) that
// ended it.
struct ProcessEnd
{
    bool signalled = false;
    int code = 0;
};

// How the started program's window opens, where the system has windows for it to open.
enum class WindowStyle { Normal, Maximized };

// A program started to run on its own: it gets no pipe that could fill, no terminal signal
// and nothing from the launcher's end; its two output streams go to files. The launcher
// hears of its end from the system, without polling, for as long as this object lives.
class WatchedProcess : public QObject
{
    Q_OBJECT

public:
    // Starts `program` with `arguments` in `workingFolder`, its window opened as `window`
    // asks (POSIX leaves that to the program). Each log is created anew (a file
    // of that name is replaced, never written through); one that cannot be created leaves
    // its stream unwritten. No shell sees the arguments. Returns nullptr with the system's
    // reason when the program cannot start.
    static WatchedProcess *start(const QString &program, const QStringList &arguments,
                                 const QString &workingFolder, WindowStyle window,
                                 const QString &outputLog, const QString &errorLog, QObject *parent,
                                 QString *reason);
    ~WatchedProcess() override;

    // The last `count` lines of the error output, or of the standard output when the error
    // output is empty, each cut to `width` characters.
    QStringList lastLines(int count, int width) const;

signals:
    void ended(platform::ProcessEnd end);

private:
    explicit WatchedProcess(QObject *parent);
    void reap();
    // The last bytes of the log of stream 1 (output) or 2 (errors), at most `window` of
    // them; `cut` tells whether there was more before.
    QByteArray logTail(int stream, qint64 window, bool *cut) const;

    // The process, its two logs and what hears of its end: each system's own.
    struct System;
    std::unique_ptr<System> m_system;
};

} // namespace platform
