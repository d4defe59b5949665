#include "lists/FolderList.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class TestFileOps : public QObject
{
    Q_OBJECT

private slots:
    // Every button that acts on a selected file, as it goes and as it fails. Write protection
    // (no write bit for anyone, as "chmod a-w" leaves it) counts for root too: the two "del"
    // beside the IWAD and engine lists clear it and delete; the deletes of a GL PWAD or a demo
    // and a copy onto a protected file refuse. A link is an entry of the folder it lies in:
    // "del" removes the link, and neither an attribute change nor a copy reaches the file it
    // points to. A file that is gone at the click is named, and its list read again.
    void buttons_data()
    {
        QTest::addColumn<QStringList>("steps");   // see below
        QTest::addColumn<QStringList>("actions"); // the selection, then the button
        // Deleted, "FROM>TO" copied, ":MODE" its mode now, or "=NAME" the record name now.
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QString>("refreshed"); // the list that shows a file added meanwhile
        QTest::addColumn<QStringList>("named"); // in the one message; %1 the work folder
        // Steps: "PATH:MODE" made with that mode, "PATH>TARGET" a link, "PATH/" a folder there,
        // "cfg:FOLDERS" the settings, in the program folder; once the file is selected, "-PATH"
        // removes it and "|PATH" puts a pipe in its place.
        const QString iwadGone = "\"%1/iwads/DOOM2.WAD\" is gone: ";
        // clang-format off
        QTest::newRow("delete GL PWAD, nothing selected") << QStringList() << QStringList{"Command6"} << "" << "File10" << QStringList();
        QTest::newRow("delete demo, nothing selected") << QStringList() << QStringList{"Command7"} << "" << "File7" << QStringList();
        QTest::newRow("rec, nothing selected") << QStringList() << QStringList{"Command16"} << "" << "" << QStringList();
        QTest::newRow("copy IWAD, nothing selected") << QStringList() << QStringList{"Command17"} << "" << "" << QStringList();
        QTest::newRow("del engine WAD, nothing selected") << QStringList() << QStringList{"Command18"} << "" << "File6" << QStringList();
        QTest::newRow("copy safe IWAD, nothing selected") << QStringList() << QStringList{"Command19"} << "" << "" << QStringList();
        QTest::newRow("del IWAD, nothing selected") << QStringList() << QStringList{"Command20"} << "" << "File11" << QStringList();
        QTest::newRow("delete GL PWAD") << QStringList() << QStringList{"File10:=map01.wad", "Command6"} << "GL_WADs/map01.wad" << "File10" << QStringList();
        QTest::newRow("delete demo") << QStringList() << QStringList{"File7:=DEMO1.LMP", "Command7"} << "engines/DEMO1.LMP" << "File7" << QStringList();
        // Beside MAP01.WAD and map01.wad: a name folded either way would hit another file.
        QTest::newRow("del Map01.Wad") << QStringList() << QStringList{"File6:=Map01.Wad", "Command18"} << "engines/Map01.Wad" << "File6" << QStringList();
        QTest::newRow("del IWAD") << QStringList() << QStringList{"File11:=DOOM2.WAD", "Command20"} << "iwads/DOOM2.WAD" << "File11" << QStringList();
        QTest::newRow("copy IWAD over the engine folder's") << QStringList() << QStringList{"File11:=DOOM2.WAD", "Command17"} << "iwads/DOOM2.WAD>engines/DOOM2.WAD" << "File6" << QStringList();
        // "rec" drops the demo it took the name from: the next launch records.
        QTest::newRow("rec") << QStringList() << QStringList{"File7:=DEMO1.LMP", "Command16"} << "=DEMO1" << "File7" << QStringList();
        // The copy takes the mode of the file it replaces, but a set-user-ID bit: it belongs to
        // whoever runs the launcher.
        QTest::newRow("copy safe IWAD over the IWAD") << QStringList{"iwads/DOOM2.WAD:6755"} << QStringList{"File5:=DOOM2.WAD", "Command19"} << "safe/DOOM2.WAD>iwads/DOOM2.WAD:755" << "File11" << QStringList();
        QTest::newRow("del a write-protected IWAD") << QStringList{"iwads/DOOM2.WAD:444"} << QStringList{"File11:=DOOM2.WAD", "Command20"} << "iwads/DOOM2.WAD" << "File11" << QStringList();
        QTest::newRow("del a write-protected engine WAD") << QStringList{"engines/MAP01.WAD:444"} << QStringList{"File6:=MAP01.WAD", "Command18"} << "engines/MAP01.WAD" << "File6" << QStringList();
        QTest::newRow("delete a write-protected GL PWAD") << QStringList{"GL_WADs/map01.wad:444"} << QStringList{"File10:=map01.wad", "Command6"} << "" << "" << QStringList{"%1/GL_WADs/map01.wad", "write-protected"};
        QTest::newRow("delete a write-protected demo") << QStringList{"engines/DEMO1.LMP:444"} << QStringList{"File7:=DEMO1.LMP", "Command7"} << "" << "" << QStringList{"%1/engines/DEMO1.LMP", "write-protected"};
        QTest::newRow("copy IWAD onto a write-protected one") << QStringList{"engines/DOOM2.WAD:444"} << QStringList{"File11:=DOOM2.WAD", "Command17"} << "" << "" << QStringList{"%1/engines/DOOM2.WAD", "write-protected"};
        QTest::newRow("copy safe IWAD onto a write-protected one") << QStringList{"iwads/DOOM2.WAD:444"} << QStringList{"File5:=DOOM2.WAD", "Command19"} << "" << "" << QStringList{"%1/iwads/DOOM2.WAD", "write-protected"};
        QTest::newRow("copy a write-protected safe IWAD") << QStringList{"safe/DOOM2.WAD:444"} << QStringList{"File5:=DOOM2.WAD", "Command19"} << "safe/DOOM2.WAD>iwads/DOOM2.WAD:644" << "File11" << QStringList();
        QTest::newRow("del a program named like a WAD") << QStringList{"engines/zdoom-wad:755"} << QStringList{"File6:=zdoom-wad", "Command18"} << "" << "File6" << QStringList{"Only WADs can be deleted."};
        // Made normal like any selected file: writable by its owner, nothing else taken.
        QTest::newRow("del a program") << QStringList() << QStringList{"File6:=prboom", "Command18"} << "engines/prboom:755" << "File6" << QStringList{"Only WADs can be deleted."};
        QTest::newRow("del a link to a program") << QStringList{"outside/prog:500", "engines/linked>outside/prog"} << QStringList{"File6:=linked", "Command18"} << "" << "File6" << QStringList{"Only WADs can be deleted."};
        QTest::newRow("del a link to an IWAD") << QStringList{"outside/iwad.wad:400", "iwads/LINKED.WAD>outside/iwad.wad"} << QStringList{"File11:=LINKED.WAD", "Command20"} << "iwads/LINKED.WAD" << "File11" << QStringList();
        // It would rebuild the file elsewhere in place.
        QTest::newRow("make GL IWAD of a link") << QStringList{"outside/iwad.wad:400", "iwads/LINKED.WAD>outside/iwad.wad"} << QStringList{"File11:=LINKED.WAD", "Command13"} << "" << "" << QStringList{"\"%1/iwads/LINKED.WAD\" is a link to \"%1/outside/iwad.wad"};
        QTest::newRow("copy onto a link") << QStringList{"engines/DOOM2.WAD>outside/keep.wad"} << QStringList{"File11:=DOOM2.WAD", "Command17"} << "iwads/DOOM2.WAD>engines/DOOM2.WAD" << "File6" << QStringList();
        QTest::newRow("copy onto a folder") << QStringList{"engines/DOOM2.WAD/"} << QStringList{"File11:=DOOM2.WAD", "Command17"} << "" << "" << QStringList{"%1/engines/DOOM2.WAD"};
        // Without a folder to copy to the copy would land in the root folder.
        QTest::newRow("copy IWAD without an engine folder") << QStringList{"cfg:,iwads,pwads1,pwads2,safe"} << QStringList{"File11:=DOOM2.WAD", "Command17"} << "" << "" << QStringList{"Cannot copy \"%1/iwads/DOOM2.WAD"};
        // The IWAD Safe folder under the IWAD folder's name, or the same name: nothing changes,
        // not even which entry holds the file.
        QTest::newRow("copy safe IWAD onto itself") << QStringList{"cfg:engines,iwads,pwads1,pwads2,iwads", "iwads/DOOM2.WAD:6755"} << QStringList{"File5:=DOOM2.WAD", "Command19"} << "" << "" << QStringList{"\"%1/iwads/DOOM2.WAD\" would be copied onto itself: nothing was copied."};
        QTest::newRow("copy safe IWAD onto itself through a link") << QStringList{"iwlink>safe", "cfg:engines,iwlink,pwads1,pwads2,safe"} << QStringList{"File5:=DOOM2.WAD", "Command19"} << "" << "" << QStringList{"\"%1/safe/DOOM2.WAD\" and \"%1/iwlink/DOOM2.WAD\" are one file"};
        // A relative folder is one in the program folder, not in the engine's.
        QTest::newRow("del IWAD of a relative folder") << QStringList{"cfg:engines,iwads,pwads1,pwads2,safe", "engines/iwads/DOOM2.WAD:644"} << QStringList{"File11:=DOOM2.WAD", "Command20"} << "iwads/DOOM2.WAD" << "File11" << QStringList();
        // The IWAD Safe folder's originals, reached through another folder's name, stay.
        QTest::newRow("del an IWAD Safe original") << QStringList{"iwlink>safe", "cfg:engines,iwlink,pwads1,pwads2,safe"} << QStringList{"File11:=DOOM2.WAD", "Command20"} << "" << "" << QStringList{"\"%1/iwlink/DOOM2.WAD\" is the original \"%1/safe/DOOM2.WAD\"", "\"del\" does not delete it"};
        QTest::newRow("copy IWAD over an IWAD Safe original") << QStringList{"englink>safe", "cfg:englink,iwads,pwads1,pwads2,safe"} << QStringList{"File11:=DOOM2.WAD", "Command17"} << "" << "" << QStringList{"\"%1/englink/DOOM2.WAD\" is the original \"%1/safe/DOOM2.WAD\"", "\"copy\" does not write over it"};
        QTest::newRow("copy IWAD, source gone") << QStringList{"-iwads/DOOM2.WAD"} << QStringList{"File11:=DOOM2.WAD", "Command17"} << "" << "File11" << QStringList{iwadGone + "nothing was copied."};
        QTest::newRow("copy safe IWAD, source gone") << QStringList{"-safe/DOOM2.WAD"} << QStringList{"File5:=DOOM2.WAD", "Command19"} << "" << "File5" << QStringList{"\"%1/safe/DOOM2.WAD\" is gone: nothing was copied."};
        QTest::newRow("copy safe IWAD, now a pipe") << QStringList{"|safe/DOOM2.WAD"} << QStringList{"File5:=DOOM2.WAD", "Command19"} << "" << "" << QStringList{"Cannot copy \"%1/safe/DOOM2.WAD\"", "not a regular file"};
        QTest::newRow("delete GL PWAD, gone") << QStringList{"-GL_WADs/map01.wad"} << QStringList{"File10:=map01.wad", "Command6"} << "" << "File10" << QStringList{"\"%1/GL_WADs/map01.wad\" is gone: nothing was deleted."};
        QTest::newRow("delete demo, gone") << QStringList{"-engines/DEMO1.LMP"} << QStringList{"File7:=DEMO1.LMP", "Command7"} << "" << "File7" << QStringList{"\"%1/engines/DEMO1.LMP\" is gone: nothing was deleted."};
        QTest::newRow("rec, demo gone") << QStringList{"-engines/DEMO1.LMP"} << QStringList{"File7:=DEMO1.LMP", "Command16"} << "" << "File7" << QStringList{"\"%1/engines/DEMO1.LMP\" is gone: the record name stays as it was."};
        QTest::newRow("del engine WAD, gone") << QStringList{"-engines/MAP01.WAD"} << QStringList{"File6:=MAP01.WAD", "Command18"} << "" << "File6" << QStringList{"\"%1/engines/MAP01.WAD\" is gone: nothing was deleted."};
        QTest::newRow("del IWAD, gone") << QStringList{"-iwads/DOOM2.WAD"} << QStringList{"File11:=DOOM2.WAD", "Command20"} << "" << "File11" << QStringList{iwadGone + "nothing was deleted."};
        QTest::newRow("make GL IWAD, gone") << QStringList{"-iwads/DOOM2.WAD"} << QStringList{"File11:=DOOM2.WAD", "Command13"} << "" << "File11" << QStringList{iwadGone + "nothing was rebuilt."};
        QTest::newRow("make GL PWAD, gone") << QStringList{"-pwads1/x.wad"} << QStringList{"File8:=x.wad", "Command5"} << "" << "File8" << QStringList{"\"%1/pwads1/x.wad\" is gone: nothing was built."};
        // clang-format on
    }

    void buttons()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, actions);
        QFETCH(QString, changed);
        QFETCH(QString, refreshed);
        QFETCH(QStringList, named);
        LaunchBench bench;
        writeWadFiles(bench.work);
        writeStandInNodeBuilder(bench.work.file("zennode"));
        const auto mode = [](const QString &path) {
            struct stat st
            {
            };
            return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
        };
        for (const QString &step : steps) {
            const QString path = bench.work.file(step.section(QRegularExpression("[:>]|/$"), 0, 0));
            if (step.startsWith("cfg:")) {
                bench.work.write("zel.cfg", settingsRecord(step.mid(4).split(',') << ""));
            } else if (step.endsWith('/')) {
                QVERIFY(QFile::remove(path) && QDir().mkdir(path));
            } else if (step.contains(':')) {
                if (!QFileInfo::exists(path))
                    bench.work.write(step.section(':', 0, 0), "#!/bin/sh\n");
                QCOMPARE(::chmod(QFile::encodeName(path), step.section(':', 1).toUInt(nullptr, 8)),
                         0);
            } else if (step.contains('>')) {
                QFile::remove(path);
                QVERIFY(QFile::link(bench.work.file(step.section('>', 1)), path));
            }
        }
        Form1 &window = bench.open();
        act(window, QStringList{"Text1=keep"} + actions.mid(0, actions.size() - 1));
        const QString selected = actions.value(actions.size() - 2).section('=', 1);
        auto *list =
            window.findChild<FolderList *>(actions.value(actions.size() - 2).section(':', 0, 0));
        // A writer comes by later: a copy waiting on the pipe would then copy nothing.
        std::thread writer;
        const auto joinWriter = qScopeGuard([&] {
            if (writer.joinable())
                writer.join();
        });
        for (const QString &step : steps) {
            const QByteArray path = QFile::encodeName(bench.work.file(step.mid(1)));
            if (step.startsWith('-') || step.startsWith('|'))
                QVERIFY(QFile::remove(bench.work.file(step.mid(1))));
            if (step.startsWith('|')) {
                QCOMPARE(::mkfifo(path.constData(), 0644), 0);
                writer = std::thread([path] {
                    QThread::msleep(1000);
                    ::close(::open(path.constData(), O_WRONLY | O_NONBLOCK));
                });
            }
        }
        const QStringList late = {"engines/late.wad", "engines/late.lmp", "iwads/late.wad",
                                  "safe/late.wad",    "GL_WADs/late.wad", "pwads1/late.wad"};
        for (const QString &file : late)
            bench.work.write(file);
        auto files = snapshot(bench.work.path(), {"late.wad", "late.lmp"});

        act(window, {actions.last()});

        const auto after = snapshot(bench.work.path(), {"late.wad", "late.lmp"});
        const QString from = changed.section(QRegularExpression("[>:]"), 0, 0),
                      to = changed.section(':', 0, 0).section('>', -1);
        if (changed.contains('>'))
            files[to] = files[from];
        else if (!changed.contains(':') && !changed.startsWith('='))
            files.remove(changed);
        if (changed.contains(':')) { // the mode is looked at here, the content below
            QCOMPARE(mode(bench.work.file(to)), changed.section(':', 1).toUInt(nullptr, 8));
            files[to] = after.value(to).split(' ').first() + ' ' + files[to].split(' ').last();
        }
        QCOMPARE(after, files);
        for (FolderList *shown : window.findChildren<FolderList *>()) {
            const bool showsLate = !shown->names().filter(QRegularExpression("^late\\.")).isEmpty();
            QVERIFY2(showsLate == (shown->objectName() == refreshed),
                     qPrintable(shown->objectName()));
        }
        if (named.isEmpty())
            QCOMPARE(bench.dialogs.messages, QStringList());
        else
            verifyOneMessage(bench.dialogs.messages,
                             named.replaceInStrings("%1", bench.work.path()));
        // A list holds its folder whole. A selection stays while its file is there; "rec" drops
        // the demo it took the name from.
        const QString recordName = changed.startsWith('=') ? changed.mid(1) : "keep";
        QVERIFY(!list || QDir::isAbsolutePath(list->path()));
        if (list)
            QCOMPARE(list->fileName(),
                     QFileInfo::exists(list->path() + "/" + selected) && recordName == "keep"
                         ? selected
                         : QString());
        QCOMPARE(bench.ui().Text1->text(), recordName);
        QVERIFY(!QFileInfo::exists("/DOOM2.WAD"));
        verifyAnswers(window);
    }
};

QTEST_MAIN(TestFileOps)
#include "tst_fileops.moc"
