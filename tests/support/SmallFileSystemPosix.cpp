#include "support/TestSupport.h"

#include <QFile>
#include <QProcess>

#include <cstdlib>
#include <sys/mount.h>
#include <unistd.h>

namespace {

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

bool mountExt2(const QByteArray &path, QByteArray *image)
{
    QByteArray name = "/tmp/zel-ext2-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return false;
    *image = name;
    const bool sized = ::ftruncate(fd, 1 << 20) == 0;
    ::close(fd);
    return sized && run("mkfs.ext2", {"-q", "-F", "-m", "0", QFile::decodeName(name)}) &&
           run("mount", {"-o", "loop", QFile::decodeName(name), QFile::decodeName(path)});
}

bool mount(const QByteArray &path, SmallFileSystem::Kind kind, const char *size, QByteArray *image)
{
    if (kind == SmallFileSystem::Kind::Ext2)
        return mountExt2(path, image);
    return ::mount("tmpfs", path.constData(), "tmpfs", 0,
                   (QByteArray("size=") + size).constData()) == 0;
}

} // namespace

SmallFileSystem::SmallFileSystem(const QString &folder, Kind kind, const char *tmpfsSize)
    : path(QFile::encodeName(folder)), mounted(mount(path, kind, tmpfsSize, &image))
{
}

SmallFileSystem::~SmallFileSystem()
{
    if (mounted && ::umount2(path.constData(), 0) != 0)
        ::umount2(path.constData(), MNT_DETACH);
    if (!image.isEmpty())
        ::unlink(image.constData());
}
