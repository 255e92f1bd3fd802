#include "ListHeaders.h"
#include "lists/ListKind.h"
#include "lists/ListSelection.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QTest>

using namespace testsupport;
using lists::ListSelection;

namespace {

store::TDM1& dm()
{
    return store::TDM1::instance();
}

} // namespace

class TestListSelection : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { programFolder(); }
    void init() { resetTables(); }

    void activeList_data()
    {
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("addressee");
        QTest::newRow("no list yet") << QStringList{} << 1 << "";
        QTest::newRow("newest printed") << QStringList{"1:A:p", "2:A:p", "3:A:p", "4:B:p"} << 5 << "";
        QTest::newRow("newest unprinted") << QStringList{"1:A:p", "2:A:p", "3:A:p", "4:B:"} << 4 << "B";
        QTest::newRow("newest unprinted, no addressee") << QStringList{"1:A:p", "4::"} << 4 << "";
        QTest::newRow("numeric maximum") << QStringList{"9:A:p", "10:A:p"} << 11 << "";
        QTest::newRow("older unprinted list ignored") << QStringList{"1:A:", "2:A:p"} << 3 << "";
    }
    void activeList()
    {
        QFETCH(QStringList, headers);
        QFETCH(int, number);
        QFETCH(QString, addressee);
        addHeaders("B2_ADATOK", headers);
        const auto before = rows("SELECT * FROM B2_ADATOK ORDER BY LSZAM");
        const auto list = ListSelection(dm(), lists::listKind(1)).activeList();
        QCOMPARE(list.number, number);
        QCOMPARE(list.addressee, addressee);
        // A new list exists only as its number until its first item is saved.
        QCOMPARE(rows("SELECT * FROM B2_ADATOK ORDER BY LSZAM"), before);
        QVERIFY(!dm().MyQuery1.isOpen());
    }

    void previousList_data()
    {
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("addressee");
        QTest::newRow("no list yet") << QStringList{} << int(ListSelection::PreviousStatus::NoListYet) << 0
                                     << "";
        QTest::newRow("none printed")
            << QStringList{"1:A:", "2:A:"} << int(ListSelection::PreviousStatus::NonePrinted) << 0 << "";
        QTest::newRow("newest printed") << QStringList{"1:A:p", "2:A:", "3:C:p", "4:D:p"}
                                        << int(ListSelection::PreviousStatus::Found) << 4 << "D";
        QTest::newRow("newest unprinted")
            << QStringList{"1:A:p", "2:B:p", "3:C:"} << int(ListSelection::PreviousStatus::Found) << 2 << "B";
    }
    void previousList()
    {
        QFETCH(QStringList, headers);
        QFETCH(int, status);
        QFETCH(int, number);
        QFETCH(QString, addressee);
        addHeaders("BZS3_ADATOK", headers);
        const auto list = ListSelection(dm(), lists::listKind(2)).previousList();
        QCOMPARE(int(list.status), status);
        QCOMPARE(list.number, number);
        QCOMPARE(list.addressee, addressee);
    }

    void kindsAreNumberedIndependently()
    {
        addHeaders("B2_ADATOK", {"1:A:p", "2:A:p", "3:A:p"});
        addHeaders("B2ZSAK_ADATOK", {"1:Z:"});
        QCOMPARE(ListSelection(dm(), lists::listKind(1)).activeList().number, 4);
        QCOMPARE(ListSelection(dm(), lists::listKind(3)).activeList().number, 1);
        QCOMPARE(ListSelection(dm(), lists::listKind(3)).activeList().addressee, QString("Z"));
        QCOMPARE(ListSelection(dm(), lists::listKind(4)).activeList().number, 1);
        QCOMPARE(int(ListSelection(dm(), lists::listKind(3)).previousList().status),
                 int(ListSelection::PreviousStatus::NonePrinted));
    }

    void defaultAddresseeComesFromTheSettings()
    {
        QCOMPARE(ListSelection(dm(), lists::listKind(1)).defaultAddressee(), QString());
        exec("INSERT INTO BEALLITASOK (NEV,FUTARJEGYZEK_CIMZETTJE) VALUES ('Saját','Központi "
             "Futárszolgálat')");
        QCOMPARE(ListSelection(dm(), lists::listKind(1)).defaultAddressee(),
                 QString("Központi Futárszolgálat"));
    }

    void itemViewHoldsOneListInListOrder()
    {
        // TETEL_ID 1..5: a member (of 2) precedes its parent's later sibling in list order.
        exec("INSERT INTO B2NATO (LSZAM,IKTSZAM,MJEL,SORSZAM,SZULO_ID) VALUES "
             "(1,'second',0,2,0),(1,'first',0,1,0),(2,'other list',0,1,0),(1,'member of "
             "first',0,1,2),(1,'third',0,3,0)");
        ListSelection(dm(), lists::listKind(4)).openItemView(1);
        QStringList order;
        for (int row = 0; row < dm().MyQuery2.rowCount(); ++row)
            order << dm().MyQuery2.value(row, "IKTSZAM").toString();
        QCOMPARE(order, (QStringList{"first", "member of first", "second", "third"}));
        QCOMPARE(dm().MyQuery2.currentRow(), 0);
    }
};

QTEST_GUILESS_MAIN(TestListSelection)
#include "tst_list_selection.moc"
