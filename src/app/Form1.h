#pragma once

#include "controls/Form1Ui.h"
#include "core/ProgramPaths.h"
#include "core/files/BusyFiles.h"
#include "core/settings/LauncherSettings.h"

#include <QWidget>

#include <memory>

class ClickableLabel;
class FolderList;
class FolderWatch;
class NodeBuildController;
class SettingsFile;
class QPushButton;

// The launcher window. It runs the start-up in the current working folder, which
// becomes the program folder, and owns every control and the state they share.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    const Form1Ui &ui() const { return *m_ui; }
    // The working folder at start-up, where the launcher's own files live; unknown when that
    // folder was gone at start-up.
    const ProgramPaths &paths() const { return m_paths; }

    // Puts the remembered folders into the lists and their labels, and `notes` into
    // the notes box.
    void ShowSettings(const QString &notes);
    // Writes the lists' folders and the notes, reads them back and shows them. False when it
    // showed nothing again, after saying why.
    bool SaveSettings();

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct FolderButton;
    struct FolderReads;

    // The start-up steps that need no control; gives the notes text to show.
    QString startUp();
    // Removes what launchers that were ended left half written, to be said at start-up.
    void removeLeftovers(const QStringList &paths);
    // The five folders of what was read, into the window's state.
    void takeFolders(const ParsedSettings &read);
    FolderReads readFolders() const;
    void showStartUpSettings(const QString &notes, FolderReads &reads);
    void showLabelsAndNotes(const QString &notes);
    void connectControls();
    void createControllers();
    void assignFolder(const FolderButton &row);
    void refreshList(FolderList *list, bool clearSelection);
    void report(const QString &message);
    void reportLater(const QString &message);

    std::unique_ptr<Form1Ui> m_ui;
    ProgramPaths m_paths;
    QString m_noProgramFolder;   // why there is none
    LauncherSettings m_settings; // the five folders last read; the notes live in Text6
    std::unique_ptr<SettingsFile> m_settingsFile; // none without a program folder
    QStringList m_startupProblems;
    FolderWatch *m_watch;
    BusyFiles m_busy; // what a node build holds, which starts and file operations leave alone
    NodeBuildController *m_nodeBuilds = nullptr;
    bool m_painted = false;
};
