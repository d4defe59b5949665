#pragma once

#include "platform/WatchedProcess.h"

#include <QString>
#include <QStringList>

// The engine's two output streams, in the program folder; each start replaces them.
inline const QString EngineOutputLog = QStringLiteral("engine-output.log");
inline const QString EngineErrorLog = QStringLiteral("engine-errors.log");

// Whether an engine's end is a failure the player should hear of, given its last lines (of
// its error output when it wrote any). A signal or a status other than 0 is one, except a
// finished demo that an engine ends through its error path: "Demo NAME recorded" after
// -maxdemo, "timed N gametics in M realtics" after -timedemo.
bool EngineFailed(platform::ProcessEnd end, const QStringList &lastLines);

// "ENGINE" ended with status N / was ended by signal N (Name), and its last lines.
QString EngineFailureMessage(const QString &engineName, platform::ProcessEnd end,
                             const QStringList &lastLines);
