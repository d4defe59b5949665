#include "core/launch/EngineCommandLine.h"

#include "core/launch/TypedWords.h"
#include "core/listing/FolderListing.h"
#include "platform/Platform.h"
#include "platform/Processes.h"

namespace {

using Piece = QStringList;

QString join(const QString &folder, const QString &name)
{
    return folder + platform::separator() + name;
}

Piece selectedFile(const QString &folder, const QString &name)
{
    return name.isEmpty() ? Piece() : Piece{join(folder, name)};
}

} // namespace

EngineCommand ComposeEngineCommandLine(const LaunchSelections &s)
{
    Piece skillOrLoad;
    if (s.skill >= 1 && s.skill <= 5)
        skillOrLoad = Piece{QStringLiteral("-skill"), QString::number(s.skill)};
    // A load-game slot wins over a skill.
    if (s.loadSlot >= 0 && s.loadSlot <= 5)
        skillOrLoad = Piece{QStringLiteral("-loadgame"), QString::number(s.loadSlot)};

    Piece iwad;
    if (!s.iwadName.isEmpty())
        iwad = Piece{QStringLiteral("-iwad"), join(s.iwadFolder, s.iwadName)};

    const QString glFolder = join(s.programFolder, QStringLiteral("GL_WADs"));
    const Piece pwads = selectedFile(glFolder, s.glName) +
                        selectedFile(s.pwad1Folder, s.pwad1Name) +
                        selectedFile(s.pwad2Folder, s.pwad2Name);
    Piece file;
    if (!pwads.isEmpty())
        file = Piece{QStringLiteral("-file")} + pwads;

    Piece maxDemo, warp, turbo;
    if (!s.maxDemo.isEmpty())
        maxDemo = Piece{QStringLiteral("-maxdemo")} + TypedWords(s.maxDemo);
    if (!s.warp.isEmpty())
        warp = Piece{QStringLiteral("-warp")} + TypedWords(s.warp);
    if (!s.turbo.isEmpty())
        turbo = Piece{QStringLiteral("-turbo")} + TypedWords(s.turbo);

    Piece demo;
    if (!s.recordName.isEmpty()) {
        const bool optionLike = s.recordName.startsWith(QLatin1Char('-'));
        demo = Piece{QStringLiteral("-record"),
                     optionLike ? platform::localFileArgument(s.recordName) : s.recordName};
    }
    // Playback wins over recording. The file as it is named, suffix and all: without it an
    // engine may find the IWAD's own demo of that name instead.
    if (!s.playDemo.isEmpty())
        demo = Piece{QStringLiteral("-playdemo"), platform::localFileArgument(s.playDemo)};

    static const char *const SwitchWords[] = {"-nomonsters", "-respawn", "-fast",   "-nomusic",
                                              "-nosfx",      "-nosound", "-devparm"};
    Piece switches;
    for (const int box : {1, 2, 0, 3, 4, 5, 6}) {
        if (s.switches[box])
            switches << QString::fromLatin1(SwitchWords[box]);
    }
    if (s.extraParameterOn)
        switches += TypedWords(s.extraParameter);

    EngineCommand command;
    command.program = join(s.engineFolder, s.engineName);
    command.arguments = iwad + file + warp + maxDemo + demo + skillOrLoad + switches + turbo;
    command.line = platform::shownCommandLine(command.program, command.arguments);
    return command;
}

bool PassesEngineCheck(const QString &engineFolder, const QString &engineName)
{
    if (engineName.right(3).compare(QLatin1String("exe"), Qt::CaseInsensitive) == 0)
        return true;
    if (engineName.isEmpty() || IsDataFileName(engineName.toUtf8()))
        return false;
    return platform::isProgramFile(join(engineFolder, engineName));
}
