#pragma once

#include "app/Form1.h"
#include "support/TestSupport.h"

#include <QStringList>

#include <memory>

class FolderList;
class QAbstractButton;
class QLineEdit;

// A work folder with an engine folder, an IWAD folder and two PWAD folders that the
// settings file names, and the launcher window opened over them.
struct LaunchBench
{
    // Folder names below the work folder; each may hold blanks or end in "/".
    explicit LaunchBench(const QString &engines = "engines", const QString &iwads = "iwads",
                         const QString &pwads1 = "pwads1", const QString &pwads2 = "pwads2");

    // Opens the window; the test fails when it is not shown.
    Form1 &open();
    const Form1Ui &ui() const { return window->ui(); }

    WorkFolder work;
    ScriptedDialogs dialogs;
    QString engines, iwads, pwads1, pwads2; // as the settings file holds them
    std::unique_ptr<Form1> window;
};

// Writes an executable script that stands in for an engine: each run writes the folder
// it runs in and then each argument, one a line, to `log`.
QString writeStandInEngine(const QString &path, const QString &log);
// Writes an executable script that stands in for `zennode IN -o OUT`: it logs each run's
// arguments (each in brackets) and the input's mode to zennode.log beside it, obeys
// zennode.ctl there (SLEEP=seconds, FAIL=name with CODE=exit code, KILL=name), and writes
// IN plus "GL" to OUT.
QString writeStandInNodeBuilder(const QString &path);
// The lines of the log, once it appeared (empty after 10 s without it).
QStringList waitForLog(const QString &log);

// Player actions.
void click(QAbstractButton *button);
void pick(FolderList *list, const QString &name);
void type(QLineEdit *box, const QString &text);
void erase(QLineEdit *box);
