#include "core/files/BuildJournal.h"
#include "core/files/BusyFiles.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The entries the launcher keeps for itself in `folder`, hidden ones included, but the lock it
// keeps there for good.
QStringList ownEntries(const QString &folder)
{
    QStringList entries =
        QDir(folder).entryList({".zel-*"}, QDir::Files | QDir::Hidden | QDir::System);
    entries.removeAll(".zel-build.lock");
    return entries;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class TestBusyFiles : public QObject
{
    Q_OBJECT

private slots:
    // A build's files are busy by every spelling of their folder, and only while it runs.
    void heldFilesAreBusyByAnySpelling()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("patch wads/sub"));
        QVERIFY(QFile::link(dir.filePath("patch wads"), dir.filePath("linked")));
        const QString input = dir.filePath("patch wads/map.wad");
        const QString output = dir.filePath("GL_WADs/map.wad");
        QVERIFY(QFile(input).open(QIODevice::WriteOnly));

        BusyFiles busy;
        QVERIFY(!busy.isBusy(input));
        QVERIFY(busy.refusal(input).isEmpty());
        busy.hold({input, output});
        QStringList spellings = {input, dir.filePath("patch wads/sub/../map.wad"),
                                 dir.filePath("patch wads//map.wad"), output,
                                 QDir::toNativeSeparators(input)};
        // Where names ignore case, in other letters too, and where they have a short form,
        // in that (the program folder and the folders picked are kept short there).
        if (QFileInfo::exists(dir.filePath("PATCH WADS/MAP.WAD")))
            spellings << dir.filePath("PATCH WADS/MAP.WAD");
        spellings << platform::shortPathOf(input);
        // Where a link to a folder is a folder (not a shortcut file).
        if (QFileInfo(dir.filePath("linked")).isDir())
            spellings << dir.filePath("linked/map.wad");
        for (const QString &spelling : spellings) {
            QVERIFY2(busy.isBusy(spelling), qPrintable(spelling));
            QVERIFY(busy.refusal(spelling).contains("\"" + spelling + "\" is being built"));
        }
        // Another file of the folder, and the folder itself.
        for (const QString &other :
             {dir.filePath("patch wads/other.wad"), dir.filePath("patch wads")})
            QVERIFY2(!busy.isBusy(other), qPrintable(other));

        busy.hold({dir.filePath("patch wads/other.wad")}); // the next build holds its own only
        QVERIFY(!busy.isBusy(input));
        busy.release();
        QVERIFY(!busy.isBusy(dir.filePath("patch wads/other.wad")));
    }

    void aLauncherEndedMidWorkLeavesNothingHalfDone_data()
    {
        QTest::addColumn<QString>("work"); // a node build, an IWAD rebuilt in place, or a copy
        QTest::addColumn<QString>("how");  // see support/dying_launcher.cpp
        QTest::addColumn<int>("status");
        // clang-format off
#ifndef Q_OS_WIN
        QTest::newRow("build, SIGTERM") << "build" << "term" << 143;
        QTest::newRow("build, SIGHUP") << "build" << "hup" << 129;
        QTest::newRow("build, SIGINT") << "build" << "int" << 130;
        QTest::newRow("rebuild in place, SIGTERM") << "rebuild" << "term" << 143;
        QTest::newRow("copy, SIGTERM") << "copy" << "term" << 143;
#endif
        QTest::newRow("build, the display goes") << "build" << "exit" << 1;
        // Nothing runs after these: the next launcher puts things right.
        QTest::newRow("build, killed") << "build" << "kill" << -1;
        QTest::newRow("rebuild in place, killed") << "rebuild" << "kill" << -1;
        QTest::newRow("copy, killed") << "copy" << "kill" << -1;
        // clang-format on
    }

    // Ended from outside, the launcher undoes what it was doing before it goes; killed, it
    // leaves that to the next launcher. Either way the builder goes with it, the GL PWAD that
    // was there before comes back, no half-written file stays, and an IWAD a build changed is
    // named at the next start.
    void aLauncherEndedMidWorkLeavesNothingHalfDone()
    {
        QFETCH(QString, work);
        QFETCH(QString, how);
        QFETCH(int, status);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("GL_WADs") && QDir(dir.path()).mkpath("pwads"));
        QString glWads = QDir::toNativeSeparators(dir.filePath("GL_WADs"));
        const QString input = QDir::toNativeSeparators(dir.filePath("pwads/map.wad"));
        QString output = glWads + platform::separator() + "map.wad";
        const QString marker = dir.filePath("builder-lived-on");
        for (const auto &[path, content] : {std::pair{input, "map"}, {output, "older"}}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) > 0);
        }
        QStringList arguments{work == "copy" ? "copy" : "build"};
        if (work == "copy") {
            QFile big(input);
            QVERIFY(big.open(QIODevice::ReadWrite) && big.resize(qint64(2) << 30)); // sparse
            arguments << input << output << how << "100";
        } else {
            // The builder has ended, but what it started has begun the output when the
            // launcher is ended.
            const QString target = work == "build" ? output : input;
            arguments << glWads << input << target << how << "200" << ZEL_STANDIN << "leave"
                      << "touch:" + target << "sleep:1000"
                      << "touch:" + marker;
        }
        QProcess launcher;
        launcher.start(ZEL_DYING_LAUNCHER, arguments);
        QVERIFY(launcher.waitForFinished(20000));
        if (status < 0) {
            QCOMPARE(launcher.exitStatus(), QProcess::CrashExit);
        } else {
            QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
            QCOMPARE(launcher.exitCode(), status);
        }
        if (work != "copy") {
            QTest::qWait(1000);
            QVERIFY(!QFileInfo::exists(marker)); // the builder went with the launcher
        }

        QStringList expected; // what the next start says
        if (work == "rebuild")
            expected << "\"" + input + "\" was changed and may be incomplete";
        if (status < 0 && work == "build") {
            // Killed, and its program folder moved before the next start; and the next
            // launcher has the process number the dead one had (as a new Wine session or
            // another process namespace gives it).
            const QString moved = QDir::toNativeSeparators(dir.filePath("GL_WADs moved"));
            QVERIFY(QDir().rename(glWads, moved));
            glWads = moved;
            output = glWads + platform::separator() + "map.wad";
            QFile lock(glWads + platform::separator() + ".zel-build.lock");
            QVERIFY(lock.open(QIODevice::WriteOnly));
            lock.write(QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                       QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() +
                       '\n' + QSysInfo::machineHostName().toUtf8() + '\n' +
                       QSysInfo::machineUniqueId() + '\n' + QSysInfo::bootUniqueId() + '\n');
            expected << "\"" + output +
                            "\" was removed: the build had written it; the GL PWAD "
                            "that was there before is back.";
        }
        if (status < 0)
            QVERIFY(!ownEntries(work == "copy" ? dir.filePath("GL_WADs") : glWads).isEmpty());
        const QStringList repaired = BuildJournal::repair(glWads);
        QCOMPARE(repaired.size(), expected.isEmpty() ? 0 : 1);
        for (const QString &words : expected)
            QVERIFY2(repaired.first().contains("A node build of \"" + input +
                                               "\" was left unfinished. " + words),
                     qPrintable(repaired.first()));
        for (const QString &name : ownEntries(glWads)) {
            if (platform::isLeftoverName(name.toUtf8()))
                QVERIFY(platform::removeLeftover(glWads + "/" + name));
        }
        QCOMPARE(contentOf(output), QByteArray("older"));
        QCOMPARE(ownEntries(glWads), QStringList());
        QCOMPARE(BuildJournal::repair(glWads), QStringList());
    }

    // A file still being written is its writer's; one whose writer is gone is a leftover.
    void onlyALeftoverWithoutItsWriterIsRemoved()
    {
        QTemporaryDir dir;
        const QString target = QDir::toNativeSeparators(dir.filePath("zel.cfg"));
        platform::ReplacingFile writing(target);
        QString reason;
        QVERIFY2(writing.open(&reason), qPrintable(reason));
        const QStringList leftovers = ownEntries(dir.path());
        QCOMPARE(leftovers.size(), 1);
        QVERIFY(platform::isLeftoverName(leftovers.first().toUtf8()));
        QVERIFY(!platform::removeLeftover(dir.filePath(leftovers.first())));
        QVERIFY(writing.write("record", &reason) && writing.commit(&reason));
        QCOMPARE(contentOf(target), QByteArray("record"));
    }
};

QTEST_GUILESS_MAIN(TestBusyFiles)
#include "tst_busyfiles.moc"
