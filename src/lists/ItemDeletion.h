#pragma once

#include <QString>
#include <QVariant>

namespace store {
class TDM1;
}

namespace lists {

struct ListKindInfo;

// Deleting one item of a list; a parent item goes only after its members.
class ItemDeletion
{
public:
    ItemDeletion(store::TDM1& dm, const ListKindInfo& kind);

    enum class Result
    {
        Deleted,
        HasMembers // refused: the item is a parent with members
    };
    // Deletes exactly the item with this TETEL_ID. The caller renumbers the list.
    Result deleteItem(const QVariant& tetelId);

    static const QString kHasMembers;

private:
    store::TDM1& m_dm;
    const ListKindInfo& m_kind;
};

} // namespace lists
