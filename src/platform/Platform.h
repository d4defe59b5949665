#pragma once

#include <QString>
#include <QStringList>

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

// The names of the visible plain files in `folder`, in no particular order, read in one
// pass; links count as what they point to; names the system cannot spell as text are left
// out. False with the system's reason when the folder cannot be read.
bool readFileNames(const QString &folder, QStringList *names, QString *reason);

// The file name of the node builder in the program folder.
QString nodeBuilderProgramName();

// Words for how a process was ended abnormally, given the code its runner reported
// (on POSIX the signal number), e.g. "signal 9 (Killed)".
QString abnormalEndOf(int code);

} // namespace platform
