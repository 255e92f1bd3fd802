#pragma once

#include "ListPrinting.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QString>
#include <vector>

namespace store {
class TDM1;
}

namespace lists {

struct ListKindInfo;

// One list of a kind as the list of past lists shows it.
struct PastList
{
    int number = 0;
    QString addressee;  // as stored in the header
    PieceCounts counts; // the same counts as the printed summary
    QDate printedDate;  // invalid while the list is unprinted
    QTime printedTime;
    QString printedText; // the print date as the program shows it; empty while unprinted
    QString printedIso;  // the same as "2026-01-05 10:00:00"
    int printCount = 0;  // print requests so far
    bool printCountKnown = false;

    int total() const { return counts.classified + counts.registered + counts.plain; }
    bool isPrinted() const { return printedDate.isValid(); }
    QDateTime printed() const { return isPrinted() ? QDateTime(printedDate, printedTime) : QDateTime(); }
};

// Every list of one kind, newest first, and the operator's filter over them.
class PastLists
{
public:
    // Reads every header of the kind with its piece counts in one statement.
    static std::vector<PastList> load(store::TDM1& dm, const ListKindInfo& kind);

    // Lower case without accents, keeping ö/ő and ü/ű apart from o and u as the
    // Hungarian collation of the addressee search does.
    static QString fold(const QString& text);

    // Whether a list answers the typed text: by its number (the digits it starts with),
    // by a fragment of its addressee, or by a part of its print date ("2026.01.05",
    // "2026.01", "2026-01-05"; bare digits are no date). An empty text matches every list.
    static bool matches(const PastList& list, const QString& text);
};

// The grid's view of the past lists, filtered.
class PastListsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        NumberColumn,
        AddresseeColumn,
        ClassifiedColumn,
        RegisteredColumn,
        PlainColumn,
        TotalColumn,
        PrintedColumn,
        PrintCountColumn,
        ColumnCount
    };

    explicit PastListsModel(QObject* parent = nullptr);

    // The lists and the filter over them, in one reset of the views.
    void setLists(std::vector<PastList> lists, const QString& filter);
    void setFilter(const QString& text);
    const QString& filter() const { return m_filter; }

    // The list on a row of the (filtered) grid.
    const PastList& list(int row) const { return m_lists.at(size_t(m_shown.at(size_t(row)))); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void applyFilter();

    std::vector<PastList> m_lists;
    std::vector<int> m_shown;
    QString m_filter;
};

} // namespace lists
