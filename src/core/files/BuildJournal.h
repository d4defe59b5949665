#pragma once

#include "platform/Ending.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace platform {
class FileLock;
}

// The program folder's note of the node build that runs in it. One build runs at a time in a
// program folder, whichever launcher starts it: the note is kept under a lock file in GL_WADs,
// which the system lets go of when its launcher ends, however it ends. The note names the files
// the build holds, so that other launchers leave them alone, and the GL PWAD it set aside, so
// that a launcher that finds the note of one that was ended can put things right. An IWAD
// rebuilt in place is held by a lock of its own too, against launchers of other program folders.
class BuildJournal
{
public:
    explicit BuildJournal(const QString &glWads);
    // A build that neither succeeded nor was rolled back is rolled back.
    ~BuildJournal();
    BuildJournal(const BuildJournal &) = delete;
    BuildJournal &operator=(const BuildJournal &) = delete;

    // Begins the build of `input` into `output`, the same path when it is rebuilt in place: takes
    // the locks, puts right what a launcher that was ended during its build left (`repaired`
    // gets what was done, in words), runs `prepare` (making the IWAD writable, say), notes the
    // build and, unless in place, sets aside what stands at `output` until the build has
    // succeeded. False with the player's reason when it cannot, and false without one when it
    // put something right: what the player chose from may have changed.
    bool begin(const QString &input, const QString &output, QString *reason, QStringList *repaired,
               const std::function<bool(QString *reason)> &prepare = nullptr);
    // The build succeeded: what was set aside goes, and so do the note and the locks.
    void commit();
    // The build did not succeed: what it wrote into GL_WADs goes and the entry set aside comes
    // back. Gives what became of the output, in words; empty when there is nothing to say or the
    // build was rolled back already. An IWAD that a build ended from outside changed keeps its
    // note, so that the next start says so.
    QString rollBack();

    // What a build of another launcher on this program folder holds now, as BusyFiles::keysOf()
    // gives them, and the WAD it builds; empty when none runs. The note of a launcher that was
    // ended is put right on the way: `repaired` says what was done, and `held` is then what it
    // had held.
    struct Running
    {
        QString input;
        QStringList held;
        QStringList repaired;
    };
    static Running runningBuild(const QString &glWads);
    // What the player is told of a repair met on the way to what they asked for.
    static QString afterRepair(const QStringList &repaired);

    // Whether a launcher of any program folder rebuilds `path` in place now.
    static bool isRebuiltElsewhere(const QString &path);

    // Puts right what a launcher that was ended during its build left in `glWads`, unless a
    // build runs there now. Gives what was done, in words.
    static QStringList repair(const QString &glWads);

    struct Note; // what a build notes, to be undone after a crash

private:
    QString m_glWads;
    std::unique_ptr<platform::FileLock> m_lock, m_iwadLock;
    std::unique_ptr<Note> m_note; // while begun
    std::unique_ptr<ending::Undo> m_undo;
};
