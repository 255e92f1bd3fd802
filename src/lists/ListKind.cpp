#include "ListKind.h"

#include <array>
#include <stdexcept>

namespace lists {

namespace {

const std::array<ListKindInfo, kListKindCount>& table()
{
    static const std::array<ListKindInfo, kListKindCount> kinds = {{
        {ListKind::B2, 1, QStringLiteral("B-2 Futárjegyzék"), QStringLiteral("Tb2f_form"),
         QStringLiteral("B2"), QStringLiteral("B2_ADATOK"), QStringLiteral("b2"), QStringLiteral("B2"),
         QStringLiteral("B2_ADATOK"), QStringLiteral("1"), QStringLiteral("Minősítési szint"), true, true,
         true, WindowFrame::FixedCloseOnly, true},
        {ListKind::BZS3, 2, QStringLiteral("BZS-3 Futárjegyzék"), QStringLiteral("Tbzs3_form"),
         QStringLiteral("BZS3"), QStringLiteral("BZS3_ADATOK"), QStringLiteral("bzs3"),
         QStringLiteral("BZS3"), QStringLiteral("BZS3_ADATOK"), QStringLiteral("2"),
         QStringLiteral("Minősítési szint"), true, true, false, WindowFrame::ResizableCloseOnly, false},
        {ListKind::B2ZSAK, 3, QStringLiteral("B-2 Zsákjegyzék"), QStringLiteral("Tb2zsak_form"),
         QStringLiteral("B2ZSAK"), QStringLiteral("b2zsak_ADATOK"), QStringLiteral("b2zsak"),
         QStringLiteral("B2ZSAK"), QStringLiteral("B2ZSAK_ADATOK"), QStringLiteral("3"),
         QStringLiteral("Minősítési szint"), true, true, true, WindowFrame::ResizableCloseOnly, false},
        {ListKind::B2NATO, 4, QStringLiteral("B-2 Futárjegyzék (NATO)"), QStringLiteral("Tb2nato_form"),
         QStringLiteral("B2NATO"), QStringLiteral("B2NATO_ADATOK"), QStringLiteral("b2nato"),
         QStringLiteral("B2NATO"), QStringLiteral("B2NATO_ADATOK"), QStringLiteral("4"), QStringLiteral(" "),
         false, true, true, WindowFrame::ResizableWithMinMax, false},
        {ListKind::BZS3NATO, 5, QStringLiteral("BZS-3 Futárjegyzék (NATO)"), QStringLiteral("Tbzs3nato_form"),
         QStringLiteral("BZS3NATO"), QStringLiteral("BZS3NATO_ADATOK"), QStringLiteral("bzs3nato"),
         QStringLiteral("bzs3nato"), QStringLiteral("bzs3nato_ADATOK"), QStringLiteral("5"),
         QStringLiteral(" "), false, false, false, WindowFrame::ResizableCloseOnly, false},
    }};
    return kinds;
}

} // namespace

const ListKindInfo& listKind(int number)
{
    if (number < 1 || number > kListKindCount)
        throw std::out_of_range("list kind out of range");
    return table()[size_t(number - 1)];
}

} // namespace lists
