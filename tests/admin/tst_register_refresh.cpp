#include "admin/RegisterRefresh.h"
#include "store/DataModule.h"
#include "store/SqlError.h"
#include "support/ProgramFolder.h"
#include "support/XlsWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <map>

using namespace testsupport;

namespace {

const QStringList kHeader = {"TKOD", "SZERVNEV", "ROVIDNEV", "IRSZ", "TELEPULES", "MINOSITETT"};
const QDateTime kVersion(QDate(2012, 10, 16), QTime(14, 5, 33));

const QString kCannotOpen = "Nem lehet a fájlot megnyitni!";
const QString kBadFile = "Hiba történt, nem jó xls fájl!";
const QString kNoVersion = "Szervek verzióját nem lehet lekérdezni!";
const QString kFillFailed = "Hiba a SZERVEK_TEMP tábla feltöltésekor! Frissítés leállítva!";
const QString kSucceeded = "SZERVEK tábla frissítése sikeres!";
// The damaged files that the reader refuses as a whole.
const QStringList kUnreadable = {
    "password.xls",         "wide_columns.xls",  "wide_cell.xls", "huge_dimensions.xls", "truncated_half.xls",
    "truncated_header.xls", "bad_signature.xls", "bad_fat.xls",   "bad_bof.xls",         "text.xls",
    "xlsx_renamed.xls",     "empty.xls"};
const QString kInsert =
    "INSERT INTO SZERVEK_TEMP (TKOD, SZERVNEV, ROVIDNEV, IRSZ, TELEPULES,MINOSITETT) VALUES "
    "(:TKOD, :SZERVNEV, :ROVIDNEV, :IRSZ, :TELEPULES, :MINOSITETT)";

// n organisations as text cells: code "000001" …, name "Szerv 1" …, short name, postal code, town, flag.
XlsSheet organisations(int n)
{
    XlsSheet sheet{{kHeader.begin(), kHeader.end()}};
    for (int i = 1; i <= n; ++i)
        sheet.push_back({QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')),
                         QStringLiteral("Szerv %1").arg(i), QStringLiteral("Sz%1").arg(i), "1011", "Budapest",
                         i % 2 ? "0" : "1"});
    return sheet;
}

std::vector<XlsSheet> book(XlsSheet first, QVariant version = kVersion)
{
    return {std::move(first), XlsSheet{{"VERZIO"}, {version}}};
}

// Named register workbooks; each is written once per test run.
const std::map<QString, std::function<std::vector<XlsSheet>()>>& fixtures()
{
    static const std::map<QString, std::function<std::vector<XlsSheet>()>> all = {
        {"good", [] { return book(organisations(3)); }},
        {"version as text", [] { return book(organisations(3), "2012.10.16. 14:05:33"); }},
        {"version as spaced text", [] { return book(organisations(3), "2012. 10. 16. 14:05:33"); }},
        {"sixth header misspelt",
         [] {
             XlsSheet sheet = organisations(3);
             sheet[0][5] = "MINOSITET";
             return book(sheet);
         }},
        {"headers swapped",
         [] {
             XlsSheet sheet = organisations(3);
             std::swap(sheet[0][2], sheet[0][3]);
             return book(sheet);
         }},
        {"empty name in row 57",
         [] {
             XlsSheet sheet = organisations(60);
             sheet[56][1] = QVariant();
             return book(sheet);
         }},
        {"empty code in the last row",
         [] {
             XlsSheet sheet = organisations(60);
             sheet[60][0] = QVariant();
             return book(sheet);
         }},
        {"empty optional cells",
         [] {
             XlsSheet sheet = organisations(3);
             for (int column : {2, 3, 4, 5})
                 sheet[2][column] = QVariant();
             return book(sheet);
         }},
        {"no date in A2", [] { return book(organisations(3), "nincs dátum"); }},
        {"empty A2", [] { return book(organisations(3), QVariant()); }},
        {"one sheet", [] { return std::vector<XlsSheet>{organisations(3)}; }},
        {"header only", [] { return book(organisations(0)); }},
        {"no date and empty name",
         [] {
             XlsSheet sheet = organisations(3);
             sheet[2][1] = QVariant();
             return book(sheet, "2012.13.40. 25:00:00");
         }},
        {"typed cells",
         [] {
             XlsSheet sheet{{kHeader.begin(), kHeader.end()}};
             sheet.push_back({"012345", "Árvíztűrő Tükörfúrógép Kft.", "ÁTF", 1011, "Győr", 1});
             sheet.push_back({123456, "Numerikus kódú szerv", QVariant(), 9700.0, QVariant(), 0});
             return book(sheet);
         }},
        {"251 used rows", [] { return book(organisations(250)); }},
        {"newer", [] { return book(organisations(2), QDateTime(QDate(2013, 1, 2), QTime(3, 4, 5))); }},
    };
    return all;
}

} // namespace

class TestRegisterRefresh : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    std::map<QString, QString> m_written;
    RecordingMessages m_messages;
    QStringList m_statements;
    std::vector<std::pair<int, int>> m_progress;
    int m_copied = 0;

    store::TDM1& dm() { return store::TDM1::instance(); }
    store::Query& query() { return dm().MyQuery3; }

    QString fixture(const QString& name)
    {
        auto found = m_written.find(name);
        if (found != m_written.end())
            return found->second;
        const QString path = m_folder.filePath(QString(name).replace(u' ', u'_') + ".xls");
        writeXls(path, fixtures().at(name)());
        m_written[name] = path;
        return path;
    }

    static QString malformed(const QString& name)
    {
        return QStringLiteral(DISPORA_SOURCE_DIR "/tests/admin/data/malformed/") + name;
    }

    bool refresh(const QString& path, const QDateTime& version = kVersion)
    {
        return admin::refreshRegister(
            query(), path, version, m_messages,
            [this](int written, int total) {
                m_progress.push_back({written, total});
            },
            [this] { ++m_copied; });
    }

    // A register the refresh must leave alone or put back, with every column filled in
    // somewhere, empty values and accents included.
    void fillPreviousRegister(int n)
    {
        for (int i = 1; i <= n; ++i)
            exec(
                "INSERT INTO SZERVEK (TKOD,SZERVNEV,ROVIDNEV,IRSZ,TELEPULES,MINOSITETT,SZERVCIM,TELEFON,CIM) "
                "VALUES (:t,:n,:r,:i,:tel,:m,:sc,:f,:c)",
                {{"t", QStringLiteral("9%1").arg(i, 5, 10, QLatin1Char('0'))},
                 {"n", QStringLiteral("Régi szerv %1").arg(i)},
                 {"r", i % 3 ? QVariant(QStringLiteral("Rsz%1").arg(i)) : QVariant()},
                 {"i", "1055"},
                 {"tel", "Kőszeg"},
                 {"m", i % 2},
                 {"sc", QStringLiteral("Fő utca %1.").arg(i)},
                 {"f", i % 4 ? QVariant("+36 1 234 5678") : QVariant()},
                 {"c", "Pf. 12"}});
        exec("INSERT INTO SZERVEK_VERZIO (VERZIO_DATUMIDO) VALUES ('2011-01-01 08:00:00')");
    }
    QStringList registerRows() { return rows("SELECT * FROM SZERVEK ORDER BY TKOD"); }
    QStringList versionRows() { return rows("SELECT * FROM SZERVEK_VERZIO"); }

    // The store fails every statement that starts with one of these texts (all of its runs).
    void failStatementsStartingWith(const QStringList& prefixes)
    {
        m_statements.clear();
        dm().MyConnection1.setStatementFault([this, prefixes](const QString& sql) -> std::optional<QString> {
            m_statements << sql;
            for (const QString& prefix : prefixes) {
                if (sql.startsWith(prefix))
                    return QStringLiteral("Table is marked as crashed");
            }
            return std::nullopt;
        });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        programFolder();
    }
    void init()
    {
        resetTables();
        m_messages.texts.clear();
        m_statements.clear();
        m_progress.clear();
        m_copied = 0;
    }
    void cleanup() { dm().MyConnection1.setStatementFault({}); }

    void checkOfAFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QDateTime>("version");

        const QStringList refused{kBadFile};
        const QStringList noVersion{kNoVersion, kBadFile};
        QTest::newRow("good") << "good" << QStringList() << kVersion;
        QTest::newRow("version as text") << "version as text" << QStringList() << kVersion;
        QTest::newRow("version as spaced text") << "version as spaced text" << QStringList() << kVersion;
        QTest::newRow("typed cells") << "typed cells" << QStringList() << kVersion;
        QTest::newRow("empty short name, postal code, town, flag")
            << "empty optional cells" << QStringList() << kVersion;
        QTest::newRow("sixth header misspelt") << "sixth header misspelt" << refused << kVersion;
        QTest::newRow("headers swapped") << "headers swapped" << refused << kVersion;
        QTest::newRow("empty name in row 57") << "empty name in row 57" << refused << kVersion;
        QTest::newRow("empty code in the last row") << "empty code in the last row" << refused << kVersion;
        QTest::newRow("no organisation below the header") << "header only" << refused << kVersion;
        QTest::newRow("no date in A2") << "no date in A2" << noVersion << QDateTime();
        QTest::newRow("empty A2") << "empty A2" << noVersion << QDateTime();
        QTest::newRow("no second sheet") << "one sheet" << noVersion << QDateTime();
        QTest::newRow("impossible date and an empty name")
            << "no date and empty name" << noVersion << QDateTime();

        // Files the reader cannot take are never half-checked.
        for (const QString& name : kUnreadable)
            QTest::newRow(qPrintable(name)) << malformed(name) << QStringList{kCannotOpen} << QDateTime();
        QTest::newRow("file the spreadsheet library crashes on")
            << QStringLiteral(DISPORA_SOURCE_DIR "/tests/admin/data/xls_corpus/freexl_open_crash.xls")
            << QStringList{kCannotOpen} << QDateTime();
        QTest::newRow("unreadable version sheet")
            << malformed("wide_version_sheet.xls") << noVersion << QDateTime();
        QTest::newRow("missing file")
            << m_folder.filePath("nincs.xls") << QStringList{kCannotOpen} << QDateTime();
        QTest::newRow("folder") << m_folder.path() << QStringList{kCannotOpen} << QDateTime();
    }
    void checkOfAFile()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, messages);
        QFETCH(QDateTime, version);
        const QString path = fixtures().count(file) ? fixture(file) : file;

        const admin::RegisterFileCheck check = admin::checkRegisterFile(path, m_messages);
        QCOMPARE(m_messages.texts, messages);
        QCOMPARE(check.passed, messages.isEmpty());
        QCOMPARE(check.version, version);
    }

    void checkOfTheLargestSheet()
    {
        // 65,536 rows is all a sheet can hold; a count cut to 16 bits would miss the last row.
        XlsSheet full = organisations(65535);
        full.back()[1] = QVariant();
        const QString path = m_folder.filePath("full_last_nameless.xls");
        writeXls(path, book(full));
        const admin::RegisterFileCheck check = admin::checkRegisterFile(path, m_messages);
        QVERIFY(!check.passed);
        QCOMPARE(m_messages.texts, QStringList{kBadFile});
    }

    void question_data()
    {
        QTest::addColumn<QString>("versionField");
        QTest::addColumn<QDateTime>("newVersion");
        QTest::addColumn<QString>("question"); // empty: refresh at once

        QTest::newRow("equal")
            << "2012.10.16. 14:05:33" << kVersion
            << "A jelenlegi adatbázis verziója (2012.10.16. 14:05:33) megegyezik a frissítés "
               "(2012.10.16. 14:05:33) verziójával! Valóban frissíteni szeretné?";
        QTest::newRow("stored later")
            << "2013.01.02. 03:04:05" << kVersion
            << "A jelenlegi adatbázis (2013.01.02. 03:04:05) újabb mint amivel "
               "(2012.10.16. 14:05:33) frissíteni szeretné! Valóban frissíteni szeretné?";
        QTest::newRow("stored a second later")
            << "2012.10.16. 14:05:34" << kVersion
            << "A jelenlegi adatbázis (2012.10.16. 14:05:34) újabb mint amivel "
               "(2012.10.16. 14:05:33) frissíteni szeretné! Valóban frissíteni "
               "szeretné?";
        QTest::newRow("stored earlier") << "2012.10.16. 14:05:32" << kVersion << QString();
        QTest::newRow("unknown version") << "Ismeretlen verzió!" << kVersion << QString();
        QTest::newRow("empty field") << "" << kVersion << QString();
    }
    void question()
    {
        QFETCH(QString, versionField);
        QFETCH(QDateTime, newVersion);
        QFETCH(QString, question);
        const std::optional<QString> asked = admin::refreshQuestion(versionField, newVersion);
        QCOMPARE(asked.has_value(), !question.isEmpty());
        if (asked)
            QCOMPARE(*asked, question);
    }

    void versionText()
    {
        QCOMPARE(admin::registerVersionText(query()), QString("Ismeretlen verzió!"));
        exec("INSERT INTO SZERVEK_VERZIO (VERZIO_DATUMIDO) VALUES ('2012-10-16 14:05:33'), ('2013-01-02 "
             "03:04:05'), "
             "('2011-05-06 07:08:09')");
        QCOMPARE(admin::registerVersionText(query()), QString("2013.01.02. 03:04:05"));
    }

    void refreshWritesEveryRowWithProgress()
    {
        fillPreviousRegister(4);
        watchStatements(m_statements);
        QVERIFY(refresh(fixture("251 used rows")));
        const QStringList statements = m_statements;
        dm().MyConnection1.setStatementFault({});

        QCOMPARE(m_messages.texts, QStringList{kSucceeded});
        QCOMPARE(scalar("SELECT COUNT(*) FROM SZERVEK").toInt(), 250);
        QCOMPARE(scalar("SELECT COUNT(*) FROM SZERVEK_TEMP").toInt(), 0);
        QCOMPARE(rows("SELECT * FROM SZERVEK WHERE TKOD='000250'"),
                 QStringList{"000250|Szerv 250|Sz250|1011|Budapest|1|NULL|NULL|NULL"});
        QCOMPARE(versionRows(), QStringList{"2012-10-16 14:05:33"});
        QCOMPARE(m_copied, 1);

        QCOMPARE(int(m_progress.size()), 251);
        QCOMPARE(m_progress.front(), std::make_pair(0, 250));
        QCOMPARE(m_progress[1], std::make_pair(1, 250));
        QCOMPARE(m_progress.back(), std::make_pair(250, 250));

        QCOMPARE(statements.first(), QString("truncate table SZERVEK_TEMP"));
        QCOMPARE(statements.count(kInsert), 250);
        const QStringList tail = statements.mid(statements.lastIndexOf(kInsert) + 1);
        QCOMPARE(tail,
                 (QStringList{"SELECT * FROM SZERVEK", "truncate table SZERVEK",
                              "INSERT INTO SZERVEK SELECT * FROM SZERVEK_TEMP", "truncate table SZERVEK_TEMP",
                              "truncate table SZERVEK_VERZIO",
                              "INSERT INTO SZERVEK_VERZIO (VERZIO_DATUMIDO) VALUES (:VERZIO_DATUMIDO)"}));
    }

    void cellsAreStoredAsText()
    {
        QVERIFY(refresh(fixture("typed cells")));
        QCOMPARE(registerRows(),
                 (QStringList{"012345|Árvíztűrő Tükörfúrógép Kft.|ÁTF|1011|Győr|1|NULL|NULL|NULL",
                              "123456|Numerikus kódú szerv||9700||0|NULL|NULL|NULL"}));
    }

    void emptyFlagIsStoredAsZero()
    {
        QVERIFY(refresh(fixture("empty optional cells")));
        QCOMPARE(rows("SELECT ROVIDNEV, IRSZ, TELEPULES, MINOSITETT FROM SZERVEK WHERE TKOD='000002'"),
                 QStringList{"|||0"});
    }

    void failedCopyPutsThePreviousRegisterBack_data()
    {
        QTest::addColumn<QStringList>("failing");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("copy") << QStringList{"INSERT INTO SZERVEK SELECT"} << QStringList{kFillFailed};
        QTest::newRow("emptying SZERVEK_TEMP after the copy")
            << QStringList{"truncate table SZERVEK_TEMP#2"} << QStringList{kFillFailed};
        QTest::newRow("copy and putting back")
            << QStringList{"INSERT INTO SZERVEK SELECT", "INSERT INTO SZERVEK (TKOD"}
            << QStringList{
                   kFillFailed,
                   "A SZERVEK tábla korábbi tartalmát nem sikerült visszaírni! (Table is marked as crashed)"};
    }
    void failedCopyPutsThePreviousRegisterBack()
    {
        QFETCH(QStringList, failing);
        QFETCH(QStringList, messages);
        fillPreviousRegister(25); // more rows than go into one statement of the putting back
        const QStringList before = registerRows();
        const QStringList versionBefore = versionRows();
        QCOMPARE(before.size(), 25);

        // "text#n": only the n-th run of that statement fails.
        m_statements.clear();
        dm().MyConnection1.setStatementFault([this, failing](const QString& sql) -> std::optional<QString> {
            m_statements << sql;
            for (const QString& entry : failing) {
                const QString text = entry.section(u'#', 0, 0);
                const int nth = entry.contains(u'#') ? entry.section(u'#', 1).toInt() : 0;
                if (sql.startsWith(text) && (nth == 0 || m_statements.count(sql) == nth))
                    return QStringLiteral("Table is marked as crashed");
            }
            return std::nullopt;
        });
        QVERIFY(!refresh(fixture("251 used rows")));
        dm().MyConnection1.setStatementFault({});

        QCOMPARE(m_messages.texts, messages);
        QCOMPARE(m_copied, 0);
        QCOMPARE(versionRows(), versionBefore);
        if (messages.size() == 1)
            QCOMPARE(registerRows(), before);
    }

    void failureBeforeTheCopyLeavesTheRegister_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("message");
        QTest::newRow("emptying SZERVEK_TEMP")
            << "truncate table SZERVEK_TEMP"
            << "Nem sikerült törölni a SZERVEK_TEMP táblát! Frissítés leállítva!";
        QTest::newRow("filling SZERVEK_TEMP") << kInsert << kFillFailed;
        QTest::newRow("reading the register") << "SELECT * FROM SZERVEK" << kFillFailed;
    }
    void failureBeforeTheCopyLeavesTheRegister()
    {
        QFETCH(QString, failing);
        QFETCH(QString, message);
        fillPreviousRegister(5);
        const QStringList before = registerRows();
        watchStatements(m_statements, failing);
        QVERIFY(!refresh(fixture("251 used rows")));
        QCOMPARE(m_messages.texts, QStringList{message});
        QVERIFY(!m_statements.contains("truncate table SZERVEK"));
        QCOMPARE(registerRows(), before);
        QCOMPARE(versionRows(), QStringList{"2011-01-01 08:00:00"});
        QCOMPARE(m_copied, 0);
    }

    void failedVersionStepStillRefreshes()
    {
        fillPreviousRegister(2);
        failStatementsStartingWith({"INSERT INTO SZERVEK_VERZIO"});
        QVERIFY(refresh(fixture("newer"), QDateTime(QDate(2013, 1, 2), QTime(3, 4, 5))));
        QCOMPARE(m_messages.texts, (QStringList{"Verzió adat hiba!", kSucceeded}));
        QCOMPARE(rows("SELECT TKOD FROM SZERVEK ORDER BY TKOD"), (QStringList{"000001", "000002"}));
        QCOMPARE(m_copied, 1);
    }

    void unreadableFileChangesNothing_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString& name : kUnreadable)
            QTest::newRow(qPrintable(name)) << malformed(name);
        QTest::newRow("missing file") << m_folder.filePath("nincs.xls");
        QTest::newRow("file the spreadsheet library crashes on")
            << QStringLiteral(DISPORA_SOURCE_DIR "/tests/admin/data/xls_corpus/freexl_open_crash.xls");
    }
    void unreadableFileChangesNothing()
    {
        QFETCH(QString, file);
        fillPreviousRegister(3);
        const QStringList before = registerRows();
        watchStatements(m_statements);
        QVERIFY(!refresh(file));
        QCOMPARE(m_messages.texts, QStringList{kCannotOpen});
        QCOMPARE(m_statements, QStringList());
        QCOMPARE(registerRows(), before);
    }

    void fileChangedAfterItsCheckIsNotLoaded()
    {
        fillPreviousRegister(3);
        const QString path = m_folder.filePath("changed.xls");
        writeXls(path, fixtures().at("good")());
        QVERIFY(admin::checkRegisterFile(path, m_messages).passed);
        writeXls(path, fixtures().at("empty name in row 57")());
        const QStringList before = registerRows();
        QVERIFY(!refresh(path));
        QCOMPARE(m_messages.texts, QStringList{kFillFailed});
        QCOMPARE(registerRows(), before);
    }
};

QTEST_GUILESS_MAIN(TestRegisterRefresh)
#include "tst_register_refresh.moc"
