#include "controls/Controls.h"
#include "lists/FolderList.h"
#include "support/TestSupport.h"

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QTextBlock>

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    // A settings file in other letters is no settings file here: this is a first start.
    void firstStartOpensTheWindowAsDesignedAndWritesNothing()
    {
        Bench bench;
        bench.work.write("ZEL.CFG", settingsRecord({bench.work.path(), "", "", "", "", "other"}));
        Form1 &window = bench.open();
        const Form1Ui &ui = window.ui();

        QVERIFY(QFileInfo(bench.work.file("GL_WADs")).isDir());
        QCOMPARE(window.paths().programFolder(), bench.work.path());
        QCOMPARE(ui.File10->path(), bench.work.path() + "/GL_WADs");
        QCOMPARE(ui.Label10->toolTip(), bench.work.path() + "/GL_WADs");
        for (FolderList *list : {ui.File5, ui.File6, ui.File7, ui.File8, ui.File9, ui.File11}) {
            QCOMPARE(list->path(), QString());
            QVERIFY(list->names().isEmpty());
        }
        QCOMPARE(ui.Text6->toPlainText(), QString("Gravemill"));
        QCOMPARE(bench.dialogs.messages, QStringList());

        // "play" has the focus, so Space clicks it.
        QCOMPARE(QApplication::focusWidget(), ui.Command12);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(bench.dialogs.messages, QStringList{"No Game Engine Selected!"});
        // Tab leaves the notes box for "store" and back, typing nothing into the notes.
        ui.Text6->setFocus();
        QTest::keyClick(ui.Text6, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), ui.Command1);
        QTest::keyClick(ui.Command1, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), ui.Text6);
        QTest::keyClick(ui.Text6, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), ui.Command21);
        QCOMPARE(ui.Text6->toPlainText(), QString("Gravemill"));

        // The strip of Check8's band below the text box toggles it; the box in front does not.
        QCheckBox *band = ui.Check8;
        const QPoint strip(ui.Text2->geometry().center().x() - band->x(), band->height() - 2);
        QTest::mouseClick(band, Qt::LeftButton, {}, strip);
        QVERIFY(band->isChecked());
        QTest::mouseClick(ui.Text2, Qt::LeftButton);
        QVERIFY(band->isChecked());
        QCOMPARE(ui.Text2->text(), QString("-"));
        QTest::mouseClick(band, Qt::LeftButton, {}, QPoint(3, band->height() / 2));
        QVERIFY(!band->isChecked());

        const QList<QWidget *> controls = window.findChildren<QWidget *>(
            QRegularExpression("^(File|Text|Check|Option|Command|Label|Frame|Image|Drive)\\d+$"));
        for (QWidget *control : controls) {
            QAccessibleInterface *a11y = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(a11y && !a11y->text(QAccessible::Name).trimmed().isEmpty(),
                     qPrintable(control->objectName()));
        }
        // Captions are whole in whatever face stands in for the designed one.
        for (QLabel *label : window.findChildren<QLabel *>(QRegularExpression("^Label\\d+$")))
            QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));

        // "exit" saves nothing.
        act(window, {"Text6=never stored", "Command10"});
        QVERIFY(!window.isVisible());
        QVERIFY(!QFileInfo::exists(bench.work.file("zel.cfg")));
    }

    // The design fixes every background, so a dark desktop must not bring its light text:
    // the window looks the same as on a light one, pixel for pixel.
    void looksTheSameOnADarkDesktop()
    {
        LaunchBench bench;
        writeWadFiles(bench.work);
        bench.work.write("pwads1/a.wad");
        const auto look = [&] {
            Form1 &window = bench.open();
            act(window, {"File6:=prboom", "File8:=a.wad", "Option3", "Check2"});
            return window.grab().toImage();
        };
        const QImage light = look();

        const QPalette desktop = QApplication::palette();
        const auto restore = qScopeGuard([&] { QApplication::setPalette(desktop); });
        QPalette dark(QColor(48, 48, 48)); // light text on dark grounds in every role
        dark.setColor(QPalette::Highlight, QColor(21, 83, 158));
        dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
        QApplication::setPalette(dark);
        const QImage shown = look();

        QCOMPARE(shown.size(), light.size());
        for (int at = 0; at < light.width() * light.height(); ++at) {
            const QPoint p(at % light.width(), at / light.width());
            if (shown.pixel(p) != light.pixel(p)) {
                const QWidget *control = bench.window->childAt(p);
                QFAIL(qPrintable(QString("differs at %1,%2 in %3")
                                     .arg(p.x())
                                     .arg(p.y())
                                     .arg(control ? control->objectName() : "Form1")));
            }
        }
    }

    // A long line of notes opens at once, takes keys at once, and stays one line through
    // editing, the clipboard and "store".
    void longNotesStayOneLine()
    {
        Bench bench;
        QString line; // nowhere to wrap
        while (line.size() < 256 * 1024)
            line += "0123456789abcdef";
        bench.work.write("zel.cfg", settingsRecord({"", "", "", "", "", line + "\r\nend"}));
        QElapsedTimer clock;
        clock.start();
        Form1 &window = bench.open();
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        NotesBox *notes = window.ui().Text6;
        QCOMPARE(notes->toPlainText().remove('\n'), line + "end");
        // What "store" writes.
        const auto stored = [&] {
            act(window, {"Command1"});
            QByteArray text = readAll(bench.work.file("zel.cfg")).mid(16);
            text.chop(3);
            return QString::fromUtf8(text).replace("\r\n", "\n");
        };
        QCOMPARE(stored(), line + "\nend");

        // Return where the box broke the line on its own starts a line there; a key is quick.
        notes->setFocus();
        const int boundary = notes->document()->firstBlock().next().position();
        const int head = int(notes->toPlainText().indexOf('\n'));
        QTextCursor cursor(notes->document());
        cursor.setPosition(boundary);
        notes->setTextCursor(cursor);
        clock.restart();
        QTest::keyClick(notes, Qt::Key_Return);
        QTest::keyClick(notes, Qt::Key_A);
        notes->repaint();
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(notes->notes(), line.left(head) + "\r\na" + line.mid(head) + "\r\nend");
        QTest::keyClick(notes, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(notes, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(notes->notes(), line + "\r\nend");

        // Across such a break: cut, undo, Backspace, copy and paste, each whole.
        cursor.setPosition(boundary - 3);
        cursor.setPosition(boundary + 3, QTextCursor::KeepAnchor);
        notes->setTextCursor(cursor);
        QTest::keyClick(notes, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), line.mid(head - 2, 5));
        QCOMPARE(notes->notes(), line.left(head - 2) + line.mid(head + 3) + "\r\nend");
        QTest::keyClick(notes, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(notes->notes(), line + "\r\nend");
        cursor.setPosition(boundary);
        notes->setTextCursor(cursor);
        QTest::keyClick(notes, Qt::Key_Backspace);
        QCOMPARE(notes->notes(), line.left(head - 1) + line.mid(head) + "\r\nend");
        QTest::keyClick(notes, Qt::Key_Z, Qt::ControlModifier);
        QApplication::clipboard()->setText(line);
        notes->moveCursor(QTextCursor::End);
        clock.restart();
        QTest::keyClick(notes, Qt::Key_V, Qt::ControlModifier);
        notes->repaint();
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(stored(), line + "\nend" + line);
    }

    void savedFoldersShowStoreAndRefresh()
    {
        Bench bench;
        for (const char *file :
             {"engines/doom.exe", "engines/demo1.lmp", "iwads/DOOM2.WAD", "pw ads, 1/a.wad"})
            bench.work.write(file);
        const QString engines = bench.work.file("engines/"), iwads = bench.work.file("iwads"),
                      pwads = bench.work.file("pw ads, 1/");
        bench.work.write("zel.cfg",
                         settingsRecord({engines, iwads, pwads, "", "", "line one\r\nline two"}));

        Form1 &window = bench.open();
        const Form1Ui &ui = window.ui();
        QCOMPARE(ui.File6->names(), QStringList{"doom.exe"});
        QCOMPARE(ui.File7->path(), engines);
        QCOMPARE(ui.File7->names(), QStringList{"demo1.lmp"});
        QCOMPARE(ui.File11->names(), QStringList{"DOOM2.WAD"});
        for (ClickableLabel *label : {ui.Label6, ui.Label7, ui.Label12})
            QCOMPARE(label->toolTip(), engines);
        QCOMPARE(ui.Label11->toolTip(), iwads);
        QCOMPARE(ui.Text6->toPlainText(), QString("line one\nline two"));

        // A quote and a no-break space come back as typed.
        act(window, {"Text6=say \"hi\"\nbye\u00A0now", "Command1"});
        QCOMPARE(readAll(bench.work.file("zel.cfg")),
                 settingsRecord({engines, iwads, pwads, "", "", "say \"\"hi\"\"\r\nbye\u00A0now"}));
        QCOMPARE(ui.Text6->notes(), QString("say \"hi\"\r\nbye\u00A0now"));

        // " refresh folder view" shows new files and keeps every selection.
        QVERIFY(ui.File8->setFileName("a.wad"));
        QVERIFY(ui.File6->setFileName("doom.exe"));
        bench.work.write("pw ads, 1/b.wad");
        bench.work.write("engines/boom.exe");
        act(window, {"Command15"});
        QCOMPARE(ui.File8->names(), (QStringList{"a.wad", "b.wad"}));
        QCOMPARE(ui.File8->fileName(), QString("a.wad"));
        QCOMPARE(ui.File6->names(), (QStringList{"boom.exe", "doom.exe"}));
        QCOMPARE(ui.File6->fileName(), QString("doom.exe"));

        // "PWAD 1" drops the selection; "Game Engine" keeps it while its file is there.
        act(window, {"Label8"});
        QCOMPARE(ui.File8->fileName(), QString());
        QFile::remove(bench.work.file("engines/boom.exe"));
        act(window, {"Label6"});
        QCOMPARE(ui.File6->names(), QStringList{"doom.exe"});
        QCOMPARE(ui.File6->fileName(), QString("doom.exe"));
        QFile::remove(bench.work.file("engines/doom.exe"));
        act(window, {"Label6"});
        QCOMPARE(ui.File6->fileName(), QString());
        QCOMPARE(bench.dialogs.messages, QStringList());
    }

    void configButtonsSetAndSaveTheFolder()
    {
        Bench bench;
        const QString engines = bench.work.mkdir("engines");
        bench.work.write("engines/prboom");
        bench.work.write("engines/old.lmp");
        Form1 &window = bench.open();
        const Form1Ui &ui = window.ui();

        bench.dialogs.fileAnswers << engines + "/prboom";
        act(window, {"Command21"});
        QCOMPARE(bench.dialogs.openRequests, QStringList{"Game-Engine|Program-EXE|*"});
        QCOMPARE(ui.File6->path(), engines + "/");
        QCOMPARE(ui.Label6->toolTip(), engines + "/");
        QCOMPARE(ui.File7->path(), engines + "/"); // the demo list follows after the save
        QCOMPARE(ui.File7->names(), QStringList{"old.lmp"});
        QVERIFY(readAll(bench.work.file("zel.cfg")).startsWith("\"" + engines.toUtf8() + "/\","));

        // A file in the root folder gives the root folder.
        bench.dialogs.fileAnswers << "/tmp";
        act(window, {"Command23"});
        QCOMPARE(ui.File11->path(), QString("/"));

        // Cancel keeps every folder, and saves as a choice does: notes typed meanwhile too.
        const QByteArray saved = readAll(bench.work.file("zel.cfg"));
        act(window, {"Text6=typed, then cancelled", "Command24"});
        QCOMPARE(ui.File11->path(), QString("/"));
        QCOMPARE(ui.File8->path(), QString());
        QCOMPARE(readAll(bench.work.file("zel.cfg")),
                 QByteArray(saved).replace("Gravemill", "typed, then cancelled"));
        QCOMPARE(ui.Label8->toolTip(), QString());
        QCOMPARE(bench.dialogs.messages, QStringList());
    }

    void listsFollowTheirFoldersWithoutAClick()
    {
        LaunchBench bench;
        bench.work.write("engines/doom.exe");
        Form1 &window = bench.open();
        const Form1Ui &ui = window.ui();
        QVERIFY(ui.File6->setFileName("doom.exe"));

        // A demo the engine just recorded shows; the engine stays selected.
        bench.work.write("engines/new.lmp");
        bench.work.write("engines/boom.exe");
        QTRY_COMPARE(ui.File7->names(), QStringList{"new.lmp"});
        QTRY_COMPARE(ui.File6->names(), (QStringList{"boom.exe", "doom.exe"}));
        QCOMPARE(ui.File6->fileName(), QString("doom.exe"));

        QFile::remove(bench.work.file("engines/doom.exe"));
        QTRY_COMPARE(ui.File6->names(), QStringList{"boom.exe"});
        QCOMPARE(ui.File6->fileName(), QString());
        QCOMPARE(bench.dialogs.messages, QStringList());
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
