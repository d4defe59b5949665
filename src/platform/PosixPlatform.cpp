#include "platform/Platform.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
// Folders are read on worker threads too, so the thread-safe form.
QString reasonFor(int error)
{
    char buffer[256];
    return QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
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

namespace {
bool isProgram(const struct stat &st)
{
    return S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}
} // namespace

bool isProgramFile(const QString &path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && isProgram(st);
}

bool FolderEntry::isProgram() const
{
    // Relative to the open folder: no path to build and look up for each of many files.
    struct stat st
    {
    };
    return ::fstatat(m_folder, name.data(), &st, 0) == 0 && platform::isProgram(st);
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

bool forEachFile(const QString &folder, const std::function<void(const FolderEntry &)> &visit,
                 QString *reason)
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
        if (plain)
            visit(FolderEntry(QByteArrayView(entry->d_name, qsizetype(std::strlen(entry->d_name))),
                              ::dirfd(dir)));
    }
    ::closedir(dir);
    return true;
}

QString fileNameText(QByteArrayView name)
{
    const bool ascii = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        return QString::fromLatin1(name);
    const QByteArray bytes = name.toByteArray();
    const QString text = QFile::decodeName(bytes);
    return QFile::encodeName(text) == bytes ? text : QString();
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
