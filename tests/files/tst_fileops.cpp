#include "core/files/BusyFiles.h"
#include "files/FileOpsController.h"
#include "lists/FolderList.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <sys/stat.h>

class TestFileOps : public QObject
{
    Q_OBJECT

private slots:
    // On its own controls, paths and held files: a held file is left alone, a free one goes.
    void aControllerOnItsControlsAlone()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        const QString iwad = work.write("iwads/DOOM2.WAD", "IWAD");
        BareControls bare;
        const Form1Ui &ui = bare.ui;
        BusyFiles busy;
        FileOpsController files(FileOpsController::Controls::of(ui), ProgramPaths(work.path()),
                                busy, &bare.widget, nullptr);
        ui.File11->setPath(work.file("iwads"));
        QVERIFY(waitForLists(bare.widget));
        QVERIFY(ui.File11->setFileName("DOOM2.WAD"));

        busy.hold({work.file("iwads/../iwads/DOOM2.WAD")});
        ui.Command20->click();
        QCOMPARE(readAll(iwad), QByteArray("IWAD"));
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages.first().contains("is being built"));

        busy.release();
        ui.Command20->click();
        QVERIFY(!QFileInfo::exists(iwad));
        QVERIFY(waitForLists(bare.widget));
        QCOMPARE(ui.File11->names(), QStringList());
        QCOMPARE(dialogs.messages.size(), 1);
    }

    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("selected");   // list=name, or nothing
        QTest::addColumn<QString>("changed");    // the file deleted, or the copy's "from>to"
        QTest::addColumn<QString>("refreshed");  // the list that shows a file added meanwhile
        QTest::addColumn<QString>("recordName"); // Text1 afterwards; it held "keep"
        // clang-format off
        QTest::newRow("delete GL PWAD, nothing selected") << "Command6" << "" << "" << "File10" << "keep";
        QTest::newRow("delete demo, nothing selected") << "Command7" << "" << "" << "File7" << "keep";
        QTest::newRow("rec, nothing selected") << "Command16" << "" << "" << "" << "keep";
        QTest::newRow("copy IWAD, nothing selected") << "Command17" << "" << "" << "" << "keep";
        QTest::newRow("del engine WAD, nothing selected") << "Command18" << "" << "" << "File6" << "keep";
        QTest::newRow("copy safe IWAD, nothing selected") << "Command19" << "" << "" << "" << "keep";
        QTest::newRow("del IWAD, nothing selected") << "Command20" << "" << "" << "File11" << "keep";
        QTest::newRow("delete GL PWAD") << "Command6" << "File10=map01.wad" << "GL_WADs/map01.wad" << "File10" << "keep";
        QTest::newRow("delete demo") << "Command7" << "File7=DEMO1.LMP" << "engines/DEMO1.LMP" << "File7" << "keep";
        // Beside MAP01.WAD and map01.wad: a name folded either way would hit another file.
        QTest::newRow("del Map01.Wad") << "Command18" << "File6=Map01.Wad" << "engines/Map01.Wad" << "File6" << "keep";
        QTest::newRow("del IWAD") << "Command20" << "File11=DOOM2.WAD" << "iwads/DOOM2.WAD" << "File11" << "keep";
        QTest::newRow("copy IWAD over the engine folder's") << "Command17" << "File11=DOOM2.WAD" << "iwads/DOOM2.WAD>engines/DOOM2.WAD" << "File6" << "keep";
        QTest::newRow("rec") << "Command16" << "File7=DEMO1.LMP" << "" << "File7" << "DEMO1";
        QTest::newRow("copy safe IWAD over the IWAD") << "Command19" << "File5=DOOM2.WAD" << "safe/DOOM2.WAD>iwads/DOOM2.WAD" << "File11" << "keep";
        // clang-format on
    }

    void buttons()
    {
        QFETCH(QString, button);
        QFETCH(QString, selected);
        QFETCH(QString, changed);
        QFETCH(QString, refreshed);
        QFETCH(QString, recordName);
        LaunchBench bench;
        writeWadFiles(bench.work);
        Form1 &window = bench.open();
        act(window, {"Text1=keep"});
        auto *list = window.findChild<FolderList *>(selected.section('=', 0, 0));
        if (list)
            QVERIFY(list->setFileName(selected.section('=', 1)));
        const QStringList late = {"engines/late.wad", "engines/late.lmp", "iwads/late.wad",
                                  "safe/late.wad", "GL_WADs/late.wad"};
        for (const QString &file : late)
            bench.work.write(file);
        auto files = snapshot(bench.work.path(), {"late.wad", "late.lmp"});

        act(window, {button});

        const QString from = changed.section('>', 0, 0), to = changed.section('>', 1);
        if (!to.isEmpty())
            files[to] = files[from];
        else
            files.remove(changed);
        QCOMPARE(snapshot(bench.work.path(), {"late.wad", "late.lmp"}), files);
        for (FolderList *shown : window.findChildren<FolderList *>()) {
            const bool showsLate = !shown->names().filter(QRegularExpression("^late\\.")).isEmpty();
            QVERIFY2(showsLate == (shown->objectName() == refreshed),
                     qPrintable(shown->objectName()));
        }
        if (list)
            QCOMPARE(list->fileName(), to.isEmpty() ? QString() : selected.section('=', 1));
        // "rec" drops the demo it took the name from: the next launch records.
        QCOMPARE(bench.ui().Text1->text(), recordName);
        QCOMPARE(bench.dialogs.messages, QStringList());
    }

    // Write protection (no write bit for anyone, as "chmod a-w" leaves it) counts for root
    // too: the two "del" beside the IWAD and engine lists clear it and delete; the deletes of
    // a GL PWAD or a demo and a copy onto a protected file refuse and change nothing. A
    // program whose name merely ends in "wad" is no WAD.
    void writeProtectedAndLookalikeFiles_data()
    {
        QTest::addColumn<QString>("file"); // made write-protected, or an executable ("+x")
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("message"); // what it must say; a copy's destination if changed
        const QString refused = "write-protected";
        // clang-format off
        QTest::newRow("del IWAD") << "iwads/DOOM2.WAD" << QStringList{"File11=DOOM2.WAD", "Command20"} << true << "";
        QTest::newRow("del engine WAD") << "engines/MAP01.WAD" << QStringList{"File6=MAP01.WAD", "Command18"} << true << "";
        QTest::newRow("delete GL PWAD") << "GL_WADs/map01.wad" << QStringList{"File10=map01.wad", "Command6"} << false << refused;
        QTest::newRow("delete demo") << "engines/DEMO1.LMP" << QStringList{"File7=DEMO1.LMP", "Command7"} << false << refused;
        QTest::newRow("copy IWAD onto a protected one") << "engines/DOOM2.WAD" << QStringList{"File11=DOOM2.WAD", "Command17"} << false << refused;
        QTest::newRow("copy safe IWAD onto a protected one") << "iwads/DOOM2.WAD" << QStringList{"File5=DOOM2.WAD", "Command19"} << false << refused;
        QTest::newRow("copy a protected safe IWAD") << "safe/DOOM2.WAD" << QStringList{"File5=DOOM2.WAD", "Command19"} << true << "iwads/DOOM2.WAD";
        QTest::newRow("a program named like a WAD") << "+xengines/zdoom-wad" << QStringList{"File6=zdoom-wad", "Command18"} << false << "Only WADs can be deleted.";
        // clang-format on
    }

    void writeProtectedAndLookalikeFiles()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, actions);
        QFETCH(bool, changed);
        QFETCH(QString, message);
        LaunchBench bench;
        writeWadFiles(bench.work);
        const bool program = file.startsWith("+x");
        file.remove(0, program ? 2 : 0);
        if (program)
            writeProgram(bench.work.file(file), "#!/bin/sh\n");
        else
            QVERIFY(QFile::setPermissions(bench.work.file(file),
                                          QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const auto before = snapshot(bench.work.path());
        act(bench.open(), actions);
        if (changed) {
            // The protected source of a copy stays; any other file is deleted.
            if (message.isEmpty())
                QVERIFY(!QFileInfo::exists(bench.work.file(file)));
            else
                QCOMPARE(readAll(bench.work.file(message)), readAll(bench.work.file(file)));
            QCOMPARE(bench.dialogs.messages, QStringList());
            return;
        }
        QCOMPARE(snapshot(bench.work.path()), before);
        QCOMPARE(bench.dialogs.messages.size(), 1);
        QVERIFY2(bench.dialogs.messages.first().contains(message) &&
                     (program || bench.dialogs.messages.first().contains(bench.work.file(file))),
                 qPrintable(bench.dialogs.messages.first()));
    }

    // A link is an entry of the folder it lies in: "del" removes the link, and neither an
    // attribute change nor a copy reaches the file it points to.
    void linksAreLeftAlone()
    {
        LaunchBench bench;
        writeWadFiles(bench.work);
        writeStandInNodeBuilder(bench.work.file("zennode"));
        const auto outside = [&](const QString &name) {
            return bench.work.file("outside/" + name);
        };
        QFile::setPermissions(bench.work.write("outside/iwad.wad", "IWAD"), QFile::ReadOwner);
        QFile::setPermissions(bench.work.write("outside/prog", "#!/bin/sh\n"),
                              QFile::ReadOwner | QFile::ExeOwner);
        bench.work.write("outside/keep.wad", "kept");
        QVERIFY(QFile::remove(bench.work.file("engines/DOOM2.WAD")));
        QVERIFY(QFile::link(outside("keep.wad"), bench.work.file("engines/DOOM2.WAD")));
        QVERIFY(QFile::link(outside("iwad.wad"), bench.work.file("iwads/LINKED.WAD")));
        QVERIFY(QFile::link(outside("prog"), bench.work.file("engines/linked")));
        Form1 &window = bench.open();

        act(window,
            {"File11=LINKED.WAD", "Command13", "File11=LINKED.WAD", "Command20", "File6=linked",
             "Command18", "File11=DOOM2.WAD", "Command17", "File6=prboom", "Command18"});
        // "make GL IWAD" would rebuild the file elsewhere in place.
        QCOMPARE(bench.dialogs.messages.size(), 3);
        QVERIFY2(bench.dialogs.messages.first().startsWith(
                     "\"" + bench.iwads + "/LINKED.WAD\" is a link to \"" + outside("iwad.wad")),
                 qPrintable(bench.dialogs.messages.first()));
        QCOMPARE(bench.dialogs.messages.mid(1), QStringList(2, "Only WADs can be deleted."));
        QCOMPARE(readAll(outside("iwad.wad")), QByteArray("IWAD"));
        // An engine that is no link is made normal like any selected file: writable by its
        // owner, nothing else taken.
        QCOMPARE(QFileInfo(bench.work.file("engines/prboom")).permissions() & 0x7777,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                     QFile::WriteUser | QFile::ExeUser | QFile::ReadGroup | QFile::ExeGroup |
                     QFile::ReadOther | QFile::ExeOther);
        QCOMPARE(QFileInfo(outside("iwad.wad")).permissions() & 0x7077, QFile::ReadOwner);
        QVERIFY(!QFileInfo(bench.work.file("iwads/LINKED.WAD")).isSymLink());
        QVERIFY(QFileInfo::exists(outside("iwad.wad")));
        QCOMPARE(QFileInfo(outside("prog")).permissions() & 0x7077,
                 QFile::ReadOwner | QFile::ExeOwner);
        QCOMPARE(readAll(outside("keep.wad")), QByteArray("kept"));
        QVERIFY(!QFileInfo(bench.work.file("engines/DOOM2.WAD")).isSymLink());
        QCOMPARE(readAll(bench.work.file("engines/DOOM2.WAD")), QByteArray("rebuilt IWAD"));
    }

    // Without a folder to copy to the copy would land in the root folder; a safe folder that
    // is the IWAD folder copies the IWAD onto itself, and a set-user-ID bit it had does not
    // pass to the new file, which belongs to whoever runs the launcher.
    void copiesThatCouldLoseData()
    {
        LaunchBench bench;
        writeWadFiles(bench.work);
        bench.work.write("zel.cfg", settingsRecord({"", bench.iwads, "", "", bench.iwads, ""}));
        Form1 &window = bench.open();
        act(window, {"File11=DOOM2.WAD", "Command17"});
        QCOMPARE(bench.dialogs.messages.size(), 1);
        QVERIFY2(bench.dialogs.messages.first().startsWith("Cannot copy \"" + bench.iwads +
                                                           "/DOOM2.WAD"),
                 qPrintable(bench.dialogs.messages.first()));
        QVERIFY(!QFileInfo::exists("/DOOM2.WAD"));

        const QByteArray iwad = QFile::encodeName(bench.iwads + "/DOOM2.WAD");
        QCOMPARE(::chmod(iwad.constData(), 06755), 0);
        act(window, {"File5=DOOM2.WAD", "Command19"});
        QCOMPARE(readAll(bench.iwads + "/DOOM2.WAD"), QByteArray("rebuilt IWAD"));
        struct stat st
        {
        };
        QCOMPARE(::stat(iwad.constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0755));
        QCOMPARE(bench.dialogs.messages.size(), 1);
    }
};

QTEST_MAIN(TestFileOps)
#include "tst_fileops.moc"
