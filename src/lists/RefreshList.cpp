#include "lists/RefreshList.h"

#include "lists/FolderList.h"
#include "platform/gui/Dialogs.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>

void RefreshList(FolderList *list, QWidget *window)
{
    list->refresh([window](const QString &problem) {
        if (!problem.isEmpty())
            platform::showMessage(window, problem);
    });
}

bool ChosenFilesExist(const std::vector<ChosenFile> &files, const QString &nothingDone,
                      QWidget *window)
{
    QStringList gone;
    std::vector<FolderList *> lists;
    for (const ChosenFile &file : files) {
        // A link that leads nowhere is as gone as the file it led to.
        if (QFileInfo::exists(file.path))
            continue;
        const QString quoted = QStringLiteral("\"%1\"").arg(file.path);
        if (!gone.contains(quoted))
            gone << quoted;
        if (std::find(lists.begin(), lists.end(), file.list) == lists.end())
            lists.push_back(file.list);
    }
    if (gone.isEmpty())
        return true;
    const QString names = gone.size() == 1
                              ? gone.first()
                              : gone.mid(0, gone.size() - 1).join(QStringLiteral(", ")) +
                                    QStringLiteral(" and ") + gone.last();
    platform::showMessage(
        window, QStringLiteral("%1 %2 gone: %3.")
                    .arg(names, gone.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"),
                         nothingDone));
    // Quietly: the message above already says what is missing.
    for (FolderList *list : lists)
        list->refresh();
    return false;
}
