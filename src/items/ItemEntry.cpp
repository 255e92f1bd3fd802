#include "ItemEntry.h"

#include "app/Services.h"
#include "lists/ListKind.h"
#include "lists/Renumbering.h"
#include "store/DataModule.h"
#include "store/SqlError.h"

#include <algorithm>
#include <limits>

namespace items {

const QString ItemEntry::kInsertFailed = QStringLiteral("Hiba a rekord felvétele közben!");

namespace {

constexpr int kNumberless = 6;
constexpr int kRegistered = 5;

QString textOf(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

} // namespace

ItemEntry::ItemEntry(store::TDM1& dm, const lists::ListKindInfo& kind) : m_dm(dm), m_kind(kind) {}

std::optional<ItemEntry::Refusal> ItemEntry::refusal(const Consignment& c)
{
    const bool numberless = m_kind.hasClassificationChoice && c.mjel == kNumberless;
    if (!numberless && c.registration.size() > kMaxTextLength)
        return Refusal{Field::Registration,
                       QStringLiteral("Az iktatószám legfeljebb %1 karakter lehet!").arg(kMaxTextLength)};
    if (!numberless) {
        const QString shortName = lookup_short_name(c.addresseeCode);
        const QString stored = shortName.isEmpty() ? c.addresseeName.trimmed() : shortName;
        if (stored.size() > kMaxTextLength || c.addresseeCode.size() > kMaxTextLength)
            return Refusal{
                Field::Addressee,
                QStringLiteral("A címzett neve legfeljebb %1 karakter lehet!").arg(kMaxTextLength)};
    }
    const bool onePerPiece =
        !m_kind.hasClassificationChoice || (c.mjel != kNumberless && c.mjel != kRegistered);
    if (onePerPiece && c.count > kMaxPieceRows)
        return Refusal{
            Field::Count,
            QStringLiteral("Egy mentéssel legfeljebb %1 darab minősített vagy NATO küldemény vehető fel, "
                           "mert mindegyik külön sor. Nagyobb mennyiséget több részletben rögzítsen!")
                .arg(kMaxPieceRows)};
    if (numberless) {
        store::Query& q = m_dm.MyQuery3;
        q.open(QStringLiteral(
                   "SELECT MAX(SZAMNELKULI) AS SZ, MAX(DB) AS DB FROM %1 WHERE MJEL=:MJEL AND LSZAM=:LSZAM")
                   .arg(m_kind.entryItemTable),
               {{QStringLiteral("MJEL"), kNumberless}, {QStringLiteral("LSZAM"), c.listNumber}});
        const qlonglong stored =
            std::max(q.value(QStringLiteral("SZ")).toLongLong(), q.value(QStringLiteral("DB")).toLongLong());
        q.close();
        if (stored + c.count > std::numeric_limits<int>::max())
            return Refusal{
                Field::Count,
                QStringLiteral("A szám nélküli küldemények száma egy listán legfeljebb %1 lehet; a "
                               "listán eddig %2 van.")
                    .arg(std::numeric_limits<int>::max())
                    .arg(stored)};
    }
    return std::nullopt;
}

void ItemEntry::add_items(const Consignment& entered, const ListAddressees& addressees,
                          app::MessageService& messages)
{
    if (const std::optional<Refusal> refused = refusal(entered)) {
        messages.inform(refused->message);
        return;
    }
    Consignment c = entered;
    c.addresseeName = c.addresseeName.trimmed();
    const QString shortName = lookup_short_name(c.addresseeCode);
    const QString storedName = shortName.isEmpty() ? c.addresseeName : shortName;

    if (m_kind.hasClassificationChoice && c.mjel == kNumberless) {
        // A list has one number-less row; later entries add to its counts.
        store::Query& q = m_dm.MyQuery3;
        q.open(QStringLiteral("SELECT MJEL FROM %1 WHERE MJEL=:MJEL AND LSZAM=:LSZAM")
                   .arg(m_kind.entryItemTable),
               {{QStringLiteral("MJEL"), kNumberless}, {QStringLiteral("LSZAM"), c.listNumber}});
        const bool exists = !q.isEmpty();
        q.close();
        if (exists) {
            q.execute(
                QStringLiteral("UPDATE %1 SET SZAMNELKULI=SZAMNELKULI+:SZ, DB=DB+:SZ WHERE LSZAM=:LSZAM AND "
                               "MJEL=:MJEL")
                    .arg(m_kind.entryItemTable),
                {{QStringLiteral("SZ"), c.count},
                 {QStringLiteral("LSZAM"), c.listNumber},
                 {QStringLiteral("MJEL"), kNumberless}});
            m_viewStale = true;
        } else {
            insertRows(c.listNumber, c.registration, kNumberless, storedName, c.addresseeCode, c.count,
                       c.count, 1, messages);
        }
    } else if (m_kind.hasClassificationChoice && c.mjel == kRegistered) {
        insertRows(c.listNumber, c.registration, kRegistered, storedName, c.addresseeCode, c.count, c.count,
                   1, messages);
    } else {
        // Each classified piece is a line of its own; NATO rows carry no number-less count.
        const int szamnelkuli = m_kind.hasClassificationChoice ? c.count : 0;
        const int mjel = m_kind.hasClassificationChoice ? c.mjel : 0;
        insertRows(c.listNumber, c.registration, mjel, storedName, c.addresseeCode, szamnelkuli, 1, c.count,
                   messages);
    }
    refreshItemView();
    writeListHeader(c.listNumber, addressees);
}

void ItemEntry::insertRows(int listNumber, const QString& iktszam, int mjel, const QString& kcimzett,
                           const QString& kcimzettAz, int szamnelkuli, int db, int rows,
                           app::MessageService& messages)
{
    const QString sql =
        QStringLiteral("INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB) "
                       "VALUES (:LSZAM,:IKTSZAM,:MJEL,:KCIMZETT,:KCIMZETT_AZ,:SZAMNELKULI,:SORSZAM,:DB)")
            .arg(m_kind.entryItemTable);
    const std::vector<store::Parameter> values = {{QStringLiteral("LSZAM"), listNumber},
                                                  {QStringLiteral("IKTSZAM"), iktszam},
                                                  {QStringLiteral("MJEL"), mjel},
                                                  {QStringLiteral("KCIMZETT"), kcimzett},
                                                  {QStringLiteral("KCIMZETT_AZ"), kcimzettAz},
                                                  {QStringLiteral("SZAMNELKULI"), szamnelkuli},
                                                  {QStringLiteral("SORSZAM"), 0},
                                                  {QStringLiteral("DB"), db}};
    store::Query& q = m_dm.MyQuery3;
    q.close();
    store::Connection& connection = m_dm.MyConnection1;
    // The item view is reread once the rows are in, or before a message shows it.
    m_viewStale = true;
    int stored = 0;
    while (stored < rows) {
        // The pieces go to the server in one hand-off, up to the first that fails; the
        // rebuild and the message for that one run here, between windows, and then the
        // rest of the pieces follow.
        bool failed = false;
        connection.batch([&] {
            for (; stored < rows; ++stored) {
                try {
                    connection.run(sql, values);
                } catch (const store::SqlError&) {
                    failed = true;
                    return;
                }
            }
        });
        if (!failed)
            return;
        // A damaged item table is the usual cause; rewriting it often cures the insert.
        lists::Renumbering(m_dm, m_kind).rebuild_item_table();
        try {
            q.execute(sql, values);
        } catch (const store::SqlError&) {
            refreshItemView();
            messages.inform(kInsertFailed);
        }
        ++stored;
    }
}

void ItemEntry::writeListHeader(int listNumber, const ListAddressees& addressees)
{
    // A national list gets its header only with an addressee; a NATO list also when only
    // the previous-list box has one, and then stores the active-list box's text anyway.
    const bool write = m_kind.hasClassificationChoice
                           ? !addressees.active.isEmpty()
                           : !addressees.active.isEmpty() || !addressees.previous.isEmpty();
    if (!write)
        return;
    store::Query& q = m_dm.MyQuery1;
    q.open(QStringLiteral("SELECT * FROM %1 WHERE LSZAM=:LSZAM").arg(m_kind.entryHeaderTable),
           {{QStringLiteral("LSZAM"), listNumber}});
    const bool exists = !q.isEmpty();
    const std::vector<store::Parameter> values = {{QStringLiteral("JCIMZETT"), addressees.active},
                                                  {QStringLiteral("LSZAM"), listNumber}};
    if (exists)
        q.execute(QStringLiteral("UPDATE %1 SET JCIMZETT=:JCIMZETT WHERE LSZAM=:LSZAM")
                      .arg(m_kind.entryHeaderTable),
                  values);
    else
        q.execute(QStringLiteral("INSERT INTO %1 (JCIMZETT,LSZAM) VALUES (:JCIMZETT,:LSZAM)")
                      .arg(m_kind.entryHeaderTable),
                  values);
}

void ItemEntry::refreshItemView()
{
    if (m_viewStale && m_dm.MyQuery2.isOpen())
        m_dm.MyQuery2.refresh();
    m_viewStale = false;
}

QString ItemEntry::addresseeCode(const QString& name)
{
    store::Query& q = m_dm.MyQuery3;
    q.open(QStringLiteral("SELECT TKOD FROM SZERVEK WHERE SZERVNEV=:SZERVNEV"),
           {{QStringLiteral("SZERVNEV"), name.trimmed()}});
    const QString code = q.isEmpty() ? QStringLiteral("0") : textOf(q.value(QStringLiteral("TKOD")));
    q.close();
    return code;
}

QString ItemEntry::lookup_short_name(const QString& code)
{
    store::Query& q = m_dm.MyQuery3;
    q.open(QStringLiteral("SELECT ROVIDNEV FROM SZERVEK WHERE TKOD=:TKOD"), {{QStringLiteral("TKOD"), code}});
    const QString shortName = q.isEmpty() ? QString() : textOf(q.value(QStringLiteral("ROVIDNEV")));
    q.close();
    return shortName;
}

bool ItemEntry::takesClassifiedOnly(const QString& name)
{
    store::Query& q = m_dm.MyQuery3;
    q.open(QStringLiteral("select * from szervek where szervnev=:szervnev"),
           {{QStringLiteral("szervnev"), name.trimmed()}});
    const bool classifiedOnly = !q.isEmpty() && q.value(QStringLiteral("minositett")).toInt() == 1;
    q.close();
    return classifiedOnly;
}

} // namespace items
