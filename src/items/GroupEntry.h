#pragma once

#include <QString>
#include <QVariant>

namespace store {
class Query;
class TDM1;
} // namespace store

namespace items {

// The parent item of a group, as it was the item view's current row when the group
// dialog opened. Stored values are kept as read, so a member copies them unchanged.
struct GroupParent
{
    QVariant TETEL_ID;
    QVariant SORSZAM;
    QVariant MJEL;
    QVariant KCIMZETT;
    QVariant KCIMZETT_AZ;
    QVariant IKTSZAM;
    QString KCIMZETT_SZ; // the addressee as the list shows it
};

// Attaching registration numbers to a parent item and removing them again. The
// members of the parent being edited live in the scratch table CSOPORTOS (shown
// through MyQuery6) under their own CSOPORT_IDs while the group dialog is open.
class GroupEntry
{
public:
    explicit GroupEntry(store::TDM1& dm);

    // Why group entry cannot start on the item view's current row, or an empty text
    // when it can: an empty list, the number-less row and a member are refused.
    static QString refusal(const store::Query& itemView);
    // The item view's current row as a parent.
    static GroupParent parentOf(const store::Query& itemView);

    // Loads the parent's members into CSOPORTOS and opens MyQuery6 over it.
    void open(const GroupParent& parent, int listKind, int listNumber);

    // Attaches a registration number as a new member and refreshes MyQuery6 (its last
    // row is the new member) and the item view. Returns the member's CSOPORT_ID.
    // The caller refuses an empty number.
    qlonglong attach(const QString& iktszam);

    // Removes the member that is MyQuery6's current row from the item table and the
    // scratch table, then refreshes both views. False when there is no member to remove.
    bool removeCurrent();

    const GroupParent& parent() const { return m_parent; }
    int listKind() const { return m_listKind; }
    int listNumber() const { return m_listNumber; }

    static const QString kNoItems;
    static const QString kNumberless;
    static const QString kMember;
    static const QString kNoNumber;

private:
    QString itemTable() const;
    void keepCounterAboveUsedIds();

    store::TDM1& m_dm;
    GroupParent m_parent;
    int m_listKind = 0;
    int m_listNumber = 0;
};

} // namespace items
