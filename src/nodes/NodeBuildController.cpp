#include "nodes/NodeBuildController.h"

#include "app/FolderList.h"
#include "app/Form1.h"
#include "app/RefreshList.h"
#include "files/FileOperations.h"
#include "nodes/NodeBuilderCommands.h"
#include "nodes/ShellAndWait.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"

#include <QDir>
#include <QPushButton>
#include <QScopeGuard>

NodeBuildController::NodeBuildController(Form1 &window, QObject *parent)
    : QObject(parent), m_window(window)
{
    const Form1Ui &ui = window.ui();
    connect(ui.Command5, &QPushButton::clicked, this, &NodeBuildController::MakeGlPwad);
    connect(ui.Command13, &QPushButton::clicked, this, &NodeBuildController::MakeGlIwad);
}

void NodeBuildController::MakeGlPwad()
{
    const Form1Ui &ui = m_window.ui();
    // Each list is read only when its turn comes: the player may change the second
    // selection while the first build runs.
    for (FolderList *list : {ui.File8, ui.File9}) {
        // Closed meanwhile: the program is ending, so no further build is started.
        if (!m_window.isVisible())
            return;
        const QString name = list->fileName();
        if (name.isEmpty())
            continue;
        const NodeBuilderCommand command =
            GlPwadCommand(m_window.programFolder(), list->path(), name, m_window.glWadsFolder());
        if (!runNodeBuilder(command))
            return;
    }
    RefreshList(ui.File8, &m_window);
    RefreshList(ui.File9, &m_window);
    RefreshList(ui.File10, &m_window);
}

void NodeBuildController::MakeGlIwad()
{
    const Form1Ui &ui = m_window.ui();
    const QString name = ui.File11->fileName();
    if (name.isEmpty())
        return;
    const NodeBuilderCommand command =
        GlIwadCommand(m_window.programFolder(), ui.File11->path(), name);
    const QString iwad = command.arguments.first();
    QString reason;
    if (!platform::setNormalAttributes(iwad, &reason)) {
        report(QStringLiteral("Cannot make \"%1\" writable: %2").arg(iwad, reason));
        return;
    }
    if (!runNodeBuilder(command))
        return;
    RefreshList(ui.File11, &m_window);
}

bool NodeBuildController::runNodeBuilder(const NodeBuilderCommand &command)
{
    // Builds nest while the window waits, but two at once on one file would write it
    // together: a second click on the same WAD is turned away.
    QStringList paths;
    for (const QString &path : {command.arguments.first(), command.arguments.last()})
        paths << QDir::cleanPath(path);
    for (const QString &path : paths) {
        if (m_building.contains(path)) {
            report(QStringLiteral("\"%1\" is being built already; wait until that build has "
                                  "ended.")
                       .arg(path));
            return true;
        }
    }
    for (const QString &path : paths)
        m_building.insert(path);
    const auto done = qScopeGuard([&] {
        for (const QString &path : paths)
            m_building.remove(path);
    });

    // The builder and GL_WADs live in the program folder; without it the paths would
    // point into the root folder.
    if (m_window.programFolder().isEmpty()) {
        report(QStringLiteral("Cannot start the node builder: the folder the launcher was "
                              "started in is gone."));
        return false;
    }
    const QString output = command.arguments.last();
    const bool inPlace = output == command.arguments.first();
    const QByteArray outputBefore = platform::fileStamp(output);
    const ProcessOutcome outcome = ShellAndWait(command.program, command.arguments);
    if (!outcome.started) {
        report(QStringLiteral("Cannot start the node builder \"%1\": %2")
                   .arg(command.program, outcome.startError));
        return false;
    }
    if (!outcome.succeeded()) {
        const QString end =
            outcome.crashed
                ? QStringLiteral("was ended by %1").arg(platform::abnormalEndOf(outcome.exitCode))
                : QStringLiteral("ended with exit code %1").arg(outcome.exitCode);
        QString message = QStringLiteral("The node builder failed on \"%1\": it %2.")
                              .arg(command.arguments.first(), end);
        // What a failed build wrote into GL_WADs would be listed there, ready to be played.
        const QByteArray outputAfter = platform::fileStamp(output);
        if (!inPlace && !outputAfter.isEmpty() && outputAfter != outputBefore) {
            QString reason;
            message += RemoveFile(output, &reason)
                           ? QStringLiteral(" \"%1\" was removed: the failed build had written it.")
                                 .arg(output)
                           : QStringLiteral(" \"%1\", which the failed build wrote, cannot be "
                                            "removed: %2")
                                 .arg(output, reason);
        }
        message += QStringLiteral("\n\n") + command.display();
        if (!outcome.outputTail.isEmpty())
            message += QStringLiteral("\n\nIts last lines:\n") + outcome.outputTail;
        report(message);
    }
    return true;
}

void NodeBuildController::report(const QString &message)
{
    platform::showMessage(&m_window, message);
}
