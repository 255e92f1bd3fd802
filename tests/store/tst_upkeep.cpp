#include "store/DataModule.h"
#include "store/LegacyMigration.h"
#include "store/SqlError.h"
#include "store/Upkeep.h"
#include "support/ProgramFolder.h"

#include <QFile>
#include <QTest>
#include <map>

using namespace testsupport;

namespace {

// A legacy database held in memory: the rows each select returns.
class FakeLegacy : public store::LegacySource
{
public:
    std::map<QString, store::ResultSet> tables;
    QStringList selects;
    store::ResultSet select(const QString& sql) override
    {
        selects << sql;
        const auto it = tables.find(sql);
        return it == tables.end() ? store::ResultSet{} : it->second;
    }
};

store::ResultSet resultOf(const QStringList& columns, const std::vector<std::vector<QVariant>>& rows)
{
    store::ResultSet set;
    for (const QString& c : columns)
        set.columns.push_back({c});
    set.rows = rows;
    return set;
}

const QStringList kItemColumns = {"LSZAM",       "IKTSZAM", "MJEL",     "KCIMZETT", "SZAMNELKULI", "SORSZAM",
                                  "KCIMZETT_AZ", "DB",      "SZULO_ID", "TETEL_ID", "CSOPORT_ID"};

} // namespace

class TestUpkeep : public QObject
{
    Q_OBJECT

    Services* m_services = nullptr;
    QStringList m_statements;

    store::TDM1& dm() { return store::TDM1::instance(); }

    // The repair's reports go to the recording message boxes.
    store::upkeep::Reporter report()
    {
        return [this](const QString& text) { m_services->messages.inform(text); };
    }

    void watchStatements(const QString& failing = QString())
    {
        testsupport::watchStatements(m_statements, failing, QStringLiteral("Table is marked as crashed"));
    }

private slots:
    void initTestCase()
    {
        programFolder();
        m_services = &installServices();
    }
    void init()
    {
        resetTables();
        m_services->messages.texts.clear();
    }
    void cleanup() { dm().MyConnection1.setStatementFault({}); }

    void repairRunsEveryTableQuietly()
    {
        watchStatements();
        QVERIFY(store::upkeep::repairTables(dm().MyQuery1, report()));
        QCOMPARE(m_statements, store::upkeep::repairStatements());
        QCOMPARE(m_statements.size(), 18);
        QCOMPARE(m_statements.first(), QString("repair table b2"));
        QCOMPARE(m_statements.at(16), QString("repair table szervek_verzio"));
        QCOMPARE(m_statements.last(), QString("repair table temp"));
        QVERIFY(m_services->messages.texts.isEmpty());
    }

    // A failing repair is tried again with the index rebuilt from the table definition,
    // and the tables after it are repaired all the same.
    void failingRepairStopsNoOther_data()
    {
        QTest::addColumn<int>("failing");
        QTest::addColumn<bool>("retryFails");
        QTest::newRow("first, mended by the retry") << 0 << false;
        QTest::newRow("first") << 0 << true;
        QTest::newRow("settings") << 6 << true;
        QTest::newRow("register, mended by the retry") << 14 << false;
        QTest::newRow("last") << 17 << true;
    }
    void failingRepairStopsNoOther()
    {
        QFETCH(int, failing);
        QFETCH(bool, retryFails);
        const QStringList all = store::upkeep::repairStatements();
        m_statements.clear();
        dm().MyConnection1.setStatementFault([&](const QString& sql) -> std::optional<QString> {
            m_statements << sql;
            if (sql == all.at(failing) || (retryFails && sql == all.at(failing) + " use_frm"))
                return QStringLiteral("Table is marked as crashed");
            return std::nullopt;
        });
        const bool repaired = store::upkeep::repairTables(dm().MyQuery1, report());
        dm().MyConnection1.setStatementFault({});
        QStringList expected = all;
        expected.insert(failing + 1, all.at(failing) + " use_frm");
        QCOMPARE(m_statements, expected);
        QCOMPARE(repaired, !retryFails);
        if (retryFails)
            QCOMPARE(m_services->messages.texts,
                     QStringList{"MySQL REPAIR error\n\nNem sikerült kijavítani: " +
                                 all.at(failing).section(' ', 2)});
        else
            QVERIFY(m_services->messages.texts.isEmpty());
        // The store is still usable afterwards.
        QCOMPARE(scalar("SELECT COUNT(*) FROM MINOSITES").toInt(), 2);
    }

    void repairReportedAsErrorRowIsAFailure()
    {
        // The server answers a repair it cannot do with an "error" row, not by raising.
        exec("RENAME TABLE szervek TO szervek_elrejtve");
        watchStatements();
        const bool repaired = store::upkeep::repairTables(dm().MyQuery1, report());
        dm().MyConnection1.setStatementFault({});
        exec("RENAME TABLE szervek_elrejtve TO szervek");
        QVERIFY(!repaired);
        QVERIFY(m_statements.contains("repair table szervek use_frm"));
        QCOMPARE(m_statements.last(), QString("repair table temp"));
        QCOMPARE(m_services->messages.texts,
                 QStringList{"MySQL REPAIR error\n\nNem sikerült kijavítani: szervek"});
    }

    // Real damage to the table files: an index file of an early table zeroed, the data file
    // of the register cut short. One run repairs both and tells of the rows lost.
    void damagedTableFilesAreRepairedAtOneRun()
    {
        for (int i = 1; i <= 5; ++i)
            exec("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,SZULO_ID) VALUES (1,:i,1,0)",
                 {{"i", QString("B%1").arg(i)}});
        for (int i = 0; i < 200; ++i)
            exec("INSERT INTO SZERVEK (TKOD,SZERVNEV,ROVIDNEV,CIM) VALUES (:k,:n,'r','Budapest, Fő utca 1.')",
                 {{"k", QString::number(100000 + i)}, {"n", QString("Szerv %1").arg(i)}});
        exec("FLUSH TABLES");
        const QString folder = programFolder() + "data/kovenda/";
        {
            QFile index(folder + "b2.MYI");
            QVERIFY(index.open(QIODevice::ReadWrite));
            const qint64 size = index.size();
            QVERIFY(index.write(QByteArray(int(size), '\0')) == size);
        }
        {
            QFile data(folder + "szervek.MYD");
            QVERIFY(data.open(QIODevice::ReadWrite));
            QVERIFY(data.resize(data.size() / 2));
        }
        const bool repaired = store::upkeep::repairTables(dm().MyQuery1, report());
        QVERIFY(repaired);
        QCOMPARE(rows("SELECT IKTSZAM FROM B2 ORDER BY TETEL_ID"),
                 QStringList({"B1", "B2", "B3", "B4", "B5"}));
        const int left = scalar("SELECT COUNT(*) FROM SZERVEK").toInt();
        QVERIFY2(left > 0 && left < 200, qPrintable(QString::number(left)));
        QCOMPARE(scalar("SELECT COUNT(*) FROM SZERVEK WHERE SZERVNEV='Szerv 0'").toInt(), 1);
        QCOMPARE(m_services->messages.texts.size(), 1);
        QVERIFY2(
            m_services->messages.texts.first().contains(QString("szervek (200 sor helyett %1)").arg(left)),
            qPrintable(m_services->messages.texts.first()));
    }

    void printCountRepair_data()
    {
        QTest::addColumn<QString>("table");
        for (const char* t :
             {"b2_adatok", "b2nato_adatok", "b2zsak_adatok", "bzs3_adatok", "bzs3nato_adatok"})
            QTest::newRow(t) << QString(t);
    }
    void printCountRepair()
    {
        QFETCH(QString, table);
        const QDateTime printed(QDate(2012, 10, 16), QTime(14, 5, 33));
        // Counts left empty, as an earlier release left them.
        exec(QString(
                 "INSERT INTO %1 (LSZAM,JCIMZETT,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) VALUES (1,'a',:d,NULL)")
                 .arg(table),
             {{"d", printed}});
        exec(QString("INSERT INTO %1 (LSZAM,JCIMZETT,NYOMTATAS_PELDANY) VALUES (2,'b',NULL)").arg(table));
        exec(QString("INSERT INTO %1 (LSZAM,JCIMZETT,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) VALUES (3,'c',:d,4)")
                 .arg(table),
             {{"d", printed}});
        watchStatements();
        store::upkeep::repairPrintCounts(dm().MyQuery1);
        const QStringList run = m_statements;
        QCOMPARE(rows(QString("SELECT LSZAM, NYOMTATAS_PELDANY FROM %1 ORDER BY LSZAM").arg(table)),
                 QStringList({"1|1", "2|NULL", "3|4"}));
        QStringList expected;
        for (const char* t :
             {"b2_adatok", "b2nato_adatok", "b2zsak_adatok", "bzs3_adatok", "bzs3nato_adatok"})
            expected << QString("update %1 set nyomtatas_peldany=1\nwhere nyomtatas_peldany is null and "
                                "not(nyomtatas_datuma is null)")
                            .arg(t);
        QCOMPARE(run, expected);
    }

    void copyStepFailsWithoutLegacyFile()
    {
        store::LegacyMigration migration(dm().MyQuery1);
        migration.setDatabaseFile(programFolder() + "nincs/adatok.fdb");
        exec("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL) VALUES (1,'x',2)");
        QVERIFY_THROWS_EXCEPTION(store::SqlError, migration.copyTable("B2"));
        QVERIFY(!migration.legacyDataFound);
        QCOMPARE(scalar("SELECT COUNT(*) FROM B2").toInt(), 1);
    }

    void copyStepFailsOnAnUnreadableLegacyFile()
    {
        const QString file = programFolder() + "adatok.fdb";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database");
        f.close();
        store::LegacyMigration migration(dm().MyQuery1);
        migration.setDatabaseFile(file);
        QVERIFY_THROWS_EXCEPTION(store::SqlError, migration.copyTable("B2"));
        QFile::remove(file);
    }

    void copyStepReplacesTableAndKeepsItemIds()
    {
        exec("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL) VALUES (9,'régi',2)");
        auto legacy = std::make_unique<FakeLegacy>();
        legacy->tables["select * from b2 order by tetel_id"] =
            resultOf(kItemColumns, {{1, "123/2012-1", 2, "Ügyészség", 1, 1, "100200", 1, 0, 5, 0},
                                    {1, "124/2012-1", 2, "Ügyészség", 1, 1, "100200", 1, 5, 8, 3}});
        FakeLegacy* source = legacy.get();
        store::LegacyMigration migration(dm().MyQuery1);
        migration.setSource(std::move(legacy));
        migration.copyTable("B2");
        QCOMPARE(source->selects, QStringList{"select * from b2 order by tetel_id"});
        QVERIFY(migration.legacyDataFound);
        QCOMPARE(rows("SELECT LSZAM,IKTSZAM,KCIMZETT,SZULO_ID,TETEL_ID,CSOPORT_ID FROM B2 ORDER BY TETEL_ID"),
                 QStringList({"1|123/2012-1|Ügyészség|0|5|0", "1|124/2012-1|Ügyészség|5|8|3"}));
        // Numbering continues after the largest copied item.
        exec("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL) VALUES (2,'új',2)");
        QCOMPARE(scalar("SELECT MAX(TETEL_ID) FROM B2").toInt(), 9);
    }

    void emptyLegacyTableLeavesTableAlone()
    {
        exec("INSERT INTO B2_ADATOK (LSZAM,JCIMZETT) VALUES (4,'x')");
        store::LegacyMigration migration(dm().MyQuery1);
        migration.setSource(std::make_unique<FakeLegacy>());
        migration.copyTable("B2_ADATOK");
        migration.copyTable("B2");
        QVERIFY(!migration.legacyDataFound);
        QCOMPARE(rows("SELECT LSZAM FROM B2_ADATOK"), QStringList{"4"});
    }

    void onlySomeTablesMarkLegacyData_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("marks");
        QTest::newRow("B2_ADATOK") << "B2_ADATOK" << false;
        QTest::newRow("BZS3_ADATOK") << "BZS3_ADATOK" << false;
        QTest::newRow("BZS3NATO_ADATOK") << "BZS3NATO_ADATOK" << false;
        QTest::newRow("B2NATO_ADATOK") << "B2NATO_ADATOK" << true;
        QTest::newRow("B2ZSAK_ADATOK") << "B2ZSAK_ADATOK" << true;
    }
    void onlySomeTablesMarkLegacyData()
    {
        QFETCH(QString, table);
        QFETCH(bool, marks);
        auto legacy = std::make_unique<FakeLegacy>();
        legacy->tables[QString("select * from %1 order by lszam").arg(table.toLower())] =
            resultOf({"LSZAM", "JCIMZETT", "NYOMTATAS_DATUMA", "NYOMTATAS_PELDANY"},
                     {{7, "Címzett", QDateTime(QDate(2011, 5, 2), QTime(8, 0)), QVariant()}});
        store::LegacyMigration migration(dm().MyQuery1);
        migration.setSource(std::move(legacy));
        migration.copyTable(table);
        QCOMPARE(migration.legacyDataFound, marks);
        QCOMPARE(rows(QString("SELECT * FROM %1").arg(table)),
                 QStringList{"7|Címzett|2011-05-02 08:00:00|NULL"});
    }

    void legacySettingsWithoutTheirNewColumnsFail()
    {
        auto legacy = std::make_unique<FakeLegacy>();
        legacy->tables["select * from beallitasok"] =
            resultOf({"NEV", "SZERVKOD", "NYOMTATO", "TAKAREKOS", "FUTARJEGYZEK_CIMZETTJE",
                      "FUTARJEGYZEK_CIMZETTJE_SZERVKOD", "FELSO", "ALSO", "JOBB", "BAL"},
                     {{"Mi", "100100", 0, 1, "Ők", "200200", 10, 10, 10, 10}});
        store::LegacyMigration migration(dm().MyQuery1);
        migration.setSource(std::move(legacy));
        QVERIFY_THROWS_EXCEPTION(store::SqlError, migration.copyTable("BEALLITASOK"));
    }
};

QTEST_GUILESS_MAIN(TestUpkeep)
#include "tst_upkeep.moc"
