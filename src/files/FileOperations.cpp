#include "files/FileOperations.h"

#include <QFile>
#include <QSaveFile>

bool CopyFileReplacing(const QString &from, const QString &to, QString *reason)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        *reason = source.errorString();
        return false;
    }
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly)) {
        *reason = target.errorString();
        return false;
    }
    QByteArray block;
    while (!(block = source.read(1 << 20)).isEmpty()) {
        if (target.write(block) != block.size()) {
            *reason = target.errorString();
            return false;
        }
    }
    if (source.error() != QFileDevice::NoError) {
        *reason = source.errorString();
        return false;
    }
    if (!target.commit()) {
        *reason = target.errorString();
        return false;
    }
    return true;
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
