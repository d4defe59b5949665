#include "core/files/BusyFiles.h"

#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A file as its folder's entry: the same file reached through another spelling of its folder,
// a link to it included, is the same entry; a link in the file's own place is an entry of its
// own, as a build replaces it rather than writing through it.
QString entryOf(const QString &path)
{
    const QFileInfo file(path);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return platform::comparisonKey(
        (folder.isEmpty() ? QDir::cleanPath(file.absolutePath()) : folder) + QLatin1Char('/') +
        file.fileName());
}

} // namespace

void BusyFiles::hold(const QStringList &paths)
{
    m_held.clear();
    for (const QString &path : paths)
        m_held << entryOf(path);
}

void BusyFiles::release()
{
    m_held.clear();
}

bool BusyFiles::isBusy(const QString &path) const
{
    return !m_held.isEmpty() && m_held.contains(entryOf(path));
}

QString BusyFiles::refusal(const QString &path) const
{
    if (!isBusy(path))
        return {};
    return QStringLiteral("\"%1\" is being built by the node builder; wait until the build has "
                          "ended.")
        .arg(path);
}
