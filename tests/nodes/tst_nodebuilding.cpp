#include "app/FolderList.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

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

} // namespace

class TestNodeBuilding : public QObject
{
    Q_OBJECT

private slots:
    void glPwadsAreBuiltOneAfterTheOther_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        // clang-format off
        QTest::newRow("both lists") << "a.wad" << "b.wad";
        QTest::newRow("same name in both") << "same.wad" << "same.wad";
        QTest::newRow("blanks in the name") << "my map.wad" << "";
        QTest::newRow("second list only") << "" << "b.wad";
        QTest::newRow("no selection") << "" << "";
        // clang-format on
    }

    void glPwadsAreBuiltOneAfterTheOther()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        BuildBench bench("SLEEP=0.2\n");
        bench.work.write("pw ads 1/" + (first.isEmpty() ? "x.wad" : first), "one");
        bench.work.write("pwads2/" + (second.isEmpty() ? "y.wad" : second), "two");
        const Form1Ui &ui = bench.open().ui();
        QVERIFY(ui.File8->setFileName(first));
        QVERIFY(ui.File9->setFileName(second));
        bench.work.write("pw ads 1/late.wad");
        bench.work.write("GL_WADs/older.wad");

        act(*bench.window, {"Command5"});

        QStringList expected;
        QStringList glWads{"older.wad"};
        const QString glFolder = bench.work.path() + "/GL_WADs/";
        for (const auto &[folder, name] :
             {std::pair{bench.pwads1, first}, {bench.pwads2, second}}) {
            if (name.isEmpty())
                continue;
            const QString args = run(folder + "/" + name, glFolder + name);
            expected << "begin 644 " + args << "end " + args; // never two at once
            glWads << name;
        }
        QCOMPARE(bench.log(), expected);
        if (!second.isEmpty())
            QCOMPARE(readAll(glFolder + second), QByteArray("twoGL")); // the later run wins
        glWads.removeDuplicates();
        glWads.sort(Qt::CaseInsensitive);
        QCOMPARE(ui.File10->names(), glWads);
        QVERIFY(ui.File8->names().contains("late.wad")); // refreshed, also without a run
        QCOMPARE(bench.dialogs.messages, QStringList());
    }

    void aReadOnlyIwadIsMadeWritableAndRebuiltInPlace()
    {
        BuildBench bench;
        const QString iwad = bench.work.write("iwads/DOOM2.WAD", "IWAD");
        QVERIFY(
            QFile::setPermissions(iwad, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const Form1Ui &ui = bench.open().ui();
        ui.File11->setFileName("DOOM2.WAD");
        bench.work.write("iwads/late.wad");

        act(*bench.window, {"Command13"});

        // The builder found it writable; owner, group and others keep their read bits.
        QCOMPARE(bench.log(),
                 (QStringList{"begin 644 " + run(iwad, iwad), "end " + run(iwad, iwad)}));
        QCOMPARE(readAll(iwad), QByteArray("IWADGL"));
        QCOMPARE(QFileInfo(iwad).permissions() & 0x7777, QFile::ReadOwner | QFile::WriteOwner |
                                                             QFile::ReadUser | QFile::WriteUser |
                                                             QFile::ReadGroup | QFile::ReadOther);
        QCOMPARE(ui.File11->names(), (QStringList{"DOOM2.WAD", "late.wad"}));
        QCOMPARE(bench.dialogs.messages, QStringList());
    }

    void aSecondClickOnABuildingWadIsTurnedAway()
    {
        BuildBench bench("SLEEP=1\n");
        const QString iwad = bench.work.write("iwads/DOOM2.WAD", "IWAD");
        const Form1Ui &ui = bench.open().ui();
        ui.File11->setFileName("DOOM2.WAD");

        QTimer::singleShot(300, bench.window.get(), [&] { act(*bench.window, {"Command13"}); });
        act(*bench.window, {"Command13"});

        QCOMPARE(bench.log().size(), 2); // one run, not two writing the IWAD together
        QCOMPARE(readAll(iwad), QByteArray("IWADGL"));
        QCOMPARE(bench.dialogs.messages.size(), 1);
        QVERIFY2(bench.dialogs.messages.first().contains(iwad + "\" is being built already"),
                 qPrintable(bench.dialogs.messages.first()));
    }

    void clicksDuringABuildAreHandledInsideIt()
    {
        BuildBench bench("SLEEP=0.6\n");
        for (const char *file :
             {"pw ads 1/a.wad", "pwads2/b.wad", "pwads2/c.wad", "iwads/DOOM2.WAD"})
            bench.work.write(file);
        const Form1Ui &ui = bench.open().ui();
        ui.File8->setFileName("a.wad");
        ui.File9->setFileName("b.wad");
        ui.File11->setFileName("DOOM2.WAD");

        // While a.wad is built, the player picks c.wad and starts an IWAD build.
        QStringList logBeforeClicks, logAfterClicks;
        QTimer::singleShot(150, this, [&] {
            logBeforeClicks = bench.log();
            act(*bench.window, {"File9=c.wad", "Command13"});
            logAfterClicks = bench.log();
        });
        act(*bench.window, {"Command5"});

        auto position = [](const QStringList &log, const QString &event, const QString &wad) {
            for (int i = 0; i < log.size(); ++i) {
                if (log.at(i).startsWith(event) && log.at(i).contains("/" + wad + "]"))
                    return i;
            }
            return -1;
        };
        QCOMPARE(logBeforeClicks.size(), 1);
        const QStringList log = bench.log();
        QCOMPARE(log.size(), 6);
        // The IWAD build ran nested inside the first build's wait ...
        QVERIFY(position(log, "begin", "DOOM2.WAD") < position(log, "end", "a.wad"));
        QVERIFY(position(logAfterClicks, "end", "DOOM2.WAD") >= 0);
        // ... and the PWAD command went on only after it had ended, with the new pick.
        QVERIFY(position(log, "end", "DOOM2.WAD") < position(log, "begin", "c.wad"));
        QCOMPARE(position(log, "begin", "b.wad"), -1);
        QCOMPARE(ui.File10->names(), (QStringList{"a.wad", "c.wad"}));
        QCOMPARE(bench.dialogs.messages, QStringList());
    }
};

QTEST_MAIN(TestNodeBuilding)
#include "tst_nodebuilding.moc"
