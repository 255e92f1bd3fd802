#include "Code128Symbol.h"

#include <zint.h>

#include <cmath>
#include <memory>
#include <stdexcept>

namespace lists {

namespace {

struct SymbolDeleter
{
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

[[noreturn]] void fail(const QString& value, const char* reason)
{
    throw std::runtime_error(QStringLiteral("A vonalkód nem készíthető el ebből: „%1” (%2)")
                                 .arg(value, QString::fromUtf8(reason))
                                 .toStdString());
}

} // namespace

Code128Symbol encodeCode128(const QString& value)
{
    std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    if (!symbol)
        fail(value, "no memory");
    symbol->symbology = BARCODE_CODE128;
    symbol->show_hrt = 0; // the page prints the value itself
    symbol->whitespace_width = 0;
    symbol->border_width = 0;
    const QByteArray data = value.toUtf8();
    const int encoded = ZBarcode_Encode(
        symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()), int(data.size()));
    if (encoded >= ZINT_ERROR)
        fail(value, symbol->errtxt);
    if (ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR || !symbol->vector || symbol->width <= 0)
        fail(value, symbol->errtxt);

    // The vector output works in its own units; the symbol's width in modules scales it.
    Code128Symbol result;
    result.modules = symbol->width;
    const double unitsPerModule = double(symbol->vector->width) / symbol->width;
    for (const zint_vector_rect* rect = symbol->vector->rectangles; rect; rect = rect->next) {
        Code128Symbol::Bar bar;
        bar.start = int(std::lround(rect->x / unitsPerModule));
        bar.width = int(std::lround(rect->width / unitsPerModule));
        if (bar.width > 0)
            result.bars.push_back(bar);
    }
    if (result.bars.empty())
        fail(value, "empty symbol");
    return result;
}

} // namespace lists
