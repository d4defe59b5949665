#include "files/FileOperations.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestFileOperations : public QObject
{
    Q_OBJECT

private slots:
    void copyReplacesAndNeverTruncates()
    {
        QTemporaryDir dir;
        const QString safe = dir.filePath("safe.wad"), iwad = dir.filePath("iwad.wad");
        QFile safeFile(safe), iwadFile(iwad);
        QVERIFY(safeFile.open(QIODevice::WriteOnly) && safeFile.write("IWAD original") > 0);
        QVERIFY(iwadFile.open(QIODevice::WriteOnly) && iwadFile.write("IWAD, rebuilt") > 0);
        safeFile.close();
        iwadFile.close();

        QString reason;
        QVERIFY(CopyFileReplacing(safe, iwad, &reason));
        // The same file as source and destination keeps its content.
        QVERIFY(CopyFileReplacing(iwad, iwad, &reason));
        QVERIFY(iwadFile.open(QIODevice::ReadOnly));
        QCOMPARE(iwadFile.readAll(), QByteArray("IWAD original"));
    }
};

QTEST_GUILESS_MAIN(TestFileOperations)
#include "tst_fileoperations.moc"
