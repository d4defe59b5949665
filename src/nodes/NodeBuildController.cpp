#include "nodes/NodeBuildController.h"

#include "controls/Form1Ui.h"
#include "core/files/BuildJournal.h"
#include "core/files/BusyFiles.h"
#include "core/files/FileOperations.h"
#include "core/nodes/NodeBuilderCommands.h"
#include "core/nodes/ShellAndWait.h"
#include "lists/FolderList.h"
#include "lists/RefreshList.h"
#include "platform/Ending.h"
#include "platform/Platform.h"
#include "platform/gui/Dialogs.h"

#include <QFileInfo>
#include <QPushButton>
#include <QScopeGuard>

NodeBuildController::Controls NodeBuildController::Controls::of(const Form1Ui &ui)
{
    return {ui.File5, ui.File8, ui.File9, ui.File10, ui.File11, ui.Command5, ui.Command13};
}

NodeBuildController::NodeBuildController(const Controls &controls, const ProgramPaths &paths,
                                         BusyFiles &busy, QWidget *messages, QObject *parent)
    : QObject(parent), m_ui(controls), m_paths(paths), m_busy(busy), m_messages(messages),
      m_stop(new ProcessStop(this))
{
    connect(m_ui.Command5, &QPushButton::clicked, this, &NodeBuildController::MakeGlPwad);
    connect(m_ui.Command13, &QPushButton::clicked, this, &NodeBuildController::MakeGlIwad);
}

void NodeBuildController::MakeGlPwad()
{
    if (!beginCommand())
        return;
    const auto end = qScopeGuard([this] { endCommand(); });
    const Controls &ui = m_ui;
    // Each list is read only when its turn comes: the player may change the second
    // selection while the first build runs.
    QString firstOutput, firstKey;
    for (FolderList *list : {ui.File8, ui.File9}) {
        const QString name = list->fileName();
        if (name.isEmpty())
            continue;
        const NodeBuilderCommand command =
            GlPwadCommand(m_paths.programFolder(), list->path(), name, m_paths.glWads());
        // "MAP01.WAD" and "map01.wad" are one GL PWAD where names ignore case.
        const QString key = platform::comparisonKey(command.arguments.last());
        if (key == firstKey) {
            report(QStringLiteral("\"%1\" is selected in both PWAD lists, and both would be "
                                  "built into \"%2\": only the first list's one was built.")
                       .arg(name, firstOutput));
            break;
        }
        firstKey = key;
        firstOutput = command.arguments.last();
        // Read again meanwhile, or moved: a list can show a file that is gone.
        if (!ChosenFilesExist({{list, command.arguments.first()}},
                              QStringLiteral("nothing was built"), m_messages) ||
            !runNodeBuilder(command))
            return;
    }
    RefreshList(ui.File8, m_messages);
    RefreshList(ui.File9, m_messages);
    RefreshList(ui.File10, m_messages);
}

void NodeBuildController::MakeGlIwad()
{
    const Controls &ui = m_ui;
    const QString name = ui.File11->fileName();
    if (name.isEmpty() || !beginCommand())
        return;
    const auto end = qScopeGuard([this] { endCommand(); });
    const NodeBuilderCommand command =
        GlIwadCommand(m_paths.programFolder(), ui.File11->path(), name);
    const QString iwad = command.arguments.first();
    if (!ChosenFilesExist({{ui.File11, iwad}}, QStringLiteral("nothing was rebuilt"), m_messages))
        return;
    // The IWAD Safe keeps the originals that "copy" brings back: none may be rebuilt, by
    // whatever spelling of its folder, link or second name the IWAD list reaches it.
    const QByteArray safeFolder = platform::fileIdentity(ui.File5->path());
    if (!safeFolder.isEmpty() && platform::fileIdentity(ui.File11->path()) == safeFolder) {
        report(QStringLiteral("\"%1\" lies in the IWAD Safe folder \"%2\", which keeps the "
                              "originals that \"copy\" brings back: \"make GL IWAD\" does not "
                              "rebuild them. Show another IWAD folder to rebuild a copy.")
                   .arg(iwad, ui.File5->path()));
        return;
    }
    QStringList originals;
    for (const QString &original : ui.File5->names())
        originals << ui.File5->path() + platform::separator() + original;
    const QString original = SafeOriginalOf(iwad, originals);
    if (!original.isEmpty()) {
        report(QStringLiteral("\"%1\" is the same file as \"%2\" in the IWAD Safe folder, "
                              "which keeps the originals that \"copy\" brings back: \"make GL "
                              "IWAD\" does not rebuild them. \"copy\" from IWAD Safe puts a file "
                              "of its own in the IWAD folder.")
                   .arg(iwad, original));
        return;
    }
    // Rebuilt in place, the file the link points to would change: maybe the very original
    // that IWAD Safe keeps.
    if (QFileInfo(iwad).isSymLink()) {
        report(QStringLiteral("\"%1\" is a link to \"%2\", which \"make GL IWAD\" would "
                              "change. \"copy\" from IWAD Safe puts a file of its own there.")
                   .arg(iwad, QFileInfo(iwad).symLinkTarget()));
        return;
    }
    // Made writable only once the build is sure to run: a refused one leaves it protected.
    const auto writable = [iwad](QString *reason) {
        QString why;
        if (platform::setNormalAttributes(iwad, &why))
            return true;
        *reason = QStringLiteral("Cannot make \"%1\" writable: %2").arg(iwad, why);
        return false;
    };
    if (!runNodeBuilder(command, writable))
        return;
    RefreshList(ui.File11, m_messages);
}

bool NodeBuildController::mayClose()
{
    if (!m_busyCommand)
        return true;
    if (m_closing)
        return false;
    QString question = QStringLiteral("The node builder is still building \"%1\". End the "
                                      "build and close the launcher?")
                           .arg(m_buildingWad);
    if (m_inPlace)
        question += QStringLiteral("\n\nIf the builder has begun to write it, the IWAD may be "
                                   "left incomplete; \"copy\" from IWAD Safe restores it.");
    if (!platform::dialogs().ask(m_messages, question))
        return false;
    // The build may have ended while the player read the question.
    if (!m_busyCommand)
        return true;
    m_closing = true;
    m_stop->request();
    return false;
}

bool NodeBuildController::beginCommand()
{
    // A second build would run nested inside the first and could write the same files.
    if (m_busyCommand) {
        report(QStringLiteral("The node builder is still building \"%1\"; wait until that "
                              "build has ended.")
                   .arg(m_buildingWad));
        return false;
    }
    m_busyCommand = true;
    emit building(true);
    return true;
}

void NodeBuildController::endCommand()
{
    m_busyCommand = false;
    emit building(false);
    if (m_closing)
        emit closeRequested();
}

bool NodeBuildController::runNodeBuilder(const NodeBuilderCommand &command,
                                         const std::function<bool(QString *)> &prepare)
{
    if (m_closing)
        return false;
    // The builder and GL_WADs live in the program folder; without it the paths would
    // point into the root folder.
    if (!m_paths.isKnown()) {
        report(QStringLiteral("Cannot start the node builder: the folder the launcher was "
                              "started in is gone."));
        return false;
    }
    const QString input = command.arguments.first(), output = command.arguments.last();
    const bool inPlace = output == input;
    if (!inPlace && platform::isWriteProtected(output)) {
        report(QStringLiteral("\"%1\" is write-protected, so no new GL PWAD replaces it.")
                   .arg(output));
        return false;
    }
    BuildJournal journal(m_paths.glWads());
    QString reason;
    QStringList repaired;
    if (!journal.begin(input, output, &reason, &repaired, prepare)) {
        report(repaired.isEmpty() ? reason : BuildJournal::afterRepair(repaired));
        return false;
    }
    m_buildingWad = input;
    m_busy.hold({input, output});
    m_inPlace = inPlace;
    const ProcessOutcome outcome = ShellAndWait(command.program, command.arguments, m_stop);
    m_busy.release();
    // A builder can end without error and write nothing, or nothing that is a WAD.
    QString noWad;
    if (outcome.succeeded() && IsWadFile(output, &noWad)) {
        journal.commit();
        return true;
    }
    const QString fate = journal.rollBack();
    // Ended from outside, the launcher goes without a word.
    if (ending::requested())
        return false;

    QString message;
    if (!outcome.started) {
        message = QStringLiteral("Cannot start the node builder \"%1\": %2")
                      .arg(command.program, outcome.startError);
    } else if (outcome.succeeded()) {
        message = QStringLiteral("The node builder ended without an error on \"%1\", but "
                                 "\"%2\" is no WAD: %3.")
                      .arg(input, output, noWad);
    } else if (outcome.ended) {
        message =
            QStringLiteral("The node build of \"%1\" was ended before it had finished.").arg(input);
    } else {
        const QString end =
            outcome.crashed
                ? QStringLiteral("was ended by %1").arg(platform::abnormalEndOf(outcome.exitCode))
                : QStringLiteral("ended with exit code %1").arg(outcome.exitCode);
        message = QStringLiteral("The node builder failed on \"%1\": it %2.").arg(input, end);
    }
    // A builder that never started changed nothing.
    if (outcome.started && !fate.isEmpty())
        message += QLatin1Char(' ') + fate;
    if (outcome.started) {
        message += QStringLiteral("\n\n") + command.display();
        if (!outcome.outputTail.isEmpty())
            message += QStringLiteral("\n\nIts last lines:\n") + outcome.outputTail;
    }
    report(message);
    return outcome.started && !outcome.ended;
}

void NodeBuildController::report(const QString &message)
{
    platform::showMessage(m_messages, message);
}
