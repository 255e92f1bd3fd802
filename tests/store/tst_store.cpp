#include "store/DataModule.h"
#include "store/NamedParameters.h"
#include "store/SqlError.h"
#include "support/ProgramFolder.h"

#include <QTest>

using namespace testsupport;

class TestStore : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { programFolder(); }
    void init() { resetTables(); }

    void namedParametersBecomePositional_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("positional");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("plain") << "SELECT * FROM B2 WHERE LSZAM=:lszam"
                               << "SELECT * FROM B2 WHERE LSZAM=?" << QStringList{"lszam"};
        QTest::newRow("repeated") << "UPDATE B2 SET SZAMNELKULI=SZAMNELKULI+:SZ, DB=DB+:SZ WHERE LSZAM=:LSZAM"
                                  << "UPDATE B2 SET SZAMNELKULI=SZAMNELKULI+?, DB=DB+? WHERE LSZAM=?"
                                  << QStringList{"SZ", "SZ", "LSZAM"};
        QTest::newRow("quoted colon") << "SELECT ':x', \"a:b\" FROM T WHERE A=:a -- :c"
                                      << "SELECT ':x', \"a:b\" FROM T WHERE A=? -- :c" << QStringList{"a"};
        QTest::newRow("escaped quote") << "SELECT 'it''s :no' , :yes"
                                       << "SELECT 'it''s :no' , ?" << QStringList{"yes"};
    }
    void namedParametersBecomePositional()
    {
        QFETCH(QString, sql);
        QFETCH(QString, positional);
        QFETCH(QStringList, names);
        const auto out = store::toPositional(sql);
        QCOMPARE(out.sql, positional);
        QCOMPARE(out.parameters, names);
    }

    void truncateRestartsNumbering()
    {
        auto& q = store::TDM1::instance().MyQuery1;
        for (int i = 0; i < 3; ++i)
            q.execute("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL) VALUES (:L,:I,:M)",
                      {{"L", 1}, {"I", "x"}, {"M", 2}});
        q.execute("truncate table b2");
        q.execute("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL) VALUES (:L,:I,:M)", {{"L", 1}, {"I", "y"}, {"M", 2}});
        QCOMPARE(scalar("SELECT TETEL_ID FROM B2").toInt(), 1);
        QCOMPARE(scalar("SELECT SZULO_ID FROM B2").toInt(), 0);
        QCOMPARE(scalar("SELECT CSOPORT_ID FROM B2").toInt(), 0);
    }

    void deleteKeepsGroupNumbering()
    {
        auto& q = store::TDM1::instance().MyQuery1;
        for (int i = 0; i < 7; ++i)
            q.execute("INSERT INTO CSOPORTOS (IKTSZAM) VALUES (:iktszam)", {{"iktszam", QString::number(i)}});
        q.execute("DELETE FROM CSOPORTOS");
        q.execute("INSERT INTO CSOPORTOS (ID,IKTSZAM) VALUES (:id,:iktszam)", {{"id", 3}, {"iktszam", "a"}});
        q.execute("INSERT INTO CSOPORTOS (ID,IKTSZAM) VALUES (:id,:iktszam)", {{"id", 5}, {"iktszam", "b"}});
        q.execute("INSERT INTO CSOPORTOS (IKTSZAM) VALUES (:iktszam)", {{"iktszam", "c"}});
        QVERIFY(scalar("SELECT ID FROM CSOPORTOS WHERE IKTSZAM='c'").toInt() > 7);
    }

    void nextListNumberIsNumeric()
    {
        auto& q = store::TDM1::instance().MyQuery1;
        for (int n : {9, 10})
            q.execute("INSERT INTO B2_ADATOK (JCIMZETT,LSZAM) VALUES (:JCIMZETT,:LSZAM)",
                      {{"JCIMZETT", "x"}, {"LSZAM", n}});
        q.open("SELECT MAX(LSZAM) AS MAXLSZAM FROM B2_ADATOK");
        QCOMPARE(q.value("MAXLSZAM").toInt() + 1, 11);
    }

    void hungarianTextRoundTrip()
    {
        const QString text = QStringLiteral("Árvíztűrő tükörfúrógép ŐŰ őű – „idézet”");
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES (:t,:n)", {{"t", "000123"}, {"n", text}});
        QCOMPARE(scalar("SELECT SZERVNEV FROM SZERVEK WHERE TKOD=:t", {{"t", "000123"}}).toString(), text);
        // Accented capitals fold for the search.
        QCOMPARE(scalar("SELECT COUNT(*) FROM SZERVEK WHERE lower(SZERVNEV) LIKE lower(:p)",
                        {{"p", "%ÁRVÍZTŰRŐ%"}})
                     .toInt(),
                 1);
    }

    void namesSortInHungarianOrder()
    {
        for (const char* name : {"Zala", "Csongrád", "Cegléd", "Ózd", "Orosháza", "Dunaújváros"})
            exec("INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES ('1',:n)", {{"n", QString::fromUtf8(name)}});
        // "cs" is a letter of its own after "c" in Hungarian order; "ó" follows "o".
        QCOMPARE(rows("SELECT SZERVNEV FROM SZERVEK ORDER BY SZERVNEV"),
                 (QStringList{"Cegléd", "Csongrád", "Dunaújváros", "Orosháza", "Ózd", "Zala"}));
    }

    void tableNamesIgnoreCase()
    {
        exec("INSERT INTO bzs3nato_ADATOK (JCIMZETT,LSZAM) VALUES ('a',1)");
        QCOMPARE(scalar("SELECT COUNT(*) FROM BZS3NATO_ADATOK").toInt(), 1);
    }

    void scratchTablesMatchTheirOriginals_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("copy");
        for (const char* t : {"B2", "BZS3", "B2ZSAK", "B2NATO", "BZS3NATO"})
            QTest::newRow(t) << QString::fromLatin1(t) << "TEMP";
        QTest::newRow("SZERVEK") << "SZERVEK"
                                 << "SZERVEK_TEMP";
    }
    void scratchTablesMatchTheirOriginals()
    {
        QFETCH(QString, table);
        QFETCH(QString, copy);
        const QString sql =
            "SELECT COLUMN_NAME, DATA_TYPE FROM information_schema.COLUMNS WHERE TABLE_SCHEMA='kovenda' "
            "AND TABLE_NAME=:t ORDER BY ORDINAL_POSITION";
        const QStringList original = rows(sql, {{"t", table.toLower()}});
        QVERIFY(original.size() >= 6);
        QCOMPARE(rows(sql, {{"t", copy.toLower()}}), original);
    }

    void classificationLookupHasBothValues()
    {
        QCOMPARE(rows("SELECT AZ FROM MINOSITES ORDER BY AZ"), (QStringList{"0", "1"}));
    }

    void dateTimeAndNullParametersRoundTrip()
    {
        const QDateTime moment(QDate(2012, 10, 16), QTime(14, 5, 33));
        exec("INSERT INTO B2_ADATOK (JCIMZETT,LSZAM,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) VALUES (:j,:l,:d,:p)",
             {{"j", "x"}, {"l", 1}, {"d", moment}, {"p", QVariant()}});
        QCOMPARE(scalar("SELECT NYOMTATAS_DATUMA FROM B2_ADATOK").toDateTime(), moment);
        QVERIFY(scalar("SELECT NYOMTATAS_PELDANY FROM B2_ADATOK").isNull());
    }

    // Every column type the tables use comes back as the same value whether the statement
    // has parameters (fetched in binary form) or not (fetched as text).
    void valuesKeepTheirTypeOnBothPaths_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QVariant>("expected");
        const QDateTime moment(QDate(2026, 12, 11), QTime(13, 31, 15));
        QTest::newRow("int") << "LSZAM" << QVariant(qlonglong(-7));
        QTest::newRow("big unsigned") << "CAST(18446744073709551615 AS UNSIGNED)" << QVariant(qlonglong(-1));
        QTest::newRow("sum is whole") << "SUM(DB)" << QVariant(qlonglong(40));
        QTest::newRow("decimal") << "CAST(2.5 AS DECIMAL(4,1))" << QVariant(2.5);
        QTest::newRow("double") << "CAST(0.25 AS DOUBLE)" << QVariant(0.25);
        QTest::newRow("text") << "IKTSZAM" << QVariant(QStringLiteral("Ügyirat/ő"));
        QTest::newRow("empty text") << "KCIMZETT" << QVariant(QString(""));
        QTest::newRow("null") << "KCIMZETT_AZ" << QVariant();
        QTest::newRow("date-time") << "CAST('2026-12-11 13:31:15' AS DATETIME)" << QVariant(moment);
        QTest::newRow("fraction dropped")
            << "CAST('2026-12-11 13:31:15.75' AS DATETIME(2))" << QVariant(moment);
        QTest::newRow("date") << "CAST('2026-12-11' AS DATE)"
                              << QVariant(QDateTime(QDate(2026, 12, 11), QTime(0, 0)));
    }
    void valuesKeepTheirTypeOnBothPaths()
    {
        QFETCH(QString, expression);
        QFETCH(QVariant, expected);
        exec("INSERT INTO B2 (LSZAM,IKTSZAM,KCIMZETT,KCIMZETT_AZ,DB) VALUES (-7,'Ügyirat/ő','',NULL,40)");
        store::Connection& c = store::TDM1::instance().MyConnection1;
        const QString sql = "SELECT " + expression + " AS v FROM B2 WHERE LSZAM";
        // Twice each: a kept statement must give the same again.
        for (int round = 0; round < 2; ++round) {
            const QVariant plain = c.run(sql + "=-7", {})->rows.at(0).at(0);
            const QVariant bound = c.run(sql + "=:l", {{"l", -7}})->rows.at(0).at(0);
            for (const QVariant& value : {plain, bound}) {
                QCOMPARE(value.isNull(), expected.isNull());
                if (!expected.isNull()) {
                    QCOMPARE(value.typeId(), expected.typeId());
                    QCOMPARE(value, expected);
                }
            }
        }
    }

    void zeroDateIsNoDateOnBothPaths()
    {
        exec("INSERT INTO B2_ADATOK (LSZAM,NYOMTATAS_DATUMA) VALUES (1,'0000-00-00 00:00:00')");
        store::Connection& c = store::TDM1::instance().MyConnection1;
        const QVariant plain = c.run("SELECT NYOMTATAS_DATUMA FROM B2_ADATOK", {})->rows.at(0).at(0);
        const QVariant bound =
            c.run("SELECT NYOMTATAS_DATUMA FROM B2_ADATOK WHERE LSZAM=:l", {{"l", 1}})->rows.at(0).at(0);
        for (const QVariant& value : {plain, bound}) {
            QCOMPARE(value.typeId(), int(QMetaType::QDateTime));
            QVERIFY(!value.toDateTime().isValid());
        }
    }

    void errorsCarryTheServerText()
    {
        auto& q = store::TDM1::instance().MyQuery1;
        try {
            q.open("SELECT * FROM NINCS_ILYEN WHERE A=:a", {{"a", 1}});
            QFAIL("no error");
        } catch (const store::SqlError& e) {
            QVERIFY2(e.message().contains("nincs_ilyen", Qt::CaseInsensitive), qPrintable(e.message()));
        }
    }

    void chosenStatementCanBeMadeToFail()
    {
        auto& dm = store::TDM1::instance();
        dm.MyConnection1.setStatementFault([](const QString& sql) -> std::optional<QString> {
            if (sql.startsWith("INSERT INTO B2 "))
                return QStringLiteral("injected");
            return std::nullopt;
        });
        QVERIFY_THROWS_EXCEPTION(store::SqlError,
                                 dm.MyQuery1.execute("INSERT INTO B2 (LSZAM) VALUES (:l)", {{"l", 1}}));
        dm.MyQuery1.execute("INSERT INTO B2_ADATOK (LSZAM) VALUES (:l)", {{"l", 1}});
        dm.MyConnection1.setStatementFault({});
        QCOMPARE(scalar("SELECT COUNT(*) FROM B2").toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
