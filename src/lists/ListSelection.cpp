#include "ListSelection.h"

#include "ListKind.h"
#include "store/DataModule.h"
#include "store/SettingsRow.h"

namespace lists {

const QString ListSelection::kNoListYet = QStringLiteral("Nincs még előző lista, válassza az Aktív listát!");
const QString ListSelection::kNonePrinted = QStringLiteral("Nincs előző lista!");

namespace {

QString textOf(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

} // namespace

ListSelection::ListSelection(store::TDM1& dm, const ListKindInfo& kind) : m_dm(dm), m_kind(kind) {}

int ListSelection::headerCount()
{
    store::Query& q = m_dm.MyQuery1;
    q.open(QStringLiteral("SELECT COUNT(*) AS DB FROM %1").arg(m_kind.headerTable));
    return q.value(QStringLiteral("DB")).toInt();
}

ListSelection::ActiveList ListSelection::activeList()
{
    ActiveList list;
    if (headerCount() == 0) {
        list.number = 1;
    } else {
        store::Query& q = m_dm.MyQuery1;
        q.open(QStringLiteral("SELECT MAX(LSZAM) AS MAXLSZAM FROM %1").arg(m_kind.headerTable));
        const int newest = q.value(QStringLiteral("MAXLSZAM")).toInt();
        const QString header = m_kind.headerTable.toLower();
        q.open(
            QStringLiteral(
                "SELECT * FROM %1 WHERE lszam = (select max(lszam) from %1) and  NYOMTATAS_DATUMA IS NULL;")
                .arg(header));
        if (q.isEmpty()) {
            list.number = newest + 1;
        } else {
            list.number = q.value(QStringLiteral("LSZAM")).toInt();
            list.addressee = textOf(q.value(QStringLiteral("JCIMZETT")));
        }
    }
    m_dm.MyQuery1.close();
    return list;
}

ListSelection::PreviousList ListSelection::previousList()
{
    PreviousList list;
    if (headerCount() > 0) {
        store::Query& q = m_dm.MyQuery1;
        q.open(QStringLiteral(
                   "SELECT * FROM %1 WHERE NOT (NYOMTATAS_DATUMA IS NULL) ORDER BY LSZAM DESC limit 1")
                   .arg(m_kind.headerTable));
        if (q.isEmpty()) {
            list.status = PreviousStatus::NonePrinted;
        } else {
            list.status = PreviousStatus::Found;
            list.number = q.value(QStringLiteral("LSZAM")).toInt();
            list.addressee = textOf(q.value(QStringLiteral("JCIMZETT")));
        }
    }
    m_dm.MyQuery1.close();
    return list;
}

QString ListSelection::defaultAddressee()
{
    const std::optional<store::SettingsRow> settings = store::readSettingsRow(m_dm.MyQuery1);
    return settings ? settings->defaultAddresseeName : QString();
}

void ListSelection::openItemView(int listNumber)
{
    store::Query& view = m_dm.MyQuery2;
    view.open(QStringLiteral("SELECT * FROM %1 WHERE LSZAM=:lszam ORDER BY SORSZAM,szulo_id,tetel_id")
                  .arg(m_kind.itemTable),
              {{QStringLiteral("lszam"), listNumber}});
}

} // namespace lists
