#include "app/FolderList.h"
#include "app/Form1.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// An engine folder, an IWAD folder and an IWAD safe folder with a few files each.
struct Setup
{
    Setup(bool withEngineFolder = true)
    {
        const QString engines = work.mkdir("engines");
        for (const char *name : {"DEMO1.LMP", "MAP01.WAD", "map01.wad", "Map01.Wad"})
            work.write(QStringLiteral("engines/") + name, name);
        work.write("engines/prboom", "#!/bin/sh\n");
        QFile::setPermissions(work.file("engines/prboom"), QFile::ReadOwner | QFile::ExeOwner |
                                                               QFile::ReadGroup | QFile::ExeGroup |
                                                               QFile::ReadOther | QFile::ExeOther);
        work.write("iwads/DOOM2.WAD", "rebuilt IWAD");
        work.write("safe/DOOM2.WAD", "IWAD");
        work.write("GL_WADs/map01.wad", "GL");
        work.write("zel.cfg", settingsRecord({withEngineFolder ? engines : "", work.file("iwads"),
                                              "", "", work.file("safe"), ""}));
        window = openWindow();
    }

    const Form1Ui &ui() const { return window->ui(); }
    FolderList *list(const QString &name) const { return window->findChild<FolderList *>(name); }
    void click(const QString &button) const
    {
        QTest::mouseClick(window->findChild<QPushButton *>(button), Qt::LeftButton);
    }

    WorkFolder work;
    ScriptedDialogs dialogs;
    std::unique_ptr<Form1> window;
};

} // namespace

class TestFileOps : public QObject
{
    Q_OBJECT

private slots:
    void withoutASelectionOnlyDeletesRefresh_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("lateFile");
        QTest::addColumn<bool>("refreshed");
        QTest::newRow("delete GL PWAD") << "Command6"
                                        << "File10"
                                        << "GL_WADs/late.wad" << true;
        QTest::newRow("delete demo") << "Command7"
                                     << "File7"
                                     << "engines/late.lmp" << true;
        QTest::newRow("rec") << "Command16"
                             << "File7"
                             << "engines/late.lmp" << false;
        QTest::newRow("copy IWAD to engines") << "Command17"
                                              << "File6"
                                              << "engines/late.wad" << false;
        QTest::newRow("del engine WAD") << "Command18"
                                        << "File6"
                                        << "engines/late.wad" << true;
        QTest::newRow("copy safe IWAD") << "Command19"
                                        << "File11"
                                        << "iwads/late.wad" << false;
        QTest::newRow("del IWAD") << "Command20"
                                  << "File11"
                                  << "iwads/late.wad" << true;
    }

    void withoutASelectionOnlyDeletesRefresh()
    {
        QFETCH(QString, button);
        QFETCH(QString, list);
        QFETCH(QString, lateFile);
        QFETCH(bool, refreshed);
        Setup s;
        s.ui().Text1->setText("keep");
        const QString late = QFileInfo(lateFile).fileName();
        s.work.write(lateFile);

        s.click(button);

        QCOMPARE(s.list(list)->names().contains(late), refreshed);
        QCOMPARE(s.ui().Text1->text(), QString("keep"));
        QCOMPARE(s.dialogs.messages, QStringList());
        for (const char *kept : {"engines/DEMO1.LMP", "engines/MAP01.WAD", "engines/prboom",
                                 "iwads/DOOM2.WAD", "GL_WADs/map01.wad"})
            QVERIFY(QFileInfo::exists(s.work.file(kept)));
        QVERIFY(!QFileInfo::exists(s.work.file("engines/DOOM2.WAD")));
        QCOMPARE(readAll(s.work.file("iwads/DOOM2.WAD")), QByteArray("rebuilt IWAD"));
    }

    void deletesTheSelectedFile_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("file");
        QTest::newRow("GL PWAD") << "Command6"
                                 << "File10"
                                 << "GL_WADs/map01.wad";
        QTest::newRow("demo") << "Command7"
                              << "File7"
                              << "engines/DEMO1.LMP";
        QTest::newRow("MAP01.WAD") << "Command18"
                                   << "File6"
                                   << "engines/MAP01.WAD";
        QTest::newRow("map01.wad") << "Command18"
                                   << "File6"
                                   << "engines/map01.wad";
        QTest::newRow("Map01.Wad") << "Command18"
                                   << "File6"
                                   << "engines/Map01.Wad";
        QTest::newRow("IWAD") << "Command20"
                              << "File11"
                              << "iwads/DOOM2.WAD";
    }

    void deletesTheSelectedFile()
    {
        QFETCH(QString, button);
        QFETCH(QString, list);
        QFETCH(QString, file);
        Setup s;
        const QString name = QFileInfo(file).fileName();
        QVERIFY(s.list(list)->setFileName(name));
        const QStringList others =
            QStringList(s.list(list)->names())
                .filter(QRegularExpression("^(?!" + QRegularExpression::escape(name) + "$)"));

        s.click(button);

        QVERIFY(!QFileInfo::exists(s.work.file(file)));
        QCOMPARE(s.list(list)->names(), others); // the case-alike names stay
        QCOMPARE(s.list(list)->fileName(), QString());
        QCOMPARE(s.dialogs.messages, QStringList());
    }

    void anEngineIsNotDeletedAndStaysExecutable()
    {
        Setup s;
        const QString engine = s.work.file("engines/prboom");
        QVERIFY(s.ui().File6->setFileName("prboom"));
        s.work.write("engines/late.wad");

        s.click("Command18");

        QCOMPARE(s.dialogs.messages, QStringList{"Only WADs can be deleted."});
        QVERIFY(QFileInfo::exists(engine));
        // Made normal like any selected file: writable by its owner, nothing else taken.
        QCOMPARE(QFileInfo(engine).permissions() & 0x7777,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                     QFile::WriteUser | QFile::ExeUser | QFile::ReadGroup | QFile::ExeGroup |
                     QFile::ReadOther | QFile::ExeOther);
        QVERIFY(s.ui().File6->names().contains("late.wad"));
    }

    void copiesReplaceTheFileOfTheSameName_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("target");
        QTest::newRow("IWAD to engine folder") << "Command17"
                                               << "File11"
                                               << "File6"
                                               << "engines/DOOM2.WAD";
        QTest::newRow("safe IWAD to IWAD folder") << "Command19"
                                                  << "File5"
                                                  << "File11"
                                                  << "iwads/DOOM2.WAD";
    }

    void copiesReplaceTheFileOfTheSameName()
    {
        QFETCH(QString, button);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, target);
        Setup s;
        const QString targetPath = s.work.file(target);
        s.work.write(target, "an older, longer file of that name");
        const QByteArray source = readAll(s.list(from)->path() + "/DOOM2.WAD");
        QVERIFY(s.list(from)->setFileName("DOOM2.WAD"));

        s.click(button);

        QCOMPARE(readAll(targetPath), source);
        QVERIFY(s.list(to)->names().contains("DOOM2.WAD"));
        QCOMPARE(s.dialogs.messages, QStringList());
    }

    void aCopyWithoutATargetFolderWritesNothing()
    {
        Setup s(false);
        QVERIFY(s.ui().File11->setFileName("DOOM2.WAD"));
        s.click("Command17");
        QCOMPARE(s.dialogs.messages.size(), 1);
        QVERIFY2(s.dialogs.messages.first().startsWith("Cannot copy \"" +
                                                       s.work.file("iwads/DOOM2.WAD")),
                 qPrintable(s.dialogs.messages.first()));
        QVERIFY(!QFileInfo::exists("/DOOM2.WAD"));
    }

    void recPutsTheDemosRecordNameAndDropsThePlayback()
    {
        Setup s;
        QVERIFY(s.ui().File7->setFileName("DEMO1.LMP"));
        s.click("Command16");
        QCOMPARE(s.ui().Text1->text(), QString("DEMO1"));
        // The next launch records under that name instead of playing the old demo back.
        QCOMPARE(s.ui().File7->fileName(), QString());
        QVERIFY(QFileInfo::exists(s.work.file("engines/DEMO1.LMP")));
    }
};

QTEST_MAIN(TestFileOps)
#include "tst_fileops.moc"
