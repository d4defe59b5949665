// What the Windows stand-ins share: their reports are written in UTF-8.
#pragma once

#include <windows.h>

#include <string>

inline std::string utf8(const std::wstring &text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(size_t(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr,
                          nullptr);
    return out;
}
