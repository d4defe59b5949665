#include "app/Controls.h"
#include "app/FolderList.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>

namespace {

using State = QMap<QString, QString>;

QList<QRadioButton *> skills(const Form1Ui &ui)
{
    return {ui.Option1, ui.Option2, ui.Option3, ui.Option4, ui.Option5};
}

QList<QRadioButton *> loadSlots(const Form1Ui &ui)
{
    return {ui.Option7, ui.Option8, ui.Option9, ui.Option10, ui.Option11, ui.Option12};
}

QList<QCheckBox *> switches(const Form1Ui &ui)
{
    return {ui.Check1, ui.Check2, ui.Check3, ui.Check4, ui.Check5, ui.Check6, ui.Check7, ui.Check8};
}

QList<QLineEdit *> texts(const Form1Ui &ui)
{
    return {ui.Text1, ui.Text2, ui.Text3, ui.Text4, ui.Text5};
}

// Every control of the panel by name ("1" for a chosen option or a ticked box, "2" for a
// grayed one, the text of a box, the demo selected in File7) and the messages shown.
State state(const Bench &bench)
{
    const Form1Ui &ui = bench.ui();
    State s;
    for (QRadioButton *option : skills(ui) + loadSlots(ui))
        s[option->objectName()] = option->isChecked() ? "1" : "0";
    for (QCheckBox *box : switches(ui))
        s[box->objectName()] = QString::number(box->checkState() == Qt::Checked     ? 1
                                               : box->checkState() == Qt::Unchecked ? 0
                                                                                    : 2);
    for (QLineEdit *box : texts(ui))
        s[box->objectName()] = box->text();
    s["File7"] = ui.File7->fileName();
    s["messages"] = bench.dialogs.messages.join('|');
    return s;
}

bool newGameOptionSet(const Form1Ui &ui)
{
    bool set =
        !ui.Text3->text().isEmpty() || !ui.Text4->text().isEmpty() || !ui.Text5->text().isEmpty();
    for (QCheckBox *box : switches(ui))
        set |= box->checkState() != Qt::Unchecked;
    return set;
}

// The three rules the panel keeps after every reaction; an empty text when they hold.
QString brokenRule(const Form1Ui &ui)
{
    int chosen = 0;
    for (QRadioButton *option : skills(ui) + loadSlots(ui))
        chosen += option->isChecked();
    if (chosen > 1)
        return "more than one option chosen";
    bool slot = false;
    for (QRadioButton *option : loadSlots(ui))
        slot |= option->isChecked();
    if (slot && newGameOptionSet(ui))
        return "a load-game slot with a new-game option";
    if (!ui.Text1->text().isEmpty() && !ui.File7->fileName().isEmpty())
        return "a record name with a playback demo";
    return {};
}

struct Panel : LaunchBench
{
    Panel()
    {
        for (const char *file : {"doom.exe", "a.lmp", "b.lmp", "c.lmp"})
            work.write(QString("engines/") + file);
        open();
    }
};

const QStringList Everything = {"Option2", "Text1=rec", "Text2=x", "Text3=3", "Text4=150",
                                "Text5=2", "Check1",    "Check2",  "Check3",  "Check4",
                                "Check5",  "Check6",    "Check7",  "Check8"};

} // namespace

class TestLaunchOptions : public QObject
{
    Q_OBJECT

private slots:
    void reactions_data()
    {
        QTest::addColumn<QStringList>("before"); // what the player did first
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("changes"); // every control that changes, and how
        const QStringList untickAll = {"Check1=0", "Check2=0", "Check3=0", "Check4=0",
                                       "Check5=0", "Check6=0", "Check7=0", "Check8=0"};
        const QString debug = "Text6=debug", engine = "File6=doom.exe";
        // clang-format off
        QTest::newRow("a slot clears the new-game options, nothing else") << Everything << "Option9" << QStringList{"Option2=0", "Option9=1", "Text3=", "Text4=", "Text5="} + untickAll;
        QTest::newRow("a slot with nothing to clear") << QStringList{"Option9"} << "Option12" << QStringList{"Option9=0", "Option12=1"};
        QTest::newRow("a skill replaces a slot") << QStringList{"Text1=x", "Option9"} << "Option3" << QStringList{"Option9=0", "Option3=1"};
        QTest::newRow("a slot replaces a skill") << QStringList{"Text1=x", "Option3"} << "Option9" << QStringList{"Option3=0", "Option9=1"};
        for (const QString &option : QStringList{"Text3", "Text4", "Text5", "Check6", "Check8"}) {
            const QString set = option.startsWith("Text") ? option + "=1" : option;
            QTest::addRow("%s lets go of a slot", qPrintable(option)) << QStringList{"Option8"} << set << QStringList{"Option8=0", option + "=1"};
            QTest::addRow("%s leaves a skill", qPrintable(option)) << QStringList{"Option5"} << set << QStringList{option + "=1"};
        }
        QTest::newRow("\"Skill\" leaves a slot") << QStringList{"Option10"} << "Label13" << QStringList();
        QTest::newRow("\"Skill\" drops the skill") << QStringList{"Option1"} << "Label13" << QStringList{"Option1=0"};
        QTest::newRow("\"Load Game\" leaves a skill") << QStringList{"Option1"} << "Label14" << QStringList();
        QTest::newRow("\"Load Game\" drops the slot") << QStringList{"Option10"} << "Label14" << QStringList{"Option10=0"};
        QTest::newRow("\"CMD-Line Parameter\" unticks, Text2 stays") << Everything << "Label16" << untickAll;
        QTest::newRow("\"clear\" leaves Check8") << Everything << "Command14" << QStringList{"Text2=-"};
        QTest::newRow("\"Record Demo\"") << Everything << "Label12" << QStringList{"Text1="};
        QTest::newRow("\"Warp\"") << Everything << "Label15" << QStringList{"Text3="};
        QTest::newRow("\"Turbo\"") << Everything << "Label17" << QStringList{"Text4="};
        QTest::newRow("\"MaxDemo\"") << Everything << "Label18" << QStringList{"Text5="};
        QTest::newRow("a record name drops the demo") << QStringList{"File7=b.lmp"} << "Text1=n" << QStringList{"File7=", "Text1=n"};
        QTest::newRow("a demo drops the record name") << QStringList{"Text1=n"} << "File7=c.lmp" << QStringList{"File7=c.lmp", "Text1="};
        QTest::newRow("a launch keeps the playback demo") << QStringList{debug, engine, "File7=c.lmp"} << "Command12" << QStringList{"messages=doom.exe -playdemo c"};
        QTest::newRow("a launch empties the record name") << QStringList{debug, engine, "Text1=r"} << "Command12" << QStringList{"messages=doom.exe -record r", "Text1="};
        // clang-format on
    }

    void reactions()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, action);
        QFETCH(QStringList, changes);
        Panel panel;
        act(*panel.window, before);
        State expected = state(panel);
        for (const QString &change : changes)
            expected[change.section('=', 0, 0)] = change.section('=', 1);
        act(*panel.window, {action});
        QCOMPARE(state(panel), expected);
    }

    // Long runs of what a player does; the rules hold after every step, and a launch never
    // hands the engine what they exclude.
    void rulesHoldThroughRandomPlay()
    {
        Panel panel;
        const Form1Ui &ui = panel.ui();
        act(*panel.window, {"Text6=debug", "File6=doom.exe"});
        QRandomGenerator random(31337);
        const auto any = [&](const auto &list) {
            return list.at(random.bounded(int(list.size())));
        };
        const QList<ClickableLabel *> captions = {ui.Label7,  ui.Label12, ui.Label13, ui.Label14,
                                                  ui.Label15, ui.Label16, ui.Label17, ui.Label18};
        const QStringList typed = {"1", "07", "a b", "-x"};
        int slotsChosenOverOptions = 0;

        for (int step = 0; step < 3000; ++step) {
            const int action = random.bounded(9);
            switch (action) {
            case 0:
                click(any(skills(ui)));
                break;
            case 1: {
                slotsChosenOverOptions += newGameOptionSet(ui);
                QRadioButton *slot = any(loadSlots(ui));
                click(slot);
                QVERIFY(slot->isChecked());
                break;
            }
            case 2:
                type(any(texts(ui)), any(typed));
                break;
            case 3:
                erase(any(texts(ui)));
                break;
            case 4:
                click(any(switches(ui)));
                break;
            case 5: {
                const QString demo = any(ui.File7->names());
                pick(ui.File7, demo);
                QCOMPARE(ui.File7->fileName(), demo);
                break;
            }
            case 6:
                QTest::mouseClick(any(captions), Qt::LeftButton);
                break;
            case 7:
                QTest::mouseClick(ui.Command14, Qt::LeftButton);
                break;
            case 8: {
                QTest::mouseClick(ui.Command12, Qt::LeftButton);
                const QStringList words = panel.dialogs.messages.takeLast().split(' ');
                if (words.contains("-loadgame")) {
                    for (const char *word :
                         {"-warp", "-turbo", "-maxdemo", "-respawn", "-fast", "-nomonsters",
                          "-nomusic", "-nosfx", "-nosound", "-devparm"})
                        QVERIFY2(!words.contains(word), qPrintable(words.join(' ')));
                }
                QCOMPARE(ui.Text1->text(), QString());
                break;
            }
            }
            const QString broken = brokenRule(ui);
            QVERIFY2(
                broken.isEmpty(),
                qPrintable(QString("step %1, action %2: %3").arg(step).arg(action).arg(broken)));
        }
        QVERIFY(slotsChosenOverOptions > 50); // the runs did meet the interesting cases
        QVERIFY(panel.dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(TestLaunchOptions)
#include "tst_launchoptions.moc"
