#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <vector>

namespace store {
class Query;
}

namespace items {

// A read-only grid over chosen columns of a query object, following it whenever the
// query is opened or closed.
class QueryGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString field;
        QString title;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    };

    QueryGridModel(store::Query& query, std::vector<Column> columns, QObject* parent = nullptr);
    ~QueryGridModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    store::Query& query() const { return m_query; }

signals:
    // After the rows were replaced because the query was opened or closed.
    void reloaded();

private:
    void reload();

    store::Query& m_query;
    int m_listener = 0;
    std::vector<Column> m_columns;
    std::vector<int> m_fieldIndex; // per column, -1 when the result lacks the field
    int m_rows = 0;
};

} // namespace items
