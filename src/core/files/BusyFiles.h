#pragma once

#include <QString>
#include <QStringList>

// The files a running node build reads and writes. The build holds them while it runs; a start
// of the engine and the file operations ask first and leave them alone meanwhile.
class BusyFiles
{
public:
    // Holds `paths` until release(); what was held before is let go.
    void hold(const QStringList &paths);
    void release();

    // Whether `path` names a held file, by whatever spelling of its folder.
    bool isBusy(const QString &path) const;
    // Empty when `path` may be used now; otherwise what the player is told.
    QString refusal(const QString &path) const;

private:
    QStringList m_held;
};
