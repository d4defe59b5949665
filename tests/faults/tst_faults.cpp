// Every fault the launcher can meet, each checked the same way: the window is still open and
// answers, a message names what failed and where, and no file changed that should not have.
#include "app/Controls.h"
#include "app/FolderList.h"
#include "app/LauncherSettings.h"
#include "support/LaunchBench.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Every file and folder below `root` with its content and mode, but those named in `ignored`
// and what lies in a top folder so named.
QMap<QString, QByteArray> snapshot(const QString &root, const QStringList &ignored = {})
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = path.mid(root.size() + 1);
        if (ignored.contains(it.fileName()) || ignored.contains(relative.section('/', 0, 0)))
            continue;
        const QFileInfo info = it.fileInfo();
        QByteArray state = QByteArray::number(int(info.permissions()), 16);
        if (info.isFile())
            state += ' ' + QCryptographicHash::hash(readAll(path), QCryptographicHash::Md5).toHex();
        files.insert(relative, info.isDir() ? "folder" : state);
    }
    return files;
}

// The window reacts to the player: a typed warp shows, and its caption empties it again.
void verifyAnswers(Form1 &window)
{
    QVERIFY(window.isVisible());
    const Form1Ui &ui = window.ui();
    type(ui.Text3, "12");
    QCOMPARE(ui.Text3->text(), QString("12"));
    QTest::mouseClick(ui.Label15, Qt::LeftButton);
    QCOMPARE(ui.Text3->text(), QString());
}

void verifyOneMessage(const QStringList &messages, const QStringList &fragments)
{
    QCOMPARE(messages.size(), 1);
    for (const QString &fragment : fragments)
        QVERIFY2(messages.first().contains(fragment),
                 qPrintable(messages.first() + "\n  lacks: " + fragment));
}

// A folder with an engine that logs its start, an IWAD, and the window over them.
struct Bench : LaunchBench
{
    Bench()
    {
        writeStandInEngine(engines + "/engine", work.file("engine.log"));
        work.write("iwads/DOOM2.WAD", "iwad");
    }
    QMap<QString, QByteArray> files() const { return snapshot(work.path(), {"engine.log"}); }
};

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void startUpFaults_data()
    {
        QTest::addColumn<QString>("glWads");      // what stands where GL_WADs goes
        QTest::addColumn<QByteArray>("settings"); // zel.cfg, %1 the work folder
        QTest::addColumn<QStringList>("named");   // what the message must name, %1 as above

        QTest::newRow("GL_WADs is a plain file")
            << "file" << QByteArray() << QStringList{"%1/GL_WADs", "Not a directory"};
        QTest::newRow("a saved folder is missing")
            << "" << QByteArray("\"%1/gone/\",\"\",\"\",\"\",\"\",\"n\"\r\n")
            << QStringList{"%1/gone/", "No such file or directory"};
        QTest::newRow("a saved folder is a file")
            << "" << QByteArray("\"\",\"%1/zel.cfg\",\"\",\"\",\"\",\"n\"\r\n")
            << QStringList{"%1/zel.cfg", "Not a directory"};
        QTest::newRow("settings file too short")
            << "" << QByteArray("\"\",\"\"\r\n") << QStringList{"%1/zel.cfg", "2 of its 6"};
    }

    void startUpFaults()
    {
        QFETCH(QString, glWads);
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, named);
        WorkFolder work;
        ScriptedDialogs dialogs;
        if (glWads == "file")
            work.write("GL_WADs", "not a folder");
        else
            work.mkdir("GL_WADs");
        if (!settings.isEmpty())
            work.write("zel.cfg", QString::fromUtf8(settings).replace("%1", work.path()).toUtf8());
        const auto before = snapshot(work.path());

        auto window = openWindow();
        QVERIFY(window);
        verifyAnswers(*window);
        for (QString &fragment : named)
            fragment.replace("%1", work.path());
        verifyOneMessage(dialogs.messages, named);
        QCOMPARE(snapshot(work.path()), before);
        // A folder that cannot be shown stays the list's folder, so a save keeps it.
        LauncherSettings saved;
        ParseSettingsRecord(readAll(work.file("zel.cfg")), &saved);
        QCOMPARE(window->ui().File6->path(), saved.GameEngineFolder);
        QCOMPARE(window->ui().Label6->toolTip(), saved.GameEngineFolder);
    }

    void settingsFileCutAtEveryByte()
    {
        WorkFolder work;
        const QByteArray whole =
            QString("\"%1/\",\"\",\"\",\"\",\"\",\"two\r\nlines\"\r\n").arg(work.path()).toUtf8();
        for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
            ScriptedDialogs dialogs;
            const QByteArray file = whole.left(cut);
            work.write("zel.cfg", file);
            LauncherSettings ignored;
            const bool complete = ParseSettingsRecord(file, &ignored) == 6;

            auto window = openWindow();
            QVERIFY(window);
            verifyAnswers(*window);
            if (complete)
                QCOMPARE(dialogs.messages, QStringList());
            else
                verifyOneMessage(dialogs.messages, {work.file("zel.cfg"), "ends after"});
            QCOMPARE(readAll(work.file("zel.cfg")), file);
        }
    }

    void strangeSettingsFiles()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        // NUL bytes and bytes that are no UTF-8: read as they come, nothing breaks, and the
        // folder that cannot exist is named.
        static const char oddBytes[] = "\"a\0b\",\"\",\"\",\"\",\"\",\"n\xc3\0otes\xff\"\r\n";
        const QByteArray odd(oddBytes, sizeof oddBytes - 1);
        work.write("zel.cfg", odd);
        {
            auto window = openWindow();
            verifyAnswers(*window);
            verifyOneMessage(dialogs.messages, {"Cannot show the folder \"a"});
            QVERIFY(window->ui().Text6->toPlainText().startsWith("n"));
            QCOMPARE(readAll(work.file("zel.cfg")), odd);
            dialogs.messages.clear();
        }

        // 50 MB of notes open, and a save writes them back unchanged.
        QByteArray notes;
        const QByteArray line = QByteArray(78, 'x') + "\r\n";
        while (notes.size() < 50 * 1024 * 1024)
            notes += line;
        const QByteArray big = "\"\",\"\",\"\",\"\",\"\",\"" + notes + "\"\r\n";
        work.write("zel.cfg", big);
        {
            auto window = openWindow();
            verifyAnswers(*window);
            QTest::mouseClick(window->ui().Command1, Qt::LeftButton);
            QCOMPARE(dialogs.messages, QStringList());
            QVERIFY(readAll(work.file("zel.cfg")) == big);
        }

        // A folder named zel.cfg is not read; a save says why it fails.
        QVERIFY(QFile::remove(work.file("zel.cfg")));
        work.mkdir("zel.cfg");
        auto window = openWindow();
        verifyAnswers(*window);
        QCOMPARE(dialogs.messages, QStringList());
        QTest::mouseClick(window->ui().Command1, Qt::LeftButton);
        verifyOneMessage(dialogs.messages, {work.file("zel.cfg")});
        QVERIFY(QFileInfo(work.file("zel.cfg")).isDir());
    }

    void demoListFollowsTheEngineListWhenTheSaveFails()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        work.mkdir("zel.cfg"); // every save fails
        work.write("old/d.lmp", "old demo");
        work.write("new/engine.exe");
        work.write("new/d.lmp", "new demo");
        auto window = openWindow();
        const Form1Ui &ui = window->ui();
        QTest::mouseClick(ui.Command21, Qt::LeftButton); // cancelled: nothing happens
        ui.File7->setPath(work.file("old/"));

        dialogs.fileAnswers << work.file("new/engine.exe");
        QTest::mouseClick(ui.Command21, Qt::LeftButton);
        verifyOneMessage(dialogs.messages, {work.file("zel.cfg")});
        QCOMPARE(ui.File7->path(), ui.File6->path());
        QCOMPARE(ui.Label7->toolTip(), ui.File6->path());

        // So "delete" removes the demo the player sees listed, not a namesake elsewhere.
        pick(ui.File7, "d.lmp");
        QTest::mouseClick(ui.Command7, Qt::LeftButton);
        QVERIFY(!QFileInfo::exists(work.file("new/d.lmp")));
        QCOMPARE(readAll(work.file("old/d.lmp")), QByteArray("old demo"));
        verifyAnswers(*window);
    }

    void programFolderGoneOrReadOnly()
    {
        ScriptedDialogs dialogs;
        // Started in a folder that was removed: nothing may land in the root folder.
        const bool rootHadSettings = QFileInfo::exists("/zel.cfg");
        {
            WorkFolder work;
            const QString gone = work.mkdir("gone");
            QVERIFY(QDir::setCurrent(gone));
            QVERIFY(QDir(gone).removeRecursively());
            auto window = openWindow();
            verifyAnswers(*window);
            verifyOneMessage(dialogs.messages, {"GL_WADs", "is gone"});
            dialogs.messages.clear();
            QTest::mouseClick(window->ui().Command1, Qt::LeftButton);
            QTest::mouseClick(window->ui().Command5, Qt::LeftButton);
            QCOMPARE(dialogs.messages.size(), 1); // nothing selected: no build is tried
            QVERIFY(dialogs.messages.first().contains("is gone"));
            QCOMPARE(QFileInfo::exists("/zel.cfg"), rootHadSettings);
        }

        // Started in a folder nothing can be written to.
        dialogs.messages.clear();
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent("/proc"));
        auto window = openWindow();
        QDir::setCurrent(previous);
        verifyAnswers(*window);
        verifyOneMessage(dialogs.messages, {"/proc/GL_WADs"});
        dialogs.messages.clear();
        QTest::mouseClick(window->ui().Command1, Qt::LeftButton);
        verifyOneMessage(dialogs.messages, {"/proc/zel.cfg"});
    }

    void saveAfterTheProgramFolderWasRemoved()
    {
        Bench bench;
        Form1 &window = bench.open();
        QVERIFY(QDir(bench.work.path()).removeRecursively());
        QTest::mouseClick(window.ui().Command1, Qt::LeftButton);
        verifyAnswers(window);
        verifyOneMessage(bench.dialogs.messages,
                         {bench.work.file("zel.cfg"), "No such file or directory"});
    }

    void fileOperationsOnVanishedOrWrongTypedFiles_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("file"); // selected, then removed ("" keeps it)
        QTest::addColumn<QStringList>("named");

        const QString gone = "No such file or directory";
        QTest::newRow("copy onto a folder") << "Command17"
                                            << "File11"
                                            << "" << QStringList{"%1/engines/DOOM2.WAD"};
        QTest::newRow("copy IWAD to engines, source gone")
            << "Command17"
            << "File11"
            << "iwads/DOOM2.WAD" << QStringList{"Cannot copy \"%1/iwads/DOOM2.WAD\"", gone};
        QTest::newRow("copy safe IWAD, source gone")
            << "Command19"
            << "File5"
            << "safe/DOOM2.WAD" << QStringList{"Cannot copy \"%1/safe/DOOM2.WAD\"", gone};
        QTest::newRow("delete GL PWAD, gone")
            << "Command6"
            << "File10"
            << "GL_WADs/map01.wad" << QStringList{"%1/GL_WADs/map01.wad", gone};
        QTest::newRow("delete demo, gone")
            << "Command7"
            << "File7"
            << "engines/DEMO1.LMP" << QStringList{"%1/engines/DEMO1.LMP", gone};
        QTest::newRow("del engine WAD, gone")
            << "Command18"
            << "File6"
            << "engines/MAP01.WAD" << QStringList{"%1/engines/MAP01.WAD", gone};
        QTest::newRow("del IWAD, gone")
            << "Command20"
            << "File11"
            << "iwads/DOOM2.WAD" << QStringList{"%1/iwads/DOOM2.WAD", gone};
    }

    void fileOperationsOnVanishedOrWrongTypedFiles()
    {
        QFETCH(QString, button);
        QFETCH(QString, list);
        QFETCH(QString, file);
        QFETCH(QStringList, named);
        Bench bench;
        bench.work.write("safe/DOOM2.WAD", "safe");
        bench.work.write("GL_WADs/map01.wad", "GL");
        bench.work.write("engines/DEMO1.LMP", "demo");
        bench.work.write("engines/MAP01.WAD", "map");
        if (file.isEmpty())
            bench.work.mkdir("engines/DOOM2.WAD"); // a folder where the copy goes
        LauncherSettings settings;
        settings.GameEngineFolder = bench.engines;
        settings.IwadFolder = bench.iwads;
        settings.IwadSafeFolder = bench.work.file("safe");
        bench.work.write("zel.cfg", FormatSettingsRecord(settings));
        Form1 &window = bench.open();
        auto *shown = window.findChild<FolderList *>(list);
        const QString name = file.isEmpty() ? "DOOM2.WAD" : QFileInfo(file).fileName();
        QVERIFY(shown->setFileName(name));
        if (!file.isEmpty())
            QVERIFY(QFile::remove(bench.work.file(file)));
        const auto before = bench.files();
        const QStringList listed = shown->names();
        bench.work.write("iwads/late.wad"); // shows only if a list were read again

        QTest::mouseClick(window.findChild<QPushButton *>(button), Qt::LeftButton);
        for (QString &fragment : named)
            fragment.replace("%1", bench.work.path());
        verifyOneMessage(bench.dialogs.messages, named);
        QVERIFY(QFile::remove(bench.work.file("iwads/late.wad")));
        QCOMPARE(bench.files(), before);
        QCOMPARE(shown->names(), listed); // the operation stopped before its refresh
        verifyAnswers(window);
    }

    void enginesThatCannotStart_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("removed") << "removed"
                                 << "No such file or directory";
        QTest::newRow("not executable") << "plain"
                                        << "Permission denied";
        QTest::newRow("folder gone") << "folder"
                                     << "No such file or directory";
        QTest::newRow("not a program") << "garbage"
                                       << "Exec format error";
    }

    void enginesThatCannotStart()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        Bench bench;
        const QString engine = bench.engines + "/doom.exe";
        bench.work.write("engines/doom.exe", fault == "garbage" ? "\x7f"
                                                                  "ELF"
                                                                : "");
        if (fault == "garbage")
            QFile::setPermissions(engine, QFile::permissions(engine) | QFile::ExeOwner);
        Form1 &window = bench.open();
        const Form1Ui &ui = window.ui();
        pick(ui.File6, "doom.exe");
        ui.Text1->setText("keep");
        if (fault == "removed")
            QFile::remove(engine);
        if (fault == "folder")
            QDir(bench.engines).removeRecursively();
        const auto before = bench.files();

        // "play 'n' exit" does not close the window over an engine that did not start.
        for (QPushButton *button : {ui.Command12, ui.Command11}) {
            bench.dialogs.messages.clear();
            QTest::mouseClick(button, Qt::LeftButton);
            verifyOneMessage(bench.dialogs.messages, {engine, reason});
            QCOMPARE(ui.Text1->text(), QString("keep"));
            verifyAnswers(window);
        }
        QCOMPARE(bench.files(), before);
    }

    void enginesThatCrashOrHang()
    {
        Bench bench;
        bench.work.write("engines/crash", "#!/bin/sh\nkill -SEGV $$\n");
        bench.work.write("engines/hang", "#!/bin/sh\nsleep 2\n");
        for (const char *name : {"engines/crash", "engines/hang"})
            QFile::setPermissions(bench.work.file(name), QFile::ReadOwner | QFile::ExeOwner);
        Form1 &window = bench.open();
        // What an engine does once it runs is its own affair.
        for (const char *name : {"crash", "hang"}) {
            pick(window.ui().File6, name);
            QTest::mouseClick(window.ui().Command12, Qt::LeftButton);
            verifyAnswers(window);
        }
        QCOMPARE(bench.dialogs.messages, QStringList());
    }

    void nodeBuildersThatFail_data()
    {
        QTest::addColumn<QString>("builder"); // "missing", "folder" or zennode.ctl's content
        QTest::addColumn<QStringList>("named");
        QTest::addColumn<bool>("goesOn"); // to the second PWAD and the refreshes

        QTest::newRow("missing") << "missing" << QStringList{"/zennode\"", "No such file"} << false;
        QTest::newRow("a folder") << "folder" << QStringList{"/zennode\"", "Permission denied"}
                                  << false;
        QTest::newRow("crashes") << "KILL=x.wad" << QStringList{"x.wad", "signal 9"} << true;
        QTest::newRow("exits with 259") << "FAIL=x.wad\nCODE=259"
                                        << QStringList{"x.wad", "exit code 3",
                                                       "progress 20\n"
                                                       "error: no levels"}
                                        << true;
    }

    void nodeBuildersThatFail()
    {
        QFETCH(QString, builder);
        QFETCH(QStringList, named);
        QFETCH(bool, goesOn);
        Bench bench;
        bench.work.write("pwads1/x.wad", "pwad");
        bench.work.write("pwads2/y.wad", "pwad");
        if (builder == "folder") {
            bench.work.mkdir("zennode");
        } else if (builder != "missing") {
            writeStandInNodeBuilder(bench.work.file("zennode"));
            bench.work.write("zennode.ctl", builder.toUtf8());
        }
        Form1 &window = bench.open();
        const Form1Ui &ui = window.ui();
        pick(ui.File8, "x.wad");
        pick(ui.File9, "y.wad");
        const QStringList ignored = {"engine.log", "zennode.log", "GL_WADs", "late.wad"};
        const auto before = snapshot(bench.work.path(), ignored);
        bench.work.write("pwads1/late.wad");

        QTest::mouseClick(ui.Command5, Qt::LeftButton);
        verifyAnswers(window);
        verifyOneMessage(bench.dialogs.messages, named);
        QVERIFY(!bench.dialogs.messages.first().contains("progress 8\n")); // only the last lines
        QCOMPARE(snapshot(bench.work.path(), ignored), before);
        QCOMPARE(ui.File10->names(), goesOn ? QStringList{"y.wad"} : QStringList());
        QCOMPARE(ui.File8->names().contains("late.wad"), goesOn);
    }

    void playerClicksOnWhileTheBuilderHangs()
    {
        Bench bench;
        bench.work.write("pwads1/x.wad", "pwad");
        writeStandInNodeBuilder(bench.work.file("zennode"));
        bench.work.write("zennode.ctl", "SLEEP=2\n");
        Form1 &window = bench.open();
        pick(window.ui().File8, "x.wad");

        bool answered = false;
        QTimer::singleShot(300, &window, [&] {
            verifyAnswers(window);
            answered = !QTest::currentTestFailed();
        });
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(window.ui().Command5, Qt::LeftButton);
        QVERIFY(answered);
        QVERIFY(clock.elapsed() >= 1500);
        QCOMPARE(window.ui().File10->names(), QStringList{"x.wad"});
        QCOMPARE(bench.dialogs.messages, QStringList());
    }

    void hostileNamesAndTextsArePlainCharacters()
    {
        Bench bench;
        const QStringList names = {"a b.wad",        "q\"uote.wad",
                                   "semi;colon.wad", "$(touch pwned).wad",
                                   "-warp.wad",      "`touch pwned`.wad"};
        for (const QString &name : names)
            bench.work.write("pwads1/" + name, "pwad");
        // A name that is no UTF-8 would come back as another name; it is left out.
        const QByteArray latin1Name = QFile::encodeName(bench.pwads1) + "/\xe9t\xe9.wad";
        QVERIFY(::close(::open(latin1Name.constData(), O_CREAT | O_WRONLY, 0644)) == 0);
        Form1 &window = bench.open();
        const Form1Ui &ui = window.ui();
        QCOMPARE(ui.File8->names().size(), names.size());

        pick(ui.File6, "engine");
        ui.Check8->setChecked(true);
        ui.Text2->setText("\"a b\" ; $(touch pwned) `touch pwned` -x");
        const QString log = bench.work.file("engine.log");
        for (const QString &name : names) {
            QFile::remove(log);
            pick(ui.File8, name);
            QTest::mouseClick(ui.Command12, Qt::LeftButton);
            const QStringList arguments = waitForLog(log).mid(1);
            QCOMPARE(arguments, (QStringList{"-file", bench.pwads1 + "/" + name, "\"a", "b\"", ";",
                                             "$(touch", "pwned)", "`touch", "pwned`", "-x"}));
        }
        QVERIFY(!QFileInfo::exists(bench.engines + "/pwned"));
        QVERIFY(!QFileInfo::exists(bench.work.file("pwned")));
        QCOMPARE(bench.dialogs.messages, QStringList());
        verifyAnswers(window);
        ::unlink(latin1Name.constData()); // the temporary folder cannot spell it either
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
