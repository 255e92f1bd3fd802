#include "app/StartSequence.h"
#include "store/DataModule.h"
#include "store/LegacyFixture.h"
#include "store/LegacyMigration.h"
#include "support/ProgramFolder.h"

#include <QFile>
#include <QSqlDatabase>
#include <QTest>

using namespace testsupport;
using Outcome = app::StartSequence::Outcome;

namespace {

// Every table the migration writes, as text, table by table.
QStringList storeContent()
{
    QStringList out;
    const auto add = [&](const QString& table, const QString& sql) {
        for (const QString& row : rows(sql))
            out << table + u':' + row;
    };
    for (const char* t : {"B2", "B2NATO", "B2ZSAK", "BZS3", "BZS3NATO"})
        add(t,
            QString("SELECT LSZAM, IKTSZAM, MJEL, KCIMZETT, SZAMNELKULI, SORSZAM, KCIMZETT_AZ, DB, SZULO_ID, "
                    "TETEL_ID, CSOPORT_ID FROM %1 ORDER BY TETEL_ID")
                .arg(t));
    for (const char* t : {"B2_ADATOK", "B2NATO_ADATOK", "B2ZSAK_ADATOK", "BZS3_ADATOK", "BZS3NATO_ADATOK"})
        add(t, QString("SELECT LSZAM, JCIMZETT, NYOMTATAS_DATUMA, NYOMTATAS_PELDANY FROM %1 ORDER BY LSZAM")
                   .arg(t));
    add("BEALLITASOK",
        "SELECT NEV, SZERVKOD, NYOMTATO, TAKAREKOS, FUTARJEGYZEK_CIMZETTJE, "
        "FUTARJEGYZEK_CIMZETTJE_SZERVKOD, FELSO, ALSO, JOBB, BAL, FELSO_T, ALSO_T, JOBB_T, BAL_T, "
        "alapertelmezett_nyomtato FROM BEALLITASOK");
    add("CSOPORTOS", "SELECT ID, IKTSZAM FROM CSOPORTOS ORDER BY ID");
    add("SZERVEK",
        "SELECT TKOD, SZERVNEV, ROVIDNEV, SZERVCIM, TELEFON, IRSZ, TELEPULES, CIM, MINOSITETT FROM "
        "SZERVEK ORDER BY TKOD");
    add("SZERVEK_VERZIO", "SELECT VERZIO_DATUMIDO FROM SZERVEK_VERZIO");
    add("FRISSITES", "SELECT FRISSITES FROM FRISSITES");
    return out;
}

// What a site had in the store before the start: it stays unless a legacy table with rows
// replaces it.
void seedStore()
{
    exec("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,KCIMZETT,SZAMNELKULI,SORSZAM,KCIMZETT_AZ,DB) VALUES "
         "(9,'régi',2,'Régi Címzett',1,1,'999999',1)");
    exec(
        "INSERT INTO B2_ADATOK (LSZAM,JCIMZETT,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) VALUES (9,'régi',:d,NULL)",
        {{"d", QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5))}});
    exec("INSERT INTO BEALLITASOK (NEV,SZERVKOD,NYOMTATO,TAKAREKOS,FUTARJEGYZEK_CIMZETTJE,"
         "FUTARJEGYZEK_CIMZETTJE_SZERVKOD,FELSO,ALSO,BAL,JOBB,FELSO_T,ALSO_T,BAL_T,JOBB_T,alapertelmezett_"
         "nyomtato) "
         "VALUES ('Meglévő','999999',0,0,'Valaki','888888',1,1,1,1,1,1,1,1,1)");
    exec("INSERT INTO SZERVEK (TKOD,SZERVNEV,MINOSITETT) VALUES ('999999','Meglévő Szerv',1)");
    exec("INSERT INTO SZERVEK_VERZIO (VERZIO_DATUMIDO) VALUES (:d)",
         {{"d", QDateTime(QDate(2020, 1, 1), QTime(0, 0))}});
}

const QStringList kSeed = {
    "B2:9|régi|2|Régi Címzett|1|1|999999|1|0|1|0", "B2_ADATOK:9|régi|2020-01-02 03:04:05|NULL",
    "BEALLITASOK:Meglévő|999999|0|0|Valaki|888888|1|1|1|1|1|1|1|1|1",
    "SZERVEK:999999|Meglévő Szerv|NULL|NULL|NULL|NULL|NULL|NULL|1", "SZERVEK_VERZIO:2020-01-01 00:00:00"};

// The store after the migration of lists.sql over the seed, print counts repaired.
const QStringList kMigratedLists = {
    "B2:1|123/2012-1|2|Legfőbb Ügyészség|1|1|100200|1|0|5|0",
    "B2:1|124/2012-1|2|Legfőbb Ügyészség|1|1|100200|1|5|8|3", "B2:1||6||3|2||3|0|9|0",
    "B2:2|Ügyirat/ŐŰ-7|5|Külügyminisztérium|2|1|NULL|2|0|14|0",
    "B2NATO:1|NATO/45-2|0|Győri Honvéd Kiegészítő Parancsnokság|0|1|300300|1|0|3|0",
    "B2ZSAK:3|Árvíztűrő tükörfúrógép|3|Pécsi Törvényszék|1|1|400400|1|0|40|0",
    "BZS3:1|77/2011|1|Legfőbb Ügyészség|1|1|100200|1|0|12|0", "BZS3NATO:1|ÉÁÍÓÖÚÜ|0|Őrség|0|1|500500|1|0|7|0",
    "B2_ADATOK:1|Legfőbb Ügyészség|2012-10-16 14:05:33|1", "B2_ADATOK:2|Külügyminisztérium|NULL|NULL",
    "B2NATO_ADATOK:1|Győri Honvéd Kiegészítő Parancsnokság|2011-05-02 08:00:00|2",
    "B2ZSAK_ADATOK:3|Pécsi Törvényszék|NULL|NULL", "BZS3_ADATOK:1|Legfőbb Ügyészség|2011-12-31 23:59:59|1",
    "BZS3NATO_ADATOK:1|Őrség|NULL|NULL",
    // The earlier release had no default-printer column: the store's default.
    "BEALLITASOK:Őrző Szolgálat|100100|2|1|Belügyminisztérium|200200|10|11|12|13|14|15|16|17|0",
    "CSOPORTOS:3|124/2012-1", "CSOPORTOS:4|tűzőgép",
    // Nor a MINOSITETT column: the store's default.
    "SZERVEK:100200|Legfőbb Ügyészség|LÜ|Markó u. 16.|06-1-111-1111|1055|Budapest|Budapest, Markó u. 16.|0",
    "SZERVEK:200200|Belügyminisztérium|NULL|NULL|NULL|1051|Budapest|NULL|0",
    "SZERVEK:300300|Győri Honvéd Kiegészítő Parancsnokság|GyHKP|NULL|NULL|9021|Győr|NULL|0",
    // An empty legacy version table leaves the store's version alone.
    "SZERVEK_VERZIO:2020-01-01 00:00:00", "FRISSITES:1"};

bool firebirdLoaded()
{
    QFile maps("/proc/self/maps");
    if (!maps.open(QIODevice::ReadOnly))
        return true;
    const QByteArray all = maps.readAll();
    return all.contains("libfbclient") || all.contains("libEngine12") || all.contains("libqsqlibase");
}

} // namespace

// The migration at start, from legacy databases built by the Firebird tools.
class TestLegacyMigration : public QObject
{
    Q_OBJECT

    Services* m_services = nullptr;
    QStringList m_statements;

    store::TDM1& dm() { return store::TDM1::instance(); }
    QString legacyFile() { return programFolder() + "adatok.fdb"; }
    QString backupFile() { return programFolder() + "adatok.fbk"; }

    Outcome start()
    {
        // Each start of the program has a migration object of its own.
        store::LegacyMigration migration(dm().MyQuery1);
        app::StartSequence sequence(dm(), migration, programFolder(), installServices().messages);
        const Outcome outcome = sequence.run();
        dm().ADOConnection2.close();
        return outcome;
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
        dm().ADOConnection2.close();
        m_services->messages.texts.clear();
        QFile::remove(legacyFile());
        QFile::remove(backupFile());
    }
    void cleanup() { dm().MyConnection1.setStatementFault({}); }

    // First, while nothing of Firebird is in the process yet.
    void withoutLegacyFileNothingIsShownAndFirebirdStaysOut()
    {
        QVERIFY(!firebirdLoaded());
        seedStore();
        QCOMPARE(start(), Outcome::HandOver);
        QVERIFY(m_services->messages.texts.isEmpty());
        QCOMPARE(storeContent(), kSeed);
        QVERIFY(!firebirdLoaded());
    }

    void listsAndSettingsAreCopied_data()
    {
        QTest::addColumn<QString>("charset");
        QTest::newRow("NONE holding Windows-1250") << "NONE";
        QTest::newRow("WIN1250") << "WIN1250";
        QTest::newRow("UTF8") << "UTF8";
    }
    void listsAndSettingsAreCopied()
    {
        QFETCH(QString, charset);
        legacyfixture::build(legacyFile(), charset, {"tables.sql", "lists.sql"});
        seedStore();
        QCOMPARE(start(), Outcome::HandOver);
        QVERIFY(m_services->messages.texts.isEmpty());
        QCOMPARE(storeContent(), kMigratedLists);
        QVERIFY(QSqlDatabase::connectionNames().isEmpty());
    }

    void registerVersionIsCopiedWhenThereIsOne()
    {
        legacyfixture::build(legacyFile(), "WIN1250", {"tables.sql", "lists.sql", "register_version.sql"});
        seedStore();
        QCOMPARE(start(), Outcome::HandOver);
        QCOMPARE(rows("SELECT * FROM SZERVEK_VERZIO"), QStringList{"2012-09-01 10:30:00"});
    }

    void headersAloneLeaveTheRegister_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("B2_ADATOK") << "B2_ADATOK";
        QTest::newRow("BZS3_ADATOK") << "BZS3_ADATOK";
        QTest::newRow("BZS3NATO_ADATOK") << "BZS3NATO_ADATOK";
    }
    void headersAloneLeaveTheRegister()
    {
        QFETCH(QString, table);
        legacyfixture::build(legacyFile(), "NONE", {"tables.sql", "only_" + table.toLower() + ".sql"});
        seedStore();
        QCOMPARE(start(), Outcome::HandOver);
        QVERIFY(m_services->messages.texts.isEmpty());
        QCOMPARE(rows(QString("SELECT LSZAM, JCIMZETT, NYOMTATAS_DATUMA, NYOMTATAS_PELDANY FROM %1 ORDER BY "
                              "LSZAM")
                          .arg(table)),
                 QStringList({"7|Címzett Őrs|2011-05-02 08:00:00|1", "8|Második Ügyfél|NULL|3"}));
        // Everything else as it was (the register was not copied), a printed list counted once.
        QStringList expected;
        for (QString row : kSeed) {
            if (row.startsWith(table + ':'))
                continue;
            if (row.startsWith("B2_ADATOK:"))
                row = "B2_ADATOK:9|régi|2020-01-02 03:04:05|1";
            expected << row;
        }
        QStringList actual;
        for (const QString& row : storeContent()) {
            if (!row.startsWith(table + ':') && !row.startsWith("FRISSITES:"))
                actual << row;
        }
        QCOMPARE(actual, expected);
        QCOMPARE(rows("SELECT * FROM FRISSITES"), QStringList{"1"});
    }

    void emptyLegacyTablesEmptyNothing()
    {
        legacyfixture::build(legacyFile(), "UTF8", {"tables.sql"});
        seedStore();
        QCOMPARE(start(), Outcome::HandOver);
        QVERIFY(m_services->messages.texts.isEmpty());
        QStringList expected = kSeed;
        expected.replace(1, "B2_ADATOK:9|régi|2020-01-02 03:04:05|1");
        expected << "FRISSITES:1";
        QCOMPARE(storeContent(), expected);
    }

    void settingsWithoutMarginsFailAtEveryStart()
    {
        legacyfixture::build(legacyFile(), "WIN1250",
                             {"tables.sql", "lists.sql", "settings_without_margins.sql"});
        seedStore();
        for (int startNo = 1; startNo <= 2; ++startNo) {
            m_services->messages.texts.clear();
            QCOMPARE(start(), Outcome::HandOver);
            QCOMPARE(m_services->messages.texts.size(), 1);
            const QString text = m_services->messages.texts.first();
            QVERIFY2(text.contains(legacyFile()), qPrintable(text));
            QVERIFY2(text.contains("a BEALLITASOK táblából hiányzik a FELSO_T oszlop"), qPrintable(text));
            // No table was refilled, so nothing entered since the last start is lost;
            // neither marker nor print-count repair.
            QCOMPARE(storeContent(), kSeed);
        }
    }

    void markerStopsEveryCopy_data()
    {
        QTest::addColumn<bool>("readable");
        QTest::newRow("readable legacy database") << true;
        QTest::newRow("unreadable legacy database") << false;
    }
    void markerStopsEveryCopy()
    {
        QFETCH(bool, readable);
        if (readable) {
            legacyfixture::build(legacyFile(), "UTF8", {"tables.sql", "lists.sql"});
        } else {
            QFile f(legacyFile());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("nem adatbazis");
        }
        seedStore();
        exec("insert into frissites (frissites) values (1)");
        QCOMPARE(start(), Outcome::HandOver);
        QVERIFY(m_services->messages.texts.isEmpty());
        QStringList expected = kSeed;
        expected.replace(1, "B2_ADATOK:9|régi|2020-01-02 03:04:05|1");
        expected << "FRISSITES:1";
        QCOMPARE(storeContent(), expected);
    }

    void interruptedRunGivesTheSameContentAsOne_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::newRow("at the fourth item table") << "truncate table BZS3";
        QTest::newRow("at the settings") << "truncate table BEALLITASOK";
        QTest::newRow("at the register") << "truncate table SZERVEK";
        QTest::newRow("at the marker") << "insert into frissites (frissites) values (1)";
    }
    void interruptedRunGivesTheSameContentAsOne()
    {
        QFETCH(QString, failing);
        legacyfixture::build(legacyFile(), "NONE", {"tables.sql", "lists.sql"});
        seedStore();
        watchStatements(m_statements, failing);
        QCOMPARE(start(), Outcome::HandOver);
        dm().MyConnection1.setStatementFault({});
        QVERIFY(m_statements.contains(failing));
        QCOMPARE(scalar("SELECT COUNT(*) FROM FRISSITES").toInt(), 0);
        // A write of the store that fails is no fault of the legacy file: nothing shown.
        QVERIFY(m_services->messages.texts.isEmpty());

        QCOMPARE(start(), Outcome::HandOver);
        QCOMPARE(storeContent(), kMigratedLists);
    }

    void numberingContinuesAfterTheLargestCopiedItem()
    {
        legacyfixture::build(legacyFile(), "WIN1250", {"tables.sql", "lists.sql"});
        QCOMPARE(start(), Outcome::HandOver);
        exec("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,KCIMZETT,SZAMNELKULI,SORSZAM,KCIMZETT_AZ,DB) VALUES "
             "(2,'új',5,'x',1,0,'0',1)");
        QCOMPARE(scalar("SELECT TETEL_ID FROM B2 WHERE IKTSZAM='új'").toInt(), 15);
        exec("INSERT INTO B2ZSAK (LSZAM,IKTSZAM,MJEL) VALUES (3,'új',5)");
        QCOMPARE(scalar("SELECT TETEL_ID FROM B2ZSAK WHERE IKTSZAM='új'").toInt(), 41);
        // A member joins its parent's group under a number no earlier member had.
        exec("INSERT INTO CSOPORTOS (IKTSZAM) VALUES ('új')");
        QCOMPARE(scalar("SELECT ID FROM CSOPORTOS WHERE IKTSZAM='új'").toInt(), 5);
        QCOMPARE(rows("SELECT LSZAM, NYOMTATAS_PELDANY FROM B2_ADATOK ORDER BY LSZAM"),
                 QStringList({"1|1", "2|NULL"}));
    }

    void backupIsRestoredAndMigrated()
    {
        const QString made = programFolder() + "regi_gep.fdb";
        legacyfixture::build(made, "NONE", {"tables.sql", "lists.sql"});
        legacyfixture::backup(made, backupFile());
        QFile::remove(made);
        seedStore();
        QCOMPARE(start(), Outcome::HandOver);
        QVERIFY2(m_services->messages.texts.isEmpty(), qPrintable(m_services->messages.texts.join("\n")));
        QCOMPARE(storeContent(), kMigratedLists);
        QVERIFY(QFile::exists(legacyFile()));
        QVERIFY(QFile::exists(backupFile()));
    }

    void unreadableFileIsToldOncePerStart_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("written by Firebird 2.x") << "older"
                                                 << "régebbi Firebird-változat formátumában van";
        QTest::newRow("not a database") << "garbage"
                                        << "nem Firebird-adatbázis";
    }
    void unreadableFileIsToldOncePerStart()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        if (kind == "older") {
            legacyfixture::build(legacyFile(), "WIN1250", {"tables.sql", "lists.sql"});
            legacyfixture::makeOlderFormat(legacyFile());
        } else {
            QFile f(legacyFile());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(40000, '\0'));
        }
        seedStore();
        for (int startNo = 1; startNo <= 2; ++startNo) {
            m_services->messages.texts.clear();
            QCOMPARE(start(), Outcome::HandOver);
            QCOMPARE(m_services->messages.texts.size(), 1);
            const QString text = m_services->messages.texts.first();
            QVERIFY2(text.contains(legacyFile()), qPrintable(text));
            QVERIFY2(text.contains(reason), qPrintable(text));
            QVERIFY2(text.contains("gbak -b adatok.fdb adatok.fbk"), qPrintable(text));
            QCOMPARE(storeContent(), kSeed);
        }
    }

    void brokenBackupIsTold()
    {
        QFile f(backupFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("ez nem mentes\n").repeated(50));
        f.close();
        seedStore();
        QCOMPARE(start(), Outcome::HandOver);
        QCOMPARE(m_services->messages.texts.size(), 1);
        const QString text = m_services->messages.texts.first();
        QVERIFY2(text.contains(backupFile()) && text.contains("nem Firebird-mentés (gbak), vagy megsérült"),
                 qPrintable(text));
        QVERIFY(!QFile::exists(legacyFile()));
        QCOMPARE(storeContent(), kSeed);
    }
};

QTEST_GUILESS_MAIN(TestLegacyMigration)
#include "tst_legacy_migration.moc"
