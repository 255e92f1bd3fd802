#include "lists/ListKind.h"

#include <QTest>

using lists::listKind;

class TestListKind : public QObject
{
    Q_OBJECT
private slots:
    void constantsPerKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("itemTable");
        QTest::addColumn<QString>("lowerTable");
        QTest::addColumn<QString>("digit");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("choice");
        QTest::addColumn<bool>("topLevelOnly");
        QTest::addColumn<bool>("courier");
        QTest::newRow("B2") << 1 << "B-2 Futárjegyzék"
                            << "Tb2f_form"
                            << "B2"
                            << "b2"
                            << "1"
                            << "Minősítési szint" << true << true << true;
        QTest::newRow("BZS3") << 2 << "BZS-3 Futárjegyzék"
                              << "Tbzs3_form"
                              << "BZS3"
                              << "bzs3"
                              << "2"
                              << "Minősítési szint" << true << true << false;
        QTest::newRow("B2ZSAK") << 3 << "B-2 Zsákjegyzék"
                                << "Tb2zsak_form"
                                << "B2ZSAK"
                                << "b2zsak"
                                << "3"
                                << "Minősítési szint" << true << true << true;
        QTest::newRow("B2NATO") << 4 << "B-2 Futárjegyzék (NATO)"
                                << "Tb2nato_form"
                                << "B2NATO"
                                << "b2nato"
                                << "4"
                                << " " << false << true << true;
        QTest::newRow("BZS3NATO") << 5 << "BZS-3 Futárjegyzék (NATO)"
                                  << "Tbzs3nato_form"
                                  << "BZS3NATO"
                                  << "bzs3nato"
                                  << "5"
                                  << " " << false << false << false;
    }
    void constantsPerKind()
    {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(QString, window);
        QFETCH(QString, itemTable);
        QFETCH(QString, lowerTable);
        QFETCH(QString, digit);
        QFETCH(QString, title);
        QFETCH(bool, choice);
        QFETCH(bool, topLevelOnly);
        QFETCH(bool, courier);
        const auto& k = listKind(kind);
        QCOMPARE(k.number, kind);
        QCOMPARE(k.caption, caption);
        QCOMPARE(k.windowName, window);
        QCOMPARE(k.itemTable.toUpper(), itemTable);
        QCOMPARE(k.headerTable.toUpper(), itemTable + "_ADATOK");
        QCOMPARE(k.entryItemTable.toUpper(), itemTable);
        QCOMPARE(k.entryHeaderTable.toUpper(), itemTable + "_ADATOK");
        QCOMPARE(k.lowerItemTable, lowerTable);
        QCOMPARE(k.barcodeDigit, digit);
        QCOMPARE(k.classificationTitle, title);
        QCOMPARE(k.hasClassificationChoice, choice);
        QCOMPARE(k.countsTopLevelOnly, topLevelOnly);
        QCOMPARE(k.printsCourierColumn, courier);
        QCOMPARE(k.minimiseHidesApplication, kind == 1);
    }

    void onlyFiveKinds()
    {
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, listKind(0));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, listKind(6));
    }
};

QTEST_GUILESS_MAIN(TestListKind)
#include "tst_listkind.moc"
