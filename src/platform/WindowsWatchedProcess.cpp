#include "platform/WatchedProcess.h"

#include "platform/Platform.h"
#include "platform/ProcessOutput.h"
#include "platform/Processes.h"
#include "platform/WindowsSystem.h"

#include <QDir>
#include <QWinEventNotifier>

#include <atomic>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace platform {

using windows::Handle;
using windows::native;

namespace {

Handle nullDevice(DWORD access)
{
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return Handle(::CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                OPEN_EXISTING, 0, nullptr));
}

// The longest a program's path, and its working folder without the closing "\", may be.
constexpr qsizetype LongestProgram = MAX_PATH - 1;
constexpr qsizetype LongestFolder = MAX_PATH - 2;

// `path` as CreateProcessW takes it: as it is while it is no longer than `longest`, else in its
// short form where that is shorter.
QString fitting(const QString &path, qsizetype longest)
{
    QString text = QDir::toNativeSeparators(path);
    while (text.size() > 3 && text.endsWith(QLatin1Char('\\')))
        text.chop(1);
    if (text.size() <= longest)
        return text;
    const QString shortPath = shortPathOf(text);
    return shortPath.isEmpty() || shortPath.size() >= text.size() ? text : shortPath;
}

// A pipe the program writes into through the end it inherits, and the launcher reads from
// the other, waiting on both streams at once (an anonymous pipe cannot be waited on so).
bool makePipe(Handle *ours, Handle *theirs)
{
    static std::atomic<unsigned> made{0};
    const std::wstring name = L"\\\\.\\pipe\\zel-" + std::to_wstring(::GetCurrentProcessId()) +
                              L"-" + std::to_wstring(++made);
    ours->reset(::CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0,
        DWORD(ProcessOutput::TailBytes), 0, nullptr));
    if (!ours->valid())
        return false;
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    theirs->reset(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inherited, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return theirs->valid();
}

// One stream's pipe and the read under way on it.
struct PipeRead
{
    Handle pipe;
    Handle event{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    OVERLAPPED overlapped{};
    std::vector<char> buffer = std::vector<char>(size_t(ProcessOutput::TailBytes));
    bool pending = false;

    // False once the stream has ended.
    bool issue()
    {
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event.get();
        // Done at once or later, the event tells.
        pending =
            ::ReadFile(pipe.get(), buffer.data(), DWORD(buffer.size()), nullptr, &overlapped) ||
            ::GetLastError() == ERROR_IO_PENDING;
        return pending;
    }
};

// Takes in what has come on `read`'s pipe; false once nothing more is there for now (or ever).
bool takeWaiting(PipeRead &read, int stream, ProcessOutput &output)
{
    for (int tries = 0; read.pending; ++tries) {
        DWORD got = 0;
        if (::GetOverlappedResult(read.pipe.get(), &read.overlapped, &got, FALSE)) {
            if (got > 0)
                output.take(stream, read.buffer.data(), qsizetype(got));
            read.issue();
            continue;
        }
        if (::GetLastError() != ERROR_IO_INCOMPLETE) {
            read.pending = false; // the stream has ended
            break;
        }
        DWORD waiting = 0;
        if (!::PeekNamedPipe(read.pipe.get(), nullptr, 0, nullptr, &waiting, nullptr) ||
            waiting == 0 || tries > 100)
            break;
        // Bytes that came just now: the read takes them in a moment.
        ::WaitForSingleObject(read.event.get(), 10);
    }
    return read.pending;
}

// Reads both streams to their ends, or until `stop` is set; when `catchUp` is set, it says so
// once nothing is left to read.
void readStreams(std::shared_ptr<ProcessOutput> output, HANDLE out, HANDLE err, HANDLE stop,
                 HANDLE catchUp)
{
    PipeRead reads[2];
    reads[0].pipe.reset(out);
    reads[1].pipe.reset(err);
    for (PipeRead &read : reads) {
        if (read.event.valid())
            read.issue();
    }
    for (;;) {
        HANDLE waits[4] = {stop, catchUp};
        int stream[4] = {0};
        DWORD count = 2;
        for (int i = 0; i < 2; ++i) {
            if (reads[i].pending) {
                stream[count] = i;
                waits[count++] = reads[i].event.get();
            }
        }
        if (count == 2)
            break;
        const DWORD woken = ::WaitForMultipleObjects(count, waits, FALSE, INFINITE);
        if (woken == WAIT_OBJECT_0 + 1) {
            for (int i = 0; i < 2; ++i)
                takeWaiting(reads[i], i + 1, *output);
            output->caughtUp();
            continue;
        }
        if (woken <= WAIT_OBJECT_0 || woken >= WAIT_OBJECT_0 + count)
            break;
        PipeRead &read = reads[stream[woken - WAIT_OBJECT_0]];
        read.pending = false;
        DWORD got = 0;
        if (::GetOverlappedResult(read.pipe.get(), &read.overlapped, &got, FALSE)) {
            if (got > 0)
                output->take(stream[woken - WAIT_OBJECT_0] + 1, read.buffer.data(), qsizetype(got));
            read.issue();
        }
    }
    // A read still under way writes into its buffer until it has been called off.
    for (PipeRead &read : reads) {
        if (read.pending) {
            DWORD got = 0;
            ::CancelIoEx(read.pipe.get(), &read.overlapped);
            ::GetOverlappedResult(read.pipe.get(), &read.overlapped, &got, TRUE);
        }
    }
    output->caughtUp();
}

} // namespace

QString shownCommandLine(const QString &program, const QStringList &arguments)
{
    return windowsCommandLine(fitting(program, LongestProgram), arguments);
}

qintptr createLog(const QString &path)
{
    if (path.contains(QChar(0)))
        return -1;
    const std::wstring name = native(path);
    ::DeleteFileW(name.c_str());
    // INVALID_HANDLE_VALUE is -1 too.
    return qintptr(::CreateFileW(name.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool appendToLog(qintptr log, const char *bytes, qint64 size)
{
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(HANDLE(log), bytes, DWORD(std::min<qint64>(size, 1 << 30)), &written,
                         nullptr) ||
            written == 0)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool emptyLog(qintptr log)
{
    return ::SetFilePointerEx(HANDLE(log), LARGE_INTEGER{}, nullptr, FILE_BEGIN) &&
           ::SetEndOfFile(HANDLE(log));
}

void closeLog(qintptr log)
{
    ::CloseHandle(HANDLE(log));
}

struct WatchedProcess::System
{
    ~System()
    {
        // The process goes on; only the launcher stops listening, and reading.
        if (reader.joinable()) {
            ::SetEvent(stop.get());
            reader.join();
        }
    }

    Handle process;
    QWinEventNotifier *notifier = nullptr;
    Handle stop{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    Handle catchUp{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    std::thread reader;
};

WatchedProcess::WatchedProcess(QObject *parent) : QObject(parent), m_system(new System) {}

WatchedProcess::~WatchedProcess()
{
    m_output->forget();
}

WatchedProcess *WatchedProcess::start(const QString &program, const QStringList &arguments,
                                      const QString &workingFolder, WindowStyle window,
                                      const QString &outputLog, const QString &errorLog,
                                      QObject *parent, QString *reason)
{
    for (const QString &text : QStringList{program, workingFolder} + arguments) {
        if (text.contains(QChar(0))) {
            if (reason)
                *reason = windows::reasonFor(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    }
    // Past these lengths the system refuses the program, or starts it in a folder of its own
    // choosing; their short forms may fit.
    const QString application = fitting(program, LongestProgram);
    const QString folder =
        workingFolder.isEmpty() ? QString() : fitting(workingFolder, LongestFolder);
    const QString folderTooLong =
        QStringLiteral("its folder is longer than the %1 characters Windows allows for a "
                       "program's working folder")
            .arg(LongestFolder);
    const QString pathTooLong =
        QStringLiteral("its path is longer than the %1 characters Windows allows for a program")
            .arg(LongestProgram);
    if (folder.size() > LongestFolder || application.size() > LongestProgram) {
        if (reason)
            *reason = folder.size() > LongestFolder ? folderTooLong : pathTooLong;
        return nullptr;
    }
    Handle outRead, outWrite, errRead, errWrite;
    if (!makePipe(&outRead, &outWrite) || !makePipe(&errRead, &errWrite)) {
        if (reason)
            *reason = windows::reasonFor(::GetLastError());
        return nullptr;
    }
    auto *process = new WatchedProcess(parent);
    process->m_output = std::make_shared<ProcessOutput>(outputLog, errorLog);
    System &system = *process->m_system;
    const Handle input = nullDevice(GENERIC_READ);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = WORD(window == WindowStyle::Maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    startup.hStdInput = input.get();
    startup.hStdOutput = outWrite.get();
    startup.hStdError = errWrite.get();

    const std::wstring applicationName = application.toStdWString();
    std::wstring line = windowsCommandLine(application, arguments).toStdWString();
    const std::wstring folderName = folder.toStdWString();
    PROCESS_INFORMATION started{};
    // No console window for a console engine: its output goes to the launcher.
    const bool ok =
        ::CreateProcessW(applicationName.c_str(), line.data(), nullptr, nullptr, TRUE,
                         CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, nullptr,
                         folderName.empty() ? nullptr : folderName.c_str(), &startup, &started);
    const DWORD error = ::GetLastError();
    // Only the program writes into the pipes now, so their ends come with its end.
    outWrite.reset();
    errWrite.reset();
    if (!ok) {
        // Wine looks for a program by its long path even when given the short one.
        const bool shortened = QDir::toNativeSeparators(program).size() > LongestProgram;
        const bool notFound = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                              error == ERROR_INVALID_NAME || error == ERROR_FILENAME_EXCED_RANGE;
        if (reason)
            *reason = shortened && notFound ? pathTooLong : windows::reasonFor(error, program);
        process->m_output->removeLogs(); // no start, no log of it
        delete process;
        return nullptr;
    }
    ::CloseHandle(started.hThread);
    system.process.reset(started.hProcess);

    if (system.stop.valid() && system.catchUp.valid()) {
        try {
            system.reader = std::thread(readStreams, process->m_output, outRead.get(),
                                        errRead.get(), system.stop.get(), system.catchUp.get());
            outRead.release(); // the reader's now
            errRead.release();
        } catch (const std::system_error &) {
        }
    }
    if (!system.reader.joinable())
        process->m_output->caughtUp(); // the program's output is lost, but it runs

    system.notifier = new QWinEventNotifier(started.hProcess, process);
    connect(system.notifier, &QWinEventNotifier::activated, process, &WatchedProcess::reap);
    return process;
}

void WatchedProcess::reap()
{
    m_system->notifier->setEnabled(false);
    DWORD code = 0;
    if (!::GetExitCodeProcess(m_system->process.get(), &code))
        return;
    ProcessEnd end;
    // An NTSTATUS of the error or warning kind is an exception the program did not survive;
    // the same test as QProcess makes, so both runners tell a crash alike.
    end.signalled = code >= 0x80000000u && code < 0xD0000000u;
    end.code = int(code);
    // All it wrote is in the pipes now, but a program it started may keep them open.
    if (m_system->reader.joinable())
        ::SetEvent(m_system->catchUp.get());
    heardEnd(end);
}

} // namespace platform
