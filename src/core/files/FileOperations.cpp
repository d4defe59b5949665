#include "core/files/FileOperations.h"

#include "platform/Platform.h"

#include <QFile>

bool CopyFileReplacing(const QString &from, const QString &to, QString *reason)
{
    QFile source;
    if (!platform::openRegularFile(from, &source, reason))
        return false;
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
    QFile file(path);
    if (!file.remove()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

bool IsWadName(const QString &name)
{
    return name.right(3).compare(QLatin1String("wad"), Qt::CaseInsensitive) == 0;
}

QString RecordNameOf(const QString &demoName)
{
    return demoName.left(qMax(0, int(demoName.size()) - 4));
}
