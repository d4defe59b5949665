#include "core/launch/EngineCommandLine.h"
#include "core/listing/FolderListing.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <unistd.h>
#endif

class TestFolderListing : public QObject
{
    Q_OBJECT

private slots:
    void listsMatchingPlainFilesAlphabetically()
    {
        QTemporaryDir dir;
        for (const char *name :
             {"b.WAD", "A.wad", "Zeta.wad", "c.txt", "a2.Wad", ".hidden.wad", "demo1.lmp"})
            QVERIFY(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
        QVERIFY(QDir(dir.path()).mkdir("folder.wad"));
#ifndef Q_OS_WIN
        // A name that is no UTF-8 would come back as another name, so it is left out.
        const QByteArray latin1 = QFile::encodeName(dir.path()) + "/\xe9t\xe9.wad";
        QVERIFY(::close(::open(latin1.constData(), O_CREAT | O_WRONLY, 0644)) == 0);
        const auto remove = qScopeGuard([&] { ::unlink(latin1.constData()); });
#endif

        FolderNames names(QStringList{"stale"});
        QString reason;
        QVERIFY(ListFolder(QString(), ListingRule("*.wad"), &names, &reason));
        QCOMPARE(names.toList(), QStringList()); // the empty folder lists nothing
        QVERIFY(ListFolder(dir.path(), ListingRule("*.wad"), &names, &reason));
        QCOMPARE(names.toList(), (QStringList{"A.wad", "a2.Wad", "b.WAD", "Zeta.wad"}));
        QVERIFY(ListFolder(dir.path(), ListingRule("*.exe;*.LMP"), &names, &reason));
        QCOMPARE(names.toList(), QStringList{"demo1.lmp"});
    }

    // Letter case never decides the order, only breaks a tie; other letters follow their code
    // points, case-folded; a third of a big folder costs no time per name beyond its copy.
    void sortsWithoutRegardToCase()
    {
        QTemporaryDir dir;
        const QStringList shown = {"A.wad", "a.wad", "ab.WAD", "AC.wad", "Z.wad",
                                   "Á.wad", "ä.WAD", "É.wad",  "é.wad"};
        for (const QString &name : QStringList{"é.wad", "Z.wad", "ä.WAD", "a.wad", "AC.wad",
                                               "Á.wad", "ab.WAD", "É.wad", "A.wad"})
            QVERIFY(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
        // Where the file system ignores case too, a name made again in other letters is the
        // file made first, under its first name.
        const bool foldsCase = QDir(dir.path()).entryList(QDir::Files).size() < shown.size();
        const QStringList listed =
            foldsCase ? QStringList{"a.wad", "ab.WAD", "AC.wad", "Z.wad", "Á.wad", "ä.WAD", "é.wad"}
                      : shown;
        FolderNames names;
        QString reason;
        QVERIFY(ListFolder(dir.path(), ListingRule("*.wad"), &names, &reason));
        QCOMPARE(names.toList(), listed);
        QCOMPARE(names.indexOf(u"ä.WAD"), listed.indexOf("ä.WAD"));
        QCOMPARE(names.indexOf(u"ä.wad"), -1);
        QCOMPARE(names, FolderNames(listed));
        QVERIFY(names != FolderNames(listed.mid(1)));
    }

    // The engine list shows programs without ".exe", and "play" takes what it shows.
    void engineListAndEngineCheckAgree()
    {
        QTemporaryDir dir;
        // The first three are executable.
        const char *const files[] = {"chocolate-doom", "freedoom2.WAD", "run.lmp", "readme",
                                     "doom.exe"};
        for (int i = 0; i < 5; ++i) {
            QFile f(dir.filePath(files[i]));
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (i < 3)
                QVERIFY(f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser));
        }
        QVERIFY(QFile::link(dir.filePath("chocolate-doom"), dir.filePath("engine-link")));
        QVERIFY(QFile::link(dir.filePath("gone"), dir.filePath("broken-link")));
        QVERIFY(QDir(dir.path()).mkdir("bin"));

        FolderNames names;
        QString reason;
        QVERIFY(ListFolder(dir.path(), ListingRule("*.exe;*.wad", true), &names, &reason));
        // Where programs are known by their execute bit, those without ".exe" are listed too.
        const bool byBit = platform::isProgramFile(dir.filePath("chocolate-doom"));
        const QStringList listed =
            byBit ? QStringList{"chocolate-doom", "doom.exe", "engine-link", "freedoom2.WAD"}
                  : QStringList{"doom.exe", "freedoom2.WAD"};
        QCOMPARE(names.toList(), listed);
        // Without the program rule only the patterns count.
        QVERIFY(ListFolder(dir.path(), ListingRule("*.exe;*.wad"), &names, &reason));
        QCOMPARE(names.toList(), (QStringList{"doom.exe", "freedoom2.WAD"}));

        const QStringList engines =
            byBit ? QStringList{"chocolate-doom", "doom.exe", "DOOM.EXE", "engine-link"}
                  : QStringList{"doom.exe", "DOOM.EXE"};
        for (const QString &name :
             engines + QStringList{"", "readme", "freedoom2.WAD", "run.lmp", "broken-link", "bin"})
            QVERIFY2(PassesEngineCheck(dir.path(), name) == engines.contains(name),
                     qPrintable(name));
    }
};

QTEST_GUILESS_MAIN(TestFolderListing)
#include "tst_folderlisting.moc"
