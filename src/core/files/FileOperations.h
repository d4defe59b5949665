#pragma once

#include <QString>

// Copies `from` to `to`, replacing the entry of that name (a link there is replaced, not
// written through). The destination is written aside and renamed into place once every
// byte is on the disk, so a failed copy leaves an existing file untouched and a file
// copied onto itself keeps its content. Returns false with the system's reason.
bool CopyFileReplacing(const QString &from, const QString &to, QString *reason);

// Deletes one file. Returns false with the system's reason.
bool RemoveFile(const QString &path, QString *reason);

// Whether the engine folder's delete may remove `name`: its last three characters are
// "wad" in any letter case.
bool IsWadName(const QString &name);

// The name a demo is recorded under again: its file name less the four characters of
// its ".lmp" suffix.
QString RecordNameOf(const QString &demoName);
