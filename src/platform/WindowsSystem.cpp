#include "platform/WindowsSystem.h"

#include <QDir>

#include <algorithm>
#include <iterator>

namespace platform::windows {

std::wstring native(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

QString fromNative(const wchar_t *text, qsizetype length)
{
    return QString::fromWCharArray(text, length);
}

QString reasonFor(DWORD error, const QString &subject)
{
    // Every blank the words may leave (at most %99) gets the subject: a blank left unfilled
    // would be read from beyond the array.
    const std::wstring filler = subject.isEmpty() ? std::wstring(L"the file") : native(subject);
    DWORD_PTR inserts[99];
    std::fill(std::begin(inserts), std::end(inserts), DWORD_PTR(filler.c_str()));
    wchar_t *words = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&words), 0,
        reinterpret_cast<va_list *>(inserts));
    QString text = length ? fromNative(words, length).trimmed() : QString();
    ::LocalFree(words);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text.isEmpty() ? QStringLiteral("error %1").arg(error) : text;
}

QByteArray wtf8(const wchar_t *text, qsizetype length)
{
    QByteArray out;
    out.reserve(length);
    for (qsizetype i = 0; i < length; ++i) {
        char32_t c = char16_t(text[i]);
        if (QChar::isHighSurrogate(c) && i + 1 < length && QChar::isLowSurrogate(text[i + 1]))
            c = QChar::surrogateToUcs4(char16_t(c), char16_t(text[++i]));
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace platform::windows
