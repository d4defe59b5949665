#include "files/FileOpsController.h"

#include "lists/FolderList.h"
#include "app/Form1.h"
#include "lists/RefreshList.h"
#include "core/files/FileOperations.h"
#include "nodes/NodeBuildController.h"
#include "platform/gui/Dialogs.h"
#include "platform/Platform.h"

#include <QLineEdit>
#include <QPushButton>

FileOpsController::FileOpsController(Form1 &window, const NodeBuildController &nodeBuilds,
                                     QObject *parent)
    : QObject(parent), m_window(window), m_nodeBuilds(nodeBuilds)
{
    const Form1Ui &ui = window.ui();
    connect(ui.Command6, &QPushButton::clicked, this, &FileOpsController::DeleteGlPwad);
    connect(ui.Command7, &QPushButton::clicked, this, &FileOpsController::DeleteDemo);
    connect(ui.Command16, &QPushButton::clicked, this, &FileOpsController::ReRecordDemo);
    connect(ui.Command17, &QPushButton::clicked, this, &FileOpsController::CopyIwadToEngineFolder);
    connect(ui.Command18, &QPushButton::clicked, this, &FileOpsController::DeleteEngineFolderWad);
    connect(ui.Command19, &QPushButton::clicked, this,
            &FileOpsController::CopySafeIwadToIwadFolder);
    connect(ui.Command20, &QPushButton::clicked, this, &FileOpsController::DeleteIwad);
}

void FileOpsController::DeleteGlPwad()
{
    const Form1Ui &ui = m_window.ui();
    const QString name = ui.File10->fileName();
    if (!name.isEmpty() && !remove(m_window.glWadsFolder() + platform::separator() + name))
        return;
    RefreshList(ui.File10, &m_window);
}

void FileOpsController::DeleteDemo()
{
    const Form1Ui &ui = m_window.ui();
    const QString name = ui.File7->fileName();
    // The demos lie in the engine folder, which the engine list names.
    if (!name.isEmpty() && !remove(ui.File6->path() + platform::separator() + name))
        return;
    RefreshList(ui.File7, &m_window);
}

void FileOpsController::ReRecordDemo()
{
    const Form1Ui &ui = m_window.ui();
    const QString name = ui.File7->fileName();
    if (!name.isEmpty())
        ui.Text1->setText(RecordNameOf(name));
}

void FileOpsController::CopyIwadToEngineFolder()
{
    const Form1Ui &ui = m_window.ui();
    copySelected(ui.File11, ui.File6);
}

void FileOpsController::DeleteEngineFolderWad()
{
    const Form1Ui &ui = m_window.ui();
    const QString name = ui.File6->fileName();
    if (!name.isEmpty()) {
        const QString path = ui.File6->path() + platform::separator() + name;
        // Any selected file is made normal first; only then does the name decide.
        if (!makeNormal(path))
            return;
        if (!IsWadName(name))
            report(QStringLiteral("Only WADs can be deleted."));
        else if (!remove(path))
            return;
    }
    RefreshList(ui.File6, &m_window);
}

void FileOpsController::CopySafeIwadToIwadFolder()
{
    const Form1Ui &ui = m_window.ui();
    copySelected(ui.File5, ui.File11);
}

void FileOpsController::DeleteIwad()
{
    const Form1Ui &ui = m_window.ui();
    const QString name = ui.File11->fileName();
    if (!name.isEmpty()) {
        const QString path = ui.File11->path() + platform::separator() + name;
        if (!makeNormal(path) || !remove(path))
            return;
    }
    RefreshList(ui.File11, &m_window);
}

void FileOpsController::copySelected(FolderList *from, FolderList *to)
{
    const QString name = from->fileName();
    if (name.isEmpty())
        return;
    const QString sep = platform::separator();
    const QString source = from->path() + sep + name;
    // Without a folder the copy would land in the file system's root.
    if (to->path().isEmpty()) {
        report(
            QStringLiteral("Cannot copy \"%1\": no folder is chosen to copy it to.").arg(source));
        return;
    }
    const QString target = to->path() + sep + name;
    if (!m_nodeBuilds.isFree(source) || !m_nodeBuilds.isFree(target))
        return;
    QString reason;
    if (!CopyFileReplacing(source, target, &reason)) {
        report(QStringLiteral("Cannot copy \"%1\" to \"%2\": %3").arg(source, target, reason));
        return;
    }
    RefreshList(to, &m_window);
}

bool FileOpsController::remove(const QString &path)
{
    if (!m_nodeBuilds.isFree(path))
        return false;
    QString reason;
    if (!RemoveFile(path, &reason)) {
        report(QStringLiteral("Cannot delete \"%1\": %2").arg(path, reason));
        return false;
    }
    return true;
}

bool FileOpsController::makeNormal(const QString &path)
{
    if (!m_nodeBuilds.isFree(path))
        return false;
    QString reason;
    if (!platform::setNormalAttributes(path, &reason)) {
        report(QStringLiteral("Cannot make \"%1\" writable: %2").arg(path, reason));
        return false;
    }
    return true;
}

void FileOpsController::report(const QString &message)
{
    platform::showMessage(&m_window, message);
}
