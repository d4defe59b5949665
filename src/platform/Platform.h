#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

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

// Gives a file the "normal" attributes: writable by its owner, with every other
// permission kept, so an executable stays executable.
bool setNormalAttributes(const QString &path, QString *reason);

// Creates one folder.
bool createFolder(const QString &path, QString *reason);

// One file that forEachFile() came across.
class FolderEntry
{
public:
    FolderEntry(QByteArrayView name, int folderHandle) : name(name), m_folder(folderHandle) {}

    // As the file system spells it (UTF-8 here).
    QByteArrayView name;
    // Whether it is a program, as isProgramFile() tells; asks the system only when called.
    bool isProgram() const;

private:
    int m_folder;
};

// Calls `visit` for each visible plain file in `folder`, in no particular order, in one
// pass; links count as what they point to. False with the system's reason when the folder
// cannot be read.
bool forEachFile(const QString &folder, const std::function<void(const FolderEntry &)> &visit,
                 QString *reason);

// A name as forEachFile() gives it, as text; the null text when the system's encoding
// cannot spell it, as the launcher could not open that file and might act on another.
QString fileNameText(QByteArrayView name);

// The file name of the node builder in the program folder.
QString nodeBuilderProgramName();

// Words for how a process was ended abnormally, given the code its runner reported
// (on POSIX the signal number), e.g. "signal 9 (Killed)".
QString abnormalEndOf(int code);

} // namespace platform
