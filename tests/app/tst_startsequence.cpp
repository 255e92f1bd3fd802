#include "app/StartSequence.h"
#include "store/DataModule.h"
#include "store/FolderLock.h"
#include "store/LegacyMigration.h"
#include "support/ProgramFolder.h"

#include <QFile>
#include <QTest>
#include <map>

using namespace testsupport;
using Outcome = app::StartSequence::Outcome;

namespace {

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

const QString kNoStore = "Nem lehet csatlakozni a beágyazott mysql adatbázishoz! A program be fog záródni!";
const QString kInUse = "Az adatbázis már használatban van! A program be fog záródni!";

} // namespace

class TestStartSequence : public QObject
{
    Q_OBJECT

    Services* m_services = nullptr;
    QStringList m_statements;

    store::TDM1& dm() { return store::TDM1::instance(); }

    void watchStatements(const QString& failing = QString())
    {
        testsupport::watchStatements(m_statements, failing, QStringLiteral("Incorrect key file for table"));
    }

    Outcome runWith(store::LegacyMigration& migration)
    {
        app::StartSequence sequence(dm(), migration, programFolder(), m_services->messages);
        return sequence.run();
    }

    void addPrintedHeaderWithoutCount()
    {
        // Counts left empty, as an earlier release left them.
        exec("INSERT INTO B2_ADATOK (LSZAM,JCIMZETT,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) VALUES "
             "(1,'a',:d,NULL)",
             {{"d", QDateTime(QDate(2012, 10, 16), QTime(14, 5))}});
        exec("INSERT INTO B2_ADATOK (LSZAM,JCIMZETT,NYOMTATAS_PELDANY) VALUES (2,'b',NULL)");
    }

private slots:
    void initTestCase()
    {
        programFolder();
        m_services = &installServices();
    }
    void init()
    {
        dm().MyConnection1.setOpenFault({});
        dm().MyConnection1.open();
        resetTables();
        dm().ADOConnection2.close();
        m_services->messages.texts.clear();
        m_services->messages.onInform = {};
        QFile::remove(programFolder() + "adatok.fdb");
    }
    void cleanup()
    {
        dm().MyConnection1.setStatementFault({});
        dm().MyConnection1.setOpenFault({});
        dm().MyConnection1.open();
    }

    void withMarkerNoCopyRunsAndCountsAreRepaired()
    {
        exec("insert into frissites (frissites) values (1)");
        addPrintedHeaderWithoutCount();
        auto legacy = std::make_unique<FakeLegacy>();
        legacy->tables["select * from b2 order by tetel_id"].columns = {{"LSZAM"}};
        legacy->tables["select * from b2 order by tetel_id"].rows = {{1}};
        FakeLegacy* source = legacy.get();
        store::LegacyMigration migration(dm().MyQuery1);
        migration.setSource(std::move(legacy));

        QCOMPARE(runWith(migration), Outcome::HandOver);
        QVERIFY(source->selects.isEmpty());
        QVERIFY(dm().ADOConnection2.isOpen());
        QCOMPARE(rows("SELECT LSZAM, NYOMTATAS_PELDANY FROM B2_ADATOK ORDER BY LSZAM"),
                 QStringList({"1|1", "2|NULL"}));
        QCOMPARE(rows("SELECT * FROM FRISSITES"), QStringList{"1"});
        QVERIFY(m_services->messages.texts.isEmpty());
        QCOMPARE(migration.databaseFile(), programFolder() + "adatok.fdb");
        QCOMPARE(dm().ADOConnection2.fileName(), programFolder() + "used.uld");
    }

    void withoutLegacyFileTheMigrationIsSkippedSilently_data()
    {
        QTest::addColumn<bool>("filePresent");
        QTest::newRow("no adatok.fdb") << false;
        QTest::newRow("unreadable adatok.fdb") << true;
    }
    void withoutLegacyFileTheMigrationIsSkippedSilently()
    {
        QFETCH(bool, filePresent);
        if (filePresent) {
            QFile f(programFolder() + "adatok.fdb");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("garbage");
        }
        addPrintedHeaderWithoutCount();
        store::LegacyMigration migration(dm().MyQuery1);
        app::StartSequence sequence(dm(), migration, programFolder(), m_services->messages);
        QCOMPARE(sequence.run(), Outcome::HandOver);
        QVERIFY(!sequence.skippedBecause().isEmpty());
        // Nothing to tell without a legacy file; one that is there but unreadable is told of once.
        if (filePresent) {
            QCOMPARE(m_services->messages.texts.size(), 1);
            QVERIFY(m_services->messages.texts.first().contains(programFolder() + "adatok.fdb"));
        } else {
            QVERIFY(m_services->messages.texts.isEmpty());
        }
        QVERIFY(dm().ADOConnection2.isOpen());
        QCOMPARE(scalar("SELECT COUNT(*) FROM FRISSITES").toInt(), 0);
        // The print counts wait for a start whose migration went through.
        QCOMPARE(rows("SELECT LSZAM, NYOMTATAS_PELDANY FROM B2_ADATOK ORDER BY LSZAM"),
                 QStringList({"1|NULL", "2|NULL"}));
    }

    void migrationCopiesInOrderAndMarksItDone()
    {
        auto legacy = std::make_unique<FakeLegacy>();
        store::ResultSet items;
        for (const char* c : {"LSZAM", "IKTSZAM", "MJEL", "KCIMZETT", "SZAMNELKULI", "SORSZAM", "KCIMZETT_AZ",
                              "DB", "SZULO_ID", "TETEL_ID", "CSOPORT_ID"})
            items.columns.push_back({c});
        items.rows = {{3, "77/2011", 1, "Ügyészség", 1, 1, "100200", 1, 0, 12, 0}};
        legacy->tables["select * from bzs3 order by tetel_id"] = items;
        store::ResultSet register_;
        for (const char* c :
             {"TKOD", "SZERVNEV", "ROVIDNEV", "SZERVCIM", "TELEFON", "IRSZ", "TELEPULES", "CIM"})
            register_.columns.push_back({c});
        register_.rows = {{"100200", "Legfőbb Ügyészség", "LÜ", "", "", "1055", "Budapest", ""}};
        legacy->tables["select * from szervek"] = register_;
        FakeLegacy* source = legacy.get();
        store::LegacyMigration migration(dm().MyQuery1);
        migration.setSource(std::move(legacy));

        QCOMPARE(runWith(migration), Outcome::HandOver);
        QCOMPARE(
            source->selects,
            QStringList(
                {"select * from b2 order by tetel_id", "select * from b2nato order by tetel_id",
                 "select * from b2zsak order by tetel_id", "select * from bzs3 order by tetel_id",
                 "select * from bzs3nato order by tetel_id", "select * from b2nato_adatok order by lszam",
                 "select * from b2zsak_adatok order by lszam", "select * from b2_adatok order by lszam",
                 "select * from bzs3nato_adatok order by lszam", "select * from bzs3_adatok order by lszam",
                 "select * from beallitasok", "select * from csoportos", "select * from szervek_verzio",
                 "select * from szervek"}));
        QCOMPARE(rows("SELECT * FROM FRISSITES"), QStringList{"1"});
        QCOMPARE(rows("SELECT TETEL_ID, IKTSZAM FROM BZS3"), QStringList{"12|77/2011"});
        QCOMPARE(rows("SELECT TKOD, SZERVNEV, MINOSITETT FROM SZERVEK"),
                 QStringList{"100200|Legfőbb Ügyészség|0"});
    }

    void registerIsNotCopiedWithoutListData()
    {
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES ('300300','Meglévő')");
        auto legacy = std::make_unique<FakeLegacy>();
        store::ResultSet register_;
        register_.columns = {{"TKOD"}, {"SZERVNEV"}};
        register_.rows = {{"100200", "Régi"}};
        legacy->tables["select * from szervek"] = register_;
        FakeLegacy* source = legacy.get();
        store::LegacyMigration migration(dm().MyQuery1);
        migration.setSource(std::move(legacy));
        QCOMPARE(runWith(migration), Outcome::HandOver);
        QVERIFY(!source->selects.contains("select * from szervek"));
        QCOMPARE(rows("SELECT TKOD FROM SZERVEK"), QStringList{"300300"});
        QCOMPARE(rows("SELECT * FROM FRISSITES"), QStringList{"1"});
    }

    void repairFailureIsReportedAndStartGoesOn()
    {
        exec("insert into frissites (frissites) values (1)");
        addPrintedHeaderWithoutCount();
        m_statements.clear();
        dm().MyConnection1.setStatementFault([&](const QString& sql) -> std::optional<QString> {
            m_statements << sql;
            if (sql == "repair table b2nato" || sql == "repair table b2nato use_frm")
                return QStringLiteral("Incorrect key file for table");
            return std::nullopt;
        });
        store::LegacyMigration migration(dm().MyQuery1);
        QCOMPARE(runWith(migration), Outcome::HandOver);
        QCOMPARE(m_services->messages.texts,
                 QStringList{"MySQL REPAIR error\n\nNem sikerült kijavítani: b2nato"});
        // The tables after it are repaired all the same.
        QVERIFY(m_statements.contains("repair table b2nato_adatok"));
        QVERIFY(m_statements.contains("repair table temp"));
        QVERIFY(dm().ADOConnection2.isOpen());
        QCOMPARE(rows("SELECT LSZAM, NYOMTATAS_PELDANY FROM B2_ADATOK ORDER BY LSZAM"),
                 QStringList({"1|1", "2|NULL"}));
    }

    void repairRunsBeforeTheLockIsTaken()
    {
        bool repaired = false;
        bool lockedDuringRepair = false;
        dm().MyConnection1.setStatementFault([&](const QString& sql) -> std::optional<QString> {
            if (sql.startsWith("repair table")) {
                repaired = true;
                lockedDuringRepair = lockedDuringRepair || dm().ADOConnection2.isOpen();
            }
            return std::nullopt;
        });
        store::LegacyMigration migration(dm().MyQuery1);
        QCOMPARE(runWith(migration), Outcome::HandOver);
        QVERIFY(repaired);
        QVERIFY(!lockedDuringRepair);
        QVERIFY(dm().ADOConnection2.isOpen());
    }

    void lockHeldElsewhereLeavesTheStoreClosed()
    {
        dm().MyConnection1.close();
        int attempts = 0;
        dm().MyConnection1.setOpenFault([&]() -> std::optional<QString> {
            ++attempts;
            return std::nullopt;
        });
        store::FolderLock other;
        other.setFileName(programFolder() + "used.uld");
        other.open();
        store::LegacyMigration migration(dm().MyQuery1);
        const Outcome outcome = runWith(migration);
        other.close();
        QCOMPARE(outcome, Outcome::Fatal);
        QCOMPARE(m_services->messages.texts, QStringList{kInUse});
        QCOMPARE(attempts, 0);
        QVERIFY(!dm().MyConnection1.isOpen());
        QVERIFY(!dm().ADOConnection2.isOpen());
    }

    void itemsOfAnInterruptedRebuildComeBack()
    {
        exec("insert into frissites (frissites) values (1)");
        // What a rebuild killed right after emptying its item table leaves.
        exec("INSERT INTO TEMP (LSZAM,IKTSZAM,MJEL,SZULO_ID,TETEL_ID) VALUES "
             "(1,'A',1,0,1),(1,'A1',1,1,2),(2,'B',3,0,3)");
        exec("INSERT INTO TEMP (TETEL_ID,KCIMZETT) VALUES (-1,'bzs3')");
        store::LegacyMigration migration(dm().MyQuery1);
        QCOMPARE(runWith(migration), Outcome::HandOver);
        QCOMPARE(rows("SELECT TETEL_ID, IKTSZAM, SZULO_ID FROM BZS3 ORDER BY TETEL_ID"),
                 QStringList({"1|A|0", "2|A1|1", "3|B|0"}));
        QVERIFY(rows("SELECT IKTSZAM FROM B2").isEmpty());
        QVERIFY(m_services->messages.texts.isEmpty());
    }

    void lockFileMissingOrHeldEndsTheProgram_data()
    {
        QTest::addColumn<bool>("missing");
        QTest::newRow("missing used.uld") << true;
        QTest::newRow("held by another") << false;
    }
    void lockFileMissingOrHeldEndsTheProgram()
    {
        QFETCH(bool, missing);
        const QString lockFile = programFolder() + "used.uld";
        const QString aside = programFolder() + "used.uld.aside";
        store::FolderLock other;
        if (missing) {
            QVERIFY(QFile::rename(lockFile, aside));
        } else {
            other.setFileName(lockFile);
            other.open();
        }
        exec("insert into frissites (frissites) values (1)");
        addPrintedHeaderWithoutCount();
        store::LegacyMigration migration(dm().MyQuery1);
        const Outcome outcome = runWith(migration);
        other.close();
        if (missing)
            QVERIFY(QFile::rename(aside, lockFile));
        QCOMPARE(outcome, Outcome::Fatal);
        QCOMPARE(m_services->messages.texts, QStringList{kInUse});
        QVERIFY(!dm().ADOConnection2.isOpen());
        // Nothing after the failed connect has run.
        QCOMPARE(rows("SELECT LSZAM, NYOMTATAS_PELDANY FROM B2_ADATOK ORDER BY LSZAM"),
                 QStringList({"1|NULL", "2|NULL"}));
    }

    void storeThatCannotOpenEndsTheProgram()
    {
        dm().MyConnection1.close();
        int attempts = 0;
        dm().MyConnection1.setOpenFault([&]() -> std::optional<QString> {
            ++attempts;
            return QStringLiteral("Can't open the data folder");
        });
        store::LegacyMigration migration(dm().MyQuery1);
        QCOMPARE(runWith(migration), Outcome::Fatal);
        QCOMPARE(attempts, 2);
        QCOMPARE(m_services->messages.texts, QStringList{kNoStore});
        QVERIFY(!dm().ADOConnection2.isOpen());
    }

    void storeOpeningAtSecondAttemptSkipsTheRepair()
    {
        exec("insert into frissites (frissites) values (1)");
        dm().MyConnection1.close();
        int attempts = 0;
        dm().MyConnection1.setOpenFault([&]() -> std::optional<QString> {
            if (++attempts == 1)
                return QStringLiteral("busy");
            return std::nullopt;
        });
        watchStatements();
        store::LegacyMigration migration(dm().MyQuery1);
        QCOMPARE(runWith(migration), Outcome::HandOver);
        QCOMPARE(attempts, 2);
        QVERIFY(m_services->messages.texts.isEmpty());
        QVERIFY(dm().ADOConnection2.isOpen());
        for (const QString& sql : m_statements)
            QVERIFY2(!sql.startsWith("repair"), qPrintable(sql));
    }
};

QTEST_GUILESS_MAIN(TestStartSequence)
#include "tst_startsequence.moc"
