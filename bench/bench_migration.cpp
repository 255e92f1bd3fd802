// Times the one-time migration of an earlier release's database holding 100,000 items
// across the five list kinds, next to a plain read of the same rows through the same
// Firebird driver in the same run.
#include "store/DataModule.h"
#include "store/FirebirdSource.h"
#include "store/LegacyFixture.h"
#include "store/LegacyMigration.h"
#include "support/ProgramFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>

using namespace testsupport;

namespace {

constexpr int kItemsPerKind = 20000;
constexpr int kItemsPerList = 50;
const QStringList kKinds = {"B2", "B2NATO", "B2ZSAK", "BZS3", "BZS3NATO"};

// Rows made by the engine itself: every fifth item is a group member of the item before it,
// texts are Hungarian, and every other list is printed. Text columns without a character
// set, as the earlier release had them.
QByteArray generatedRows()
{
    QString sql = QStringLiteral("SET TERM ^ ;\n");
    for (const QString& kind : kKinds) {
        sql += QStringLiteral(R"(EXECUTE BLOCK AS
DECLARE I INTEGER = 1;
DECLARE PARENT INTEGER = 0;
BEGIN
  WHILE (I <= %1) DO
  BEGIN
    IF (MOD(I, 5) = 0) THEN
      INSERT INTO %2 VALUES ((:I - 1) / %3 + 1, 'Ügyirat ' || :I || '/2012-1', 2, 'Legfőbb Ügyészség', 1, 1,
                             '100200', 1, :PARENT, :I, :I);
    ELSE
    BEGIN
      INSERT INTO %2 VALUES ((:I - 1) / %3 + 1, 'Ügyirat ' || :I || '/2012-1', MOD(:I, 5), 'Győri Törvényszék', 1, 1,
                             '300300', 1, 0, :I, 0);
      PARENT = I;
    END
    I = I + 1;
  END
  I = 1;
  WHILE (I <= %1 / %3) DO
  BEGIN
    INSERT INTO %2_ADATOK VALUES (:I, 'Külügyminisztérium',
                                  IIF(MOD(:I, 2) = 0, TIMESTAMP '2012-10-16 14:05:33', NULL), NULL);
    I = I + 1;
  END
END^
)")
                   .arg(kItemsPerKind)
                   .arg(kind)
                   .arg(kItemsPerList);
    }
    sql += QStringLiteral("SET TERM ; ^\n");
    return legacyfixture::windows1250(sql);
}

QStringList legacySelects()
{
    QStringList selects;
    for (const QString& kind : kKinds)
        selects << QStringLiteral("select * from %1 order by tetel_id").arg(kind.toLower());
    for (const QString& kind : kKinds)
        selects << QStringLiteral("select * from %1_adatok order by lszam").arg(kind.toLower());
    selects << "select * from beallitasok"
            << "select * from csoportos"
            << "select * from szervek_verzio"
            << "select * from szervek";
    return selects;
}

// Every value of every row of the migration's selects, through the driver alone.
qint64 plainRead(const QString& file, qint64& values)
{
    QElapsedTimer clock;
    clock.start();
    values = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QIBASE", "plain");
        db.setDatabaseName(file);
        db.setUserName("SYSDBA");
        if (!db.open())
            qFatal("cannot open the legacy database");
        for (const QString& sql : legacySelects()) {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (!q.exec(sql))
                qFatal("cannot read %s", qPrintable(sql));
            const int columns = q.record().count();
            while (q.next()) {
                for (int c = 0; c < columns; ++c)
                    values += q.value(c).isValid() ? 1 : 0;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("plain");
    return clock.elapsed();
}

qint64 migration(const QString& file)
{
    resetTables();
    QElapsedTimer clock;
    clock.start();
    store::LegacyMigration migration(store::TDM1::instance().MyQuery1);
    migration.setDatabaseFile(file);
    migration.legacyDataFound = false;
    migration.checkTables();
    for (const QString& table : store::LegacyMigration::copyOrder())
        migration.copyTable(table);
    if (migration.legacyDataFound)
        migration.copyTable("SZERVEK");
    migration.closeSource();
    return clock.elapsed();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    programFolder();
    store::firebird::prepareEngine();
    const QString file = programFolder() + "adatok.fdb";

    QElapsedTimer building;
    building.start();
    legacyfixture::build(file, "NONE", {"tables.sql"}, generatedRows());
    out << "legacy database of " << kKinds.size() * kItemsPerKind << " items built in " << building.elapsed()
        << " ms\n";
    out.flush();

    qint64 values = 0;
    plainRead(file, values); // the file into the cache
    const qint64 read = plainRead(file, values);
    const qint64 migrated = migration(file);

    qint64 items = 0;
    for (const QString& kind : kKinds)
        items += scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(kind)).toLongLong();
    if (items != kKinds.size() * kItemsPerKind)
        qFatal("the migration copied %lld items", items);

    out << "plain read of the same rows (" << values << " values): " << read << " ms\n";
    out << "migration of " << items << " items: " << migrated << " ms\n";
    out << "ratio migration / plain read: "
        << QString::number(double(migrated) / double(qMax<qint64>(read, 1)), 'f', 1) << "\n";
    return 0;
}
