#pragma once

#include <QHash>

namespace store {
class TDM1;
}

namespace lists {

struct ListKindInfo;

// Serial numbers and item ids of a kind's item table.
class Renumbering
{
public:
    Renumbering(store::TDM1& dm, const ListKindInfo& kind);

    // Numbers the top-level items of one list 1, 2, 3 … by level, then order of entry;
    // group members take their parent's number. The item view is reopened afterwards.
    void sorszam_rendezo(int listNumber);

    // Rewrites the whole item table through TEMP: ids become 1, 2, 3 … with every
    // top-level item directly followed by its members; rows that are neither are dropped.
    void rebuild_item_table();

private:
    QHash<qlonglong, qlonglong> membersSerials(int listNumber);
    void copyTempBack();
    void restoreFromTemp();

    store::TDM1& m_dm;
    const ListKindInfo& m_kind;
};

} // namespace lists
