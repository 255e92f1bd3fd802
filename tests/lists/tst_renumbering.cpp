#include "lists/ItemDeletion.h"
#include "lists/ListKind.h"
#include "lists/ListSelection.h"
#include "lists/Renumbering.h"
#include "store/DataModule.h"
#include "store/SqlError.h"
#include "support/ProgramFolder.h"

#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <functional>

using namespace testsupport;

namespace {

store::TDM1& dm()
{
    return store::TDM1::instance();
}

// Inserts a row the way the entry dialog or the group dialog leaves it; returns its id.
qlonglong addItem(const QString& table, int list, int mjel, const QString& iktszam, qlonglong parent = 0)
{
    exec(QStringLiteral(
             "INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB,SZULO_ID) "
             "VALUES (:l,:i,:m,'Címzett','000001',1,0,1,:p)")
             .arg(table),
         {{"l", list}, {"i", iktszam}, {"m", mjel}, {"p", parent}});
    return scalar("SELECT LAST_INSERT_ID()").toLongLong();
}

// "IKTSZAM:SORSZAM" of a list's rows in list order.
QStringList serials(const QString& table, int list)
{
    return rows(QStringLiteral(
                    "SELECT IKTSZAM, SORSZAM FROM %1 WHERE LSZAM=:l ORDER BY SORSZAM,SZULO_ID,TETEL_ID")
                    .arg(table),
                {{"l", list}})
        .replaceInStrings(QStringLiteral("|"), QStringLiteral(":"));
}

void renumber(int kind, int list)
{
    lists::Renumbering(dm(), lists::listKind(kind)).sorszam_rendezo(list);
}

void rebuild(int kind)
{
    lists::Renumbering(dm(), lists::listKind(kind)).rebuild_item_table();
}

void addExplicit(const QString& table, int id, int mjel, int parent, const QString& iktszam, int group = 0)
{
    exec(QStringLiteral(
             "INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB,SZULO_ID,"
             "TETEL_ID,CSOPORT_ID) VALUES (1,:i,:m,'K','000002',1,:s,1,:p,:id,:g)")
             .arg(table),
         {{"i", iktszam}, {"m", mjel}, {"s", id}, {"p", parent}, {"id", id}, {"g", group}});
}

// The table of the rebuild example: top-level 3, 7, 12; 20 and 21 under 7; 30 under a
// parent that is gone.
void addRebuildExample(const QString& table)
{
    addExplicit(table, 3, 2, 0, "A");
    addExplicit(table, 7, 3, 0, "B");
    addExplicit(table, 12, 1, 0, "C");
    addExplicit(table, 20, 3, 7, "B1", 4);
    addExplicit(table, 21, 3, 7, "B2", 5);
    addExplicit(table, 30, 2, 99, "orphan", 6);
}

// The orphan is kept, as a top-level item after the others.
const QStringList kRebuiltExample = {
    "1|A|0|0|3", "2|B|0|0|7", "3|B1|2|4|20", "4|B2|2|5|21", "5|C|0|0|12", "6|orphan|0|6|30",
};

QStringList rebuiltRows(const QString& table)
{
    // TETEL_ID | IKTSZAM | SZULO_ID | CSOPORT_ID | SORSZAM (the old id, kept unchanged)
    return rows(
        QStringLiteral("SELECT TETEL_ID, IKTSZAM, SZULO_ID, CSOPORT_ID, SORSZAM FROM %1 ORDER BY TETEL_ID")
            .arg(table));
}

// The renumbering as one statement per row: every top-level item of the list in order of
// level and entry gets 1, 2, 3 ..., each member of such an item the number of its parent.
// The reference the renumbering's stored result must match.
void renumberRowByRow(const QString& table, int list)
{
    store::Connection& c = dm().MyConnection1;
    const auto top = c.run(QStringLiteral("SELECT TETEL_ID, SORSZAM FROM %1 WHERE LSZAM=:l AND SZULO_ID=0 "
                                          "ORDER BY MJEL,TETEL_ID")
                               .arg(table),
                           {{QStringLiteral("l"), list}});
    for (size_t row = 0; row < top->rows.size(); ++row) {
        const qlonglong serial = qlonglong(row) + 1;
        const QVariant id = top->rows[row][0];
        const QVariant current = top->rows[row][1];
        if (current.isNull() || current.toLongLong() != serial)
            c.run(QStringLiteral("UPDATE %1 SET SORSZAM=:s WHERE LSZAM=:l AND TETEL_ID=:id").arg(table),
                  {{QStringLiteral("s"), serial}, {QStringLiteral("l"), list}, {QStringLiteral("id"), id}});
        c.run(QStringLiteral("UPDATE %1 SET SORSZAM=:s WHERE LSZAM=:l AND SZULO_ID=:id").arg(table),
              {{QStringLiteral("s"), serial}, {QStringLiteral("l"), list}, {QStringLiteral("id"), id}});
    }
}

// A random table of three lists: items of every level of the kind (some without level or
// number), groups, members numbered out of step, members of another list's item, members
// whose parent is gone or is a member itself. Ids are not in order of entry.
void fillRandomTable(const QString& table, const QList<QVariant>& levels, quint32 seed)
{
    QRandomGenerator random(seed);
    QList<int> ids;
    for (int id = 1; id <= 160; ++id)
        ids << id;
    std::shuffle(ids.begin(), ids.end(), random);
    struct Row
    {
        int id;
        int list;
        QVariant parent;
    };
    QList<Row> made;
    const auto pick = [&](auto&& values) { return values[qsizetype(random.bounded(int(values.size())))]; };
    for (int id : ids) {
        Row row{id, 1 + int(random.bounded(3)), 0};
        const int shape = int(random.bounded(20));
        if (!made.isEmpty() && shape < 6) {
            const Row& parent = pick(made);
            row.parent = parent.id;
            if (shape > 0)
                row.list = parent.list;
        } else if (shape == 6) {
            row.parent = 500 + id; // its parent is gone
        } else if (shape == 7) {
            row.parent = QVariant();
        }
        const int serialShape = int(random.bounded(4));
        const QVariant serial = serialShape == 0   ? QVariant()
                                : serialShape == 1 ? QVariant(0)
                                                   : QVariant(1 + int(random.bounded(60)));
        const QVariant level = random.bounded(12) == 0 ? QVariant() : pick(levels);
        exec(QStringLiteral("INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB,"
                            "SZULO_ID,TETEL_ID,CSOPORT_ID) VALUES (:l,:i,:m,'K','000002',1,:s,1,:p,:id,:g)")
                 .arg(table),
             {{"l", row.list},
              {"i", QStringLiteral("I-%1").arg(id)},
              {"m", level},
              {"s", serial},
              {"p", row.parent},
              {"id", id},
              {"g", row.parent.toInt() != 0 ? row.parent : QVariant(0)}});
        made << row;
    }
}

QStringList allRows(const QString& table)
{
    return rows(QStringLiteral("SELECT * FROM %1 ORDER BY TETEL_ID").arg(table));
}
} // namespace

class TestRenumbering : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        programFolder();
        installServices();
    }
    void init() { resetTables(); }

    void ordersByLevelThenEntry_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<int>>("levels");   // in order of entry
        QTest::addColumn<QList<int>>("expected"); // serial of each, in order of entry
        QTest::newRow("secret, confidential, top secret") << 1 << QList<int>{2, 3, 1} << QList<int>{2, 3, 1};
        QTest::newRow("number-less row comes last") << 2 << QList<int>{6, 5, 1, 4} << QList<int>{4, 3, 1, 2};
        QTest::newRow("same level in entry order") << 3 << QList<int>{3, 1, 3, 3} << QList<int>{2, 1, 3, 4};
        QTest::newRow("NATO in entry order") << 5 << QList<int>{0, 0, 0} << QList<int>{1, 2, 3};
    }
    void ordersByLevelThenEntry()
    {
        QFETCH(int, kind);
        QFETCH(QList<int>, levels);
        QFETCH(QList<int>, expected);
        const QString table = lists::listKind(kind).itemTable;
        QList<qlonglong> ids;
        for (int level : levels)
            ids << addItem(table, 1, level, QStringLiteral("I-%1").arg(ids.size()));
        renumber(kind, 1);
        for (int i = 0; i < ids.size(); ++i)
            QCOMPARE(scalar(QStringLiteral("SELECT SORSZAM FROM %1 WHERE TETEL_ID=:id").arg(table),
                            {{"id", ids[i]}})
                         .toInt(),
                     expected[i]);
    }

    void membersShareTheirParentsNumber()
    {
        const qlonglong parent = addItem("B2", 1, 3, "P");
        for (const char* member : {"P1", "P2", "P3"})
            addItem("B2", 1, 3, member, parent);
        addItem("B2", 1, 1, "T");
        addItem("B2", 1, 2, "S");
        renumber(1, 1);
        QCOMPARE(serials("B2", 1), (QStringList{"T:1", "S:2", "P:3", "P1:3", "P2:3", "P3:3"}));
        // A member out of step with its parent is put right even when the parent keeps its number.
        exec("UPDATE B2 SET SORSZAM=9 WHERE IKTSZAM='P2'");
        exec("UPDATE B2 SET SORSZAM=NULL WHERE IKTSZAM='P3'");
        renumber(1, 1);
        QCOMPARE(serials("B2", 1), (QStringList{"T:1", "S:2", "P:3", "P1:3", "P2:3", "P3:3"}));
    }

    void deletingLeavesNoGap()
    {
        QList<qlonglong> ids;
        for (const char* i : {"a", "b", "c", "d", "e"})
            ids << addItem("B2ZSAK", 4, 2, i);
        renumber(3, 4);
        QCOMPARE(lists::ItemDeletion(dm(), lists::listKind(3)).deleteItem(ids[1]),
                 lists::ItemDeletion::Result::Deleted);
        renumber(3, 4);
        QCOMPARE(serials("B2ZSAK", 4), (QStringList{"a:1", "c:2", "d:3", "e:4"}));
    }

    void parentGoesOnlyAfterItsMembers()
    {
        const qlonglong first = addItem("B2", 1, 1, "first");
        const qlonglong parent = addItem("B2", 1, 2, "parent");
        const qlonglong member = addItem("B2", 1, 2, "member", parent);
        renumber(1, 1);
        lists::ItemDeletion deletion(dm(), lists::listKind(1));
        QCOMPARE(deletion.deleteItem(parent), lists::ItemDeletion::Result::HasMembers);
        QCOMPARE(serials("B2", 1), (QStringList{"first:1", "parent:2", "member:2"}));
        QCOMPARE(deletion.deleteItem(member), lists::ItemDeletion::Result::Deleted);
        renumber(1, 1);
        QCOMPARE(serials("B2", 1), (QStringList{"first:1", "parent:2"}));
        QCOMPARE(deletion.deleteItem(parent), lists::ItemDeletion::Result::Deleted);
        QCOMPARE(deletion.deleteItem(first), lists::ItemDeletion::Result::Deleted);
        QVERIFY(rows("SELECT * FROM B2").isEmpty());
    }

    void onlyTheGivenListChanges()
    {
        addItem("B2", 1, 2, "one");
        addItem("B2", 2, 2, "other list");
        addItem("B2NATO", 1, 0, "other kind");
        renumber(1, 1);
        QCOMPARE(serials("B2", 1), QStringList{"one:1"});
        QCOMPARE(serials("B2", 2), QStringList{"other list:0"});
        QCOMPARE(serials("B2NATO", 1), QStringList{"other kind:0"});
    }

    void emptyListWritesNothingAndReopensTheView()
    {
        addItem("B2", 2, 2, "elsewhere");
        lists::ListSelection(dm(), lists::listKind(1)).openItemView(1);
        QStringList written;
        dm().MyConnection1.setStatementFault([&](const QString& sql) -> std::optional<QString> {
            if (sql.startsWith("UPDATE", Qt::CaseInsensitive))
                written << sql;
            return std::nullopt;
        });
        int reloads = 0;
        const int listener = dm().MyQuery2.addChangeListener([&] { ++reloads; });
        renumber(1, 1);
        dm().MyQuery2.removeChangeListener(listener);
        dm().MyConnection1.setStatementFault({});
        QVERIFY(written.isEmpty());
        QVERIFY(reloads > 0);
        QVERIFY(dm().MyQuery2.isOpen());
    }

    void itemViewShowsTheNewNumbers()
    {
        addItem("BZS3", 7, 4, "d");
        addItem("BZS3", 7, 1, "a");
        lists::ListSelection(dm(), lists::listKind(2)).openItemView(7);
        renumber(2, 7);
        QVERIFY(dm().MyQuery2.isOpen());
        QCOMPARE(dm().MyQuery2.rowCount(), 2);
        QCOMPARE(dm().MyQuery2.value(0, "IKTSZAM").toString(), QString("a"));
        QCOMPARE(dm().MyQuery2.value(0, "SORSZAM").toInt(), 1);
        QCOMPARE(dm().MyQuery2.value(1, "SORSZAM").toInt(), 2);
    }

    void sameRowsAsRowByRowRenumbering_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<QVariant>>("levels");
        QTest::addColumn<quint32>("seed");
        const QList<QVariant> national = {1, 2, 3, 4, 5, 6};
        for (quint32 seed : {1u, 2u, 3u}) {
            QTest::addRow("national, seed %u", seed) << 1 << national << seed;
            QTest::addRow("second kind, seed %u", seed) << 2 << national << seed;
            QTest::addRow("third kind, seed %u", seed) << 3 << national << seed;
            QTest::addRow("NATO, seed %u", seed) << 5 << QList<QVariant>{0} << seed;
        }
        QTest::addRow("few levels, many ties") << 1 << QList<QVariant>{2, 6} << 99u;
    }
    void sameRowsAsRowByRowRenumbering()
    {
        QFETCH(int, kind);
        QFETCH(QList<QVariant>, levels);
        QFETCH(quint32, seed);
        const QString table = lists::listKind(kind).itemTable;
        // The same table twice: renumbered, an item deleted, renumbered again.
        const auto steps = [&](const std::function<void(int)>& renumberList) {
            fillRandomTable(table, levels, seed);
            QStringList stored;
            for (int list : {1, 2})
                renumberList(list);
            stored << allRows(table);
            const QVariant victim = scalar(
                QStringLiteral("SELECT MIN(TETEL_ID) FROM %1 WHERE LSZAM=2 AND SZULO_ID=0 AND TETEL_ID>40")
                    .arg(table));
            exec(QStringLiteral("DELETE FROM %1 WHERE TETEL_ID=:id").arg(table), {{"id", victim}});
            renumberList(2);
            stored << QStringLiteral("--") << allRows(table);
            resetTables();
            return stored;
        };
        const QStringList expected = steps([&](int list) { renumberRowByRow(table, list); });
        const QStringList actual = steps([&](int list) { renumber(kind, list); });
        QVERIFY(expected.size() > 100);
        QCOMPARE(actual, expected);
    }

    void rebuildCompactsIds()
    {
        addRebuildExample("B2");
        rebuild(1);
        QCOMPARE(rebuiltRows("B2"), kRebuiltExample);
        // The item table's numbering restarted with the rebuild.
        QCOMPARE(addItem("B2", 1, 2, "new"), 7);
    }

    void rebuildWithoutTopLevelItemsChangesNothing()
    {
        addExplicit("B2", 30, 2, 99, "orphan", 6);
        exec("INSERT INTO TEMP (LSZAM,IKTSZAM) VALUES (1,'left from before')");
        rebuild(1);
        QCOMPARE(rebuiltRows("B2"), QStringList{"30|orphan|99|6|30"});
        QCOMPARE(rows("SELECT IKTSZAM FROM TEMP"), QStringList{"left from before"});
    }

    void rebuildKeepsItemsWhenTheCopyBackFails_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("B-2") << 1;
        QTest::newRow("BZS-3 NATO") << 5;
    }
    void rebuildKeepsItemsWhenTheCopyBackFails()
    {
        QFETCH(int, kind);
        const QString table = lists::listKind(kind).lowerItemTable;
        addRebuildExample(table);
        const QString copyBack =
            QStringLiteral("insert into %1 select * from temp where tetel_id>0 order by tetel_id").arg(table);
        int failures = 0;
        dm().MyConnection1.setStatementFault([&](const QString& sql) -> std::optional<QString> {
            if (sql != copyBack)
                return std::nullopt;
            ++failures;
            return QStringLiteral("Disk full");
        });
        rebuild(kind);
        dm().MyConnection1.setStatementFault({});
        QCOMPARE(failures, 1);
        QCOMPARE(rebuiltRows(table), kRebuiltExample);
    }

    void rebuildReportsWhenItCannotPutTheItemsBack()
    {
        addRebuildExample("B2");
        dm().MyConnection1.setStatementFault([](const QString& sql) -> std::optional<QString> {
            if (sql.startsWith("insert into b2", Qt::CaseInsensitive))
                return QStringLiteral("Table 'b2' is marked as crashed");
            return std::nullopt;
        });
        QVERIFY_THROWS_EXCEPTION(store::SqlError, rebuild(1));
        dm().MyConnection1.setStatementFault({});
        // Nothing is gone: TEMP holds every row for the next attempt, which puts them back.
        QCOMPARE(rows("SELECT COUNT(*) FROM B2"), QStringList{"0"});
        rebuild(1);
        QCOMPARE(rebuiltRows("B2"), kRebuiltExample);
    }

    // Every statement of a rebuild fails in turn; the next rebuild, or the start's recovery
    // before it, finds every row where it was or where the rebuild puts it.
    void noFailingStatementLosesARow_data()
    {
        QTest::addColumn<bool>("recoverAtStart");
        QTest::newRow("next rebuild") << false;
        QTest::newRow("start") << true;
    }
    void noFailingStatementLosesARow()
    {
        QFETCH(bool, recoverAtStart);
        QStringList statements;
        addRebuildExample("B2");
        watchStatements(statements);
        // The statements of one whole rebuild, in order.
        rebuild(1);
        dm().MyConnection1.setStatementFault({});
        const QStringList all = statements;
        QVERIFY(all.size() > 8);
        for (int failing = 0; failing < all.size(); ++failing) {
            resetTables();
            addRebuildExample("B2");
            int index = 0;
            dm().MyConnection1.setStatementFault([&](const QString&) -> std::optional<QString> {
                if (index++ != failing)
                    return std::nullopt;
                return QStringLiteral("Table 'b2' is marked as crashed");
            });
            try {
                rebuild(1);
            } catch (const store::SqlError&) {
            }
            dm().MyConnection1.setStatementFault({});
            if (recoverAtStart)
                lists::Renumbering::restoreInterruptedRebuild(dm());
            rebuild(1);
            QVERIFY2(rebuiltRows("B2") == kRebuiltExample,
                     qPrintable(all[failing] + ": " + rebuiltRows("B2").join(", ")));
        }
    }
};

QTEST_GUILESS_MAIN(TestRenumbering)
#include "tst_renumbering.moc"
