#include "core/files/BuildJournal.h"

#include "core/files/BusyFiles.h"
#include "core/files/FileOperations.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>

struct BuildJournal::Note
{
    QString input, output;
    bool inPlace = false;
    QString setAside;       // where the earlier entry at `output` waits; empty when there was none
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
    return !note->output.isEmpty();
}

bool readNote(const QString &path, BuildJournal::Note *note)
{
    QByteArray text;
    QString reason;
    return platform::readRegularFile(path, &text, &reason) && parse(text, note);
}

bool writeNote(const QString &path, const BuildJournal::Note &note, QString *reason)
{
    platform::ReplacingFile file(path);
    if (!file.open(reason) || !file.write(format(note), reason) || !file.commit(reason))
        return false;
    platform::hideEntry(path);
    return true;
}

std::unique_ptr<QLockFile> lockFor(const QString &glWads)
{
    auto lock = std::make_unique<QLockFile>(inFolder(glWads, LockName));
    // A build may run for an hour: only a launcher that is gone leaves a stale lock.
    lock->setStaleLockTime(0);
    return lock;
}

// Undoes what the build of `note` left; gives what became of its output, in words.
QString undo(const BuildJournal::Note &note)
{
    QString reason;
    if (note.inPlace) {
        if (platform::fileStamp(note.output) == note.stampBefore)
            return QStringLiteral("\"%1\" is unchanged.").arg(note.output);
        return QStringLiteral("\"%1\" was changed and may be incomplete: \"copy\" from IWAD Safe "
                              "restores it.")
            .arg(note.output);
    }
    QStringList words;
    const bool earlier = !note.setAside.isEmpty() && EntryExists(note.setAside);
    if (EntryExists(note.output) && note.setAside.isEmpty()) {
        // What a failed build wrote into GL_WADs would be listed there, ready to be played.
        words << (RemoveFile(note.output, &reason)
                      ? QStringLiteral("\"%1\" was removed: the build had written it.")
                            .arg(note.output)
                      : QStringLiteral("\"%1\", which the build wrote, cannot be removed: %2.")
                            .arg(note.output, reason));
    } else if (earlier) {
        const bool written = EntryExists(note.output);
        // Straight over what the build wrote: the GL PWAD is never missing meanwhile.
        if (platform::moveOver(note.setAside, note.output, &reason)) {
            if (note.hidAside)
                platform::showEntry(note.output);
            if (written)
                words << QStringLiteral("\"%1\" was removed: the build had written it; the GL "
                                        "PWAD that was there before is back.")
                             .arg(note.output);
        } else {
            words << QStringLiteral("The GL PWAD that was there before cannot be put back as "
                                    "\"%1\": %2; it is kept as \"%3\".")
                         .arg(note.output, reason, note.setAside);
        }
    }
    return words.join(QLatin1Char(' '));
}

// With the lock held: puts right what the note of a launcher that died during its build left.
QStringList repairHeld(const QString &glWads)
{
    const QString path = inFolder(glWads, NoteName);
    if (!EntryExists(path))
        return {};
    BuildJournal::Note note;
    QStringList words;
    if (readNote(path, &note)) {
        const QString what = undo(note);
        words << QStringLiteral("A launcher was ended during its node build of \"%1\".")
                         .arg(note.input) +
                     (what.isEmpty() ? QString() : QLatin1Char(' ') + what);
    }
    QFile::remove(path);
    return words;
}

} // namespace

BuildJournal::BuildJournal(const QString &glWads) : m_glWads(glWads) {}

BuildJournal::~BuildJournal()
{
    rollBack();
}

bool BuildJournal::begin(const QString &input, const QString &output, QString *reason,
                         QStringList *repaired)
{
    std::unique_ptr<QLockFile> lock = lockFor(m_glWads);
    if (!lock->tryLock(LockWaitMs)) {
        if (lock->error() == QLockFile::LockFailedError) {
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
            *reason = QStringLiteral("Cannot start the node builder: its lock file \"%1\" cannot "
                                     "be made (%2).")
                          .arg(inFolder(m_glWads, LockName),
                               QFileInfo(m_glWads).isDir()
                                   ? QStringLiteral("is the folder full or write-protected?")
                                   : QStringLiteral("\"%1\" is no folder").arg(m_glWads));
        }
        return false;
    }
    platform::hideEntry(lock->fileName());
    *repaired = repairHeld(m_glWads);

    auto note = std::make_unique<Note>();
    note->input = input;
    note->output = output;
    note->inPlace = output == input;
    if (note->inPlace) {
        note->stampBefore = platform::fileStamp(output);
    } else if (EntryExists(output)) {
        for (int attempt = 0; attempt < 100 && note->setAside.isEmpty(); ++attempt) {
            const QString aside = inFolder(
                QFileInfo(output).absolutePath(),
                QStringLiteral(".zel-%1.old").arg(QRandomGenerator::global()->generate(), 0, 36));
            if (!EntryExists(aside))
                note->setAside = QDir::toNativeSeparators(aside);
        }
    }
    note->held = BusyFiles::keysOf(input);
    if (!note->inPlace)
        note->held << BusyFiles::keysOf(output).last(); // its entry: it is set aside first
    const QString notePath = inFolder(m_glWads, NoteName);
    QString why;
    if (!writeNote(notePath, *note, &why)) {
        *reason = QStringLiteral("Cannot start the node builder: its note \"%1\" cannot be "
                                 "written: %2")
                      .arg(notePath, why);
        return false;
    }
    // What stands in GL_WADs under that name, a link too, waits aside until the build has
    // succeeded: a build that fails, or never starts, changes nothing there.
    if (!note->setAside.isEmpty()) {
        if (!platform::moveOver(output, note->setAside, &why)) {
            QFile::remove(notePath);
            *reason = QStringLiteral("Cannot make room for the new \"%1\": %2").arg(output, why);
            return false;
        }
        // A leading dot hides nothing on every system.
        note->hidAside = platform::hideEntry(note->setAside);
        if (note->hidAside && !writeNote(notePath, *note, &why))
            note->hidAside = false; // the worst it costs is a hidden GL PWAD after a crash
    }
    m_lock = std::move(lock);
    m_note = std::move(note);
    // Ended from outside, the launcher undoes the build before it goes.
    m_undo = std::make_unique<ending::Undo>([this] { rollBack(); });
    return true;
}

void BuildJournal::commit()
{
    if (!m_note)
        return;
    if (!m_note->setAside.isEmpty())
        QFile::remove(m_note->setAside);
    QFile::remove(inFolder(m_glWads, NoteName));
    m_note.reset();
    m_lock.reset();
    m_undo.reset();
}

QString BuildJournal::rollBack()
{
    if (!m_note)
        return {};
    const QString words = undo(*m_note);
    QFile::remove(inFolder(m_glWads, NoteName));
    m_note.reset();
    m_lock.reset();
    m_undo.reset();
    return words;
}

BuildJournal::Running BuildJournal::runningBuild(const QString &glWads)
{
    Note note;
    if (!readNote(inFolder(glWads, NoteName), &note))
        return {};
    // The note of a launcher that died is no build.
    std::unique_ptr<QLockFile> lock = lockFor(glWads);
    if (lock->tryLock(0) || lock->error() != QLockFile::LockFailedError)
        return {};
    return {note.input, note.held};
}

QStringList BuildJournal::repair(const QString &glWads)
{
    if (!EntryExists(inFolder(glWads, NoteName)))
        return {};
    std::unique_ptr<QLockFile> lock = lockFor(glWads);
    if (!lock->tryLock(0))
        return {};
    return repairHeld(glWads);
}
