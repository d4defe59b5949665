#pragma once

#include "core/settings/LauncherSettings.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The settings file of one launcher, and what it held when this launcher last read or wrote
// it: a save that finds it changed since (another launcher, a hand edit) does not overwrite
// it unasked.
class SettingsFile
{
public:
    explicit SettingsFile(const QString &path) : m_path(path) {}

    const QString &path() const { return m_path; }
    QString backupPath() const { return m_path + QStringLiteral(".bak"); }

    // Reads the file and remembers what it held.
    SettingsReadResult read();

    enum class Choice { Keep, Replace };
    struct Saved
    {
        enum { Written, Kept, Failed } result = Failed;
        // Written: the file as read back; Kept: the file as it is on the disk.
        SettingsReadResult file;
        // Failed: why; Written: where a file that could not be read whole was kept, if so.
        QString message;
    };
    // Writes `values` and reads them back. A file that changed since this launcher last read
    // or wrote it is replaced only when `whenChanged` says so (without one, it is kept); a file
    // that could not be read whole is kept as backupPath() first; one that cannot be read at all is
    // never replaced.
    Saved save(const LauncherSettings &values, const std::function<Choice()> &whenChanged);

private:
    enum class Known { Unknown, Missing, Read };
    void remember(const SettingsReadResult &read);
    bool changedSince(const SettingsReadResult &read) const;

    QString m_path;
    Known m_known = Known::Unknown;
    QByteArray m_content;
};
