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
    QString NotesText; // line breaks as "\n"; the file holds CR LF

    static constexpr int ValueCount = 6;
    QString &value(int index);
    const QString &value(int index) const;

    bool operator==(const LauncherSettings &other) const;
};

struct SettingsReadResult
{
    LauncherSettings settings; // values not read keep their defaults
    bool readable = false;     // the file could be read, whole or not
    int valuesRead = 0;
    QString error; // empty when all six values were read

    bool ok() const { return error.isEmpty(); }
};

// The one record of the settings file: six quoted values, comma-separated, CR LF at the end.
// A double quote inside a value is doubled.
QByteArray FormatSettingsRecord(const LauncherSettings &settings);

// Reads up to six values from `data`; returns how many were complete. Data that the
// doubled-quote rule cannot read whole is read again as the old program read it: a quoted
// value runs to the next quote. Data that is not UTF-8 is Windows-1252.
int ParseSettingsRecord(const QByteArray &data, LauncherSettings *settings);

SettingsReadResult ReadSettingsFile(const QString &path);

// Replaces the file only once the new record is completely on the disk, so a failed save
// leaves the previous file as it was. Only a regular file, or one a link points to, is
// replaced. The record is UTF-8.
bool WriteSettingsFile(const QString &path, const LauncherSettings &settings, QString *error);
