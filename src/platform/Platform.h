#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>

class QFile;

// Operating-system services that differ between platforms. One implementation file per
// platform is chosen by the build; nothing outside src/platform/ may test the platform.
namespace platform {

// The separator the launcher joins its paths with: plain concatenation, one separator.
QString separator();

// The short (8.3) form of an existing path, or the empty text when the path does not exist.
// Platforms without short names give an existing path back unchanged (made absolute).
QString shortPathOf(const QString &path);

// Whether a file is a program even though its name carries no program suffix.
// Symbolic links count as what they point to.
bool isProgramFile(const QString &path);

// The wildcard the engine folder's file-open dialog offers.
QString programDialogPattern();

// `path` made absolute as the system reads it, against the launcher's current folder (and on
// Windows a drive's own current folder, as for "D:games" or "\games"), with the system's
// separators. The empty text stays empty, and a relative path stays as it is when the
// current folder cannot be named.
QString absolutePath(const QString &path);

// The current folder as text. The empty text when it is gone, or when its name is no text
// in the system's encoding: then `unspellable` gets the name as near as text comes.
QString currentFolder(QString *unspellable = nullptr);

// Gives a file the "normal" attributes: writable by its owner, with every other
// permission kept, so an executable stays executable (on Windows: no read-only, hidden,
// system or archive flag). A link, or a junction, is left alone, and so is what it points to.
bool setNormalAttributes(const QString &path, QString *reason);

// Whether the entry `path` itself is write-protected: no write bit for anyone (what
// `chmod a-w` leaves), or the read-only attribute on Windows. A link is not; nor is a file
// that is missing. Root is not stopped by the mode, so the launcher asks this itself.
bool isWriteProtected(const QString &path);

// Text in the system's 8-bit code page, which files of the old program on this system are
// in (Windows-1252 where the system has no such page).
QString fromSystemCodePage(QByteArrayView bytes);
// `text` in the system's 8-bit code page; false when a character has no place in it (or the
// system keeps its files in UTF-8), and then `bytes` is left alone.
bool toSystemCodePage(const QString &text, QByteArray *bytes);
// Whether each character of that code page is one byte (no Asian double-byte page), so that a
// byte of it can be read on its own.
bool systemCodePageIsSingleByte();

enum class EntryKind { Missing, RegularFile, Other };
// What `path` names, links followed; a link that leads nowhere is Other.
EntryKind entryKind(const QString &path);

// Opens a regular file, or the file a link points to, for reading. Anything else (a pipe, a
// device) is refused without opening it.
bool openRegularFile(const QString &path, QFile *file, QString *reason);

// Reads a regular file, or the file a link points to, whole. Anything else (a pipe, a
// device) is refused without waiting on it.
bool readRegularFile(const QString &path, QByteArray *content, QString *reason);

// A hold on a file that the system itself lets go of when its holder ends, however it ends.
// No process number names the holder, so a crashed launcher's hold can never seem to be a new
// process's. Only other holds see it: the file can be read, written and replaced meanwhile.
class FileLock
{
public:
    // The launcher's own lock file, made (hidden) when it is missing; or a file of the player's,
    // which is never made or kept open.
    enum class Of { OwnFile, PlayersFile };
    FileLock(const QString &path, Of of) : m_path(path), m_players(of == Of::PlayersFile) {}
    ~FileLock() { release(); }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    enum class Result { Taken, HeldElsewhere, Failed };
    // Takes the hold at once; `reason` gets the system's words on Failed.
    Result take(QString *reason);
    void release();

private:
    QString m_path;
    // A file descriptor, or a HANDLE on Windows; -1 is none on both.
    qintptr m_handle = -1;
    // Windows holds a player's file by a named mutex of the file's identity: a handle open on
    // the file could keep a builder from opening it for itself.
    bool m_players;
};

// A new file, written beside `path`, that takes the place of the entry `path` only once
// every byte of it is on the disk: a failed write leaves the old file as it was. A link at
// `path` is replaced, not written through. The new file keeps the old one's read, write
// and execute permissions.
class ReplacingFile
{
public:
    explicit ReplacingFile(const QString &path) : m_path(path) {}
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile &) = delete;
    ReplacingFile &operator=(const ReplacingFile &) = delete;

    bool open(QString *reason);
    bool write(QByteArrayView data, QString *reason);
    bool commit(QString *reason);
    // After open() or commit() failed: whether the system would not make the new file beside
    // the old one or move it into the old one's place (a mount on the file, a folder that
    // takes no new file), rather than failing to write it.
    bool placeRefused() const { return m_placeRefused; }

private:
    QString m_path;
    QString m_temporary;
    // The open new file: a file descriptor, or a HANDLE on Windows; -1 is none on both.
    qintptr m_handle = -1;
    bool m_placeRefused = false;
};

// Moves the entry `from` (a link itself, not what it points to) to `to`, in one step, in place of
// whatever is there.
bool moveOver(const QString &from, const QString &to, QString *reason);

// Hides an entry that the launcher keeps for itself where a leading dot hides nothing (the
// hidden attribute on Windows); true when it was shown before and is hidden now.
bool hideEntry(const QString &path);
// Shows an entry hideEntry() hid.
void showEntry(const QString &path);

// Removes a file that a ReplacingFile of a launcher that is gone left half written; one still
// being written is left alone. False when nothing was removed.
bool removeLeftover(const QString &path);

// Writes `data` over the file `path` where it is, the file itself kept (its other names, a
// mount on it, its owner): for where no new file can take its place. The space the new
// content needs is taken before the first old byte changes, so a full disk leaves the file
// as it was; a failure after that (an I/O error) can leave it half written.
bool overwriteInPlace(const QString &path, QByteArrayView data, QString *reason);

// How many names (hard links) the file `path` has, links followed; 0 when there is none.
int linkCount(const QString &path);

// Creates one folder.
bool createFolder(const QString &path, QString *reason);

// The name under which `folder` holds the entry that the system finds by `name`: on Windows
// names are found without regard to letter case, so "zel.cfg" may give "ZEL.CFG"; elsewhere
// only `name` itself. The empty text when there is no such entry.
QString storedName(const QString &folder, const QString &name);

// Which file `path` names, links followed, however it is spelled (another letter case, the
// short form, `..`, a link, a bind mount): the device and inode, or on Windows the volume's
// serial number and the file index. Empty when there is no such file.
QByteArray fileIdentity(const QString &path);

// What tells one state of a file from another: which file it is, its size and when it was
// last written or changed. Empty when there is no such file.
QByteArray fileStamp(const QString &path);

// What the system keeps of a folder while forEachFile() reads it; each system's own.
struct FolderScan;

// One file that forEachFile() came across.
class FolderEntry
{
public:
    FolderEntry(QByteArrayView name, const FolderScan &scan) : name(name), m_scan(scan) {}

    // In UTF-8, the bytes the file system spells it with; a Windows name that is no UTF-16
    // keeps its lone surrogates (as three bytes each, which is no UTF-8).
    QByteArrayView name;
    // Whether it is a program, as isProgramFile() tells; asks the system only when called.
    bool isProgram() const;

private:
    const FolderScan &m_scan;
};

// Calls `visit` for each visible plain file in `folder`, in no particular order, in one
// pass; links count as what they point to. `leftovers`, when given, gets the names of the
// half-written files that ReplacingFile leaves when its launcher dies. False with the system's
// reason when the folder cannot be read.
bool forEachFile(const QString &folder, const std::function<void(const FolderEntry &)> &visit,
                 QString *reason, QStringList *leftovers = nullptr);

// Whether `name` is that of a ReplacingFile's new file: ".zel-" and ".new" around it.
bool isLeftoverName(QByteArrayView name);

// A name as forEachFile() gives it, as text; the null text when the system's encoding
// cannot spell it, as the launcher could not open that file and might act on another.
QString fileNameText(QByteArrayView name);

// A file of the working folder as an argument for a program run there: never read as an
// option, and on POSIX never as anything but that file ("./NAME"); Windows' programs take
// the bare name, with ".\\" only before one that begins with "-".
QString localFileArgument(const QString &name);

// `path` as the file system compares it: itself, or case-folded where names ignore case, so
// two spellings of one file give the same key.
QString comparisonKey(const QString &path);

// How the people of this system expect what they type to be split into words: as a POSIX
// shell does, or as a Windows program's C runtime does.
enum class WordRule { PosixShell, WindowsRuntime };
WordRule typedWordRule();

// Processor time this process has used so far, in seconds.
double processorSeconds();

// The file name of the node builder in the program folder.
QString nodeBuilderProgramName();

// How the window's text is drawn: the faces, best first (the design's sans-serif, or the
// nearest the system has that draws every letter at any size), and whether its glyphs are
// fitted to the pixel grid in height only.
struct WindowFont
{
    QStringList families;
    bool heightHintingOnly = false;
};
WindowFont windowFont();

// Words for how a process was ended abnormally, given the code its runner reported
// (on POSIX the signal number, on Windows the exception code), e.g. "signal 9 (Killed)".
QString abnormalEndOf(int code);

} // namespace platform
