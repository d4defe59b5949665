#include "core/ProgramPaths.h"

#include "platform/Platform.h"

QString ProgramPaths::inFolder(const QString &name) const
{
    return m_folder.isEmpty() ? QString() : m_folder + platform::separator() + name;
}
