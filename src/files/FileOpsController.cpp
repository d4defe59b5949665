#include "files/FileOpsController.h"

#include "controls/Form1Ui.h"
#include "core/files/BusyFiles.h"
#include "core/files/FileOperations.h"
#include "lists/FolderList.h"
#include "lists/RefreshList.h"
#include "platform/Platform.h"
#include "platform/gui/Dialogs.h"

#include <QLineEdit>
#include <QPushButton>

FileOpsController::Controls FileOpsController::Controls::of(const Form1Ui &ui)
{
    return {ui.File5,     ui.File6,     ui.File7,    ui.File10,    ui.File11,
            ui.Text1,     ui.Command6,  ui.Command7, ui.Command16, ui.Command17,
            ui.Command18, ui.Command19, ui.Command20};
}

FileOpsController::FileOpsController(const Controls &controls, const ProgramPaths &paths,
                                     const BusyFiles &busy, QWidget *messages, QObject *parent)
    : QObject(parent), m_ui(controls), m_paths(paths), m_busy(busy), m_messages(messages)
{
    const Controls &ui = m_ui;
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
    const Controls &ui = m_ui;
    const QString name = ui.File10->fileName();
    const QString path = m_paths.glWads() + platform::separator() + name;
    if (!name.isEmpty() && !(exists(ui.File10, path) && remove(path)))
        return;
    RefreshList(ui.File10, m_messages);
}

void FileOpsController::DeleteDemo()
{
    const Controls &ui = m_ui;
    const QString name = ui.File7->fileName();
    // The demos lie in the engine folder, which the engine list names.
    const QString path = ui.File6->path() + platform::separator() + name;
    if (!name.isEmpty() && !(exists(ui.File7, path) && remove(path)))
        return;
    RefreshList(ui.File7, m_messages);
}

void FileOpsController::ReRecordDemo()
{
    const Controls &ui = m_ui;
    const QString name = ui.File7->fileName();
    if (name.isEmpty() ||
        !ChosenFilesExist({{ui.File7, ui.File6->path() + platform::separator() + name}},
                          QStringLiteral("the record name stays as it was"), m_messages))
        return;
    ui.Text1->setText(RecordNameOf(name));
}

void FileOpsController::CopyIwadToEngineFolder()
{
    const Controls &ui = m_ui;
    copySelected(ui.File11, ui.File6);
}

void FileOpsController::DeleteEngineFolderWad()
{
    const Controls &ui = m_ui;
    const QString name = ui.File6->fileName();
    if (!name.isEmpty()) {
        const QString path = ui.File6->path() + platform::separator() + name;
        // Any selected file is made normal first; only then does the name decide.
        if (!exists(ui.File6, path) ||
            !isNoOriginal(path, QStringLiteral("\"del\" does not "
                                               "delete it")) ||
            !makeNormal(path))
            return;
        if (!IsWadName(name))
            report(QStringLiteral("Only WADs can be deleted."));
        else if (!remove(path))
            return;
    }
    RefreshList(ui.File6, m_messages);
}

void FileOpsController::CopySafeIwadToIwadFolder()
{
    const Controls &ui = m_ui;
    copySelected(ui.File5, ui.File11);
}

void FileOpsController::DeleteIwad()
{
    const Controls &ui = m_ui;
    const QString name = ui.File11->fileName();
    if (!name.isEmpty()) {
        const QString path = ui.File11->path() + platform::separator() + name;
        if (!exists(ui.File11, path) ||
            !isNoOriginal(path, QStringLiteral("\"del\" does not delete it")) ||
            !makeNormal(path) || !remove(path))
            return;
    }
    RefreshList(ui.File11, m_messages);
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
    if (!isFree(source) || !isFree(target) ||
        !ChosenFilesExist({{from, source}}, QStringLiteral("nothing was copied"), m_messages))
        return;
    // Onto itself, a copy would only replace the entry: a link or a second name would lose it,
    // and Windows refuses to replace a file that is open for the copy.
    const QByteArray identity = platform::fileIdentity(source);
    if (!identity.isEmpty() && identity == platform::fileIdentity(target)) {
        report(source == target
                   ? QStringLiteral("\"%1\" would be copied onto itself: nothing was copied.")
                         .arg(source)
                   : QStringLiteral("\"%1\" and \"%2\" are one file: nothing was copied.")
                         .arg(source, target));
        return;
    }
    if (!isNoOriginal(target, QStringLiteral("\"copy\" does not write over it")))
        return;
    QString reason;
    if (!CopyFileReplacing(source, target, &reason)) {
        report(QStringLiteral("Cannot copy \"%1\" to \"%2\": %3").arg(source, target, reason));
        return;
    }
    RefreshList(to, m_messages);
}

bool FileOpsController::isNoOriginal(const QString &path, const QString &refused)
{
    const Controls &ui = m_ui;
    QStringList originals;
    for (const QString &name : ui.File5->names())
        originals << ui.File5->path() + platform::separator() + name;
    const QString original = SafeOriginalOf(path, originals);
    if (!original.isEmpty())
        report(QStringLiteral("\"%1\" is the original \"%2\" that the IWAD Safe folder keeps "
                              "for \"copy\" to bring back: %3.")
                   .arg(path, original, refused));
    return original.isEmpty();
}

bool FileOpsController::isFree(const QString &path)
{
    const QString refusal = m_busy.refusal(path);
    if (!refusal.isEmpty())
        report(refusal);
    return refusal.isEmpty();
}

bool FileOpsController::exists(FolderList *list, const QString &path)
{
    // A file a build has set aside is not gone: it is busy.
    return isFree(path) &&
           ChosenFilesExist({{list, path}}, QStringLiteral("nothing was deleted"), m_messages);
}

bool FileOpsController::remove(const QString &path)
{
    if (!isFree(path))
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
    if (!isFree(path))
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
    platform::showMessage(m_messages, message);
}
