#include "launch/LaunchController.h"

#include "controls/Controls.h"
#include "controls/Form1Ui.h"
#include "core/files/BusyFiles.h"
#include "core/launch/EngineEnd.h"
#include "lists/FolderList.h"
#include "lists/RefreshList.h"
#include "platform/Platform.h"
#include "platform/WatchedProcess.h"
#include "platform/gui/Dialogs.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>

#include <array>
#include <limits>
#include <tuple>
#include <vector>

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

void untickSwitches(const std::array<QCheckBox *, 8> &boxes)
{
    for (QCheckBox *box : boxes)
        box->setCheckState(Qt::Unchecked);
}

} // namespace

LaunchController::Controls LaunchController::Controls::of(const Form1Ui &ui)
{
    return {
        ui.File6,
        ui.File7,
        ui.File8,
        ui.File9,
        ui.File10,
        ui.File11,
        {ui.Option1, ui.Option2, ui.Option3, ui.Option4, ui.Option5},
        {ui.Option7, ui.Option8, ui.Option9, ui.Option10, ui.Option11, ui.Option12},
        {ui.Check1, ui.Check2, ui.Check3, ui.Check4, ui.Check5, ui.Check6, ui.Check7, ui.Check8},
        ui.Text1,
        ui.Text2,
        ui.Text3,
        ui.Text4,
        ui.Text5,
        ui.Text6,
        ui.Command11,
        ui.Command12,
        ui.Command14,
        ui.Label12,
        ui.Label13,
        ui.Label14,
        ui.Label15,
        ui.Label16,
        ui.Label17,
        ui.Label18};
}

LaunchController::LaunchController(const Controls &controls, const ProgramPaths &paths,
                                   const BusyFiles &busy, QWidget *messages, QObject *parent)
    : QObject(parent), m_ui(controls), m_paths(paths), m_busy(busy), m_messages(messages)
{
    connectControls();
}

void LaunchController::report(const QString &message)
{
    platform::showMessage(m_messages, message);
}

void LaunchController::Play()
{
    const LaunchSelections chosen = selections();
    const Check checked = check(chosen);
    if (checked == Check::NoEngine)
        report(NoEngine);
    if (checked == Check::Ready)
        LaunchEngine(chosen);
}

void LaunchController::PlayAndExit()
{
    const LaunchSelections chosen = selections();
    switch (check(chosen)) {
    case Check::NoEngine:
        report(NoEngine);
        emit closeRequested();
        break;
    case Check::FilesGone:
        break; // the player picks again
    case Check::Ready:
        // An engine that did not start leaves the player where they were.
        if (LaunchEngine(chosen))
            emit closeRequested();
        break;
    }
}

LaunchController::Check LaunchController::check(const LaunchSelections &chosen)
{
    if (chosen.engineName.isEmpty())
        return Check::NoEngine;
    const QString sep = platform::separator();
    // The demo list shows the engine's folder too: gone with it, it is read again with it.
    const QString engine = chosen.engineFolder + sep + chosen.engineName;
    std::vector<ChosenFile> files{{m_ui.File6, engine}, {m_ui.File7, engine}};
    for (const auto &[list, folder, name] :
         {std::tuple{m_ui.File11, chosen.iwadFolder, chosen.iwadName},
          {m_ui.File8, chosen.pwad1Folder, chosen.pwad1Name},
          {m_ui.File9, chosen.pwad2Folder, chosen.pwad2Name},
          {m_ui.File10, m_paths.glWads(), chosen.glName},
          {m_ui.File7, chosen.engineFolder, chosen.playDemo}}) {
        if (!name.isEmpty())
            files.push_back({list, folder + sep + name});
    }
    // A WAD the builder is writing is half a WAD to the engine; and one it has set aside while it
    // builds is not gone. The line alone harms nothing.
    if (m_ui.Text6->toPlainText() != QLatin1String("debug") && !filesAreFree(chosen))
        return Check::FilesGone;
    // A game started without the WAD the player picked is not the game they chose.
    if (!ChosenFilesExist(files, QStringLiteral("nothing was started"), m_messages))
        return Check::FilesGone;
    return PassesEngineCheck(chosen.engineFolder, chosen.engineName) ? Check::Ready
                                                                     : Check::NoEngine;
}

bool LaunchController::LaunchEngine(const LaunchSelections &chosen)
{
    const EngineCommand command = ComposeEngineCommandLine(chosen);
    // The list holds its folder whole, so this is the program the line names.
    const QString &program = command.program;

    if (m_ui.Text6->toPlainText() == QLatin1String("debug")) {
        report(command.line);
    } else {
        // The engine runs in its folder; the launcher's own folder stays as it is.
        QString reason;
        auto *engine = platform::WatchedProcess::start(
            program, command.arguments, chosen.engineFolder, platform::WindowStyle::Maximized,
            m_paths.engineOutputLog(), m_paths.engineErrorLog(), this, &reason);
        if (!engine) {
            report(QStringLiteral("Cannot start \"%1\": %2").arg(program, reason));
            return false;
        }
        const QString name = chosen.engineName;
        connect(engine, &platform::WatchedProcess::ended, this,
                [this, engine, name](platform::ProcessEnd end) {
                    engine->deleteLater();
                    // Whole: a demo's name can make its last line long.
                    const QStringList lines = engine->lastLines(8, std::numeric_limits<int>::max());
                    if (EngineFailed(end, lines))
                        report(EngineFailureMessage(name, end, lines));
                });
    }
    // A recording is not repeated by the next start.
    m_ui.Text1->clear();
    return true;
}

bool LaunchController::filesAreFree(const LaunchSelections &chosen)
{
    const QString sep = platform::separator();
    for (const auto &[folder, name] : {std::pair{chosen.iwadFolder, chosen.iwadName},
                                       {m_paths.glWads(), chosen.glName},
                                       {chosen.pwad1Folder, chosen.pwad1Name},
                                       {chosen.pwad2Folder, chosen.pwad2Name}}) {
        // A WAD the builder is writing is half a WAD to the engine.
        const QString refusal = name.isEmpty() ? QString() : m_busy.refusal(folder + sep + name);
        if (!refusal.isEmpty()) {
            report(refusal);
            return false;
        }
    }
    return true;
}

LaunchSelections LaunchController::selections() const
{
    const Controls &ui = m_ui;
    LaunchSelections s;
    s.engineFolder = ui.File6->path();
    s.engineName = ui.File6->fileName();

    for (int i = 0; i < 5; ++i) {
        if (ui.skills[size_t(i)]->isChecked())
            s.skill = i + 1;
    }
    for (int i = 0; i < 6; ++i) {
        if (ui.loadSlots[size_t(i)]->isChecked())
            s.loadSlot = 5 - i;
    }

    s.iwadFolder = ui.File11->path();
    s.iwadName = ui.File11->fileName();
    s.pwad1Folder = ui.File8->path();
    s.pwad1Name = ui.File8->fileName();
    s.pwad2Folder = ui.File9->path();
    s.pwad2Name = ui.File9->fileName();
    s.programFolder = m_paths.programFolder();
    s.glName = ui.File10->fileName();

    s.recordName = ui.Text1->text();
    s.extraParameter = ui.Text2->text();
    s.warp = ui.Text3->text();
    s.turbo = ui.Text4->text();
    s.maxDemo = ui.Text5->text();
    s.playDemo = ui.File7->fileName();

    for (size_t i = 0; i < 7; ++i)
        s.switches[i] = ticked(ui.switches[i]);
    s.extraParameterOn = ticked(ui.switches[7]);
    return s;
}

void LaunchController::ClearNewGameOptions()
{
    for (QLineEdit *box : {m_ui.Text5, m_ui.Text4, m_ui.Text3})
        box->clear();
    untickSwitches(m_ui.switches);
}

void LaunchController::ClearLoadGameOptions()
{
    for (QRadioButton *slot : m_ui.loadSlots)
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
    const Controls &ui = m_ui;
    connect(ui.Command12, &QPushButton::clicked, this, &LaunchController::Play);
    connect(ui.Command11, &QPushButton::clicked, this, &LaunchController::PlayAndExit);

    for (QRadioButton *slot : ui.loadSlots) {
        // A deselection triggers nothing.
        connect(slot, &QRadioButton::toggled, this, [this, slot](bool selected) {
            if (selected)
                chooseLoadSlot(slot);
        });
    }
    for (QCheckBox *box : ui.switches)
        connect(box, &QCheckBox::stateChanged, this, &LaunchController::ClearLoadGameOptions);
    // MaxDemo too: a slot empties all three boxes, so each of them lets go of the slot.
    for (QLineEdit *box : {ui.Text3, ui.Text4, ui.Text5})
        connect(box, &QLineEdit::textChanged, this, &LaunchController::ClearLoadGameOptions);
    connect(ui.Text1, &QLineEdit::textChanged, this, &LaunchController::recordNameChanged);
    connect(ui.File7, &FolderList::fileSelected, this, &LaunchController::demoPicked);

    connect(ui.Label12, &ClickableLabel::clicked, ui.Text1, &QLineEdit::clear);
    connect(ui.Label13, &ClickableLabel::clicked, this, [this] {
        for (QRadioButton *skill : m_ui.skills)
            deselect(skill);
    });
    connect(ui.Label14, &ClickableLabel::clicked, this, &LaunchController::ClearLoadGameOptions);
    connect(ui.Label15, &ClickableLabel::clicked, ui.Text3, &QLineEdit::clear);
    connect(ui.Label16, &ClickableLabel::clicked, this, [this] { untickSwitches(m_ui.switches); });
    connect(ui.Label17, &ClickableLabel::clicked, ui.Text4, &QLineEdit::clear);
    connect(ui.Label18, &ClickableLabel::clicked, ui.Text5, &QLineEdit::clear);
    connect(ui.Command14, &QPushButton::clicked, this,
            [this] { m_ui.Text2->setText(QStringLiteral("-")); });
}
