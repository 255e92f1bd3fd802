#include "items/ItemEntry.h"
#include "lists/ListKind.h"
#include "lists/ListSelection.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QTest>

using namespace testsupport;
using items::ItemEntry;

namespace {

store::TDM1& dm()
{
    return store::TDM1::instance();
}

ItemEntry::Consignment consignment(int list, int mjel, int count, const QString& iktszam, const QString& name,
                                   const QString& code)
{
    ItemEntry::Consignment c;
    c.listNumber = list;
    c.mjel = mjel;
    c.count = count;
    c.registration = iktszam;
    c.addresseeName = name;
    c.addresseeCode = code;
    return c;
}

const ItemEntry::ListAddressees kAddressed{QStringLiteral("Futárszolgálat"), QString()};

// Stored columns of a kind's items in id order.
QStringList storedItems(int kind)
{
    return rows(QStringLiteral(
                    "SELECT LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB,SZULO_ID FROM %1 "
                    "ORDER BY TETEL_ID")
                    .arg(lists::listKind(kind).itemTable));
}

} // namespace

class TestItemEntry : public QObject
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
        installServices().messages.texts.clear();
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV,ROVIDNEV,MINOSITETT) VALUES "
             "('100001','Honvédelmi Minisztérium','HM',0),('100002','Belügyminisztérium','',1)");
    }

    void rowsOfOneSave_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("mjel");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("stored");
        const QString nato = "3|N-1|0|HM|100001|0|0|1|0";
        QTest::newRow("confidential, three pieces")
            << 1 << 3 << 3 << QStringList(3, "3|I-1|3|HM|100001|3|0|1|0");
        QTest::newRow("top secret, one piece") << 2 << 1 << 1 << QStringList{"3|I-1|1|HM|100001|1|0|1|0"};
        QTest::newRow("restricted, two pieces") << 3 << 4 << 2 << QStringList(2, "3|I-1|4|HM|100001|2|0|1|0");
        QTest::newRow("registered, four pieces") << 1 << 5 << 4 << QStringList{"3|I-1|5|HM|100001|4|0|4|0"};
        QTest::newRow("B-2 NATO, two pieces") << 4 << 0 << 2 << QStringList(2, nato);
        QTest::newRow("BZS-3 NATO, one piece") << 5 << 0 << 1 << QStringList{nato};
    }
    void rowsOfOneSave()
    {
        QFETCH(int, kind);
        QFETCH(int, mjel);
        QFETCH(int, count);
        QFETCH(QStringList, stored);
        const QString iktszam = mjel == 0 ? "N-1" : "I-1";
        ItemEntry(dm(), lists::listKind(kind))
            .add_items(consignment(3, mjel, count, iktszam, "Honvédelmi Minisztérium", "100001"), kAddressed,
                       installServices().messages);
        QCOMPARE(storedItems(kind), stored);
        QVERIFY(installServices().messages.texts.isEmpty());
    }

    // What the item table cannot take is refused before anything is written: no row, no
    // rebuild (every id stays), and a message that says what to mend.
    void unstorableEntryIsRefused_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("mjel");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("iktszam");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("message");
        const QString longText(300, u'é');
        const int addressee = int(ItemEntry::Field::Addressee);
        const int count = int(ItemEntry::Field::Count);
        QTest::newRow("addressee of 300 characters") << 1 << 3 << 2 << "I-1" << longText << addressee
                                                     << "A címzett neve legfeljebb 255 karakter lehet!";
        QTest::newRow("NATO addressee of 300 characters") << 4 << 0 << 1 << "N-1" << longText << addressee
                                                          << "A címzett neve legfeljebb 255 karakter lehet!";
        QTest::newRow("registration of 300 characters")
            << 1 << 5 << 1 << longText << "Külügyminisztérium" << int(ItemEntry::Field::Registration)
            << "Az iktatószám legfeljebb 255 karakter lehet!";
        QTest::newRow("999,999,999 classified pieces")
            << 1 << 3 << 999999999 << "I-1"
            << "Külügyminisztérium" << count << "Egy mentéssel legfeljebb 9999";
        QTest::newRow("10,000 NATO pieces")
            << 5 << 0 << 10000 << "N-1"
            << "Külügyminisztérium" << count << "Egy mentéssel legfeljebb 9999";
        QTest::newRow("number-less total beyond the column")
            << 1 << 6 << 2147483000 << ""
            << "" << count << "A szám nélküli küldemények száma";
    }
    void unstorableEntryIsRefused()
    {
        QFETCH(int, kind);
        QFETCH(int, mjel);
        QFETCH(int, count);
        QFETCH(QString, iktszam);
        QFETCH(QString, name);
        QFETCH(int, field);
        QFETCH(QString, message);
        const QString table = lists::listKind(kind).itemTable;
        // Ids with gaps and an orphan member: a rebuild would renumber and drop them.
        exec(QString("INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,SZAMNELKULI,DB,SZULO_ID,TETEL_ID) VALUES "
                     "(1,'',6,1000,1000,0,4),(1,'A',3,1,1,0,9),(1,'B',3,1,1,99,15)")
                 .arg(table));
        const QStringList before = rows(QString("SELECT * FROM %1 ORDER BY TETEL_ID").arg(table));
        QStringList statements;
        watchStatements(statements);
        ItemEntry entry(dm(), lists::listKind(kind));
        const auto refused = entry.refusal(consignment(1, mjel, count, iktszam, name, "0"));
        QVERIFY(refused);
        QCOMPARE(int(refused->field), field);
        QVERIFY2(refused->message.startsWith(message), qPrintable(refused->message));
        entry.add_items(consignment(1, mjel, count, iktszam, name, "0"), kAddressed,
                        installServices().messages);
        dm().MyConnection1.setStatementFault({});
        QCOMPARE(installServices().messages.texts, QStringList{refused->message});
        QCOMPARE(rows(QString("SELECT * FROM %1 ORDER BY TETEL_ID").arg(table)), before);
        for (const QString& sql : statements)
            QVERIFY2(sql.startsWith("SELECT", Qt::CaseInsensitive), qPrintable(sql));
    }

    void largestStorableEntriesAreTaken()
    {
        ItemEntry entry(dm(), lists::listKind(1));
        QVERIFY(!entry.refusal(consignment(1, 3, 9999, QString(255, u'x'), QString(255, u'é'), "0")));
        QVERIFY(!entry.refusal(consignment(1, 6, 2147483647, "", "", "")));
        QVERIFY(!entry.refusal(consignment(1, 5, 2147483647, "I-1", "HM", "0")));
    }

    void addresseeIsTrimmedBeforeTheRegisterLookup()
    {
        ItemEntry entry(dm(), lists::listKind(1));
        QCOMPARE(entry.addresseeCode("  Honvédelmi Minisztérium \t"), QString("100001"));
        QVERIFY(entry.takesClassifiedOnly(" Belügyminisztérium "));
        entry.add_items(consignment(3, 3, 1, "I-1", "  Ismeretlen Szerv  ", "0"), kAddressed,
                        installServices().messages);
        QCOMPARE(storedItems(1), QStringList{"3|I-1|3|Ismeretlen Szerv|0|1|0|1|0"});
    }

    void numberlessPiecesShareOneRow()
    {
        ItemEntry entry(dm(), lists::listKind(1));
        entry.add_items(consignment(2, 6, 2, "", "", ""), kAddressed, installServices().messages);
        entry.add_items(consignment(2, 3, 1, "I-9", "Belügyminisztérium", "100002"), kAddressed,
                        installServices().messages);
        entry.add_items(consignment(2, 6, 5, "", "", ""), kAddressed, installServices().messages);
        entry.add_items(consignment(3, 6, 1, "", "", ""), kAddressed, installServices().messages);
        QCOMPARE(storedItems(1), (QStringList{"2||6|||7|0|7|0", "2|I-9|3|Belügyminisztérium|100002|1|0|1|0",
                                              "3||6|||1|0|1|0"}));
    }

    void storedAddressee_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("kcimzett");
        QTest::newRow("register name with short name") << "Honvédelmi Minisztérium"
                                                       << "100001"
                                                       << "HM";
        QTest::newRow("register name without short name") << "Belügyminisztérium"
                                                          << "100002"
                                                          << "Belügyminisztérium";
        QTest::newRow("name the register does not know") << "Kiss és Társa Kft."
                                                         << "0"
                                                         << "Kiss és Társa Kft.";
    }
    void storedAddressee()
    {
        QFETCH(QString, name);
        QFETCH(QString, code);
        QFETCH(QString, kcimzett);
        ItemEntry entry(dm(), lists::listKind(1));
        QCOMPARE(entry.addresseeCode(name), code);
        entry.add_items(consignment(1, 5, 1, "X", name, entry.addresseeCode(name)), kAddressed,
                        installServices().messages);
        QCOMPARE(rows("SELECT KCIMZETT, KCIMZETT_AZ FROM B2"), QStringList{kcimzett + "|" + code});
    }

    void classifiedOnlyWarning()
    {
        ItemEntry entry(dm(), lists::listKind(1));
        QVERIFY(entry.takesClassifiedOnly("Belügyminisztérium"));
        QVERIFY(!entry.takesClassifiedOnly("Honvédelmi Minisztérium"));
        QVERIFY(!entry.takesClassifiedOnly("Ismeretlen"));
    }

    void listHeader_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("active");
        QTest::addColumn<QString>("previous");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QStringList>("header");
        QTest::newRow("national, new list") << 1 << "Futár"
                                            << "" << false << QStringList{"5|Futár|NULL|0"};
        QTest::newRow("national, existing list") << 2 << "Futár"
                                                 << "Más" << true << QStringList{"5|Futár|NULL|0"};
        QTest::newRow("national, no addressee") << 3 << ""
                                                << "Más" << false << QStringList{};
        QTest::newRow("national, no addressee, existing") << 1 << ""
                                                          << "" << true << QStringList{"5|Régi|NULL|0"};
        QTest::newRow("NATO, new list") << 4 << "Futár"
                                        << "" << false << QStringList{"5|Futár|NULL|0"};
        QTest::newRow("NATO, only the previous box") << 5 << ""
                                                     << "Más" << false << QStringList{"5||NULL|0"};
        QTest::newRow("NATO, only the previous box, existing") << 4 << ""
                                                               << "Más" << true << QStringList{"5||NULL|0"};
        QTest::newRow("NATO, no addressee") << 5 << ""
                                            << "" << false << QStringList{};
    }
    void listHeader()
    {
        QFETCH(int, kind);
        QFETCH(QString, active);
        QFETCH(QString, previous);
        QFETCH(bool, existing);
        QFETCH(QStringList, header);
        const QString table = lists::listKind(kind).headerTable;
        if (existing)
            exec(QStringLiteral("INSERT INTO %1 (JCIMZETT,LSZAM) VALUES ('Régi',5)").arg(table));
        const int mjel = lists::listKind(kind).hasClassificationChoice ? 2 : 0;
        ItemEntry(dm(), lists::listKind(kind))
            .add_items(consignment(5, mjel, 1, "I", "Valaki", "0"), {active, previous},
                       installServices().messages);
        QCOMPARE(rows(QStringLiteral("SELECT * FROM %1").arg(table)), header);
        QCOMPARE(storedItems(kind).size(), 1);
    }

    void failedInsertIsRetriedAfterARebuild()
    {
        // Ids with gaps show whether the item table was rebuilt.
        exec("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,SZULO_ID,TETEL_ID) VALUES (1,'old',2,0,40)");
        int failures = 0;
        dm().MyConnection1.setStatementFault([&](const QString& sql) -> std::optional<QString> {
            if (sql.startsWith("INSERT INTO B2 (LSZAM") && failures++ == 0)
                return QStringLiteral("Table 'b2' is marked as crashed and should be repaired");
            return std::nullopt;
        });
        ItemEntry(dm(), lists::listKind(1))
            .add_items(consignment(1, 2, 1, "new", "Valaki", "0"), kAddressed, installServices().messages);
        dm().MyConnection1.setStatementFault({});
        QCOMPARE(rows("SELECT TETEL_ID, IKTSZAM FROM B2 ORDER BY TETEL_ID"), (QStringList{"1|old", "2|new"}));
        QVERIFY(installServices().messages.texts.isEmpty());
    }

    void secondFailureIsReportedAndTheSaveGoesOn()
    {
        exec("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,SZULO_ID) VALUES (1,'old',2,0)");
        QStringList inserts;
        dm().MyConnection1.setStatementFault([&](const QString& sql) -> std::optional<QString> {
            if (!sql.startsWith("INSERT INTO B2 (LSZAM"))
                return std::nullopt;
            inserts << sql;
            // Pieces 1 and 3 fail twice; the second piece goes in at once.
            if (inserts.size() == 3)
                return std::nullopt;
            return QStringLiteral("Incorrect key file for table 'b2'");
        });
        ItemEntry(dm(), lists::listKind(1))
            .add_items(consignment(1, 3, 3, "I-7", "Valaki", "0"), kAddressed, installServices().messages);
        dm().MyConnection1.setStatementFault({});
        QCOMPARE(inserts.size(), 5);
        QCOMPARE(installServices().messages.texts, QStringList(2, ItemEntry::kInsertFailed));
        QCOMPARE(rows("SELECT IKTSZAM FROM B2 ORDER BY TETEL_ID"), (QStringList{"old", "I-7"}));
        // The header is written whether or not the rows were stored.
        QCOMPARE(rows("SELECT JCIMZETT FROM B2_ADATOK"), QStringList{"Futárszolgálat"});
    }

    void itemViewFollowsEveryRow()
    {
        lists::ListSelection(dm(), lists::listKind(1)).openItemView(1);
        int reloads = 0;
        const int listener = dm().MyQuery2.addChangeListener([&] {
            if (dm().MyQuery2.isOpen())
                ++reloads;
        });
        ItemEntry(dm(), lists::listKind(1))
            .add_items(consignment(1, 2, 3, "I", "Valaki", "0"), kAddressed, installServices().messages);
        dm().MyQuery2.removeChangeListener(listener);
        QVERIFY(reloads >= 1);
        QCOMPARE(dm().MyQuery2.rowCount(), 3);
    }
};

QTEST_GUILESS_MAIN(TestItemEntry)
#include "tst_item_entry.moc"
