#pragma once

#include <QObject>

class FolderList;
class Form1;
class NodeBuildController;

// The copy, delete and re-record buttons beside the folder lists. Each acts at once on
// the file selected in one list and refreshes the list whose folder it changed; a file the
// node builder is working on is left alone.
class FileOpsController : public QObject
{
    Q_OBJECT

public:
    FileOpsController(Form1 &window, const NodeBuildController &nodeBuilds, QObject *parent);

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
    bool remove(const QString &path);
    bool makeNormal(const QString &path);
    void report(const QString &message);

    Form1 &m_window;
    const NodeBuildController &m_nodeBuilds;
};
