#include "core/files/BuildJournal.h"

#include "core/files/BusyFiles.h"
#include "core/files/FileOperations.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

// The entries in GL_WADs are noted by name alone: the program folder may be moved meanwhile,
// and the note is read where it is found.
struct BuildJournal::Note
{
    QString input, output; // output: the IWAD rebuilt in place, or a name in GL_WADs
    bool inPlace = false;
    QString setAside;       // the name the earlier entry waits under; empty when there was none
    bool hidAside = false;  // the launcher hid it, so it is shown again when it comes back
    QByteArray stampBefore; // of an IWAD rebuilt in place
    QStringList held;
};

namespace {

// Names that mark the launcher's own files: hidden, and matched by no list's pattern.
const QString NoteName = QStringLiteral(".zel-build");
const QString LockName = QStringLiteral(".zel-build.lock");
// Another launcher's look at a running build holds the lock for a moment; a build holds it for
// long, and the player is told at once.
constexpr int LockWaitMs = 250;

QString inFolder(const QString &folder, const QString &name)
{
    return folder + platform::separator() + name;
}

// Where the build writes: in place, or in the GL_WADs folder the note lies in.
QString outputOf(const BuildJournal::Note &note, const QString &glWads)
{
    return note.inPlace ? note.output : inFolder(glWads, note.output);
}

QByteArray encoded(const QString &text)
{
    return text.toUtf8().toPercentEncoding(" /\\:.-_~()[]");
}

QString decoded(const QByteArray &text)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text));
}

QByteArray format(const BuildJournal::Note &note)
{
    QByteArray text;
    const auto line = [&text](const char *key, const QByteArray &value) {
        text += key + QByteArray("=") + value + '\n';
    };
    line("input", encoded(note.input));
    line("output", encoded(note.output));
    line("in-place", note.inPlace ? "1" : "0");
    line("set-aside", encoded(note.setAside));
    line("hid-set-aside", note.hidAside ? "1" : "0");
    line("stamp-before", note.stampBefore.toPercentEncoding());
    for (const QString &key : note.held)
        line("held", encoded(key));
    return text;
}

bool parse(const QByteArray &text, BuildJournal::Note *note)
{
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.left(equals), value = line.mid(equals + 1);
        if (key == "input")
            note->input = decoded(value);
        else if (key == "output")
            note->output = decoded(value);
        else if (key == "in-place")
            note->inPlace = value == "1";
        else if (key == "set-aside")
            note->setAside = decoded(value);
        else if (key == "hid-set-aside")
            note->hidAside = value == "1";
        else if (key == "stamp-before")
            note->stampBefore = QByteArray::fromPercentEncoding(value);
        else if (key == "held")
            note->held << decoded(value);
    }
    // A note names its GL_WADs entries by name alone: one that names another folder's is no note
    // of this launcher.
    return !note->output.isEmpty() &&
           (note->inPlace || (!note->output.contains(platform::separator()) &&
                              !note->setAside.contains(platform::separator())));
}

bool readNote(const QString &path, BuildJournal::Note *note)
{
    QByteArray text;
    QString reason;
    return platform::readRegularFile(path, &text, &reason) && parse(text, note);
}

// A note left behind would have the next launcher undo a build that was done: one that cannot
// be removed (a virus scanner holding it) is emptied, which reads as no note.
void retireNote(const QString &glWads)
{
    const QString path = inFolder(glWads, NoteName);
    if (QFile::remove(path) || !EntryExists(path))
        return;
    // Made read-only by someone (an attribute on Windows), it is made writable first.
    QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
    if (!QFile::remove(path))
        QFile::resize(path, 0);
}

bool writeNote(const QString &path, const BuildJournal::Note &note, QString *reason)
{
    platform::ReplacingFile file(path);
    if (!file.open(reason) || !file.write(format(note), reason) || !file.commit(reason))
        return false;
    platform::hideEntry(path);
    return true;
}

// Takes a lock, waiting a moment for another launcher's look at it to end.
platform::FileLock::Result takeLock(platform::FileLock &lock, QString *reason)
{
    using Result = platform::FileLock::Result;
    Result result = lock.take(reason);
    for (int waited = 0; result == Result::HeldElsewhere && waited < LockWaitMs; waited += 25) {
        QThread::msleep(25);
        result = lock.take(reason);
    }
    return result;
}

// Undoes what the build of `note` left in `glWads`; gives what became of its output, in words.
QString undo(const BuildJournal::Note &note, const QString &glWads)
{
    const QString output = outputOf(note, glWads);
    if (note.inPlace) {
        if (platform::fileStamp(output) == note.stampBefore)
            return QStringLiteral("\"%1\" is unchanged.").arg(output);
        return QStringLiteral("\"%1\" was changed and may be incomplete: \"copy\" from IWAD Safe "
                              "restores it.")
            .arg(output);
    }
    QString reason;
    QStringList words;
    const QString aside = note.setAside.isEmpty() ? QString() : inFolder(glWads, note.setAside);
    if (aside.isEmpty()) {
        // What a failed build wrote into GL_WADs would be listed there, ready to be played.
        if (EntryExists(output)) {
            words << (RemoveFile(output, &reason)
                          ? QStringLiteral("\"%1\" was removed: the build had written it.")
                                .arg(output)
                          : QStringLiteral("\"%1\", which the build wrote, cannot be removed: "
                                           "%2.")
                                .arg(output, reason));
        }
    } else if (EntryExists(aside)) {
        const bool written = EntryExists(output);
        // Straight over what the build wrote: the GL PWAD is never missing meanwhile.
        if (platform::moveOver(aside, output, &reason)) {
            if (note.hidAside)
                platform::showEntry(output);
            if (written)
                words << QStringLiteral("\"%1\" was removed: the build had written it; the GL "
                                        "PWAD that was there before is back.")
                             .arg(output);
        } else {
            words << QStringLiteral("The GL PWAD that was there before cannot be put back as "
                                    "\"%1\": %2; it is kept as \"%3\".")
                         .arg(output, reason, aside);
            if (written)
                words << QStringLiteral("\"%1\" is what the unfinished build wrote: do not "
                                        "play it.")
                             .arg(output);
        }
    } else if (!QFileInfo(glWads).isDir()) {
        words << QStringLiteral("The GL PWAD that was there before waits in \"%1\" as \"%2\", "
                                "which is gone from here: the next launcher started in that "
                                "program folder puts it back.")
                     .arg(glWads, note.setAside);
    }
    return words.join(QLatin1Char(' '));
}

// With the lock held: puts right what the note of a launcher that was ended left.
QStringList repairHeld(const QString &glWads, BuildJournal::Note *found = nullptr)
{
    const QString path = inFolder(glWads, NoteName);
    if (!EntryExists(path))
        return {};
    BuildJournal::Note note;
    QStringList words;
    if (readNote(path, &note)) {
        const QString what = undo(note, glWads);
        words << QStringLiteral("A node build of \"%1\" was left unfinished.").arg(note.input) +
                     (what.isEmpty() ? QString() : QLatin1Char(' ') + what);
        if (found)
            *found = note;
    }
    retireNote(glWads);
    return words;
}

} // namespace

BuildJournal::BuildJournal(const QString &glWads) : m_glWads(glWads) {}

BuildJournal::~BuildJournal()
{
    rollBack();
}

bool BuildJournal::begin(const QString &input, const QString &output, QString *reason,
                         QStringList *repaired, const std::function<bool(QString *reason)> &prepare)
{
    using Result = platform::FileLock::Result;
    // Removed while the launcher ran, it is made again as at start-up.
    QString why;
    if (!EntryExists(m_glWads) && !platform::createFolder(m_glWads, &why)) {
        *reason = QStringLiteral("Cannot make the folder \"%1\" again: %2").arg(m_glWads, why);
        return false;
    }
    auto lock = std::make_unique<platform::FileLock>(inFolder(m_glWads, LockName),
                                                     platform::FileLock::Of::OwnFile);
    const Result locked = takeLock(*lock, &why);
    if (locked != Result::Taken) {
        if (locked == Result::HeldElsewhere) {
            const Running other = runningBuild(m_glWads);
            *reason = other.input.isEmpty()
                          ? QStringLiteral("Another launcher is building with the node builder "
                                           "of this program folder; wait until that build has "
                                           "ended.")
                          : QStringLiteral("Another launcher is building \"%1\" with the node "
                                           "builder of this program folder; wait until that "
                                           "build has ended.")
                                .arg(other.input);
        } else {
            *reason = QFileInfo(m_glWads).isDir()
                          ? QStringLiteral("Cannot start the node builder: its lock file \"%1\" "
                                           "cannot be made: %2")
                                .arg(inFolder(m_glWads, LockName), why)
                          : QStringLiteral("Cannot start the node builder: \"%1\" is no folder.")
                                .arg(m_glWads);
        }
        return false;
    }
    *repaired = repairHeld(m_glWads);
    // What was put right may be what the player chose from: nothing is built until they look.
    if (!repaired->isEmpty())
        return false;

    auto note = std::make_unique<Note>();
    note->input = input;
    note->inPlace = output == input;
    note->output = note->inPlace ? output : QFileInfo(output).fileName();
    // Another program folder's launcher may be rebuilding the same IWAD.
    auto iwadLock =
        std::make_unique<platform::FileLock>(output, platform::FileLock::Of::PlayersFile);
    if (note->inPlace && takeLock(*iwadLock, &why) == Result::HeldElsewhere) {
        *reason = QStringLiteral("Another launcher is rebuilding \"%1\" with its node builder; "
                                 "wait until that build has ended.")
                      .arg(output);
        return false;
    }
    if (prepare && !prepare(reason))
        return false;
    if (note->inPlace) {
        note->stampBefore = platform::fileStamp(output);
    } else if (EntryExists(output)) {
        for (int attempt = 0; attempt < 100 && note->setAside.isEmpty(); ++attempt) {
            const QString aside =
                QStringLiteral(".zel-%1.old").arg(QRandomGenerator::global()->generate(), 0, 36);
            if (!EntryExists(inFolder(m_glWads, aside)))
                note->setAside = aside;
        }
    }
    note->held = BusyFiles::keysOf(input);
    if (!note->inPlace)
        note->held << BusyFiles::keysOf(output).last(); // its entry: it is set aside first
    const QString notePath = inFolder(m_glWads, NoteName);
    if (!writeNote(notePath, *note, &why)) {
        *reason = QStringLiteral("Cannot start the node builder: its note \"%1\" cannot be "
                                 "written: %2")
                      .arg(notePath, why);
        return false;
    }
    // What stands in GL_WADs under that name, a link too, waits aside until the build has
    // succeeded: a build that fails, or never starts, changes nothing there.
    if (!note->setAside.isEmpty()) {
        const QString aside = inFolder(m_glWads, note->setAside);
        if (!platform::moveOver(output, aside, &why)) {
            QFile::remove(notePath);
            *reason = QStringLiteral("Cannot make room for the new \"%1\": %2").arg(output, why);
            return false;
        }
        // A leading dot hides nothing on every system.
        note->hidAside = platform::hideEntry(aside);
        if (note->hidAside && !writeNote(notePath, *note, &why))
            note->hidAside = false; // the worst it costs is a hidden GL PWAD after a crash
    }
    m_lock = std::move(lock);
    if (note->inPlace)
        m_iwadLock = std::move(iwadLock);
    m_note = std::move(note);
    // Ended from outside, the launcher undoes the build before it goes.
    m_undo = std::make_unique<ending::Undo>([this] { rollBack(); });
    return true;
}

void BuildJournal::commit()
{
    if (!m_note)
        return;
    // The note goes first: a set-aside file left without it only takes room, while a note left
    // without its set-aside file would undo this build.
    retireNote(m_glWads);
    if (!m_note->setAside.isEmpty())
        QFile::remove(inFolder(m_glWads, m_note->setAside));
    m_note.reset();
    m_iwadLock.reset();
    m_lock.reset();
    m_undo.reset();
}

QString BuildJournal::rollBack()
{
    if (!m_note)
        return {};
    const QString words = undo(*m_note, m_glWads);
    // Ended from outside, the launcher goes without a word: the next start says what became of
    // an IWAD the build changed.
    const bool tellNextStart = ending::requested() && m_note->inPlace &&
                               platform::fileStamp(m_note->output) != m_note->stampBefore;
    if (!tellNextStart)
        retireNote(m_glWads);
    m_note.reset();
    m_iwadLock.reset();
    m_lock.reset();
    m_undo.reset();
    return words;
}

QString BuildJournal::afterRepair(const QStringList &repaired)
{
    return repaired.join(QLatin1Char('\n')) +
           QStringLiteral("\nLook at the lists again and choose once more.");
}

BuildJournal::Running BuildJournal::runningBuild(const QString &glWads)
{
    const QString notePath = inFolder(glWads, NoteName);
    if (!EntryExists(notePath))
        return {};
    platform::FileLock lock(inFolder(glWads, LockName), platform::FileLock::Of::OwnFile);
    QString why;
    const platform::FileLock::Result locked = lock.take(&why);
    Note note;
    if (locked == platform::FileLock::Result::HeldElsewhere)
        return readNote(notePath, &note) ? Running{note.input, note.held, {}} : Running{};
    // The note of a launcher that was ended is no build: put right what it left.
    if (locked != platform::FileLock::Result::Taken)
        return {};
    Running left;
    left.repaired = repairHeld(glWads, &note);
    left.input = note.input;
    left.held = note.held;
    return left;
}

bool BuildJournal::isRebuiltElsewhere(const QString &path)
{
    platform::FileLock lock(path, platform::FileLock::Of::PlayersFile);
    QString why;
    return lock.take(&why) == platform::FileLock::Result::HeldElsewhere;
}

QStringList BuildJournal::repair(const QString &glWads)
{
    if (!EntryExists(inFolder(glWads, NoteName)))
        return {};
    platform::FileLock lock(inFolder(glWads, LockName), platform::FileLock::Of::OwnFile);
    QString why;
    if (lock.take(&why) != platform::FileLock::Result::Taken)
        return {};
    return repairHeld(glWads);
}
