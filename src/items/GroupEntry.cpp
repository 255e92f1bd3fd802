#include "GroupEntry.h"

#include "lists/ListKind.h"
#include "store/DataModule.h"
#include "store/DisplayColumns.h"

namespace items {

const QString GroupEntry::kNoItems =
    QStringLiteral("Nincs a jegyzéknek még egy tétele sem, először vigyen fel egy tételt!");
const QString GroupEntry::kNumberless =
    QStringLiteral("Számnélküli küldeményhez nem lehet további tételeket rendelni!");
const QString GroupEntry::kMember =
    QStringLiteral("Ehhez a tételhez nem lehet további tételeket rendelni, válassza a szülő tételt!");
const QString GroupEntry::kNoNumber = QStringLiteral("Nincs megadva nyt.szám!");

GroupEntry::GroupEntry(store::TDM1& dm) : m_dm(dm) {}

QString GroupEntry::refusal(const store::Query& itemView)
{
    // Without a selected row there is no parent to attach to either.
    if (!itemView.isOpen() || itemView.isEmpty() || itemView.eof())
        return kNoItems;
    if (itemView.value(QStringLiteral("MJEL")).toLongLong() >= 6)
        return kNumberless;
    if (itemView.value(QStringLiteral("SZULO_ID")).toLongLong() != 0)
        return kMember;
    return {};
}

GroupParent GroupEntry::parentOf(const store::Query& itemView)
{
    GroupParent p;
    p.TETEL_ID = itemView.value(QStringLiteral("TETEL_ID"));
    p.SORSZAM = itemView.value(QStringLiteral("SORSZAM"));
    p.MJEL = itemView.value(QStringLiteral("MJEL"));
    p.KCIMZETT = itemView.value(QStringLiteral("KCIMZETT"));
    p.KCIMZETT_AZ = itemView.value(QStringLiteral("KCIMZETT_AZ"));
    p.IKTSZAM = itemView.value(QStringLiteral("IKTSZAM"));
    p.KCIMZETT_SZ = store::displayColumnsOf(itemView, itemView.currentRow()).KCIMZETT_SZ;
    return p;
}

QString GroupEntry::itemTable() const
{
    return lists::listKind(m_listKind).itemTable;
}

void GroupEntry::open(const GroupParent& parent, int listKind, int listNumber)
{
    m_parent = parent;
    m_listKind = listKind;
    m_listNumber = listNumber;

    store::Query& members = m_dm.MyQuery1;
    members.close();
    members.setSql(QStringLiteral("SELECT * FROM ") + itemTable() +
                   QStringLiteral(" WHERE LSZAM=:lszam AND SZULO_ID=:szulo_id ORDER BY CSOPORT_ID"));
    members.setInt(QStringLiteral("lszam"), m_listNumber);
    members.setInt(QStringLiteral("szulo_id"), m_parent.TETEL_ID.toLongLong());
    members.open();

    // MyQuery1 is still walked below, so the scratch table is written through MyQuery3.
    store::Query& scratch = m_dm.MyQuery3;
    scratch.execute(QStringLiteral("DELETE FROM CSOPORTOS"));
    for (members.first(); !members.eof(); members.next()) {
        scratch.close();
        scratch.setSql(QStringLiteral("INSERT INTO CSOPORTOS (ID,IKTSZAM) VALUES (:id,:iktszam)"));
        scratch.setInt(QStringLiteral("id"), members.value(QStringLiteral("CSOPORT_ID")).toLongLong());
        scratch.setText(QStringLiteral("iktszam"), members.value(QStringLiteral("IKTSZAM")).toString());
        scratch.execute();
    }
    members.close();

    m_dm.MyQuery6.open(QStringLiteral("SELECT * FROM CSOPORTOS ORDER BY ID"));
}

// The scratch table's counter only knows the ids it has handed out since it was last
// truncated (the numbering reset and the migration do that). Members of other groups
// may carry higher CSOPORT_IDs, and a repeated id would let one removal delete members
// of two groups. Raising the counter past the highest id in use keeps new ids unique:
// an explicit id above the counter moves it on, and deleting that row keeps it moved.
void GroupEntry::keepCounterAboveUsedIds()
{
    store::Query& q = m_dm.MyQuery1;
    q.open(QStringLiteral("SELECT MAX(CSOPORT_ID) AS MAXID FROM ") + itemTable());
    const qlonglong usedMax = q.value(QStringLiteral("MAXID")).toLongLong();
    q.open(QStringLiteral("SELECT MAX(ID) AS MAXID FROM CSOPORTOS"));
    const qlonglong scratchMax = q.value(QStringLiteral("MAXID")).toLongLong();
    q.close();
    if (usedMax <= scratchMax)
        return;
    q.execute(QStringLiteral("INSERT INTO CSOPORTOS (ID,IKTSZAM) VALUES (:id,:iktszam)"),
              {{QStringLiteral("id"), usedMax}, {QStringLiteral("iktszam"), QString()}});
    q.execute(QStringLiteral("DELETE FROM CSOPORTOS WHERE ID=:id"), {{QStringLiteral("id"), usedMax}});
}

qlonglong GroupEntry::attach(const QString& iktszam)
{
    keepCounterAboveUsedIds();

    store::Query& q = m_dm.MyQuery1;
    q.execute(QStringLiteral("INSERT INTO CSOPORTOS (IKTSZAM) VALUES (:iktszam)"),
              {{QStringLiteral("iktszam"), iktszam}});
    store::Query& scratchView = m_dm.MyQuery6;
    scratchView.refresh();
    scratchView.last();
    const qlonglong id = scratchView.value(QStringLiteral("ID")).toLongLong();

    // The parent's code is text and is copied as text: a code such as "012345" keeps
    // its leading zero, and a code that is not a number cannot stop the attach.
    const QVariant code =
        m_parent.KCIMZETT_AZ.isNull() ? QVariant() : QVariant(m_parent.KCIMZETT_AZ.toString());
    q.close();
    q.setSql(QStringLiteral("INSERT INTO ") + itemTable() +
             QStringLiteral(
                 " (CSOPORT_ID, IKTSZAM, SZULO_ID, SORSZAM, LSZAM,MJEL,KCIMZETT,SZAMNELKULI,KCIMZETT_AZ,DB)"
                 " VALUES (:id,:iktszam,:szulo_id,:sorszam,:lszam,:MJEL,:KCIMZETT,:SZAMNELKULI,"
                 ":KCIMZETT_AZ,:DB)"));
    q.setInt(QStringLiteral("id"), id);
    q.setText(QStringLiteral("iktszam"), iktszam);
    q.setInt(QStringLiteral("szulo_id"), m_parent.TETEL_ID.toLongLong());
    q.setParam(QStringLiteral("sorszam"), m_parent.SORSZAM);
    q.setInt(QStringLiteral("lszam"), m_listNumber);
    q.setParam(QStringLiteral("MJEL"), m_parent.MJEL);
    q.setParam(QStringLiteral("KCIMZETT"), m_parent.KCIMZETT);
    q.setInt(QStringLiteral("SZAMNELKULI"), 1);
    q.setParam(QStringLiteral("KCIMZETT_AZ"), code);
    q.setInt(QStringLiteral("DB"), 1);
    q.execute();

    if (m_dm.MyQuery2.isOpen())
        m_dm.MyQuery2.refresh();
    return id;
}

bool GroupEntry::removeCurrent()
{
    store::Query& scratchView = m_dm.MyQuery6;
    if (!scratchView.isOpen() || scratchView.eof())
        return false;
    const qlonglong id = scratchView.value(QStringLiteral("ID")).toLongLong();

    store::Query& q = m_dm.MyQuery1;
    q.close();
    q.setSql(QStringLiteral("DELETE FROM ") + itemTable() +
             QStringLiteral(" WHERE CSOPORT_ID=:id AND LSZAM=:lszam"));
    q.setInt(QStringLiteral("id"), id);
    q.setInt(QStringLiteral("lszam"), m_listNumber);
    q.execute();
    q.execute(QStringLiteral("DELETE FROM CSOPORTOS WHERE ID=:id"), {{QStringLiteral("id"), id}});

    scratchView.refresh();
    if (m_dm.MyQuery2.isOpen())
        m_dm.MyQuery2.refresh();
    return true;
}

} // namespace items
