#pragma once

#include <QString>
#include <QStringList>

// The files a running node build reads and writes. The build holds them while it runs; a start
// of the engine and the file operations ask first and leave them alone meanwhile. A build that
// another launcher runs on the same program folder counts too.
class BusyFiles
{
public:
    // Builds of other launchers are followed in `glWads`, the program folder's GL_WADs.
    void followBuildsIn(const QString &glWads) { m_glWads = glWads; }

    // Holds `paths` until release(); what was held before is let go.
    void hold(const QStringList &paths);
    void release();

    // Whether `path` names a held file, however it is spelled.
    bool isBusy(const QString &path) const;
    // Empty when `path` may be used now; otherwise what the player is told.
    QString refusal(const QString &path) const;

    // How a file is told from every other, whatever the spelling of its path: the file it
    // names (links followed) when it is there, and always its folder's entry of that name,
    // which a build may not have written yet, or may replace rather than write through.
    static QStringList keysOf(const QString &path);

private:
    QString m_glWads;
    QStringList m_held;
};
