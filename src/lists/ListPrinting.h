#pragma once

#include <QString>

namespace store {
class TDM1;
}

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
QString barcodeValue(const ListKindInfo& kind, const QString& ownCode, int listNumber, const PieceCounts& counts);
QString summaryLine(const PieceCounts& counts);
QString totalLine(const PieceCounts& counts);

enum class PrintResult
{
    Printed, // both copies went to the printer and the header is stamped
    Refused, // a check failed; its message was shown, nothing changed
};

// Prints the list on show (its items are in the item view MyQuery2) in two copies
// and stamps its header. Printer failures raise; nothing is stamped then.
PrintResult printList(store::TDM1& dm, int kind, int listNumber, const QString& addressee);

} // namespace lists
