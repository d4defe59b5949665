#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Starts `program` with `arguments` in `workingFolder` and leaves it running on its own.
// No shell sees the arguments. Returns false with the system's reason when it cannot start.
bool startDetached(const QString &program, const QStringList &arguments,
                   const QString &workingFolder, QString *reason);

} // namespace platform
