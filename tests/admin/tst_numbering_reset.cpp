#include "admin/DatabaseBackup.h"
#include "admin/RestoreArchive.h"
#include "lists/ListKind.h"
#include "lists/ListSelection.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace testsupport;

namespace {

const QStringList kItemTables = {"B2", "BZS3", "B2ZSAK", "B2NATO", "BZS3NATO"};

// Two lists with items in every kind, a group, and the tables a reset must keep.
void fillStore()
{
    resetTables();
    for (const QString& items : kItemTables) {
        for (int list = 1; list <= 2; ++list) {
            exec(QString("INSERT INTO %1_ADATOK (JCIMZETT,LSZAM,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) "
                         "VALUES ('Címzett',:l,'2025-12-01 10:00:00',1)")
                     .arg(items),
                 {{"l", list}});
            exec(QString("INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,KCIMZETT,SZAMNELKULI,SORSZAM,KCIMZETT_AZ,DB) "
                         "VALUES (:l,'12/2025',1,'Szerv',1,1,'100001',1)")
                     .arg(items),
                 {{"l", list}});
        }
    }
    exec("INSERT INTO CSOPORTOS (IKTSZAM) VALUES ('cs1'),('cs2')");
    exec("INSERT INTO SZERVEK_TEMP (TKOD,SZERVNEV) VALUES ('100009','Átmeneti')");
    exec("INSERT INTO SZERVEK (TKOD,SZERVNEV,ROVIDNEV,IRSZ,TELEPULES,MINOSITETT) "
         "VALUES ('100001','Első Szerv','ESZ','1011','Budapest',0)");
    exec("INSERT INTO SZERVEK_VERZIO (VERZIO_DATUMIDO) VALUES ('2025-11-30 12:00:00')");
    exec("INSERT INTO BEALLITASOK (NEV,SZERVKOD,NYOMTATO,TAKAREKOS,FUTARJEGYZEK_CIMZETTJE,"
         "FUTARJEGYZEK_CIMZETTJE_SZERVKOD,FELSO,ALSO,BAL,JOBB,FELSO_T,ALSO_T,BAL_T,JOBB_T,alapertelmezett_"
         "nyomtato) "
         "VALUES ('Saját','100001',1,0,'Első Szerv','100001',10,11,12,13,1,2,3,4,0)");
    exec("INSERT INTO FRISSITES (FRISSITES) VALUES (1)");
    exec("INSERT INTO TEMP (LSZAM,IKTSZAM,MJEL,DB) VALUES (1,'t',1,1)");
}

QStringList keptTables()
{
    QStringList out;
    for (const char* table : {"SZERVEK", "SZERVEK_VERZIO", "MINOSITES", "BEALLITASOK", "FRISSITES", "TEMP"})
        out << QString(table) + ": " + rows(QString("SELECT * FROM %1").arg(table)).join(" / ");
    return out;
}

int count(const QString& table)
{
    return scalar(QString("SELECT COUNT(*) FROM %1").arg(table)).toInt();
}

const QDateTime kNow(QDate(2026, 1, 2), QTime(8, 0, 0));

} // namespace

class TestNumberingReset : public QObject
{
    Q_OBJECT

    QString m_folder;

private slots:
    void initTestCase()
    {
        installServices();
        m_folder = programFolder();
    }
    void init()
    {
        fillStore();
        QDir(m_folder + "adatbazis_mentes").removeRecursively();
    }

    void everyKindStartsAtListOneWithAnEmptyList()
    {
        const QStringList kept = keptTables();
        auto& dm = store::TDM1::instance();
        const admin::ResetOutcome outcome = admin::resetNumbering(dm, m_folder, kNow);
        QVERIFY(outcome.backedUp);
        QCOMPARE(outcome.failedStatement, -1);

        for (int number = 1; number <= lists::kListKindCount; ++number) {
            const lists::ListKindInfo& kind = lists::listKind(number);
            lists::ListSelection selection(dm, kind);
            const lists::ListSelection::ActiveList active = selection.activeList();
            QCOMPARE(active.number, 1);
            selection.openItemView(active.number);
            QVERIFY2(dm.MyQuery2.isEmpty(), qPrintable(kind.caption));
            QCOMPARE(selection.previousList().status, lists::ListSelection::PreviousStatus::NoListYet);
            // Item numbering restarts as well.
            exec(QString("INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,DB) VALUES (1,'x',1,1)").arg(kind.itemTable));
            QCOMPARE(scalar(QString("SELECT MAX(TETEL_ID) FROM %1").arg(kind.itemTable)).toInt(), 1);
        }
        QCOMPARE(count("CSOPORTOS"), 0);
        QCOMPARE(count("SZERVEK_TEMP"), 0);
        QCOMPARE(keptTables(), kept);
    }

    void backupIsTakenFirstAndSaysWhereItIs()
    {
        QStringList log;
        watchStatements(log);
        const admin::ResetOutcome outcome = admin::resetNumbering(store::TDM1::instance(), m_folder, kNow);
        QCOMPARE(outcome.backupPath, m_folder + "adatbazis_mentes/adatok_20260102080000.zip");
        QVERIFY2(admin::checkBackupArchive(outcome.backupPath).isEmpty(),
                 qPrintable(admin::checkBackupArchive(outcome.backupPath)));
        // The tables are written out before they are copied, and emptied only afterwards.
        QCOMPARE(log.first(), QString("FLUSH TABLES"));
        QCOMPARE(log.mid(log.size() - 12), admin::numberingResetStatements());

        // A second reset in the same second keeps the first backup.
        const admin::ResetOutcome again = admin::resetNumbering(store::TDM1::instance(), m_folder, kNow);
        QCOMPARE(again.backupPath, m_folder + "adatbazis_mentes/adatok_20260102080000_2.zip");
        QVERIFY(QFileInfo(outcome.backupPath).size() > QFileInfo(again.backupPath).size());
    }

    void statementsInOrder()
    {
        const QStringList expected = {"truncate table b2",        "truncate table b2_adatok",
                                      "truncate table bzs3",      "truncate table bzs3_adatok",
                                      "truncate table b2zsak",    "truncate table b2zsak_adatok",
                                      "truncate table b2nato",    "truncate table b2nato_adatok",
                                      "truncate table bzs3nato",  "truncate table bzs3nato_adatok",
                                      "truncate table csoportos", "truncate table szervek_temp"};
        QCOMPARE(admin::numberingResetStatements(), expected);
    }

    void failureStopsAtTheFailingStatement_data()
    {
        QTest::addColumn<int>("failing");
        QTest::newRow("first") << 0;
        QTest::newRow("fifth") << 4;
        QTest::newRow("last") << 11;
    }
    void failureStopsAtTheFailingStatement()
    {
        QFETCH(int, failing);
        const QStringList& statements = admin::numberingResetStatements();
        QStringList log;
        watchStatements(log, statements[failing]);
        const admin::ResetOutcome outcome = admin::resetNumbering(store::TDM1::instance(), m_folder, kNow);
        store::TDM1::instance().MyConnection1.setStatementFault({});
        QVERIFY(outcome.backedUp);
        QCOMPARE(outcome.failedStatement, failing);
        // What ran before stays emptied; nothing after the failing statement ran.
        for (int i = 0; i < statements.size(); ++i) {
            const QString table = statements[i].section(' ', 2);
            QCOMPARE(count(table) == 0, i < failing);
        }
        QVERIFY(!log.contains(statements.value(failing + 1)));
    }

    void withoutBackupNothingIsEmptied()
    {
        QFile blocker(m_folder + "adatbazis_mentes");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QStringList log;
        watchStatements(log);
        const admin::ResetOutcome outcome = admin::resetNumbering(store::TDM1::instance(), m_folder, kNow);
        store::TDM1::instance().MyConnection1.setStatementFault({});
        QFile::remove(m_folder + "adatbazis_mentes");
        QVERIFY(!outcome.backedUp);
        QVERIFY(outcome.backupPath.isEmpty());
        for (const QString& statement : admin::numberingResetStatements())
            QVERIFY(!log.contains(statement));
        for (const QString& table : kItemTables)
            QCOMPARE(count(table), 2);
    }
};

QTEST_GUILESS_MAIN(TestNumberingReset)
#include "tst_numbering_reset.moc"
