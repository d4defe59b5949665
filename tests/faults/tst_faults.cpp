// Every fault the launcher can meet, each checked the same way: the window is still open and
// answers, a message names what failed and where, and no file changed that should not have.
#include "controls/Controls.h"
#include "core/files/BuildJournal.h"
#include "core/listing/FolderListing.h"
#include "core/settings/LauncherSettings.h"
#include "lists/FolderList.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <QScopeGuard>

#include <atomic>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Sets or clears the flag that lets no one, root included, change an entry (chattr +i).
bool setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int flags = 0;
    const bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                      (flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL,
                       ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (fd >= 0)
        ::close(fd);
    return done;
}

// The launch folders with an engine that logs its start.
struct FaultBench : LaunchBench
{
    FaultBench() { writeStandInEngine(engines + "/engine", work.file("engine.log")); }
    QMap<QString, QByteArray> files() const { return snapshot(work.path(), {"engine.log"}); }
};

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void startUpFaults_data()
    {
        QTest::addColumn<bool>("glWadsIsAFile");
        QTest::addColumn<QByteArray>("settings"); // zel.cfg, %1 the work folder
        QTest::addColumn<QStringList>("named");   // what the message must name, %1 as above
        // clang-format off
        QTest::newRow("GL_WADs is a plain file") << true << QByteArray("\"\",\"\",\"\",\"\",\"\",\"n\"\r\n") << QStringList{"%1/GL_WADs", "Not a directory"};
        QTest::newRow("a saved folder is missing") << false << QByteArray("\"%1/gone/\",\"\",\"\",\"\",\"\",\"n\"\r\n") << QStringList{"%1/gone/", "No such file or directory"};
        QTest::newRow("a saved folder name too long") << false << "\"%1/" + QByteArray(8192, 'x') + "\",\"\",\"\",\"\",\"\",\"n\"\r\n" << QStringList{"Cannot show the folder \"%1/xxx", "xxx\": File name too long"};
        QTest::newRow("a saved folder is a file") << false << QByteArray("\"\",\"%1/zel.cfg\",\"\",\"\",\"\",\"n\"\r\n") << QStringList{"%1/zel.cfg", "Not a directory"};
        // clang-format on
        // NUL bytes are read as they come, and a folder whose name holds one is not the one
        // before it; a file that is no UTF-8 is Windows-1252.
        static const char odd[] = "\"GL_WADs\0b\",\"\",\"\",\"\",\"\",\"n\xc3\0otes\xff\"\r\n";
        QTest::newRow("odd bytes")
            << false << QByteArray(odd, sizeof odd - 1)
            << QStringList{"Cannot show the folder \"%1/GL_WADs", "Invalid argument"};
        const QByteArray whole = "\"%1/\",\"\",\"\",\"\",\"\",\"two\r\nlines\"\r\n";
        const qsizetype notesStart = whole.indexOf("two");
        for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
            // The record is whole once the notes' closing quote is there.
            const bool complete = cut >= whole.size() - 2;
            const bool inNotes = !complete && cut >= notesStart;
            QTest::addRow("settings cut after %d bytes", int(cut))
                << false << whole.left(cut)
                << (complete  ? QStringList()
                    : inNotes ? QStringList{"%1/zel.cfg", "ends inside the notes", "%1/zel.cfg.bak"}
                              : QStringList{"%1/zel.cfg", "ends after", "%1/zel.cfg.bak"});
        }
    }

    void startUpFaults()
    {
        QFETCH(bool, glWadsIsAFile);
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, named);
        Bench bench;
        if (glWadsIsAFile)
            bench.work.write("GL_WADs", "not a folder");
        else
            bench.work.mkdir("GL_WADs");
        bench.work.write("zel.cfg", settings.replace("%1", bench.work.path().toUtf8()));
        const auto before = snapshot(bench.work.path());

        Form1 &window = bench.open();
        verifyAnswers(window);
        if (named.isEmpty())
            QCOMPARE(bench.dialogs.messages, QStringList());
        else
            verifyOneMessage(bench.dialogs.messages,
                             named.replaceInStrings("%1", bench.work.path()));
        QCOMPARE(snapshot(bench.work.path()), before);
        // What was read is used, and a folder that cannot be shown stays the list's folder,
        // so a save keeps it.
        const LauncherSettings saved =
            ParseSettingsRecord(readAll(bench.work.file("zel.cfg"))).settings;
        QCOMPARE(window.ui().File6->path(), AbsoluteFolder(saved.GameEngineFolder));
        QCOMPARE(window.ui().Label6->toolTip(), AbsoluteFolder(saved.GameEngineFolder));
        QCOMPARE(window.ui().File11->path(), AbsoluteFolder(saved.IwadFolder));
        // Notes cut short are shown as far as they go.
        const ParsedSettings read = ParseSettingsRecord(readAll(bench.work.file("zel.cfg")));
        if (read.notesCut)
            QCOMPARE(window.ui().Text6->notes(), read.settings.NotesText);

        // A file that was not read whole is kept beside the one the save writes.
        const bool whole = ReadSettingsFile(bench.work.file("zel.cfg")).ok();
        act(window, {"Command1"});
        QCOMPARE(readAll(bench.work.file("zel.cfg.bak")), whole ? QByteArray() : settings);
        QVERIFY(ReadSettingsFile(bench.work.file("zel.cfg")).ok());
    }

    // Launchers killed during a build and during a copy: the next start puts the GL PWAD that
    // was there before back, removes the half-written copy and says both in one message.
    void whatAKilledLauncherLeftIsPutRightAtTheNextStart()
    {
        FaultBench bench;
        const QString input = bench.work.write("pwads1/x.wad", "x");
        const QString glWad = bench.work.write("GL_WADs/x.wad", "older");
        const QString iwad = bench.work.write("iwads/DOOM2.WAD", "IWAD");
        const QString original = bench.work.write("safe/DOOM2.WAD");
        QVERIFY(QFile::resize(original, qint64(2) << 30)); // sparse, and long to copy
        // A launcher that runs meanwhile shows the GL PWAD that was there before the build.
        Form1 &running = bench.open();
        // The IWAD is looked at first when "play" checks what is chosen.
        act(running, {"File6=engine", "File10=x.wad", "File11=DOOM2.WAD"});
        const QStringList build = {
            "build",     bench.work.file("GL_WADs"), input,        glWad, "kill", "300",
            ZEL_STANDIN, "touch:" + glWad,           "sleep:60000"};
        const auto killed = [](const QStringList &work) {
            QProcess launcher;
            launcher.start(ZEL_DYING_LAUNCHER, work);
            return launcher.waitForFinished(20000) && launcher.exitStatus() == QProcess::CrashExit;
        };
        QVERIFY(killed(build) && killed({"copy", original, iwad, "kill", "100"}));
        QCOMPARE(readAll(glWad), QByteArray()); // half built

        // Playing it, the running launcher finds it half built, and puts right what was left.
        act(running, {"Command12"});
        verifyOneMessage(bench.dialogs.messages,
                         {"A node build of \"" + input + "\" was left unfinished", "is back",
                          "choose once more"});
        QCOMPARE(readAll(glWad), QByteArray("older"));
        QVERIFY(!QFileInfo::exists(bench.work.file("engine.log")));

        // The next start removes the half-written copy and says so.
        bench.dialogs.messages.clear();
        Form1 &window = bench.open();
        verifyOneMessage(bench.dialogs.messages,
                         {"half written; removed: \"" + bench.iwads + "/.zel-"});
        QCOMPARE(readAll(iwad), QByteArray("IWAD"));
        QCOMPARE(window.ui().File10->names(), QStringList{"x.wad"});
        // Nothing hidden is left but the builder's lock, which stays.
        QCOMPARE(QDir(bench.work.file("GL_WADs")).entryList({".*"}, QDir::Files | QDir::Hidden),
                 QStringList{".zel-build.lock"});
        QCOMPARE(QDir(bench.iwads).entryList({".*"}, QDir::Files | QDir::Hidden), QStringList());
        verifyAnswers(window);

        // "make GL PWAD" puts it right too, and builds nothing: the lists may have changed.
        writeStandInNodeBuilder(bench.work.file("zennode"));
        QVERIFY(killed(build));
        bench.dialogs.messages.clear();
        act(window, {"File8=x.wad", "Command5"});
        verifyOneMessage(bench.dialogs.messages, {"was left unfinished", "choose once more"});
        QCOMPARE(readAll(glWad), QByteArray("older"));
        QVERIFY(!QFileInfo::exists(bench.work.file("zennode.log")));

        // Where nothing can be put back, that is said once, and the next click goes on.
        const QString glWads = bench.work.file("GL_WADs");
        QVERIFY(killed(build));
        const auto thaw = qScopeGuard([&] { setImmutable(glWads, false); });
        if (!setImmutable(glWads, true))
            QSKIP("this file system keeps no immutable flag");
        bench.dialogs.messages.clear();
        act(window, {"File6=engine", "File11=DOOM2.WAD", "Label10", "Command12"});
        verifyOneMessage(bench.dialogs.messages,
                         {"cannot be put back", "do not play it", "choose once more"});
        bench.dialogs.messages.clear();
        act(window, {"Command12"});
        QCOMPARE(bench.dialogs.messages, QStringList());
        QTRY_VERIFY(QFileInfo::exists(bench.work.file("engine.log")));
        QVERIFY(setImmutable(glWads, false));
        BuildJournal::repair(glWads);
        for (const QString &name : QDir(glWads).entryList({".zel-*.old"}, QDir::Files))
            QVERIFY(QFile::rename(glWads + "/" + name, glWad) || QFile::remove(glWad));

        // A build that was done is never undone, not even where its note cannot be removed.
        BuildJournal journal(glWads);
        QString reason;
        QStringList repaired;
        QVERIFY2(journal.begin(input, glWad, &reason, &repaired), qPrintable(reason));
        bench.work.write("GL_WADs/x.wad", "built");
        QVERIFY(setImmutable(glWads, true));
        journal.commit();
        QVERIFY(setImmutable(glWads, false));
        QCOMPARE(BuildJournal::repair(glWads), QStringList());
        QCOMPARE(readAll(glWad), QByteArray("built"));
    }

    void programFolderGoneOrReadOnly()
    {
        // Started in a folder that was removed: nothing may land in the root folder.
        const bool rootHadSettings = QFileInfo::exists("/zel.cfg");
        {
            Bench bench;
            const QString gone = bench.work.mkdir("gone");
            QVERIFY(QDir::setCurrent(gone));
            QVERIFY(QDir(gone).removeRecursively());
            Form1 &window = bench.open();
            verifyAnswers(window);
            verifyOneMessage(bench.dialogs.messages, {"GL_WADs", "is gone"});
            bench.dialogs.messages.clear();
            act(window, {"Command1", "Command5"});
            verifyOneMessage(bench.dialogs.messages, {"is gone"}); // nothing to build
            QCOMPARE(QFileInfo::exists("/zel.cfg"), rootHadSettings);
        }
        // Removed while the launcher runs.
        {
            Bench bench;
            Form1 &window = bench.open();
            QVERIFY(QDir(bench.work.path()).removeRecursively());
            act(window, {"Command1"});
            verifyAnswers(window);
            verifyOneMessage(bench.dialogs.messages,
                             {bench.work.file("zel.cfg"), "No such file or directory"});
        }
        // Started in a folder whose name is no UTF-8: it is there, but cannot be spelled.
        {
            Bench bench;
            const QByteArray odd = QFile::encodeName(bench.work.path()) + "/\xe9t\xe9";
            QVERIFY(::mkdir(odd.constData(), 0755) == 0 && ::chdir(odd.constData()) == 0);
            Form1 &window = bench.open();
            QDir::setCurrent(bench.work.path());
            ::rmdir(odd + "/GL_WADs");
            ::rmdir(odd.constData());
            verifyAnswers(window);
            verifyOneMessage(bench.dialogs.messages, {"is not valid UTF-8"});
        }
    }

    // Two launchers on one program folder, or a hand edit while one runs: a save never
    // overwrites what the other wrote unasked.
    void savesOfTwoLaunchers()
    {
        Bench bench;
        const QString cfg = bench.work.write("zel.cfg", settingsRecord({"", "", "", "", "", "n"}));
        Form1 &a = bench.open();
        Form1 b;
        act(b, {"Text6=B notes", "Command1"});
        act(a, {"Text6=A notes", "Command1"});
        QCOMPARE(bench.dialogs.questions.size(), 1);
        QVERIFY2(bench.dialogs.questions.first().contains(cfg + "\" was changed outside"),
                 qPrintable(bench.dialogs.questions.first()));
        // Kept: the file stays as B wrote it, and A shows it.
        QCOMPARE(readAll(cfg), settingsRecord({"", "", "", "", "", "B notes"}));
        QCOMPARE(a.ui().Text6->notes(), QString("B notes"));

        // A hand edit of the engine folder, then "store": replaced when the player says so.
        bench.work.write("zel.cfg", settingsRecord({bench.work.path(), "", "", "", "", "hand"}));
        bench.dialogs.choices << 1;
        act(a, {"Text6=A again", "Command1"});
        QCOMPARE(bench.dialogs.questions.size(), 2);
        QCOMPARE(readAll(cfg), settingsRecord({"", "", "", "", "", "A again"}));
        // Now A's own file: the next save asks nothing.
        act(a, {"Command1"});
        QCOMPARE(bench.dialogs.questions.size(), 2);
        QCOMPARE(bench.dialogs.messages, QStringList());
    }

    // What the player never edited is saved as it was read: odd line breaks and all. What
    // an editor or the old program put around it goes, and nothing else changes.
    void settingsOfOtherEditorsAndEncodings_data()
    {
        QTest::addColumn<QByteArray>("file"); // %1: a folder in UTF-8
        QTest::addColumn<QByteArray>("saved");
        const QByteArray odd = "a\u2028b\u2029c\rd\ne\r\nf";
        // clang-format off
        QTest::newRow("lone CR, LF and Unicode separators") << settingsRecord({"%1", "", "", "", "", odd}) << settingsRecord({"%1", "", "", "", "", odd});
        QTest::newRow("byte-order mark") << "\xef\xbb\xbf" + settingsRecord({"%1", "", "", "", "", "n"}) << settingsRecord({"%1", "", "", "", "", "n"});
        QTest::newRow("one 8-bit byte in the notes") << settingsRecord({"%1", "%1", "", "", "", "caf%e"}).replace("%e", "\xe9") << settingsRecord({"%1", "%1", "", "", "", "café"});
        QTest::newRow("the old writer's notes ending in a quote") << settingsRecord({"%1", "", "", "", "", "my note \""}) << settingsRecord({"%1", "", "", "", "", "my note \"\""});
        QTest::newRow("the old writer's quotes in the notes") << settingsRecord({"%1", "", "", "", "", "my \"note\" \""}) << settingsRecord({"%1", "", "", "", "", "my \"\"note\"\" \"\""});
        // clang-format on
    }

    void settingsOfOtherEditorsAndEncodings()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, saved);
        Bench bench;
        const QByteArray folder = bench.work.mkdir("josé-eng").toUtf8() + "/";
        bench.work.write("josé-eng/doom.exe");
        bench.work.write("zel.cfg", file.replace("%1", folder));
        Form1 &window = bench.open();
        QCOMPARE(window.ui().File6->names(), QStringList{"doom.exe"});
        act(window, {"Command1"});
        QCOMPARE(readAll(bench.work.file("zel.cfg")), saved.replace("%1", folder));
        QCOMPARE(window.ui().File6->path(), QString::fromUtf8(folder));
        QCOMPARE(bench.dialogs.messages, QStringList());
        QVERIFY(!QFileInfo::exists(bench.work.file("zel.cfg.bak")));
    }

    // Nothing starts, the message names the fault, and what is gone is shown no more; "play 'n'
    // exit" does not close the window over an engine that did not start.
    void startsThatCannotBe_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("fault"); // "-FILE" removes, "FROM>TO" renames; ";" apart
        QTest::addColumn<QStringList>("named");
        const QStringList engine = {"File6=engine"};
        const QString none = "nothing was started.";
        // clang-format off
        QTest::newRow("not executable") << QStringList{"File6=doom.exe"} << "" << QStringList{"%1/engines/doom.exe", "Permission denied"};
        QTest::newRow("not a program") << QStringList{"File6=garbage.exe"} << "" << QStringList{"%1/engines/garbage.exe", "Exec format error"};
        QTest::newRow("engine removed") << engine << "-engines/engine" << QStringList{"\"%1/engines/engine\" is gone: " + none};
        QTest::newRow("engine folder renamed") << engine << "engines>old" << QStringList{"\"%1/engines/engine\" is gone: " + none};
        QTest::newRow("IWAD removed") << engine + QStringList{"File11=DOOM2.WAD"} << "-iwads/DOOM2.WAD" << QStringList{"\"%1/iwads/DOOM2.WAD\" is gone: " + none};
        QTest::newRow("PWAD 1 folder renamed") << engine + QStringList{"File8=x.wad"} << "pwads1>old" << QStringList{"\"%1/pwads1/x.wad\" is gone: " + none};
        QTest::newRow("GL PWAD removed") << engine + QStringList{"File10=gl.wad"} << "-GL_WADs/gl.wad" << QStringList{"\"%1/GL_WADs/gl.wad\" is gone: " + none};
        QTest::newRow("demo removed") << engine + QStringList{"File7:=demo.lmp"} << "-engines/demo.lmp" << QStringList{"\"%1/engines/demo.lmp\" is gone: " + none};
        QTest::newRow("IWAD and PWAD 2 gone") << engine + QStringList{"File11=DOOM2.WAD", "File8=x.wad", "File9=y.wad"} << "-iwads/DOOM2.WAD;pwads2>old" << QStringList{"\"%1/iwads/DOOM2.WAD\" and \"%1/pwads2/y.wad\" are gone: " + none};
        // clang-format on
    }

    void startsThatCannotBe()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QString, fault);
        QFETCH(QStringList, named);
        for (const char *button : {"Command12", "Command11"}) {
            FaultBench bench;
            writeProgram(bench.engines + "/garbage.exe", "\177ELF");
            for (const char *file : {"engines/doom.exe", "engines/demo.lmp", "iwads/DOOM2.WAD",
                                     "pwads1/x.wad", "pwads2/y.wad", "GL_WADs/gl.wad"})
                bench.work.write(file);
            Form1 &window = bench.open();
            act(window, QStringList{"Text1=keep"} + chosen);
            for (const QString &step : fault.split(';', Qt::SkipEmptyParts)) {
                QVERIFY(step.startsWith('-')
                            ? QFile::remove(bench.work.file(step.mid(1)))
                            : QDir(bench.work.path())
                                  .rename(step.section('>', 0, 0), step.section('>', 1)));
            }
            const auto before = bench.files();

            act(window, {button});
            verifyOneMessage(bench.dialogs.messages,
                             QStringList(named).replaceInStrings("%1", bench.work.path()));
            QCOMPARE(window.ui().Text1->text(), QString("keep"));
            verifyAnswers(window);
            QVERIFY(!QFileInfo::exists(bench.work.file("engine.log")));
            QCOMPARE(bench.files(), before);
            for (const FolderList *list : window.findChildren<FolderList *>()) {
                for (const QString &name : list->names())
                    QVERIFY2(QFileInfo::exists(list->path() + "/" + name), qPrintable(name));
            }
        }
    }

    void enginesThatEnd_data()
    {
        QTest::addColumn<QByteArray>("script"); // the engine's body
        QTest::addColumn<QStringList>("named"); // what the message must hold; none: no message
        // clang-format off
        QTest::newRow("crashes") << QByteArray("echo 'R_Init: bad texture' >&2; kill -SEGV $$") << QStringList{"\"crash\" was ended by signal 11", "R_Init: bad texture"};
        QTest::newRow("refuses an option") << QByteArray("echo 'W_Init: adding doom2.wad'; echo 'Unknown command line option -maxdemo' >&2; exit 255") << QStringList{"\"crash\" ended with status 255", "Unknown command line option -maxdemo"};
        QTest::newRow("says why on standard output only") << QByteArray("printf 'one\\ntwo\\nI_Error: no IWAD\\n\\n'; exit 1") << QStringList{"status 1", "one\ntwo\nI_Error: no IWAD"};
        QTest::newRow("a progress line redrawn, an error after a long line") << QByteArray("printf 'Loading [=====]\\rError: R_InitTextures: bad\\n' >&2; printf 'Progress %0200d I_Error: Z_Malloc failed\\n' 0 >&2; exit 1") << QStringList{"status 1", "\nError: R_InitTextures: bad\n", "I_Error: Z_Malloc failed"};
        QTest::newRow("one last error line of 100 KB") << QByteArray("echo 'not this'; head -c 100000 /dev/zero | tr '\\0' x >&2; exit 1") << QStringList{"status 1", "Its last lines:\nxxxxxxxxxx"};
        QTest::newRow("a full demo buffer") << QByteArray("echo 'Demo -x.lmp recorded' >&2; exit 255") << QStringList();
        QTest::newRow("a full demo buffer, a long demo name") << QByteArray("echo \"Demo $(head -c 170 /dev/zero | tr '\\0' d).lmp recorded\" >&2; exit 255") << QStringList();
        QTest::newRow("a finished time demo") << QByteArray("echo 'timed 249 gametics in 49 realtics (177.857147 fps)' >&2; exit 255") << QStringList();
        QTest::newRow("a normal end") << QByteArray("echo 'warning: no music' >&2; sleep 1") << QStringList();
        // The launcher reads on, so a full pipe never stalls the engine.
        QTest::newRow("much output") << QByteArray("head -c 20000000 /dev/zero") << QStringList();
        // What the engine wrote is in at once, whatever a program it started does with the pipes.
        QTest::newRow("something it started holds its output") << QByteArray("sleep 8 & echo 'I_Error: held' >&2; exit 1") << QStringList{"status 1", "I_Error: held"};
        QTest::newRow("something it started writes on") << QByteArray("yes & echo 'I_Error: chatty' >&2; exit 1") << QStringList{"status 1", "I_Error: chatty"};
        // clang-format on
    }

    void enginesThatEnd()
    {
        QFETCH(QByteArray, script);
        QFETCH(QStringList, named);
        FaultBench bench;
        writeProgram(bench.engines + "/crash", "#!/bin/sh\n" + script + "\n");
        // A log linked elsewhere is replaced, never written through.
        const QString victim = bench.work.write("victim", "mine");
        QVERIFY(QFile::link(victim, bench.work.file("engine-errors.log")));
        Form1 &window = bench.open();
        act(window, {"File6=crash", "Command12"});
        verifyAnswers(window); // while the engine runs
        QVERIFY(QTest::qWaitFor([] { return childProcesses().isEmpty(); }, 20000));
        // Told once the reader has caught up, or a second later when it cannot.
        QElapsedTimer clock;
        clock.start();
        QVERIFY(waitForChildren(5000));
        const qint64 told = clock.elapsed();
        QVERIFY2(told < (script.startsWith("yes") ? 2000 : 500), qPrintable(QString::number(told)));
        QCOMPARE(readAll(victim), QByteArray("mine"));
        if (named.isEmpty())
            QCOMPARE(bench.dialogs.messages, QStringList());
        else
            verifyOneMessage(bench.dialogs.messages, named);
    }

    // Closing the launcher neither ends nor signals an engine; it runs in a session of its own,
    // and writes on when nobody reads what it writes.
    void engineOutlivesTheLauncher()
    {
        FaultBench bench;
        writeProgram(bench.engines + "/long",
                     "#!/bin/sh\ntrap 'echo signalled > ../signalled' HUP INT TERM\n"
                     "cut -d' ' -f6 /proc/$$/stat > ../session; sleep 1\n"
                     "echo on; echo on >&2; echo on > ../alive\n");
        Form1 &window = bench.open();
        act(window, {"File6=long", "Command11"});
        QVERIFY(!window.isVisible());
        bench.window.reset();
        QVERIFY(
            QTest::qWaitFor([&] { return QFileInfo::exists(bench.work.file("alive")); }, 10000));
        QVERIFY(!QFileInfo::exists(bench.work.file("signalled")));
        QVERIFY(readAll(bench.work.file("session")).trimmed().toInt() != ::getsid(0));
        QCOMPARE(bench.dialogs.messages, QStringList());
        // Nobody listens any more: reap it here, as the system does once the launcher is gone.
        while (::waitpid(-1, nullptr, 0) > 0) {
        }
    }

    // Nothing in GL_WADs changes unless a build succeeded, and a builder that ends without an
    // error has succeeded only when what it wrote is a WAD. A failed build says why in the
    // builder's last lines, and the command goes on to the next PWAD and the refreshes.
    void nodeBuildersThatFail_data()
    {
        QTest::addColumn<QString>("builder"); // "missing", "folder" or zennode.ctl's content
        QTest::addColumn<QString>("there");   // GL_WADs/x.wad before: "", "older" or a "link"
        QTest::addColumn<QStringList>("named");
        QTest::addColumn<QStringList>("glWads"); // afterwards
        // clang-format off
        QTest::newRow("missing") << "missing" << "" << QStringList{"/zennode\": No such file"} << QStringList();
        QTest::newRow("missing, an older GL PWAD there") << "missing" << "older" << QStringList{"/zennode\": No such file"} << QStringList{"x.wad"};
        QTest::newRow("missing, a link there") << "missing" << "link" << QStringList{"/zennode\": No such file"} << QStringList{"x.wad"};
        QTest::newRow("a folder") << "folder" << "" << QStringList{"/zennode\": Permission denied"} << QStringList();
        QTest::newRow("crashes") << "KILL=x.wad" << "" << QStringList{"x.wad", "signal 9"} << QStringList{"y.wad"};
        QTest::newRow("exits with 259") << "FAIL=x.wad\nCODE=259" << "" << QStringList{"x.wad", "exit code 3", "progress 20\nerror: no levels"} << QStringList{"y.wad"};
        QTest::newRow("leaves part of its output") << "FAIL=x.wad\nPARTIAL=1" << "" << QStringList{"x.wad", "exit code 1", "GL_WADs/x.wad\" was removed"} << QStringList{"y.wad"};
        QTest::newRow("rewrites part of an older GL PWAD, which comes back") << "FAIL=x.wad\nPARTIAL=1" << "older" << QStringList{"x.wad", "GL_WADs/x.wad\" was removed"} << QStringList{"x.wad", "y.wad"};
        QTest::newRow("rewrites part of a link, which comes back") << "FAIL=x.wad\nPARTIAL=1" << "link" << QStringList{"x.wad", "exit code 1", "GL_WADs/x.wad\" was removed"} << QStringList{"x.wad", "y.wad"};
        QTest::newRow("leaves an older GL PWAD alone") << "FAIL=x.wad" << "older" << QStringList{"x.wad", "exit code 1"} << QStringList{"x.wad", "y.wad"};
        QTest::newRow("writes nothing, status 0") << "WRITES='nothing x.wad'" << "older" << QStringList{"GL_WADs/x.wad\" is no WAD: it is not there"} << QStringList{"x.wad", "y.wad"};
        QTest::newRow("writes an empty file, status 0") << "WRITES='empty x.wad'" << "" << QStringList{"GL_WADs/x.wad\" is no WAD: it is empty", "was removed"} << QStringList{"y.wad"};
        QTest::newRow("writes something else over a link, status 0") << "WRITES='junk x.wad'" << "link" << QStringList{"is no WAD: it does not begin as a WAD does", "was removed"} << QStringList{"x.wad", "y.wad"};
        QTest::newRow("hangs while the player clicks on") << "SLEEP=2" << "" << QStringList() << QStringList{"x.wad", "y.wad"};
        // clang-format on
    }

    void nodeBuildersThatFail()
    {
        QFETCH(QString, builder);
        QFETCH(QString, there);
        QFETCH(QStringList, named);
        QFETCH(QStringList, glWads);
        FaultBench bench;
        bench.work.write("pwads1/x.wad", "pwad");
        bench.work.write("pwads2/y.wad", "pwad");
        if (builder == "folder") {
            bench.work.mkdir("zennode");
        } else if (builder != "missing") {
            writeStandInNodeBuilder(bench.work.file("zennode"));
            bench.work.write("zennode.ctl", builder.toUtf8());
        }
        const QString gl = bench.work.mkdir("GL_WADs");
        if (there == "older")
            bench.work.write("GL_WADs/x.wad", "older");
        if (there == "link")
            QVERIFY(QFile::link(bench.work.write("outside.wad", "outside"), gl + "/x.wad"));
        Form1 &window = bench.open();
        act(window, {"File8=x.wad", "File9=y.wad"});
        const QStringList ignored = {"engine.log", "zennode.log", "GL_WADs", "late.wad"};
        const auto before = snapshot(bench.work.path(), ignored);
        const auto glBefore = snapshot(gl);
        bench.work.write("pwads1/late.wad");

        bool answered = false; // while the builder runs
        QTimer::singleShot(300, &window, [&] {
            verifyAnswers(window);
            answered = !QTest::currentTestFailed();
        });
        act(window, {"Command5"});
        QVERIFY(answered || !builder.startsWith("SLEEP"));
        verifyAnswers(window);
        if (named.isEmpty()) {
            QCOMPARE(bench.dialogs.messages, QStringList());
        } else {
            verifyOneMessage(bench.dialogs.messages, named);
            QVERIFY(!bench.dialogs.messages.first().contains("progress 8\n")); // the last lines
            QCOMPARE(bench.dialogs.messages.first().contains("removed"),
                     named.join('|').contains("removed"));
        }
        QCOMPARE(snapshot(bench.work.path(), ignored), before);
        auto glAfter = snapshot(gl);
        glAfter.remove("y.wad");
        if (named.isEmpty())
            glAfter.remove("x.wad"); // built
        QCOMPARE(glAfter, glBefore);
        QCOMPARE(QFileInfo(gl + "/x.wad").isSymLink(), there == "link");
        QCOMPARE(window.ui().File10->names(), glWads);
        QCOMPARE(window.ui().File8->names().contains("late.wad"), glWads.contains("y.wad"));
    }

    // On a full disk "copy" says so and every file stays as it was.
    void fullDisk()
    {
        LaunchBench bench;
        const QString disk = bench.work.mkdir("disk");
        const SmallFileSystem small(disk);
        if (!small.mounted)
            QSKIP("cannot mount a small file system here");
        const auto leave = qScopeGuard([&] { QDir::setCurrent(bench.work.path()); });
        QVERIFY(QDir::setCurrent(disk));
        bench.work.write("disk/iwads/DOOM2.WAD", "old IWAD");
        bench.work.write("safe/DOOM2.WAD", QByteArray(8000, 'I'));
        bench.work.write("disk/zel.cfg",
                         settingsRecord({"", disk + "/iwads", "", "", bench.safe, ""}));
        Form1 &window = bench.open();
        QFile filler(disk + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(4096, 'f')) > 0) {
        }
        filler.close();
        const auto before = snapshot(disk, {"filler"});

        act(window, {"File5=DOOM2.WAD", "Command19"});
        verifyOneMessage(bench.dialogs.messages,
                         {disk + "/iwads/DOOM2.WAD", "No space left on device"});
        QCOMPARE(snapshot(disk, {"filler"}), before);
        verifyAnswers(window);
    }

    // However much engines write, each log stays within a few MB and keeps the last lines, and
    // an engine started before the last start writes into no removed log: the disk of the
    // program folder does not fill up.
    void engineLogsStaySmall()
    {
        LaunchBench bench;
        const QString disk = bench.work.mkdir("disk");
        const SmallFileSystem small(disk, SmallFileSystem::Kind::Tmpfs, "16m");
        if (!small.mounted)
            QSKIP("cannot mount a small file system here");
        const auto leave = qScopeGuard([&] { QDir::setCurrent(bench.work.path()); });
        QVERIFY(QDir::setCurrent(disk));
        // 100 MB on each stream in lines of 2 MB.
        writeProgram(bench.engines + "/flood",
                     "#!/bin/sh\nline=$(head -c 2000000 /dev/zero | tr '\\0' x)\n"
                     "for i in $(seq 50); do echo \"$line\"; echo \"$line\" >&2; sleep 0.05; done\n"
                     "echo 'I_Error: last words' >&2; exit 3\n");
        bench.work.write("disk/zel.cfg", settingsRecord({bench.engines, "", "", "", "", "n"}));
        Form1 &window = bench.open();
        act(window, {"File6=flood", "Command12"});
        QTest::qWait(1000);
        act(window, {"Command12"}); // the logs are this start's now
        QTest::qWait(300);
        QCOMPARE(childProcesses().size(), 2); // the first writes on
        // Neither the engines nor the launcher hold a log that was removed.
        for (const int process : QList<int>{::getpid()} + childProcesses()) {
            const QString fds = QStringLiteral("/proc/%1/fd/").arg(process);
            for (const QString &fd :
                 QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
                char target[4096];
                const ssize_t size = ::readlink(QFile::encodeName(fds + fd), target, sizeof target);
                const QByteArray name(target, size > 0 ? int(size) : 0);
                QVERIFY2(!(name.contains("/engine-") && name.endsWith("(deleted)")), name);
            }
        }
        QVERIFY(waitForChildren(60000));

        QCOMPARE(bench.dialogs.messages.size(), 2);
        for (const QString &message : bench.dialogs.messages)
            QVERIFY2(message.contains("status 3") && message.endsWith("I_Error: last words") &&
                         message.size() < 2000,
                     qPrintable(message.left(2000)));
        for (const char *log : {"/engine-output.log", "/engine-errors.log"})
            QVERIFY(QFileInfo(disk + log).size() <= 3 * 1024 * 1024);
        QVERIFY(readAll(disk + "/engine-errors.log").endsWith("xx\nI_Error: last words\n"));
        struct statvfs fs;
        QCOMPARE(::statvfs(QFile::encodeName(disk).constData(), &fs), 0);
        const qint64 used = qint64(fs.f_blocks - fs.f_bfree) * qint64(fs.f_frsize);
        QVERIFY2(used < 7 * 1024 * 1024, qPrintable(QString::number(used)));
        act(window, {"Text6=stored", "Command1"});
        QCOMPARE(bench.dialogs.messages.size(), 2);
        QVERIFY(readAll(disk + "/zel.cfg").contains("stored"));
    }

    void settingsFileThatCannotBeReplaced_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("reason"); // why every save fails; none when it saves
        QTest::addColumn<bool>("unread");        // said at start-up too
        // clang-format off
        QTest::newRow("hard link") << "hard link" << QStringList() << false;
        QTest::newRow("mounted onto itself") << "mount" << QStringList() << false;
        QTest::newRow("in a folder that takes no new file") << "immutable folder" << QStringList() << false;
        QTest::newRow("immutable") << "immutable file" << QStringList{"Operation not permitted"} << false;
        QTest::newRow("write-protected (chmod a-w), for root too") << "write-protected" << QStringList{"write-protected"} << false;
        QTest::newRow("on a full disk") << "full tmpfs" << QStringList{"No space left on device"} << false;
        QTest::newRow("hard link on a full disk") << "full tmpfs, hard link" << QStringList{"No space left on device"} << false;
        QTest::newRow("hard link on a full disk that reserves nothing") << "full ext2, hard link" << QStringList{"No space left on device"} << false;
        QTest::newRow("link to a file") << "link to a file" << QStringList() << false;
        // Start-up never hangs on these.
        for (const char *kind : {"fifo", "link to a fifo", "device", "link to a device", "folder"})
            QTest::newRow(kind) << QString(kind) << QStringList{"is not a regular file"} << true;
        // Not replaced by what the window shows in its place: its folders and notes would be
        // gone unseen. Root reads any file: the launcher runs as nobody meanwhile.
        QTest::newRow("unreadable") << "unreadable" << QStringList{"Permission denied", "Nothing was saved"} << true;
        // clang-format on
    }

    // Where no new file can take the old one's place, or its other names would keep the old
    // notes, a save writes it where it is, once the new record is known to fit. One that may
    // not be written, or is no regular file (or no link to one), is left alone and never even
    // opened, and every save says why; the demo list follows a new engine folder all the same.
    void settingsFileThatCannotBeReplaced()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, reason);
        QFETCH(bool, unread);
        Bench bench;
        const bool full = kind.startsWith("full");
        // On a full disk zel.cfg links to the file there.
        const QString folder = full ? bench.work.mkdir("disk") : bench.work.path();
        const QString entry = bench.work.file("zel.cfg"), other = folder + "/other.cfg";
        const QString cfg = kind.startsWith("link") ? bench.work.file("odd") : folder + "/zel.cfg";
        const QByteArray native = QFile::encodeName(cfg);
        std::unique_ptr<SmallFileSystem> disk;
        if (full) {
            disk = std::make_unique<SmallFileSystem>(folder, kind.contains("ext2")
                                                                 ? SmallFileSystem::Kind::Ext2
                                                                 : SmallFileSystem::Kind::Tmpfs);
            if (!disk->mounted)
                QSKIP("cannot mount a small file system here");
        }
        const QByteArray record = settingsRecord({"", "", "", "", "", "old notes"});
        if (kind.endsWith("fifo"))
            QCOMPARE(::mkfifo(native.constData(), 0644), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(cfg));
        else if (!kind.endsWith("device"))
            bench.work.write(QDir(bench.work.path()).relativeFilePath(cfg), record);
        if (kind.endsWith("device") && ::mknod(native.constData(), S_IFCHR | 0644, makedev(1, 3)))
            QSKIP("cannot make a device node here");
        if (cfg != entry)
            QVERIFY(QFile::link(cfg, entry));
        const bool linked = kind.endsWith("hard link");
        if (linked)
            QCOMPARE(::link(native.constData(), QFile::encodeName(other).constData()), 0);
        if (kind == "write-protected" || kind == "unreadable")
            QCOMPARE(::chmod(native.constData(), kind == "unreadable" ? 0 : 0444), 0);
        if (kind == "unreadable")
            QCOMPARE(::chmod(QFile::encodeName(bench.work.path()).constData(), 0777), 0);
        if (kind == "mount" &&
            ::mount(native.constData(), native.constData(), nullptr, MS_BIND, nullptr) != 0)
            QSKIP("cannot mount here");
        // A writer waits for the pipe's reader.
        std::atomic<bool> woken = false;
        std::thread writer;
        if (kind.endsWith("fifo")) {
            writer = std::thread([&] {
                ::close(::open(native.constData(), O_WRONLY));
                woken = true;
            });
            QThread::msleep(200);
        }
        const auto release = qScopeGuard([&] {
            if (kind == "mount")
                ::umount2(native.constData(), MNT_DETACH);
            if (writer.joinable()) {
                ::close(::open(native.constData(), O_RDONLY | O_NONBLOCK));
                writer.join();
            }
        });
        struct stat before
        {
        };
        QCOMPARE(::lstat(QFile::encodeName(entry).constData(), &before), 0);
        const QByteArray identity = platform::fileIdentity(cfg);
        const QString engines = bench.work.mkdir("engines") + "/";
        bench.work.write("engines/doom.exe");
        // Longer than the old record by more than a block: it cannot take the old one's space.
        const QString notes = "new notes " + QString(9000, 'n');

        const uid_t user = ::geteuid();
        {
            const auto back = qScopeGuard([user] { QVERIFY(::seteuid(user) == 0); });
            if (kind == "unreadable" && user == 0)
                QVERIFY(::seteuid(65534) == 0);
            Form1 &window = bench.open();
            if (full) {
                QFile filler(folder + "/filler");
                QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
                while (filler.write(QByteArray(1024, 'f')) > 0) {
                }
                // Room for part of the new record: a write that is not checked ahead goes halfway.
                QVERIFY(filler.resize(filler.size() - 4096));
            }
            const QString immutable = kind == "immutable folder" ? folder
                                      : kind == "immutable file" ? cfg
                                                                 : QString();
            if (!immutable.isEmpty() && !setImmutable(immutable, true))
                QSKIP("this file system keeps no immutable flag");
            const auto mutableAgain = qScopeGuard([&] {
                if (!immutable.isEmpty())
                    setImmutable(immutable, false);
            });
            // "config" of the engine list saves the notes typed, as "store" does.
            bench.dialogs.fileAnswers << engines + "doom.exe";
            act(window, {"Text6=" + notes, "Command21"});
        }

        QCOMPARE(bench.dialogs.messages.size(), reason.isEmpty() ? 0 : unread ? 2 : 1);
        for (const QString &message : bench.dialogs.messages)
            QVERIFY2(message.contains(entry + "\"") && message.contains(reason.first()),
                     qPrintable(message));
        if (!reason.isEmpty())
            verifyOneMessage(bench.dialogs.messages.mid(unread ? 1 : 0), reason);
        const QByteArray expected =
            reason.isEmpty() ? settingsRecord({engines, "", "", "", "", notes}) : record;
        struct stat after
        {
        };
        QCOMPARE(::lstat(QFile::encodeName(entry).constData(), &after), 0);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_ino, before.st_ino);
        if (kind != "link to a file") // a link's file is replaced
            QCOMPARE(platform::fileIdentity(cfg), identity);
        QVERIFY(!woken);
        if (kind == "unreadable")
            QCOMPARE(::chmod(native.constData(), 0644), 0);
        if (!unread || kind == "unreadable")
            QCOMPARE(readAll(cfg), expected);
        if (linked)
            QCOMPARE(readAll(other), expected);
        // Nothing half-made is left beside it.
        QCOMPARE(QDir(folder).entryList({".zel-*"}, QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(bench.ui().File7->path(), engines);
        QCOMPARE(bench.ui().Label7->toolTip(), engines);
        verifyAnswers(*bench.window);
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
