#pragma once

#include "core/ProgramPaths.h"

#include <QObject>

class BusyFiles;
class FolderList;
struct Form1Ui;
class QLineEdit;
class QPushButton;
class QWidget;

// The copy, delete and re-record buttons beside the folder lists. Each acts at once on the
// file selected in one list and refreshes the list whose folder it changed; a file a node
// build holds is left alone.
class FileOpsController : public QObject
{
    Q_OBJECT

public:
    // The controls it reads, changes and refreshes, by their names in the window.
    struct Controls
    {
        FolderList *File5, *File6, *File7, *File10, *File11;
        QLineEdit *Text1;
        QPushButton *Command6, *Command7, *Command16, *Command17, *Command18, *Command19,
            *Command20;

        static Controls of(const Form1Ui &ui);
    };

    // Messages go over `messages`.
    FileOpsController(const Controls &controls, const ProgramPaths &paths, const BusyFiles &busy,
                      QWidget *messages, QObject *parent);

    void DeleteGlPwad();
    void DeleteDemo();
    void ReRecordDemo();
    void CopyIwadToEngineFolder();
    void DeleteEngineFolderWad();
    void CopySafeIwadToIwadFolder();
    void DeleteIwad();

private:
    // Copies the file selected in `from` into the folder of `to` and refreshes `to`.
    void copySelected(FolderList *from, FolderList *to);
    // Each reports its failure and returns false.
    bool isFree(const QString &path);
    // False, after saying so, when `path` is one of the IWAD Safe folder's originals.
    bool isNoOriginal(const QString &path, const QString &refused);
    // Whether the file picked in `list` is still there to delete.
    bool exists(FolderList *list, const QString &path);
    bool remove(const QString &path);
    bool makeNormal(const QString &path);
    void report(const QString &message);

    const Controls m_ui;
    const ProgramPaths m_paths;
    const BusyFiles &m_busy;
    QWidget *m_messages;
};
