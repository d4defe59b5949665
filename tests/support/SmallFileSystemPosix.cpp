#include "support/TestSupport.h"

#include <QFile>

#include <sys/mount.h>

SmallFileSystem::SmallFileSystem(const QString &folder, const char *size)
    : path(QFile::encodeName(folder)),
      mounted(::mount("tmpfs", path.constData(), "tmpfs", 0,
                      (QByteArray("size=") + size).constData()) == 0)
{
}

SmallFileSystem::~SmallFileSystem()
{
    if (mounted)
        ::umount2(path.constData(), MNT_DETACH);
}
