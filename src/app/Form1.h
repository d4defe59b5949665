#pragma once

#include "app/Form1Ui.h"
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
    // The working folder at start-up; the launcher's own files live there. Empty when that
    // folder was gone at start-up.
    QString programFolder() const { return m_programFolder; }
    QString glWadsFolder() const;
    QString settingsFilePath() const;

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
    // The five folders of what was read, into the window's state.
    void takeFolders(const ParsedSettings &read);
    FolderReads readFolders() const;
    void showStartUpSettings(const QString &notes, FolderReads &reads);
    void showLabelsAndNotes(const QString &notes);
    void connectControls();
    void assignFolder(const FolderButton &row);
    void refreshList(FolderList *list, bool clearSelection);
    void report(const QString &message);
    void reportLater(const QString &message);

    std::unique_ptr<Form1Ui> m_ui;
    QString m_programFolder;
    QString m_noProgramFolder;   // why there is none
    LauncherSettings m_settings; // the five folders last read; the notes live in Text6
    std::unique_ptr<SettingsFile> m_settingsFile; // none without a program folder
    QStringList m_startupProblems;
    FolderWatch *m_watch;
    NodeBuildController *m_nodeBuilds = nullptr;
    bool m_painted = false;
};
