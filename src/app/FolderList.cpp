#include "app/FolderList.h"

#include "app/FolderWatch.h"

#include <QAbstractListModel>
#include <QScopedValueRollback>
#include <QTimer>

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

FolderList::FolderList(const ListingRule &rule, QWidget *parent)
    : QListView(parent), m_rule(rule), m_model(new FolderModel(this)), m_settle(new QTimer(this))
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

bool FolderList::setPath(const QString &folder, QString *reason)
{
    m_path = AbsoluteFolder(folder);
    return refresh(reason);
}

void FolderList::setPathListed(const QString &folder, bool ok, FolderNames names)
{
    m_path = AbsoluteFolder(folder);
    show(ok ? std::move(names) : FolderNames());
    watch();
}

void FolderList::setWatch(FolderWatch *watch)
{
    m_watch = watch;
    connect(watch, &FolderWatch::folderChanged, this, [this](const QString &folder) {
        if (folder == m_watched)
            folderChanged();
    });
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

bool FolderList::refresh(QString *reason)
{
    QElapsedTimer clock;
    clock.start();
    FolderNames names;
    const bool ok = ListFolder(m_path, m_rule, &names, reason);
    show(std::move(names));
    // The watch is renewed in case the folder came back after it was gone.
    watch();
    m_lastReadMs = clock.elapsed();
    return ok;
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
