#pragma once

#include "store/DisplayColumns.h"

#include <QAbstractTableModel>
#include <optional>
#include <vector>

namespace store {
class Query;
}

namespace lists {

// The list grids' view of the shared item query: the five display columns of a row,
// worked out when the row is first asked for and forgotten when the query is opened or
// closed. A grid asks only for the rows it shows.
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

    const store::DisplayColumns& displayColumns(int row) const;
    store::Query& view() const { return m_view; }

private:
    void reload();

    store::Query& m_view;
    int m_listener = 0;
    mutable std::vector<std::optional<store::DisplayColumns>> m_rows;
    QString m_classificationTitle = QStringLiteral("Minősítési szint");
};

} // namespace lists
