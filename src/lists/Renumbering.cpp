#include "Renumbering.h"

#include "ListKind.h"
#include "store/DataModule.h"
#include "store/SqlError.h"

#include <QHash>
#include <optional>

namespace lists {

namespace {

const QStringList kStoredColumns = {
    QStringLiteral("lszam"),       QStringLiteral("iktszam"),     QStringLiteral("mjel"),
    QStringLiteral("kcimzett"),    QStringLiteral("szamnelkuli"), QStringLiteral("sorszam"),
    QStringLiteral("kcimzett_az"), QStringLiteral("db"),          QStringLiteral("csoport_id")};

// Copies one item row into TEMP, which gives it the next id.
void insertIntoTemp(store::Query& insert, const store::Query& source, int row, const QVariant& parentId)
{
    insert.close();
    insert.clearSql();
    insert.addLine(QStringLiteral("insert into temp"));
    insert.addLine(QStringLiteral(
        "(lszam,iktszam,mjel,kcimzett,szamnelkuli,sorszam,kcimzett_az,db,szulo_id,csoport_id) values"));
    insert.addLine(QStringLiteral("(:lszam,:iktszam,:mjel,:kcimzett,:szamnelkuli,:sorszam,:kcimzett_az,:db,"
                                  ":szulo_id,:csoport_id)"));
    for (const QString& column : kStoredColumns)
        insert.setParam(column, source.value(row, column));
    insert.setParam(QStringLiteral("szulo_id"), parentId);
    insert.execute();
}

} // namespace

Renumbering::Renumbering(store::TDM1& dm, const ListKindInfo& kind) : m_dm(dm), m_kind(kind) {}

QHash<qlonglong, qlonglong> Renumbering::membersSerials(int listNumber)
{
    // Per parent: the serial all its members share, or -1 when they differ or one is empty.
    QHash<qlonglong, qlonglong> serials;
    store::Query& members = m_dm.myQuery8;
    members.open(QStringLiteral("SELECT SZULO_ID, SORSZAM FROM ") + m_kind.lowerItemTable +
                     QStringLiteral(" WHERE LSZAM=:LSZAM AND SZULO_ID<>0"),
                 {{QStringLiteral("LSZAM"), listNumber}});
    for (int row = 0; row < members.rowCount(); ++row) {
        const qlonglong parent = members.value(row, QStringLiteral("SZULO_ID")).toLongLong();
        const QVariant serial = members.value(row, QStringLiteral("SORSZAM"));
        const qlonglong value = serial.isNull() ? -1 : serial.toLongLong();
        const auto found = serials.constFind(parent);
        serials.insert(parent, found == serials.cend() || *found == value ? value : -1);
    }
    members.close();
    return serials;
}

void Renumbering::sorszam_rendezo(int listNumber)
{
    const QString& table = m_kind.lowerItemTable;
    store::Query& topLevel = m_dm.MyQuery5;
    topLevel.open(QStringLiteral("SELECT * FROM ") + table +
                      QStringLiteral(" WHERE LSZAM=:LSZAM AND SZULO_ID=0 ORDER BY MJEL,tetel_id"),
                  {{QStringLiteral("LSZAM"), listNumber}});
    if (!topLevel.isEmpty()) {
        m_dm.MyQuery2.close();
        // A row whose number stays is not written again: on a long list most numbers
        // stay, and every statement costs a round through the store.
        const QHash<qlonglong, qlonglong> memberSerials = membersSerials(listNumber);
        const QString setOwn =
            QStringLiteral("UPDATE ") + table +
            QStringLiteral(" SET sorszam=:sorszam WHERE LSZAM=:LSZAM AND TETEL_ID=:tetel_id");
        // Members carry their parent's serial, so a renumbering writes them too.
        const QString setMembers =
            QStringLiteral("UPDATE ") + table +
            QStringLiteral(" SET sorszam=:sorszam WHERE LSZAM=:LSZAM AND SZULO_ID=:szulo_id");
        store::Query& update = m_dm.MyQuery1;
        for (int row = 0; row < topLevel.rowCount(); ++row) {
            const qlonglong serial = row + 1;
            const QVariant id = topLevel.value(row, QStringLiteral("TETEL_ID"));
            const QVariant current = topLevel.value(row, QStringLiteral("SORSZAM"));
            if (current.isNull() || current.toLongLong() != serial)
                update.execute(setOwn, {{QStringLiteral("sorszam"), serial},
                                        {QStringLiteral("LSZAM"), listNumber},
                                        {QStringLiteral("tetel_id"), id}});
            const auto members = memberSerials.constFind(id.toLongLong());
            if (members != memberSerials.cend() && *members != serial)
                update.execute(setMembers, {{QStringLiteral("sorszam"), serial},
                                            {QStringLiteral("LSZAM"), listNumber},
                                            {QStringLiteral("szulo_id"), id}});
        }
    }
    topLevel.close();
    m_dm.MyQuery2.close();
    if (!m_dm.MyQuery2.sql().isEmpty())
        m_dm.MyQuery2.open();
}

namespace {

// While TEMP holds the only complete copy of an item table, it carries this marker row,
// whose KCIMZETT names the table. A rebuild cut short between emptying the item table
// and filling it again is thereby recognised at the next start or rebuild.
constexpr int kMarkerId = -1;

QString markerTable(store::Query& q)
{
    q.open(QStringLiteral("SELECT KCIMZETT FROM temp WHERE TETEL_ID=:id"),
           {{QStringLiteral("id"), kMarkerId}});
    const QString name = q.isEmpty() ? QString() : q.value(QStringLiteral("KCIMZETT")).toString();
    q.close();
    for (int number = 1; number <= kListKindCount; ++number) {
        if (listKind(number).lowerItemTable == name)
            return name;
    }
    return QString();
}

} // namespace

void Renumbering::rebuild_item_table()
{
    // Rows an earlier rebuild left only in TEMP come back before TEMP is emptied.
    restoreInterruptedRebuild(m_dm);
    const QString& table = m_kind.lowerItemTable;
    store::Query& topLevel = m_dm.myQuery7;
    topLevel.close();
    topLevel.clearSql();
    topLevel.addLine(QStringLiteral("SELECT * FROM"));
    topLevel.addLine(table);
    topLevel.addLine(QStringLiteral("where szulo_id=0"));
    topLevel.addLine(QStringLiteral("order by tetel_id"));
    topLevel.open();
    if (topLevel.isEmpty()) {
        topLevel.close();
        return;
    }

    store::Query& scratch = m_dm.MyQuery1;
    scratch.execute(QStringLiteral("truncate table temp"));
    store::Query& members = m_dm.myQuery8;
    for (int row = 0; row < topLevel.rowCount(); ++row) {
        members.close();
        members.clearSql();
        members.addLine(QStringLiteral("select * from ") + table);
        members.addLine(QStringLiteral("where szulo_id=:szulo_id"));
        members.addLine(QStringLiteral("order by tetel_id"));
        members.setParam(QStringLiteral("szulo_id"), topLevel.value(row, QStringLiteral("TETEL_ID")));
        members.open();
        insertIntoTemp(scratch, topLevel, row, topLevel.value(row, QStringLiteral("SZULO_ID")));
        if (members.isEmpty())
            continue;
        scratch.open(QStringLiteral("SELECT LAST_INSERT_ID() as id"));
        const QVariant newParentId = scratch.value(QStringLiteral("id"));
        for (int member = 0; member < members.rowCount(); ++member)
            insertIntoTemp(scratch, members, member, newParentId);
    }
    members.close();
    topLevel.close();

    scratch.execute(
        QStringLiteral("insert into temp (tetel_id, lszam, szulo_id, kcimzett) values (:id, NULL, "
                       "NULL, :tabla)"),
        {{QStringLiteral("id"), kMarkerId}, {QStringLiteral("tabla"), table}});
    scratch.execute(QStringLiteral("truncate table ") + table);
    copyTempBack();
}

void Renumbering::copyTempBack()
{
    try {
        m_dm.MyQuery1.execute(QStringLiteral("insert into ") + m_kind.lowerItemTable +
                              QStringLiteral(" select * from temp where tetel_id>0 order by tetel_id"));
    } catch (const store::SqlError&) {
        // The item table holds at most part of its rows now; the rest are only in TEMP.
        restoreFromTemp(m_dm, m_kind.lowerItemTable);
        return;
    }
    dropMarker(m_dm);
}

void Renumbering::dropMarker(store::TDM1& dm)
{
    dm.MyQuery1.execute(QStringLiteral("delete from temp where tetel_id=:id"),
                        {{QStringLiteral("id"), kMarkerId}});
}

void Renumbering::restoreFromTemp(store::TDM1& dm, const QString& table)
{
    store::Query& scratch = dm.MyQuery1;
    // Rows already back (a copy cut short writes a part) are left as they are.
    const QString missing =
        QStringLiteral(" FROM temp WHERE tetel_id>0 AND tetel_id NOT IN (SELECT tetel_id FROM ") + table +
        QStringLiteral(") ORDER BY tetel_id");
    try {
        scratch.execute(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" SELECT *") + missing);
    } catch (const store::SqlError&) {
        // One by one, so that every row that can go back does.
        store::Query& saved = dm.myQuery8;
        saved.open(QStringLiteral("SELECT *") + missing);
        const QString insert =
            QStringLiteral("INSERT INTO ") + table +
            QStringLiteral(
                " (lszam,iktszam,mjel,kcimzett,szamnelkuli,sorszam,kcimzett_az,db,szulo_id,tetel_id,csoport_"
                "id)"
                " VALUES (:lszam,:iktszam,:mjel,:kcimzett,:szamnelkuli,:sorszam,:kcimzett_az,:db,:szulo_id,"
                ":tetel_id,:csoport_id)");
        std::optional<store::SqlError> failure;
        for (int row = 0; row < saved.rowCount(); ++row) {
            std::vector<store::Parameter> values;
            for (const QString& column : kStoredColumns)
                values.push_back({column, saved.value(row, column)});
            values.push_back({QStringLiteral("szulo_id"), saved.value(row, QStringLiteral("szulo_id"))});
            values.push_back({QStringLiteral("tetel_id"), saved.value(row, QStringLiteral("tetel_id"))});
            try {
                scratch.execute(insert, values);
            } catch (const store::SqlError& e) {
                if (!failure)
                    failure = e;
            }
        }
        saved.close();
        // TEMP keeps its marker: the rows still missing are put back at the next start.
        if (failure)
            throw *failure;
    }
    dropMarker(dm);
}

bool Renumbering::restoreInterruptedRebuild(store::TDM1& dm)
{
    store::Query& q = dm.MyQuery1;
    const QString table = markerTable(q);
    if (table.isEmpty())
        return false;
    // Cut short before the item table was emptied: it still holds its rows under their
    // old ids, some of which TEMP lacks. After the emptying, every row in it is a row of TEMP.
    QString same = QStringLiteral("m.tetel_id=t.tetel_id AND m.szulo_id<=>t.szulo_id");
    for (const QString& column : kStoredColumns)
        same += QStringLiteral(" AND m.%1<=>t.%1").arg(column);
    q.open(QStringLiteral("SELECT COUNT(*) AS n FROM ") + table +
           QStringLiteral(" t WHERE NOT EXISTS (SELECT 1 FROM temp m WHERE ") + same + QStringLiteral(")"));
    const bool untouched = q.value(QStringLiteral("n")).toLongLong() > 0;
    q.close();
    if (untouched)
        dropMarker(dm);
    else
        restoreFromTemp(dm, table);
    return true;
}

} // namespace lists
