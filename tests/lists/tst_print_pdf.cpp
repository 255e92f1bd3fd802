#include "app/AppState.h"
#include "lists/ListKind.h"
#include "lists/ListPrinting.h"
#include "store/DataModule.h"
#include "support/PdfTools.h"
#include "support/ProgramFolder.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace testsupport;
using lists::listKind;

namespace {

store::TDM1& dm()
{
    return store::TDM1::instance();
}

// A list of `count` items of the kind, printed in two copies.
void printSample(int kind, int list, int count)
{
    const auto& info = listKind(kind);
    exec(QStringLiteral("INSERT INTO %1 (JCIMZETT,LSZAM) VALUES (:j,:l)").arg(info.headerTable),
         {{"j", "Magyar Posta Zrt."}, {"l", list}});
    for (int i = 1; i <= count; ++i) {
        const int mjel = info.hasClassificationChoice ? 1 + (i - 1) % 5 : 0;
        exec(QStringLiteral("INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,KCIMZETT,SZAMNELKULI,SORSZAM,KCIMZETT_AZ,DB) "
                            "VALUES (:l,:i,:m,:k,1,:s,'0',:db)")
                 .arg(info.itemTable),
             {{"l", list},
              {"i", QStringLiteral("%1/2026/1").arg(4000 + i)},
              {"m", mjel},
              {"k", i == 3
                        ? QStringLiteral("Nemzeti Közszolgálati Egyetem Hadtudományi és Honvédtisztképző Kar "
                                         "Katonai Logisztikai Intézet")
                        : QStringLiteral("Címzett szerv %1").arg(i)},
              {"s", i},
              {"db", mjel == 5 ? 2 : 1}});
    }
    if (info.hasClassificationChoice)
        exec(QStringLiteral("INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,KCIMZETT,SZAMNELKULI,SORSZAM,KCIMZETT_AZ,DB) "
                            "VALUES (:l,'',6,'',4,:s,'',4)")
                 .arg(info.itemTable),
             {{"l", list}, {"s", count + 1}});
    dm().MyQuery2.open(
        QStringLiteral("SELECT * FROM %1 WHERE LSZAM=:lszam ORDER BY SORSZAM,szulo_id,tetel_id")
            .arg(info.itemTable),
        {{"lszam", list}});
    QCOMPARE(lists::printList(dm(), kind, list, "Magyar Posta Zrt.", installServices().messages),
             lists::PrintResult::Printed);
}

} // namespace

class TestPrintPdf : public QObject
{
    Q_OBJECT
    Services* services = nullptr;
    QTemporaryDir images;

private slots:
    void initTestCase()
    {
        programFolder();
        services = &installServices();
        app::AppState& state = app::appState();
        state.ownCode = QStringLiteral("123456");
        state.ownName = QStringLiteral("Honvédelmi Minisztérium Központi Irattár");
        state.marginLeft = 15;
        state.marginTop = 12;
        state.marginRight = 10;
        state.marginBottom = 10;
    }

    void init()
    {
        resetTables();
        services->printers.clear();
    }

    void printedCopiesReadBack()
    {
        printSample(1, 7, 35);
        const auto& jobs = services->printers.jobs;
        QCOMPARE(int(jobs.size()), 2);
        const QStringList labels = {"1.sz. pédány", "2.sz. pédány"};
        for (int copy = 0; copy < 2; ++copy) {
            const QString pdf = jobs[size_t(copy)].pdfPath;
            const QString info = runTool("pdfinfo", {pdf});
            QVERIFY2(info.contains(QRegularExpression("Pages:\\s+2\\n")), qPrintable(info));
            QVERIFY2(info.contains("(A4)"), qPrintable(info));
            QVERIFY2(info.contains(QRegularExpression("Title:\\s+Kovenda\\n")), qPrintable(info));
            for (int page = 1; page <= 2; ++page) {
                const QString text = pdfPageText(pdf, page);
                for (const QString& expected :
                     {QStringLiteral("B-2 Futárjegyzék"), QStringLiteral("Listaszám:"),
                      QStringLiteral("Oldalszám:"), QStringLiteral("%1/2").arg(page), labels[copy],
                      QStringLiteral("feladó:"), QStringLiteral("Honvédelmi Minisztérium Központi Irattár"),
                      QStringLiteral("címzett:"), QStringLiteral("Magyar Posta Zrt."),
                      QStringLiteral("Iktatószám+példánysorszám"),
                      QStringLiteral("levélrendező neve és aláírása"),
                      QStringLiteral("futár neve és aláírása")})
                    QVERIFY2(text.contains(expected), qPrintable(expected + " missing on page " +
                                                                 QString::number(page) + ":\n" + text));
                QCOMPARE(text.contains("Nyomtatva:"), page == 2);
                QCOMPARE(text.contains("Összesen:"), page == 2);
                QCOMPARE(text.contains("(prog.verzió: 2.1.3)"), page == 2);
            }
            const QString last = pdfPageText(pdf, 2);
            // The text extraction does not keep runs of blanks.
            QVERIFY2(last.contains(
                         QRegularExpression("Minősített: 28 db,\\s+Nyilvántartott: 14 db,\\s+Sima: 4 db\\.")),
                     qPrintable(last));
            QVERIFY(last.contains("Összesen: 46 db küldemény."));
            QVERIFY(pdfPageText(pdf, 1).contains("Korlátozott terjesztésű"));
        }
    }

    void printedBarcodeScans_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("items");
        QTest::addColumn<QString>("value");
        QTest::newRow("B-2") << 1 << 35 << "1-123456-7-28-14-4";
        QTest::newRow("BZS-3 NATO") << 5 << 6 << "5-123456-7-6-0-0";
    }
    void printedBarcodeScans()
    {
        QFETCH(int, kind);
        QFETCH(int, items);
        QFETCH(QString, value);
        printSample(kind, 7, items);
        const QString pdf = services->printers.jobs.at(1).pdfPath;
        const QString stem = images.filePath(QStringLiteral("kind%1").arg(kind));
        const QString png = renderPdfPage(pdf, 1, 300, stem);
        QCOMPARE(readBarcodes(png), "CODE-128:" + value + "\n");

        // The symbol starts 2.1 mm inside the left margin, 1.1 mm below the top margin.
        const QImage image(png);
        QVERIFY(!image.isNull());
        const double dotsPerMm = 300 / 25.4;
        const int row = int((12 + 1.1 + 2.0) * dotsPerMm);
        int firstInk = -1;
        for (int x = 0; x < image.width() / 2 && firstInk < 0; ++x)
            if (qGray(image.pixel(x, row)) < 128)
                firstInk = x;
        QVERIFY2(qAbs(firstInk - (15 + 2.1) * dotsPerMm) < 2, qPrintable(QString::number(firstInk)));
        int topInk = -1;
        for (int y = 0; y < image.height() / 4 && topInk < 0; ++y)
            if (qGray(image.pixel(firstInk + 1, y)) < 128)
                topInk = y;
        QVERIFY2(qAbs(topInk - (12 + 1.1) * dotsPerMm) < 2, qPrintable(QString::number(topInk)));

        // Screens of the printed page for a look, when asked for.
        const QString shots = qEnvironmentVariable("DISPORA_SHOTS");
        if (!shots.isEmpty()) {
            QDir().mkpath(shots);
            const QString name = kind == 1 ? QStringLiteral("print_b2") : QStringLiteral("print_bzs3nato");
            runTool("pdftoppm", {"-r", "100", "-png", pdf, shots + "/" + name});
        }
    }
};

QTEST_MAIN(TestPrintPdf)
#include "tst_print_pdf.moc"
