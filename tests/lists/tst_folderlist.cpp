// The folder list on its own: reads off the window's thread, shown in one step, and never a
// read that a newer one overtook.
#include "lists/FolderList.h"
#include "lists/FolderWatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <memory>

namespace {

void touch(const QString &path)
{
    QFile(path).open(QIODevice::WriteOnly);
}

bool waitForRead(const FolderList &list)
{
    return QTest::qWaitFor([&] { return !list.isReading(); }, 5000);
}

} // namespace

class TestFolderList : public QObject
{
    Q_OBJECT

private slots:
    // A slow read that a newer one overtook is dropped when it ends, whatever it found.
    void anOvertakenReadIsNeverShown()
    {
        QWidget window;
        FolderList list(ListingRule("*.wad"), &window);
        auto release = std::make_shared<QSemaphore>();
        auto calls = std::make_shared<std::atomic<int>>(0);
        list.setReader([release, calls](const QString &, const ListingRule &) {
            FolderList::Listing listing;
            if ((*calls)++ == 0) {
                release->acquire(); // the first read hangs until the test lets it go
                listing.names = FolderNames(QStringList{"stale.wad"});
            } else {
                listing.names = FolderNames(QStringList{"fresh.wad"});
            }
            return listing;
        });
        QStringList problems;
        list.setPath("/some/folder", [&](const QString &p) { problems << "first:" + p; });
        QTRY_COMPARE(calls->load(), 1);
        list.refresh([&](const QString &p) { problems << "second:" + p; });
        QTRY_COMPARE(list.names(), QStringList{"fresh.wad"});
        QVERIFY(!list.isReading());
        // Both callers heard of the read that is shown.
        QCOMPARE(problems, (QStringList{"first:", "second:"}));
        release->release();
        QTest::qWait(100);
        QCOMPARE(list.names(), QStringList{"fresh.wad"});
    }

    // Reads that end as soon as they start, thousands in a row: each caller hears once, the
    // last read is shown, and nothing of a read's hand-over is used twice.
    void readsThatEndAtOnce()
    {
        QWidget window;
        FolderList list(ListingRule("*.wad"), &window);
        auto calls = std::make_shared<std::atomic<int>>(0);
        // Each read names the request it answers: reads run side by side and may start in
        // any order, but only the last one asked for is shown.
        const auto readerFor = [calls](int request) {
            return [calls, request](const QString &, const ListingRule &) {
                ++*calls;
                FolderList::Listing listing;
                listing.names = FolderNames(QStringList{QStringLiteral("map%1.wad").arg(request)});
                return listing;
            };
        };
        list.setReader(readerFor(0));
        list.setPath("/some/folder");
        constexpr int Reads = 3000;
        int heard = 0;
        for (int i = 1; i <= Reads; ++i) {
            list.setReader(readerFor(i));
            list.refresh([&](const QString &) { ++heard; });
            if (i % 7 == 0)
                QCoreApplication::processEvents();
        }
        QVERIFY(waitForRead(list));
        QCOMPARE(heard, Reads);
        QCOMPARE(calls->load(), Reads + 1);
        QCOMPARE(list.names(), QStringList{QStringLiteral("map%1.wad").arg(Reads)});
    }

    void refreshKeepsSelectionAndScrollWhileTheirFilesStay()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 200; ++i)
            touch(dir.filePath(QStringLiteral("map%1.wad").arg(i, 3, 10, QLatin1Char('0'))));
        QWidget window;
        window.resize(200, 200);
        FolderList list(ListingRule("*.wad"), &window);
        list.resize(150, 150);
        window.show();
        list.setPath(dir.path());
        QVERIFY(waitForRead(list));
        QCOMPARE(list.names().size(), 200);
        QVERIFY(list.setFileName("map150.wad"));
        QVERIFY(list.verticalScrollBar()->value() > 0);
        const QString top = list.indexAt(QPoint(1, 1)).data().toString();

        // Files come and go before the shown ones: the same rows stay in sight.
        QFile::remove(dir.filePath("map000.wad"));
        touch(dir.filePath("aaa.wad"));
        touch(dir.filePath("aab.wad"));
        list.refresh();
        QVERIFY(list.isReading());
        QVERIFY(waitForRead(list));
        QCOMPARE(list.fileName(), QString("map150.wad"));
        QCOMPARE(list.names().size(), 201);
        QCOMPARE(list.indexAt(QPoint(1, 1)).data().toString(), top);

        // The selected file goes: so does the selection.
        QFile::remove(dir.filePath("map150.wad"));
        list.refresh();
        QVERIFY(waitForRead(list));
        QCOMPARE(list.fileName(), QString());
    }

    // Names of the folder shown before must not stand under another folder's path: a delete
    // would remove a file of that name there.
    void anotherFolderDropsTheOldNamesAtOnce()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("a"));
        QVERIFY(QDir(dir.path()).mkpath("b"));
        touch(dir.filePath("a/same.wad"));
        QWidget window;
        FolderList list(ListingRule("*.wad"), &window);
        list.setPath(dir.filePath("a"));
        QVERIFY(waitForRead(list));
        QVERIFY(list.setFileName("same.wad"));
        list.setPath(dir.filePath("b"));
        QCOMPARE(list.path(), QDir::toNativeSeparators(dir.filePath("b")));
        QCOMPARE(list.names(), QStringList());
        QCOMPARE(list.fileName(), QString());
        QVERIFY(waitForRead(list));
        QCOMPARE(list.names(), QStringList());
    }

    // However the path comes to name another folder, or none, the names and the selection of
    // the old one go without a click, and the folder it names now is followed.
    void followsWhatItsPathNames_data()
    {
        QTest::addColumn<QString>("shown"); // the list's path, below the test's folder
        QTest::addColumn<QString>("moves"); // "from>to" renames, ";" apart; "-from" removes
        QTest::addColumn<QStringList>("names");
        const QStringList other = {"first.wad", "other.wad"};
        // clang-format off
        QTest::newRow("removed") << "p2" << "-p2" << QStringList();
        QTest::newRow("renamed") << "p2" << "p2>p2.old" << QStringList();
        QTest::newRow("a folder above renamed") << "top/p2" << "top>top.old" << QStringList();
        // A file of the selected name there is another file.
        QTest::newRow("another put in its place") << "p2" << "p2>p2.old;other>p2" << other;
        QTest::newRow("a link pointed elsewhere") << "link" << "-link;to-other>link" << other;
        // clang-format on
    }

    void followsWhatItsPathNames()
    {
        QFETCH(QString, shown);
        QFETCH(QString, moves);
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        QDir root(dir.path());
        QVERIFY(root.mkpath("top/p2") && root.mkpath("p2") && root.mkpath("other"));
        for (const char *file :
             {"top/p2/first.wad", "p2/first.wad", "other/first.wad", "other/other.wad"})
            touch(dir.filePath(file));
        QVERIFY(QFile::link("p2", dir.filePath("link")));
        QVERIFY(QFile::link("other", dir.filePath("to-other")));
        if (shown == "link" && !QFileInfo(dir.filePath("link")).isDir())
            QSKIP("links here are shortcut files, which name no folder");
        QWidget window;
        // As in the window: the watch waits until the list has been read.
        FolderWatch watch(true, &window);
        FolderList list(ListingRule("*.wad"), &window);
        list.setWatch(&watch);
        list.setPath(dir.filePath(shown));
        QVERIFY(waitForRead(list));
        watch.start();
        QVERIFY(list.setFileName("first.wad"));

        for (const QString &move : moves.split(';')) {
            if (move.startsWith('-'))
                QVERIFY(QFile::remove(dir.filePath(move.mid(1))) ||
                        QDir(dir.filePath(move.mid(1))).removeRecursively());
            else
                QVERIFY(root.rename(move.section('>', 0, 0), move.section('>', 1)));
        }
        QTRY_COMPARE(list.names(), names);
        QCOMPARE(list.fileName(), QString());
        QVERIFY(root.mkpath(shown));
        touch(dir.filePath(shown + "/zlater.wad"));
        QTRY_COMPARE(list.names(), QStringList(names) << "zlater.wad");
    }

    // The system watches a folder once, under one of its names: a list that shows it under
    // another (a link) follows it all the same.
    void aFolderUnderTwoNamesIsFollowedInBoth()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("pwads"));
        QVERIFY(QFile::link("pwads", dir.filePath("link")));
        if (!QFileInfo(dir.filePath("link")).isDir())
            QSKIP("links here are shortcut files, which name no folder");
        QWidget window;
        FolderWatch watch(false, &window);
        FolderList one(ListingRule("*.wad"), &window), two(ListingRule("*.wad"), &window);
        for (const auto &[list, path] : {std::pair{&one, "pwads"}, {&two, "link"}}) {
            list->setWatch(&watch);
            list->setPath(dir.filePath(path));
            QVERIFY(waitForRead(*list));
        }
        touch(dir.filePath("pwads/new.wad"));
        QTRY_COMPARE(one.names(), QStringList{"new.wad"});
        QTRY_COMPARE(two.names(), QStringList{"new.wad"});
    }

    // Each read of a folder that cannot be shown says so once, several lists in one message.
    void problemsAreGathered()
    {
        QTemporaryDir dir;
        touch(dir.filePath("file"));
        const QString file = QDir::toNativeSeparators(dir.filePath("file"));
        QWidget window;
        FolderList one(ListingRule("*.wad"), &window), two(ListingRule("*.lmp"), &window),
            fine(ListingRule("*.wad"), &window);
        QStringList reports;
        std::vector<FolderList::Done> dones =
            GatherProblems(3, [&](const QStringList &problems) { reports << problems.join('\n'); });
        one.setPath(dir.filePath("file"), dones[0]);
        two.setPath(dir.filePath("file"), dones[1]);
        fine.setPath(dir.path(), dones[2]);
        QTRY_COMPARE(reports.size(), 1);
        // One problem, in the system's own words ("Not a directory" here).
        QVERIFY2(reports.first().startsWith(CannotShowFolder(file, QString())) &&
                     !reports.first().contains('\n') &&
                     reports.first().size() > CannotShowFolder(file, "").size(),
                 qPrintable(reports.first()));
        QCOMPARE(one.path(), file); // kept, so a save does not erase it
        QTest::qWait(50);
        QCOMPARE(reports.size(), 1);
    }
};

QTEST_MAIN(TestFolderList)
#include "tst_folderlist.moc"
