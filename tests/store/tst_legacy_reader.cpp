#include "store/FirebirdRestore.h"
#include "store/FirebirdSource.h"
#include "store/LegacyFixture.h"
#include "support/ProgramFolder.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

using testsupport::rowsOf;

namespace {

QByteArray digest(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QStringList columnsOf(const std::vector<store::ResultColumn>& columns)
{
    QStringList out;
    for (const auto& c : columns)
        out << c.name;
    return out;
}

} // namespace

// The reader of the earlier release's Firebird database and the restore of its backups.
class TestLegacyReader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void textComesOutAsTheSameLetters_data()
    {
        QTest::addColumn<QString>("charset");
        QTest::newRow("NONE holding Windows-1250") << "NONE";
        QTest::newRow("WIN1250") << "WIN1250";
        QTest::newRow("UTF8") << "UTF8";
    }
    void textComesOutAsTheSameLetters()
    {
        QFETCH(QString, charset);
        const QString file = path("betuk_" + charset + ".fdb");
        legacyfixture::build(file, charset, {"tables.sql", "lists.sql"});
        store::FirebirdSource source(file);
        const store::ResultSet items = source.select("select * from b2 order by tetel_id");
        QCOMPARE(columnsOf(items.columns),
                 QStringList({"LSZAM", "IKTSZAM", "MJEL", "KCIMZETT", "SZAMNELKULI", "SORSZAM", "KCIMZETT_AZ",
                              "DB", "SZULO_ID", "TETEL_ID", "CSOPORT_ID"}));
        QCOMPARE(rowsOf(items),
                 QStringList({"1|123/2012-1|2|Legfőbb Ügyészség|1|1|100200|1|0|5|0",
                              "1|124/2012-1|2|Legfőbb Ügyészség|1|1|100200|1|5|8|3", "1||6||3|2||3|0|9|0",
                              "2|Ügyirat/ŐŰ-7|5|Külügyminisztérium|2|1|NULL|2|0|14|0"}));
        QCOMPARE(items.rows[0][0].typeId(), QMetaType::LongLong);
        QCOMPARE(rowsOf(source.select("select * from bzs3nato order by tetel_id")),
                 QStringList{"1|ÉÁÍÓÖÚÜ|0|Őrség|0|1|500500|1|0|7|0"});

        // Dates come as date and time, and fixed-length codes without the engine's padding.
        const store::ResultSet headers = source.select("select * from b2_adatok order by lszam");
        QCOMPARE(headers.rows[0][2].typeId(), QMetaType::QDateTime);
        QCOMPARE(headers.rows[0][2].toDateTime(), QDateTime(QDate(2012, 10, 16), QTime(14, 5, 33)));
        QCOMPARE(rowsOf(headers), QStringList({"1|Legfőbb Ügyészség|2012-10-16 14:05:33|NULL",
                                               "2|Külügyminisztérium|NULL|NULL"}));
        QCOMPARE(rowsOf(source.select("select * from szervek")),
                 QStringList(
                     {"100200|Legfőbb Ügyészség|LÜ|Markó u. 16.|06-1-111-1111|1055|Budapest|Budapest, Markó "
                      "u. 16.",
                      "200200|Belügyminisztérium|NULL|NULL|NULL|1051|Budapest|NULL",
                      "300300|Győri Honvéd Kiegészítő Parancsnokság|GyHKP|NULL|NULL|9021|Győr|NULL"}));
        QCOMPARE(rowsOf(source.select("select * from beallitasok")),
                 QStringList{"Őrző Szolgálat|100100|2|1|Belügyminisztérium|200200|10|11|12|13|14|15|16|17"});
    }

    void theLegacyFileIsNeverWritten()
    {
        const QString file = path("csak_olvas.fdb");
        legacyfixture::build(file, "WIN1250", {"tables.sql", "lists.sql"});
        // Even a file the user may not write is read.
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup));
        const QByteArray before = digest(file);
        {
            store::FirebirdSource source(file);
            QVERIFY(!source.isOpen());
            QCOMPARE(source.select("select * from csoportos").rows.size(), size_t(2));
            QVERIFY(source.isOpen());
            QVERIFY(QSqlDatabase::connectionNames().contains("ZConnection1"));
            source.close();
            QVERIFY(!source.isOpen());
            QVERIFY(QSqlDatabase::connectionNames().isEmpty());
            // A select after close opens it again.
            QCOMPARE(source.select("select * from b2zsak order by tetel_id").rows.size(), size_t(1));
        }
        QVERIFY(QSqlDatabase::connectionNames().isEmpty());
        QCOMPARE(digest(file), before);
    }

    void columnsComeFromTheCatalogue()
    {
        const QString file = path("oszlopok.fdb");
        legacyfixture::build(file, "UTF8", {"tables.sql", "settings_without_margins.sql"});
        store::FirebirdSource source(file);
        const auto settings = source.columns("select * from beallitasok");
        QVERIFY(settings);
        QCOMPARE(columnsOf(*settings),
                 QStringList({"NEV", "SZERVKOD", "NYOMTATO", "TAKAREKOS", "FUTARJEGYZEK_CIMZETTJE",
                              "FUTARJEGYZEK_CIMZETTJE_SZERVKOD", "FELSO", "ALSO", "JOBB", "BAL"}));
        QVERIFY(!source.columns("select count(*) from b2"));
        try {
            source.columns("select * from nincsilyen order by lszam");
            QFAIL("a missing table passed");
        } catch (const store::LegacyError& e) {
            QCOMPARE(e.kind(), store::LegacyError::Kind::Incomplete);
            QCOMPARE(e.message(), QString("hiányzik belőle a NINCSILYEN tábla"));
        }
    }

    void unreadableFilesRaiseWithTheirReason_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing"
                                 << "a fájl nem létezik";
        QTest::newRow("not a database") << "garbage"
                                        << "nem Firebird-adatbázis, vagy megsérült";
        QTest::newRow("Firebird 2.x file") << "older"
                                           << "régebbi Firebird-változat formátumában van (ODS 11), ezt a "
                                              "Firebird 3 nem nyitja meg";
    }
    void unreadableFilesRaiseWithTheirReason()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString file = path("hibas_" + kind + ".fdb");
        if (kind == "garbage") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(20000, 'x'));
        } else if (kind == "older") {
            legacyfixture::build(file, "WIN1250", {"tables.sql"});
            legacyfixture::makeOlderFormat(file);
        }
        store::FirebirdSource source(file);
        try {
            source.select("select * from b2 order by tetel_id");
            QFAIL("an unreadable file was read");
        } catch (const store::LegacyError& e) {
            QCOMPARE(e.kind(), store::LegacyError::Kind::Unreadable);
            QVERIFY2(e.message().startsWith(reason), qPrintable(e.message()));
            // The reason names the file itself, never the reader's working copy.
            QVERIFY2(!e.message().contains("dispora-legacy"), qPrintable(e.message()));
        }
        QVERIFY(!source.isOpen());
        QVERIFY(QSqlDatabase::connectionNames().isEmpty());
    }

    void backupIsRestoredIntoTheCurrentFormat()
    {
        const QString original = path("mentett.fdb");
        legacyfixture::build(original, "NONE", {"tables.sql", "lists.sql"});
        const QString backup = path("adatok.fbk");
        legacyfixture::backup(original, backup);
        const QString restored = path("visszatoltott/adatok.fdb");
        QDir().mkpath(path("visszatoltott"));
        store::firebird::restoreBackup(backup, restored);
        QVERIFY(QFile::exists(backup));
        QVERIFY(!QFile::exists(restored + ".visszatoltes"));
        store::FirebirdSource source(restored);
        QCOMPARE(rowsOf(source.select("select * from b2zsak order by tetel_id")),
                 QStringList{"3|Árvíztűrő tükörfúrógép|3|Pécsi Törvényszék|1|1|400400|1|0|40|0"});
    }

    void brokenBackupLeavesNoDatabase_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not a backup") << QByteArray("nem mentes, csak szoveg\n").repeated(100);
        QTest::newRow("empty") << QByteArray();
    }
    void brokenBackupLeavesNoDatabase()
    {
        QFETCH(QByteArray, content);
        const QString backup = path("rossz.fbk");
        QFile f(backup);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        const QString target = path("rossz.fdb");
        QVERIFY_THROWS_EXCEPTION(store::LegacyError, store::firebird::restoreBackup(backup, target));
        QVERIFY(!QFile::exists(target));
        QVERIFY(!QFile::exists(target + ".visszatoltes"));
    }

    void restoreNeverReplacesADatabase()
    {
        const QString original = path("meglevo.fdb");
        legacyfixture::build(original, "UTF8", {"tables.sql"});
        const QString backup = path("meglevo.fbk");
        legacyfixture::backup(original, backup);
        const QByteArray before = digest(original);
        QVERIFY_THROWS_EXCEPTION(store::LegacyError, store::firebird::restoreBackup(backup, original));
        QCOMPARE(digest(original), before);
    }
};

QTEST_GUILESS_MAIN(TestLegacyReader)
#include "tst_legacy_reader.moc"
