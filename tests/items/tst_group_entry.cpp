#include "app/AppState.h"
#include "items/GroupEntry.h"
#include "store/DataModule.h"
#include "store/DisplayColumns.h"
#include "store/SqlError.h"
#include "support/ProgramFolder.h"

#include <QTest>

using namespace testsupport;
using items::GroupEntry;

namespace {

store::TDM1& dm()
{
    return store::TDM1::instance();
}

// One item row of a kind's table; returns its TETEL_ID.
qlonglong addItem(const QString& table, int lszam, const QString& iktszam, int mjel, int sorszam,
                  const QVariant& code = QStringLiteral("000111"), qlonglong szuloId = 0,
                  qlonglong csoportId = 0)
{
    exec(QStringLiteral(
             "INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,KCIMZETT,SZAMNELKULI,SORSZAM,KCIMZETT_AZ,DB,SZULO_ID,"
             "CSOPORT_ID) VALUES (:l,:i,:m,:k,:sz,:s,:az,:db,:p,:c)")
             .arg(table),
         {{"l", lszam},
          {"i", iktszam},
          {"m", mjel},
          {"k", QStringLiteral("Címzett ") + iktszam},
          {"sz", 1},
          {"s", sorszam},
          {"az", code},
          {"db", 1},
          {"p", szuloId},
          {"c", csoportId}});
    return scalar("SELECT LAST_INSERT_ID()").toLongLong();
}

// Opens the item view of a list the way the workspace does and selects the item.
void showList(const QString& table, int lszam, qlonglong selectedTetelId)
{
    store::Query& view = dm().MyQuery2;
    view.open(
        QStringLiteral("SELECT * FROM %1 WHERE LSZAM=:lszam ORDER BY SORSZAM,szulo_id,tetel_id").arg(table),
        {{"lszam", lszam}});
    for (view.first(); !view.eof(); view.next()) {
        if (view.value("TETEL_ID").toLongLong() == selectedTetelId)
            return;
    }
    QFAIL("selected item not in the list");
}

QStringList scratchRows()
{
    return rows("SELECT ID, IKTSZAM FROM CSOPORTOS ORDER BY ID");
}

} // namespace

class TestGroupEntry : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        programFolder();
        installServices();
    }
    void init()
    {
        resetTables();
        app::appState().currentListKind = 1;
        app::appState().currentListNumber = 4;
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("emptyList");
        QTest::addColumn<int>("mjel");
        QTest::addColumn<bool>("member");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty list") << true << 2 << false << GroupEntry::kNoItems;
        QTest::newRow("number-less row") << false << 6 << false << GroupEntry::kNumberless;
        QTest::newRow("member") << false << 2 << true << GroupEntry::kMember;
        QTest::newRow("number-less member: first check wins")
            << false << 6 << true << GroupEntry::kNumberless;
        QTest::newRow("registered parent") << false << 5 << false << QString();
        QTest::newRow("top secret parent") << false << 1 << false << QString();
    }
    void refusals()
    {
        QFETCH(bool, emptyList);
        QFETCH(int, mjel);
        QFETCH(bool, member);
        QFETCH(QString, message);
        // Another list's rows must not count for list 4.
        addItem("B2", 3, "más lista", 2, 1);
        if (emptyList) {
            dm().MyQuery2.open("SELECT * FROM B2 WHERE LSZAM=:lszam ORDER BY SORSZAM,szulo_id,tetel_id",
                               {{"lszam", 4}});
        } else {
            const qlonglong parent = addItem("B2", 4, "szülő", 2, 1);
            const qlonglong row = addItem("B2", 4, "kijelölt", mjel, 1, "000111", member ? parent : 0);
            showList("B2", 4, row);
        }
        QCOMPARE(GroupEntry::refusal(dm().MyQuery2), message);
    }

    void openListsMembersInGroupOrder()
    {
        const qlonglong parent = addItem("B2", 4, "P/1", 2, 1);
        const qlonglong other = addItem("B2", 4, "Q/1", 2, 2);
        addItem("B2", 4, "P-öt", 2, 1, "000111", parent, 5);
        addItem("B2", 4, "Q-négy", 2, 2, "000111", other, 4);
        addItem("B2", 4, "P-három", 2, 1, "000111", parent, 3);
        addItem("B2", 5, "más lista tagja", 2, 1, "000111", parent, 2);
        // Left over from the group edited before.
        exec("INSERT INTO CSOPORTOS (ID,IKTSZAM) VALUES (9,'régi')");
        showList("B2", 4, parent);

        GroupEntry entry(dm());
        entry.open(GroupEntry::parentOf(dm().MyQuery2), 1, 4);
        QCOMPARE(scratchRows(), (QStringList{"3|P-három", "5|P-öt"}));
        QCOMPARE(dm().MyQuery6.rowCount(), 2);
        QCOMPARE(dm().MyQuery6.value(0, "IKTSZAM").toString(), QString("P-három"));
        QCOMPARE(dm().MyQuery6.value(1, "IKTSZAM").toString(), QString("P-öt"));
    }

    void attachWritesMemberRow_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QVariant>("code");
        QTest::addColumn<QString>("storedCode");
        QTest::newRow("B-2, leading zero") << 1 << "B2" << QVariant("012345") << "012345";
        QTest::newRow("BZS-3 NATO, plain code") << 5 << "BZS3NATO" << QVariant("654321") << "654321";
        QTest::newRow("B-2 sack, code not a number") << 3 << "B2ZSAK" << QVariant("0A-12") << "0A-12";
        QTest::newRow("BZS-3, no code") << 2 << "BZS3" << QVariant() << "NULL";
    }
    void attachWritesMemberRow()
    {
        QFETCH(int, kind);
        QFETCH(QString, table);
        QFETCH(QVariant, code);
        QFETCH(QString, storedCode);
        app::appState().currentListKind = kind;
        addItem(table, 4, "előtte", 3, 1);
        const qlonglong parent = addItem(table, 4, "SZ-17/2026/1", 3, 2, code);
        showList(table, 4, parent);

        GroupEntry entry(dm());
        entry.open(GroupEntry::parentOf(dm().MyQuery2), kind, 4);
        const qlonglong id = entry.attach("SZ-18/2026/1");

        QCOMPARE(dm().MyQuery6.currentRow(), dm().MyQuery6.rowCount() - 1);
        QCOMPARE(dm().MyQuery6.value("ID").toLongLong(), id);
        QCOMPARE(rows(QStringLiteral("SELECT CSOPORT_ID, IKTSZAM, SZULO_ID, SORSZAM, LSZAM, MJEL, KCIMZETT, "
                                     "SZAMNELKULI, KCIMZETT_AZ, DB FROM %1 WHERE SZULO_ID<>0")
                          .arg(table)),
                 QStringList{QStringLiteral("%1|SZ-18/2026/1|%2|2|4|3|Címzett SZ-17/2026/1|1|%3|1")
                                 .arg(id)
                                 .arg(parent)
                                 .arg(storedCode)});
        QCOMPARE(scratchRows(), QStringList{QStringLiteral("%1|SZ-18/2026/1").arg(id)});
    }

    // The item view places the member right under its parent, showing only its number.
    void memberShowsUnderItsParent()
    {
        const qlonglong first = addItem("B2", 4, "első", 2, 1);
        addItem("B2", 4, "második", 2, 2);
        showList("B2", 4, first);
        GroupEntry entry(dm());
        entry.open(GroupEntry::parentOf(dm().MyQuery2), 1, 4);
        entry.attach("tag");

        store::Query& view = dm().MyQuery2;
        QCOMPARE(view.rowCount(), 3);
        QCOMPARE(view.value("TETEL_ID").toLongLong(), first); // the parent stays selected
        QStringList shown;
        for (int row = 0; row < view.rowCount(); ++row) {
            const store::DisplayColumns c = store::displayColumnsOf(view, row);
            shown << QStringList{c.SORSZAM_SZ, c.IKTSZAM_SZ, c.MJEL_SZ, c.DB_SZ, c.KCIMZETT_SZ}.join('|');
        }
        QCOMPARE(shown, (QStringList{"1|első|Titkos|1|Címzett első", "|tag|||",
                                     "2|második|Titkos|1|Címzett második"}));
    }

    void newIdsAreAboveEveryEarlierOne()
    {
        const qlonglong a = addItem("B2", 4, "A", 2, 1);
        const qlonglong b = addItem("B2", 4, "B", 2, 2);
        GroupEntry entry(dm());
        QList<qlonglong> ids;

        showList("B2", 4, a);
        entry.open(GroupEntry::parentOf(dm().MyQuery2), 1, 4);
        ids << entry.attach("A1") << entry.attach("A2");
        QVERIFY(entry.removeCurrent()); // A2 goes; its id is never given again
        showList("B2", 4, b);
        entry.open(GroupEntry::parentOf(dm().MyQuery2), 1, 4);
        ids << entry.attach("B1");
        showList("B2", 4, a);
        entry.open(GroupEntry::parentOf(dm().MyQuery2), 1, 4);
        QCOMPARE(scratchRows(), QStringList{QStringLiteral("%1|A1").arg(ids[0])});
        ids << entry.attach("A3");

        for (int i = 1; i < ids.size(); ++i)
            QVERIFY2(ids[i] > ids[i - 1],
                     qPrintable(QStringLiteral("%1 after %2").arg(ids[i]).arg(ids[i - 1])));
    }

    // The numbering reset and the migration truncate CSOPORTOS, which restarts its
    // counter while members with higher ids may still exist.
    void newIdsStayAboveIdsInUseAfterTruncate()
    {
        const qlonglong a = addItem("B2", 4, "A", 2, 1);
        const qlonglong b = addItem("B2", 4, "B", 2, 2);
        addItem("B2", 4, "B-tag", 2, 2, "000111", b, 12);
        addItem("B2", 4, "A-tag", 2, 1, "000111", a, 2);
        exec("TRUNCATE TABLE CSOPORTOS");

        showList("B2", 4, a);
        GroupEntry entry(dm());
        entry.open(GroupEntry::parentOf(dm().MyQuery2), 1, 4);
        const qlonglong id = entry.attach("A-új");
        QVERIFY2(id > 12, qPrintable(QString::number(id)));
        QCOMPARE(scratchRows(), (QStringList{"2|A-tag", QStringLiteral("%1|A-új").arg(id)}));

        // Removing the new member leaves the other group whole.
        QVERIFY(entry.removeCurrent());
        QCOMPARE(rows("SELECT IKTSZAM FROM B2 WHERE SZULO_ID<>0 ORDER BY CSOPORT_ID"),
                 (QStringList{"A-tag", "B-tag"}));
    }

    void removeTakesOnlyTheSelectedMember()
    {
        const qlonglong a = addItem("B2", 4, "A", 2, 1);
        const qlonglong b = addItem("B2", 4, "B", 2, 2);
        GroupEntry entry(dm());
        showList("B2", 4, a);
        entry.open(GroupEntry::parentOf(dm().MyQuery2), 1, 4);
        entry.attach("A1");
        entry.attach("A2");
        showList("B2", 4, b);
        entry.open(GroupEntry::parentOf(dm().MyQuery2), 1, 4);
        entry.attach("B1");
        entry.attach("B2");
        entry.attach("B3");
        // Same ids in another list are not touched either.
        exec("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,SZULO_ID,CSOPORT_ID) SELECT 3, IKTSZAM, MJEL, SZULO_ID, "
             "CSOPORT_ID "
             "FROM B2 WHERE LSZAM=4 AND SZULO_ID<>0");

        dm().MyQuery6.setCurrentRow(1); // B2
        QVERIFY(entry.removeCurrent());
        QCOMPARE(rows("SELECT IKTSZAM FROM B2 WHERE LSZAM=4 AND SZULO_ID<>0 ORDER BY CSOPORT_ID"),
                 (QStringList{"A1", "A2", "B1", "B3"}));
        QCOMPARE(rows("SELECT COUNT(*) FROM B2 WHERE LSZAM=3"), QStringList{"5"});
        QCOMPARE(dm().MyQuery6.rowCount(), 2);
        QCOMPARE(dm().MyQuery6.value(0, "IKTSZAM").toString(), QString("B1"));
        QCOMPARE(dm().MyQuery6.value(1, "IKTSZAM").toString(), QString("B3"));
        QCOMPARE(dm().MyQuery2.rowCount(), 6); // the item view follows

        dm().MyQuery6.setCurrentRow(1);
        QVERIFY(entry.removeCurrent());
        QVERIFY(entry.removeCurrent());
        QVERIFY(!entry.removeCurrent()); // nothing left to remove
        QCOMPARE(rows("SELECT IKTSZAM FROM B2 WHERE LSZAM=4 AND SZULO_ID<>0 ORDER BY CSOPORT_ID"),
                 (QStringList{"A1", "A2"}));
    }

    void sameNumberTwiceMakesTwoMembers()
    {
        const qlonglong a = addItem("B2", 4, "A", 5, 1);
        showList("B2", 4, a);
        GroupEntry entry(dm());
        entry.open(GroupEntry::parentOf(dm().MyQuery2), 1, 4);
        const qlonglong first = entry.attach("X-1");
        const qlonglong second = entry.attach("X-1");
        QVERIFY(second > first);
        QCOMPARE(rows("SELECT CSOPORT_ID, IKTSZAM FROM B2 WHERE SZULO_ID<>0 ORDER BY CSOPORT_ID"),
                 (QStringList{QStringLiteral("%1|X-1").arg(first), QStringLiteral("%1|X-1").arg(second)}));
    }

    // A failed member insert leaves a scratch row behind; the next opening rebuilds the
    // scratch table from the item table.
    void failedAttachIsForgottenAtNextOpening()
    {
        const qlonglong a = addItem("B2", 4, "A", 2, 1);
        showList("B2", 4, a);
        GroupEntry entry(dm());
        entry.open(GroupEntry::parentOf(dm().MyQuery2), 1, 4);
        const qlonglong kept = entry.attach("megvan");
        dm().MyConnection1.setStatementFault([](const QString& sql) -> std::optional<QString> {
            if (sql.startsWith("INSERT INTO B2 "))
                return QStringLiteral("Table 'b2' is marked as crashed");
            return std::nullopt;
        });
        QVERIFY_THROWS_EXCEPTION(store::SqlError, entry.attach("elveszett"));
        dm().MyConnection1.setStatementFault({});
        QCOMPARE(dm().MyQuery6.rowCount(), 2);

        entry.open(GroupEntry::parentOf(dm().MyQuery2), 1, 4);
        QCOMPARE(scratchRows(), QStringList{QStringLiteral("%1|megvan").arg(kept)});
    }
};

QTEST_GUILESS_MAIN(TestGroupEntry)
#include "tst_group_entry.moc"
