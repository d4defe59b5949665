#include "app/FolderList.h"
#include "app/Form1.h"
#include "support/LaunchBench.h"

#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

struct Setup
{
    Setup(const QByteArray &control = {}, bool withBuilder = true)
    {
        pwads1 = work.mkdir("pw ads 1");
        pwads2 = work.mkdir("pwads2");
        iwads = work.mkdir("iwads");
        work.write("zel.cfg", settingsRecord({"", iwads, pwads1, pwads2, "", ""}));
        if (withBuilder) {
            writeStandInNodeBuilder(work.file("zennode"));
        }
        if (!control.isEmpty())
            work.write("zennode.ctl", control);
    }

    // The open window; call after the folders hold their files.
    const Form1Ui &open()
    {
        window = openWindow();
        return window->ui();
    }

    QStringList log() const
    {
        const QString text = QString::fromUtf8(readAll(work.file("zennode.log")));
        return text.split('\n', Qt::SkipEmptyParts);
    }

    // The arguments the launcher gives for building `input` into `output`, as logged.
    static QString run(const QString &input, const QString &output)
    {
        return "[" + input + "][-o][" + output + "]";
    }

    WorkFolder work;
    ScriptedDialogs dialogs;
    QString pwads1, pwads2, iwads;
    std::unique_ptr<Form1> window;
};

} // namespace

class TestNodeBuilding : public QObject
{
    Q_OBJECT

private slots:
    void glPwadsAreBuiltOneAfterTheOther_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("both lists") << "a.wad"
                                    << "b.wad";
        QTest::newRow("same name in both") << "same.wad"
                                           << "same.wad";
        QTest::newRow("blanks in the name") << "my map.wad"
                                            << "";
        QTest::newRow("second list only") << ""
                                          << "b.wad";
        QTest::newRow("no selection") << ""
                                      << "";
    }

    void glPwadsAreBuiltOneAfterTheOther()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        Setup s("SLEEP=0.2\n");
        s.work.write("pw ads 1/" + (first.isEmpty() ? "x.wad" : first), "one");
        s.work.write("pwads2/" + (second.isEmpty() ? "y.wad" : second), "two");
        const Form1Ui &ui = s.open();
        QVERIFY(ui.File8->setFileName(first));
        QVERIFY(ui.File9->setFileName(second));
        s.work.write("pw ads 1/late.wad");
        s.work.write("GL_WADs/older.wad");

        QTest::mouseClick(ui.Command5, Qt::LeftButton);

        QStringList expected;
        QStringList glWads{"older.wad"};
        const QString glFolder = s.work.path() + "/GL_WADs/";
        for (const auto &[folder, name] : {std::pair{s.pwads1, first}, {s.pwads2, second}}) {
            if (name.isEmpty())
                continue;
            const QString run = Setup::run(folder + "/" + name, glFolder + name);
            expected << "begin 644 " + run << "end " + run; // never two at once
            glWads << name;
        }
        QCOMPARE(s.log(), expected);
        if (!second.isEmpty())
            QCOMPARE(readAll(glFolder + second), QByteArray("twoGL")); // the later run wins
        glWads.removeDuplicates();
        glWads.sort(Qt::CaseInsensitive);
        QCOMPARE(ui.File10->names(), glWads);
        QVERIFY(ui.File8->names().contains("late.wad")); // refreshed, also without a run
        QCOMPARE(s.dialogs.messages, QStringList());
    }

    void aReadOnlyIwadIsMadeWritableAndRebuiltInPlace()
    {
        Setup s;
        const QString iwad = s.work.write("iwads/DOOM2.WAD", "IWAD");
        QVERIFY(
            QFile::setPermissions(iwad, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const Form1Ui &ui = s.open();
        ui.File11->setFileName("DOOM2.WAD");
        s.work.write("iwads/late.wad");

        QTest::mouseClick(ui.Command13, Qt::LeftButton);

        // The builder found it writable; owner, group and others keep their read bits.
        const QString run = Setup::run(iwad, iwad);
        QCOMPARE(s.log(), (QStringList{"begin 644 " + run, "end " + run}));
        QCOMPARE(readAll(iwad), QByteArray("IWADGL"));
        QCOMPARE(QFileInfo(iwad).permissions() & 0x7777, QFile::ReadOwner | QFile::WriteOwner |
                                                             QFile::ReadUser | QFile::WriteUser |
                                                             QFile::ReadGroup | QFile::ReadOther);
        QCOMPARE(ui.File11->names(), (QStringList{"DOOM2.WAD", "late.wad"}));
        QCOMPARE(s.dialogs.messages, QStringList());
    }

    void aSecondClickOnABuildingWadIsTurnedAway()
    {
        Setup s("SLEEP=1\n");
        const QString iwad = s.work.write("iwads/DOOM2.WAD", "IWAD");
        const Form1Ui &ui = s.open();
        ui.File11->setFileName("DOOM2.WAD");

        QTimer::singleShot(300, ui.Command13, [&] { ui.Command13->click(); });
        QTest::mouseClick(ui.Command13, Qt::LeftButton);

        QCOMPARE(s.log().size(), 2); // one run, not two writing the IWAD together
        QCOMPARE(readAll(iwad), QByteArray("IWADGL"));
        QCOMPARE(s.dialogs.messages.size(), 1);
        QVERIFY2(s.dialogs.messages.first().contains(iwad + "\" is being built already"),
                 qPrintable(s.dialogs.messages.first()));
    }

    void anIwadGoneSinceTheListWasReadIsReported()
    {
        Setup s;
        const QString iwad = s.work.write("iwads/DOOM2.WAD", "IWAD");
        const Form1Ui &ui = s.open();
        ui.File11->setFileName("DOOM2.WAD");
        QFile::remove(iwad);

        QTest::mouseClick(ui.Command13, Qt::LeftButton);

        QCOMPARE(s.dialogs.messages,
                 QStringList{"Cannot make \"" + iwad + "\" writable: No such file or directory"});
        QCOMPARE(s.log(), QStringList());
        QCOMPARE(ui.File11->names(), QStringList{"DOOM2.WAD"}); // not refreshed
    }

    void clicksDuringABuildAreHandledInsideIt()
    {
        Setup s("SLEEP=0.6\n");
        s.work.write("pw ads 1/a.wad");
        s.work.write("pwads2/b.wad");
        s.work.write("pwads2/c.wad");
        s.work.write("iwads/DOOM2.WAD");
        const Form1Ui &ui = s.open();
        ui.File8->setFileName("a.wad");
        ui.File9->setFileName("b.wad");
        ui.File11->setFileName("DOOM2.WAD");

        // While a.wad is built, the player picks c.wad and starts an IWAD build.
        QStringList logBeforeClicks, logAfterClicks;
        QTimer::singleShot(150, this, [&] {
            logBeforeClicks = s.log();
            pick(ui.File9, "c.wad");
            QTest::mouseClick(ui.Command13, Qt::LeftButton);
            logAfterClicks = s.log();
        });
        QTest::mouseClick(ui.Command5, Qt::LeftButton);

        auto position = [](const QStringList &log, const QString &event, const QString &wad) {
            for (int i = 0; i < log.size(); ++i) {
                if (log.at(i).startsWith(event) && log.at(i).contains("/" + wad + "]"))
                    return i;
            }
            return -1;
        };
        QCOMPARE(logBeforeClicks.size(), 1);
        const QStringList log = s.log();
        QCOMPARE(log.size(), 6);
        // The IWAD build ran nested inside the first build's wait ...
        QVERIFY(position(log, "begin", "DOOM2.WAD") < position(log, "end", "a.wad"));
        QVERIFY(position(logAfterClicks, "end", "DOOM2.WAD") >= 0);
        // ... and the PWAD command went on only after it had ended, with the new pick.
        QVERIFY(position(log, "end", "DOOM2.WAD") < position(log, "begin", "c.wad"));
        QCOMPARE(position(log, "begin", "b.wad"), -1);
        QCOMPARE(ui.File10->names(), (QStringList{"a.wad", "c.wad"}));
        QCOMPARE(s.dialogs.messages, QStringList());
    }
};

QTEST_MAIN(TestNodeBuilding)
#include "tst_nodebuilding.moc"
