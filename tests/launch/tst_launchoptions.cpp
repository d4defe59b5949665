#include "app/Controls.h"
#include "app/FolderList.h"
#include "support/LaunchBench.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
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

// Every control of the panel by name: "1" for a chosen option or a ticked box, the text
// of a box, the demo selected in File7.
State state(const Form1Ui &ui)
{
    State s;
    for (QRadioButton *option : skills(ui) + loadSlots(ui))
        s[option->objectName()] = option->isChecked() ? "1" : "0";
    for (QCheckBox *box : switches(ui))
        s[box->objectName()] = box->checkState() == Qt::Checked     ? "1"
                               : box->checkState() == Qt::Unchecked ? "0"
                                                                    : "2";
    for (QLineEdit *box : texts(ui))
        s[box->objectName()] = box->text();
    s["File7"] = ui.File7->fileName();
    return s;
}

State with(State s, const State &changes)
{
    for (auto it = changes.begin(); it != changes.end(); ++it)
        s[it.key()] = it.value();
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
    bool newGame =
        !ui.Text3->text().isEmpty() || !ui.Text4->text().isEmpty() || !ui.Text5->text().isEmpty();
    for (QCheckBox *box : switches(ui))
        newGame |= box->checkState() != Qt::Unchecked;
    if (slot && newGame)
        return "a load-game slot with a new-game option";
    if (!ui.Text1->text().isEmpty() && !ui.File7->fileName().isEmpty())
        return "a record name with a playback demo";
    return {};
}

struct Panel : LaunchBench
{
    Panel()
    {
        work.write("engines/doom.exe");
        for (const char *demo : {"a.lmp", "b.lmp", "c.lmp"})
            work.write(QString("engines/") + demo);
        open();
    }
};

} // namespace

class TestLaunchOptions : public QObject
{
    Q_OBJECT

private slots:
    void loadSlotClearsTheNewGameOptionsOnly()
    {
        Panel panel;
        const Form1Ui &ui = panel.ui();
        click(ui.Option2);
        type(ui.Text3, "3");
        type(ui.Text4, "150");
        type(ui.Text5, "2");
        click(ui.Check3);
        click(ui.Check8);
        type(ui.Text1, "rec");
        type(ui.Text2, "x");
        const State before = state(ui);

        click(ui.Option9);
        const State chosen = with(before, {{"Option2", "0"},
                                           {"Option9", "1"},
                                           {"Text3", ""},
                                           {"Text4", ""},
                                           {"Text5", ""},
                                           {"Check3", "0"},
                                           {"Check8", "0"}});
        QCOMPARE(state(ui), chosen);

        // With nothing to clear only the option group changes.
        click(ui.Option12);
        QCOMPARE(state(ui), with(chosen, {{"Option9", "0"}, {"Option12", "1"}}));
    }

    void newGameOptionsLetGoOfTheSlot_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("warp") << "Text3";
        QTest::newRow("turbo") << "Text4";
        QTest::newRow("maxdemo") << "Text5";
        QTest::newRow("a switch") << "Check6";
        QTest::newRow("the extra parameter") << "Check8";
    }

    void newGameOptionsLetGoOfTheSlot()
    {
        QFETCH(QString, action);
        Panel panel;
        const Form1Ui &ui = panel.ui();
        const auto act = [&] {
            if (auto *box = panel.window->findChild<QLineEdit *>(action))
                type(box, "1");
            else
                click(panel.window->findChild<QCheckBox *>(action));
        };

        click(ui.Option8);
        State before = state(ui);
        act();
        QCOMPARE(state(ui), with(before, {{"Option8", "0"}, {action, "1"}}));

        // A skill is not touched.
        QTest::mouseClick(ui.Label16, Qt::LeftButton);
        erase(ui.Text3), erase(ui.Text4), erase(ui.Text5);
        click(ui.Option5);
        before = state(ui);
        act();
        QCOMPARE(state(ui), with(before, {{action, "1"}}));
    }

    void skillAndSlotExcludeEachOther()
    {
        Panel panel;
        const Form1Ui &ui = panel.ui();
        type(ui.Text1, "x");
        click(ui.Option9);
        const State before = state(ui);
        click(ui.Option3);
        QCOMPARE(state(ui), with(before, {{"Option9", "0"}, {"Option3", "1"}}));
        click(ui.Option9);
        QCOMPARE(state(ui), before);
    }

    void captionsAndClearResetTheirGroup()
    {
        Panel panel;
        const Form1Ui &ui = panel.ui();
        click(ui.Option10);
        QTest::mouseClick(ui.Label13, Qt::LeftButton); // "Skill" leaves a slot alone
        QVERIFY(ui.Option10->isChecked());
        QTest::mouseClick(ui.Label14, Qt::LeftButton);
        QVERIFY(!ui.Option10->isChecked());
        click(ui.Option1);
        QTest::mouseClick(ui.Label14, Qt::LeftButton);
        QVERIFY(ui.Option1->isChecked());
        QTest::mouseClick(ui.Label13, Qt::LeftButton);
        QVERIFY(!ui.Option1->isChecked());

        for (QLineEdit *box : texts(ui))
            type(box, "v");
        for (QCheckBox *box : switches(ui))
            click(box);
        const State before = state(ui);
        QTest::mouseClick(ui.Label16, Qt::LeftButton);
        State expected = before;
        for (QCheckBox *box : switches(ui))
            expected[box->objectName()] = "0";
        QCOMPARE(state(ui), expected);

        click(ui.Check8);
        QTest::mouseClick(ui.Command14, Qt::LeftButton);
        expected = with(expected, {{"Check8", "1"}, {"Text2", "-"}});
        QCOMPARE(state(ui), expected);

        const std::pair<ClickableLabel *, const char *> captions[] = {{ui.Label12, "Text1"},
                                                                      {ui.Label15, "Text3"},
                                                                      {ui.Label17, "Text4"},
                                                                      {ui.Label18, "Text5"}};
        for (const auto &[label, box] : captions) {
            QTest::mouseClick(label, Qt::LeftButton);
            expected[box] = "";
            QCOMPARE(state(ui), expected);
        }
    }

    void recordNameAndPlaybackDemoExcludeEachOther()
    {
        Panel panel;
        const Form1Ui &ui = panel.ui();
        pick(ui.File7, "b.lmp");
        type(ui.Text1, "n");
        QCOMPARE(ui.File7->fileName(), QString());
        pick(ui.File7, "c.lmp");
        QCOMPARE(ui.Text1->text(), QString());
        QCOMPARE(ui.File7->fileName(), QString("c.lmp"));

        // A launch empties the record name; a demo picked for playback stays.
        ui.Text6->setPlainText("debug");
        pick(ui.File6, "doom.exe");
        QTest::mouseClick(ui.Command12, Qt::LeftButton);
        QCOMPARE(ui.File7->fileName(), QString("c.lmp"));
        type(ui.Text1, "r");
        QTest::mouseClick(ui.Command12, Qt::LeftButton);
        QCOMPARE(ui.Text1->text(), QString());
        QCOMPARE(ui.File7->fileName(), QString());
        QCOMPARE(panel.dialogs.messages,
                 (QStringList{"doom.exe -playdemo c", "doom.exe -record r"}));
    }

    // Long runs of what a player does; the rules hold after every step, and a launch never
    // hands the engine what they exclude.
    void rulesHoldThroughRandomPlay()
    {
        Panel panel;
        const Form1Ui &ui = panel.ui();
        ui.Text6->setPlainText("debug");
        pick(ui.File6, "doom.exe");
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
