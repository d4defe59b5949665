#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>

#include <array>
#include <functional>

class QObject;

namespace platform {

// What a started program writes on its two streams, as the launcher keeps it: the last bytes of
// each in memory, for the message about its end, and each in a log file that starts again with
// those bytes when it would grow past LogBytes, so however much and however long the program
// writes, its logs stay small. A reader thread of its own fills it; the window's thread reads
// it. Only the newest start that names a log writes it: an older one's reader lets go of its
// file, which the newer start has put a new one in place of.
class ProcessOutput
{
public:
    // Enough for the last lines of a message, however long one of them is.
    static constexpr qsizetype TailBytes = 64 * 1024;
    static constexpr qint64 LogBytes = 2 * 1024 * 1024;

    // Creates each log anew (a path may be empty: that stream goes to memory only).
    ProcessOutput(const QString &outputLog, const QString &errorLog);
    ~ProcessOutput();
    ProcessOutput(const ProcessOutput &) = delete;
    ProcessOutput &operator=(const ProcessOutput &) = delete;

    // The program did not start: its logs go.
    void removeLogs();

    // The reader's side: `size` bytes of stream 1 (output) or 2 (errors); and that it has taken
    // in all the program wrote before its end: its streams ended, or, asked once the program had
    // ended, it found them empty (what a program it started writes later is not waited for).
    void take(int stream, const char *bytes, qsizetype size);
    void caughtUp();

    // The window's side. `done` runs on `context`'s thread once caughtUp() has come (soon, when
    // it has); forget() before `context` goes.
    void whenCaughtUp(QObject *context, std::function<void()> done);
    void forget();
    // The last bytes of stream 1 or 2; `cut` tells whether there was more before.
    QByteArray tail(int stream, bool *cut) const;

private:
    struct Stream
    {
        QString path;
        // Guarded by the lock of every log's owner, not by m_mutex: a newer start closes it.
        qintptr log = -1;
        qint64 written = 0;
        QByteArray tail;
        qint64 total = 0;
    };
    void write(Stream &stream, const char *bytes, qsizetype size);
    // Closes the log of `path`, or every log for the empty text.
    void letGo(const QString &path);

    mutable QMutex m_mutex;
    std::array<Stream, 2> m_streams;
    bool m_caughtUp = false;
    QObject *m_context = nullptr;
    std::function<void()> m_done;
};

// Each system's own, in its WatchedProcess file. A log of this start only, written by the
// launcher alone: the old entry is removed first, and a link in its place is never followed;
// -1 when there is none.
qintptr createLog(const QString &path);
// Adds `bytes` at the end; false, with part of them written, when the system refused.
bool appendToLog(qintptr log, const char *bytes, qint64 size);
bool emptyLog(qintptr log);
void closeLog(qintptr log);

} // namespace platform
