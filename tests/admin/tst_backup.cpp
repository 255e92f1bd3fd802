#include "admin/DatabaseBackup.h"
#include "admin/PendingRestore.h"
#include "admin/RestoreArchive.h"
#include "admin/TableFiles.h"
#include "admin/ZipReader.h"
#include "admin/ZipWriter.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace testsupport;

namespace {

// Every row of every table of the store, one line per row, in a fixed order, with the
// next auto-number of each table.
QStringList dumpStore(store::Connection& connection)
{
    QStringList out;
    for (const QString& table : admin::storeTableNames()) {
        auto result = connection.run(QStringLiteral("SELECT * FROM %1").arg(table), {});
        QStringList lines;
        for (const auto& row : result->rows) {
            QStringList values;
            for (const QVariant& v : row)
                values << (v.isNull() ? QStringLiteral("NULL")
                           : v.typeId() == QMetaType::QDateTime
                               ? v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                               : v.toString());
            lines << table + u'|' + values.join(u'|');
        }
        lines.sort();
        out << lines;
        auto status = connection.run(QStringLiteral("SHOW TABLE STATUS LIKE '%1'").arg(table), {});
        int column = -1;
        for (size_t i = 0; i < status->columns.size(); ++i) {
            if (status->columns[i].name.compare(QStringLiteral("Auto_increment"), Qt::CaseInsensitive) == 0)
                column = int(i);
        }
        if (column >= 0 && !status->rows.empty())
            out << table + QStringLiteral(" next ") + status->rows[0][size_t(column)].toString();
    }
    return out;
}

// Run as a child: opens the store of a program folder and prints its dump.
int dumpChild(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!QDir::setCurrent(QString::fromLocal8Bit(argv[2])))
        return 2;
    try {
        auto& dm = store::TDM1::instance();
        dm.MyConnection1.open();
        const QByteArray text = dumpStore(dm.MyConnection1).join(u'\n').toUtf8();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        dm.MyConnection1.close();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

// The dump of another program folder's store, read by a process of its own, since the
// embedded server runs once per process.
QStringList dumpInChild(const QString& folder)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--dump-store"), folder});
    if (!child.waitForFinished(120000) || child.exitCode() != 0) {
        qWarning("dump failed: %s", child.readAllStandardError().constData());
        return {QStringLiteral("<dump failed>")};
    }
    return QString::fromUtf8(child.readAllStandardOutput()).split(u'\n');
}

QStringList fileNames(const QString& folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QFileInfo(it.next()).fileName();
    names.sort();
    return names;
}

QStringList entryNames(const QString& archive)
{
    admin::ZipReader reader;
    if (!reader.open(archive))
        return {QStringLiteral("<unreadable>")};
    QStringList names;
    for (const auto& entry : reader.entries())
        names << entry.name;
    names.sort();
    return names;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

// Rows in every list kind, the register, the settings and the other tables.
void fillStore()
{
    resetTables();
    const QStringList kinds = {"B2", "BZS3", "B2ZSAK", "B2NATO", "BZS3NATO"};
    for (int k = 0; k < kinds.size(); ++k) {
        const QString items = kinds[k];
        const QString headers = items + "_ADATOK";
        for (int list = 1; list <= 3; ++list) {
            exec(
                QString(
                    "INSERT INTO %1 (JCIMZETT,LSZAM,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) VALUES (:j,:l,:d,:p)")
                    .arg(headers),
                {{"j", QString("Címzett %1 ő ű").arg(list)},
                 {"l", list},
                 {"d",
                  list < 3 ? QVariant(QDateTime(QDate(2025, 12, list), QTime(8, 30, list))) : QVariant()},
                 {"p", list < 3 ? QVariant(list) : QVariant()}});
            for (int item = 1; item <= 4; ++item)
                exec(
                    QString("INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,KCIMZETT,SZAMNELKULI,SORSZAM,KCIMZETT_AZ,DB) "
                            "VALUES (:l,:i,:m,:k,:s,:o,:a,:d)")
                        .arg(items),
                    {{"l", list},
                     {"i", QString("%1/%2-%3 Árvíztűrő").arg(k).arg(list).arg(item)},
                     {"m", item % 6},
                     {"k", QString("Tükörfúrógép %1").arg(item)},
                     {"s", item},
                     {"o", item},
                     {"a", QString("%1").arg(100000 + item)},
                     {"d", 1}});
        }
        // A deleted row leaves a gap in the numbering, which the restore must keep.
        exec(QString("DELETE FROM %1 WHERE IKTSZAM LIKE '%/3-4 %'").arg(items));
    }
    exec("INSERT INTO CSOPORTOS (IKTSZAM) VALUES ('cs1'),('cs2')");
    exec("INSERT INTO SZERVEK (TKOD,SZERVNEV,ROVIDNEV,IRSZ,TELEPULES,MINOSITETT) VALUES "
         "('100001','Első Szerv','ESZ','1011','Budapest',0),('100002','Második "
         "Ügyosztály','','6720','Szeged',1)");
    exec("INSERT INTO SZERVEK_VERZIO (VERZIO_DATUMIDO) VALUES ('2025-11-30 12:00:00')");
    exec("INSERT INTO BEALLITASOK (NEV,SZERVKOD,NYOMTATO,TAKAREKOS,FUTARJEGYZEK_CIMZETTJE,"
         "FUTARJEGYZEK_CIMZETTJE_SZERVKOD,FELSO,ALSO,BAL,JOBB,FELSO_T,ALSO_T,BAL_T,JOBB_T,alapertelmezett_"
         "nyomtato) "
         "VALUES ('Saját Hivatal','100001',1,0,'Második Ügyosztály','100002',10,11,12,13,1,2,3,4,1)");
    exec("INSERT INTO FRISSITES (FRISSITES) VALUES (1)");
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

    QString m_folder;
    QTemporaryDir m_scratch;

    QString backups() const { return m_folder + "adatbazis_mentes/"; }

private slots:
    void initTestCase()
    {
        installServices();
        m_folder = programFolder();
    }
    void init() { resetTables(); }

    void proposedNameHasTheClockDigitsInEveryLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("name");
        const QDateTime sample(QDate(2012, 10, 16), QTime(14, 5, 33));
        QTest::newRow("C") << QLocale::c() << sample << "adatok_20121016140533.zip";
        QTest::newRow("Hungarian") << QLocale(QLocale::Hungarian, QLocale::Hungary) << sample
                                   << "adatok_20121016140533.zip";
        QTest::newRow("US English") << QLocale(QLocale::English, QLocale::UnitedStates) << sample
                                    << "adatok_20121016140533.zip";
        QTest::newRow("Arabic digits")
            << QLocale(QLocale::Arabic, QLocale::Egypt) << sample << "adatok_20121016140533.zip";
        QTest::newRow("single digits")
            << QLocale::c() << QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)) << "adatok_20260102030405.zip";
        QTest::newRow("midnight") << QLocale(QLocale::Hungarian, QLocale::Hungary)
                                  << QDateTime(QDate(2025, 12, 31), QTime(0, 0, 0))
                                  << "adatok_20251231000000.zip";
        QTest::newRow("last second") << QLocale(QLocale::German, QLocale::Germany)
                                     << QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59))
                                     << "adatok_20251231235959.zip";
    }
    void proposedNameHasTheClockDigitsInEveryLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QDateTime, now);
        QFETCH(QString, name);
        const QLocale before;
        QLocale::setDefault(locale);
        const QString proposed = admin::proposedBackupName(now);
        QLocale::setDefault(before);
        QCOMPARE(proposed, name);
    }

    void backupOnANewInstallationCreatesItsFolder()
    {
        QDir(backups()).removeRecursively();
        const admin::BackupFolder folder = admin::prepareBackupFolder(m_folder);
        QVERIFY(!folder.creationFailed);
        QCOMPARE(folder.startFolder, backups());
        QVERIFY(QFileInfo(backups()).isDir());

        const QString archive = folder.startFolder + admin::proposedBackupName(installServices().clock.now());
        QVERIFY(admin::backupDatabase(store::TDM1::instance(), m_folder, archive));
        QCOMPARE(QFileInfo(archive).fileName(), QString("adatok_20260314092653.zip"));
        // Every file of the database folder, by its bare name, and nothing else.
        const QStringList names = entryNames(archive);
        QCOMPARE(names, fileNames(admin::databaseFolder(m_folder)));
        for (const QString& table : admin::storeTableNames())
            QVERIFY2(names.contains(table + ".MYD"), qPrintable(table));
        QVERIFY(admin::checkBackupArchive(archive).isEmpty());
        QVERIFY(!QFileInfo::exists(archive + ".part"));
    }

    void backupFolderThatCannotBeCreated()
    {
        const QString folder = m_scratch.path() + "/blocked/";
        writeFile(folder + "adatbazis_mentes", "a file in the way");
        const admin::BackupFolder result = admin::prepareBackupFolder(folder);
        QVERIFY(result.creationFailed);
        QCOMPARE(result.startFolder, folder);
    }

    void backupReopensTheStoreAndTheNames()
    {
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES ('100002','Béta'),('100001','Alfa')");
        auto& dm = store::TDM1::instance();
        dm.MyQuery4.close();
        QVERIFY(admin::backupDatabase(dm, m_folder, backups() + "reopen.zip"));
        QVERIFY(dm.MyConnection1.isOpen());
        QVERIFY(dm.MyQuery4.isOpen());
        QCOMPARE(dm.MyQuery4.rowCount(), 2);
        QCOMPARE(dm.MyQuery4.value(0, "SZERVNEV").toString(), QString("Alfa"));
        QCOMPARE(dm.MyQuery4.value(1, "SZERVNEV").toString(), QString("Béta"));
    }

    // A backup that could not keep every file is a failure, and leaves no archive that
    // looks like a good one.
    void incompleteBackupFails_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("unreadable file") << "dangling link";
        QTest::newRow("same bare name twice") << "sub folder";
        QTest::newRow("no file at all") << "empty folder";
        QTest::newRow("archive cannot be written") << "no such folder";
    }
    void incompleteBackupFails()
    {
        QFETCH(QString, fault);
        auto& dm = store::TDM1::instance();
        QString programFolder = m_folder;
        QString archive = backups() + "hibas.zip";
        const QString kovenda = admin::databaseFolder(m_folder);
        QString leftOver;
        if (fault == "dangling link") {
            leftOver = kovenda + "torott_hivatkozas.MYD";
            QVERIFY(QFile::link(m_scratch.path() + "/nincs_ilyen", leftOver));
        } else if (fault == "sub folder") {
            leftOver = kovenda + "regi/b2.frm";
            writeFile(leftOver, "an older copy");
        } else if (fault == "empty folder") {
            programFolder = m_scratch.path() + "/ures/";
            QVERIFY(QDir().mkpath(admin::databaseFolder(programFolder)));
        } else {
            archive = m_scratch.path() + "/nincs/ilyen/mappa/hibas.zip";
        }
        // An older archive of that name is not lost either.
        if (fault != "no such folder")
            writeFile(archive, "an older archive");
        const QByteArray before = readFile(archive);

        const bool saved = admin::backupDatabase(dm, programFolder, archive);
        if (!leftOver.isEmpty())
            QFile::remove(leftOver);
        QVERIFY(!saved);
        QCOMPARE(readFile(archive), before);
        QVERIFY(!QFileInfo::exists(archive + ".part"));
        QVERIFY(dm.MyConnection1.isOpen());
        QVERIFY(dm.MyQuery4.isOpen());
    }

    // Backed up, changed, restored at the next start of another copy of the folder: every
    // row of every table is back, and the copy saved before the restore undoes it.
    void restoreBringsEveryListBack()
    {
        fillStore();
        auto& dm = store::TDM1::instance();
        const QStringList atBackup = dumpStore(dm.MyConnection1);
        QCOMPARE(atBackup.filter(QRegularExpression("^b2nato\\|")).size(), 11);
        const QString archive = backups() + admin::proposedBackupName(installServices().clock.now());
        QVERIFY(admin::backupDatabase(dm, m_folder, archive));

        exec("DELETE FROM B2 WHERE LSZAM=2");
        exec("TRUNCATE TABLE BZS3_ADATOK");
        exec("INSERT INTO B2NATO (LSZAM,IKTSZAM,MJEL,DB) VALUES (4,'új',0,1)");
        exec("UPDATE BEALLITASOK SET NEV='Más Hivatal'");
        exec("DELETE FROM SZERVEK WHERE TKOD='100002'");
        const QStringList changed = dumpStore(dm.MyConnection1);
        QVERIFY(changed != atBackup);

        // The next start of a program folder holding the changed files.
        const QString next = m_scratch.path() + "/kovetkezo/";
        exec("FLUSH TABLES");
        copyFolder(m_folder + "data", next + "data");
        QVERIFY(admin::writeRestoreRequest(next, archive));
        QCOMPARE(readFile(next + "import.txt"), QDir::toNativeSeparators(archive).toUtf8() + "\r\n");
        admin::PendingRestore restore(next, QDateTime(QDate(2026, 3, 15), QTime(7, 0, 0)));
        QCOMPARE(restore.apply(), admin::PendingRestore::Outcome::Applied);
        QVERIFY(!QFile::exists(next + "import.txt"));
        QCOMPARE(dumpInChild(next), atBackup);

        QCOMPARE(restore.savedCopyPath(), next + "adatbazis_mentes/adatok_20260315070000.zip");
        QVERIFY(admin::writeRestoreRequest(next, restore.savedCopyPath()));
        QCOMPARE(admin::PendingRestore(next).apply(), admin::PendingRestore::Outcome::Applied);
        QCOMPARE(dumpInChild(next), changed);
    }

    void restoreRequestIsRefusedForOtherArchives_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("no zip archive") << "garbage";
        QTest::newRow("missing file") << "missing";
        QTest::newRow("empty name") << "empty";
        QTest::newRow("no table files") << "other files";
        QTest::newRow("entries in folders") << "folders";
        QTest::newRow("a table incomplete") << "incomplete";
        QTest::newRow("damaged entry") << "damaged";
    }
    void restoreRequestIsRefusedForOtherArchives()
    {
        QFETCH(QString, kind);
        const QString folder =
            m_scratch.path() + "/keres_" + QString(QTest::currentDataTag()).replace(' ', '_') + "/";
        QVERIFY(QDir().mkpath(folder));
        QString archive = folder + "valami.zip";
        auto tableFiles = [](const QString& prefix, const QString& table) {
            std::vector<admin::ZipEntry> entries;
            for (const char* ext : {"frm", "MYD", "MYI"})
                entries.push_back({prefix + table + "." + ext, QByteArray(2000, 'x') + ext, true});
            return entries;
        };
        if (kind == "garbage") {
            writeFile(archive, "PK but no zip archive");
        } else if (kind == "missing") {
            archive = folder + "nincs.zip";
        } else if (kind == "empty") {
            archive.clear();
        } else if (kind == "other files") {
            admin::writeZip(archive, {{"level.txt", "Kedves..."}, {"kep.jpg", "jpeg"}});
        } else if (kind == "folders") {
            admin::writeZip(archive, tableFiles("kovenda/", "b2"));
        } else if (kind == "incomplete") {
            auto entries = tableFiles("", "b2");
            entries.pop_back();
            admin::writeZip(archive, entries);
        } else {
            admin::writeZip(archive, tableFiles("", "b2"));
            QFile f(archive);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QByteArray bytes = f.readAll();
            const qsizetype at = bytes.indexOf(QByteArray(2000, 'x') + "MYD");
            QVERIFY(at > 0);
            bytes[at + 1000] = 'y';
            f.seek(0);
            f.write(bytes);
        }
        QVERIFY(!admin::writeRestoreRequest(folder, archive));
        QVERIFY(!QFileInfo::exists(folder + "import.txt"));
    }

    void closeAndReopenAroundARestore()
    {
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES ('100001','Alfa')");
        auto& dm = store::TDM1::instance();
        for (store::Query* q :
             {&dm.MyQuery1, &dm.MyQuery2, &dm.MyQuery3, &dm.MyQuery4, &dm.MyQuery5, &dm.MyQuery6})
            q->open("SELECT 1");
        admin::closeStoreForRestore(dm);
        QVERIFY(!dm.MyConnection1.isOpen());
        for (store::Query* q :
             {&dm.MyQuery1, &dm.MyQuery2, &dm.MyQuery3, &dm.MyQuery4, &dm.MyQuery5, &dm.MyQuery6})
            QVERIFY2(!q->isOpen(), qPrintable(q->name()));
        admin::reopenStore(dm);
        QVERIFY(dm.MyConnection1.isOpen());
        QCOMPARE(dm.MyQuery4.sql(), QString("SELECT SZERVNEV FROM SZERVEK ORDER BY SZERVNEV"));
        QCOMPARE(dm.MyQuery4.rowCount(), 1);
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--dump-store") == 0)
        return dumpChild(argc, argv);
    QCoreApplication app(argc, argv);
    TestBackup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_backup.moc"
