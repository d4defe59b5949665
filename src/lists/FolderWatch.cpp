#include "lists/FolderWatch.h"

#include <QFileSystemWatcher>

FolderWatch::FolderWatch(bool paused, QObject *parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_paused(paused)
{
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::folderChanged);
}

void FolderWatch::start()
{
    if (!m_paused)
        return;
    m_paused = false;
    for (auto it = m_users.cbegin(); it != m_users.cend(); ++it)
        renew(it.key());
}

void FolderWatch::add(const QString &folder)
{
    ++m_users[folder];
    renew(folder);
}

void FolderWatch::remove(const QString &folder)
{
    const auto it = m_users.find(folder);
    if (it == m_users.end() || --it.value() > 0)
        return;
    m_users.erase(it);
    if (m_watcher->directories().contains(folder))
        m_watcher->removePath(folder);
}

void FolderWatch::renew(const QString &folder)
{
    // A folder that cannot be watched (yet) is still listed; refreshes try again.
    if (!m_paused && m_users.contains(folder) && !m_watcher->directories().contains(folder))
        m_watcher->addPath(folder);
}
