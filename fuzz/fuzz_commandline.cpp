// Random selections into the command-line composer: no crash, every path the launcher
// builds arrives as one argument, whole, and the line shown is the line that runs. Typed
// words come back whole through either system's quoting.
#include "core/launch/EngineCommandLine.h"
#include "core/launch/TypedWords.h"
#include "platform/Platform.h"
#include "platform/Processes.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

namespace {

QString text(FuzzedDataProvider &in)
{
    return QString::fromUtf8(in.ConsumeRandomLengthString(40));
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    LaunchSelections s;
    s.engineFolder = text(in);
    s.engineName = text(in);
    s.skill = in.ConsumeIntegralInRange(-1, 6);
    s.loadSlot = in.ConsumeIntegralInRange(-2, 6);
    s.iwadFolder = text(in);
    s.iwadName = text(in);
    s.pwad1Folder = text(in);
    s.pwad1Name = text(in);
    s.pwad2Folder = text(in);
    s.pwad2Name = text(in);
    s.programFolder = text(in);
    s.glName = text(in);
    s.recordName = text(in);
    s.extraParameter = text(in);
    s.warp = text(in);
    s.turbo = text(in);
    s.maxDemo = text(in);
    s.playDemo = text(in);
    for (bool &on : s.switches)
        on = in.ConsumeBool();
    s.extraParameterOn = in.ConsumeBool();

    const EngineCommand command = ComposeEngineCommandLine(s);
    const QString sep = platform::separator();
    check(command.program == s.engineFolder + sep + s.engineName);

    const auto wholeIfSelected = [&](const QString &folder, const QString &name) {
        check(name.isEmpty() || command.arguments.contains(folder + sep + name));
    };
    wholeIfSelected(s.iwadFolder, s.iwadName);
    wholeIfSelected(s.pwad1Folder, s.pwad1Name);
    wholeIfSelected(s.pwad2Folder, s.pwad2Name);
    wholeIfSelected(s.programFolder + sep + QStringLiteral("GL_WADs"), s.glName);
    if (!s.iwadName.isEmpty())
        check(command.arguments.indexOf(QStringLiteral("-iwad")) + 1 ==
              command.arguments.indexOf(s.iwadFolder + sep + s.iwadName));
    // Playback wins over recording: with a demo to play, the record name changes nothing.
    if (!s.playDemo.isEmpty()) {
        LaunchSelections withoutRecord = s;
        withoutRecord.recordName.clear();
        check(ComposeEngineCommandLine(withoutRecord).arguments == command.arguments);
    }
    // The demo's name is one argument that no engine reads as an option.
    const QString demo = s.playDemo.isEmpty() ? s.recordName : s.playDemo;
    if (!demo.isEmpty()) {
        const QString passed = s.playDemo.isEmpty() && !demo.startsWith(QLatin1Char('-'))
                                   ? demo
                                   : QStringLiteral("./") + demo;
        check(command.arguments.contains(passed));
    }
    check(SplitLikePosixShell(command.line) == QStringList{command.program} + command.arguments);

    const QStringList windowsWords = SplitLikeWindowsRuntime(s.extraParameter);
    const QString line = platform::windowsCommandLine(QStringLiteral("e"), windowsWords);
    check(SplitLikeWindowsRuntime(line.mid(3)) == windowsWords);
    return 0;
}
