#pragma once

#include <QObject>
#include <QSet>

class FolderList;
class Form1;
struct NodeBuilderCommand;

// The two buttons that run the node builder on the selected PWADs or IWAD.
class NodeBuildController : public QObject
{
    Q_OBJECT

public:
    NodeBuildController(Form1 &window, QObject *parent);

    // GL-node versions of the PWADs selected in both PWAD lists, into GL_WADs.
    void MakeGlPwad();
    // Rebuilds the selected IWAD with GL nodes, in place.
    void MakeGlIwad();

private:
    // Runs one build and reports a failure, naming the WAD it was given first.
    // False when the builder could not be started.
    bool runNodeBuilder(const NodeBuilderCommand &command);
    void report(const QString &message);

    Form1 &m_window;
    QSet<QString> m_building; // the input and output paths of the builds running
};
