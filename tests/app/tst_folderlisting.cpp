#include "app/FolderListing.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

void touch(const QString &path, QFile::Permissions extra = {})
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    if (extra)
        QVERIFY(f.setPermissions(f.permissions() | extra));
}

const QFile::Permissions Exec = QFile::ExeOwner | QFile::ExeUser;

} // namespace

class TestFolderListing : public QObject
{
    Q_OBJECT

private slots:
    void listsMatchingPlainFilesAlphabetically()
    {
        QTemporaryDir dir;
        for (const char *name : {"b.WAD", "A.wad", "c.txt", "a2.Wad", ".hidden.wad", "demo1.lmp"})
            touch(dir.filePath(name));
        QVERIFY(QDir(dir.path()).mkdir("folder.wad"));

        QStringList names;
        QString reason;
        QVERIFY(ListFolder(dir.path(), ListingRule("*.wad"), &names, &reason));
        QCOMPARE(names, (QStringList{"A.wad", "a2.Wad", "b.WAD"}));

        QVERIFY(ListFolder(dir.path(), ListingRule("*.exe;*.LMP"), &names, &reason));
        QCOMPARE(names, QStringList{"demo1.lmp"});
    }

    void engineListAlsoShowsPrograms()
    {
        QTemporaryDir dir;
        touch(dir.filePath("chocolate-doom"), Exec);
        touch(dir.filePath("readme"));
        touch(dir.filePath("doom.exe"));
        touch(dir.filePath("freedoom2.wad"), Exec);
        touch(dir.filePath("run.lmp"), Exec);
        QVERIFY(QFile::link(dir.filePath("chocolate-doom"), dir.filePath("engine-link")));
        QVERIFY(QFile::link(dir.filePath("gone"), dir.filePath("broken-link")));
        QVERIFY(QDir(dir.path()).mkdir("bin"));

        QStringList names;
        QString reason;
        QVERIFY(ListFolder(dir.path(), ListingRule("*.exe;*.wad", true), &names, &reason));
        QCOMPARE(names,
                 (QStringList{"chocolate-doom", "doom.exe", "engine-link", "freedoom2.wad"}));

        // Without the program rule only the patterns count.
        QVERIFY(ListFolder(dir.path(), ListingRule("*.exe;*.wad"), &names, &reason));
        QCOMPARE(names, (QStringList{"doom.exe", "freedoom2.wad"}));
    }

    void emptyFolderListsNothing()
    {
        QStringList names{"stale"};
        QString reason;
        QVERIFY(ListFolder(QString(), ListingRule("*.wad"), &names, &reason));
        QVERIFY(names.isEmpty());
    }

    void unreadableFoldersGiveTheSystemReason()
    {
        QTemporaryDir dir;
        touch(dir.filePath("plain"));
        QStringList names;
        QString reason;
        QVERIFY(!ListFolder(dir.filePath("missing"), ListingRule("*.wad"), &names, &reason));
        QVERIFY2(reason.contains("No such file"), qPrintable(reason));
        QVERIFY(!ListFolder(dir.filePath("plain"), ListingRule("*.wad"), &names, &reason));
        QVERIFY2(reason.contains("Not a directory"), qPrintable(reason));
        QVERIFY(names.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFolderListing)
#include "tst_folderlisting.moc"
