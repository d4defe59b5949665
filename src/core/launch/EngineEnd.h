#pragma once

#include "platform/WatchedProcess.h"

#include <QString>
#include <QStringList>

// Whether an engine's end is a failure the player should hear of, given its last lines (of
// its error output when it wrote any). A signal or a status other than 0 is one, except a
// finished demo that an engine ends through its error path: "Demo NAME recorded" after
// -maxdemo, "timed N gametics in M realtics" after -timedemo.
bool EngineFailed(platform::ProcessEnd end, const QStringList &lastLines);

// "ENGINE" ended with status N / was ended by signal N (Name), and its last lines, each cut
// to fit a message box.
QString EngineFailureMessage(const QString &engineName, platform::ProcessEnd end,
                             const QStringList &lastLines);
