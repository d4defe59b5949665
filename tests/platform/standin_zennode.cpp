// Stands in for "zennode.exe IN -o OUT" on Windows, as the window tests' script does on
// POSIX: it logs each run's arguments (each in brackets) and whether IN is writable ("644")
// or read-only ("444") to zennode.log beside it, obeys zennode.ctl there (SLEEP=seconds,
// FAIL=name with CODE=exit code and PARTIAL=1 to write "part" to OUT first, KILL=name to end
// as an access violation would), and writes a PWAD header, IN and "GL" to OUT in place, so
// OUT keeps its attributes: what builtFrom() in the test support gives.
#include "StandinText.h"

#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

std::wstring besideMe(const wchar_t *name)
{
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), DWORD(path.size())));
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

std::string readAll(const std::wstring &path, bool *ok = nullptr)
{
    std::string content;
    FILE *file = ::_wfopen(path.c_str(), L"rb");
    if (ok)
        *ok = file != nullptr;
    if (!file)
        return content;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        content.append(buffer, n);
    std::fclose(file);
    return content;
}

// Written in place: an existing file keeps its attributes, as POSIX's "cat > OUT" keeps a mode.
bool writeInPlace(const std::wstring &path, const std::string &content)
{
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::SetEndOfFile(file) &&
                    ::WriteFile(file, content.data(), DWORD(content.size()), &written, nullptr) &&
                    written == content.size();
    ::CloseHandle(file);
    return ok;
}

} // namespace

int wmain(int argc, wchar_t *argv[])
{
    std::map<std::string, std::string> control{{"SLEEP", "0"}, {"CODE", "1"}};
    const std::string settings = readAll(besideMe(L"zennode.ctl"));
    for (size_t at = 0; at < settings.size();) {
        const size_t end = std::min(settings.find('\n', at), settings.size());
        const std::string line = settings.substr(at, end - at);
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            control[line.substr(0, equals)] = line.substr(equals + 1);
        at = end + 1;
    }
    std::string args;
    for (int i = 1; i < argc; ++i)
        args += "[" + utf8(argv[i]) + "]";
    const auto log = [&](const std::string &what) {
        if (FILE *file = ::_wfopen(besideMe(L"zennode.log").c_str(), L"ab")) {
            std::fprintf(file, "%s %s\n", what.c_str(), args.c_str());
            std::fclose(file);
        }
    };
    const std::wstring in = argc > 1 ? argv[1] : L"", out = argc > 3 ? argv[3] : L"";
    const DWORD attributes = ::GetFileAttributesW(in.c_str());
    log(std::string("begin ") +
        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) ? "444"
                                                                                         : "644"));
    ::Sleep(DWORD(std::stod(control["SLEEP"]) * 1000));
    const std::string name = utf8(in.substr(in.find_last_of(L"\\/") + 1));
    if (name == control["KILL"]) {
        log("end");
        ::TerminateProcess(::GetCurrentProcess(), 0xC0000005);
    }
    if (name == control["FAIL"]) {
        for (int i = 1; i <= 20; ++i)
            std::printf("progress %d\n", i);
        std::fprintf(stderr, "error: no levels in %s\n", name.c_str());
        if (!control["PARTIAL"].empty())
            writeInPlace(out, "part");
        log("end");
        return std::stoi(control["CODE"]);
    }
    bool read = false;
    const std::string content = readAll(in, &read);
    // A WAD without lumps, then what it was given: the launcher takes only WADs as built.
    static const char header[12] = {'P', 'W', 'A', 'D', 0, 0, 0, 0, 12, 0, 0, 0};
    if (!read || !writeInPlace(out, std::string(header, sizeof header) + content + "GL"))
        return 1;
    std::printf("built %s\n", name.c_str());
    log("end");
    return 0;
}
