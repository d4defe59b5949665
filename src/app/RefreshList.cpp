#include "app/RefreshList.h"

#include "app/FolderList.h"
#include "platform/Dialogs.h"

void RefreshList(FolderList *list, QWidget *window)
{
    list->refresh([window](const QString &problem) {
        if (!problem.isEmpty())
            platform::showMessage(window, problem);
    });
}
