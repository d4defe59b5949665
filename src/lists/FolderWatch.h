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
    // Watches whatever folder `folder` names now: the system's watch stays with the folder
    // it was given, wherever that folder is moved.
    void rewatch(const QString &folder);

signals:
    void folderChanged(const QString &folder);
    // Now and then, for the lists to look whether their paths still name the folders they
    // show: a move of a folder, or of one above it, tells the watch of that folder nothing.
    void lookAgain();

private:
    void changed(const QString &folder);

    QFileSystemWatcher *m_watcher;
    QHash<QString, int> m_users;
    QTimer *m_lookAgain;
    bool m_paused;
};
