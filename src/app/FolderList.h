#pragma once

#include "app/FolderListing.h"

#include <QElapsedTimer>
#include <QListView>

class FolderModel;
class FolderWatch;
class QTimer;

// Shows the files of one folder that match its patterns; at most one is selected.
class FolderList : public QListView
{
    Q_OBJECT

public:
    FolderList(const ListingRule &rule, QWidget *parent);
    ~FolderList() override;

    // The folder shown, as it was given but made absolute when it was relative, so it
    // stays the same folder.
    QString path() const { return m_path; }
    // Shows `folder`. A folder that cannot be read leaves the list empty but still
    // reports `folder` as its path; then returns false with the reason.
    bool setPath(const QString &folder, QString *reason = nullptr);

    // Shows `folder` with what ListFolder() gave for it under rule(), read elsewhere, so
    // several folders can be read at once.
    void setPathListed(const QString &folder, bool ok, FolderNames names);

    // The selected file's name without folder, or the empty text.
    QString fileName() const;
    // Selects `name`; the empty text removes the selection.
    bool setFileName(const QString &name);

    // Reads the folder again; the selection and the scroll position stay while their
    // files are still listed.
    bool refresh(QString *reason = nullptr);

    QStringList names() const;

    // Follows the folder through `watch` (owned by the window), so files that come or go
    // show without a click.
    void setWatch(FolderWatch *watch);

signals:
    // The player picked a file (not emitted for changes made by code).
    void fileSelected(const QString &name);

private:
    void select(int row);
    void show(FolderNames names);
    void watch();
    void folderChanged();

    ListingRule m_rule;
    QString m_path;
    FolderModel *m_model;
    bool m_changingByCode = false;

    // The list follows its folder: changes are gathered and read once they settle.
    FolderWatch *m_watch = nullptr;
    QString m_watched;
    QTimer *m_settle;
    qint64 m_lastReadMs = 0;
};
