#include "platform/Platform.h"
#include "platform/Processes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <initializer_list>
#include <fcntl.h>
#include <sys/resource.h>
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

// The system ends a name at its first NUL: what it found would be another file.
bool spellable(const QString &path, QString *reason)
{
    if (!path.contains(QChar(0)))
        return true;
    if (reason)
        *reason = reasonFor(EINVAL);
    return false;
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

struct FolderScan
{
    int folder;
};

bool FolderEntry::isProgram() const
{
    // Relative to the open folder: no path to build and look up for each of many files.
    struct stat st
    {
    };
    return ::fstatat(m_scan.folder, name.data(), &st, 0) == 0 && platform::isProgram(st);
}

QString programDialogPattern()
{
    return QStringLiteral("*");
}

QString currentFolder(QString *unspellable)
{
    QByteArray name(4096, '\0');
    while (!::getcwd(name.data(), size_t(name.size()))) {
        if (errno != ERANGE)
            return QString();
        name.resize(name.size() * 2);
    }
    name.truncate(qsizetype(std::strlen(name.constData())));
    const QString text = fileNameText(name);
    if (text.isNull() && unspellable)
        *unspellable = QString::fromUtf8(name);
    return text;
}

bool setNormalAttributes(const QString &path, QString *reason)
{
    if (!spellable(path, reason))
        return false;
    const QByteArray native = QFile::encodeName(path);
    struct stat st
    {
    };
    if (::lstat(native.constData(), &st) == 0 && S_ISLNK(st.st_mode))
        return true;
    const mode_t mode = (st.st_mode & 07777) | S_IWUSR;
    int done = ::fchmodat(AT_FDCWD, native.constData(), mode, AT_SYMLINK_NOFOLLOW);
    // Where the system cannot leave links alone itself, it has just been seen to be none.
    if (done != 0 && errno == EOPNOTSUPP && ::lstat(native.constData(), &st) == 0 &&
        !S_ISLNK(st.st_mode))
        done = ::chmod(native.constData(), mode);
    if (done != 0 && errno != EOPNOTSUPP) {
        if (reason)
            *reason = reasonFor(errno);
        return false;
    }
    return true;
}

bool isWriteProtected(const QString &path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISLNK(st.st_mode) &&
           (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

QString fromSystemCodePage(QByteArrayView bytes)
{
    // The old program's Western default; Linux has no 8-bit system page of its own.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = QChar(byte >= 0x80 && byte < 0xA0 ? high[byte - 0x80] : char16_t(byte));
    }
    return text;
}

bool toSystemCodePage(const QString &, QByteArray *)
{
    return false; // files here are UTF-8
}

EntryKind entryKind(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st
    {
    };
    if (::stat(native.constData(), &st) == 0)
        return S_ISREG(st.st_mode) ? EntryKind::RegularFile : EntryKind::Other;
    return ::lstat(native.constData(), &st) == 0 ? EntryKind::Other : EntryKind::Missing;
}

namespace {
// -1 with the reason unless `native` is, or links to, a regular file.
int openRegular(const QByteArray &native, QString *reason)
{
    if (native.contains('\0')) {
        *reason = reasonFor(EINVAL);
        return -1;
    }
    struct stat st
    {
    };
    // Opening alone wakes a pipe's writer or sets a device going: look before opening.
    if (::stat(native.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        *reason = QStringLiteral("it is not a regular file");
        return -1;
    }
    // Should it change in between, O_NONBLOCK still keeps a pipe from waiting for a writer.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        *reason = reasonFor(errno);
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        *reason = QStringLiteral("it is not a regular file");
        return -1;
    }
    return fd;
}
} // namespace

bool openRegularFile(const QString &path, QFile *file, QString *reason)
{
    const int fd = openRegular(QFile::encodeName(path), reason);
    if (fd < 0)
        return false;
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *reason = file->errorString();
        ::close(fd);
        return false;
    }
    return true;
}

ReplacingFile::~ReplacingFile()
{
    if (m_handle >= 0) {
        ::close(int(m_handle));
        ::unlink(QFile::encodeName(m_temporary).constData());
    }
}

bool ReplacingFile::open(QString *reason)
{
    if (!spellable(m_path, reason))
        return false;
    const QByteArray native = QFile::encodeName(m_path);
    const qsizetype slash = m_path.lastIndexOf(QLatin1Char('/'));
    // Hidden, so no list shows it while it is written.
    const QString folder = slash < 0 ? QString() : m_path.left(slash + 1);
    for (int attempt = 0; attempt < 100 && m_handle < 0; ++attempt) {
        m_temporary = folder + QStringLiteral(".zel-") +
                      QString::number(QRandomGenerator::global()->generate(), 36) +
                      QStringLiteral(".new");
        m_handle = ::open(QFile::encodeName(m_temporary).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_handle < 0 && errno != EEXIST)
            break;
    }
    if (m_handle < 0) {
        *reason = reasonFor(errno);
        return false;
    }
    struct stat st
    {
    };
    // Not the set-ID bits: the new file is the launcher's user's, and so would their rights be.
    if (::lstat(native.constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(int(m_handle), st.st_mode & 0777);
    return true;
}

bool ReplacingFile::write(QByteArrayView data, QString *reason)
{
    const char *next = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(int(m_handle), next, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *reason = reasonFor(n < 0 ? errno : ENOSPC);
            return false;
        }
        next += n;
        left -= n;
    }
    return true;
}

bool ReplacingFile::commit(QString *reason)
{
    // Some file systems find out only at fsync() or close() that the disk is full.
    const int fd = int(m_handle);
    m_handle = -1;
    const QByteArray temporary = QFile::encodeName(m_temporary);
    const bool written = ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 || !written ||
        ::rename(temporary.constData(), QFile::encodeName(m_path).constData()) != 0) {
        *reason = reasonFor(written ? errno : error);
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

namespace {
QByteArray joined(std::initializer_list<long long> parts)
{
    QByteArray text;
    for (long long part : parts)
        text += QByteArray::number(part) + ' ';
    return text;
}
} // namespace

QByteArray fileIdentity(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return joined({(long long)st.st_dev, (long long)st.st_ino});
}

QByteArray fileStamp(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    // Whole seconds would miss a rewrite right after the last one.
    return joined({(long long)st.st_dev, (long long)st.st_ino, (long long)st.st_size,
                   (long long)st.st_mtim.tv_sec, st.st_mtim.tv_nsec, (long long)st.st_ctim.tv_sec,
                   st.st_ctim.tv_nsec});
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
    if (!spellable(folder, reason))
        return false;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        if (reason)
            *reason = reasonFor(errno);
        return false;
    }
    // The entry's type usually comes with the name; only links and file systems that do
    // not give it cost a stat.
    const FolderScan scan{::dirfd(dir)};
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
                              scan));
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

QString localFileArgument(const QString &name)
{
    return QStringLiteral("./") + name;
}

QString comparisonKey(const QString &path)
{
    return path;
}

double processorSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QString nodeBuilderProgramName()
{
    return QStringLiteral("zennode");
}

WindowFont windowFont()
{
    // The design's face where it is installed; the others are wider, and a caption that would
    // be clipped is set smaller.
    return {{QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
             QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")},
            false};
}

ProcessGroup::~ProcessGroup() = default;

void ProcessGroup::startInOwnGroup(QProcess &process)
{
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    QObject::connect(&process, &QProcess::started, &process,
                     [this, &process] { m_handle = qintptr(process.processId()); });
}

void ProcessGroup::end()
{
    if (m_handle > 0)
        ::kill(-pid_t(m_handle), SIGKILL);
}

QString abnormalEndOf(int code)
{
    return QStringLiteral("signal %1 (%2)")
        .arg(code)
        .arg(QString::fromLocal8Bit(::strsignal(code)));
}

} // namespace platform
