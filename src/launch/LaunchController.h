#pragma once

#include "core/launch/EngineCommandLine.h"

#include <QObject>

class Form1;
class NodeBuildController;
struct Form1Ui;
class QRadioButton;

// Starts the engine from the window's selections ("play", "play 'n' exit") and keeps the
// launch options consistent with each other while the player sets them.
class LaunchController : public QObject
{
    Q_OBJECT

public:
    LaunchController(Form1 &window, const NodeBuildController &nodeBuilds, QObject *parent);

    void Play();
    void PlayAndExit();
    // Empties Warp, Turbo and MaxDemo and unticks every switch.
    void ClearNewGameOptions();
    // Deselects the load-game slots.
    void ClearLoadGameOptions();

private:
    bool engineSelected() const;
    // False when the engine could not be started; the window then stays as it was.
    bool LaunchEngine();
    LaunchSelections selections() const;
    // False, after saying so, while the node builder works on a file the engine would get.
    bool filesAreFree(const LaunchSelections &chosen);

    void chooseLoadSlot(QRadioButton *slot);
    void recordNameChanged();
    void demoPicked();
    void connectControls();

    Form1 &m_window;
    const Form1Ui &m_ui;
    const NodeBuildController &m_nodeBuilds;
    bool m_choosingSlot = false;
    bool m_pickingDemo = false;
};
