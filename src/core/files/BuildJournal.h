#pragma once

#include "platform/Ending.h"

#include <QString>
#include <QStringList>

#include <memory>

class QLockFile;

// The program folder's note of the node build that runs in it. One build runs at a time in a
// program folder, whichever launcher starts it: the note is kept under a lock file in GL_WADs.
// It names the files the build holds, so that other launchers leave them alone, and the GL PWAD
// it set aside, so that a launcher that finds the note of one that died during its build can put
// things right.
class BuildJournal
{
public:
    explicit BuildJournal(const QString &glWads);
    // A build that neither succeeded nor was rolled back is rolled back.
    ~BuildJournal();
    BuildJournal(const BuildJournal &) = delete;
    BuildJournal &operator=(const BuildJournal &) = delete;

    // Begins the build of `input` into `output`, the same path when it is rebuilt in place: takes
    // the lock, puts right what a launcher that died during its build left (`repaired` gets what
    // was done, in words), notes the build and, unless in place, sets aside what stands at
    // `output` until the build has succeeded. False with the player's reason when it cannot.
    bool begin(const QString &input, const QString &output, QString *reason, QStringList *repaired);
    // The build succeeded: what was set aside goes, and so do the note and the lock.
    void commit();
    // The build did not succeed: what it wrote into GL_WADs goes and the entry set aside comes
    // back. Gives what became of the output, in words; empty when there is nothing to say or the
    // build was rolled back already.
    QString rollBack();

    // What a build of another launcher on this program folder holds now, as BusyFiles::keysOf()
    // gives them, and the WAD it builds; empty when none runs.
    struct Running
    {
        QString input;
        QStringList held;
    };
    static Running runningBuild(const QString &glWads);

    // Puts right what a launcher that died during its build left in `glWads`, unless a build
    // runs there now. Gives what was done, in words.
    static QStringList repair(const QString &glWads);

    struct Note; // what a build notes, to be undone after a crash

private:
    QString m_glWads;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<Note> m_note; // while begun
    std::unique_ptr<ending::Undo> m_undo;
};
