#include "platform/WatchedProcess.h"

#include "platform/Processes.h"

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

QString shownCommandLine(const QString &program, const QStringList &arguments)
{
    return posixShellLine(QStringList{program} + arguments);
}

struct WatchedProcess::System
{
    ~System()
    {
        // The process goes on; only the launcher stops listening.
        closeFd(pidFd);
        closeFd(output);
        closeFd(errors);
    }

    int pid = -1;
    int pidFd = -1;
    int output = -1;
    int errors = -1;
    QSocketNotifier *notifier = nullptr;
};

WatchedProcess::WatchedProcess(QObject *parent) : QObject(parent), m_system(new System) {}

WatchedProcess::~WatchedProcess() = default;

WatchedProcess *WatchedProcess::start(const QString &program, const QStringList &arguments,
                                      const QString &workingFolder, WindowStyle,
                                      const QString &outputLog, const QString &errorLog,
                                      QObject *parent, QString *reason)
{
    const QByteArray folderName = QFile::encodeName(workingFolder);
    const int folder = ::open(folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        if (reason)
            *reason = reasonFor(errno);
        return nullptr;
    }

    auto *process = new WatchedProcess(parent);
    System &system = *process->m_system;
    system.output = createLog(outputLog);
    system.errors = createLog(errorLog);

    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    const int streams[] = {system.output, system.errors};
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
    system.pid = pid;
    // The system call itself: this glibc's header declares it without C linkage.
    system.pidFd = int(::syscall(SYS_pidfd_open, pid, 0));
    if (system.pidFd < 0)
        return process; // a system without process descriptors: the engine runs unwatched
    system.notifier = new QSocketNotifier(system.pidFd, QSocketNotifier::Read, process);
    connect(system.notifier, &QSocketNotifier::activated, process, &WatchedProcess::reap);
    return process;
}

void WatchedProcess::reap()
{
    m_system->notifier->setEnabled(false);
    siginfo_t info{};
    if (::waitid(P_PID, id_t(m_system->pid), &info, WEXITED) != 0)
        return;
    ProcessEnd end;
    end.signalled = info.si_code == CLD_KILLED || info.si_code == CLD_DUMPED;
    end.code = info.si_status;
    emit ended(end);
}

QByteArray WatchedProcess::logTail(int stream, qint64 window, bool *cut) const
{
    const int fd = stream == 2 ? m_system->errors : m_system->output;
    struct stat st;
    *cut = false;
    if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_size == 0)
        return {};
    const off_t from = st.st_size > window ? st.st_size - off_t(window) : 0;
    QByteArray bytes(qsizetype(st.st_size - from), '\0');
    const ssize_t got = ::pread(fd, bytes.data(), size_t(bytes.size()), from);
    if (got <= 0)
        return {};
    bytes.truncate(qsizetype(got));
    *cut = from > 0;
    return bytes;
}

} // namespace platform
