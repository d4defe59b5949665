#pragma once

#include <QString>
#include <QStringList>

#include <array>

// What a launch takes from the window, read at the moment of the click.
struct LaunchSelections
{
    QString engineFolder, engineName; // File6
    int skill = 0;                    // 1 to 5; 0 when none is chosen
    int loadSlot = -1;                // 0 to 5; -1 when none is chosen
    QString iwadFolder, iwadName;     // File11
    QString pwad1Folder, pwad1Name;   // File8
    QString pwad2Folder, pwad2Name;   // File9
    QString programFolder, glName;    // File10 shows programFolder's GL_WADs
    QString recordName;               // Text1
    QString extraParameter;           // Text2
    QString warp;                     // Text3
    QString turbo;                    // Text4
    QString maxDemo;                  // Text5
    QString playDemo;                 // File7, with its ".lmp"
    std::array<bool, 7> switches{};   // Check1 to Check7
    bool extraParameterOn = false;    // Check8
};

struct EngineCommand
{
    // The line that runs, as the system gives it to the engine (Windows) or as a shell would
    // read it back into the same words (POSIX).
    QString line;
    QString program; // the engine folder, a separator and the engine's name
    QStringList arguments;
};

// Paths, the record name and the playback demo stay one argument each, blanks and all; the
// other texts the player typed are split into words as this system's people expect
// (TypedWords), each box on its own.
EngineCommand ComposeEngineCommandLine(const LaunchSelections &selections);

// Whether the name selected in the engine list can be started: a name ending in "exe" in
// any letter case, or an executable regular file that is not a WAD or a demo.
bool PassesEngineCheck(const QString &engineFolder, const QString &engineName);
