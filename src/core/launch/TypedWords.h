#pragma once

#include <QString>
#include <QStringList>

// What the player types into a text box of the launch panel, as the words the engine gets.
// Each box is split on its own, so a quote left open ends with its box.

// As a Windows program's C runtime splits its command line after the program's name: blanks
// and tabs separate; "a b" is one word without its quotes and "" an empty one; 2n
// backslashes before a quote are n and a quote that opens or closes, 2n+1 are n and a quote
// of the word; other backslashes stay; "" inside quotes is a quote of the word.
QStringList SplitLikeWindowsRuntime(const QString &text);

// As a POSIX shell splits a simple command into words, with nothing expanded: blanks, tabs
// and line breaks separate; single quotes keep everything, double quotes all but \$, \`, \",
// \\ and a backslash before a line break; an unquoted backslash keeps the next character.
// $, `, *, ~, ; and the like stay as typed.
QStringList SplitLikePosixShell(const QString &text);

// The words of `text` by this system's rule.
QStringList TypedWords(const QString &text);
