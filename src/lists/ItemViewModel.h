#pragma once

#include "store/DisplayColumns.h"

#include <QAbstractTableModel>
#include <vector>

namespace store {
class Query;
}

namespace lists {

// The list grids' view of the shared item query: the five display columns of every
// row, recomputed whenever the query is opened or closed.
class ItemViewModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        SerialColumn,
        RegistrationColumn,
        ClassificationColumn,
        CountColumn,
        AddresseeColumn,
        ColumnCount
    };

    explicit ItemViewModel(store::Query& view, QObject* parent = nullptr);
    ~ItemViewModel() override;

    // The classification column's title follows the list kind on show.
    void setClassificationTitle(const QString& title);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const store::DisplayColumns& displayColumns(int row) const { return m_rows.at(size_t(row)); }
    store::Query& view() const { return m_view; }

private:
    void reload();

    store::Query& m_view;
    int m_listener = 0;
    std::vector<store::DisplayColumns> m_rows;
    QString m_classificationTitle = QStringLiteral("Minősítési szint");
};

} // namespace lists
