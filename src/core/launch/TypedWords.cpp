#include "core/launch/TypedWords.h"

#include "platform/Platform.h"

namespace {

const QChar Quote = QLatin1Char('"');
const QChar Apostrophe = QLatin1Char('\'');
const QChar Backslash = QLatin1Char('\\');
const QChar LineBreak = QLatin1Char('\n');

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// A word being read: `started` tells an empty word ("") from none at all.
struct Words
{
    QStringList done;
    QString word;
    bool started = false;

    void add(QChar c)
    {
        word += c;
        started = true;
    }
    void end()
    {
        if (started)
            done << word;
        word.clear();
        started = false;
    }
};

} // namespace

QStringList SplitLikeWindowsRuntime(const QString &text)
{
    Words words;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == Backslash) {
            qsizetype n = 0;
            while (i + n < text.size() && text[i + n] == Backslash)
                ++n;
            i += n - 1;
            const bool beforeQuote = i + 1 < text.size() && text[i + 1] == Quote;
            words.word += QString(beforeQuote ? n / 2 : n, Backslash);
            words.started = true;
            if (beforeQuote && n % 2 == 1) {
                words.add(Quote);
                ++i;
            }
        } else if (c == Quote) {
            words.started = true;
            // The runtimes since 2008 read "" inside quotes as a quote of the word, quotes
            // going on.
            if (quoted && i + 1 < text.size() && text[i + 1] == Quote) {
                words.add(Quote);
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (isBlank(c) && !quoted) {
            words.end();
        } else {
            words.add(c);
        }
    }
    words.end();
    return words.done;
}

QStringList SplitLikePosixShell(const QString &text)
{
    Words words;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == Backslash) {
            // A backslash at the very end has nothing to keep: it stays itself.
            if (i + 1 == text.size())
                words.add(c);
            else if (text[++i] != LineBreak)
                words.add(text[i]);
        } else if (c == Apostrophe) {
            words.started = true;
            while (++i < text.size() && text[i] != Apostrophe)
                words.word += text[i];
        } else if (c == Quote) {
            words.started = true;
            while (++i < text.size() && text[i] != Quote) {
                const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
                if (text[i] == Backslash && (next == QLatin1Char('$') || next == QLatin1Char('`') ||
                                             next == Quote || next == Backslash)) {
                    words.word += text[++i];
                } else if (text[i] == Backslash && next == LineBreak) {
                    ++i;
                } else {
                    words.word += text[i];
                }
            }
        } else if (isBlank(c) || c == LineBreak) {
            words.end();
        } else {
            words.add(c);
        }
    }
    words.end();
    return words.done;
}

QStringList TypedWords(const QString &text)
{
    return platform::typedWordRule() == platform::WordRule::WindowsRuntime
               ? SplitLikeWindowsRuntime(text)
               : SplitLikePosixShell(text);
}
