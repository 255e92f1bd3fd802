#include "store/DisplayColumns.h"

#include <QTest>

using store::computeDisplayColumns;
using store::ItemColumns;

class TestDisplayColumns : public QObject
{
    Q_OBJECT
private slots:
    void rowsShowTheirTexts_data()
    {
        QTest::addColumn<QVariant>("kcimzett");
        QTest::addColumn<QVariant>("iktszam");
        QTest::addColumn<QVariant>("mjel");
        QTest::addColumn<QVariant>("szuloId");
        QTest::addColumn<QVariant>("sorszam");
        QTest::addColumn<QVariant>("db");
        QTest::addColumn<QStringList>("expected"); // SORSZAM_SZ, IKTSZAM_SZ, MJEL_SZ, DB_SZ, KCIMZETT_SZ

        QTest::newRow("number-less row")
            << QVariant(QString()) << QVariant(QString()) << QVariant(6) << QVariant(0) << QVariant(3)
            << QVariant(7) << QStringList{"3", "-", "Sima", "7", "-"};
        QTest::newRow("null texts") << QVariant() << QVariant() << QVariant(5) << QVariant() << QVariant(1)
                                    << QVariant(2) << QStringList{"1", "-", "Nyilvántartott", "2", "-"};
        QTest::newRow("NATO row") << QVariant("Honvéd") << QVariant("12/2026-1") << QVariant(0) << QVariant(0)
                                  << QVariant(4) << QVariant(1)
                                  << QStringList{"4", "12/2026-1", "", "1", "Honvéd"};
        QTest::newRow("member of a Titkos parent")
            << QVariant("Honvéd") << QVariant("77/2026") << QVariant(2) << QVariant(15) << QVariant(2)
            << QVariant(1) << QStringList{"", "77/2026", "", "", ""};
        QTest::newRow("member without number")
            << QVariant("x") << QVariant("") << QVariant(3) << QVariant(1) << QVariant(1) << QVariant(1)
            << QStringList{"", "-", "", "", ""};
        QTest::newRow("unknown code")
            << QVariant("Posta") << QVariant("1") << QVariant(9) << QVariant(0) << QVariant(1) << QVariant(1)
            << QStringList{"1", "1", "", "1", "Posta"};
        QTest::newRow("empty code") << QVariant("Posta") << QVariant("1") << QVariant() << QVariant(0)
                                    << QVariant(2) << QVariant(1) << QStringList{"2", "1", "", "1", "Posta"};
        QTest::newRow("serial cut to four")
            << QVariant("a") << QVariant("b") << QVariant(1) << QVariant(0) << QVariant(12345) << QVariant(1)
            << QStringList{"1234", "b", "Szigorúan Titkos", "1", "a"};
        QTest::newRow("count cut to ten") << QVariant("a") << QVariant("b") << QVariant(5) << QVariant(0)
                                          << QVariant(1) << QVariant(qlonglong(12345678901LL))
                                          << QStringList{"1", "b", "Nyilvántartott", "1234567890", "a"};
    }
    void rowsShowTheirTexts()
    {
        QFETCH(QVariant, kcimzett);
        QFETCH(QVariant, iktszam);
        QFETCH(QVariant, mjel);
        QFETCH(QVariant, szuloId);
        QFETCH(QVariant, sorszam);
        QFETCH(QVariant, db);
        QFETCH(QStringList, expected);
        const auto out = computeDisplayColumns(ItemColumns{kcimzett, iktszam, mjel, szuloId, sorszam, db});
        QCOMPARE((QStringList{out.SORSZAM_SZ, out.IKTSZAM_SZ, out.MJEL_SZ, out.DB_SZ, out.KCIMZETT_SZ}),
                 expected);
    }

    void longTextsAreCutToTheirWidth()
    {
        const QString longText(300, u'Á');
        const auto out = computeDisplayColumns(ItemColumns{longText, longText, 1, 0, 1, 1});
        QCOMPARE(out.IKTSZAM_SZ.size(), 255);
        QCOMPARE(out.KCIMZETT_SZ.size(), 255);
    }

    void classificationTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("detail");
        QTest::newRow("1") << 1 << "Szigorúan Titkos"
                           << "Szigorúan Titkos minősítésű küldemény";
        QTest::newRow("2") << 2 << "Titkos"
                           << "Titkos minősítésű küldemény";
        QTest::newRow("3") << 3 << "Bizalmas"
                           << "Bizalmas minősítésű küldemény";
        QTest::newRow("4") << 4 << "Korlátozott terjesztésű"
                           << "Korlátozott terjesztésű küldemény";
        QTest::newRow("5") << 5 << "Nyilvántartott"
                           << "Nyilvántartott";
        QTest::newRow("6") << 6 << "Sima"
                           << "Sima számnélküli küldemény";
        QTest::newRow("0") << 0 << ""
                           << "";
    }
    void classificationTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, display);
        QFETCH(QString, detail);
        const store::Classification* c = store::classification(code);
        QVERIFY(c);
        QCOMPARE(c->displayText, display);
        QCOMPARE(c->detailCaption, detail);
        QVERIFY(!store::classification(7));
        QVERIFY(!store::classification(-1));
    }
};

QTEST_GUILESS_MAIN(TestDisplayColumns)
#include "tst_display_columns.moc"
