#pragma once

#include "core/ProgramPaths.h"
#include "core/launch/EngineCommandLine.h"

#include <QObject>

#include <array>

class BusyFiles;
class ClickableLabel;
class FolderList;
struct Form1Ui;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// Starts the engine from the window's selections ("play", "play 'n' exit") and keeps the
// launch options consistent with each other while the player sets them.
class LaunchController : public QObject
{
    Q_OBJECT

public:
    // The controls it reads and changes, by their names in the window.
    struct Controls
    {
        FolderList *File6, *File7, *File8, *File9, *File10, *File11;
        std::array<QRadioButton *, 5> skills;    // Option1 to Option5
        std::array<QRadioButton *, 6> loadSlots; // Option7 to Option12: the slots 5 down to 0
        std::array<QCheckBox *, 8> switches;     // Check1 to Check8
        QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5;
        QPlainTextEdit *Text6;
        QPushButton *Command11, *Command12, *Command14;
        ClickableLabel *Label12, *Label13, *Label14, *Label15, *Label16, *Label17, *Label18;

        static Controls of(const Form1Ui &ui);
    };

    // Messages go over `messages`. A start is refused while `busy` holds a file it would get.
    LaunchController(const Controls &controls, const ProgramPaths &paths, const BusyFiles &busy,
                     QWidget *messages, QObject *parent);

    void Play();
    void PlayAndExit();
    // Empties Warp, Turbo and MaxDemo and unticks every switch.
    void ClearNewGameOptions();
    // Deselects the load-game slots.
    void ClearLoadGameOptions();

signals:
    // "play 'n' exit" is done: the window closes as "exit" closes it.
    void closeRequested();

private:
    enum class Check { Ready, NoEngine, FilesGone };
    // Whether an engine is chosen that can start, and whether every file chosen is free and
    // still there (FilesGone: what is not has been reported).
    Check check(const LaunchSelections &chosen);
    // False when the engine could not be started; the window then stays as it was.
    bool LaunchEngine(const LaunchSelections &chosen);
    LaunchSelections selections() const;
    // False, after saying so, while the node builder works on a file the engine would get.
    bool filesAreFree(const LaunchSelections &chosen);
    void report(const QString &message);

    void chooseLoadSlot(QRadioButton *slot);
    void recordNameChanged();
    void demoPicked();
    void connectControls();

    const Controls m_ui;
    const ProgramPaths m_paths;
    const BusyFiles &m_busy;
    QWidget *m_messages;
    bool m_choosingSlot = false;
    bool m_pickingDemo = false;
};
