#pragma once

class FolderList;
class QWidget;

// Reads the list's folder again; a folder that cannot be read is reported with the
// system's reason in a message over `window` once the read is done.
void RefreshList(FolderList *list, QWidget *window);
