#pragma once

#include "core/listing/FolderListing.h"

#include <QListView>

#include <functional>
#include <vector>

class FolderModel;
class FolderWatch;
class QTimer;

// Shows the files of one folder that match its patterns; at most one is selected. Folders are
// read off the window's thread: the names shown change in one step once a read is done, and a
// read that a newer one overtook is never shown.
class FolderList : public QListView
{
    Q_OBJECT

public:
    // Hears how a read went once its names are shown: the empty text, or the message for a
    // folder that cannot be shown.
    using Done = std::function<void(const QString &problem)>;
    struct Listing
    {
        bool ok = true;
        FolderNames names;
        QString reason;
        // Which folder the path named when it was read (platform::fileIdentity).
        QByteArray identity;
    };
    // What reads a folder; tests put a slow or scripted one in its place.
    using Reader = std::function<Listing(const QString &folder, const ListingRule &rule)>;

    FolderList(const ListingRule &rule, QWidget *parent);
    ~FolderList() override;

    // The folder shown, as it was given but made absolute when it was relative, so it
    // stays the same folder.
    QString path() const { return m_path; }
    // Shows `folder`. Another folder's names go at once, so nothing is done to a file of that
    // name here; a folder that cannot be read leaves the list empty but is still its path.
    void setPath(const QString &folder, Done done = {});
    // Shows `folder` with what ListFolder() gave for it under this list's rule, read elsewhere,
    // so several folders can be read at once.
    void setPathListed(const QString &folder, const Listing &listing);

    // The selected file's name without folder, or the empty text.
    QString fileName() const;
    // Selects `name`; the empty text removes the selection.
    bool setFileName(const QString &name);

    // Reads the folder again; the selection and the scroll position stay while their files
    // are still listed.
    void refresh(Done done = {});
    // Whether a read is still to be shown.
    bool isReading() const { return !m_waiting.empty(); }

    QStringList names() const;

    // Follows the folder through `watch` (owned by the window), so files that come or go
    // show without a click. When the path names another folder, or none, as a move of the
    // folder or of one above it leaves it, the names and the selection go at once.
    void setWatch(FolderWatch *watch);
    void setReader(Reader reader);

signals:
    // The player picked a file (not emitted for changes made by code).
    void fileSelected(const QString &name);
    // A read has been shown.
    void listed();

private:
    void select(int row);
    void show(FolderNames names);
    void shown(const Listing &listing, qint64 readMs);
    void watch();
    void folderChanged();
    void lookAgain();

    ListingRule m_rule;
    QString m_path;
    FolderModel *m_model;
    bool m_changingByCode = false;
    Reader m_reader;
    quint64 m_reads = 0;         // reads started; only the last one is shown
    std::vector<Done> m_waiting; // for the read to be shown

    // The list follows its folder: changes are gathered and read once they settle.
    FolderWatch *m_watch = nullptr;
    QString m_watched;
    QByteArray m_identity; // of the folder whose names are shown
    QTimer *m_settle;
    qint64 m_lastReadMs = 0;
};

// The message for a folder that a list cannot show.
QString CannotShowFolder(const QString &folder, const QString &reason);

// A Done for each of `count` reads; once the last is shown, `report` gets their problems, each
// once (lists of one folder share them), when there are any.
std::vector<FolderList::Done> GatherProblems(int count,
                                             std::function<void(const QStringList &)> report);
