#include "app/AppState.h"
#include "app/PrintJob.h"
#include "app/ui/GuiServices.h"
#include "lists/ListKind.h"
#include "lists/ListPrinting.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QTest>
#include <stdexcept>

using namespace testsupport;
using lists::listKind;
using lists::PrintResult;

namespace {

store::TDM1& dm()
{
    return store::TDM1::instance();
}

int insertItem(const QString& table, int list, int mjel, int pieces, int plain, int serial, int parent,
               const QString& registration, const QString& addressee = QStringLiteral("Posta"))
{
    exec(QStringLiteral(
             "INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,KCIMZETT,SZAMNELKULI,SORSZAM,KCIMZETT_AZ,DB,SZULO_ID) "
             "VALUES (:l,:i,:m,:k,:sz,:s,:az,:db,:p)")
             .arg(table),
         {{"l", list},
          {"i", registration},
          {"m", mjel},
          {"k", addressee},
          {"sz", plain},
          {"s", serial},
          {"az", "0"},
          {"db", pieces},
          {"p", parent}});
    return scalar("SELECT LAST_INSERT_ID()").toInt();
}

// Items written as "MJEL:DB:SZAMNELKULI:parent;…", the parent being the 1-based position
// of an earlier item of the same text (0 for a top-level item).
void insertItems(const QString& table, int list, const QString& items)
{
    QList<int> ids;
    int serial = 0;
    for (const QString& item : items.split(';', Qt::SkipEmptyParts)) {
        const QStringList f = item.split(':');
        const int parent = f[3].toInt();
        const int parentId = parent ? ids[parent - 1] : 0;
        const bool plain = f[0].toInt() == 6;
        ids << insertItem(table, list, f[0].toInt(), f[1].toInt(), f[2].toInt(), parent ? 0 : ++serial,
                          parentId, plain ? QString() : QStringLiteral("%1/2026").arg(ids.size() + 100),
                          plain ? QString() : QStringLiteral("Posta"));
    }
}

void openView(const QString& table, int list)
{
    dm().MyQuery2.open(
        QStringLiteral("SELECT * FROM %1 WHERE LSZAM=:lszam ORDER BY SORSZAM,szulo_id,tetel_id").arg(table),
        {{"lszam", list}});
}

void insertHeader(const QString& table, int list, const QVariant& printed = {}, const QVariant& count = {})
{
    exec(QStringLiteral(
             "INSERT INTO %1 (JCIMZETT,LSZAM,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) VALUES (:j,:l,:d,:c)")
             .arg(table),
         {{"j", "Posta"}, {"l", list}, {"d", printed}, {"c", count}});
}

QStringList headers(const QString& table)
{
    return rows(
        QStringLiteral("SELECT LSZAM,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY FROM %1 ORDER BY LSZAM").arg(table));
}

} // namespace

class TestPrintRun : public QObject
{
    Q_OBJECT
    Services* services = nullptr;

private slots:
    void initTestCase()
    {
        programFolder();
        services = &installServices();
    }

    void init()
    {
        resetTables();
        services->messages.texts.clear();
        services->printers.clear();
        services->printers.names = {QStringLiteral("Iroda"), QStringLiteral("Titkarsag")};
        services->printers.current = 0;
        services->clock.moment = QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53));
        app::AppState& state = app::appState();
        state.ownCode = QStringLiteral("123456");
        state.ownName = QStringLiteral("Központi Irattár");
        state.printerIndex = 0;
        state.useDefaultPrinter = false;
        state.marginTop = state.marginBottom = state.marginLeft = state.marginRight = 10;
    }

    void countsAndLines_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("items");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("barcode");
        QTest::newRow("number-less only") << 1 << "6:7:7:0"
                                          << "Minősített: 0 db,      Nyilvántartott: 0 db,      Sima: 7 db."
                                          << "Összesen: 7 db küldemény."
                                          << "1-123456-1-0-0-7";
        QTest::newRow("classified and registered")
            << 1 << "2:1:3:0;2:1:3:0;2:1:3:0;5:2:2:0"
            << "Minősített: 3 db,      Nyilvántartott: 2 db,      Sima: 0 db."
            << "Összesen: 5 db küldemény."
            << "1-123456-1-3-2-0";
        QTest::newRow("all three") << 3 << "1:1:2:0;1:1:2:0;5:4:4:0;5:1:1:0;6:3:3:0"
                                   << "Minősített: 2 db,      Nyilvántartott: 5 db,      Sima: 3 db."
                                   << "Összesen: 10 db küldemény."
                                   << "3-123456-1-2-5-3";
        QTest::newRow("B-2 group members not counted")
            << 1 << "2:1:1:0;2:1:1:1;2:1:1:1;5:1:1:0;5:1:1:4"
            << "Minősített: 1 db,      Nyilvántartott: 1 db,      Sima: 0 db."
            << "Összesen: 2 db küldemény."
            << "1-123456-1-1-1-0";
        QTest::newRow("BZS-3 group members not counted")
            << 2 << "3:1:1:0;3:1:1:1"
            << "Minősített: 1 db,      Nyilvántartott: 0 db,      Sima: 0 db."
            << "Összesen: 1 db küldemény."
            << "2-123456-1-1-0-0";
        QTest::newRow("B-2 NATO group members not counted")
            << 4 << "0:1:0:0;0:1:0:1;0:1:0:1;0:1:0:0"
            << "Minősített: 2 db,      Nyilvántartott: 0 db,      Sima: 0 db."
            << "Összesen: 2 db küldemény."
            << "4-123456-1-2-0-0";
        QTest::newRow("BZS-3 NATO group members counted")
            << 5 << "0:1:0:0;0:1:0:1;0:1:0:1;0:1:0:0"
            << "Minősített: 4 db,      Nyilvántartott: 0 db,      Sima: 0 db."
            << "Összesen: 4 db küldemény."
            << "5-123456-1-4-0-0";
        QTest::newRow("BZS-3 NATO registered members counted")
            << 5 << "5:2:2:0;5:1:1:1"
            << "Minősített: 0 db,      Nyilvántartott: 3 db,      Sima: 0 db."
            << "Összesen: 3 db küldemény."
            << "5-123456-1-0-3-0";
    }
    void countsAndLines()
    {
        QFETCH(int, kind);
        QFETCH(QString, items);
        QFETCH(QString, summary);
        QFETCH(QString, total);
        QFETCH(QString, barcode);
        const auto& info = listKind(kind);
        insertItems(info.itemTable, 1, items);
        // Another list of the same kind stays out of the counts.
        insertItems(info.itemTable, 2, "5:9:9:0;6:4:4:0;0:1:0:0");
        insertHeader(info.headerTable, 1);
        openView(info.itemTable, 1);
        QCOMPARE(lists::barcodeValue(info, "123456", 1, lists::countPieces(dm(), info, 1)), barcode);
        QCOMPARE(lists::printList(dm(), kind, 1, "Posta", services->messages), PrintResult::Printed);
        QCOMPARE(app::appState().summaryLine, summary);
        QCOMPARE(app::appState().totalLine, total);
        QVERIFY(services->messages.texts.isEmpty());
    }

    void refusalsChangeNothing_data()
    {
        QTest::addColumn<bool>("withItems");
        QTest::addColumn<QString>("addressee");
        QTest::addColumn<QString>("message");
        QTest::newRow("no items") << false << "Posta"
                                  << "Nincs tétele a jegyzéknek, nem lehet nyomtatni!";
        QTest::newRow("no addressee") << true << ""
                                      << "Nincs megadva a futárjegyzék címzettje!";
        QTest::newRow("neither") << false << ""
                                 << "Nincs tétele a jegyzéknek, nem lehet nyomtatni!";
    }
    void refusalsChangeNothing()
    {
        QFETCH(bool, withItems);
        QFETCH(QString, addressee);
        QFETCH(QString, message);
        insertHeader("B2_ADATOK", 1);
        if (withItems)
            insertItems("B2", 1, "2:1:1:0");
        openView("B2", 1);
        const QStringList before = headers("B2_ADATOK");
        QCOMPARE(lists::printList(dm(), 1, 1, addressee, services->messages), PrintResult::Refused);
        QCOMPARE(services->messages.texts, QStringList{message});
        QCOMPARE(services->printers.calls, 0);
        QCOMPARE(headers("B2_ADATOK"), before);
    }

    void noPrinterInstalled()
    {
        services->printers.names.clear();
        services->printers.current = -1;
        insertHeader("B2_ADATOK", 1);
        insertItems("B2", 1, "2:1:1:0");
        openView("B2", 1);
        QCOMPARE(lists::printList(dm(), 1, 1, "Posta", services->messages), PrintResult::Refused);
        QCOMPARE(services->messages.texts,
                 QStringList{"Nincs telepített nyomtató, a jegyzék nem nyomtatható!"});
        QCOMPARE(services->printers.calls, 0);
        QCOMPARE(headers("B2_ADATOK"), QStringList{"1|NULL|NULL"});
    }

    void printerChoice_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("current");
        QTest::addColumn<bool>("useDefault");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("printer");
        const QStringList three = {"Iroda", "Titkarsag", "Raktar"};
        QTest::newRow("stored position") << three << 0 << false << 2 << "Raktar";
        QTest::newRow("default asked for") << three << 1 << true << 2 << "Titkarsag";
        QTest::newRow("position removed") << three << 1 << false << 3 << "Titkarsag";
        QTest::newRow("negative position") << three << 2 << false << -1 << "Raktar";
        QTest::newRow("no default, position removed") << three << -1 << false << 7 << "Iroda";
        QTest::newRow("no default asked for") << three << -1 << true << 2 << "Iroda";
    }
    void printerChoice()
    {
        QFETCH(QStringList, names);
        QFETCH(int, current);
        QFETCH(bool, useDefault);
        QFETCH(int, index);
        QFETCH(QString, printer);
        services->printers.names = names;
        services->printers.current = current;
        app::appState().useDefaultPrinter = useDefault;
        app::appState().printerIndex = index;
        insertItems("B2", 1, "2:1:1:0");
        openView("B2", 1);
        QCOMPARE(lists::printList(dm(), 1, 1, "Posta", services->messages), PrintResult::Printed);
        QCOMPARE(int(services->printers.jobs.size()), 2);
        for (const PrintedJob& job : services->printers.jobs)
            QCOMPARE(job.printer, printer);
    }

    void twoJobsWithThePageSettings()
    {
        app::AppState& state = app::appState();
        state.marginTop = 12;
        state.marginBottom = 15;
        state.marginLeft = 8;
        state.marginRight = 20;
        insertItems("B2", 1, QStringList(40, "2:1:40:0").join(';'));
        openView("B2", 1);
        QCOMPARE(lists::printList(dm(), 1, 1, "Posta", services->messages), PrintResult::Printed);
        const auto& jobs = services->printers.jobs;
        QCOMPARE(int(jobs.size()), 2);
        for (const PrintedJob& job : jobs) {
            QCOMPARE(job.printer, "Iroda");
            QCOMPARE(job.title, "Kovenda");
            QCOMPARE(job.pageSize.id(), QPageSize::A4);
            QCOMPARE(job.orientation, QPageLayout::Portrait);
            QCOMPARE(job.marginsMm, QMarginsF(8, 12, 20, 15));
            QCOMPARE(job.copies, 1);
            QCOMPARE(job.pageCount, 2);
            QCOMPARE(job.pagesPainted, 2);
        }
        QCOMPARE(state.totalPages, 2);
    }

    void itemViewIsReadAfreshForEachCopy()
    {
        insertItems("B2", 1, QStringList(31, "2:1:31:0").join(';'));
        openView("B2", 1);
        // An item saved after the view was read still goes on paper.
        insertItem("B2", 1, 2, 1, 1, 32, 0, "999/2026");
        QCOMPARE(lists::printList(dm(), 1, 1, "Posta", services->messages), PrintResult::Printed);
        QCOMPARE(services->printers.jobs.at(0).pageCount, 2);
        QCOMPARE(dm().MyQuery2.rowCount(), 32);
    }

    void printerFailureStampsNothing_data()
    {
        QTest::addColumn<int>("failingJob");
        QTest::newRow("copy 1") << 1;
        QTest::newRow("copy 2") << 2;
    }
    void printerFailureStampsNothing()
    {
        QFETCH(int, failingJob);
        services->printers.failAtJob = failingJob;
        insertHeader("B2_ADATOK", 1);
        insertItems("B2", 1, "2:1:1:0");
        openView("B2", 1);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 lists::printList(dm(), 1, 1, "Posta", services->messages));
        QCOMPARE(services->printers.calls, failingJob);
        QCOMPARE(int(services->printers.jobs.size()), failingJob - 1);
        QCOMPARE(headers("B2_ADATOK"), QStringList{"1|NULL|NULL"});
    }

    void printingTheActiveListClosesIt_data()
    {
        QTest::addColumn<QVariant>("count");
        QTest::addColumn<QString>("stamped");
        // The item entry writes a new header without a count; it starts at 0, so the first
        // printing records 1 at once.
        QTest::newRow("header as the entry writes it") << QVariant() << "2|2026-03-14 09:26:53|1";
        QTest::newRow("header with a count") << QVariant(0) << "2|2026-03-14 09:26:53|1";
    }
    void printingTheActiveListClosesIt()
    {
        QFETCH(QVariant, count);
        QFETCH(QString, stamped);
        insertHeader("B2_ADATOK", 1, QDateTime(QDate(2026, 3, 1), QTime(8, 0)), 1);
        if (count.isNull())
            exec("INSERT INTO B2_ADATOK (JCIMZETT,LSZAM) VALUES (:JCIMZETT,:LSZAM)",
                 {{"JCIMZETT", "Posta"}, {"LSZAM", 2}});
        else
            insertHeader("B2_ADATOK", 2, QVariant(), count);
        insertItems("B2", 2, "2:1:1:0");
        openView("B2", 2);
        QCOMPARE(lists::printList(dm(), 1, 2, "Posta", services->messages), PrintResult::Printed);
        QCOMPARE(headers("B2_ADATOK"), QStringList({"1|2026-03-01 08:00:00|1", stamped}));
        QCOMPARE(app::appState().printMoment, services->clock.moment);
        // The next active list is a new one.
        QVERIFY(rows("SELECT * FROM b2_adatok WHERE lszam = (select max(lszam) from b2_adatok) and  "
                     "NYOMTATAS_DATUMA IS NULL;")
                    .isEmpty());
    }

    void printingThePreviousListAgain()
    {
        insertHeader("B2_ADATOK", 2, QDateTime(QDate(2026, 2, 2), QTime(8, 0)), 1);
        insertHeader("B2_ADATOK", 3, QDateTime(QDate(2026, 3, 1), QTime(8, 0)), 1);
        insertItems("B2", 3, "5:2:2:0");
        openView("B2", 3);
        services->clock.moment = QDateTime(QDate(2026, 3, 15), QTime(10, 0, 1));
        QCOMPARE(lists::printList(dm(), 1, 3, "Posta", services->messages), PrintResult::Printed);
        QCOMPARE(headers("B2_ADATOK").last(), "3|2026-03-15 10:00:01|2");
        services->clock.moment = QDateTime(QDate(2026, 3, 16), QTime(11, 30, 0));
        QCOMPARE(lists::printList(dm(), 1, 3, "Posta", services->messages), PrintResult::Printed);
        QCOMPARE(headers("B2_ADATOK"), QStringList({"2|2026-02-02 08:00:00|1", "3|2026-03-16 11:30:00|3"}));
        QCOMPARE(scalar("SELECT LSZAM FROM B2_ADATOK WHERE NOT (NYOMTATAS_DATUMA IS NULL) ORDER BY LSZAM "
                        "DESC limit 1")
                     .toInt(),
                 3);
        QCOMPARE(services->printers.calls, 4);
    }

    void listWithoutHeaderPrintsAndStaysActive()
    {
        insertItems("B2", 1, "2:1:1:0");
        openView("B2", 1);
        QCOMPARE(lists::printList(dm(), 1, 1, "Posta", services->messages), PrintResult::Printed);
        QCOMPARE(int(services->printers.jobs.size()), 2);
        QVERIFY(headers("B2_ADATOK").isEmpty());
    }

    void onlyTheKindsOwnHeaderIsStamped_data()
    {
        QTest::addColumn<int>("kind");
        for (int kind = 1; kind <= lists::kListKindCount; ++kind)
            QTest::addRow("%s", qPrintable(listKind(kind).caption)) << kind;
    }
    void onlyTheKindsOwnHeaderIsStamped()
    {
        QFETCH(int, kind);
        for (int k = 1; k <= lists::kListKindCount; ++k) {
            insertHeader(listKind(k).headerTable, 1, QDateTime(QDate(2026, 3, 1), QTime(8, 0)), 1);
            insertItems(listKind(k).itemTable, 1, "5:1:1:0");
        }
        openView(listKind(kind).itemTable, 1);
        QCOMPARE(lists::printList(dm(), kind, 1, "Posta", services->messages), PrintResult::Printed);
        for (int k = 1; k <= lists::kListKindCount; ++k)
            QCOMPARE(headers(listKind(k).headerTable),
                     QStringList{k == kind ? "1|2026-03-14 09:26:53|2" : "1|2026-03-01 08:00:00|1"});
    }

    void systemPrinterThatIsNotThereRaises()
    {
        ui::QtPrinters printers;
        app::PrintJob job;
        job.printerName = QStringLiteral("Nincs ilyen nyomtató 4711");
        job.title = QStringLiteral("Kovenda");
        job.pageCount = 1;
        try {
            printers.print(job);
            QFAIL("printing on a missing printer succeeded");
        } catch (const std::runtime_error& e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(job.printerName), e.what());
        }
    }
};

QTEST_MAIN(TestPrintRun)
#include "tst_print_run.moc"
