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

// Most names are plain ASCII, which needs no decoder; big folders make that count.
// A name that is not valid in the system's encoding gives the null text: it would come
// back as another name, so the launcher could not open it and might act on a different file.
QString decodeFileName(const char *name)
{
    const size_t length = std::strlen(name);
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(name[i]) >= 0x80) {
            const QByteArray bytes(name, qsizetype(length));
            const QString decoded = QFile::decodeName(bytes);
            return QFile::encodeName(decoded) == bytes ? decoded : QString();
        }
    }
    return QString::fromLatin1(name, qsizetype(length));
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
    struct stat st
    {
    };
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
    struct stat st
    {
    };
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

bool readFileNames(const QString &folder, QStringList *names, QString *reason)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        if (reason)
            *reason = reasonFor(errno);
        return false;
    }
    // The entry's type usually comes with the name; only links and file systems that do
    // not give it cost a stat.
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        bool plain = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st
            {
            };
            plain = ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (plain) {
            QString name = decodeFileName(entry->d_name);
            if (!name.isNull())
                names->append(std::move(name));
        }
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
