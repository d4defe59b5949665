#include "platform/Processes.h"

#include <QProcess>

namespace platform {

// Qt prefixes the reason with the failing call ("execv: ..."); the player needs the reason.
QString startErrorReason(const QProcess &process)
{
    const QString error = process.errorString();
    const qsizetype colon = error.indexOf(QLatin1String(": "));
    return colon < 0 ? error : error.mid(colon + 2);
}

} // namespace platform
