#pragma once

#include <QString>

namespace lists {

// The five list kinds; the numbers are stored in the application state.
enum class ListKind
{
    B2 = 1,
    BZS3 = 2,
    B2ZSAK = 3,
    B2NATO = 4,
    BZS3NATO = 5,
};

enum class WindowFrame
{
    FixedCloseOnly,
    ResizableCloseOnly,
    ResizableWithMinMax,
};

// Everything that differs between the kinds. No other code branches on the kind.
struct ListKindInfo
{
    ListKind kind;
    int number;
    QString caption;              // menu button, window title and printed title
    QString windowName;           // the workspace window's class name
    QString itemTable;            // as the workspace and printing statements write it
    QString headerTable;          // as the workspace and printing statements write it
    QString lowerItemTable;       // as the renumbering and rebuild write it
    QString entryItemTable;       // as the item entry dialog writes it
    QString entryHeaderTable;     // as the item entry dialog writes it
    QString barcodeDigit;         // first field of the barcode value
    QString classificationTitle;  // grid title over the classification column
    bool hasClassificationChoice; // national kinds choose a level; NATO items get MJEL 0
    bool countsTopLevelOnly;      // classified and registered counts skip group members
    bool printsCourierColumn;     // signature block has the courier's column
    WindowFrame frame;
    bool minimiseHidesApplication; // a minimise hides the window and minimises the program
};

constexpr int kListKindCount = 5;

// The constants of kind 1 to 5.
const ListKindInfo& listKind(int number);
inline const ListKindInfo& listKind(ListKind kind)
{
    return listKind(int(kind));
}

} // namespace lists
