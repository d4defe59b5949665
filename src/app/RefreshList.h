#pragma once

#include <QString>

class FolderList;
class QWidget;

// The message for a folder that a list cannot show.
QString CannotShowFolder(const QString &folder, const QString &reason);

// Reads the list's folder again; a folder that cannot be read is reported with the
// system's reason in a message over `window`.
void RefreshList(FolderList *list, QWidget *window);
