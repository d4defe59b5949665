#include "core/launch/EngineEnd.h"

#include "platform/Platform.h"

#include <QRegularExpression>

bool EngineFailed(platform::ProcessEnd end, const QStringList &lastLines)
{
    if (end.signalled)
        return true;
    if (end.code == 0)
        return false;
    static const QRegularExpression finishedDemo(
        QStringLiteral("^(Demo .+ recorded|timed \\d+ gametics in \\d+ realtics.*)$"));
    return lastLines.isEmpty() || !finishedDemo.match(lastLines.last()).hasMatch();
}

QString EngineFailureMessage(const QString &engineName, platform::ProcessEnd end,
                             const QStringList &lastLines)
{
    const QString how =
        end.signalled ? QStringLiteral("was ended by %1").arg(platform::abnormalEndOf(end.code))
                      : QStringLiteral("ended with status %1").arg(end.code);
    QString message = QStringLiteral("The engine \"%1\" %2.").arg(engineName, how);
    // Each line cut in its middle to fit a message box: an error often comes at the end of a
    // line that began with something else.
    constexpr qsizetype Head = 60, Tail = 96;
    QStringList shown;
    for (const QString &line : lastLines)
        shown << (line.size() > Head + Tail + 3
                      ? line.left(Head) + QStringLiteral("...") + line.right(Tail)
                      : line);
    if (!shown.isEmpty())
        message += QStringLiteral("\n\nIts last lines:\n") + shown.join(QLatin1Char('\n'));
    return message;
}
