#include "platform/Ending.h"
#include "platform/Platform.h"
#include "platform/Processes.h"
#include "platform/WindowsSystem.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <fcntl.h>
#include <io.h>

#include <initializer_list>

namespace platform {

using windows::Handle;
using windows::native;
using windows::reasonFor;

namespace {

// The system ends a name at its first NUL: what it found would be another file.
bool spellable(const QString &path, QString *reason)
{
    if (!path.contains(QChar(0)))
        return true;
    if (reason)
        *reason = reasonFor(ERROR_INVALID_NAME);
    return false;
}

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Where a new file cannot be made beside the old one or moved into its place, though the old
// one may still be written where it is: a folder that takes no new file, a file that another
// program holds open.
bool refusesPlace(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION || error == ERROR_NOT_SAME_DEVICE;
}

// Opens `path` only to look at it: links followed, folders too, never a sharing conflict.
Handle openToLookAt(const std::wstring &path)
{
    return Handle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Whether `handle` is a file on a disk, not a folder, a pipe, a console or a device.
bool isDiskFile(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A plain file as a list shows it: no folder, nothing hidden or of the system.
bool isPlain(DWORD attributes)
{
    return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                           FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE));
}

// The attributes of the entry itself, a link or junction not followed.
DWORD attributesOf(const QString &path)
{
    return path.contains(QChar(0)) ? INVALID_FILE_ATTRIBUTES
                                   : ::GetFileAttributesW(native(path).c_str());
}

QString nativeText(const std::wstring &text)
{
    return windows::fromNative(text.data(), qsizetype(text.size()));
}

// Calls `call(buffer, size)`, a system call that gives the length it wrote, or the size it
// needs when the buffer is too small, or 0; grows the buffer until the answer fits.
template <typename Call> std::wstring grownAnswer(Call call)
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = call(buffer.data(), DWORD(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(n);
    }
}

} // namespace

QString separator()
{
    return QStringLiteral("\\");
}

QString absolutePath(const QString &path)
{
    const QString native = QDir::toNativeSeparators(path);
    // "C:\x" and "\\server\share" stand on their own, as typed; "C:x" and "\x" lean on
    // a current folder, which the system keeps one of for each drive.
    const bool whole =
        native.startsWith(QLatin1String("\\\\")) ||
        (native.size() >= 3 && native[1] == QLatin1Char(':') && native[2] == QLatin1Char('\\'));
    if (native.isEmpty() || whole || native.contains(QChar(0)))
        return native;
    const std::wstring relative = native.toStdWString();
    const std::wstring full = grownAnswer([&](wchar_t *buffer, DWORD size) {
        return ::GetFullPathNameW(relative.c_str(), size, buffer, nullptr);
    });
    const QString text = fileNameText(windows::wtf8(full.data(), qsizetype(full.size())));
    return text.isEmpty() ? native : text;
}

QString shortPathOf(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return QString();
    const QString full = absolutePath(path);
    // Past MAX_PATH only the long-path form of a name reaches the file; it must be whole
    // already, without "." or "..".
    std::wstring name = full.toStdWString();
    const bool prefixed = full.size() >= MAX_PATH && !full.startsWith(QLatin1String("\\\\?\\"));
    if (prefixed) {
        name = grownAnswer([&](wchar_t *buffer, DWORD size) {
            return ::GetFullPathNameW(name.c_str(), size, buffer, nullptr);
        });
        name = name.rfind(L"\\\\", 0) == 0 ? L"\\\\?\\UNC" + name.substr(1) : L"\\\\?\\" + name;
    }
    // The wide call: a name outside the 8-bit code page keeps its letters.
    const std::wstring shortPath = grownAnswer([&](wchar_t *buffer, DWORD size) {
        return ::GetShortPathNameW(name.c_str(), buffer, size);
    });
    if (!shortPath.empty()) {
        QString text = nativeText(shortPath);
        if (prefixed && text.startsWith(QLatin1String("\\\\?\\UNC\\")))
            text.replace(0, 8, QStringLiteral("\\\\"));
        else if (prefixed)
            text.remove(0, 4);
        return text;
    }
    // A share whose server will not list its shares has no short form, yet it is there.
    return ::GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES ? full : QString();
}

// Programs are found by their name, "*.exe": Windows has no execute bit.
bool isProgramFile(const QString &)
{
    return false;
}

struct FolderScan
{
};

bool FolderEntry::isProgram() const
{
    return false;
}

QString programDialogPattern()
{
    return QStringLiteral("*.exe");
}

WordRule typedWordRule()
{
    return WordRule::WindowsRuntime;
}

QString currentFolder(QString *unspellable)
{
    const std::wstring name = grownAnswer(
        [](wchar_t *buffer, DWORD size) { return ::GetCurrentDirectoryW(size, buffer); });
    const QByteArray bytes = windows::wtf8(name.data(), qsizetype(name.size()));
    const QString text = fileNameText(bytes);
    if (text.isNull() && unspellable)
        *unspellable = nativeText(name);
    return text;
}

bool setNormalAttributes(const QString &path, QString *reason)
{
    if (!spellable(path, reason))
        return false;
    const DWORD attributes = attributesOf(path);
    // A link or junction: its own flags mean nothing, and what it points to is not ours.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    if (!::SetFileAttributesW(native(path).c_str(), FILE_ATTRIBUTE_NORMAL)) {
        if (reason)
            *reason = reasonFor(::GetLastError());
        return false;
    }
    return true;
}

bool isWriteProtected(const QString &path)
{
    // A folder's read-only flag only marks it as customised; it protects nothing.
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
}

QString fromSystemCodePage(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QString();
    const int size = int(bytes.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(size_t(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), length);
    return nativeText(text);
}

bool systemCodePageIsSingleByte()
{
    CPINFO info{};
    return ::GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1;
}

bool toSystemCodePage(const QString &text, QByteArray *bytes)
{
    if (::GetACP() == CP_UTF8)
        return false;
    if (text.isEmpty()) {
        bytes->clear();
        return true;
    }
    const std::wstring wide = text.toStdWString();
    const int size = int(wide.size());
    // No best fit: an "a" for an "ä" would be another name.
    BOOL defaulted = FALSE;
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                             nullptr, 0, nullptr, &defaulted);
    if (length == 0 || defaulted)
        return false;
    QByteArray out(length, '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), length,
                          nullptr, &defaulted);
    if (defaulted)
        return false;
    *bytes = out;
    return true;
}

EntryKind entryKind(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return EntryKind::Missing;
    const Handle entry = openToLookAt(native(path));
    if (entry.valid())
        return isDiskFile(entry.get()) ? EntryKind::RegularFile : EntryKind::Other;
    // A link that leads nowhere is still there.
    return attributesOf(path) == INVALID_FILE_ATTRIBUTES ? EntryKind::Missing : EntryKind::Other;
}

bool openRegularFile(const QString &path, QFile *file, QString *reason)
{
    if (!spellable(path, reason))
        return false;
    // Opening a device or a pipe does not wait; reading one might, so look before reading.
    Handle handle(::CreateFileW(native(path).c_str(), GENERIC_READ, ShareAll, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) {
        *reason = reasonFor(::GetLastError());
        return false;
    }
    if (!isDiskFile(handle.get())) {
        *reason = QStringLiteral("it is not a regular file");
        return false;
    }
    // Binary: the C runtime's text mode would turn CR LF into LF.
    const int fd = ::_open_osfhandle(intptr_t(handle.get()), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        *reason = reasonFor(ERROR_TOO_MANY_OPEN_FILES);
        return false;
    }
    handle.release();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *reason = file->errorString();
        ::_close(fd);
        return false;
    }
    return true;
}

FileLock::Result FileLock::take(QString *reason)
{
    release();
    if (!spellable(m_path, reason))
        return Result::Failed;
    if (m_players) {
        QString identity = QString::fromLatin1(fileIdentity(m_path)).trimmed();
        if (identity.isEmpty()) {
            *reason = reasonFor(ERROR_FILE_NOT_FOUND);
            return Result::Failed;
        }
        identity.replace(QLatin1Char(' '), QLatin1Char('-'));
        const std::wstring name =
            (QStringLiteral("Local\\ZEL-Gravemill-build-") + identity).toStdWString();
        const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
        if (!mutex) {
            *reason = reasonFor(::GetLastError());
            return Result::Failed;
        }
        // Abandoned by a launcher that died, it is free.
        const DWORD waited = ::WaitForSingleObject(mutex, 0);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
            ::CloseHandle(mutex);
            return Result::HeldElsewhere;
        }
        m_handle = qintptr(mutex);
        return Result::Taken;
    }
    // Shared in every way: only another hold is kept out.
    const HANDLE file = ::CreateFileW(native(m_path).c_str(), GENERIC_READ, ShareAll, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *reason = reasonFor(::GetLastError());
        return Result::Failed;
    }
    // One byte far beyond any data, so reading and writing the file are never in its way.
    OVERLAPPED beyond{};
    beyond.OffsetHigh = 0x7FFFFFFF;
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                      &beyond)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(file);
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
            return Result::HeldElsewhere;
        *reason = reasonFor(error);
        return Result::Failed;
    }
    m_handle = qintptr(file);
    return Result::Taken;
}

void FileLock::release()
{
    if (m_handle != -1) {
        if (m_players)
            ::ReleaseMutex(HANDLE(m_handle));
        ::CloseHandle(HANDLE(m_handle));
    }
    m_handle = -1;
}

ReplacingFile::~ReplacingFile()
{
    if (m_handle != -1) {
        ::CloseHandle(HANDLE(m_handle));
        ::DeleteFileW(native(m_temporary).c_str());
    }
}

bool ReplacingFile::open(QString *reason)
{
    if (!spellable(m_path, reason))
        return false;
    const QString path = QDir::toNativeSeparators(m_path);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('\\'));
    const QString folder = slash < 0 ? QString() : path.left(slash + 1);
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 100 && m_handle == -1; ++attempt) {
        m_temporary = folder + QStringLiteral(".zel-") +
                      QString::number(QRandomGenerator::global()->generate(), 36) +
                      QStringLiteral(".new");
        // Hidden, so no list shows it while it is written.
        const HANDLE handle = ::CreateFileW(native(m_temporary).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        error = ::GetLastError();
        if (handle != INVALID_HANDLE_VALUE)
            m_handle = qintptr(handle);
        else if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    if (m_handle == -1) {
        m_placeRefused = refusesPlace(error);
        *reason = reasonFor(error);
        return false;
    }
    return true;
}

bool ReplacingFile::write(QByteArrayView data, QString *reason)
{
    const char *next = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const DWORD chunk = DWORD(std::min<qsizetype>(left, 1 << 30));
        DWORD written = 0;
        if (!::WriteFile(HANDLE(m_handle), next, chunk, &written, nullptr) || written == 0) {
            *reason =
                reasonFor(written == 0 && ::GetLastError() == ERROR_SUCCESS ? ERROR_DISK_FULL
                                                                            : ::GetLastError());
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}

bool ReplacingFile::commit(QString *reason)
{
    const HANDLE handle = HANDLE(m_handle);
    m_handle = -1;
    const std::wstring temporary = native(m_temporary), target = native(m_path);
    const bool flushed = ::FlushFileBuffers(handle);
    DWORD error = ::GetLastError();
    const bool closed = ::CloseHandle(handle);
    if (flushed && !closed)
        error = ::GetLastError();
    // A read-only file is refused as Windows refuses to write it; Wine would rename over it.
    const DWORD old = ::GetFileAttributesW(target.c_str());
    if (flushed && closed && old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY) &&
        !(old & FILE_ATTRIBUTE_REPARSE_POINT))
        error = ERROR_ACCESS_DENIED;
    else if (flushed && closed &&
             ::MoveFileExW(temporary.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        // The old file's flags (a hidden or archive flag the player set) stay; a new one is
        // shown.
        const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        const DWORD flags = old == INVALID_FILE_ATTRIBUTES || (old & FILE_ATTRIBUTE_REPARSE_POINT)
                                ? FILE_ATTRIBUTE_NORMAL
                                : (old & kept);
        ::SetFileAttributesW(target.c_str(), flags ? flags : FILE_ATTRIBUTE_NORMAL);
        return true;
    } else if (flushed && closed) {
        error = ::GetLastError();
        m_placeRefused = refusesPlace(error);
    }
    *reason = reasonFor(error);
    ::DeleteFileW(temporary.c_str());
    return false;
}

bool overwriteInPlace(const QString &path, QByteArrayView data, QString *reason)
{
    if (!spellable(path, reason))
        return false;
    // Readers may go on reading; no other writer may come in between.
    Handle file(::CreateFileW(native(path).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    if (!file.valid()) {
        *reason = reasonFor(::GetLastError());
        return false;
    }
    if (!isDiskFile(file.get())) {
        *reason = QStringLiteral("it is not a regular file");
        return false;
    }
    const HANDLE handle = file.get();
    const auto endAt = [handle](qint64 size) {
        LARGE_INTEGER at{};
        at.QuadPart = size;
        return ::SetFilePointerEx(handle, at, nullptr, FILE_BEGIN) && ::SetEndOfFile(handle);
    };
    LARGE_INTEGER old{};
    DWORD error = ::GetFileSizeEx(handle, &old) ? ERROR_SUCCESS : ::GetLastError();
    const qint64 size = data.size();
    // The new length first: a full disk refuses it before any old byte changes.
    if (error == ERROR_SUCCESS && size > old.QuadPart && !endAt(size)) {
        error = ::GetLastError();
        endAt(old.QuadPart);
    }
    LARGE_INTEGER start{};
    if (error == ERROR_SUCCESS && !::SetFilePointerEx(handle, start, nullptr, FILE_BEGIN))
        error = ::GetLastError();
    const char *next = data.data();
    qsizetype left = data.size();
    while (error == ERROR_SUCCESS && left > 0) {
        DWORD written = 0;
        if (!::WriteFile(handle, next, DWORD(std::min<qsizetype>(left, 1 << 30)), &written,
                         nullptr) ||
            written == 0) {
            error = ::GetLastError() == ERROR_SUCCESS ? DWORD(ERROR_DISK_FULL) : ::GetLastError();
            break;
        }
        next += written;
        left -= written;
    }
    if (error == ERROR_SUCCESS && !(endAt(size) && ::FlushFileBuffers(handle)))
        error = ::GetLastError();
    if (!::CloseHandle(file.release()) && error == ERROR_SUCCESS)
        error = ::GetLastError();
    if (error != ERROR_SUCCESS) {
        *reason = reasonFor(error);
        return false;
    }
    return true;
}

QString storedName(const QString &folder, const QString &name)
{
    const QString path = QDir::toNativeSeparators(folder) + separator() + name;
    // A wildcard would find another entry.
    if (!spellable(path, nullptr) || name.contains(QLatin1Char('*')) ||
        name.contains(QLatin1Char('?')))
        return QString();
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(native(path).c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return QString();
    ::FindClose(search);
    return nativeText(found.cFileName);
}

int linkCount(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return 0;
    const Handle file = openToLookAt(native(path));
    BY_HANDLE_FILE_INFORMATION info{};
    return file.valid() && ::GetFileInformationByHandle(file.get(), &info)
               ? int(info.nNumberOfLinks)
               : 0;
}

namespace {
QByteArray joined(std::initializer_list<qulonglong> parts)
{
    QByteArray text;
    for (qulonglong part : parts)
        text += QByteArray::number(part) + ' ';
    return text;
}

qulonglong wide(DWORD high, DWORD low)
{
    return (qulonglong(high) << 32) | low;
}
} // namespace

QByteArray fileIdentity(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return {};
    const Handle file = openToLookAt(native(path));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !::GetFileInformationByHandle(file.get(), &info))
        return {};
    return joined({info.dwVolumeSerialNumber, wide(info.nFileIndexHigh, info.nFileIndexLow)});
}

QByteArray fileStamp(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return {};
    const Handle file = openToLookAt(native(path));
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO times{};
    if (!file.valid() || !::GetFileInformationByHandle(file.get(), &info) ||
        !::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &times, sizeof times))
        return {};
    return joined({info.dwVolumeSerialNumber, wide(info.nFileIndexHigh, info.nFileIndexLow),
                   wide(info.nFileSizeHigh, info.nFileSizeLow),
                   qulonglong(times.LastWriteTime.QuadPart),
                   qulonglong(times.ChangeTime.QuadPart)});
}

bool moveOver(const QString &from, const QString &to, QString *reason)
{
    if (!spellable(from, reason) || !spellable(to, reason))
        return false;
    if (!::MoveFileExW(native(from).c_str(), native(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *reason = reasonFor(::GetLastError());
        return false;
    }
    return true;
}

bool hideEntry(const QString &path)
{
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_HIDDEN) &&
           ::SetFileAttributesW(native(path).c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
}

void showEntry(const QString &path)
{
    const DWORD attributes = attributesOf(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN)) {
        const DWORD shown = attributes & ~DWORD(FILE_ATTRIBUTE_HIDDEN);
        ::SetFileAttributesW(native(path).c_str(), shown ? shown : FILE_ATTRIBUTE_NORMAL);
    }
}

bool removeLeftover(const QString &path)
{
    // Its writer opened it for itself alone: while it lives, the system refuses this.
    return !path.contains(QChar(0)) && ::DeleteFileW(native(path).c_str());
}

bool createFolder(const QString &path, QString *reason)
{
    if (!spellable(path, reason))
        return false;
    if (!::CreateDirectoryW(native(path).c_str(), nullptr)) {
        if (reason)
            *reason = reasonFor(::GetLastError());
        return false;
    }
    return true;
}

bool forEachFile(const QString &folder, const std::function<void(const FolderEntry &)> &visit,
                 QString *reason, QStringList *leftovers)
{
    if (!spellable(folder, reason))
        return false;
    QString pattern = QDir::toNativeSeparators(folder);
    if (!pattern.endsWith(QLatin1Char('\\')))
        pattern += QLatin1Char('\\');
    const std::wstring nativeFolder = pattern.toStdWString();
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        ::FindFirstFileExW((nativeFolder + L'*').c_str(), FindExInfoBasic, &found,
                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // An empty drive or folder: nothing to list.
        if (error == ERROR_FILE_NOT_FOUND &&
            ::GetFileAttributesW(nativeFolder.c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
        if (reason)
            *reason = reasonFor(error);
        return false;
    }
    const FolderScan scan;
    do {
        bool plain = isPlain(found.dwFileAttributes);
        // A link counts as what it points to.
        if (plain && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            const Handle target = openToLookAt(nativeFolder + found.cFileName);
            plain = target.valid() && isDiskFile(target.get());
        }
        if (leftovers && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            ::wcsncmp(found.cFileName, L".zel-", 5) == 0) {
            const QString name = QString::fromWCharArray(found.cFileName);
            if (isLeftoverName(name.toUtf8())) {
                *leftovers << name;
                continue;
            }
        }
        if (plain) {
            const QByteArray name =
                windows::wtf8(found.cFileName, qsizetype(wcslen(found.cFileName)));
            visit(FolderEntry(name, scan));
        }
    } while (::FindNextFileW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        if (reason)
            *reason = reasonFor(error);
        return false;
    }
    return true;
}

QString fileNameText(QByteArrayView name)
{
    // A lone surrogate: no text, and no file the launcher could name to the system.
    return name.isValidUtf8() ? QString::fromUtf8(name) : QString();
}

QString localFileArgument(const QString &name)
{
    return name.startsWith(QLatin1Char('-')) ? QStringLiteral(".\\") + name : name;
}

QString comparisonKey(const QString &path)
{
    return QDir::fromNativeSeparators(path).toCaseFolded();
}

double processorSeconds()
{
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    const auto seconds = [](const FILETIME &time) {
        return double((quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

QString nodeBuilderProgramName()
{
    return QStringLiteral("zennode.exe");
}

WindowFont windowFont()
{
    // Both TrueType and on every Windows: the design's face redrawn in outlines, and Tahoma,
    // built to its measures. "MS Sans Serif" itself is a bitmap face here, in a few fixed
    // sizes, so a clipped caption could not be set smaller.
    // Hinted in height only, Qt draws with DirectWrite instead of GDI: GDI draws only what lies
    // in the box it reports for a glyph, and under Wine some boxes miss their ink (Tahoma
    // loses "i" and "l" at 10 pixels, Liberation Sans "I" and "!" at 11). DirectWrite also
    // takes the fractions of a point that a smaller caption is set in.
    return {{QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma")}, true};
}

QString startErrorReason(const QProcess &process)
{
    // Qt asks the system for its words with the blanks to be filled, which fails for an
    // error whose words have one ("%1 is not a valid Win32 application"), and then gives
    // only the number: such words are asked for again, with the program's path.
    static const QRegularExpression unknown(QStringLiteral("Unknown error 0x([0-9a-fA-F]{1,8})"));
    const QString error = process.errorString();
    const QRegularExpressionMatch number = unknown.match(error);
    if (number.hasMatch())
        return reasonFor(DWORD(number.captured(1).toULong(nullptr, 16)), process.program());
    // Qt puts its own words before the system's ("Process failed to start: ...").
    const qsizetype colon = error.indexOf(QLatin1String(": "));
    return colon < 0 ? error : error.mid(colon + 2);
}

ProcessGroup::~ProcessGroup()
{
    if (m_handle)
        ::CloseHandle(HANDLE(m_handle));
}

// The job itself ends the build with the launcher's last handle.
void ProcessGroup::releaseGuard() {}

void ProcessGroup::startInOwnGroup(QProcess &process)
{
    // It starts held, so that nothing it starts is outside the job before it is in it.
    auto information = std::make_shared<PROCESS_INFORMATION *>(nullptr);
    process.setCreateProcessArgumentsModifier(
        [information](QProcess::CreateProcessArguments *arguments) {
            arguments->flags |= CREATE_SUSPENDED;
            *information = arguments->processInformation;
        });
    QObject::connect(&process, &QProcess::started, &process, [this, information] {
        const PROCESS_INFORMATION *started = *information;
        if (!started)
            return;
        if (!m_handle) {
            const HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
            // The job's last handle is the launcher's: should the launcher die, the job ends
            // and takes the builder with it.
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            if (job)
                ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                          sizeof limits);
            m_handle = qintptr(job);
        }
        // Should the system refuse (a launcher in a job that allows none of its own), the
        // program still runs: only ending it early would end less.
        if (m_handle)
            ::AssignProcessToJobObject(HANDLE(m_handle), started->hProcess);
        ::ResumeThread(started->hThread);
    });
}

bool ProcessGroup::isEmpty()
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    // Closing the job's last handle ends what runs in it: only an empty job is let go.
    if (m_handle &&
        ::QueryInformationJobObject(HANDLE(m_handle), JobObjectBasicAccountingInformation,
                                    &accounting, sizeof accounting, nullptr) &&
        accounting.ActiveProcesses == 0) {
        ::CloseHandle(HANDLE(m_handle));
        m_handle = 0;
    }
    return m_handle == 0;
}

void ProcessGroup::end()
{
    if (m_handle)
        ::TerminateJobObject(HANDLE(m_handle), 1);
}

QString abnormalEndOf(int code)
{
    static const struct
    {
        DWORD code;
        const char *words;
    } known[] = {{0xC0000005, "access violation"},
                 {0xC000001D, "illegal instruction"},
                 {0xC0000094, "integer division by zero"},
                 {0xC00000FD, "stack overflow"},
                 {0xC0000409, "stack buffer overrun"},
                 {0xC000013A, "ended by Ctrl+C"},
                 {0xC0000135, "a DLL it needs was not found"},
                 {0xC0000142, "a DLL it needs could not start"},
                 {0xC000007B, "not a program for this system"},
                 {0x80000003, "breakpoint"}};
    const DWORD exception = DWORD(code);
    const QString text =
        QStringLiteral("exception 0x%1")
            .arg(QString::number(exception, 16).toUpper().rightJustified(8, QLatin1Char('0')));
    for (const auto &entry : known) {
        if (entry.code == exception)
            return text + QStringLiteral(" (%1)").arg(QLatin1String(entry.words));
    }
    return text;
}

} // namespace platform

namespace {
// The session is ending: once this message is answered, the system ends the launcher.
class SessionEnd final : public QAbstractNativeEventFilter
{
public:
    explicit SessionEnd(std::function<void(int)> ended) : m_ended(std::move(ended)) {}

    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override
    {
        const MSG *msg = static_cast<const MSG *>(message);
        if (msg->message == WM_ENDSESSION && msg->wParam && !ending::requested()) {
            ending::request();
            m_ended(0);
        }
        return false;
    }

private:
    std::function<void(int)> m_ended;
};
} // namespace

void ending::onEndRequested(QObject *context, std::function<void(int status)> ended)
{
    auto *filter = new SessionEnd(std::move(ended));
    QCoreApplication::instance()->installNativeEventFilter(filter);
    QObject::connect(context, &QObject::destroyed, [filter] {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(filter);
        delete filter;
    });
}
