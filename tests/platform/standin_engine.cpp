// Stands in for a Windows engine: writes down how it was started to "standin-engine.txt" in
// the folder it runs in, one "what<TAB>value" a line in UTF-8: the folder ("folder"), the
// show-window flag it was given ("show", -1 for none), its command line ("line"), each
// argument as CommandLineToArgvW splits the command line ("shell") and as the C runtime gives
// it to wmain ("crt"). It
// prints a line on each output stream; "-crash" as its first argument ends it as an access
// violation would.
#include "StandinText.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t *argv[])
{
    std::wstring folder(32768, L'\0');
    folder.resize(::GetCurrentDirectoryW(DWORD(folder.size()), folder.data()));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoW(&startup);

    std::string record = "folder\t" + utf8(folder) + "\n";
    record +=
        "show\t" +
        std::to_string((startup.dwFlags & STARTF_USESHOWWINDOW) ? int(startup.wShowWindow) : -1) +
        "\n";
    record += "line\t" + utf8(::GetCommandLineW()) + "\n";
    int count = 0;
    wchar_t **split = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 1; split && i < count; ++i)
        record += "shell\t" + utf8(split[i]) + "\n";
    ::LocalFree(split);
    for (int i = 1; i < argc; ++i)
        record += "crt\t" + utf8(argv[i]) + "\n";

    if (FILE *file = ::_wfopen(L"standin-engine.txt", L"wb")) {
        std::fwrite(record.data(), 1, record.size(), file);
        std::fclose(file);
    }
    std::printf("engine output\n");
    std::fprintf(stderr, "engine errors\n");
    std::fflush(nullptr);
    if (argc > 1 && std::wstring(argv[1]) == L"-crash")
        ::TerminateProcess(::GetCurrentProcess(), 0xC0000005);
    return 0;
}
