#pragma once

#include <QObject>
#include <QStringList>

class Form1;
class ProcessStop;
struct NodeBuilderCommand;

// The two buttons that run the node builder on the selected PWADs or IWAD. One build runs
// at a time; the window shows it with a busy cursor.
class NodeBuildController : public QObject
{
    Q_OBJECT

public:
    NodeBuildController(Form1 &window, QObject *parent);

    // GL-node versions of the PWADs selected in both PWAD lists, into GL_WADs.
    void MakeGlPwad();
    // Rebuilds the selected IWAD with GL nodes, in place.
    void MakeGlIwad();

    // Whether the build running reads or writes the file `path`.
    bool isBuilding(const QString &path) const;
    // True when `path` may be used now; otherwise tells the player to wait for the build.
    bool isFree(const QString &path) const;
    // Asked before the window closes: true when it may close now. During a build the player
    // may end it; the window then closes once the build has ended.
    bool mayClose();

private:
    // Starts a command unless one runs already; false after saying why.
    bool beginCommand();
    void endCommand();
    // Runs one build and reports a failure, naming the WAD it was given first.
    // False when the builder could not be started or the build was ended.
    bool runNodeBuilder(const NodeBuilderCommand &command);
    void report(const QString &message);

    Form1 &m_window;
    ProcessStop *m_stop;
    bool m_busy = false;    // a command runs
    QString m_buildingWad;  // the WAD the builder was given, while it runs
    QStringList m_building; // the files the builder reads and writes, while it runs
    bool m_inPlace = false; // the builder writes over its input
    bool m_closing = false; // the player ended the build to close the window
};
