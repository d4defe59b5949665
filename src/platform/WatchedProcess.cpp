#include "platform/WatchedProcess.h"

#include <algorithm>

namespace platform {

namespace {

QStringList tailLines(const QByteArray &bytes, bool cut, int count, int width)
{
    QStringList lines;
    for (const QByteArray &line : bytes.split('\n')) {
        const QString text = QString::fromLocal8Bit(line).trimmed();
        if (!text.isEmpty())
            lines << (text.size() > width ? text.left(width - 3) + QStringLiteral("...") : text);
    }
    // Cut off in the middle; but a last line longer than the window is all there is to say.
    if (cut && lines.size() > 1)
        lines.removeFirst();
    return lines.mid(std::max<qsizetype>(0, lines.size() - count));
}

} // namespace

QStringList WatchedProcess::lastLines(int count, int width) const
{
    constexpr qint64 Window = 64 * 1024;
    bool cut = false;
    QStringList lines = tailLines(logTail(2, Window, &cut), cut, count, width);
    if (lines.isEmpty())
        lines = tailLines(logTail(1, Window, &cut), cut, count, width);
    return lines;
}

} // namespace platform
