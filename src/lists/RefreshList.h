#pragma once

#include <QString>

#include <vector>

class FolderList;
class QWidget;

// Reads the list's folder again; a folder that cannot be read is reported with the
// system's reason in a message over `window` once the read is done.
void RefreshList(FolderList *list, QWidget *window);

// A file a command is about to use, and the list it was picked in.
struct ChosenFile
{
    FolderList *list;
    QString path;
};

// Whether every file of `files` is still there, checked at the click: a list may show a file
// that was moved a moment ago. When some are gone, one message over `window` names them and
// ends with `nothingDone` ("nothing was started"), their lists are read again, and the
// answer is false.
bool ChosenFilesExist(const std::vector<ChosenFile> &files, const QString &nothingDone,
                      QWidget *window);
