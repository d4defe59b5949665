#include "core/files/FileOperations.h"

#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
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

bool EntryExists(const QString &path)
{
    const QFileInfo entry(path);
    return entry.exists() || entry.isSymLink();
}

SetAside::~SetAside()
{
    QString reason;
    putBack(&reason);
}

bool SetAside::take(const QString &path, QString *reason)
{
    if (!EntryExists(path))
        return true;
    const QFileInfo entry(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Hidden, and no list's pattern matches it.
        const QString aside = entry.dir().filePath(
            QStringLiteral(".zel-%1.old").arg(QRandomGenerator::global()->generate(), 0, 36));
        if (EntryExists(aside))
            continue;
        if (!QDir().rename(path, aside)) {
            *reason = QStringLiteral("it cannot be moved aside");
            return false;
        }
        m_path = path;
        m_aside = aside;
        return true;
    }
    *reason = QStringLiteral("no free name beside it");
    return false;
}

bool SetAside::putBack(QString *reason)
{
    if (m_aside.isEmpty())
        return true;
    if (EntryExists(m_path) || !QDir().rename(m_aside, m_path)) {
        *reason = QStringLiteral("it is kept as \"%1\"").arg(m_aside);
        m_aside.clear();
        return false;
    }
    m_aside.clear();
    return true;
}

void SetAside::letGo()
{
    if (!m_aside.isEmpty())
        QFile::remove(m_aside);
    m_aside.clear();
}

QString RecordNameOf(const QString &demoName)
{
    return demoName.left(qMax(0, int(demoName.size()) - 4));
}
