#include "app/RefreshList.h"

#include "app/FolderList.h"
#include "platform/Dialogs.h"

QString CannotShowFolder(const QString &folder, const QString &reason)
{
    return QStringLiteral("Cannot show the folder \"%1\": %2").arg(folder, reason);
}

void RefreshList(FolderList *list, QWidget *window)
{
    QString reason;
    if (!list->refresh(&reason))
        platform::showMessage(window, CannotShowFolder(list->path(), reason));
}
