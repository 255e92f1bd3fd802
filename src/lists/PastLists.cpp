#include "PastLists.h"

#include "ListKind.h"
#include "app/DateTimeText.h"
#include "store/DataModule.h"

#include <QRegularExpression>

namespace lists {

namespace {

// The print date read as "20260105100000". Thousands of dates are read at once, so each is
// taken from its digits: a local date-time for every row would cost more than the query.
void setPrinted(PastList& list, const QString& digits)
{
    if (digits.size() != 14)
        return;
    const auto part = [&](int from, int length) { return QStringView(digits).mid(from, length).toInt(); };
    list.printedDate = QDate(part(0, 4), part(4, 2), part(6, 2));
    list.printedTime = QTime(part(8, 2), part(10, 2), part(12, 2));
    if (!list.printedDate.isValid())
        return;
    // The texts carry no zone, so a zone-free moment gives the same digits, and quickly.
    const QDateTime moment(list.printedDate, list.printedTime, Qt::UTC);
    list.printedText = app::dateTimeText(moment);
    QString iso = digits;
    iso.insert(12, u':').insert(10, u':').insert(8, u' ').insert(6, u'-').insert(4, u'-');
    list.printedIso = iso;
}

} // namespace

std::vector<PastList> PastLists::load(store::TDM1& dm, const ListKindInfo& kind)
{
    // The counts follow the printed summary: classified rows (not 5 and not 6), the pieces of
    // the registered rows, and the number-less row's pieces; group members only where the
    // kind counts them.
    const QString topLevel = kind.countsTopLevelOnly ? QStringLiteral(" AND SZULO_ID=0") : QString();
    const QString sql =
        QStringLiteral(
            "SELECT H.LSZAM, H.JCIMZETT, "
            "DATE_FORMAT(H.NYOMTATAS_DATUMA,'%Y%m%d%H%i%s') AS NYOMTATAS_DATUMA, H.NYOMTATAS_PELDANY, "
            "COALESCE(T.A,0) AS A, COALESCE(T.B,0) AS B, COALESCE(T.C,0) AS C "
            "FROM %1 H LEFT JOIN (SELECT LSZAM, "
            "SUM(CASE WHEN NOT (MJEL=6) AND NOT (MJEL=5)%3 THEN 1 ELSE 0 END) AS A, "
            "SUM(CASE WHEN MJEL=5%3 THEN DB ELSE 0 END) AS B, "
            "MAX(CASE WHEN MJEL=6 THEN SZAMNELKULI END) AS C "
            "FROM %2 GROUP BY LSZAM) T ON T.LSZAM=H.LSZAM ORDER BY H.LSZAM DESC")
            .arg(kind.headerTable, kind.itemTable, topLevel);
    store::Query& q = dm.MyQuery1;
    q.open(sql);
    std::vector<PastList> lists;
    lists.reserve(size_t(q.rowCount()));
    const int number = q.fieldIndex(QStringLiteral("LSZAM"));
    const int addressee = q.fieldIndex(QStringLiteral("JCIMZETT"));
    const int printed = q.fieldIndex(QStringLiteral("NYOMTATAS_DATUMA"));
    const int count = q.fieldIndex(QStringLiteral("NYOMTATAS_PELDANY"));
    const int a = q.fieldIndex(QStringLiteral("A"));
    const int b = q.fieldIndex(QStringLiteral("B"));
    const int c = q.fieldIndex(QStringLiteral("C"));
    for (int row = 0; row < q.rowCount(); ++row) {
        const std::vector<QVariant>& values = q.row(row);
        PastList list;
        list.number = values.at(size_t(number)).toInt();
        list.addressee = values.at(size_t(addressee)).toString();
        list.counts.classified = values.at(size_t(a)).toInt();
        list.counts.registered = values.at(size_t(b)).toInt();
        list.counts.plain = values.at(size_t(c)).toInt();
        const QVariant moment = values.at(size_t(printed));
        if (!moment.isNull())
            setPrinted(list, moment.toString());
        const QVariant prints = values.at(size_t(count));
        list.printCountKnown = !prints.isNull();
        list.printCount = prints.toInt();
        lists.push_back(std::move(list));
    }
    q.close();
    return lists;
}

QString PastLists::fold(const QString& text)
{
    QString folded;
    folded.reserve(text.size());
    for (QChar ch : text.toLower()) {
        switch (ch.unicode()) {
        case u'ő':
            folded += u'ö';
            continue;
        case u'ű':
            folded += u'ü';
            continue;
        case u'ö':
        case u'ü':
            folded += ch;
            continue;
        default:
            break;
        }
        if (ch.unicode() < 0x80) {
            folded += ch;
            continue;
        }
        const QString decomposed = QString(ch).normalized(QString::NormalizationForm_D);
        for (QChar part : decomposed)
            if (part.category() != QChar::Mark_NonSpacing)
                folded += part;
    }
    return folded;
}

bool PastLists::matches(const PastList& list, const QString& text)
{
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return true;
    if (QString::number(list.number).startsWith(wanted))
        return true;
    if (fold(list.addressee).contains(fold(wanted)))
        return true;
    // Bare digits are a list number (or part of an addressee), not every date with that digit.
    static const QRegularExpression digitsOnly(QStringLiteral("^\\d+$"));
    if (list.isPrinted() && !digitsOnly.match(wanted).hasMatch())
        return list.printedText.contains(wanted) || list.printedIso.contains(wanted);
    return false;
}

PastListsModel::PastListsModel(QObject* parent) : QAbstractTableModel(parent) {}

void PastListsModel::setLists(std::vector<PastList> lists, const QString& filter)
{
    beginResetModel();
    m_lists = std::move(lists);
    m_filter = filter;
    applyFilter();
    endResetModel();
}

void PastListsModel::setFilter(const QString& text)
{
    beginResetModel();
    m_filter = text;
    applyFilter();
    endResetModel();
}

void PastListsModel::applyFilter()
{
    m_shown.clear();
    m_shown.reserve(m_lists.size());
    for (size_t i = 0; i < m_lists.size(); ++i)
        if (PastLists::matches(m_lists[i], m_filter))
            m_shown.push_back(int(i));
}

int PastListsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int PastListsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PastListsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const PastList& item = list(index.row());
    if (role == Qt::TextAlignmentRole)
        return index.column() == AddresseeColumn ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                                 : int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case NumberColumn:
        return QString::number(item.number);
    case AddresseeColumn:
        return item.addressee;
    case ClassifiedColumn:
        return QString::number(item.counts.classified);
    case RegisteredColumn:
        return QString::number(item.counts.registered);
    case PlainColumn:
        return QString::number(item.counts.plain);
    case TotalColumn:
        return QString::number(item.total());
    case PrintedColumn:
        return item.isPrinted() ? item.printedText : QStringLiteral("nincs nyomtatva");
    case PrintCountColumn:
        return item.printCountKnown ? QString::number(item.printCount) : QString();
    default:
        return {};
    }
}

QVariant PastListsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList titles = {
        QStringLiteral("Listaszám"),  QStringLiteral("Jegyzék címzettje"),
        QStringLiteral("Minősített"), QStringLiteral("Nyilvántartott"),
        QStringLiteral("Sima"),       QStringLiteral("Összesen"),
        QStringLiteral("Nyomtatva"),  QStringLiteral("Nyomtatások"),
    };
    return section >= 0 && section < titles.size() ? QVariant(titles.at(section)) : QVariant();
}

} // namespace lists
