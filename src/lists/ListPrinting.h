#pragma once

#include "ListPageLayout.h"

#include <QString>
#include <QStringList>
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

// Prints the list on show (its items are in the item view MyQuery2) in two copies,
// each a print job of its own, and stamps its header. A refusal is reported to `messages`.
// A failure of the printer raises (std::runtime_error); the copy after it is not printed
// and nothing is stamped.
PrintResult printList(store::TDM1& dm, int kind, int listNumber, const QString& addressee,
                      app::MessageService& messages);

} // namespace lists
