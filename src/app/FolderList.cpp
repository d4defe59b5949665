#include "app/FolderList.h"

#include <QAbstractListModel>
#include <QScopedValueRollback>

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
            return names.at(index.row());
        return {};
    }

    void setNames(QStringList newNames)
    {
        beginResetModel();
        names = std::move(newNames);
        endResetModel();
    }

    QStringList names;
};

FolderList::FolderList(const ListingRule &rule, QWidget *parent)
    : QListView(parent), m_rule(rule), m_model(new FolderModel(this))
{
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
    m_path = folder;
    return refresh(reason);
}

QString FolderList::fileName() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : m_model->names.value(rows.first().row());
}

bool FolderList::setFileName(const QString &name)
{
    const int row = name.isEmpty() ? -1 : int(m_model->names.indexOf(name));
    select(row);
    return name.isEmpty() || row >= 0;
}

bool FolderList::refresh(QString *reason)
{
    const QString selected = fileName();
    QStringList names;
    const bool ok = ListFolder(m_path, m_rule, &names, reason);
    {
        QScopedValueRollback<bool> guard(m_changingByCode, true);
        m_model->setNames(std::move(names));
    }
    select(selected.isEmpty() ? -1 : int(m_model->names.indexOf(selected)));
    return ok;
}

QStringList FolderList::names() const
{
    return m_model->names;
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
    scrollTo(index);
}
