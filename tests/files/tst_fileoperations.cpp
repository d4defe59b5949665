#include "files/FileOperations.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

void write(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

} // namespace

class TestFileOperations : public QObject
{
    Q_OBJECT

private slots:
    void wadTestLooksAtTheLastThreeCharacters_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("wad");
        QTest::newRow("upper") << "MAP01.WAD" << true;
        QTest::newRow("lower") << "map01.wad" << true;
        QTest::newRow("mixed") << "Map01.Wad" << true;
        QTest::newRow("no dot") << "mywad" << true;
        QTest::newRow("engine") << "doom.exe" << false;
        QTest::newRow("no suffix") << "prboom" << false;
        QTest::newRow("short") << "ad" << false;
    }

    void wadTestLooksAtTheLastThreeCharacters()
    {
        QFETCH(QString, name);
        QTEST(IsWadName(name), "wad");
    }

    void recordNameDropsTheSuffix_data()
    {
        QTest::addColumn<QString>("demo");
        QTest::addColumn<QString>("name");
        QTest::newRow("demo") << "DEMO1.LMP"
                              << "DEMO1";
        QTest::newRow("blank kept") << "my run.lmp"
                                    << "my run";
        QTest::newRow("too short") << "abc"
                                   << "";
    }

    void recordNameDropsTheSuffix()
    {
        QFETCH(QString, demo);
        QTEST(RecordNameOf(demo), "name");
    }

    void copyReplacesAndNeverTruncates()
    {
        QTemporaryDir dir;
        const QString safe = dir.filePath("safe.wad"), iwad = dir.filePath("iwad.wad");
        write(safe, "IWAD original");
        write(iwad, "IWAD rebuilt, longer than the original");
        QString reason;
        QVERIFY(CopyFileReplacing(safe, iwad, &reason));
        QCOMPARE(read(iwad), QByteArray("IWAD original"));

        // The same file as source and destination keeps its content.
        QVERIFY(CopyFileReplacing(iwad, iwad, &reason));
        QCOMPARE(read(iwad), QByteArray("IWAD original"));
    }

    void failedCopyOrDeleteGivesTheReason()
    {
        QTemporaryDir dir;
        const QString kept = dir.filePath("kept.wad");
        write(kept, "kept");
        QString reason;
        QVERIFY(!CopyFileReplacing(dir.filePath("gone.wad"), kept, &reason));
        QCOMPARE(reason, QString("No such file or directory"));
        QCOMPARE(read(kept), QByteArray("kept"));

        reason.clear();
        QVERIFY(!CopyFileReplacing(kept, dir.filePath("no-folder/kept.wad"), &reason));
        QVERIFY(!reason.isEmpty());

        QVERIFY(!RemoveFile(dir.filePath("gone.wad"), &reason));
        QCOMPARE(reason, QString("No such file or directory"));
        QVERIFY(RemoveFile(kept, &reason));
        QVERIFY(!QFile::exists(kept));
    }
};

QTEST_GUILESS_MAIN(TestFileOperations)
#include "tst_fileoperations.moc"
