#include "platform/WatchedProcess.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace platform {

namespace {

QString reasonFor(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A log of this start only. The old entry is removed first: an engine still running from an
// earlier start keeps its own file, and a link in its place is never followed.
int createLog(const QString &path)
{
    if (path.isEmpty())
        return -1;
    const QByteArray name = QFile::encodeName(path);
    ::unlink(name.constData());
    return ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

QStringList tailOf(int fd, int count, int width)
{
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_size == 0)
        return {};
    const off_t window = 64 * 1024;
    const off_t from = st.st_size > window ? st.st_size - window : 0;
    QByteArray bytes(int(st.st_size - from), '\0');
    const ssize_t got = ::pread(fd, bytes.data(), size_t(bytes.size()), from);
    if (got <= 0)
        return {};
    bytes.truncate(int(got));
    QStringList lines;
    for (const QByteArray &line : bytes.split('\n')) {
        const QString text = QString::fromLocal8Bit(line).trimmed();
        if (!text.isEmpty())
            lines << (text.size() > width ? text.left(width - 3) + QStringLiteral("...") : text);
    }
    // Cut off in the middle; but a last line longer than the window is all there is to say.
    if (from > 0 && lines.size() > 1)
        lines.removeFirst();
    return lines.mid(std::max<qsizetype>(0, lines.size() - count));
}

class SpawnSetup
{
public:
    SpawnSetup()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup &) = delete;
    SpawnSetup &operator=(const SpawnSetup &) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

} // namespace

WatchedProcess::WatchedProcess(QObject *parent) : QObject(parent) {}

WatchedProcess::~WatchedProcess()
{
    // The process goes on; only the launcher stops listening.
    closeFd(m_pidFd);
    closeFd(m_output);
    closeFd(m_errors);
}

WatchedProcess *WatchedProcess::start(const QString &program, const QStringList &arguments,
                                      const QString &workingFolder, const QString &outputLog,
                                      const QString &errorLog, QObject *parent, QString *reason)
{
    const QByteArray folderName = QFile::encodeName(workingFolder);
    const int folder = ::open(folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        if (reason)
            *reason = reasonFor(errno);
        return nullptr;
    }

    auto *process = new WatchedProcess(parent);
    process->m_output = createLog(outputLog);
    process->m_errors = createLog(errorLog);

    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    const int streams[] = {process->m_output, process->m_errors};
    for (int target : {1, 2}) {
        const int log = streams[target - 1];
        if (log >= 0)
            posix_spawn_file_actions_adddup2(&setup.actions, log, target);
        else
            posix_spawn_file_actions_addopen(&setup.actions, target, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addfchdir_np(&setup.actions, folder);

    // A session of its own: a terminal's hang-up or Ctrl-C for the launcher is not the
    // engine's. Signals start as the system sets them, whatever the launcher changed.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGCHLD})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
    posix_spawnattr_setflags(&setup.attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    const QByteArray path = QFile::encodeName(program);
    QList<QByteArray> words{path};
    for (const QString &argument : arguments)
        words << argument.toLocal8Bit();
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int error = posix_spawn(&pid, path.constData(), &setup.actions, &setup.attributes,
                                  argv.data(), environ);
    ::close(folder);
    if (error != 0) {
        if (reason)
            *reason = reasonFor(error);
        // No start, no log of it.
        for (const QString &log : {outputLog, errorLog}) {
            if (!log.isEmpty())
                ::unlink(QFile::encodeName(log).constData());
        }
        delete process;
        return nullptr;
    }
    process->m_pid = pid;
    // The system call itself: this glibc's header declares it without C linkage.
    process->m_pidFd = int(::syscall(SYS_pidfd_open, pid, 0));
    if (process->m_pidFd < 0)
        return process; // a system without process descriptors: the engine runs unwatched
    process->m_notifier = new QSocketNotifier(process->m_pidFd, QSocketNotifier::Read, process);
    connect(process->m_notifier, &QSocketNotifier::activated, process, &WatchedProcess::reap);
    return process;
}

void WatchedProcess::reap()
{
    m_notifier->setEnabled(false);
    siginfo_t info{};
    if (::waitid(P_PID, id_t(m_pid), &info, WEXITED) != 0)
        return;
    ProcessEnd end;
    end.signalled = info.si_code == CLD_KILLED || info.si_code == CLD_DUMPED;
    end.code = info.si_status;
    emit ended(end);
}

QStringList WatchedProcess::lastLines(int count, int width) const
{
    const QStringList errors = tailOf(m_errors, count, width);
    return errors.isEmpty() ? tailOf(m_output, count, width) : errors;
}

} // namespace platform
