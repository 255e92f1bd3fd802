#pragma once

#include <QString>

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
    // Safe against a kill or a failure at any point: TEMP is never emptied while it holds the
    // only copy of a row. Raises SqlError when rows could not be put back; they stay in TEMP.
    void rebuild_item_table();

    // Puts back the rows a rebuild cut short left only in TEMP, into whichever item table
    // they came from. Returns whether there was such a rebuild. Raises SqlError when a row
    // cannot go back yet (it stays in TEMP for the next attempt).
    static bool restoreInterruptedRebuild(store::TDM1& dm);

private:
    void copyTempBack();
    static void restoreFromTemp(store::TDM1& dm, const QString& table);
    static void dropMarker(store::TDM1& dm);

    store::TDM1& m_dm;
    const ListKindInfo& m_kind;
};

} // namespace lists
