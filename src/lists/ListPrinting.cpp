#include "ListPrinting.h"

#include "ListKind.h"
#include "PagePainter.h"
#include "app/AppState.h"
#include "app/PrintJob.h"
#include "app/Services.h"
#include "store/DataModule.h"
#include "store/DisplayColumns.h"

namespace lists {

PieceCounts countPieces(store::TDM1& dm, const ListKindInfo& kind, int listNumber)
{
    const QString topLevel = kind.countsTopLevelOnly ? QStringLiteral(" AND (SZULO_ID=0)") : QString();
    PieceCounts counts;
    auto& q = dm.MyQuery1;
    q.open(QStringLiteral("SELECT MJEL FROM %1 WHERE (LSZAM=:LSZAM) AND (NOT (MJEL=6)) AND (NOT (MJEL=5))%2")
               .arg(kind.itemTable, topLevel),
           {{QStringLiteral("LSZAM"), listNumber}});
    counts.classified = q.rowCount();
    q.open(QStringLiteral("SELECT SUM(DB) AS DARAB FROM %1 WHERE (LSZAM=:LSZAM) AND (MJEL=5)%2")
               .arg(kind.itemTable, topLevel),
           {{QStringLiteral("LSZAM"), listNumber}});
    counts.registered = q.isEmpty() ? 0 : q.value(QStringLiteral("DARAB")).toInt();
    q.open(QStringLiteral("SELECT SZAMNELKULI FROM %1 WHERE (LSZAM=:LSZAM) AND (MJEL=6)").arg(kind.itemTable),
           {{QStringLiteral("LSZAM"), listNumber}});
    counts.plain = q.isEmpty() ? 0 : q.value(QStringLiteral("SZAMNELKULI")).toInt();
    q.close();
    return counts;
}

QString barcodeValue(const ListKindInfo& kind, const QString& ownCode, int listNumber,
                     const PieceCounts& counts)
{
    return QStringList{kind.barcodeDigit,
                       ownCode,
                       QString::number(listNumber),
                       QString::number(counts.classified),
                       QString::number(counts.registered),
                       QString::number(counts.plain)}
        .join(u'-');
}

QString summaryLine(const PieceCounts& counts)
{
    return QStringLiteral("Minősített: %1 db,      Nyilvántartott: %2 db,      Sima: %3 db.")
        .arg(counts.classified)
        .arg(counts.registered)
        .arg(counts.plain);
}

QString totalLine(const PieceCounts& counts)
{
    return QStringLiteral("Összesen: %1 db küldemény.")
        .arg(counts.classified + counts.registered + counts.plain);
}

int choosePrinter(const QStringList& names, int currentIndex, bool useDefaultPrinter, int printerIndex)
{
    if (names.isEmpty())
        return -1;
    if (!useDefaultPrinter && printerIndex >= 0 && printerIndex < names.size())
        return printerIndex;
    return currentIndex >= 0 && currentIndex < names.size() ? currentIndex : 0;
}

std::vector<ListPageRow> pageRowsOf(const store::Query& view)
{
    std::vector<ListPageRow> rows;
    rows.reserve(size_t(view.rowCount()));
    for (int row = 0; row < view.rowCount(); ++row)
        rows.push_back({store::displayColumnsOf(view, row), view.value(row, QStringLiteral("MJEL")).toInt()});
    return rows;
}

const QStringList& copyLabels()
{
    static const QStringList labels = {QStringLiteral("1.sz. pédány"), QStringLiteral("2.sz. pédány")};
    return labels;
}

PrintResult printList(store::TDM1& dm, int kind, int listNumber, const QString& addressee,
                      app::MessageService& messages)
{
    app::AppState& state = app::appState();
    state.printMoment = app::clock().now();
    if (dm.MyQuery2.isEmpty()) {
        messages.inform(QStringLiteral("Nincs tétele a jegyzéknek, nem lehet nyomtatni!"));
        return PrintResult::Refused;
    }
    if (addressee.isEmpty()) {
        messages.inform(QStringLiteral("Nincs megadva a futárjegyzék címzettje!"));
        return PrintResult::Refused;
    }
    const ListKindInfo& info = listKind(kind);
    const PieceCounts counts = countPieces(dm, info, listNumber);
    state.summaryLine = summaryLine(counts);
    state.totalLine = totalLine(counts);

    ListPageInput page;
    page.title = info.caption;
    page.listNumber = listNumber;
    page.ownName = state.ownName;
    page.addressee = addressee;
    page.barcodeValue = barcodeValue(info, state.ownCode, listNumber, counts);
    page.summaryLine = state.summaryLine;
    page.totalLine = state.totalLine;
    page.printMoment = state.printMoment;
    page.programVersion = state.programVersion;
    page.printsCourierColumn = info.printsCourierColumn;
    page.marginsMm = QMarginsF(state.marginLeft, state.marginTop, state.marginRight, state.marginBottom);

    app::PrinterService& printers = app::printers();
    const QStringList names = printers.printerNames();
    const int printer =
        choosePrinter(names, printers.currentPrinterIndex(), state.useDefaultPrinter, state.printerIndex);
    if (printer < 0) {
        messages.inform(QStringLiteral("Nincs telepített nyomtató, a jegyzék nem nyomtatható!"));
        return PrintResult::Refused;
    }

    for (const QString& label : copyLabels()) {
        page.copyLabel = label;
        dm.MyQuery2.refresh();
        page.rows = pageRowsOf(dm.MyQuery2);
        // Counting run: the page numbers ("1/2") need the number of pages first.
        page.totalPages = 0;
        state.totalPages = int(layoutListPages(page).pages.size());
        page.totalPages = state.totalPages;
        const PageModel model = layoutListPages(page);

        app::PrintJob job;
        job.printerName = names.at(printer);
        job.title = QStringLiteral("Kovenda");
        job.marginsMm = page.marginsMm;
        job.copies = 1;
        job.pageCount = int(model.pages.size());
        job.paintPage = [&model](QPainter& painter, int index) {
            paintPage(painter, model.pages.at(size_t(index)), model.fontFamily);
        };
        printers.print(job);
    }

    dm.MyQuery1.execute(
        QStringLiteral("UPDATE %1 SET NYOMTATAS_DATUMA=:NYD, NYOMTATAS_PELDANY=NYOMTATAS_PELDANY+1 "
                       "WHERE LSZAM=:LSZAM")
            .arg(info.headerTable),
        {{QStringLiteral("NYD"), state.printMoment}, {QStringLiteral("LSZAM"), listNumber}});
    return PrintResult::Printed;
}

} // namespace lists
