#include "QueryGridModel.h"

#include "store/Query.h"

namespace items {

QueryGridModel::QueryGridModel(store::Query& query, std::vector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), m_query(query), m_columns(std::move(columns))
{
    m_listener = m_query.addChangeListener([this] { reload(); });
    reload();
}

QueryGridModel::~QueryGridModel()
{
    m_query.removeChangeListener(m_listener);
}

void QueryGridModel::reload()
{
    beginResetModel();
    m_fieldIndex.clear();
    m_rows = m_query.isOpen() ? m_query.rowCount() : 0;
    for (const Column& c : m_columns)
        m_fieldIndex.push_back(m_query.isOpen() ? m_query.fieldIndex(c.field) : -1);
    endResetModel();
    emit reloaded();
}

int QueryGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int QueryGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant QueryGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || index.column() >= int(m_columns.size()))
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[size_t(index.column())].alignment);
    if (role != Qt::DisplayRole)
        return {};
    const int field = m_fieldIndex[size_t(index.column())];
    if (field < 0)
        return {};
    return m_query.row(index.row()).at(size_t(field)).toString();
}

QVariant QueryGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(m_columns.size()))
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[size_t(section)].title;
    return {};
}

} // namespace items
