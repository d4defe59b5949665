#include "app/RefreshList.h"

#include "app/FolderList.h"
#include "platform/Dialogs.h"

void RefreshList(FolderList *list, QWidget *window)
{
    QString reason;
    if (!list->refresh(&reason)) {
        platform::showMessage(
            window, QStringLiteral("Cannot show the folder \"%1\": %2").arg(list->path(), reason));
    }
}
