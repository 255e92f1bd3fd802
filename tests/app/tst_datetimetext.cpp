#include "app/DateTimeText.h"

#include <QTest>

class TestDateTimeText : public QObject
{
    Q_OBJECT
private slots:
    void shownInHungarianOrder_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("text");
        QTest::newRow("afternoon") << QDateTime(QDate(2012, 10, 16), QTime(14, 5, 33))
                                   << "2012.10.16. 14:05:33";
        QTest::newRow("morning") << QDateTime(QDate(2026, 3, 4), QTime(9, 0, 7)) << "2026.03.04. 09:00:07";
        QTest::newRow("midnight") << QDateTime(QDate(2011, 1, 1), QTime(0, 0)) << "2011.01.01. 00:00:00";
    }
    void shownInHungarianOrder()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QString, text);
        QCOMPARE(app::dateTimeText(moment), text);
        QCOMPARE(app::parseDateTimeText(text), moment);
    }

    void readsCommonSpellings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("moment");
        QTest::newRow("one-digit hour")
            << "2012.10.16. 9:05:33" << QDateTime(QDate(2012, 10, 16), QTime(9, 5, 33));
        QTest::newRow("date only") << "2012.10.16." << QDateTime(QDate(2012, 10, 16), QTime(0, 0));
        QTest::newRow("spaced") << " 2012. 10. 16. 14:05:33 "
                                << QDateTime(QDate(2012, 10, 16), QTime(14, 5, 33));
    }
    void readsCommonSpellings()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, moment);
        QCOMPARE(app::parseDateTimeText(text), moment);
    }

    void otherTextIsNoDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("unknown version") << "Ismeretlen verzió!";
        QTest::newRow("empty") << "";
        QTest::newRow("impossible day") << "2012.02.30. 10:00:00";
    }
    void otherTextIsNoDate()
    {
        QFETCH(QString, text);
        QVERIFY(!app::parseDateTimeText(text).isValid());
    }
};

QTEST_GUILESS_MAIN(TestDateTimeText)
#include "tst_datetimetext.moc"
