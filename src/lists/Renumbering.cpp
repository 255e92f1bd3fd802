#include "Renumbering.h"

#include "ListKind.h"
#include "store/DataModule.h"
#include "store/SqlError.h"

#include <QSet>
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

Renumbering::Renumbering(store::TDM1& dm, const ListKindInfo& kind) : m_dm(dm), m_kind(kind) {}

void Renumbering::sorszam_rendezo(int listNumber)
{
    const QString& table = m_kind.lowerItemTable;
    // Whether the list has any top-level item; the first one found will do, in no order.
    const QString anyItem = QStringLiteral("SELECT TETEL_ID FROM ") + table +
                            QStringLiteral(" WHERE LSZAM=:LSZAM AND SZULO_ID=0 LIMIT 1");
    // Top-level items are numbered from 1 by level, then by order of entry: the update
    // visits them in that order and counts. Members carry their parent's number. Rows
    // whose number stays are not written. One statement each instead of two per item: on
    // a long list a save moves thousands of numbers.
    const QString setOwn =
        QStringLiteral("UPDATE ") + table +
        QStringLiteral(" SET SORSZAM=(@sorszam:=@sorszam+1) WHERE LSZAM=:LSZAM AND SZULO_ID=0"
                       " ORDER BY MJEL, TETEL_ID");
    const QString setMembers =
        QStringLiteral("UPDATE ") + table + QStringLiteral(" m JOIN ") + table +
        QStringLiteral(" p ON p.TETEL_ID=m.SZULO_ID SET m.SORSZAM=p.SORSZAM"
                       " WHERE m.LSZAM=:LSZAM AND m.SZULO_ID<>0 AND p.LSZAM=:LSZAM AND p.SZULO_ID=0"
                       " AND NOT (m.SORSZAM <=> p.SORSZAM)");
    m_dm.MyQuery2.close();
    m_dm.MyQuery1.close();
    store::Connection& connection = m_dm.MyConnection1;
    const std::vector<store::Parameter> list = {{QStringLiteral("LSZAM"), listNumber}};
    // The whole renumbering is one hand-off to the server.
    connection.batch([&] {
        const std::optional<store::ResultSet> found = connection.run(anyItem, list);
        if (!found || found->rows.empty())
            return;
        connection.run(QStringLiteral("SET @sorszam:=0"), {});
        connection.run(setOwn, list);
        connection.run(setMembers, list);
    });
    if (!m_dm.MyQuery2.sql().isEmpty())
        m_dm.MyQuery2.open();
}

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
    QSet<qlonglong> copied;
    for (int row = 0; row < topLevel.rowCount(); ++row) {
        copied.insert(topLevel.value(row, QStringLiteral("TETEL_ID")).toLongLong());
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
        for (int member = 0; member < members.rowCount(); ++member) {
            copied.insert(members.value(member, QStringLiteral("TETEL_ID")).toLongLong());
            insertIntoTemp(scratch, members, member, newParentId);
        }
    }
    // Rows that are neither a top-level item nor the member of one (their parent is gone,
    // or is a member itself) are kept as top-level items of their list: a consignment
    // recorded once is never dropped by a rebuild.
    members.close();
    members.open(QStringLiteral("select * from ") + table + QStringLiteral(" order by tetel_id"));
    for (int row = 0; row < members.rowCount(); ++row) {
        if (!copied.contains(members.value(row, QStringLiteral("TETEL_ID")).toLongLong()))
            insertIntoTemp(scratch, members, row, qlonglong(0));
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
