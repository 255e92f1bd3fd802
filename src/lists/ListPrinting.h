#pragma once

#include "ListPageLayout.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace app {
class MessageService;
}

namespace store {
class Query;
class TDM1;
} // namespace store

namespace lists {

struct ListKindInfo;

// Pieces of one list as the barcode and the summary line count them.
struct PieceCounts
{
    int classified = 0; // a
    int registered = 0; // b
    int plain = 0;      // c
};

PieceCounts countPieces(store::TDM1& dm, const ListKindInfo& kind, int listNumber);
QString barcodeValue(const ListKindInfo& kind, const QString& ownCode, int listNumber,
                     const PieceCounts& counts);
QString summaryLine(const PieceCounts& counts);
QString totalLine(const PieceCounts& counts);

// The printer a list goes to, as a position in `names`: the system's current printer
// when the settings ask for it or when the stored position names no installed printer
// (the first printer when the system has no current one); -1 without any printer.
int choosePrinter(const QStringList& names, int currentIndex, bool useDefaultPrinter, int printerIndex);

// The items of an open item view in its order, as the printed page shows them.
std::vector<ListPageRow> pageRowsOf(const store::Query& view);

// The copy labels of the two copies, in printing order.
const QStringList& copyLabels();

enum class PrintResult
{
    Printed, // both copies went to the printer and the header is stamped
    Refused, // a check failed; its message was reported, nothing changed
};

// Both copies of one printing, laid out; what the printer, the preview and a PDF file
// all draw, and what the header stamp needs.
struct ListCopies
{
    int kind = 0;
    int listNumber = 0;
    QDateTime printMoment;
    QString barcodeValue;
    std::vector<PageModel> copies; // in printing order, one per copy label
};

// Checks the list on show (its items are in the item view MyQuery2) and lays out both
// copies with `printMoment` = now. A refusal is reported to `messages` and gives nothing.
std::optional<ListCopies> layOutCopies(store::TDM1& dm, int kind, int listNumber, const QString& addressee,
                                       app::MessageService& messages);

// The same for any list of the kind: opens the item view on it and takes the list
// addressee stored in its header.
std::optional<ListCopies> layOutStoredList(store::TDM1& dm, int kind, int listNumber,
                                           app::MessageService& messages);

// Sends each laid-out copy to the printer as a print job of its own, then stamps the
// list's header with the copies' print moment. A failure of the printer raises
// (std::runtime_error); the copy after it is not printed and nothing is stamped.
PrintResult printCopies(store::TDM1& dm, const ListCopies& copies, app::MessageService& messages);

// Prints the list on show in two copies and stamps its header.
PrintResult printList(store::TDM1& dm, int kind, int listNumber, const QString& addressee,
                      app::MessageService& messages);

// Prints any list of the kind again, with its stored addressee, and stamps that list.
PrintResult reprintList(store::TDM1& dm, int kind, int listNumber, app::MessageService& messages);

// Writes the pages of both copies, one after the other, into a PDF file; raises
// std::runtime_error when the file cannot be written.
void savePdf(const ListCopies& copies, const QString& path);

// The file name offered for the PDF of a list, e.g. "B-2_Futárjegyzék_12.pdf" or
// "BZS-3_Futárjegyzék_NATO_3.pdf".
QString proposedPdfName(const ListCopies& copies);

} // namespace lists
