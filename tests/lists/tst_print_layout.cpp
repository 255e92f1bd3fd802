#include "lists/Code128Symbol.h"
#include "lists/ListKind.h"
#include "lists/ListPageLayout.h"
#include "lists/PagePainter.h"
#include "lists/PrintFonts.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace lists;

namespace {

ListPageRow item(int serial, const QString& registration, int mjel, int pieces, const QString& addressee,
                 int parent = 0)
{
    store::ItemColumns columns;
    columns.SORSZAM = serial;
    columns.IKTSZAM = registration;
    columns.MJEL = mjel;
    columns.DB = pieces;
    columns.KCIMZETT = addressee;
    columns.SZULO_ID = parent;
    return {store::computeDisplayColumns(columns), mjel};
}

ListPageInput input(int rowCount)
{
    ListPageInput in;
    in.title = listKind(1).caption;
    in.listNumber = 17;
    in.ownName = QStringLiteral("Honvédelmi Minisztérium Központi Irattár");
    in.addressee = QStringLiteral("Magyar Posta Zrt. Futárszolgálat");
    in.copyLabel = QStringLiteral("1.sz. pédány");
    in.barcodeValue = QStringLiteral("1-123456-17-3-2-0");
    in.summaryLine = QStringLiteral("Minősített: 3 db,      Nyilvántartott: 2 db,      Sima: 0 db.");
    in.totalLine = QStringLiteral("Összesen: 5 db küldemény.");
    in.printMoment = QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53));
    in.programVersion = QStringLiteral("2.1.3");
    for (int i = 1; i <= rowCount; ++i)
        in.rows.push_back(
            item(i, QStringLiteral("%1/2026/1").arg(100 + i), 2, 1, QStringLiteral("Címzett %1").arg(i)));
    return in;
}

// Lays out as the printing does: a counting run, then the run with the page count.
PageModel laidOut(ListPageInput in)
{
    in.totalPages = int(layoutListPages(in).pages.size());
    return layoutListPages(in);
}

QString textOf(const Page& page, const QString& name)
{
    const PageElement* e = page.find(name);
    return e ? e->text : QString();
}

const QStringList kLastPageOnly = {"summary", "total", "version", "printDate"};

} // namespace

class TestPrintLayout : public QObject
{
    Q_OBJECT
private slots:
    void fontIsArialOrItsMetricTwin()
    {
        const QString family = printFontFamily();
        QVERIFY2(family == "Arial" || family == "Liberation Sans" || family == "Arimo", qPrintable(family));
        // Arial's advance widths: "Listaszám:" is 4.779 em, 16.86 mm in 10 pt.
        QVERIFY(qAbs(textWidthMm(printFont(10), QStringLiteral("Listaszám:")) - 16.86) < 0.05);
    }

    void rowsFillPagesAboveTheFooter_data()
    {
        QTest::addColumn<int>("margin");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("rowsPerPage");
        // 277 mm less the bands (22.5 + 6.3 + 56.9) leaves room for 31 rows of 6.1 mm.
        QTest::newRow("one row") << 10 << 1 << QList<int>{1};
        QTest::newRow("exactly full") << 10 << 31 << QList<int>{31};
        QTest::newRow("one over") << 10 << 32 << QList<int>{31, 1};
        QTest::newRow("three pages") << 10 << 70 << QList<int>{31, 31, 8};
        // With 20 mm margins 257 mm are left: 28 rows.
        QTest::newRow("wide margins") << 20 << 29 << QList<int>{28, 1};
    }
    void rowsFillPagesAboveTheFooter()
    {
        QFETCH(int, margin);
        QFETCH(int, rows);
        QFETCH(QList<int>, rowsPerPage);
        ListPageInput in = input(rows);
        in.marginsMm = QMarginsF(margin, margin, margin, margin);
        const PageModel model = laidOut(in);
        QCOMPARE(int(model.pages.size()), int(rowsPerPage.size()));
        const double footerTop = 297 - 2 * margin - 56.9;
        for (size_t p = 0; p < model.pages.size(); ++p) {
            const Page& page = model.pages[p];
            QCOMPARE(int(page.findAll("row").size()) / 5, rowsPerPage[int(p)]);
            QCOMPARE(textOf(page, "pageNumber"), QStringLiteral("%1/%2").arg(p + 1).arg(model.pages.size()));
            for (const PageElement* e : page.findAll("row"))
                QVERIFY(e->rect.bottom() <= footerTop + 1e-9);
            QCOMPARE(page.find("footer.rule")->rect.top(), footerTop);
            QCOMPARE(page.find("columnHeader.top")->rect.top(), 22.5);
            QCOMPARE(page.find("columnHeader.bottom")->rect.top(), 22.5 + 6.3);
            QCOMPARE(page.find("columnHeader.bottom")->rect.width(), 210.0 - 2 * margin);
            // The first row of every page starts under the column header.
            QCOMPARE(page.findAll("row").front()->rect.top(), 22.5 + 6.3 + 1.6);
        }
    }

    void twoPagesNumberedWithTotalsOnTheLast()
    {
        const PageModel model = laidOut(input(40));
        QCOMPARE(int(model.pages.size()), 2);
        for (const Page& page : model.pages) {
            for (const char* name :
                 {"barcode", "title", "listNumber", "copyLabel", "sender", "addressee", "column.serial",
                  "column.addressee", "footer.rule", "handover.receipt", "sorter.stamp"})
                QVERIFY2(page.find(name), name);
            for (const QString& name : kLastPageOnly)
                QCOMPARE(page.find(name) != nullptr, page.number == 2);
        }
        QCOMPARE(textOf(model.pages[0], "pageNumber"), "1/2");
        QCOMPARE(textOf(model.pages[1], "pageNumber"), "2/2");
        const Page& last = model.pages[1];
        QCOMPARE(textOf(last, "summary"), "Minősített: 3 db,      Nyilvántartott: 2 db,      Sima: 0 db.");
        QCOMPARE(textOf(last, "total"), "Összesen: 5 db küldemény.");
        QCOMPARE(textOf(last, "version"), "(prog.verzió: 2.1.3)");
        QCOMPARE(textOf(last, "printDate"), "Nyomtatva: 2026.03.14. 09:26:53");
    }

    void onePageIsAlsoTheLast()
    {
        const PageModel model = laidOut(input(3));
        QCOMPARE(int(model.pages.size()), 1);
        QCOMPARE(textOf(model.pages[0], "pageNumber"), "1/1");
        for (const QString& name : kLastPageOnly)
            QVERIFY2(model.pages[0].find(name), qPrintable(name));
    }

    void countingRunHasNoLastPage()
    {
        const PageModel model = layoutListPages(input(3));
        QCOMPARE(textOf(model.pages[0], "pageNumber"), "1/0");
        QVERIFY(!model.pages[0].find("summary"));
    }

    void pageHeaderPositions()
    {
        const Page page = laidOut(input(1)).pages[0];
        auto rect = [&](const char* name) { return page.find(name)->rect; };
        QCOMPARE(rect("title").center().x(), 106.9);
        QCOMPARE(rect("title").top(), 0.5);
        QCOMPARE(page.find("title")->pointSize, 11.0);
        QVERIFY(page.find("title")->bold);
        QCOMPARE(rect("listNumberCaption").topLeft(), QPointF(154.0, 0.5));
        QCOMPARE(rect("listNumber"), QRectF(171.4, 0.5, 17.2, 4.5));
        QCOMPARE(textOf(page, "listNumber"), "17");
        QCOMPARE(rect("pageCaption").topLeft(), QPointF(154.0, 4.8));
        QCOMPARE(rect("pageNumber").topLeft(), QPointF(171.4, 4.8));
        QCOMPARE(rect("copyLabel").topLeft(), QPointF(154.5, 9.0));
        QCOMPARE(textOf(page, "copyLabel"), "1.sz. pédány");
        QCOMPARE(rect("senderCaption"), QRectF(1.3, 11.9, 13.0, 4.5));
        QCOMPARE(rect("sender"), QRectF(16.9, 11.9, 171.7, 4.5));
        QCOMPARE(rect("addresseeCaption"), QRectF(1.3, 17.2, 13.8, 4.5));
        QCOMPARE(rect("addressee"), QRectF(16.9, 17.2, 171.7, 4.5));
        QCOMPARE(textOf(page, "addressee"), "Magyar Posta Zrt. Futárszolgálat");
        const QList<QPair<QString, double>> columns = {{"serial", 2.1},
                                                       {"registration", 12.7},
                                                       {"classification", 75.1},
                                                       {"count", 112.2},
                                                       {"addressee", 122.8}};
        for (const auto& [name, left] : columns)
            QCOMPARE(rect(qPrintable("column." + name)).topLeft(), QPointF(left, 22.5 + 1.1));
        QCOMPARE(textOf(page, "column.classification"), "Minősítési szint");
    }

    void barcodeEndsBeforeTheTitle_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("value");
        for (int kind = 1; kind <= kListKindCount; ++kind) {
            QTest::addRow("kind %d short", kind) << kind << QStringLiteral("%1-123456-1-1-1-1").arg(kind);
            QTest::addRow("kind %d long", kind)
                << kind << QStringLiteral("%1-123456-1234-150-40-250").arg(kind);
        }
    }
    void barcodeEndsBeforeTheTitle()
    {
        QFETCH(int, kind);
        QFETCH(QString, value);
        ListPageInput in = input(1);
        in.title = listKind(kind).caption;
        in.barcodeValue = value;
        const Page page = laidOut(in).pages[0];
        const PageElement* bars = page.find("barcode");
        QCOMPARE(bars->rect.topLeft(), QPointF(2.1, 1.1));
        QCOMPARE(bars->rect.height(), 8.7);
        QVERIFY(bars->rect.right() < page.find("title")->rect.left());
        double narrowest = 1e9;
        for (const QRectF& bar : bars->bars) {
            narrowest = std::min(narrowest, bar.width());
            QVERIFY(bar.left() >= bars->rect.left() && bar.right() <= bars->rect.right() + 1e-9);
            QCOMPARE(bar.top(), bars->rect.top());
        }
        QVERIFY2(narrowest >= 0.25 && narrowest <= 0.33, qPrintable(QString::number(narrowest)));
        // The first and the last bar sit on the symbol's edges: no quiet zone.
        QCOMPARE(bars->bars.front().left(), 2.1);
        QVERIFY(qAbs(bars->bars.back().right() - bars->rect.right()) < 1e-9);
        const PageElement* text = page.find("barcode.value");
        QCOMPARE(text->text, value);
        QCOMPARE(text->pointSize, 8.0);
        QCOMPARE(text->alignment, Qt::AlignHCenter);
        QVERIFY(qAbs(text->rect.top() - bars->bars.front().bottom()) < 1e-9);
        QVERIFY(qAbs(text->rect.bottom() - (1.1 + 8.7)) < 1e-9);
    }

    void code128SymbolIsWholeModules()
    {
        const Code128Symbol symbol = encodeCode128(QStringLiteral("1-123456-1-1-1-1"));
        // Start, stop and check symbols alone take 35 modules.
        QVERIFY(symbol.modules > 35);
        QCOMPARE(symbol.bars.front().start, 0);
        QCOMPARE(symbol.bars.back().start + symbol.bars.back().width, symbol.modules);
        // Code 128 ends with the stop pattern's 2-module bar.
        QCOMPARE(symbol.bars.back().width, 2);
    }

    void signatureBlock_data()
    {
        QTest::addColumn<int>("kind");
        for (int kind = 1; kind <= kListKindCount; ++kind)
            QTest::addRow("%s", qPrintable(listKind(kind).caption)) << kind;
    }
    void signatureBlock()
    {
        QFETCH(int, kind);
        ListPageInput in = input(1);
        in.title = listKind(kind).caption;
        in.printsCourierColumn = listKind(kind).printsCourierColumn;
        const Page page = laidOut(in).pages[0];
        const bool courier = kind != 2 && kind != 5;
        QCOMPARE(int(page.findAll("courier.").size()), courier ? 5 : 0);
        QCOMPARE(int(page.findAll("handover.").size()), 5);
        QCOMPARE(int(page.findAll("sorter.").size()), 5);
        const double footer = 297 - 20 - 56.9;
        QCOMPARE(page.find("handover.receipt")->rect, QRectF(2.1, footer + 19.8, 48.9, 4.5));
        QCOMPARE(page.find("sorter.receipt")->rect, QRectF(131.2, footer + 19.8, 48.9, 4.5));
        QCOMPARE(page.find("sorter.dots1")->rect.top(), footer + 28.3);
        QCOMPARE(page.find("sorter.dots2")->rect.top(), footer + 36.8);
        QCOMPARE(page.find("sorter.dots2")->text, QString(41, u'.'));
        QCOMPARE(page.find("sorter.role")->text, "levélrendező neve és aláírása");
        QCOMPARE(page.find("sorter.role")->pointSize, 9.0);
        QCOMPARE(page.find("sorter.stamp")->rect, QRectF(148.2, footer + 47.4, 15.1, 4.5));
        QCOMPARE(page.find("handover.stamp")->rect, QRectF(2.1, footer + 47.4, 48.9, 4.5));
        if (courier) {
            QCOMPARE(page.find("courier.receipt")->rect.left(), 65.6);
            QCOMPARE(page.find("courier.role")->text, "futár neve és aláírása");
        }
        // Every signature text fits its box.
        for (const PageElement& e : page.elements)
            if (e.name.contains('.') && !e.name.startsWith("row") && !e.name.startsWith("column") &&
                e.kind == PageElement::Kind::Text)
                QVERIFY2(textWidthMm(printFont(e.pointSize, e.bold), e.text) <= e.rect.width(),
                         qPrintable(e.name));
    }

    void footerTexts()
    {
        const Page page = laidOut(input(1)).pages[0];
        const double footer = 297 - 20 - 56.9;
        const PageElement* summary = page.find("summary");
        const PageElement* total = page.find("total");
        QCOMPARE(summary->rect.topLeft(), QPointF(2.1, footer + 2.6));
        QVERIFY(!summary->bold);
        QCOMPARE(total->rect.top(), footer + 2.6);
        QVERIFY(total->bold);
        QVERIFY(qAbs(total->rect.left() - (2.1 + textWidthMm(printFont(10), summary->text) + 13.2)) < 1e-9);
        QCOMPARE(page.find("version")->rect.topLeft(), QPointF(158.8, footer + 3.7));
        QCOMPARE(page.find("version")->pointSize, 6.0);
        QVERIFY(page.find("version")->italic);
        QCOMPARE(page.find("printDate")->rect.topLeft(), QPointF(2.1, footer + 10.1));
    }

    // The form is Hungarian whatever the machine's or the program's locale.
    void printDateIsHungarianWhateverTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("C") << QLocale::c();
        QTest::newRow("en") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("de") << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("hu") << QLocale(QLocale::Hungarian, QLocale::Hungary);
    }
    void printDateIsHungarianWhateverTheLocale()
    {
        QFETCH(QLocale, locale);
        const QLocale before;
        QLocale::setDefault(locale);
        const PageModel model = laidOut(input(3));
        QLocale::setDefault(before);
        QCOMPARE(textOf(model.pages.back(), "printDate"), "Nyomtatva: 2026.03.14. 09:26:53");
    }

    void rowTypeFollowsClassification_data()
    {
        QTest::addColumn<int>("mjel");
        QTest::addColumn<bool>("bold");
        for (int mjel = 0; mjel <= 6; ++mjel)
            QTest::addRow("MJEL %d", mjel) << mjel << (mjel <= 4);
    }
    void rowTypeFollowsClassification()
    {
        QFETCH(int, mjel);
        QFETCH(bool, bold);
        ListPageInput in = input(0);
        in.rows.push_back(item(1, "12/2026", mjel, 1, "Címzett"));
        const Page page = laidOut(in).pages[0];
        for (const char* column : {"serial", "registration", "count", "addressee"}) {
            const PageElement* e = page.find(QStringLiteral("row1.") + column);
            QVERIFY(e);
            QCOMPARE(e->bold, bold);
            QCOMPARE(e->pointSize, 10.0);
        }
        if (const PageElement* e = page.find("row1.classification")) {
            QVERIFY(!e->bold);
            QCOMPARE(e->pointSize, 9.0);
        }
    }

    void itemRowColumns()
    {
        ListPageInput in = input(0);
        in.rows.push_back(item(1, "12/2026", 6, 7, ""));
        in.rows.push_back(item(2, "13/2026", 2, 1, "Posta"));
        in.rows.push_back(item(2, "14/2026", 2, 1, "Posta", 2));
        const Page page = laidOut(in).pages[0];
        const double top = 22.5 + 6.3;
        QCOMPARE(page.find("row1.serial")->rect, QRectF(2.1, top + 1.6, 6.6, 4.5));
        QCOMPARE(page.find("row1.serial")->alignment, Qt::AlignRight);
        QCOMPARE(page.find("row1.registration")->rect, QRectF(12.7, top + 1.6, 61.6, 4.5));
        QCOMPARE(page.find("row1.classification")->rect, QRectF(75.1, top + 1.6, 34.1, 4.5));
        QCOMPARE(page.find("row1.classification")->text, "Sima");
        QCOMPARE(page.find("row1.count")->rect, QRectF(110.1, top + 1.6, 10.8, 4.5));
        QCOMPARE(page.find("row1.count")->alignment, Qt::AlignHCenter);
        QCOMPARE(page.find("row1.count")->text, "7");
        QCOMPARE(page.find("row1.addressee")->rect, QRectF(122.8, top + 1.6, 66.1, 4.5));
        QCOMPARE(page.find("row1.addressee")->text, "-");
        QCOMPARE(page.find("row2.serial")->rect.top(), top + 6.1 + 1.6);
        // A group member shows only its registration number.
        QCOMPARE(int(page.findAll("row3.").size()), 1);
        QCOMPARE(page.find("row3.registration")->text, "14/2026");
        QCOMPARE(page.find("row3.registration")->rect.top(), top + 2 * 6.1 + 1.6);
    }

    void longAddresseeWrapsAndRowGrows()
    {
        ListPageInput in = input(0);
        const QString longName =
            QStringLiteral("Nemzeti Közszolgálati Egyetem Hadtudományi és Honvédtisztképző Kar "
                           "Katonai Logisztikai Intézet Titkárság");
        in.rows.push_back(item(1, "12/2026", 4, 1, longName));
        in.rows.push_back(item(2, "13/2026", 5, 2, "Posta"));
        const Page page = laidOut(in).pages[0];
        const PageElement* addressee = page.find("row1.addressee");
        QVERIFY(addressee->grows);
        const QStringList lines = addressee->lines();
        QVERIFY(lines.size() >= 2);
        QCOMPARE(lines.join(' '), longName);
        for (const QString& line : lines)
            QVERIFY(textWidthMm(printFont(10, true), line) <= 66.1);
        QCOMPARE(addressee->rect.left(), 122.8);
        QCOMPARE(addressee->rect.width(), 66.1);
        QCOMPARE(addressee->rect.height(), 4.5 * lines.size());
        // The next row starts under the grown row.
        const double rowTop = 22.5 + 6.3;
        QCOMPARE(page.find("row2.serial")->rect.top(), rowTop + 1.6 + 4.5 * lines.size() + 1.6);
        // The classification of the grown row stays one line.
        QCOMPARE(page.find("row1.classification")->text, "Korlátozott terjesztésű");
        QCOMPARE(page.find("row1.classification")->rect.height(), 4.5);
        QVERIFY(!page.find("row1.classification")->grows);
    }

    void classificationNeverWraps()
    {
        ListPageInput in = input(0);
        ListPageRow row = item(1, "12/2026", 4, 1, "Posta");
        row.columns.MJEL_SZ = QStringLiteral("Korlátozott terjesztésű és nagyon hosszú minősítés szövege");
        in.rows.push_back(row);
        in.rows.push_back(item(2, "13/2026", 5, 2, "Posta"));
        const Page page = laidOut(in).pages[0];
        const PageElement* e = page.find("row1.classification");
        QCOMPARE(e->lines().size(), 1);
        QCOMPARE(e->rect.size(), QSizeF(34.1, 4.5));
        QVERIFY(!e->fitsText); // cut off at the box's edge when painted
        QCOMPARE(page.find("row2.serial")->rect.top(), 22.5 + 6.3 + 6.1 + 1.6);
    }

    void paintedPageShowsBarsAndText()
    {
        const PageModel model = laidOut(input(3));
        QImage image(int(190 / 25.4 * 150), int(277 / 25.4 * 150), QImage::Format_RGB32);
        image.setDotsPerMeterX(int(150 / 0.0254));
        image.setDotsPerMeterY(int(150 / 0.0254));
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            paintPage(painter, model.pages[0], model.fontFamily);
        }
        auto inkIn = [&](const QRectF& mm) {
            const double s = 150 / 25.4;
            int ink = 0;
            for (int y = int(mm.top() * s); y < int(mm.bottom() * s); ++y)
                for (int x = int(mm.left() * s); x < int(mm.right() * s); ++x)
                    ink += qGray(image.pixel(x, y)) < 128;
            return ink;
        };
        const PageElement* bars = model.pages[0].find("barcode");
        QVERIFY(inkIn(bars->bars.front()) > 0);
        QVERIFY(inkIn(model.pages[0].find("title")->rect) > 0);
        // Nothing is painted between the barcode and the title.
        QCOMPARE(inkIn(QRectF(bars->rect.right() + 0.2, 0,
                              model.pages[0].find("title")->rect.left() - bars->rect.right() - 0.4, 8)),
                 0);
    }

    void matchesStoredReference()
    {
        ListPageInput in = input(33);
        in.rows[4] = item(5, "2345/2026/3", 5, 2,
                          "Nemzeti Közszolgálati Egyetem Hadtudományi és Honvédtisztképző Kar");
        in.rows[5] = item(5, "2346/2026/1", 5, 1, "", 1);
        in.rows[6] = item(6, "", 6, 7, "");
        const QString actual = dumpPageModel(laidOut(in));
        const QString path = QStringLiteral(DISPORA_SOURCE_DIR "/tests/lists/data/print_layout_b2.txt");
        if (qEnvironmentVariableIsSet("DISPORA_UPDATE_REFERENCES")) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(actual.toUtf8());
        }
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly),
                 qPrintable(path + " is missing; run with DISPORA_UPDATE_REFERENCES=1"));
        const QString expected = QString::fromUtf8(file.readAll());
        if (actual != expected) {
            QTemporaryDir dir;
            QFile got(dir.filePath("actual.txt"));
            QVERIFY(got.open(QIODevice::WriteOnly));
            got.write(actual.toUtf8());
            got.close();
            QProcess diff;
            diff.start("diff", {"-u", path, got.fileName()});
            diff.waitForFinished();
            QFAIL(qPrintable("The page layout moved:\n" + QString::fromUtf8(diff.readAllStandardOutput())));
        }
    }
};

QTEST_MAIN(TestPrintLayout)
#include "tst_print_layout.moc"
