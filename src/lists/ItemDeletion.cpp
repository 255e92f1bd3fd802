#include "ItemDeletion.h"

#include "ListKind.h"
#include "store/DataModule.h"

namespace lists {

const QString ItemDeletion::kHasMembers =
    QStringLiteral("Nem lehet törölni, először a csoport elemeit törölje!");

ItemDeletion::ItemDeletion(store::TDM1& dm, const ListKindInfo& kind) : m_dm(dm), m_kind(kind) {}

ItemDeletion::Result ItemDeletion::deleteItem(const QVariant& tetelId)
{
    store::Query& q = m_dm.MyQuery1;
    q.open(QStringLiteral("SELECT SORSZAM FROM %1 WHERE SZULO_ID=:tetel_id AND NOT SZULO_ID=0")
               .arg(m_kind.itemTable),
           {{QStringLiteral("tetel_id"), tetelId}});
    const bool hasMembers = !q.isEmpty();
    q.close();
    if (hasMembers)
        return Result::HasMembers;
    q.execute(QStringLiteral("DELETE FROM %1 WHERE TETEL_ID=:TETEL_ID").arg(m_kind.itemTable),
              {{QStringLiteral("TETEL_ID"), tetelId}});
    return Result::Deleted;
}

} // namespace lists
