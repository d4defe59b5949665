#include "lists/FolderWatch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace {
constexpr int LookAgainMs = 1000;
} // namespace

FolderWatch::FolderWatch(bool paused, QObject *parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_lookAgain(new QTimer(this)),
      m_paused(paused)
{
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::changed);
    m_lookAgain->setInterval(LookAgainMs);
    connect(m_lookAgain, &QTimer::timeout, this, &FolderWatch::lookForTheGone);
}

void FolderWatch::changed(const QString &folder)
{
    if (!QFileInfo(folder).isDir() && m_users.contains(folder) && !m_gone.contains(folder)) {
        m_gone << folder;
        m_lookAgain->start();
    }
    emit folderChanged(folder);
}

void FolderWatch::lookForTheGone()
{
    for (const QString &folder : QStringList(m_gone)) {
        if (!m_users.contains(folder)) {
            m_gone.removeAll(folder);
        } else if (QFileInfo(folder).isDir()) {
            m_gone.removeAll(folder);
            if (m_watcher->directories().contains(folder))
                m_watcher->removePath(folder);
            renew(folder);
            emit folderChanged(folder); // it may hold files already
        }
    }
    if (m_gone.isEmpty())
        m_lookAgain->stop();
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
