#include "app/Controls.h"
#include "app/FolderList.h"
#include "app/Form1.h"
#include "support/TestSupport.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void firstStartCreatesGlWadsAndWritesNothing()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        auto window = openWindow();
        const Form1Ui &ui = window->ui();

        QVERIFY(QFileInfo(work.file("GL_WADs")).isDir());
        QCOMPARE(window->programFolder(), work.path());
        QCOMPARE(ui.File10->path(), work.path() + "/GL_WADs");
        QCOMPARE(ui.Label10->toolTip(), work.path() + "/GL_WADs");
        for (FolderList *list : {ui.File5, ui.File6, ui.File7, ui.File8, ui.File9, ui.File11}) {
            QCOMPARE(list->path(), QString());
            QVERIFY(list->names().isEmpty());
        }
        QCOMPARE(ui.Text6->toPlainText(), QString("Gravemill"));
        QVERIFY(!QFileInfo::exists(work.file("zel.cfg")));
        QCOMPARE(dialogs.messages, QStringList());
        QCOMPARE(QApplication::focusWidget(), ui.Command12);
    }

    void startUpShowsTheSavedFolders()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        const QString engines = work.mkdir("engines") + "/";
        work.write("engines/doom.exe");
        work.write("engines/demo1.lmp");
        const QString iwads = work.mkdir("iwads");
        work.write("iwads/DOOM2.WAD");
        work.write("zel.cfg", settingsRecord({engines, iwads, "", "", "", "line one\r\nline two"}));

        auto window = openWindow();
        const Form1Ui &ui = window->ui();
        QCOMPARE(ui.File6->names(), QStringList{"doom.exe"});
        QCOMPARE(ui.File7->path(), engines);
        QCOMPARE(ui.File7->names(), QStringList{"demo1.lmp"});
        QCOMPARE(ui.File11->names(), QStringList{"DOOM2.WAD"});
        for (ClickableLabel *label : {ui.Label6, ui.Label7, ui.Label12})
            QCOMPARE(label->toolTip(), engines);
        QCOMPARE(ui.Label11->toolTip(), iwads);
        QCOMPARE(ui.Text6->toPlainText(), QString("line one\nline two"));
        QCOMPARE(dialogs.messages, QStringList());
    }

    void settingsFileInOtherLetterCaseIsNotRead()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        work.write("ZEL.CFG", settingsRecord({work.path(), "", "", "", "", "other"}));
        auto window = openWindow();
        QCOMPARE(window->ui().File6->path(), QString());
        QCOMPARE(window->ui().Text6->toPlainText(), QString("Gravemill"));
    }

    void storeSavesNotesAndFolders()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        const QString pwads = work.mkdir("pw ads, 1") + "/";
        work.write("zel.cfg", settingsRecord({"", "", pwads, "", "", "old"}));
        auto window = openWindow();
        const Form1Ui &ui = window->ui();

        ui.Text6->setPlainText("say \"hi\"\nbye");
        QTest::mouseClick(ui.Command1, Qt::LeftButton);
        QCOMPARE(readAll(work.file("zel.cfg")),
                 settingsRecord({"", "", pwads, "", "", "say \"\"hi\"\"\r\nbye"}));
        QCOMPARE(ui.Text6->toPlainText(), QString("say \"hi\"\nbye"));
        QCOMPARE(dialogs.messages, QStringList());
    }

    void configButtonsSetAndSaveTheFolder()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        const QString engines = work.mkdir("engines");
        work.write("engines/prboom");
        work.write("engines/old.lmp");
        auto window = openWindow();
        const Form1Ui &ui = window->ui();

        dialogs.fileAnswers << engines + "/prboom";
        QTest::mouseClick(ui.Command21, Qt::LeftButton);
        QCOMPARE(dialogs.openRequests, QStringList{"Game-Engine|Program-EXE|*"});
        QCOMPARE(ui.File6->path(), engines + "/");
        QCOMPARE(ui.Label6->toolTip(), engines + "/");
        QCOMPARE(ui.File7->path(), engines + "/"); // the demo list follows after the save
        QCOMPARE(ui.File7->names(), QStringList{"old.lmp"});
        QVERIFY(readAll(work.file("zel.cfg")).startsWith("\"" + engines.toUtf8() + "/\","));

        // A file in the root folder gives the root folder.
        dialogs.fileAnswers << "/tmp";
        QTest::mouseClick(ui.Command23, Qt::LeftButton);
        QCOMPARE(ui.File11->path(), QString("/"));
        QCOMPARE(dialogs.openRequests.last(), QString("IWAD|IWAD Folder|*.wad"));

        // Cancel leaves the list and the file as they were.
        const QByteArray saved = readAll(work.file("zel.cfg"));
        ui.Text6->setPlainText("typed, not stored");
        QTest::mouseClick(ui.Command24, Qt::LeftButton);
        QCOMPARE(dialogs.openRequests.last(), QString("PWAD Folder 1|Patch WADs|*.wad"));
        QCOMPARE(ui.File11->path(), QString("/"));
        QCOMPARE(readAll(work.file("zel.cfg")), saved);
        QCOMPARE(dialogs.messages, QStringList());
    }

    void headingLabelsClearAndRefresh()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        const QString pwads = work.mkdir("pwads") + "/";
        const QString engines = work.mkdir("engines") + "/";
        work.write("pwads/a.wad");
        work.write("engines/doom.exe");
        work.write("zel.cfg", settingsRecord({engines, "", pwads, "", "", ""}));
        auto window = openWindow();
        const Form1Ui &ui = window->ui();

        QVERIFY(ui.File8->setFileName("a.wad"));
        QVERIFY(ui.File6->setFileName("doom.exe"));
        work.write("pwads/b.wad");
        work.write("engines/boom.exe");

        // " refresh folder view" shows new files and keeps every selection.
        QTest::mouseClick(ui.Command15, Qt::LeftButton);
        QCOMPARE(ui.File8->names(), (QStringList{"a.wad", "b.wad"}));
        QCOMPARE(ui.File8->fileName(), QString("a.wad"));
        QCOMPARE(ui.File6->names(), (QStringList{"boom.exe", "doom.exe"}));
        QCOMPARE(ui.File6->fileName(), QString("doom.exe"));

        // "PWAD 1" drops the selection; "Game Engine" keeps it.
        QTest::mouseClick(ui.Label8, Qt::LeftButton);
        QCOMPARE(ui.File8->fileName(), QString());
        QFile::remove(work.file("engines/boom.exe"));
        QTest::mouseClick(ui.Label6, Qt::LeftButton);
        QCOMPARE(ui.File6->names(), QStringList{"doom.exe"});
        QCOMPARE(ui.File6->fileName(), QString("doom.exe"));

        // A selected file that went away leaves no selection behind.
        QFile::remove(work.file("engines/doom.exe"));
        QTest::mouseClick(ui.Label6, Qt::LeftButton);
        QCOMPARE(ui.File6->fileName(), QString());
        QVERIFY(!QFileInfo::exists(work.file("zel.cfg.bak")));
    }

    void listsFollowTheirFoldersWithoutAClick()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        const QString engines = work.mkdir("engines") + "/";
        work.write("engines/doom.exe");
        work.write("zel.cfg", settingsRecord({engines, "", "", "", "", ""}));
        auto window = openWindow();
        const Form1Ui &ui = window->ui();
        QVERIFY(ui.File6->setFileName("doom.exe"));

        // A demo the engine just recorded shows; the engine stays selected.
        work.write("engines/new.lmp");
        work.write("engines/boom.exe");
        QTRY_COMPARE(ui.File7->names(), QStringList{"new.lmp"});
        QTRY_COMPARE(ui.File6->names(), (QStringList{"boom.exe", "doom.exe"}));
        QCOMPARE(ui.File6->fileName(), QString("doom.exe"));

        QFile::remove(work.file("engines/doom.exe"));
        QTRY_COMPARE(ui.File6->names(), QStringList{"boom.exe"});
        QCOMPARE(ui.File6->fileName(), QString());

        // A folder that went away and came back is followed again.
        QVERIFY(QDir(engines).removeRecursively());
        QTRY_VERIFY(ui.File7->names().isEmpty());
        work.write("engines/back.lmp");
        QTest::mouseClick(ui.Command15, Qt::LeftButton);
        QCOMPARE(ui.File7->names(), QStringList{"back.lmp"});
        work.write("engines/later.lmp");
        QTRY_COMPARE(ui.File7->names(), (QStringList{"back.lmp", "later.lmp"}));
        QCOMPARE(dialogs.messages, QStringList());
    }

    void bandOfCheck8TogglesButTheBoxInFrontDoesNot()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        auto window = openWindow();
        const Form1Ui &ui = window->ui();
        QCheckBox *band = ui.Check8;

        // The strip below the text box belongs to the band.
        const QPoint strip(ui.Text2->geometry().center().x() - band->x(), band->height() - 2);
        QTest::mouseClick(band, Qt::LeftButton, {}, strip);
        QVERIFY(band->isChecked());
        QTest::mouseClick(ui.Text2, Qt::LeftButton);
        QVERIFY(band->isChecked());
        QCOMPARE(ui.Text2->text(), QString("-"));
        QTest::mouseClick(band, Qt::LeftButton, {}, QPoint(3, band->height() / 2));
        QVERIFY(!band->isChecked());
    }

    void spaceOnTheFocusedPlayButtonClicksIt()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        auto window = openWindow();
        QSignalSpy clicks(window->ui().Command12, &QPushButton::clicked);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(clicks.count(), 1);
    }

    void everyControlHasAnAccessibleName()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        auto window = openWindow();
        const QList<QWidget *> controls = window->findChildren<QWidget *>(
            QRegularExpression("^(File|Text|Check|Option|Command|Label|Frame|Image|Drive)\\d+$"));
        QCOMPARE(controls.size(), 73);
        for (QWidget *control : controls) {
            QAccessibleInterface *a11y = QAccessible::queryAccessibleInterface(control);
            QVERIFY(a11y);
            QVERIFY2(!a11y->text(QAccessible::Name).trimmed().isEmpty(),
                     qPrintable(control->objectName()));
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(window->ui().File6)->text(QAccessible::Name),
                 QString("Game Engine"));
    }

    void exitClosesTheWindowWithoutSaving()
    {
        WorkFolder work;
        ScriptedDialogs dialogs;
        auto window = openWindow();
        window->ui().Text6->setPlainText("never stored");
        QTest::mouseClick(window->ui().Command10, Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QVERIFY(!QFileInfo::exists(work.file("zel.cfg")));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
