#include "lists/FolderWatch.h"

#include "platform/Platform.h"

#include <QFileSystemWatcher>
#include <QTimer>

namespace {
// A stat call per list: cheap enough to notice a moved folder within a second.
constexpr int LookAgainMs = 1000;
} // namespace

FolderWatch::FolderWatch(bool paused, QObject *parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_lookAgain(new QTimer(this)),
      m_paused(paused)
{
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::changed);
    m_lookAgain->setInterval(LookAgainMs);
    connect(m_lookAgain, &QTimer::timeout, this, &FolderWatch::lookAgain);
}

void FolderWatch::changed(const QString &folder)
{
    emit folderChanged(folder);
    // The system watches a folder once, under the first of its spellings (a link, "..", a
    // mount) that was given: the lists that show it under another hear it too.
    const QByteArray identity = platform::fileIdentity(folder);
    if (identity.isEmpty())
        return;
    for (auto it = m_users.cbegin(); it != m_users.cend(); ++it) {
        if (it.key() != folder && platform::fileIdentity(it.key()) == identity)
            emit folderChanged(it.key());
    }
}

void FolderWatch::start()
{
    if (!m_paused)
        return;
    m_paused = false;
    for (auto it = m_users.cbegin(); it != m_users.cend(); ++it)
        renew(it.key());
    if (!m_users.isEmpty())
        m_lookAgain->start();
}

void FolderWatch::add(const QString &folder)
{
    ++m_users[folder];
    renew(folder);
    if (!m_paused && !m_lookAgain->isActive())
        m_lookAgain->start();
}

void FolderWatch::remove(const QString &folder)
{
    const auto it = m_users.find(folder);
    if (it == m_users.end() || --it.value() > 0)
        return;
    m_users.erase(it);
    if (m_watcher->directories().contains(folder))
        m_watcher->removePath(folder);
    if (m_users.isEmpty())
        m_lookAgain->stop();
}

void FolderWatch::renew(const QString &folder)
{
    // A folder that cannot be watched (yet) is still listed; refreshes try again.
    if (!m_paused && m_users.contains(folder) && !m_watcher->directories().contains(folder))
        m_watcher->addPath(folder);
}

void FolderWatch::rewatch(const QString &folder)
{
    if (m_watcher->directories().contains(folder))
        m_watcher->removePath(folder);
    renew(folder);
}
