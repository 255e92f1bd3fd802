#pragma once

#include <QString>

namespace store {
class TDM1;
}

namespace lists {

struct ListKindInfo;

// Which list of a kind a workspace panel shows, read afresh from the header table
// each time a panel opens.
class ListSelection
{
public:
    ListSelection(store::TDM1& dm, const ListKindInfo& kind);

    struct ActiveList
    {
        int number = 0;
        QString addressee; // the stored list addressee; empty for a new list
    };
    // The newest list while it is unprinted, otherwise the next number. Writes nothing:
    // a new list gets its header with its first item.
    ActiveList activeList();

    enum class PreviousStatus
    {
        Found,
        NoListYet,  // the header table is empty
        NonePrinted // lists exist but none has been printed
    };
    struct PreviousList
    {
        PreviousStatus status = PreviousStatus::NoListYet;
        int number = 0;
        QString addressee; // as stored in the header
    };
    // The newest printed list.
    PreviousList previousList();

    // The list addressee of the settings row, or empty text without one.
    QString defaultAddressee();

    // Opens the item view (MyQuery2) on the items of one list in list order.
    void openItemView(int listNumber);

    static const QString kNoListYet;
    static const QString kNonePrinted;

private:
    int headerCount();

    store::TDM1& m_dm;
    const ListKindInfo& m_kind;
};

} // namespace lists
