#include "BenchSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace bench {

namespace {
// As strcasecmp in the C locale: only A to Z are folded.
bool beforeIgnoringCase(const std::wstring &a, const std::wstring &b)
{
    const auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c + 32) : c; };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](wchar_t x, wchar_t y) { return fold(x) < fold(y); });
}

bool endsInWad(const wchar_t *name, size_t length)
{
    static const wchar_t suffix[] = L".wad";
    for (size_t i = 0; i < 4; ++i) {
        const wchar_t c = name[length - 4 + i];
        if ((c >= L'A' && c <= L'Z' ? wchar_t(c + 32) : c) != suffix[i])
            return false;
    }
    return true;
}
} // namespace

std::size_t plainListing(const QString &folder)
{
    std::vector<std::wstring> names;
    const std::wstring pattern =
        QDir::toNativeSeparators(folder + QStringLiteral("/*")).toStdWString();
    WIN32_FIND_DATAW found;
    const HANDLE search =
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                           FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        const size_t length = std::wcslen(found.cFileName);
        if (!(found.dwFileAttributes &
              (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) &&
            length > 4 && endsInWad(found.cFileName, length))
            names.emplace_back(found.cFileName, length);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end(), beforeIgnoringCase);
    return names.size();
}

// Every heap of the process, for the C runtime may keep one of its own.
long heapInUseKb()
{
    std::vector<HANDLE> heaps(::GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(::GetProcessHeaps(DWORD(heaps.size()), heaps.data()));
    unsigned long long busy = 0;
    for (const HANDLE heap : heaps) {
        if (!::HeapLock(heap))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heap, &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                busy += entry.cbData;
        }
        ::HeapUnlock(heap);
    }
    return long(busy / 1024);
}

long residentKb()
{
    PROCESS_MEMORY_COUNTERS counters{};
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return long(counters.WorkingSetSize / 1024);
}

namespace {
// A copy of the stand-in built beside the bench, as `name`.exe in `folder`.
QString copyStandIn(const QString &folder, const QString &name)
{
    const QString file = name + QStringLiteral(".exe");
    QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/zel_bench_engine.exe"),
                folder + QLatin1Char('/') + file);
    return file;
}
} // namespace

// The engine learns where to leave its mark from the bench's environment, which it inherits.
QString makeMarkingEngine(const QString &folder, const QString &name, const QString &mark)
{
    qputenv("ZEL_BENCH_MARK", QDir::toNativeSeparators(mark).toLocal8Bit());
    return copyStandIn(folder, name);
}

QString makeTalkingEngine(const QString &folder, const QString &name)
{
    return copyStandIn(folder, name);
}

// The gate is an event; a second one tells the bench that the engine waits at it.
FailingEngine::FailingEngine(const QString &folder, const QString &name, const QString &gate)
    : m_name(copyStandIn(folder, name)),
      m_gate(QStringLiteral("Local\\zel-bench-%1").arg(::GetCurrentProcessId()))
{
    Q_UNUSED(gate);
    qputenv("ZEL_BENCH_GATE", m_gate.toLocal8Bit());
    m_handle = qintptr(::CreateEventW(nullptr, FALSE, FALSE, m_gate.toStdWString().c_str()));
    m_waiting = qintptr(::CreateEventW(
        nullptr, FALSE, FALSE, (m_gate + QStringLiteral("-waiting")).toStdWString().c_str()));
}

FailingEngine::~FailingEngine()
{
    ::CloseHandle(HANDLE(m_handle));
    ::CloseHandle(HANDLE(m_waiting));
}

void FailingEngine::waitUntilWaiting()
{
    ::WaitForSingleObject(HANDLE(m_waiting), INFINITE);
}

void FailingEngine::open()
{
    ::SetEvent(HANDLE(m_handle));
}

} // namespace bench
