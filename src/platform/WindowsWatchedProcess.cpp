#include "platform/WatchedProcess.h"

#include "platform/Platform.h"
#include "platform/Processes.h"
#include "platform/WindowsSystem.h"

#include <QDir>
#include <QWinEventNotifier>

namespace platform {

using windows::Handle;
using windows::native;

namespace {

// A log of this start only, that the engine can only add to: whatever the launcher reads
// from it later, the engine's next line still goes to the end. The old entry is removed
// first, and a link in its place is never followed. One that an engine still running from
// an earlier start holds open stays its own; this start then goes without.
Handle createLog(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return Handle();
    const std::wstring name = native(path);
    ::DeleteFileW(name.c_str());
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return Handle(::CreateFileW(name.c_str(), GENERIC_READ | FILE_APPEND_DATA | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

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

// Handed to this start only: a later engine must not hold this one's logs open.
void keepToOurselves(const Handle &handle)
{
    if (handle.valid())
        ::SetHandleInformation(handle.get(), HANDLE_FLAG_INHERIT, 0);
}

} // namespace

QString shownCommandLine(const QString &program, const QStringList &arguments)
{
    return windowsCommandLine(fitting(program, LongestProgram), arguments);
}

struct WatchedProcess::System
{
    Handle process;
    Handle output, errors;
    QWinEventNotifier *notifier = nullptr;
};

WatchedProcess::WatchedProcess(QObject *parent) : QObject(parent), m_system(new System) {}

// The process goes on; only the launcher stops listening.
WatchedProcess::~WatchedProcess() = default;

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
    auto *process = new WatchedProcess(parent);
    System &system = *process->m_system;
    system.output = createLog(outputLog);
    system.errors = createLog(errorLog);
    const Handle input = nullDevice(GENERIC_READ);
    const Handle discard = nullDevice(GENERIC_WRITE);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = WORD(window == WindowStyle::Maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    startup.hStdInput = input.get();
    startup.hStdOutput = system.output.valid() ? system.output.get() : discard.get();
    startup.hStdError = system.errors.valid() ? system.errors.get() : discard.get();

    const std::wstring applicationName = application.toStdWString();
    std::wstring line = windowsCommandLine(application, arguments).toStdWString();
    const std::wstring folderName = folder.toStdWString();
    PROCESS_INFORMATION started{};
    // No console window for a console engine: its output goes to the logs.
    const bool ok =
        ::CreateProcessW(applicationName.c_str(), line.data(), nullptr, nullptr, TRUE,
                         CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, nullptr,
                         folderName.empty() ? nullptr : folderName.c_str(), &startup, &started);
    const DWORD error = ::GetLastError();
    keepToOurselves(system.output);
    keepToOurselves(system.errors);
    if (!ok) {
        // Wine looks for a program by its long path even when given the short one.
        const bool shortened = QDir::toNativeSeparators(program).size() > LongestProgram;
        const bool notFound = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                              error == ERROR_INVALID_NAME || error == ERROR_FILENAME_EXCED_RANGE;
        if (reason)
            *reason = shortened && notFound ? pathTooLong : windows::reasonFor(error, program);
        // No start, no log of it.
        system.output.reset();
        system.errors.reset();
        for (const QString &log : {outputLog, errorLog}) {
            if (!log.isEmpty())
                ::DeleteFileW(native(log).c_str());
        }
        delete process;
        return nullptr;
    }
    ::CloseHandle(started.hThread);
    system.process.reset(started.hProcess);
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
    emit ended(end);
}

QByteArray WatchedProcess::logTail(int stream, qint64 window, bool *cut) const
{
    const Handle &log = stream == 2 ? m_system->errors : m_system->output;
    *cut = false;
    LARGE_INTEGER size{};
    if (!log.valid() || !::GetFileSizeEx(log.get(), &size) || size.QuadPart == 0)
        return {};
    const qint64 from = size.QuadPart > window ? size.QuadPart - window : 0;
    QByteArray bytes(qsizetype(size.QuadPart - from), '\0');
    OVERLAPPED at{};
    at.Offset = DWORD(from);
    at.OffsetHigh = DWORD(quint64(from) >> 32);
    DWORD got = 0;
    if (!::ReadFile(log.get(), bytes.data(), DWORD(bytes.size()), &got, &at) || got == 0)
        return {};
    bytes.truncate(qsizetype(got));
    *cut = from > 0;
    return bytes;
}

} // namespace platform
