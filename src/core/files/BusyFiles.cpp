#include "core/files/BusyFiles.h"

#include "core/files/BuildJournal.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool shareAKey(const QStringList &keys, const QStringList &held)
{
    for (const QString &key : keys) {
        if (held.contains(key))
            return true;
    }
    return false;
}

} // namespace

QStringList BusyFiles::keysOf(const QString &path)
{
    QStringList keys;
    const QByteArray file = platform::fileIdentity(path);
    if (!file.isEmpty())
        keys << QStringLiteral("file ") + QString::fromLatin1(file);
    const QFileInfo entry(path);
    const QByteArray folder = platform::fileIdentity(entry.absolutePath());
    keys << (folder.isEmpty()
                 ? QStringLiteral("path ") +
                       platform::comparisonKey(QDir::cleanPath(entry.absoluteFilePath()))
                 : QStringLiteral("entry ") + QString::fromLatin1(folder) +
                       platform::comparisonKey(entry.fileName()));
    return keys;
}

void BusyFiles::hold(const QStringList &paths)
{
    m_held.clear();
    for (const QString &path : paths)
        m_held << keysOf(path);
}

void BusyFiles::release()
{
    m_held.clear();
}

bool BusyFiles::isBusy(const QString &path) const
{
    return !refusal(path).isEmpty();
}

QString BusyFiles::refusal(const QString &path) const
{
    const QStringList keys = keysOf(path);
    if (shareAKey(keys, m_held)) {
        return QStringLiteral("\"%1\" is being built by the node builder; wait until the build "
                              "has ended.")
            .arg(path);
    }
    if (!m_glWads.isEmpty()) {
        const BuildJournal::Running other = BuildJournal::runningBuild(m_glWads);
        // A launcher that was ended left a build half done: it is put right now, whichever
        // file was asked about, and what the lists show may have changed with it.
        if (!other.repaired.isEmpty())
            return BuildJournal::afterRepair(other.repaired);
        if (shareAKey(keys, other.held)) {
            return QStringLiteral("\"%1\" is being built by the node builder of another "
                                  "launcher on this program folder; wait until that build has "
                                  "ended.")
                .arg(path);
        }
    }
    // An IWAD that a launcher of another program folder rebuilds in place.
    if (BuildJournal::isRebuiltElsewhere(path)) {
        return QStringLiteral("\"%1\" is being rebuilt by the node builder of another launcher; "
                              "wait until that build has ended.")
            .arg(path);
    }
    return {};
}
