#include "admin/PendingRestore.h"
#include "admin/RestoreArchive.h"
#include "admin/ZipReader.h"
#include "admin/ZipWriter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using admin::PendingRestore;
using Outcome = admin::PendingRestore::Outcome;

namespace {

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

// Every file below a folder with its content, "name=content" by relative path.
QStringList contents(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out << path.mid(folder.size()) + u'=' + QString::fromUtf8(readFile(path));
    }
    out.sort();
    return out;
}

// The three files of one table, each with a content naming it.
std::vector<admin::ZipEntry> tableEntries(const QString& prefix, const QString& table, const QByteArray& tag,
                                          bool stored = false)
{
    std::vector<admin::ZipEntry> entries;
    for (const char* extension : {"frm", "MYD", "MYI"})
        entries.push_back({prefix + table + u'.' + QLatin1String(extension),
                           tag + ' ' + table.toUtf8() + '.' + extension, stored});
    return entries;
}

std::vector<admin::ZipEntry> operator+(std::vector<admin::ZipEntry> a, const std::vector<admin::ZipEntry>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Flips bytes inside the data of the entry'th local file of an archive (0-based).
void damageEntry(const QString& archive, int entry)
{
    QFile f(archive);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    qsizetype header = -1;
    for (int i = 0; i <= entry; ++i)
        header = bytes.indexOf("PK\x03\x04", header + 1);
    QVERIFY(header >= 0);
    // Its data follows the 30-byte header, the name and the extra field.
    const auto u16 = [&](qsizetype at) { return int(uchar(bytes[at])) | int(uchar(bytes[at + 1])) << 8; };
    const qsizetype data = header + 30 + u16(header + 26) + u16(header + 28);
    const qsizetype size = qsizetype(u16(header + 18)) | qsizetype(u16(header + 20)) << 16; // compressed
    QVERIFY(size > 4);
    for (qsizetype i = data + 1; i < data + std::min<qsizetype>(size - 1, 40); ++i)
        bytes[i] = char(bytes[i] ^ 0x5A);
    f.seek(0);
    f.write(bytes);
}

const QDateTime kNow(QDate(2026, 3, 14), QTime(9, 26, 53));

} // namespace

class TestPendingRestore : public QObject
{
    Q_OBJECT

    QTemporaryDir* m_dir = nullptr;
    QString m_folder; // the program folder, ending with '/'
    QString m_kovenda;
    QStringList m_before; // the database folder as the fixture left it

    QString request() const { return m_folder + "import.txt"; }

    QString archiveOf(const std::vector<admin::ZipEntry>& entries, const QString& name = "mentes.zip")
    {
        const QString path = m_dir->path() + "/mentesek/" + name;
        QDir().mkpath(QFileInfo(path).absolutePath());
        admin::writeZip(path, entries);
        return path;
    }
    void requestRestoreOf(const QString& archive) { writeFile(request(), archive.toUtf8() + "\r\n"); }

    // Nothing was replaced, nothing was left behind, and the request waits for the next start.
    void verifyUntouched()
    {
        QCOMPARE(contents(m_kovenda), m_before);
        QVERIFY(QFile::exists(request()));
        QVERIFY(!QFileInfo::exists(PendingRestore::stagingFolder(m_folder)));
    }

private slots:
    void init()
    {
        delete m_dir;
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        m_folder = m_dir->path() + "/prog/";
        m_kovenda = m_folder + "data/kovenda/";
        QDir().mkpath(m_kovenda);
        for (const char* ext : {"frm", "MYD", "MYI"}) {
            writeFile(m_kovenda + "b2." + ext, QByteArray("old b2.") + ext);
            writeFile(m_kovenda + "szervek." + ext, QByteArray("old szervek.") + ext);
        }
        writeFile(m_kovenda + "keep.txt", "untouched");
        m_before = contents(m_kovenda);
    }
    void cleanup() { PendingRestore::setFreeSpace({}); }
    void cleanupTestCase() { delete m_dir; }

    void noRequestDoesNothing()
    {
        QCOMPARE(PendingRestore(m_folder, kNow).apply(), Outcome::NoRequest);
        QCOMPARE(contents(m_kovenda), m_before);
        QVERIFY(!QFileInfo::exists(m_folder + "adatbazis_mentes"));
    }

    void requestThatCannotBeAppliedStays_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("missing archive") << QByteArray("/nowhere/adatok_20121016140533.zip\r\n");
        QTest::newRow("blank first line") << QByteArray("\r\n/also/nowhere.zip\r\n");
    }
    void requestThatCannotBeAppliedStays()
    {
        QFETCH(QByteArray, content);
        writeFile(request(), content);
        // Tried at every start, and left every time.
        for (int start = 0; start < 3; ++start)
            QCOMPARE(PendingRestore(m_folder, kNow).apply(), Outcome::Left);
        QCOMPARE(readFile(request()), content);
        QCOMPARE(contents(m_kovenda), m_before);
    }

    void tableFilesAreTakenByBareNamesAndRequestDeleted()
    {
        const QString archive =
            archiveOf(std::vector<admin::ZipEntry>{{"kovenda/", {}}, {"olvass_el.txt", "not a table file"}} +
                      tableEntries("", "b2", "new") + tableEntries("deep/er/", "szervek", "new") +
                      tableEntries("win\\style\\", "BEALLITASOK", "new") +
                      std::vector<admin::ZipEntry>{{"kovenda/db.opt", "options"}});
        requestRestoreOf(archive);

        PendingRestore restore(m_folder, kNow);
        QCOMPARE(restore.apply(), Outcome::Applied);
        QVERIFY(restore.errorText().isEmpty());
        QVERIFY(!QFile::exists(request()));
        // No folder of the archive is recreated, names take the store's spelling, files of
        // other tables and other entries stay as they were, and nothing is left behind.
        QCOMPARE(contents(m_kovenda),
                 QStringList({"b2.MYD=new b2.MYD", "b2.MYI=new b2.MYI", "b2.frm=new b2.frm",
                              "beallitasok.MYD=new BEALLITASOK.MYD", "beallitasok.MYI=new BEALLITASOK.MYI",
                              "beallitasok.frm=new BEALLITASOK.frm", "keep.txt=untouched",
                              "szervek.MYD=new szervek.MYD", "szervek.MYI=new szervek.MYI",
                              "szervek.frm=new szervek.frm"}));
        QVERIFY(!QFileInfo::exists(PendingRestore::stagingFolder(m_folder)));
    }

    void currentFilesAreSavedFirstAndCanBeRestoredBack()
    {
        requestRestoreOf(archiveOf(tableEntries("", "b2", "new") + tableEntries("", "szervek", "new")));
        PendingRestore restore(m_folder, kNow);
        QCOMPARE(restore.apply(), Outcome::Applied);
        QCOMPARE(restore.savedCopyPath(), m_folder + "adatbazis_mentes/adatok_20260314092653.zip");
        QVERIFY2(admin::checkBackupArchive(restore.savedCopyPath()).isEmpty(),
                 qPrintable(admin::checkBackupArchive(restore.savedCopyPath())));
        QVERIFY(contents(m_kovenda) != m_before);

        // A wrong restore is undone from that copy; a second one in the same second gets a name of its own.
        requestRestoreOf(restore.savedCopyPath());
        PendingRestore undo(m_folder, kNow);
        QCOMPARE(undo.apply(), Outcome::Applied);
        QCOMPARE(contents(m_kovenda), m_before);
        QCOMPARE(undo.savedCopyPath(), m_folder + "adatbazis_mentes/adatok_20260314092653_2.zip");
    }

    void namesCannotLeaveTheDatabaseFolder()
    {
        const QString archive = archiveOf({{"../../b2.frm", "x"},
                                           {"..\\..\\b2.MYD", "y"},
                                           {"/abs/olute/b2.MYI", "z"},
                                           {"sub/..", "dots"},
                                           {"../escaped.txt", "out"}});
        requestRestoreOf(archive);
        QCOMPARE(PendingRestore(m_folder, kNow).apply(), Outcome::Applied);
        QCOMPARE(readFile(m_kovenda + "b2.frm"), QByteArray("x"));
        QCOMPARE(readFile(m_kovenda + "b2.MYD"), QByteArray("y"));
        QCOMPARE(readFile(m_kovenda + "b2.MYI"), QByteArray("z"));
        QDirIterator it(m_dir->path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString name = QFileInfo(it.next()).fileName();
            QVERIFY2(name != "escaped.txt" && name != "..", qPrintable(it.filePath()));
        }
    }

    void targetName_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("target");
        QTest::newRow("bare") << "b2.MYD"
                              << "b2.MYD";
        QTest::newRow("folder") << "kovenda/b2_adatok.MYI"
                                << "b2_adatok.MYI";
        QTest::newRow("backslashes") << "C:\\x\\kovenda\\b2.frm"
                                     << "b2.frm";
        QTest::newRow("other letter case") << "SZERVEK_VERZIO.FRM"
                                           << "szervek_verzio.frm";
        QTest::newRow("climbing") << "../../temp.MYD"
                                  << "temp.MYD";
        QTest::newRow("directory entry") << "kovenda/"
                                         << "";
        QTest::newRow("dot") << "a/."
                             << "";
        QTest::newRow("dot dot") << "a/.."
                                 << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("other file") << "../../etc/passwd"
                                    << "";
        QTest::newRow("accented other file") << "mentés/szervek_ő.txt"
                                             << "";
        QTest::newRow("no such table") << "nincs.MYD"
                                       << "";
        QTest::newRow("no extension") << "b2"
                                      << "";
        QTest::newRow("other extension") << "b2.MYD.bak"
                                         << "";
        QTest::newRow("options file") << "db.opt"
                                      << "";
    }
    void targetName()
    {
        QFETCH(QString, entry);
        QFETCH(QString, target);
        QCOMPARE(PendingRestore::targetName(entry), target);
    }

    // Any archive whose table files cannot all be written changes nothing at all.
    void refusedArchiveChangesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // part of the text for the operator
        QTest::newRow("no zip archive") << "garbage"
                                        << "nem olvasható zip archívum";
        QTest::newRow("no table file") << "other files"
                                       << "nincs az adatbázishoz tartozó fájl";
        QTest::newRow("a table incomplete") << "incomplete"
                                            << "hiányoznak tábla fájlok (b2)";
        QTest::newRow("bad CRC in second stored entry") << "crc stored"
                                                        << "sérült (b2.MYD: CRC error)";
        QTest::newRow("bad data in second deflated entry") << "crc deflated"
                                                           << "sérült (b2.MYD";
        QTest::newRow("damaged entry that is not taken") << "crc other"
                                                         << "sérült (olvass_el.txt: CRC error)";
    }
    void refusedArchiveChangesNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QString archive;
        if (kind == "garbage") {
            archive = m_dir->path() + "/garbage.zip";
            writeFile(archive, "this is no zip archive");
        } else if (kind == "other files") {
            archive = archiveOf({{"kovenda/", {}}, {"kovenda/visszatoltve.txt", "restored"}});
        } else if (kind == "incomplete") {
            archive = archiveOf(tableEntries("", "szervek", "new") +
                                std::vector<admin::ZipEntry>{{"b2.MYD", "new"}});
        } else if (kind.startsWith("crc")) {
            const bool stored = kind != "crc deflated";
            QByteArray big;
            for (int i = 0; i < 5000; ++i)
                big += QByteArray::number(i * 7919 % 10007);
            std::vector<admin::ZipEntry> entries = tableEntries("", "b2", "new", stored);
            entries[1].data = big;
            if (kind == "crc other")
                entries.insert(entries.begin() + 1, admin::ZipEntry{"olvass_el.txt", big, true});
            archive = archiveOf(entries);
            damageEntry(archive, 1);
        }
        requestRestoreOf(archive);
        PendingRestore restore(m_folder, kNow);
        QCOMPARE(restore.apply(), Outcome::Failed);
        QVERIFY2(restore.errorText().contains(reason), qPrintable(restore.errorText()));
        QVERIFY(restore.errorText().contains(QDir::toNativeSeparators(archive)));
        verifyUntouched();
        // No copy is made of files that were not replaced.
        QVERIFY(!QFileInfo::exists(m_folder + "adatbazis_mentes"));
    }

    void tooLittleFreeSpaceStopsBeforeWriting()
    {
        const QString archive = archiveOf(tableEntries("", "b2", QByteArray(3000, 'n')));
        QString measured;
        PendingRestore::setFreeSpace([&](const QString& folder) {
            measured = folder;
            return qint64(5000);
        });
        requestRestoreOf(archive);
        PendingRestore restore(m_folder, kNow);
        QCOMPARE(restore.apply(), Outcome::Failed);
        QVERIFY2(restore.errorText().contains("szabad hely"), qPrintable(restore.errorText()));
        QCOMPARE(measured, m_folder);
        verifyUntouched();

        PendingRestore::setFreeSpace([](const QString&) { return qint64(1) << 40; });
        QCOMPARE(PendingRestore(m_folder, kNow).apply(), Outcome::Applied);
    }

    void noSafetyCopyNoRestore()
    {
        // Where the current files would be saved is taken by a plain file.
        writeFile(m_folder + "adatbazis_mentes", "in the way");
        requestRestoreOf(archiveOf(tableEntries("", "b2", "new")));
        PendingRestore restore(m_folder, kNow);
        QCOMPARE(restore.apply(), Outcome::Failed);
        QVERIFY(restore.errorText().contains("adatbazis_mentes"));
        verifyUntouched();
    }

    void leftoversOfAnInterruptedRestoreAreNotTaken()
    {
        const QString staging = PendingRestore::stagingFolder(m_folder);
        writeFile(staging + "szervek.MYD", "left over");
        writeFile(staging + "elozo/szervek.MYI", "left over");
        requestRestoreOf(archiveOf(tableEntries("", "b2", "new")));
        QCOMPARE(PendingRestore(m_folder, kNow).apply(), Outcome::Applied);
        QCOMPARE(readFile(m_kovenda + "b2.MYD"), QByteArray("new b2.MYD"));
        QCOMPARE(readFile(m_kovenda + "szervek.MYD"), QByteArray("old szervek.MYD"));
        QCOMPARE(readFile(m_kovenda + "szervek.MYI"), QByteArray("old szervek.MYI"));
        QVERIFY(!QFileInfo::exists(staging));
    }

    void emptyDatabaseFolderIsRestoredWithoutCopy()
    {
        QVERIFY(QDir(m_folder + "data").removeRecursively());
        requestRestoreOf(archiveOf(tableEntries("", "b2", "new")));
        PendingRestore restore(m_folder, kNow);
        QCOMPARE(restore.apply(), Outcome::Applied);
        QVERIFY(restore.savedCopyPath().isEmpty());
        QCOMPARE(contents(m_kovenda),
                 QStringList({"b2.MYD=new b2.MYD", "b2.MYI=new b2.MYI", "b2.frm=new b2.frm"}));
    }
};

QTEST_GUILESS_MAIN(TestPendingRestore)
#include "tst_pendingrestore.moc"
