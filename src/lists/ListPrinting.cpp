#include "ListPrinting.h"

#include "ListKind.h"
#include "ListSelection.h"
#include "PagePainter.h"
#include "app/AppState.h"
#include "app/PrintJob.h"
#include "app/Services.h"
#include "store/DataModule.h"
#include "store/DisplayColumns.h"

#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <stdexcept>

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

std::optional<ListCopies> layOutCopies(store::TDM1& dm, int kind, int listNumber, const QString& addressee,
                                       app::MessageService& messages)
{
    app::AppState& state = app::appState();
    state.printMoment = app::clock().now();
    if (dm.MyQuery2.isEmpty()) {
        messages.inform(QStringLiteral("Nincs tétele a jegyzéknek, nem lehet nyomtatni!"));
        return std::nullopt;
    }
    if (addressee.isEmpty()) {
        messages.inform(QStringLiteral("Nincs megadva a futárjegyzék címzettje!"));
        return std::nullopt;
    }
    const ListKindInfo& info = listKind(kind);
    const PieceCounts counts = countPieces(dm, info, listNumber);
    state.summaryLine = summaryLine(counts);
    state.totalLine = totalLine(counts);

    ListCopies result;
    result.kind = kind;
    result.listNumber = listNumber;
    result.printMoment = state.printMoment;
    result.barcodeValue = barcodeValue(info, state.ownCode, listNumber, counts);

    ListPageInput page;
    page.title = info.caption;
    page.listNumber = listNumber;
    page.ownName = state.ownName;
    page.addressee = addressee;
    page.barcodeValue = result.barcodeValue;
    page.summaryLine = state.summaryLine;
    page.totalLine = state.totalLine;
    page.printMoment = state.printMoment;
    page.programVersion = state.programVersion;
    page.printsCourierColumn = info.printsCourierColumn;
    page.marginsMm = QMarginsF(state.marginLeft, state.marginTop, state.marginRight, state.marginBottom);

    for (const QString& label : copyLabels()) {
        page.copyLabel = label;
        dm.MyQuery2.refresh();
        page.rows = pageRowsOf(dm.MyQuery2);
        // Counting run: the page numbers ("1/2") need the number of pages first.
        page.totalPages = 0;
        state.totalPages = int(layoutListPages(page).pages.size());
        page.totalPages = state.totalPages;
        result.copies.push_back(layoutListPages(page));
    }
    return result;
}

std::optional<ListCopies> layOutStoredList(store::TDM1& dm, int kind, int listNumber,
                                           app::MessageService& messages)
{
    const ListKindInfo& info = listKind(kind);
    dm.MyQuery1.open(QStringLiteral("SELECT JCIMZETT FROM %1 WHERE LSZAM=:LSZAM").arg(info.headerTable),
                     {{QStringLiteral("LSZAM"), listNumber}});
    const QString addressee =
        dm.MyQuery1.isEmpty() ? QString() : dm.MyQuery1.value(QStringLiteral("JCIMZETT")).toString();
    dm.MyQuery1.close();
    ListSelection(dm, info).openItemView(listNumber);
    return layOutCopies(dm, kind, listNumber, addressee, messages);
}

PrintResult printCopies(store::TDM1& dm, const ListCopies& copies, app::MessageService& messages)
{
    const app::AppState& state = app::appState();
    app::PrinterService& printers = app::printers();
    const QStringList names = printers.printerNames();
    const int printer =
        choosePrinter(names, printers.currentPrinterIndex(), state.useDefaultPrinter, state.printerIndex);
    if (printer < 0) {
        messages.inform(QStringLiteral("Nincs telepített nyomtató, a jegyzék nem nyomtatható!"));
        return PrintResult::Refused;
    }

    for (const PageModel& model : copies.copies) {
        app::PrintJob job;
        job.printerName = names.at(printer);
        job.title = QStringLiteral("Kovenda");
        job.marginsMm = model.marginsMm;
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
            .arg(listKind(copies.kind).headerTable),
        {{QStringLiteral("NYD"), copies.printMoment}, {QStringLiteral("LSZAM"), copies.listNumber}});
    return PrintResult::Printed;
}

PrintResult printList(store::TDM1& dm, int kind, int listNumber, const QString& addressee,
                      app::MessageService& messages)
{
    const std::optional<ListCopies> copies = layOutCopies(dm, kind, listNumber, addressee, messages);
    return copies ? printCopies(dm, *copies, messages) : PrintResult::Refused;
}

PrintResult reprintList(store::TDM1& dm, int kind, int listNumber, app::MessageService& messages)
{
    const std::optional<ListCopies> copies = layOutStoredList(dm, kind, listNumber, messages);
    return copies ? printCopies(dm, *copies, messages) : PrintResult::Refused;
}

void savePdf(const ListCopies& copies, const QString& path)
{
    if (copies.copies.empty())
        throw std::runtime_error("Nincs mit menteni!");
    // One job over the pages of both copies, painted exactly as the printer gets them.
    std::vector<std::pair<const PageModel*, size_t>> pages;
    for (const PageModel& model : copies.copies)
        for (size_t page = 0; page < model.pages.size(); ++page)
            pages.emplace_back(&model, page);
    app::PrintJob job;
    job.title = QStringLiteral("Kovenda");
    job.marginsMm = copies.copies.front().marginsMm;
    job.pageCount = int(pages.size());
    job.paintPage = [&pages](QPainter& painter, int index) {
        const auto& [model, page] = pages.at(size_t(index));
        paintPage(painter, model->pages.at(page), model->fontFamily);
    };
    {
        // QPdfWriter only says that painting could not begin; the operator needs to know why.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error(QStringLiteral("A PDF-fájl nem írható: %1 (%2)!")
                                         .arg(QDir::toNativeSeparators(path), file.errorString())
                                         .toStdString());
    }
    QPdfWriter writer(path);
    writer.setTitle(QStringLiteral("%1 %2").arg(listKind(copies.kind).caption).arg(copies.listNumber));
    writer.setCreator(QStringLiteral("Dispora"));
    app::renderPrintJob(writer, job);
}

QString proposedPdfName(const ListCopies& copies)
{
    QString caption = listKind(copies.kind).caption;
    caption.remove(u'(').remove(u')').replace(u' ', u'_');
    return QStringLiteral("%1_%2.pdf").arg(caption).arg(copies.listNumber);
}

} // namespace lists
