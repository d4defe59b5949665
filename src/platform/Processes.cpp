#include "platform/Processes.h"

#include <algorithm>

namespace platform {

namespace {

// One argument as the C runtime reads it back: 2n backslashes and a quote are n
// backslashes and the end of a quoted part, 2n+1 and a quote are n and a quote.
QString quoted(const QString &argument)
{
    if (!argument.isEmpty() && !argument.contains(QLatin1Char(' ')) &&
        !argument.contains(QLatin1Char('\t')) && !argument.contains(QLatin1Char('"')))
        return argument;
    QString out(QLatin1Char('"'));
    qsizetype backslashes = 0;
    for (const QChar c : argument) {
        if (c == QLatin1Char('\\')) {
            ++backslashes;
            continue;
        }
        if (c == QLatin1Char('"'))
            backslashes = backslashes * 2 + 1;
        out += QString(backslashes, QLatin1Char('\\')) + c;
        backslashes = 0;
    }
    // The closing quote follows them: doubled, they stay backslashes.
    return out + QString(backslashes * 2, QLatin1Char('\\')) + QLatin1Char('"');
}

// Characters no POSIX shell does anything with, anywhere in a word.
bool plainForShells(QChar c)
{
    return c.unicode() >= 0x80 || c.isLetterOrNumber() || QStringView(u"_@%+=:,./-").contains(c);
}

} // namespace

QString posixShellLine(const QStringList &words)
{
    QString line;
    for (const QString &word : words) {
        if (!line.isEmpty())
            line += QLatin1Char(' ');
        // A first word with "=" would be read as a variable's value, not as the program.
        const bool plain = !word.isEmpty() &&
                           std::all_of(word.begin(), word.end(), plainForShells) &&
                           !(line.isEmpty() && word.contains(QLatin1Char('=')));
        if (plain)
            line += word;
        else
            line += QLatin1Char('\'') +
                    QString(word).replace(QLatin1Char('\''), QLatin1String("'\\''")) +
                    QLatin1Char('\'');
    }
    return line;
}

QString windowsCommandLine(const QString &program, const QStringList &arguments)
{
    // The program's name is read to the next quote, backslashes and all; a Windows name
    // holds no quote.
    QString line = QLatin1Char('"') + program + QLatin1Char('"');
    for (const QString &argument : arguments)
        line += QLatin1Char(' ') + quoted(argument);
    return line;
}

} // namespace platform
