#include "lists/RefreshList.h"

#include "lists/FolderList.h"
#include "platform/gui/Dialogs.h"

void RefreshList(FolderList *list, QWidget *window)
{
    list->refresh([window](const QString &problem) {
        if (!problem.isEmpty())
            platform::showMessage(window, problem);
    });
}
