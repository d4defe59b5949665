#include "platform/WatchedProcess.h"

#include "platform/ProcessOutput.h"
#include "platform/Processes.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace platform {

namespace {

QString reasonFor(int error)
{
    char buffer[256];
    return QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Both ends closed on exec: only the program gets the one it is given.
struct Pipe
{
    Pipe() { ok = ::pipe2(ends, O_CLOEXEC) == 0; }
    ~Pipe()
    {
        closeFd(ends[0]);
        closeFd(ends[1]);
    }
    Pipe(const Pipe &) = delete;
    Pipe &operator=(const Pipe &) = delete;

    int ends[2] = {-1, -1};
    bool ok;
};

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

// What the window's thread writes to the reader's wake pipe.
constexpr char Stop = 0, CatchUp = 1;

// Reads both streams to their ends, or until told to stop; told to catch up, it says so once
// nothing is left to read.
void readStreams(std::shared_ptr<ProcessOutput> output, int out, int err, int wake)
{
    pollfd fds[3] = {{out, POLLIN, 0}, {err, POLLIN, 0}, {wake, POLLIN, 0}};
    std::vector<char> buffer(static_cast<size_t>(ProcessOutput::TailBytes));
    bool catchingUp = false;
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const int ready = ::poll(fds, 3, catchingUp ? 0 : -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            break;
        if (ready == 0) {
            catchingUp = false;
            output->caughtUp();
            continue;
        }
        if (fds[2].revents != 0) {
            char word = Stop;
            if (::read(wake, &word, 1) != 1 || word == Stop)
                break;
            catchingUp = true;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            const ssize_t got = ::read(fds[i].fd, buffer.data(), buffer.size());
            if (got > 0)
                output->take(i + 1, buffer.data(), qsizetype(got));
            else if (got == 0 || errno != EINTR)
                closeFd(fds[i].fd); // a closed one is left out of the poll
        }
    }
    closeFd(fds[0].fd);
    closeFd(fds[1].fd);
    output->caughtUp();
}

void tell(int wake, char word)
{
    while (::write(wake, &word, 1) < 0 && errno == EINTR) {
    }
}

} // namespace

QString shownCommandLine(const QString &program, const QStringList &arguments)
{
    return posixShellLine(QStringList{program} + arguments);
}

qintptr createLog(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    ::unlink(name.constData());
    return ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  0644);
}

bool appendToLog(qintptr log, const char *bytes, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(int(log), bytes, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool emptyLog(qintptr log)
{
    return ::ftruncate(int(log), 0) == 0;
}

void closeLog(qintptr log)
{
    ::close(int(log));
}

struct WatchedProcess::System
{
    ~System()
    {
        // The process goes on; only the launcher stops listening, and reading.
        if (reader.joinable()) {
            tell(wake[1], Stop);
            reader.join();
        }
        closeFd(wake[0]);
        closeFd(wake[1]);
        closeFd(pidFd);
    }

    int pid = -1;
    int pidFd = -1;
    QSocketNotifier *notifier = nullptr;
    int wake[2] = {-1, -1};
    std::thread reader;
};

WatchedProcess::WatchedProcess(QObject *parent) : QObject(parent), m_system(new System) {}

WatchedProcess::~WatchedProcess()
{
    m_output->forget();
}

WatchedProcess *WatchedProcess::start(const QString &program, const QStringList &arguments,
                                      const QString &workingFolder, WindowStyle,
                                      const QString &outputLog, const QString &errorLog,
                                      QObject *parent, QString *reason)
{
    const QByteArray folderName = QFile::encodeName(workingFolder);
    const int folder = ::open(folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Pipe out, err;
    if (folder < 0 || !out.ok || !err.ok) {
        if (reason)
            *reason = reasonFor(errno);
        if (folder >= 0)
            ::close(folder);
        return nullptr;
    }

    auto *process = new WatchedProcess(parent);
    process->m_output = std::make_shared<ProcessOutput>(outputLog, errorLog);
    System &system = *process->m_system;

    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&setup.actions, out.ends[1], 1);
    posix_spawn_file_actions_adddup2(&setup.actions, err.ends[1], 2);
    posix_spawn_file_actions_addfchdir_np(&setup.actions, folder);

    // A session of its own: a terminal's hang-up or Ctrl-C for the launcher is not the
    // engine's. Signals start as the system sets them, whatever the launcher changed; but a
    // broken pipe is ignored, so that once the launcher is gone and reads no more, the engine
    // gets an error for what it writes rather than its end.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGCHLD})
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

    // An ignored signal stays ignored through exec. Ignored here only for the spawn: the
    // launcher's own handling, and that of the node builder it starts, stay as they were.
    struct sigaction ignore
    {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, &previous);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, path.constData(), &setup.actions, &setup.attributes,
                                  argv.data(), environ);
    ::sigaction(SIGPIPE, &previous, nullptr);
    ::close(folder);
    // Only the program writes into the pipes now, so their ends come with its end.
    closeFd(out.ends[1]);
    closeFd(err.ends[1]);
    if (error != 0) {
        if (reason)
            *reason = reasonFor(error);
        process->m_output->removeLogs(); // no start, no log of it
        delete process;
        return nullptr;
    }
    system.pid = pid;

    if (::pipe2(system.wake, O_CLOEXEC) == 0) {
        try {
            system.reader = std::thread(readStreams, process->m_output, out.ends[0], err.ends[0],
                                        system.wake[0]);
            out.ends[0] = err.ends[0] = -1; // the reader's now
        } catch (const std::system_error &) {
        }
    }
    if (!system.reader.joinable())
        process->m_output->caughtUp(); // the program's output is lost, but it runs

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
    // All it wrote is in the pipes now, but a program it started may keep them open.
    if (m_system->reader.joinable())
        tell(m_system->wake[1], CatchUp);
    heardEnd(end);
}

} // namespace platform
