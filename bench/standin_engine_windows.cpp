// The bench's stand-in engine on Windows, copied into the engine folder under the name the
// bench gives it. Named "talker...", it writes 100 MB on its standard output and a line on its
// error output. Named "failing...", it waits until the bench opens the gate named in
// ZEL_BENCH_GATE, says "I_Error: bench" on its error output and ends with status 3; under any
// other name it makes the file ZEL_BENCH_MARK and ends.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {
std::wstring variable(const wchar_t *name)
{
    std::wstring value(32768, L'\0');
    value.resize(::GetEnvironmentVariableW(name, value.data(), DWORD(value.size())));
    return value;
}
} // namespace

int wmain()
{
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const wchar_t *name = std::wcsrchr(self, L'\\');
    if (name && std::wcsncmp(name + 1, L"talker", 6) == 0) {
        std::string line = "W_Init: a line of an engine that talks a lot, 64 bytes long";
        line.resize(63, ' ');
        line += '\n';
        std::string block;
        for (int i = 0; i < 1024; ++i)
            block += line;
        DWORD written = 0;
        for (int i = 0; i < 100000000 / int(block.size()); ++i)
            ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), block.data(), DWORD(block.size()),
                        &written, nullptr);
        const char last[] = "I_Error: bench\n";
        ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), last, DWORD(sizeof last - 1), &written,
                    nullptr);
        return 0;
    }
    if (!name || std::wcsncmp(name + 1, L"failing", 7) != 0) {
        ::CloseHandle(::CreateFileW(variable(L"ZEL_BENCH_MARK").c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        return 0;
    }
    const std::wstring gate = variable(L"ZEL_BENCH_GATE");
    const HANDLE open = ::OpenEventW(SYNCHRONIZE, FALSE, gate.c_str());
    const HANDLE waiting = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, (gate + L"-waiting").c_str());
    ::SetEvent(waiting);
    ::WaitForSingleObject(open, INFINITE);
    const char line[] = "I_Error: bench\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), line, DWORD(sizeof line - 1), &written, nullptr);
    return 3;
}
