#include "platform/WatchedProcess.h"

#include "platform/ProcessOutput.h"

#include <QFile>
#include <QHash>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>

namespace platform {

namespace {

// Once the program has ended, what it wrote last may still be in the pipes; a reader that
// cannot catch up with a program's child that writes on must not hold up the message for
// longer.
constexpr int ReaderGraceMs = 1000;

// Which start writes each log now. It guards every log's handle, too.
struct LogOwners
{
    QMutex mutex;
    QHash<QString, ProcessOutput *> owner;
};

LogOwners &logOwners()
{
    // Never destroyed: the reader of a process nobody deleted may use it while the program ends.
    static auto *owners = new LogOwners;
    return *owners;
}

QStringList tailLines(const QByteArray &bytes, bool cut, int count, int width)
{
    QStringList lines;
    for (const QByteArray &line : bytes.split('\n')) {
        // A line redrawn with carriage returns (a progress bar) ends as its last drawing.
        const QList<QByteArray> drawn = line.split('\r');
        QString text;
        for (auto it = drawn.crbegin(); it != drawn.crend() && text.isEmpty(); ++it)
            text = QString::fromLocal8Bit(*it).trimmed();
        if (!text.isEmpty())
            lines << (text.size() > width ? text.left(width - 3) + QStringLiteral("...") : text);
    }
    // Cut off in the middle; but a last line longer than the window is all there is to say.
    if (cut && lines.size() > 1)
        lines.removeFirst();
    return lines.mid(std::max<qsizetype>(0, lines.size() - count));
}

} // namespace

ProcessOutput::ProcessOutput(const QString &outputLog, const QString &errorLog)
{
    m_streams[0].path = outputLog;
    m_streams[1].path = errorLog;
    QMutexLocker lock(&logOwners().mutex);
    for (Stream &stream : m_streams) {
        if (stream.path.isEmpty())
            continue;
        // An older start lets go of the file before it is removed: it writes into no removed
        // log, and on Windows its handle would keep the name from being used again.
        if (ProcessOutput *older = logOwners().owner.value(stream.path))
            older->letGo(stream.path);
        logOwners().owner.insert(stream.path, this);
        stream.log = createLog(stream.path);
    }
}

ProcessOutput::~ProcessOutput()
{
    QMutexLocker lock(&logOwners().mutex);
    for (Stream &stream : m_streams) {
        if (logOwners().owner.value(stream.path) == this)
            logOwners().owner.remove(stream.path);
    }
    letGo(QString());
}

void ProcessOutput::letGo(const QString &path)
{
    for (Stream &stream : m_streams) {
        if (stream.log != -1 && (path.isEmpty() || stream.path == path)) {
            closeLog(stream.log);
            stream.log = -1;
        }
    }
}

void ProcessOutput::removeLogs()
{
    QMutexLocker lock(&logOwners().mutex);
    for (Stream &stream : m_streams) {
        if (stream.log == -1)
            continue;
        closeLog(stream.log);
        stream.log = -1;
        QFile::remove(stream.path);
    }
}

void ProcessOutput::take(int stream, const char *bytes, qsizetype size)
{
    QMutexLocker lock(&m_mutex);
    Stream &kept = m_streams[size_t(stream - 1)];
    kept.tail.append(bytes, size);
    kept.total += size;
    // Trimmed now and then rather than at every read.
    if (kept.tail.size() > 2 * TailBytes)
        kept.tail.remove(0, kept.tail.size() - TailBytes);
    write(kept, bytes, size);
}

void ProcessOutput::write(Stream &stream, const char *bytes, qsizetype size)
{
    if (stream.path.isEmpty())
        return;
    QMutexLocker lock(&logOwners().mutex);
    if (stream.log == -1)
        return; // it could not be made, or a newer start has it
    if (stream.written + size <= LogBytes) {
        if (appendToLog(stream.log, bytes, size)) {
            stream.written += size;
            return;
        }
    }
    // Full, or a write failed (a full disk): start again with the last lines.
    const QByteArray last = stream.tail.right(TailBytes);
    stream.written = emptyLog(stream.log) && appendToLog(stream.log, last.constData(), last.size())
                         ? last.size()
                         : LogBytes; // unknown: emptied again at the next write
}

void ProcessOutput::caughtUp()
{
    QMutexLocker lock(&m_mutex);
    m_caughtUp = true;
    if (m_context)
        QMetaObject::invokeMethod(m_context, m_done, Qt::QueuedConnection);
}

void ProcessOutput::whenCaughtUp(QObject *context, std::function<void()> done)
{
    QMutexLocker lock(&m_mutex);
    m_context = context;
    m_done = std::move(done);
    if (m_caughtUp)
        QMetaObject::invokeMethod(m_context, m_done, Qt::QueuedConnection);
}

void ProcessOutput::forget()
{
    QMutexLocker lock(&m_mutex);
    m_context = nullptr;
}

QByteArray ProcessOutput::tail(int stream, bool *cut) const
{
    QMutexLocker lock(&m_mutex);
    const Stream &kept = m_streams[size_t(stream - 1)];
    const QByteArray bytes = kept.tail.right(TailBytes);
    *cut = kept.total > bytes.size();
    return bytes;
}

void WatchedProcess::heardEnd(ProcessEnd end)
{
    m_end = end;
    m_output->whenCaughtUp(this, [this] { tellEnd(); });
    QTimer::singleShot(ReaderGraceMs, this, &WatchedProcess::tellEnd);
}

void WatchedProcess::tellEnd()
{
    if (m_told)
        return;
    m_told = true;
    emit ended(m_end);
}

QStringList WatchedProcess::lastLines(int count, int width) const
{
    bool cut = false;
    QStringList lines = tailLines(m_output->tail(2, &cut), cut, count, width);
    if (lines.isEmpty())
        lines = tailLines(m_output->tail(1, &cut), cut, count, width);
    return lines;
}

} // namespace platform
