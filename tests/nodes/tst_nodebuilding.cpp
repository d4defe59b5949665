#include "core/files/BusyFiles.h"
#include "files/FileOpsController.h"
#include "launch/LaunchController.h"
#include "lists/FolderList.h"
#include "nodes/NodeBuildController.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <unistd.h>

namespace {

// The launch folders with the stand-in node builder, told what to do by `control`.
struct BuildBench : LaunchBench
{
    explicit BuildBench(const QByteArray &control = {})
        : LaunchBench("engines", "iwads", "pw ads 1")
    {
        writeStandInNodeBuilder(work.file("zennode"));
        work.write("zennode.ctl", control);
    }

    QStringList log() const { return readLines(work.file("zennode.log")); }
};

// The arguments the launcher gives for building `input` into `output`, as logged.
QString run(const QString &input, const QString &output)
{
    return "[" + input + "][-o][" + output + "]";
}

const QString GamesFolder = QStringLiteral("/usr/share/games/doom/");

// The program folder's node builder: the wrapper around zdbsp that the sample set-up uses.
bool installZennode(const WorkFolder &work)
{
    return QFile::copy(QStringLiteral(ZEL_SCRIPTS_DIR "/zennode-zdbsp"), work.file("zennode")) &&
           QFileInfo(work.file("zennode")).isExecutable();
}

} // namespace

class TestNodeBuilding : public QObject
{
    Q_OBJECT

private slots:
    // Each controller on the designed controls alone, with no window and no wiring between
    // them: a build holds what it reads and writes while it runs, which the other two refuse
    // meanwhile, and lets go after; "play 'n' exit" asks the window to close only once it
    // started an engine, or found none selected.
    void controllersOnTheirControlsAlone()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        writeStandInNodeBuilder(work.file("zennode"));
        // When the player clicks, the older GL PWAD is set aside and the new one not yet begun:
        // busy, not gone.
        work.write("zennode.ctl", "SLEEP=1\n");
        work.write("engines/doom.exe");
        const QString input = work.write("pwads/map.wad", "map");
        const QString output = work.write("GL_WADs/map.wad", "older");
        BareControls bare;
        const Form1Ui &ui = bare.ui;
        BusyFiles busy;
        const ProgramPaths paths(work.path());
        NodeBuildController builds(NodeBuildController::Controls::of(ui), paths, busy, &bare.widget,
                                   nullptr);
        FileOpsController files(FileOpsController::Controls::of(ui), paths, busy, &bare.widget,
                                nullptr);
        LaunchController launcher(LaunchController::Controls::of(ui), paths, busy, &bare.widget,
                                  nullptr);
        QList<bool> building;
        connect(&builds, &NodeBuildController::building, this,
                [&](bool running) { building << running; });
        int closes = 0;
        connect(&launcher, &LaunchController::closeRequested, this, [&] { ++closes; });
        ui.File6->setPath(work.file("engines"));
        ui.File8->setPath(work.file("pwads"));
        ui.File10->setPath(work.file("GL_WADs"));
        QVERIFY(waitForLists(bare.widget));
        QVERIFY(ui.File6->setFileName("doom.exe") && ui.File8->setFileName("map.wad") &&
                ui.File10->setFileName("map.wad"));

        ui.Text6->setPlainText("debug");
        ui.Option3->click();
        ui.Command12->click();
        QCOMPARE(dialogs.messages, QStringList{work.file("engines/doom.exe") + " -file " + output +
                                               " " + input + " -skill 3"});

        ui.Text6->setPlainText("play");
        work.write("GL_WADs/late.wad"); // shows once the build reads its list again
        bool heldWhileRunning = false;
        QTimer::singleShot(400, this, [&] {
            heldWhileRunning = busy.isBusy(input) && busy.isBusy(output) &&
                               !busy.isBusy(work.file("pwads/other.wad"));
            ui.Command6->click();  // "delete" the GL PWAD
            ui.Command11->click(); // "play 'n' exit"
        });
        ui.Command5->click();
        QVERIFY(heldWhileRunning);
        QVERIFY(!busy.isBusy(input) && !busy.isBusy(output));
        QCOMPARE(building, (QList<bool>{true, false}));
        QCOMPARE(readAll(output), builtFrom("map"));
        QCOMPARE(dialogs.messages.size(), 3);
        for (const QString &refusal : dialogs.messages.mid(1))
            QVERIFY2(refusal.contains("\" is being built"), qPrintable(refusal));
        QCOMPARE(closes, 0); // not started, so the player stays
        QVERIFY(waitForLists(bare.widget));
        QCOMPARE(ui.File10->names(), (QStringList{"late.wad", "map.wad"}));

        ui.Command6->click(); // free now
        QVERIFY(!QFileInfo::exists(output));
        QVERIFY(waitForLists(bare.widget));
        QCOMPARE(ui.File10->names(), QStringList{"late.wad"});
        QVERIFY(ui.File6->setFileName(QString()));
        ui.Command11->click();
        QCOMPARE(dialogs.messages.mid(3), QStringList{"No Game Engine Selected!"});
        QCOMPARE(closes, 1);
    }

    void glPwadsAreBuiltOneAfterTheOther_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QByteArray>("control");
        // clang-format off
        QTest::newRow("both lists") << "a.wad" << "b.wad" << QByteArray("SLEEP=0.2");
        QTest::newRow("same name in both") << "same.wad" << "same.wad" << QByteArray("SLEEP=0.2");
        QTest::newRow("blanks in the name") << "my map.wad" << "" << QByteArray("SLEEP=0.2");
        QTest::newRow("second list only") << "" << "b.wad" << QByteArray("SLEEP=0.2");
        QTest::newRow("no selection") << "" << "" << QByteArray("SLEEP=0.2");
        // Judged once the child that writes the output has ended, not when the builder has.
        // Made again, as at start-up, when it was removed while the launcher ran.
        QTest::newRow("GL_WADs removed meanwhile") << "" << "b.wad" << QByteArray("SLEEP=0.2\nGONE=1");
        QTest::newRow("written by a child after the builder ended") << "a.wad" << "b.wad" << QByteArray("LATE=0.5");
        // clang-format on
    }

    void glPwadsAreBuiltOneAfterTheOther()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QByteArray, control);
        BuildBench bench(control);
        bench.work.write("pw ads 1/" + (first.isEmpty() ? "x.wad" : first), "one");
        bench.work.write("pwads2/" + (second.isEmpty() ? "y.wad" : second), "two");
        const Form1Ui &ui = bench.open().ui();
        QVERIFY(ui.File8->setFileName(first));
        QVERIFY(ui.File9->setFileName(second));
        bench.work.write("pw ads 1/late.wad");
        const bool glWadsGone = control.contains("GONE");
        if (glWadsGone)
            QVERIFY(QDir(bench.work.file("GL_WADs")).removeRecursively());
        else
            bench.work.write("GL_WADs/older.wad");
        // An older GL PWAD linked from elsewhere: the build replaces the link, not that file.
        const QString elsewhere = bench.work.write("elsewhere.wad", "mine");
        if (!first.isEmpty())
            QVERIFY(QFile::link(elsewhere, bench.work.file("GL_WADs/" + first)));

        act(*bench.window, {"Command5"});
        QCOMPARE(readAll(elsewhere), QByteArray("mine"));

        // The same name twice would be written into GL_WADs twice, the second over the first.
        const bool sameName = !first.isEmpty() && first == second;
        QStringList expected;
        QStringList glWads;
        if (!glWadsGone)
            glWads << "older.wad";
        const QString glFolder = bench.work.path() + "/GL_WADs/";
        for (const auto &[folder, name] :
             {std::pair{bench.pwads1, first}, {bench.pwads2, sameName ? QString() : second}}) {
            if (name.isEmpty())
                continue;
            const QString args = run(folder + "/" + name, glFolder + name);
            expected << "begin 644 " + args << "end " + args; // never two at once
            glWads << name;
        }
        QCOMPARE(bench.log(), expected);
        if (!second.isEmpty())
            QCOMPARE(readAll(glFolder + second), builtFrom(sameName ? "one" : "two"));
        glWads.sort(Qt::CaseInsensitive);
        QCOMPARE(ui.File10->names(), glWads);
        QVERIFY(ui.File8->names().contains("late.wad")); // refreshed, also without a run
        QCOMPARE(bench.dialogs.messages.size(), sameName ? 1 : 0);
        if (sameName)
            QVERIFY(bench.dialogs.messages.first().contains("both PWAD lists"));
    }

    void aWadBeingBuiltIsLeftAlone_data()
    {
        QTest::addColumn<QString>("build");      // rebuilds DOOM2.WAD in place, or builds a.wad
        QTest::addColumn<QStringList>("clicks"); // while it runs
        QTest::addColumn<QString>("busy");       // the file the refusal names
        // Clicked in this launcher (""), in a second one on this program folder ("here"), or in one
        // of another program folder that shows the same folders ("another").
        QTest::addColumn<QString>("elsewhere");
        // clang-format off
        QTest::newRow("make GL IWAD again") << "Command13" << QStringList{"Command13"} << "DOOM2.WAD" << "";
        QTest::newRow("make GL PWAD") << "Command13" << QStringList{"Command5"} << "DOOM2.WAD" << "";
        QTest::newRow("del") << "Command13" << QStringList{"Command20"} << "DOOM2.WAD" << "";
        QTest::newRow("copy from IWAD Safe onto it") << "Command13" << QStringList{"Command19"} << "DOOM2.WAD" << "";
        QTest::newRow("copy it into the engine folder") << "Command13" << QStringList{"Command17"} << "DOOM2.WAD" << "";
        QTest::newRow("make GL IWAD during a PWAD's build") << "Command5" << QStringList{"Command13"} << "a.wad" << "";
        QTest::newRow("delete the GL PWAD being built") << "Command5" << QStringList{"Label10", "File10=a.wad", "Command6"} << "GL_WADs/a.wad" << "";
        QTest::newRow("play the GL PWAD being built") << "Command5" << QStringList{"Label10", "File10=a.wad", "Command12"} << "GL_WADs/a.wad" << "";
        QTest::newRow("play") << "Command13" << QStringList{"Command12"} << "DOOM2.WAD" << "";
        QTest::newRow("play 'n' exit") << "Command13" << QStringList{"Command11"} << "DOOM2.WAD" << "";
        // One build at a time per program folder, whichever launcher started it.
        QTest::newRow("another launcher: make GL PWAD") << "Command5" << QStringList{"File8=a.wad", "Command5"} << "a.wad" << "here";
        QTest::newRow("another launcher: make GL IWAD") << "Command5" << QStringList{"File11=DOOM2.WAD", "Command13"} << "a.wad" << "here";
        QTest::newRow("another launcher: delete the GL PWAD") << "Command5" << QStringList{"Label10", "File10=a.wad", "Command6"} << "GL_WADs/a.wad" << "here";
        QTest::newRow("another launcher: play the GL PWAD") << "Command5" << QStringList{"File6=engine", "Label10", "File10=a.wad", "Command12"} << "GL_WADs/a.wad" << "here";
        QTest::newRow("another launcher: del the IWAD") << "Command13" << QStringList{"File11=DOOM2.WAD", "Command20"} << "DOOM2.WAD" << "here";
        // An IWAD rebuilt in place is held against launchers of every program folder.
        QTest::newRow("another program folder: make GL IWAD") << "Command13" << QStringList{"File11=DOOM2.WAD", "Command13"} << "DOOM2.WAD" << "another";
        QTest::newRow("another program folder: del the IWAD") << "Command13" << QStringList{"File11=DOOM2.WAD", "Command20"} << "DOOM2.WAD" << "another";
        // clang-format on
    }

    void aWadBeingBuiltIsLeftAlone()
    {
        QFETCH(QString, build);
        QFETCH(QStringList, clicks);
        QFETCH(QString, busy);
        QFETCH(QString, elsewhere);
        // The GL PWAD's build has begun writing it when the player clicks.
        BuildBench bench("SLEEP=1\nEARLY=a.wad\n");
        const QString iwad = bench.work.write("iwads/DOOM2.WAD", "IWAD");
        // Write-protected: only a build that runs makes it writable.
        QVERIFY(
            QFile::setPermissions(iwad, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        bench.work.write("safe/DOOM2.WAD", "safe");
        bench.work.write("pw ads 1/a.wad", "a");
        bench.work.write("GL_WADs/a.wad", "older");
        const QString engineLog = bench.work.file("engine.log");
        writeStandInEngine(bench.engines + "/engine", engineLog);
        Form1 &window = bench.open();
        act(window, {"File6=engine", "File11=DOOM2.WAD", "File5=DOOM2.WAD", "File8=a.wad"});
        std::unique_ptr<Form1> second;
        if (!elsewhere.isEmpty()) {
            // Another program folder is another folder the launcher starts in, with a zel.cfg and
            // a node builder of its own.
            const QString other = bench.work.mkdir("another");
            if (elsewhere == "another") {
                QVERIFY(QFile::copy(bench.work.file("zel.cfg"), other + "/zel.cfg"));
                writeStandInNodeBuilder(other + "/zennode");
                QVERIFY(QDir::setCurrent(other));
            }
            second = std::make_unique<Form1>();
            QVERIFY(QDir::setCurrent(bench.work.path()));
            second->show();
            QVERIFY(waitForLists(*second));
        }

        bool busyCursor = false;
        QTimer::singleShot(300, &window, [&] {
            busyCursor = window.cursor().shape() == Qt::BusyCursor;
            // On a busy machine the builder may take a while to begin the GL PWAD.
            QVERIFY(QTest::qWaitFor(
                [&] { return QFileInfo::exists(bench.work.file("GL_WADs/a.wad")); }));
            act(second ? *second : window, clicks);
        });
        act(window, {build});

        QVERIFY(busyCursor);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(bench.log().size(), 2); // one run, nothing nested
        QCOMPARE(readAll(iwad), build == "Command13" ? builtFrom("IWAD") : QByteArray("IWAD"));
        QCOMPARE(platform::isWriteProtected(iwad), build != "Command13");
        QCOMPARE(readAll(bench.work.file("GL_WADs/a.wad")),
                 build == "Command13" ? QByteArray("older") : builtFrom("a"));
        QVERIFY(!QFileInfo::exists(bench.engines + "/DOOM2.WAD"));
        QTest::qWait(200);
        QVERIFY(!QFileInfo::exists(engineLog)); // no engine reads a half-built WAD
        QVERIFY(window.isVisible());
        verifyOneMessage(bench.dialogs.messages, {busy + "\"", "wait until"});
    }

    void closingDuringABuildAsksToEndIt_data()
    {
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<QList<bool>>("answers"); // one "exit" click each
        QTest::addColumn<int>("readFor");         // ms the player reads each question
        QTest::addColumn<QStringList>("message");
        // Ended before it wrote a byte, the IWAD is as it was; ended while it wrote, it is not.
        QTest::newRow("no, then yes")
            << QByteArray("SLEEP=30\n") << QList<bool>{false, true} << 0
            << QStringList{"ended before it had finished", "is unchanged"};
        QTest::newRow("yes, once it wrote")
            << QByteArray("SLEEP=30\nEARLY=DOOM2.WAD\n") << QList<bool>{true} << 0
            << QStringList{"was changed and may be incomplete", "\"copy\" from IWAD Safe"};
        // The builder ended by itself meanwhile, and says why; the "yes" ended nothing.
        QTest::newRow("the build fails while the player reads")
            << QByteArray("SLEEP=0.5\nFAIL=DOOM2.WAD\n") << QList<bool>{true} << 1500
            << QStringList{"failed on", "exit code 1", "error: no levels"};
    }

    // The window closes only once its build has ended: the player is asked, and an IWAD
    // whose build is ended may be left damaged.
    void closingDuringABuildAsksToEndIt()
    {
        QFETCH(QByteArray, control);
        QFETCH(QList<bool>, answers);
        QFETCH(int, readFor);
        QFETCH(QStringList, message);
        BuildBench bench(control);
        const QString iwad = bench.work.write("iwads/DOOM2.WAD", "IWAD");
        Form1 &window = bench.open();
        bench.dialogs.answers = answers;
        bench.dialogs.whileAsking = [readFor] { QTest::qWait(readFor); };

        bool stayed = true;
        QTimer::singleShot(300, &window, [&] {
            for (qsizetype click = 0; click < answers.size(); ++click) {
                act(window, {"Command10"}); // "exit"
                stayed = stayed && (click == answers.size() - 1 || window.isVisible());
            }
        });
        QElapsedTimer clock;
        clock.start();
        act(window, {"File11=DOOM2.WAD", "Command13"});

        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(stayed);
        QVERIFY(!window.isVisible());
        QCOMPARE(bench.dialogs.questions.size(), answers.size());
        QVERIFY2(bench.dialogs.questions.first().contains(iwad + "\""),
                 qPrintable(bench.dialogs.questions.first()));
        QCOMPARE(bench.log().size(), readFor ? 2 : 1); // ended by itself, or begun only
        verifyOneMessage(bench.dialogs.messages, message + QStringList{iwad + "\""});
    }

    // "make GL IWAD" rebuilds the IWAD in place. The IWAD Safe folder keeps the originals that
    // "copy" brings back: it does not rebuild one there, by whatever path the IWAD list shows it. A
    // builder that ends without an error but leaves no WAD has damaged the IWAD, and says so.
    void makeGlIwad_data()
    {
        QTest::addColumn<QString>("iwads"); // the IWAD folder
        QTest::addColumn<QString>("builder");
        QTest::addColumn<QString>("named");
        // clang-format off
        // The builder finds it writable; owner, group and others keep their read bits.
        QTest::newRow("a write-protected IWAD, rebuilt in place") << "iwads" << "" << "";
        QTest::newRow("the IWAD Safe folder itself") << "safe" << "" << "lies in the IWAD Safe folder";
        QTest::newRow("a link to the IWAD Safe folder") << "safe-link" << "" << "lies in the IWAD Safe folder";
        QTest::newRow("another spelling of it") << "iwads/../safe/" << "" << "lies in the IWAD Safe folder";
        QTest::newRow("it mounted a second time") << "bound" << "" << "lies in the IWAD Safe folder";
        QTest::newRow("a second name of an original") << "hard link" << "" << "is the same file as";
        QTest::newRow("no WAD after status 0") << "iwads" << "WRITES='junk DOOM2.WAD'" << "was changed and may be incomplete";
        // clang-format on
    }

    void makeGlIwad()
    {
        QFETCH(QString, iwads);
        QFETCH(QString, builder);
        QFETCH(QString, named);
        BuildBench bench(builder.toUtf8());
        const QString safe = bench.work.write("safe/DOOM2.WAD", "original");
        QVERIFY(QFile::link(bench.work.file("safe"), bench.work.file("safe-link")));
        const QString iwad = bench.work.write("iwads/DOOM2.WAD", "copy");
        QVERIFY(QFile::setPermissions(iwad, QFileDevice::Permissions(0x4444))); // read-only
        if (iwads == "hard link") {
            QVERIFY(QFile::remove(bench.work.file("iwads/DOOM2.WAD")));
            QVERIFY(::link(QFile::encodeName(safe),
                           QFile::encodeName(bench.work.file("iwads/DOOM2.WAD"))) == 0);
            iwads = "iwads";
        }
        const QString bound = bench.work.mkdir("bound");
        if (iwads == "bound" && QProcess::execute("mount", {"--bind", bench.safe, bound}) != 0)
            QSKIP("cannot mount here (the test needs root)");
        const auto unmount = qScopeGuard([&] {
            if (iwads == "bound")
                QProcess::execute("umount", {bound});
        });
        bench.work.write("zel.cfg",
                         settingsRecord({"", bench.work.file(iwads), "", "", bench.safe, ""}));
        Form1 &window = bench.open();
        act(window, {"File11=DOOM2.WAD"});
        bench.work.write("iwads/late.wad");
        act(window, {"Command13"});
        QCOMPARE(readAll(safe), QByteArray("original"));
        QCOMPARE(bench.log().isEmpty(), builder.isEmpty() && !named.isEmpty()); // refused first
        if (!named.isEmpty())
            return verifyOneMessage(bench.dialogs.messages, {named});
        QCOMPARE(bench.dialogs.messages, QStringList());
        QCOMPARE(bench.log(),
                 (QStringList{"begin 644 " + run(iwad, iwad), "end " + run(iwad, iwad)}));
        QCOMPARE(readAll(iwad), builtFrom("copy"));
        QCOMPARE(int(QFile::permissions(iwad)), 0x6644);
        QCOMPARE(window.ui().File11->names(), (QStringList{"DOOM2.WAD", "late.wad"}));
    }

    // A GL-node PWAD from a Freedoom map, zdbsp's own words for a broken one, a copy of an
    // IWAD rebuilt in place, and a build that runs out of room halfway through its output:
    // what it wrote is no WAD to play.
    void buildsWithZdbsp()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("zdbsp")).isEmpty())
            QSKIP("zdbsp is not installed (scripts/install-deps.sh installs it)");
        if (!QFile::exists(GamesFolder + "freedoom1.wad") ||
            !QFile::exists(GamesFolder + "freedoom2.wad"))
            QSKIP("the Freedoom IWADs are missing (the freedoom package installs them)");
        LaunchBench bench("engines", "iwads", "my pwads");
        QVERIFY(installZennode(bench.work));
        const Wad freedoom = readWad(GamesFolder + "freedoom2.wad");
        QVERIFY2(freedoom.error.isEmpty(), qPrintable(freedoom.error));
        bench.work.write("my pwads/map01.wad", mapPwad(freedoom, "MAP01"));
        bench.work.write("pwads2/broken.wad", "not a WAD");
        const QString iwad = bench.iwads + "/freedoom1.wad";
        QVERIFY(QFile::copy(GamesFolder + "freedoom1.wad", iwad));
        const Wad before = readWad(iwad);
        QCOMPARE(before.glLumps(), 0);
        Form1 &window = bench.open();

        act(window, {"File8=map01.wad", "File9=broken.wad", "Command5"});
        const Wad built = readWad(bench.work.file("GL_WADs/map01.wad"));
        QVERIFY2(built.error.isEmpty(), qPrintable(built.error));
        QCOMPARE(built.magic, QByteArray("PWAD"));
        QCOMPARE(built.names.mid(0, 3), (QByteArrayList{"MAP01", "THINGS", "LINEDEFS"}));
        QVERIFY2(built.names.contains("GL_MAP01") && built.glLumps() >= 5,
                 built.names.join(' ').constData());
        QCOMPARE(window.ui().File10->names(), QStringList{"map01.wad"});
        verifyOneMessage(bench.dialogs.messages, {bench.pwads2 + "/broken.wad", "exit code 20"});
        QVERIFY(bench.dialogs.messages.takeFirst().endsWith("Failed to read"));

        act(window, {"File11=freedoom1.wad", "Command13"});
        QCOMPARE(bench.dialogs.messages, QStringList());
        const Wad after = readWad(iwad);
        QVERIFY2(after.error.isEmpty(), qPrintable(after.error));
        QCOMPARE(after.magic, QByteArray("IWAD"));
        QVERIFY(after.glLumps() > 0);
        QCOMPARE(after.lumps.size() - after.glLumps(), before.lumps.size());
        QCOMPARE(window.ui().File11->names(), QStringList{"freedoom1.wad"});

        const SmallFileSystem glWads(bench.work.file("GL_WADs"));
        if (!glWads.mounted)
            QSKIP("cannot mount a small file system here (the test needs root)");
        bench.work.write("GL_WADs/filler", QByteArray(248 * 1024, 'x')); // 8 KiB stay free
        act(window, {"Label9", "Command5"}); // "PWAD 2" drops the broken one
        verifyOneMessage(bench.dialogs.messages,
                         {"exit code 20", "GL_WADs/map01.wad\" was removed"});
        QCOMPARE(window.ui().File10->names(), QStringList());
        QCOMPARE(QDir(bench.work.file("GL_WADs")).entryList(QDir::Files), QStringList{"filler"});
    }
};

QTEST_MAIN(TestNodeBuilding)
#include "tst_nodebuilding.moc"
