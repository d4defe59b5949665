#include "core/nodes/NodeBuilderCommands.h"

#include "platform/Platform.h"

namespace {

NodeBuilderCommand buildInto(const QString &programFolder, const QString &input,
                             const QString &output)
{
    const QString sep = platform::separator();
    return {programFolder + sep + platform::nodeBuilderProgramName(),
            {input, QStringLiteral("-o"), output}};
}

} // namespace

QString NodeBuilderCommand::display() const
{
    return (QStringList{program} + arguments).join(QLatin1Char(' '));
}

NodeBuilderCommand GlPwadCommand(const QString &programFolder, const QString &pwadFolder,
                                 const QString &name, const QString &glWadsFolder)
{
    const QString sep = platform::separator();
    return buildInto(programFolder, pwadFolder + sep + name, glWadsFolder + sep + name);
}

NodeBuilderCommand GlIwadCommand(const QString &programFolder, const QString &iwadFolder,
                                 const QString &name)
{
    const QString iwad = iwadFolder + platform::separator() + name;
    return buildInto(programFolder, iwad, iwad);
}
