#pragma once

#include <QString>
#include <QStringList>

class QProcess;

namespace platform {

// Has `process` start in a process group of its own, which endProcessGroup() can end.
void startInOwnGroup(QProcess &process);

// Ends at once the process group that startInOwnGroup() gave the process `leader`: the
// program and whatever it started.
void endProcessGroup(qint64 leader);

// The system's reason why `process` could not be started, as the player should read it.
QString startErrorReason(const QProcess &process);

} // namespace platform
