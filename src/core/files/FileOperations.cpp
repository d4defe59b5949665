#include "core/files/FileOperations.h"

#include "platform/Ending.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace {
const QString WriteProtected = QStringLiteral("the file is write-protected");
} // namespace

bool CopyFileReplacing(const QString &from, const QString &to, QString *reason)
{
    QFile source;
    if (!platform::openRegularFile(from, &source, reason))
        return false;
    // The new file would take its place by a rename, which no protection stops.
    if (platform::isWriteProtected(to)) {
        *reason = WriteProtected;
        return false;
    }
    platform::ReplacingFile target(to);
    if (!target.open(reason))
        return false;
    QByteArray block;
    while (!(block = source.read(1 << 20)).isEmpty()) {
        // An IWAD takes seconds: the half-written copy goes with the launcher, not after it.
        if (ending::requested()) {
            *reason = QStringLiteral("the launcher is being ended");
            return false;
        }
        if (!target.write(block, reason))
            return false;
    }
    if (source.error() != QFileDevice::NoError) {
        *reason = source.errorString();
        return false;
    }
    return target.commit(reason);
}

bool RemoveFile(const QString &path, QString *reason)
{
    // Root, and the owner of a folder, could remove it all the same.
    if (platform::isWriteProtected(path)) {
        *reason = WriteProtected;
        return false;
    }
    QFile file(path);
    if (!file.remove()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

bool IsWadName(const QString &name)
{
    return name.endsWith(QLatin1String(".wad"), Qt::CaseInsensitive);
}

bool IsWadFile(const QString &path, QString *why)
{
    QFile file;
    QString reason;
    if (!platform::openRegularFile(path, &file, &reason)) {
        *why = EntryExists(path) ? reason : QStringLiteral("it is not there");
        return false;
    }
    const QByteArray header = file.read(12);
    const qint64 size = file.size();
    if (size == 0) {
        *why = QStringLiteral("it is empty");
        return false;
    }
    if (header.size() < 12 || (!header.startsWith("IWAD") && !header.startsWith("PWAD"))) {
        *why = QStringLiteral("it does not begin as a WAD does");
        return false;
    }
    const qint64 lumps = qFromLittleEndian<qint32>(header.constData() + 4);
    const qint64 directory = qFromLittleEndian<qint32>(header.constData() + 8);
    if (lumps < 0 || directory < 12 || directory + 16 * lumps > size) {
        *why = QStringLiteral("its directory lies outside the file");
        return false;
    }
    return true;
}

QString SafeOriginalOf(const QString &path, const QStringList &originals)
{
    const QByteArray file = platform::fileIdentity(path);
    for (const QString &original : originals) {
        if (!file.isEmpty() && platform::fileIdentity(original) == file)
            return original;
    }
    return {};
}

bool EntryExists(const QString &path)
{
    const QFileInfo entry(path);
    return entry.exists() || entry.isSymLink();
}

QString RecordNameOf(const QString &demoName)
{
    return demoName.left(qMax(0, int(demoName.size()) - 4));
}
