#include "platform/Ending.h"
#include "platform/Platform.h"
#include "platform/Processes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <initializer_list>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {
// Folders are read on worker threads too, so the thread-safe form.
QString reasonFor(int error)
{
    char buffer[256];
    return QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
}

// Where a new file cannot be made beside the old one or moved into its place, though the old
// one may still be written where it is: a mount on it, a folder that takes no new file.
bool refusesPlace(int error)
{
    return error == EPERM || error == EACCES || error == EROFS || error == EBUSY || error == EXDEV;
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

QString absolutePath(const QString &path)
{
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return path;
    const QString current = currentFolder();
    return current.isEmpty() ? path : current + separator() + path;
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

WordRule typedWordRule()
{
    return WordRule::PosixShell;
}

// Qt prefixes the reason with the failing call ("execv: ..."); the player needs the reason.
QString startErrorReason(const QProcess &process)
{
    const QString error = process.errorString();
    const qsizetype colon = error.indexOf(QLatin1String(": "));
    return colon < 0 ? error : error.mid(colon + 2);
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

bool systemCodePageIsSingleByte()
{
    return true; // Windows-1252
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

namespace {
// Open for writing where it can be: NFS turns flock() into a byte-range lock, and an exclusive
// one there needs a file open for writing.
int openToLock(const QByteArray &path, int flags)
{
    const int fd = ::open(path.constData(), O_RDWR | flags, 0644);
    if (fd >= 0 || (errno != EACCES && errno != EROFS && errno != EPERM && errno != ETXTBSY))
        return fd;
    return ::open(path.constData(), O_RDONLY | flags, 0644);
}
} // namespace

FileLock::Result FileLock::take(QString *reason)
{
    release();
    if (!spellable(m_path, reason))
        return Result::Failed;
    const int fd = openToLock(QFile::encodeName(m_path),
                              O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | (m_players ? 0 : O_CREAT));
    if (fd < 0) {
        *reason = reasonFor(errno);
        return Result::Failed;
    }
    // Whole-file and advisory: a builder writing the file never notices it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Result::HeldElsewhere;
        *reason = reasonFor(error);
        return Result::Failed;
    }
    m_handle = fd;
    return Result::Taken;
}

void FileLock::release()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
    m_handle = -1;
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
        m_placeRefused = refusesPlace(errno);
        *reason = reasonFor(errno);
        return false;
    }
    // Held while it is written: a launcher that starts meanwhile leaves it alone.
    ::flock(int(m_handle), LOCK_EX | LOCK_NB);
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
    int error = errno;
    const bool closed = ::close(fd) == 0;
    if (written && !closed)
        error = errno;
    if (written && closed) {
        if (::rename(temporary.constData(), QFile::encodeName(m_path).constData()) == 0)
            return true;
        error = errno;
        m_placeRefused = refusesPlace(error);
    }
    *reason = reasonFor(error);
    ::unlink(temporary.constData());
    return false;
}

namespace {
// Writes all of `data` at `offset`: 0, or why not.
int writeAt(int fd, QByteArrayView data, off_t offset)
{
    const char *next = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::pwrite(fd, next, size_t(left), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        next += n;
        left -= n;
        offset += n;
    }
    return 0;
}

// Takes the space that `data` needs in `fd`, which is `old` bytes long, leaving those bytes
// as they are: 0, or why not, and then the file is as it was.
int reserve(int fd, QByteArrayView data, off_t old)
{
    const off_t size = off_t(data.size());
    if (size == 0)
        return 0;
    int done;
    while ((done = ::fallocate(fd, 0, 0, size)) != 0 && errno == EINTR) {
    }
    int error = done == 0 ? 0 : errno;
    // A file system that reserves nothing ahead: what lies beyond the old end goes first, and
    // must be on the disk, since some find out only then that it is full.
    if (error == EOPNOTSUPP || error == ENOSYS) {
        error = size > old ? writeAt(fd, data.sliced(old), old) : 0;
        if (error == 0 && size > old && ::fdatasync(fd) != 0)
            error = errno;
    }
    // Back to the old length. Should even that fail, the old record still leads the file, and
    // what follows it is not read.
    if (error != 0 && ::ftruncate(fd, old) != 0) {
    }
    return error;
}
} // namespace

bool overwriteInPlace(const QString &path, QByteArrayView data, QString *reason)
{
    if (!spellable(path, reason))
        return false;
    // Not emptied on opening: the old bytes stay until the new ones are known to fit.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st
    {
    };
    int error = fd < 0 || ::fstat(fd, &st) != 0 ? errno : 0;
    if (error == 0 && !S_ISREG(st.st_mode)) {
        ::close(fd);
        *reason = QStringLiteral("it is not a regular file");
        return false;
    }
    if (error == 0)
        error = reserve(fd, data, st.st_size);
    if (error == 0)
        error = writeAt(fd, data, 0);
    if (error == 0 && ::ftruncate(fd, off_t(data.size())) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (fd >= 0 && ::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        *reason = reasonFor(error);
        return false;
    }
    return true;
}

QString storedName(const QString &folder, const QString &name)
{
    const QString path = folder + separator() + name;
    struct stat st
    {
    };
    return spellable(path, nullptr) && ::lstat(QFile::encodeName(path).constData(), &st) == 0
               ? name
               : QString();
}

int linkCount(const QString &path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_nlink) : 0;
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

bool moveOver(const QString &from, const QString &to, QString *reason)
{
    if (!spellable(from, reason) || !spellable(to, reason))
        return false;
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        *reason = reasonFor(errno);
        return false;
    }
    return true;
}

bool hideEntry(const QString &)
{
    return false; // its leading dot hides it
}

void showEntry(const QString &) {}

bool removeLeftover(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = openToLock(native, O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st
    {
    };
    // Its writer holds a lock on it for as long as it lives.
    const bool gone = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                      ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(native.constData()) == 0;
    ::close(fd);
    return gone;
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
                 QString *reason, QStringList *leftovers)
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
        if (entry->d_name[0] == '.') {
            if (leftovers && (entry->d_type == DT_REG || entry->d_type == DT_UNKNOWN) &&
                isLeftoverName(entry->d_name))
                *leftovers << QFile::decodeName(entry->d_name);
            continue;
        }
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

namespace {

// Forked from a launcher with threads: until it ends, the guard makes only calls that are safe
// there (no allocation, no lock).
[[noreturn]] void guard(pid_t group, int pipe)
{
    ::setsid(); // a terminal's hang-up is not the guard's
    for (int fd = 3; fd < 65536; ++fd) {
        if (fd != pipe)
            ::close(fd);
    }
    char done = 0;
    ssize_t got;
    while ((got = ::read(pipe, &done, 1)) < 0 && errno == EINTR) {
    }
    // The socket ended without a word: the launcher is gone, and so goes its build.
    if (got == 0)
        ::kill(-group, SIGKILL);
    ::_exit(0);
}

} // namespace

ProcessGroup::~ProcessGroup()
{
    releaseGuard();
}

void ProcessGroup::startInOwnGroup(QProcess &process)
{
    const pid_t launcher = ::getpid();
    process.setChildProcessModifier([launcher] {
        ::setpgid(0, 0);
#ifdef __linux__
        // Should the launcher be killed, the builder goes at once.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != launcher)
            ::_exit(127);
#endif
    });
    QObject::connect(&process, &QProcess::started, &process, [this, &process] {
        const pid_t group = pid_t(process.processId());
        m_handle = qintptr(group);
        // And so does what the builder started, which no parent-death signal reaches.
        // A socket rather than a pipe: a word to a guard that was killed must not end the
        // launcher with SIGPIPE.
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
            return;
        const pid_t pid = ::fork();
        if (pid == 0)
            guard(group, fds[0]);
        ::close(fds[0]);
        if (pid < 0) {
            ::close(fds[1]);
            return;
        }
        m_guard = qintptr(pid);
        m_guardPipe = fds[1];
    });
}

void ProcessGroup::releaseGuard()
{
    if (m_guardPipe < 0)
        return;
    [[maybe_unused]] const ssize_t written = ::send(m_guardPipe, "d", 1, MSG_NOSIGNAL);
    ::close(m_guardPipe);
    m_guardPipe = -1;
    ::waitpid(pid_t(m_guard), nullptr, 0);
    m_guard = 0;
}

namespace {

// Whether a process of `group` still runs. A member that has ended but that nobody has reaped
// yet is still in its group, for as long as the system's first process lets it be; it writes
// nothing more.
bool hasRunningMember(pid_t group)
{
    // A member that changed its user cannot be signalled, but is there (EPERM).
    if (::kill(-group, 0) == -1 && errno == ESRCH)
        return false;
#ifdef __linux__
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return true;
    bool running = false;
    while (const dirent *entry = ::readdir(proc)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9')
            continue;
        const int fd = ::openat(::dirfd(proc), (QByteArray(entry->d_name) + "/stat").constData(),
                                O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        char stat[512];
        const ssize_t n = ::read(fd, stat, sizeof stat - 1);
        ::close(fd);
        if (n <= 0)
            continue;
        stat[n] = '\0';
        // "pid (name) state ppid pgrp ...": the name may hold anything but the last ')'.
        const char *fields = std::strrchr(stat, ')');
        char state = 0;
        long parent = 0, itsGroup = 0;
        if (fields && std::sscanf(fields + 1, " %c %ld %ld", &state, &parent, &itsGroup) == 3 &&
            itsGroup == group && state != 'Z' && state != 'X') {
            running = true;
            break;
        }
    }
    ::closedir(proc);
    return running;
#else
    return true;
#endif
}

} // namespace

bool ProcessGroup::isEmpty()
{
    if (m_handle > 0 && !hasRunningMember(pid_t(m_handle))) {
        m_handle = 0;
        releaseGuard();
    }
    return m_handle == 0;
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

namespace {
// Written by the signal handler, read on the window's thread.
int endPipe[2] = {-1, -1};

void endSignalled(int signal)
{
    const int saved = errno;
    // A copy in progress stops at its next block, before the window hears of this.
    ending::request();
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(endPipe[1], &byte, 1);
    errno = saved;
}
} // namespace

void ending::onEndRequested(QObject *context, std::function<void(int status)> ended)
{
    if (endPipe[0] >= 0 || ::pipe2(endPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(endPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [ended = std::move(ended)] {
        unsigned char signal = 0;
        if (::read(endPipe[0], &signal, 1) == 1)
            ended(128 + signal);
    });
    struct sigaction action
    {
    };
    action.sa_handler = endSignalled;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
}
