#pragma once

#include <QHash>
#include <QObject>

class QFileSystemWatcher;
class QTimer;

// One watch on the file system for all the folder lists of a window. The system grants each
// user only a few watchers, and when they run out Qt silently reads every watched folder
// once a second instead, which is ruinous with big folders.
class FolderWatch : public QObject
{
    Q_OBJECT

public:
    // Watching a big folder costs the system a walk over its entries, so a window can have
    // its folders read and shown first: a paused watch only notes its folders until start().
    FolderWatch(bool paused, QObject *parent);
    void start();

    // Each add() is matched by one remove(); several lists may watch one folder.
    void add(const QString &folder);
    void remove(const QString &folder);
    // Watches `folder` again if it went away and came back.
    void renew(const QString &folder);

signals:
    void folderChanged(const QString &folder);

private:
    void changed(const QString &folder);
    void lookForTheGone();

    QFileSystemWatcher *m_watcher;
    QHash<QString, int> m_users;
    // The system drops the watch of a folder that is removed; until one of that name is made
    // again, it is looked for now and then.
    QStringList m_gone;
    QTimer *m_lookAgain;
    bool m_paused;
};
