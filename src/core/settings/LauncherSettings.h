#pragma once

#include <QByteArray>
#include <QString>

// What the launcher remembers between runs, in the order the settings file holds it.
struct LauncherSettings
{
    QString GameEngineFolder;
    QString IwadFolder;
    QString PwadFolder1;
    QString PwadFolder2;
    QString IwadSafeFolder;
    QString NotesText; // as the file holds it: a line break is CR LF

    static constexpr int ValueCount = 6;
    QString &value(int index);
    const QString &value(int index) const;

    bool operator==(const LauncherSettings &other) const;
};

struct ParsedSettings
{
    LauncherSettings settings; // values not read keep their defaults
    int valuesRead = 0;        // how many values were complete
    // The data ends inside the notes' quotes: five values are complete, and the notes hold
    // what came before the end.
    bool notesCut = false;
};

struct SettingsReadResult : ParsedSettings
{
    bool readable = false; // the file could be read, whole or not
    QByteArray content;    // its bytes, when readable
    QString error;         // empty when all six values were read

    bool ok() const { return error.isEmpty(); }
};

// The one record of the settings file: six quoted values, comma-separated, CR LF at the end.
// A double quote inside a value is doubled.
QByteArray FormatSettingsRecord(const LauncherSettings &settings);

// Reads up to six values from `data`. Data that the doubled-quote rule cannot read whole is
// read again as the old program read it (a quoted value runs to the next quote), unless it
// ends inside the notes. The old program wrote the notes' quotes as they were: notes that
// these rules do not close right at the end of a record that ends in a quote and CR LF run
// to that quote. A leading UTF-8 byte-order mark is skipped. Each value that is not UTF-8 is
// in the system's 8-bit code page.
ParsedSettings ParseSettingsRecord(QByteArrayView data);

SettingsReadResult ReadSettingsFile(const QString &path);

// Replaces the file only once the new record is completely on the disk, so a failed save
// leaves the previous file as it was. Only a regular file, or one a link points to, is
// replaced, and not when it is write-protected. A file of several names (hard links), or one
// that cannot be replaced (a mount on it, a folder that takes no new file), is written where
// it is once the record is known to fit. Each value is in the system's 8-bit code page when
// it fits there, UTF-8 otherwise.
bool WriteSettingsFile(const QString &path, const LauncherSettings &settings, QString *error);

// Why a write-protected settings file was not replaced.
QString SettingsFileProtected(const QString &path);
