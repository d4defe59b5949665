#include "platform/Platform.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
QString reasonFor(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

QString separator()
{
    return QStringLiteral("/");
}

QString shortPathOf(const QString &path)
{
    if (path.isEmpty() || !QFile::exists(path))
        return QString();
    return QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path);
}

bool isProgramFile(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

QString programDialogPattern()
{
    return QStringLiteral("*");
}

bool setNormalAttributes(const QString &path, QString *reason)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 ||
        ::chmod(native.constData(), (st.st_mode & 07777) | S_IWUSR) != 0) {
        if (reason)
            *reason = reasonFor(errno);
        return false;
    }
    return true;
}

bool createFolder(const QString &path, QString *reason)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0) {
        if (reason)
            *reason = reasonFor(errno);
        return false;
    }
    return true;
}

bool canListFolder(const QString &path, QString *reason)
{
    DIR *dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir) {
        if (reason)
            *reason = reasonFor(errno);
        return false;
    }
    ::closedir(dir);
    return true;
}

QString nodeBuilderProgramName()
{
    return QStringLiteral("zennode");
}

QString abnormalEndOf(int code)
{
    return QStringLiteral("signal %1 (%2)")
        .arg(code)
        .arg(QString::fromLocal8Bit(::strsignal(code)));
}

} // namespace platform
