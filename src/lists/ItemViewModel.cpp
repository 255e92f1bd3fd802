#include "ItemViewModel.h"

#include "store/Query.h"

#include <QFont>

namespace lists {

ItemViewModel::ItemViewModel(store::Query& view, QObject* parent) : QAbstractTableModel(parent), m_view(view)
{
    m_listener = m_view.addChangeListener([this] { reload(); });
    reload();
}

ItemViewModel::~ItemViewModel()
{
    m_view.removeChangeListener(m_listener);
}

void ItemViewModel::setClassificationTitle(const QString& title)
{
    m_classificationTitle = title;
    emit headerDataChanged(Qt::Horizontal, ClassificationColumn, ClassificationColumn);
}

void ItemViewModel::reload()
{
    beginResetModel();
    m_rows.clear();
    if (m_view.isOpen())
        m_rows.resize(size_t(m_view.rowCount()));
    endResetModel();
}

const store::DisplayColumns& ItemViewModel::displayColumns(int row) const
{
    std::optional<store::DisplayColumns>& columns = m_rows.at(size_t(row));
    if (!columns)
        columns = store::displayColumnsOf(m_view, row);
    return *columns;
}

int ItemViewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ItemViewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ItemViewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const store::DisplayColumns& row = displayColumns(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case SerialColumn:
            return row.SORSZAM_SZ;
        case RegistrationColumn:
            return row.IKTSZAM_SZ;
        case ClassificationColumn:
            return row.MJEL_SZ;
        case CountColumn:
            return row.DB_SZ;
        case AddresseeColumn:
            return row.KCIMZETT_SZ;
        default:
            return {};
        }
    }
    if (role == Qt::TextAlignmentRole) {
        const bool centred = index.column() == SerialColumn || index.column() == CountColumn;
        return QVariant::fromValue(
            Qt::Alignment(centred ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter)));
    }
    return {};
}

QVariant ItemViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::FontRole) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case SerialColumn:
        return QStringLiteral("Ssz.");
    case RegistrationColumn:
        return QStringLiteral("Iktatószám+példánysorszám");
    case ClassificationColumn:
        return m_classificationTitle;
    case CountColumn:
        return QStringLiteral("Darabszám");
    case AddresseeColumn:
        return QStringLiteral("Küldemény címzettje");
    default:
        return {};
    }
}

} // namespace lists
