#include "app/AppState.h"
#include "lists/ListKind.h"
#include "lists/ListPrinting.h"
#include "store/DataModule.h"
#include "support/PdfTools.h"
#include "support/ProgramFolder.h"

#include <QTemporaryDir>
#include <QTest>

using namespace testsupport;
using lists::listKind;

namespace {

store::TDM1& dm()
{
    return store::TDM1::instance();
}

// The saved PDF is compared with the print jobs page by page, with the layout kept.
QString pageText(const QString& pdf, int page)
{
    return pdfPageText(pdf, page, true);
}

QString barcodeOn(const QString& pdf, int page, const QString& stem)
{
    return readBarcodes(renderPdfPage(pdf, page, 300, stem));
}

// A printed list of `count` items with a long addressee and a group member.
void addList(int kind, int list, int count)
{
    const auto& info = listKind(kind);
    exec(QStringLiteral("INSERT INTO %1 (LSZAM,JCIMZETT,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) "
                        "VALUES (:l,'Árvízvédelmi Igazgatóság','2026-01-05 10:00:00',1)")
             .arg(info.headerTable),
         {{"l", list}});
    for (int i = 1; i <= count; ++i)
        exec(QStringLiteral("INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,KCIMZETT,SZAMNELKULI,SORSZAM,KCIMZETT_AZ,DB) "
                            "VALUES (:l,:i,:m,:k,1,:s,'0',1)")
                 .arg(info.itemTable),
             {{"l", list},
              {"i", QStringLiteral("%1/2026/1").arg(700 + i)},
              {"m", info.hasClassificationChoice ? 1 + i % 5 : 0},
              {"k", QStringLiteral("Címzett szerv %1").arg(i)},
              {"s", i}});
}

} // namespace

class TestPreviewPdf : public QObject
{
    Q_OBJECT
    Services* services = nullptr;
    QTemporaryDir folder;

private slots:
    void initTestCase()
    {
        programFolder();
        services = &installServices();
        app::AppState& state = app::appState();
        state.ownCode = QStringLiteral("654321");
        state.ownName = QStringLiteral("Központi Irattár");
        state.marginLeft = state.marginTop = state.marginRight = state.marginBottom = 10;
    }

    void init()
    {
        resetTables();
        services->printers.clear();
        services->messages.texts.clear();
    }

    // The PDF holds the pages of copy 1 and then copy 2, each the same as its print job.
    void savedPdfIsThePrintJob_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("items");
        QTest::newRow("B-2, two pages a copy") << 1 << 40;
        QTest::newRow("BZS-3 NATO, one page a copy") << 5 << 6;
    }
    void savedPdfIsThePrintJob()
    {
        QFETCH(int, kind);
        QFETCH(int, items);
        addList(kind, 7, items);
        const std::optional<lists::ListCopies> copies =
            lists::layOutStoredList(dm(), kind, 7, services->messages);
        QVERIFY(copies);
        const QString pdf = folder.filePath(QStringLiteral("saved%1.pdf").arg(kind));
        lists::savePdf(*copies, pdf);
        QCOMPARE(lists::printCopies(dm(), *copies, services->messages), lists::PrintResult::Printed);
        const auto& jobs = services->printers.jobs;
        QCOMPARE(int(jobs.size()), 2);
        const int perCopy = jobs[0].pageCount;
        QCOMPARE(pdfPageCount(jobs[0].pdfPath), perCopy);
        QCOMPARE(pdfPageCount(pdf), 2 * perCopy);
        for (int page = 1; page <= 2 * perCopy; ++page) {
            const auto& job = jobs[size_t((page - 1) / perCopy)];
            const QString saved = pageText(pdf, page);
            QVERIFY(saved.contains("Árvízvédelmi Igazgatóság"));
            QCOMPARE(saved, pageText(job.pdfPath, (page - 1) % perCopy + 1));
        }
        const QString expected = "CODE-128:" + copies->barcodeValue + "\n";
        QCOMPARE(barcodeOn(pdf, 1, folder.filePath("saved")), expected);
        QCOMPARE(barcodeOn(jobs[1].pdfPath, 1, folder.filePath("job")), expected);
    }

    void unwritableFileIsReported()
    {
        addList(1, 3, 2);
        const std::optional<lists::ListCopies> copies =
            lists::layOutStoredList(dm(), 1, 3, services->messages);
        QVERIFY(copies);
        try {
            lists::savePdf(*copies, folder.filePath("nincs/ilyen/mappa/lista.pdf"));
            QFAIL("no error");
        } catch (const std::runtime_error& e) {
            QVERIFY2(QString::fromUtf8(e.what()).startsWith("A PDF-fájl nem írható:"), e.what());
        }
    }

    void proposedName_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("list");
        QTest::addColumn<QString>("name");
        QTest::newRow("B-2") << 1 << 12 << "B-2_Futárjegyzék_12.pdf";
        QTest::newRow("BZS-3 NATO") << 5 << 3 << "BZS-3_Futárjegyzék_NATO_3.pdf";
    }
    void proposedName()
    {
        QFETCH(int, kind);
        QFETCH(int, list);
        QFETCH(QString, name);
        lists::ListCopies copies;
        copies.kind = kind;
        copies.listNumber = list;
        QCOMPARE(lists::proposedPdfName(copies), name);
    }
};

QTEST_MAIN(TestPreviewPdf)
#include "tst_preview_pdf.moc"
