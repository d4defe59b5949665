#include "support/TestSupport.h"

#include <QFile>

// Windows mounts no small file system for a test: those tests skip.
SmallFileSystem::SmallFileSystem(const QString &folder, Kind, const char *)
    : path(QFile::encodeName(folder)), mounted(false)
{
}

SmallFileSystem::~SmallFileSystem() = default;
