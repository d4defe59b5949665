#pragma once

#include <QString>
#include <QStringList>

class QProcess;

namespace platform {

// A program together with whatever it starts, so that ending it ends them all: a process
// group on POSIX, a job object on Windows. Should the launcher die, they all die with it: on
// POSIX a small guard process ends the group once the launcher is gone (and the program gets
// a parent-death signal on Linux); on Windows the job ends with its last handle.
class ProcessGroup
{
public:
    ProcessGroup() = default;
    ~ProcessGroup();
    ProcessGroup(const ProcessGroup &) = delete;
    ProcessGroup &operator=(const ProcessGroup &) = delete;

    // Has `process`, not started yet, start as the first of this group.
    void startInOwnGroup(QProcess &process);
    // Whether every process of the group has ended, what the first one started included.
    // Once it is, the group is let go of and end() does nothing.
    bool isEmpty();
    // Ends at once every process of the group still running. Not to be called once the group
    // was seen empty: on POSIX its number may be another's by then.
    void end();

private:
    void releaseGuard();

    // The group's number here, the job's HANDLE on Windows; 0 before the start and once empty.
    qintptr m_handle = 0;
    // POSIX: the guard's process and the pipe whose end tells it that the launcher is gone.
    qintptr m_guard = 0;
    int m_guardPipe = -1;
};

// The system's reason why `process` could not be started, as the player should read it: in
// the system's words, the program's path in place of the blank they leave for it.
QString startErrorReason(const QProcess &process);

// The line that shows how `program` runs with `arguments`: on Windows the very command line
// the program gets; on POSIX its argument vector as a shell would read it back, word by word.
QString shownCommandLine(const QString &program, const QStringList &arguments);

// `words` as a POSIX shell reads them back unchanged: a word that the shell would split,
// expand or take as an operator, and the empty word, in single quotes.
QString posixShellLine(const QStringList &words);

// The command line that hands `program` and `arguments` to a Windows program whole, as
// CommandLineToArgvW and the Microsoft C runtime split it: each word with a blank, a tab or
// a quote in it (or none at all) is quoted, and backslashes are doubled only where a quote
// follows them.
QString windowsCommandLine(const QString &program, const QStringList &arguments);

} // namespace platform
