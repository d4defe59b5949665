#pragma once

#include <QString>

// Copies `from` to `to`, replacing the entry of that name (a link there is replaced, not
// written through). The destination is written aside and renamed into place once every
// byte is on the disk, so a failed copy leaves an existing file untouched and a file
// copied onto itself keeps its content. A write-protected destination is not replaced. A
// launcher being ended stops copying at the next block. Returns false with the system's reason.
bool CopyFileReplacing(const QString &from, const QString &to, QString *reason);

// Deletes one file, never a write-protected one. Returns false with the system's reason.
bool RemoveFile(const QString &path, QString *reason);

// Whether the engine folder's delete may remove `name`: it ends in ".wad" in any letter case.
// Engines without a suffix are listed there too, and "zdoom-wad" is one.
bool IsWadName(const QString &name);

// Whether `path` is a WAD to play: a regular file with the header of an IWAD or a PWAD and
// its directory inside the file; otherwise false with the reason, in words for the player.
// Node builds are checked this way: a builder may end without error and write nothing.
bool IsWadFile(const QString &path, QString *why);

// The file of `originals` (the IWAD Safe folder's, which "copy" brings back) that `path` is, by
// whatever name it is reached; empty when it is none of them.
QString SafeOriginalOf(const QString &path, const QStringList &originals);

// Whether something is at `path`, a link that leads nowhere included.
bool EntryExists(const QString &path);

// The name a demo is recorded under again: its file name less the four characters of
// its ".lmp" suffix.
QString RecordNameOf(const QString &demoName);
