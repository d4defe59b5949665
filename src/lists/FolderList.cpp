#include "lists/FolderList.h"

#include "lists/FolderWatch.h"
#include "platform/Platform.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QScopedValueRollback>
#include <QTimer>
#include <QtConcurrent>

namespace {
// However busy the folder, the window spends at most a fifth of its time re-reading it.
constexpr int SettleMs = 150;
constexpr int BusyFactor = 4;
} // namespace

class FolderModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(names.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::DisplayRole && index.isValid() && index.row() < names.size())
            return names.at(index.row()).toString();
        return {};
    }

    void setNames(FolderNames newNames)
    {
        beginResetModel();
        names = std::move(newNames);
        endResetModel();
    }

    FolderNames names;
};

QString CannotShowFolder(const QString &folder, const QString &reason)
{
    return QStringLiteral("Cannot show the folder \"%1\": %2").arg(folder, reason);
}

std::vector<FolderList::Done> GatherProblems(int count,
                                             std::function<void(const QStringList &)> report)
{
    struct Gathered
    {
        int left;
        QStringList problems;
        std::function<void(const QStringList &)> tell;
    };
    auto gathered = std::make_shared<Gathered>(Gathered{count, {}, std::move(report)});
    std::vector<FolderList::Done> dones;
    for (int i = 0; i < count; ++i) {
        dones.push_back([gathered](const QString &problem) {
            if (!problem.isEmpty() && !gathered->problems.contains(problem))
                gathered->problems << problem;
            if (--gathered->left == 0 && !gathered->problems.isEmpty())
                gathered->tell(gathered->problems);
        });
    }
    return dones;
}

FolderList::FolderList(const ListingRule &rule, QWidget *parent)
    : QListView(parent), m_rule(rule), m_model(new FolderModel(this)),
      m_reader([](const QString &folder, const ListingRule &listingRule) {
          Listing listing;
          listing.ok = ListFolder(folder, listingRule, &listing.names, &listing.reason);
          return listing;
      }),
      m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    connect(m_settle, &QTimer::timeout, this, [this] { refresh(); });
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QString name = fileName();
        if (!m_changingByCode && !name.isEmpty())
            emit fileSelected(name);
    });
}

FolderList::~FolderList() = default;

void FolderList::setPath(const QString &folder, Done done)
{
    const QString path = AbsoluteFolder(folder);
    if (path != m_path) {
        m_path = path;
        show(FolderNames());
    }
    refresh(std::move(done));
}

void FolderList::setPathListed(const QString &folder, const Listing &listing)
{
    m_path = AbsoluteFolder(folder);
    ++m_reads; // a read still running was of the old folder
    shown(listing, 0);
}

void FolderList::setReader(Reader reader)
{
    m_reader = std::move(reader);
}

void FolderList::setWatch(FolderWatch *watch)
{
    m_watch = watch;
    connect(watch, &FolderWatch::folderChanged, this, [this](const QString &folder) {
        if (folder == m_watched)
            folderChanged();
    });
    connect(watch, &FolderWatch::lookAgain, this, &FolderList::lookAgain);
    this->watch();
}

void FolderList::watch()
{
    if (!m_watch)
        return;
    if (m_watched != m_path) {
        if (!m_watched.isEmpty())
            m_watch->remove(m_watched);
        m_watched = m_path;
        if (!m_watched.isEmpty())
            m_watch->add(m_watched);
    } else if (!m_watched.isEmpty()) {
        m_watch->renew(m_watched);
    }
}

void FolderList::folderChanged()
{
    if (!m_settle->isActive())
        m_settle->start(int(qMax<qint64>(SettleMs, BusyFactor * m_lastReadMs)));
}

void FolderList::lookAgain()
{
    // A read under way takes the folder's identity anew.
    if (m_path.isEmpty() || isReading() || platform::fileIdentity(m_path) == m_identity)
        return;
    // The names shown are those of a folder elsewhere now: a file picked there is not here.
    show(FolderNames());
    m_watch->rewatch(m_path);
    refresh();
}

QString FolderList::fileName() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    const int row = rows.isEmpty() ? -1 : rows.first().row();
    return row < 0 || row >= m_model->names.size() ? QString() : m_model->names.at(row).toString();
}

bool FolderList::setFileName(const QString &name)
{
    const int row = name.isEmpty() ? -1 : int(m_model->names.indexOf(name));
    select(row);
    return name.isEmpty() || row >= 0;
}

void FolderList::refresh(Done done)
{
    m_waiting.push_back(std::move(done));
    const quint64 read = ++m_reads;
    // The reader is copied: the list may change it, or go, while this read runs.
    using Result = std::pair<Listing, qint64>;
    // A watcher the list owns hears the end: if the list goes first, so does the watcher, and
    // the read's result is dropped. Its signal always comes from the event loop, never inside
    // this call.
    auto *watcher = new QFutureWatcher<Result>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, read] {
        watcher->deleteLater();
        if (read == m_reads) {
            const Result result = watcher->result();
            shown(result.first, result.second);
        }
    });
    // The reader is copied: the list may change it, or go, while this read runs.
    watcher->setFuture(QtConcurrent::run([reader = m_reader, folder = m_path, rule = m_rule] {
        QElapsedTimer clock;
        clock.start();
        Listing listing;
        if (!folder.isEmpty()) {
            // Taken first: a folder moved during the read is looked at again.
            const QByteArray identity = platform::fileIdentity(folder);
            listing = reader(folder, rule);
            listing.identity = identity;
        }
        return Result{std::move(listing), clock.elapsed()};
    }));
}

void FolderList::shown(const Listing &listing, qint64 readMs)
{
    show(listing.ok ? listing.names : FolderNames());
    m_identity = listing.identity;
    // The watch is renewed in case the folder came back after it was gone.
    watch();
    m_lastReadMs = readMs;
    const QString problem = listing.ok ? QString() : CannotShowFolder(m_path, listing.reason);
    std::vector<Done> waiting;
    waiting.swap(m_waiting);
    for (const Done &done : waiting) {
        if (done)
            done(problem);
    }
    emit listed();
}

void FolderList::show(FolderNames names)
{
    m_settle->stop();
    if (names == m_model->names)
        return;
    const QString selected = fileName();
    const int topRow = indexAt(QPoint(1, 1)).row();
    const QString top = topRow < 0 ? QString() : m_model->names.at(topRow).toString();
    {
        QScopedValueRollback<bool> guard(m_changingByCode, true);
        m_model->setNames(std::move(names));
    }
    const int newTop = top.isEmpty() ? -1 : int(m_model->names.indexOf(top));
    if (newTop >= 0)
        scrollTo(m_model->index(newTop), QAbstractItemView::PositionAtTop);
    select(selected.isEmpty() ? -1 : int(m_model->names.indexOf(selected)));
}

QStringList FolderList::names() const
{
    return m_model->names.toList();
}

void FolderList::select(int row)
{
    QScopedValueRollback<bool> guard(m_changingByCode, true);
    if (row < 0) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex index = m_model->index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index); // only scrolls when the row is out of sight
}
