#include "Renumbering.h"

#include "ListKind.h"
#include "store/DataModule.h"
#include "store/SqlError.h"

#include <QHash>

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

void Renumbering::rebuild_item_table()
{
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

    scratch.execute(QStringLiteral("truncate table ") + table);
    copyTempBack();
}

void Renumbering::copyTempBack()
{
    try {
        m_dm.MyQuery1.execute(QStringLiteral("insert into ") + m_kind.lowerItemTable +
                              QStringLiteral(" select * from temp order by tetel_id"));
    } catch (const store::SqlError&) {
        // The item table is empty now and its rows live only in TEMP: put them back
        // one by one rather than leave the list without its items.
        restoreFromTemp();
    }
}

void Renumbering::restoreFromTemp()
{
    const QString& table = m_kind.lowerItemTable;
    store::Query& scratch = m_dm.MyQuery1;
    // A failed copy may have written part of the rows.
    scratch.execute(QStringLiteral("truncate table ") + table);
    store::Query& saved = m_dm.myQuery8;
    saved.open(QStringLiteral("SELECT * FROM temp ORDER BY tetel_id"));
    const QString insert =
        QStringLiteral("INSERT INTO ") + table +
        QStringLiteral(
            " (lszam,iktszam,mjel,kcimzett,szamnelkuli,sorszam,kcimzett_az,db,szulo_id,tetel_id,csoport_id)"
            " VALUES (:lszam,:iktszam,:mjel,:kcimzett,:szamnelkuli,:sorszam,:kcimzett_az,:db,:szulo_id,"
            ":tetel_id,:csoport_id)");
    for (int row = 0; row < saved.rowCount(); ++row) {
        std::vector<store::Parameter> values;
        for (const QString& column : kStoredColumns)
            values.push_back({column, saved.value(row, column)});
        values.push_back({QStringLiteral("szulo_id"), saved.value(row, QStringLiteral("szulo_id"))});
        values.push_back({QStringLiteral("tetel_id"), saved.value(row, QStringLiteral("tetel_id"))});
        scratch.execute(insert, values);
    }
    saved.close();
}

} // namespace lists
