#pragma once

#include <QByteArray>
#include <QString>

#include <windows.h>

#include <string>

// What the Windows files of the platform layer share.
namespace platform::windows {

// `path` as the wide calls take it, with the system's separators.
std::wstring native(const QString &path);
QString fromNative(const wchar_t *text, qsizetype length);

// The system's words for an error code, without the full stop and line break. The words of
// some errors leave a blank for the file they concern ("%1"): `subject` fills it.
QString reasonFor(DWORD error, const QString &subject = QString());

// UTF-8 for valid UTF-16; a lone surrogate becomes three bytes of its own that are no UTF-8,
// so the name stays the system's and is still told from every other.
QByteArray wtf8(const wchar_t *text, qsizetype length);

// A handle closed when it goes.
class Handle
{
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~Handle() { reset(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    Handle(Handle &&other) noexcept : m_handle(other.release()) {}
    Handle &operator=(Handle &&other) noexcept
    {
        reset(other.release());
        return *this;
    }

    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE release()
    {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE)
    {
        if (valid())
            ::CloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle;
};

} // namespace platform::windows
