#include "launch/LaunchController.h"

#include "app/Controls.h"
#include "app/FolderList.h"
#include "app/Form1.h"
#include "launch/EngineEnd.h"
#include "nodes/NodeBuildController.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "platform/WatchedProcess.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>

#include <array>

namespace {

const QString NoEngine = QStringLiteral("No Game Engine Selected!");

// An option button of an exclusive group only lets go of its selection this way.
void deselect(QRadioButton *button)
{
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

bool ticked(const QCheckBox *box)
{
    return box->checkState() == Qt::Checked; // a grayed box adds nothing
}

std::array<QCheckBox *, 8> switchBoxes(const Form1Ui &ui)
{
    return {ui.Check1, ui.Check2, ui.Check3, ui.Check4, ui.Check5, ui.Check6, ui.Check7, ui.Check8};
}

void untickSwitches(const Form1Ui &ui)
{
    for (QCheckBox *box : switchBoxes(ui))
        box->setCheckState(Qt::Unchecked);
}

// Option7 to Option12 carry the slots 5 down to 0.
std::array<QRadioButton *, 6> loadSlots(const Form1Ui &ui)
{
    return {ui.Option7, ui.Option8, ui.Option9, ui.Option10, ui.Option11, ui.Option12};
}

} // namespace

LaunchController::LaunchController(Form1 &window, const NodeBuildController &nodeBuilds,
                                   QObject *parent)
    : QObject(parent), m_window(window), m_ui(window.ui()), m_nodeBuilds(nodeBuilds)
{
    connectControls();
}

void LaunchController::Play()
{
    if (!engineSelected()) {
        platform::showMessage(&m_window, NoEngine);
        return;
    }
    LaunchEngine();
}

void LaunchController::PlayAndExit()
{
    if (!engineSelected()) {
        platform::showMessage(&m_window, NoEngine);
        m_window.close();
        return;
    }
    // An engine that did not start leaves the player where they were.
    if (LaunchEngine())
        m_window.close();
}

bool LaunchController::engineSelected() const
{
    return PassesEngineCheck(m_ui.File6->path(), m_ui.File6->fileName());
}

bool LaunchController::LaunchEngine()
{
    const LaunchSelections chosen = selections();
    const EngineCommand command = ComposeEngineCommandLine(chosen);
    const QString program = QDir::current().absoluteFilePath(command.program);

    if (m_ui.Text6->toPlainText() == QLatin1String("debug")) {
        platform::showMessage(&m_window, command.line);
    } else {
        if (!filesAreFree(chosen))
            return false;
        // The engine runs in its folder; the launcher's own folder stays as it is.
        QString reason;
        const QString folder = chosen.programFolder;
        auto *engine = platform::WatchedProcess::start(
            program, command.arguments, chosen.engineFolder, platform::WindowStyle::Maximized,
            folder.isEmpty() ? QString() : folder + platform::separator() + EngineOutputLog,
            folder.isEmpty() ? QString() : folder + platform::separator() + EngineErrorLog, this,
            &reason);
        if (!engine) {
            platform::showMessage(&m_window,
                                  QStringLiteral("Cannot start \"%1\": %2").arg(program, reason));
            return false;
        }
        const QString name = chosen.engineName;
        connect(engine, &platform::WatchedProcess::ended, this,
                [this, engine, name](platform::ProcessEnd end) {
                    engine->deleteLater();
                    const QStringList lines = engine->lastLines(8, 160);
                    if (EngineFailed(end, lines))
                        platform::showMessage(&m_window, EngineFailureMessage(name, end, lines));
                });
    }
    // A recording is not repeated by the next start.
    m_ui.Text1->clear();
    return true;
}

bool LaunchController::filesAreFree(const LaunchSelections &chosen)
{
    const QString sep = platform::separator();
    const QString glFolder = m_window.glWadsFolder();
    for (const auto &[folder, name] : {std::pair{chosen.iwadFolder, chosen.iwadName},
                                       {glFolder, chosen.glName},
                                       {chosen.pwad1Folder, chosen.pwad1Name},
                                       {chosen.pwad2Folder, chosen.pwad2Name}}) {
        // A WAD the builder is writing is half a WAD to the engine.
        if (!name.isEmpty() && !m_nodeBuilds.isFree(folder + sep + name))
            return false;
    }
    return true;
}

LaunchSelections LaunchController::selections() const
{
    const Form1Ui &ui = m_ui;
    LaunchSelections s;
    s.engineFolder = ui.File6->path();
    s.engineName = ui.File6->fileName();

    const QRadioButton *const skills[] = {ui.Option1, ui.Option2, ui.Option3, ui.Option4,
                                          ui.Option5};
    for (int i = 0; i < 5; ++i) {
        if (skills[i]->isChecked())
            s.skill = i + 1;
    }
    const auto slotButtons = loadSlots(ui);
    for (int i = 0; i < 6; ++i) {
        if (slotButtons[i]->isChecked())
            s.loadSlot = 5 - i;
    }

    s.iwadFolder = ui.File11->path();
    s.iwadName = ui.File11->fileName();
    s.pwad1Folder = ui.File8->path();
    s.pwad1Name = ui.File8->fileName();
    s.pwad2Folder = ui.File9->path();
    s.pwad2Name = ui.File9->fileName();
    s.programFolder = m_window.programFolder();
    s.glName = ui.File10->fileName();

    s.recordName = ui.Text1->text();
    s.extraParameter = ui.Text2->text();
    s.warp = ui.Text3->text();
    s.turbo = ui.Text4->text();
    s.maxDemo = ui.Text5->text();
    s.playDemo = ui.File7->fileName();

    const auto boxes = switchBoxes(ui);
    for (int i = 0; i < 7; ++i)
        s.switches[i] = ticked(boxes[i]);
    s.extraParameterOn = ticked(ui.Check8);
    return s;
}

void LaunchController::ClearNewGameOptions()
{
    const Form1Ui &ui = m_ui;
    for (QLineEdit *box : {ui.Text5, ui.Text4, ui.Text3})
        box->clear();
    untickSwitches(ui);
}

void LaunchController::ClearLoadGameOptions()
{
    for (QRadioButton *slot : loadSlots(m_ui))
        deselect(slot);
}

void LaunchController::chooseLoadSlot(QRadioButton *slot)
{
    // Clearing the new-game options deselects the slot; selecting it again must not
    // start the round once more.
    if (m_choosingSlot)
        return;
    QScopedValueRollback<bool> guard(m_choosingSlot, true);
    ClearNewGameOptions();
    slot->setChecked(true);
}

void LaunchController::recordNameChanged()
{
    if (m_pickingDemo)
        return;
    m_ui.File7->setFileName(QString());
    // Quietly: this runs on every keystroke in the record name, and a folder that went away
    // is reported by the buttons that need it.
    m_ui.File7->refresh();
}

void LaunchController::demoPicked()
{
    // The demo just picked stays selected while its record name goes.
    QScopedValueRollback<bool> guard(m_pickingDemo, true);
    m_ui.Text1->clear();
}

void LaunchController::connectControls()
{
    const Form1Ui &ui = m_ui;
    connect(ui.Command12, &QPushButton::clicked, this, &LaunchController::Play);
    connect(ui.Command11, &QPushButton::clicked, this, &LaunchController::PlayAndExit);

    for (QRadioButton *slot : loadSlots(ui)) {
        // A deselection triggers nothing.
        connect(slot, &QRadioButton::toggled, this, [this, slot](bool selected) {
            if (selected)
                chooseLoadSlot(slot);
        });
    }
    for (QCheckBox *box : switchBoxes(ui))
        connect(box, &QCheckBox::stateChanged, this, &LaunchController::ClearLoadGameOptions);
    // MaxDemo too: a slot empties all three boxes, so each of them lets go of the slot.
    for (QLineEdit *box : {ui.Text3, ui.Text4, ui.Text5})
        connect(box, &QLineEdit::textChanged, this, &LaunchController::ClearLoadGameOptions);
    connect(ui.Text1, &QLineEdit::textChanged, this, &LaunchController::recordNameChanged);
    connect(ui.File7, &FolderList::fileSelected, this, &LaunchController::demoPicked);

    connect(ui.Label12, &ClickableLabel::clicked, ui.Text1, &QLineEdit::clear);
    connect(ui.Label13, &ClickableLabel::clicked, this, [this] {
        const Form1Ui &ui = m_ui;
        for (QRadioButton *skill : {ui.Option1, ui.Option2, ui.Option3, ui.Option4, ui.Option5})
            deselect(skill);
    });
    connect(ui.Label14, &ClickableLabel::clicked, this, &LaunchController::ClearLoadGameOptions);
    connect(ui.Label15, &ClickableLabel::clicked, ui.Text3, &QLineEdit::clear);
    connect(ui.Label16, &ClickableLabel::clicked, this, [this] { untickSwitches(m_ui); });
    connect(ui.Label17, &ClickableLabel::clicked, ui.Text4, &QLineEdit::clear);
    connect(ui.Label18, &ClickableLabel::clicked, ui.Text5, &QLineEdit::clear);
    connect(ui.Command14, &QPushButton::clicked, this,
            [this] { m_ui.Text2->setText(QStringLiteral("-")); });
}
