#include "admin/PendingRestore.h"
#include "admin/ZipWriter.h"

#include <QDir>
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

} // namespace

class TestPendingRestore : public QObject
{
    Q_OBJECT

    QTemporaryDir* m_dir = nullptr;
    QString m_folder; // the program folder, ending with '/'
    QString m_kovenda;

    QString request() const { return m_folder + "import.txt"; }

private slots:
    void init()
    {
        delete m_dir;
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        m_folder = m_dir->path() + "/prog/";
        m_kovenda = m_folder + "data/kovenda/";
        QDir().mkpath(m_kovenda);
        writeFile(m_kovenda + "b2.MYD", "old b2 rows");
        writeFile(m_kovenda + "keep.frm", "untouched");
    }
    void cleanupTestCase() { delete m_dir; }

    void noRequestDoesNothing()
    {
        QCOMPARE(PendingRestore(m_folder).apply(), Outcome::NoRequest);
        QCOMPARE(readFile(m_kovenda + "b2.MYD"), QByteArray("old b2 rows"));
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
        for (int start = 0; start < 2; ++start)
            QCOMPARE(PendingRestore(m_folder).apply(), Outcome::Left);
        QCOMPARE(readFile(request()), content);
        QCOMPARE(readFile(m_kovenda + "b2.MYD"), QByteArray("old b2 rows"));
    }

    void archiveIsExtractedByBareNamesAndRequestDeleted()
    {
        const QString archive = m_dir->path() + "/mentes/adatok_20121016140533.zip";
        QDir().mkpath(QFileInfo(archive).absolutePath());
        admin::writeZip(archive, {{"b2.MYD", "new b2 rows"},
                                  {"kovenda/", {}},
                                  {"kovenda/b2.MYI", "new index"},
                                  {"deep/er/szervek.MYD", "register"},
                                  {"win\\style\\beallitasok.MYD", "settings"}});
        writeFile(request(), archive.toUtf8() + "\r\n");

        QCOMPARE(PendingRestore(m_folder).apply(), Outcome::Applied);
        QVERIFY(!QFile::exists(request()));
        QCOMPARE(readFile(m_kovenda + "b2.MYD"), QByteArray("new b2 rows"));
        QCOMPARE(readFile(m_kovenda + "b2.MYI"), QByteArray("new index"));
        QCOMPARE(readFile(m_kovenda + "szervek.MYD"), QByteArray("register"));
        QCOMPARE(readFile(m_kovenda + "beallitasok.MYD"), QByteArray("settings"));
        QCOMPARE(readFile(m_kovenda + "keep.frm"), QByteArray("untouched"));
        // No folder of the archive is recreated, and nothing else is left behind.
        QCOMPARE(
            QDir(m_kovenda).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name),
            QStringList({"b2.MYD", "b2.MYI", "beallitasok.MYD", "keep.frm", "szervek.MYD"}));
    }

    void namesCannotLeaveTheDatabaseFolder()
    {
        const QString archive = m_dir->path() + "/evil.zip";
        admin::writeZip(archive,
                        {{"../../escaped.txt", "x"}, {"..\\..\\escaped2.txt", "y"}, {"sub/..", "z"}});
        writeFile(request(), archive.toUtf8());
        QCOMPARE(PendingRestore(m_folder).apply(), Outcome::Applied);
        QVERIFY(!QFile::exists(m_dir->path() + "/escaped.txt"));
        QVERIFY(!QFile::exists(m_folder + "escaped.txt"));
        QVERIFY(!QFile::exists(m_folder + "data/escaped2.txt"));
        QCOMPARE(readFile(m_kovenda + "escaped.txt"), QByteArray("x"));
        QCOMPARE(readFile(m_kovenda + "escaped2.txt"), QByteArray("y"));
    }

    void targetName_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("target");
        QTest::newRow("bare") << "b2.MYD"
                              << "b2.MYD";
        QTest::newRow("folder") << "kovenda/b2.MYD"
                                << "b2.MYD";
        QTest::newRow("backslashes") << "C:\\x\\kovenda\\b2.MYD"
                                     << "b2.MYD";
        QTest::newRow("directory entry") << "kovenda/"
                                         << "";
        QTest::newRow("dot") << "a/."
                             << "";
        QTest::newRow("dot dot") << "a/.."
                                 << "";
        QTest::newRow("climbing") << "../../etc/passwd"
                                  << "passwd";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("accented") << "mentés/szervek_ő.txt"
                                  << "szervek_ő.txt";
    }
    void targetName()
    {
        QFETCH(QString, entry);
        QFETCH(QString, target);
        QCOMPARE(PendingRestore::targetName(entry), target);
    }

    void brokenArchiveKeepsRequestAndTables()
    {
        const QString archive = m_dir->path() + "/broken.zip";
        writeFile(archive, "this is no zip archive");
        writeFile(request(), archive.toUtf8() + "\r\n");
        PendingRestore restore(m_folder);
        QCOMPARE(restore.apply(), Outcome::Failed);
        QVERIFY(!restore.errorText().isEmpty());
        QVERIFY(QFile::exists(request()));
        QCOMPARE(readFile(m_kovenda + "b2.MYD"), QByteArray("old b2 rows"));
    }

    void damagedEntryLeavesNoHalfWrittenFile()
    {
        // Two entries; the data of the second one is damaged so that reading it fails.
        const QString archive = m_dir->path() + "/damaged.zip";
        QByteArray second;
        for (int i = 0; i < 5000; ++i)
            second += QByteArray::number(i * 7919 % 10007);
        admin::writeZip(archive, {{"first.MYD", QByteArray(4000, 'g')}, {"b2.MYD", second}});
        QFile f(archive);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        // The second local header; its data follows the 30-byte header, the name and the extra field.
        const qsizetype header = bytes.indexOf("PK\x03\x04", bytes.indexOf("PK\x03\x04") + 4);
        QVERIFY(header > 0);
        const auto u16 = [&](qsizetype at) { return int(uchar(bytes[at])) | int(uchar(bytes[at + 1])) << 8; };
        const qsizetype data = header + 30 + u16(header + 26) + u16(header + 28);
        for (qsizetype i = data + 10; i < data + 40; ++i)
            bytes[i] = char(bytes[i] ^ 0x5A);
        f.seek(0);
        f.write(bytes);
        f.close();
        writeFile(request(), archive.toUtf8());

        QCOMPARE(PendingRestore(m_folder).apply(), Outcome::Failed);
        QVERIFY(QFile::exists(request()));
        QCOMPARE(readFile(m_kovenda + "b2.MYD"), QByteArray("old b2 rows"));
        // No temporary file of the failed entry is left in the database folder.
        for (const QString& name : QDir(m_kovenda).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(name == "b2.MYD" || name == "keep.frm" || name == "first.MYD", qPrintable(name));
    }
};

QTEST_GUILESS_MAIN(TestPendingRestore)
#include "tst_pendingrestore.moc"
