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

class ProcessOutput;

// A program started to run on its own, in a session of its own, with nothing on its input.
// The launcher reads its two output streams on a thread of its own, so a full pipe never
// stalls the program, keeps their last lines, and writes them to logs that stay small however
// much the program writes. It hears of the program's end from the system, without polling,
// for as long as this object lives; when it goes, the program runs on, and what it writes
// after that is lost.
class WatchedProcess : public QObject
{
    Q_OBJECT

public:
    // Starts `program` with `arguments` in `workingFolder`, its window opened as `window`
    // asks (POSIX leaves that to the program). Each log is created anew (a file of that name
    // is replaced, never written through) and from then on is this start's, not an earlier
    // one's; one that cannot be created leaves its stream in memory only. No shell sees the
    // arguments. Returns nullptr with the system's reason when the program cannot start.
    static WatchedProcess *start(const QString &program, const QStringList &arguments,
                                 const QString &workingFolder, WindowStyle window,
                                 const QString &outputLog, const QString &errorLog, QObject *parent,
                                 QString *reason);
    ~WatchedProcess() override;

    // The last `count` lines of the error output, or of the standard output when the error
    // output is empty, each cut to `width` characters.
    QStringList lastLines(int count, int width) const;

signals:
    // Once what the program wrote before its end has been read (or a second later, when
    // something it started still holds its streams).
    void ended(platform::ProcessEnd end);

private:
    explicit WatchedProcess(QObject *parent);
    void reap();
    void heardEnd(ProcessEnd end);
    void tellEnd();

    std::shared_ptr<ProcessOutput> m_output;
    ProcessEnd m_end;
    bool m_told = false;
    // The process, its streams' reader and what hears of its end: each system's own.
    struct System;
    std::unique_ptr<System> m_system;
};

} // namespace platform
