#pragma once

#include "core/ProgramPaths.h"

#include <QObject>
#include <QStringList>

#include <functional>

class BusyFiles;
class FolderList;
struct Form1Ui;
class ProcessStop;
class QPushButton;
class QWidget;
struct NodeBuilderCommand;

// The two buttons that run the node builder on the selected PWADs or IWAD. One build runs
// at a time; the files it reads and writes are held busy meanwhile.
class NodeBuildController : public QObject
{
    Q_OBJECT

public:
    // The controls it reads and refreshes, by their names in the window.
    struct Controls
    {
        FolderList *File5, *File8, *File9, *File10, *File11;
        QPushButton *Command5, *Command13;

        static Controls of(const Form1Ui &ui);
    };

    // Messages and the question before closing go over `messages`.
    NodeBuildController(const Controls &controls, const ProgramPaths &paths, BusyFiles &busy,
                        QWidget *messages, QObject *parent);

    // GL-node versions of the PWADs selected in both PWAD lists, into GL_WADs.
    void MakeGlPwad();
    // Rebuilds the selected IWAD with GL nodes, in place.
    void MakeGlIwad();

    // Asked before the window closes: true when it may close now. During a build the player
    // may end it; closeRequested() follows once the build has ended.
    bool mayClose();

signals:
    // A build starts (true) or has ended (false).
    void building(bool running);
    void closeRequested();

private:
    // Starts a command unless one runs already; false after saying why.
    bool beginCommand();
    void endCommand();
    // Runs one build and reports a failure, naming the WAD it was given first.
    // False when the builder could not be started or the build was ended.
    // `prepare` runs once the build is sure to go ahead, before the builder starts.
    bool runNodeBuilder(const NodeBuilderCommand &command,
                        const std::function<bool(QString *reason)> &prepare = nullptr);
    void report(const QString &message);

    const Controls m_ui;
    const ProgramPaths m_paths;
    BusyFiles &m_busy;
    QWidget *m_messages;
    ProcessStop *m_stop;
    bool m_busyCommand = false; // a command runs
    QString m_buildingWad;      // the WAD the builder was given, while it runs
    bool m_inPlace = false;     // the builder writes over its input
    bool m_closing = false;     // the player ended the build to close the window
};
