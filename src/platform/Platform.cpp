#include "platform/Platform.h"

#include <QFile>

namespace platform {

bool readRegularFile(const QString &path, QByteArray *content, QString *reason)
{
    QFile file;
    if (!openRegularFile(path, &file, reason))
        return false;
    *content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

bool isLeftoverName(QByteArrayView name)
{
    return name.startsWith(".zel-") && name.endsWith(".new");
}

} // namespace platform
