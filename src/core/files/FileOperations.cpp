#include "core/files/FileOperations.h"

#include "platform/Platform.h"

#include <QFile>

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

QString RecordNameOf(const QString &demoName)
{
    return demoName.left(qMax(0, int(demoName.size()) - 4));
}
