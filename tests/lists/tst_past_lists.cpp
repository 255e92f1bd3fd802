#include "ListHeaders.h"
#include "app/AppState.h"
#include "lists/ListKind.h"
#include "lists/ListPrinting.h"
#include "lists/ListSelection.h"
#include "lists/PastLists.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QTest>

using namespace testsupport;
using lists::listKind;
using lists::PastList;
using lists::PastLists;

namespace {

store::TDM1& dm()
{
    return store::TDM1::instance();
}

void addHeader(int kind, int list, const QString& addressee, const QVariant& printed, const QVariant& count)
{
    exec(QStringLiteral(
             "INSERT INTO %1 (LSZAM,JCIMZETT,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) VALUES (:l,:j,:d,:p)")
             .arg(listKind(kind).headerTable),
         {{"l", list}, {"j", addressee}, {"d", printed}, {"p", count}});
}

// Items written as "mjel:db:szamnelkuli:parentSerial" (parentSerial 0: a top-level item);
// a member gets its parent's TETEL_ID.
void addItems(int kind, int list, const QStringList& items)
{
    const QString table = listKind(kind).itemTable;
    QList<qlonglong> ids;
    int serial = 0;
    for (const QString& item : items) {
        const QStringList f = item.split(u':');
        const int parent = f[3].toInt();
        exec(QStringLiteral(
                 "INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB,SZULO_ID) "
                 "VALUES (:l,:i,:m,'Címzett','100001',:n,:s,:d,:p)")
                 .arg(table),
             {{"l", list},
              {"i", QStringLiteral("%1-%2/2026").arg(list).arg(ids.size() + 1)},
              {"m", f[0].toInt()},
              {"n", f[2].toInt()},
              {"s", parent ? parent : ++serial},
              {"d", f[1].toInt()},
              {"p", parent ? ids.at(parent - 1) : 0}});
        ids << scalar("SELECT LAST_INSERT_ID()").toLongLong();
    }
}

QDateTime at(int day, int hour)
{
    return QDateTime(QDate(2026, 1, day), QTime(hour, 15, 30));
}

QString describe(const PastList& l)
{
    return QStringLiteral("%1|%2|%3-%4-%5=%6|%7|%8")
        .arg(l.number)
        .arg(l.addressee)
        .arg(l.counts.classified)
        .arg(l.counts.registered)
        .arg(l.counts.plain)
        .arg(l.total())
        .arg(l.isPrinted() ? l.printed().toString("yyyy-MM-dd HH:mm:ss") : "-")
        .arg(l.printCountKnown ? QString::number(l.printCount) : "?");
}

QStringList describeAll(int kind)
{
    QStringList out;
    for (const PastList& l : PastLists::load(dm(), listKind(kind)))
        out << describe(l);
    return out;
}

QStringList headerRows(int kind)
{
    return rows(
        QStringLiteral("SELECT LSZAM, JCIMZETT, NYOMTATAS_DATUMA, NYOMTATAS_PELDANY FROM %1 ORDER BY LSZAM")
            .arg(listKind(kind).headerTable));
}

} // namespace

class TestPastLists : public QObject
{
    Q_OBJECT
    Services* services = nullptr;

private slots:
    void initTestCase()
    {
        programFolder();
        services = &installServices();
        app::AppState& state = app::appState();
        state.ownCode = QStringLiteral("123456");
        state.ownName = QStringLiteral("Saját Szerv");
    }

    void init()
    {
        resetTables();
        services->printers.clear();
        services->messages.texts.clear();
    }

    // Members under a classified parent count in the BZS-3 NATO list only; the counts
    // are those of the printed summary, list by list.
    void everyListWithItsCounts_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("B-2") << 1
                             << QStringList{"4|Futár|0-0-0=0|-|?",
                                            "3|ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP Kft.|2-4-7=13|2026-01-07 11:15:30|3",
                                            "2||0-0-5=5|2026-01-05 09:15:30|1", "1|Posta|1-0-0=1|-|0"};
        QTest::newRow("BZS-3 NATO") << 5
                                    << QStringList{
                                           "4|Futár|0-0-0=0|-|?",
                                           "3|ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP Kft.|3-4-7=14|2026-01-07 11:15:30|3",
                                           "2||0-0-5=5|2026-01-05 09:15:30|1", "1|Posta|1-0-0=1|-|0"};
    }
    void everyListWithItsCounts()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, expected);
        addHeader(kind, 1, "Posta", QVariant(), 0);
        addHeader(kind, 2, QString(), at(5, 9), 1);
        addHeader(kind, 3, "ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP Kft.", at(7, 11), 3);
        addHeader(kind, 4, "Futár", QVariant(), QVariant());
        addItems(kind, 1, {"1:1:1:0"});
        addItems(kind, 2, {"6:5:5:0"});
        // classified parent with a member, a classified item, registered 3 + 1, number-less 7
        addItems(kind, 3, {"2:1:1:0", "2:1:1:1", "3:1:1:0", "5:3:4:0", "5:1:4:0", "6:7:7:0"});
        // Another kind's lists stay out.
        addHeader(kind == 1 ? 2 : 1, 9, "Más", QVariant(), 0);
        QCOMPARE(describeAll(kind), expected);
        // The same counts as printing reads them.
        for (const PastList& l : PastLists::load(dm(), listKind(kind))) {
            const lists::PieceCounts c = lists::countPieces(dm(), listKind(kind), l.number);
            QCOMPARE(QList<int>({l.counts.classified, l.counts.registered, l.counts.plain}),
                     QList<int>({c.classified, c.registered, c.plain}));
        }
    }

    void noListsAtAll() { QVERIFY(PastLists::load(dm(), listKind(3)).empty()); }

    void filter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("shown");
        QTest::newRow("empty") << "" << QList<int>{12, 11, 10, 2, 1};
        QTest::newRow("blanks only") << "  " << QList<int>{12, 11, 10, 2, 1};
        QTest::newRow("number") << "11" << QList<int>{11};
        QTest::newRow("number prefix") << "1" << QList<int>{12, 11, 10, 1};
        QTest::newRow("accents and case folded") << "árvíz" << QList<int>{11, 2};
        QTest::newRow("without accents") << "ARVIZ" << QList<int>{11, 2};
        QTest::newRow("inner fragment") << "tükör" << QList<int>{11};
        QTest::newRow("ő as ö") << "tűrö" << QList<int>{11};
        QTest::newRow("date") << "2026.01.07." << QList<int>{11};
        QTest::newRow("month") << "2026.02" << QList<int>{12};
        QTest::newRow("date with hyphens") << "2026-01-05" << QList<int>{10};
        QTest::newRow("date and time") << "2026.01.05. 09:15" << QList<int>{10};
        QTest::newRow("nothing") << "nincs ilyen" << QList<int>{};
    }
    void filter()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, shown);
        addHeader(1, 1, "Magyar Posta", QVariant(), 0);
        addHeader(1, 2, "Árvízvédelmi Igazgatóság", at(3, 8), 1);
        addHeader(1, 10, "Futár", at(5, 9), 1);
        addHeader(1, 11, "ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP Kft.", at(7, 11), 2);
        addHeader(1, 12, "Honvéd Kórház", QDateTime(QDate(2026, 2, 1), QTime(8, 0)), 1);
        lists::PastListsModel model;
        model.setLists(PastLists::load(dm(), listKind(1)), QString());
        model.setFilter(text);
        QList<int> numbers;
        for (int row = 0; row < model.rowCount(); ++row)
            numbers << model.list(row).number;
        QCOMPARE(numbers, shown);
    }

    void gridTexts()
    {
        addHeader(1, 3, "Posta", at(7, 11), 2);
        addHeader(1, 4, "Futár", QVariant(), QVariant());
        addItems(1, 3, {"1:1:1:0", "5:2:4:0"});
        lists::PastListsModel model;
        model.setLists(PastLists::load(dm(), listKind(1)), QString());
        QStringList texts;
        for (int row = 0; row < model.rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model.columnCount(); ++column)
                cells << model.index(row, column).data().toString();
            texts << cells.join(u'|');
        }
        QCOMPARE(texts,
                 (QStringList{"4|Futár|0|0|0|0|nincs nyomtatva|", "3|Posta|1|2|0|3|2026.01.07. 11:15:30|2"}));
        QCOMPARE(model.headerData(lists::PastListsModel::PrintedColumn, Qt::Horizontal).toString(),
                 "Nyomtatva");
    }

    // An old list goes to the printer with its own addressee and barcode; only its header
    // is stamped, and the list being filled stays the active list.
    void reprintStampsThatListOnly()
    {
        addHeader(1, 1, "Első Címzett", at(2, 8), 1);
        addHeader(1, 2, "Második Címzett", at(3, 8), 2);
        addHeader(1, 3, "Harmadik", QVariant(), 0);
        addItems(1, 1, {"1:1:1:0", "5:2:4:0"});
        addItems(1, 2, {"2:1:1:0"});
        addItems(1, 3, {"3:1:1:0"});
        const QStringList before = headerRows(1);
        QCOMPARE(lists::reprintList(dm(), 1, 1, services->messages), lists::PrintResult::Printed);
        QVERIFY(services->messages.texts.isEmpty());
        QCOMPARE(int(services->printers.jobs.size()), 2);
        QCOMPARE(headerRows(1), (QStringList{"1|Első Címzett|2026-03-14 09:26:53|2", before[1], before[2]}));
        QCOMPARE(lists::ListSelection(dm(), listKind(1)).activeList().number, 3);
        QCOMPARE(lists::ListSelection(dm(), listKind(1)).previousList().number, 2);
        // What went to paper is list 1.
        const std::optional<lists::ListCopies> copies =
            lists::layOutStoredList(dm(), 1, 1, services->messages);
        QVERIFY(copies);
        QCOMPARE(copies->barcodeValue, "1-123456-1-1-2-0");
        QCOMPARE(int(copies->copies.size()), 2);
        const lists::Page& page = copies->copies[0].pages.at(0);
        QVERIFY(page.find("addressee"));
        QCOMPARE(page.find("addressee")->text, "Első Címzett");
        QCOMPARE(dm().MyQuery2.rowCount(), 2);
    }

    void reprintRefused_data()
    {
        QTest::addColumn<QString>("addressee");
        QTest::addColumn<bool>("withItems");
        QTest::addColumn<QString>("message");
        QTest::newRow("no items") << "Posta" << false << "Nincs tétele a jegyzéknek, nem lehet nyomtatni!";
        QTest::newRow("no addressee") << "" << true << "Nincs megadva a futárjegyzék címzettje!";
    }
    void reprintRefused()
    {
        QFETCH(QString, addressee);
        QFETCH(bool, withItems);
        QFETCH(QString, message);
        addHeader(2, 5, addressee, at(2, 8), 1);
        if (withItems)
            addItems(2, 5, {"1:1:1:0"});
        const QStringList before = headerRows(2);
        QCOMPARE(lists::reprintList(dm(), 2, 5, services->messages), lists::PrintResult::Refused);
        QCOMPARE(services->messages.texts, QStringList{message});
        QCOMPARE(services->printers.calls, 0);
        QCOMPARE(headerRows(2), before);
    }

    void foldKeepsHungarianLetters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folded");
        QTest::newRow("acute accents") << "ÁÉÍÓÚáéíóú"
                                       << "aeiouaeiou";
        QTest::newRow("umlauts") << "ÖÜöü"
                                 << "öüöü";
        QTest::newRow("double acute as umlaut") << "ŐŰőű"
                                                << "öüöü";
        QTest::newRow("plain") << "Posta 12"
                               << "posta 12";
    }
    void foldKeepsHungarianLetters()
    {
        QFETCH(QString, text);
        QFETCH(QString, folded);
        QCOMPARE(PastLists::fold(text), folded);
    }
};

QTEST_MAIN(TestPastLists)
#include "tst_past_lists.moc"
