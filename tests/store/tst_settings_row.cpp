#include "app/AppState.h"
#include "app/StoredSettings.h"
#include "store/DataModule.h"
#include "store/Organisations.h"
#include "store/SettingsRow.h"
#include "store/SqlError.h"
#include "support/ProgramFolder.h"

#include <QTest>

using namespace testsupport;

namespace {

const QString kInsert =
    "INSERT INTO BEALLITASOK "
    "(NEV,SZERVKOD,NYOMTATO,TAKAREKOS,FUTARJEGYZEK_CIMZETTJE,FUTARJEGYZEK_CIMZETTJE_SZERVKOD,"
    "FELSO,ALSO,BAL,JOBB,FELSO_T,ALSO_T,BAL_T,JOBB_T,alapertelmezett_nyomtato)\n"
    "VALUES "
    "(:NEV,:SZERVKOD,:NYOMTATO,:TAKAREKOS,:FUTARJEGYZEK_CIMZETTJE,:FUTARJEGYZEK_CIMZETTJE_SZERVKOD,:FELSO,:"
    "ALSO,"
    ":BAL,:JOBB,:FELSO_T,:ALSO_T,:BAL_T,:JOBB_T,:alapertelmezett_nyomtato)";

const QString kAllColumns = "SELECT NEV,SZERVKOD,NYOMTATO,TAKAREKOS,FUTARJEGYZEK_CIMZETTJE,"
                            "FUTARJEGYZEK_CIMZETTJE_SZERVKOD,FELSO,ALSO,BAL,JOBB,FELSO_T,ALSO_T,BAL_T,JOBB_T,"
                            "alapertelmezett_nyomtato FROM BEALLITASOK";

// A stored row as an earlier save or the migration may have left it: _T columns of their own.
void storeRow(const QString& name, const QVariant& thrifty, int defaultPrinter = 1)
{
    exec("INSERT INTO BEALLITASOK (NEV,SZERVKOD,NYOMTATO,TAKAREKOS,FUTARJEGYZEK_CIMZETTJE,"
         "FUTARJEGYZEK_CIMZETTJE_SZERVKOD,FELSO,ALSO,BAL,JOBB,FELSO_T,ALSO_T,BAL_T,JOBB_T,alapertelmezett_"
         "nyomtato) "
         "VALUES (:n,'100100',3,:t,'Címzett Szerv','200200',11,12,13,14,21,22,23,24,:d)",
         {{"n", name}, {"t", thrifty}, {"d", defaultPrinter}});
}

store::SettingsRow someRow()
{
    store::SettingsRow row;
    row.name = "Saját Szerv Kft.";
    row.code = "100100";
    row.printerIndex = 2;
    row.defaultPrinterValue = 0;
    row.defaultAddresseeName = "Címzett Szerv";
    row.defaultAddresseeCode = "200200";
    row.marginTop = 12;
    row.marginBottom = 15;
    row.marginLeft = 20;
    row.marginRight = 20;
    return row;
}

} // namespace

class TestSettingsRow : public QObject
{
    Q_OBJECT

    QStringList m_statements;

    store::Query& query() { return store::TDM1::instance().MyQuery3; }

private slots:
    void initTestCase() { programFolder(); }
    void init()
    {
        resetTables();
        m_statements.clear();
    }
    void cleanup() { store::TDM1::instance().MyConnection1.setStatementFault({}); }

    void noRowBeforeTheFirstSave() { QVERIFY(!store::readSettingsRow(query()).has_value()); }

    void readsTheStoredRow()
    {
        storeRow("Saját Szerv", 1, 0);
        const std::optional<store::SettingsRow> row = store::readSettingsRow(query());
        QVERIFY(row.has_value());
        QCOMPARE(row->name, QString("Saját Szerv"));
        QCOMPARE(row->code, QString("100100"));
        QCOMPARE(row->printerIndex, 3);
        QCOMPARE(row->defaultPrinterValue, 0);
        QCOMPARE(row->defaultAddresseeName, QString("Címzett Szerv"));
        QCOMPARE(row->defaultAddresseeCode, QString("200200"));
        QCOMPARE(row->marginTop, 11);
        QCOMPARE(row->marginBottom, 12);
        QCOMPARE(row->marginLeft, 13);
        QCOMPARE(row->marginRight, 14);
    }

    void saveWritesOneRow_data()
    {
        QTest::addColumn<int>("rowsBefore");
        QTest::newRow("first save") << 0;
        QTest::newRow("one row before") << 1;
        QTest::newRow("two rows before") << 2;
    }
    void saveWritesOneRow()
    {
        QFETCH(int, rowsBefore);
        for (int i = 0; i < rowsBefore; ++i)
            storeRow(QStringLiteral("Régi %1").arg(i), 1);
        watchStatements(m_statements);
        store::saveSettingsRow(query(), someRow());
        const QStringList statements = m_statements;
        store::TDM1::instance().MyConnection1.setStatementFault({});

        QCOMPARE(statements,
                 (QStringList{"SELECT * FROM BEALLITASOK", "TRUNCATE TABLE BEALLITASOK", kInsert}));
        // The _T columns repeat the margins, whatever they held before.
        QCOMPARE(rows(kAllColumns),
                 QStringList{"Saját Szerv Kft.|100100|2|1|Címzett Szerv|200200|12|15|20|20|12|15|20|20|0"});
        QVERIFY(!query().isOpen());
    }

    void thriftyKeepsWhatWasStored_data()
    {
        QTest::addColumn<QVariant>("before"); // invalid: no row before; "NULL": an empty TAKAREKOS
        QTest::addColumn<int>("stored");
        QTest::newRow("first row") << QVariant() << 1;
        QTest::newRow("0") << QVariant(0) << 0;
        QTest::newRow("1") << QVariant(1) << 1;
        QTest::newRow("other than 0") << QVariant(7) << 1;
        QTest::newRow("negative") << QVariant(-1) << 1;
        QTest::newRow("empty reads as 0") << QVariant("NULL") << 0;
    }
    void thriftyKeepsWhatWasStored()
    {
        QFETCH(QVariant, before);
        QFETCH(int, stored);
        if (before.isValid())
            storeRow("Régi", before == QVariant("NULL") ? QVariant() : before);
        store::saveSettingsRow(query(), someRow());
        QCOMPARE(rows("SELECT TAKAREKOS FROM BEALLITASOK"), QStringList{QString::number(stored)});
    }

    void failedInsertPutsThePreviousRowBack()
    {
        storeRow("Régi Szerv", 0, 1);
        exec("UPDATE BEALLITASOK SET NYOMTATO=NULL");
        const QStringList before = rows("SELECT * FROM BEALLITASOK");
        watchStatements(m_statements, kInsert);
        try {
            store::saveSettingsRow(query(), someRow());
            QFAIL("the save did not report its failure");
        } catch (const store::SqlError& error) {
            QVERIFY2(error.message().startsWith(
                         "A beállításokat nem sikerült menteni, a korábbi beállítások maradtak "
                         "érvényben!"),
                     qPrintable(error.message()));
            QVERIFY2(error.message().contains("Table is marked as crashed"), qPrintable(error.message()));
        }
        store::TDM1::instance().MyConnection1.setStatementFault({});
        QCOMPARE(m_statements.mid(0, 3),
                 (QStringList{"SELECT * FROM BEALLITASOK", "TRUNCATE TABLE BEALLITASOK", kInsert}));
        QCOMPARE(rows("SELECT * FROM BEALLITASOK"), before);
        QVERIFY(!query().isOpen());
    }

    void failedFirstSaveLeavesNoRow()
    {
        watchStatements(m_statements, kInsert);
        try {
            store::saveSettingsRow(query(), someRow());
            QFAIL("the save did not report its failure");
        } catch (const store::SqlError& error) {
            QVERIFY2(error.message().startsWith("A beállításokat nem sikerült menteni!"),
                     qPrintable(error.message()));
        }
        store::TDM1::instance().MyConnection1.setStatementFault({});
        QCOMPARE(scalar("SELECT COUNT(*) FROM BEALLITASOK").toInt(), 0);
    }

    void failedPuttingBackIsReported()
    {
        storeRow("Régi Szerv", 1);
        store::TDM1::instance().MyConnection1.setStatementFault(
            [](const QString& sql) -> std::optional<QString> {
                if (sql.startsWith("INSERT INTO BEALLITASOK"))
                    return QStringLiteral("Disk full");
                return std::nullopt;
            });
        try {
            store::saveSettingsRow(query(), someRow());
            QFAIL("the save did not report its failure");
        } catch (const store::SqlError& error) {
            QVERIFY2(error.message().contains("a korábbi beállításokat sem sikerült visszaírni"),
                     qPrintable(error.message()));
        }
    }

    void startReadsTheDefaultPrinterOnlyFromA1_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("useDefaultPrinter");
        QTest::newRow("0") << 0 << false;
        QTest::newRow("1") << 1 << true;
        QTest::newRow("2") << 2 << false;
    }
    void startReadsTheDefaultPrinterOnlyFromA1()
    {
        QFETCH(int, stored);
        QFETCH(bool, useDefaultPrinter);
        storeRow("Saját Szerv", 1, stored);
        app::AppState state;
        state.useDefaultPrinter = !useDefaultPrinter;
        QVERIFY(app::loadStoredSettings(store::TDM1::instance().MyQuery1, state));
        QCOMPARE(state.useDefaultPrinter, useDefaultPrinter);
        QCOMPARE(state.ownName, QString("Saját Szerv"));
        QCOMPARE(state.marginTop, 11);
        QCOMPARE(state.marginRight, 14);
        QCOMPARE(state.printerIndex, 3);
    }

    void startWithoutARowLeavesTheState()
    {
        app::AppState state;
        state.ownName = "marad";
        QVERIFY(!app::loadStoredSettings(store::TDM1::instance().MyQuery1, state));
        QCOMPARE(state.ownName, QString("marad"));
    }

    void organisationLookups()
    {
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES ('012345','Nullás Szerv'),('100100','Saját Szerv')");
        QCOMPARE(store::organisationName(query(), "012345").value_or("<none>"), QString("Nullás Szerv"));
        QCOMPARE(store::organisationName(query(), "12345").value_or("<none>"), QString("<none>"));
        QCOMPARE(store::organisationName(query(), "999999").value_or("<none>"), QString("<none>"));

        QVERIFY(!store::registerVersion(query()).has_value());
        exec("INSERT INTO SZERVEK_VERZIO (VERZIO_DATUMIDO) VALUES ('2012-10-16 14:05:33'),('2013-01-02 "
             "03:04:05')");
        QCOMPARE(store::registerVersion(query()).value_or(QDateTime()),
                 QDateTime(QDate(2013, 1, 2), QTime(3, 4, 5)));
    }
};

QTEST_GUILESS_MAIN(TestSettingsRow)
#include "tst_settings_row.moc"
