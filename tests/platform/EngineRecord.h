// What the Windows tests read of the stand-in engine's record.
#pragma once

#include <QFile>
#include <QStringList>
#include <QTest>

// What the stand-in engine run in `folder` wrote down under `what`, in order, once it is there.
inline QStringList engineRecord(const QString &folder, const QString &what)
{
    QFile file(folder + "/standin-engine.txt");
    if (!QTest::qWaitFor([&] { return file.exists(); }, 20000) || !file.open(QIODevice::ReadOnly))
        return {};
    QStringList values;
    for (const QString &line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
        if (line.section('\t', 0, 0) == what)
            values << line.section('\t', 1);
    }
    return values;
}
