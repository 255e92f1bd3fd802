#include "ListPageLayout.h"

#include "Code128Symbol.h"
#include "PrintFonts.h"
#include "app/DateTimeText.h"

#include <algorithm>

namespace lists {

namespace {

constexpr double kLine = 4.5;       // height of one line of a text box
constexpr double kRowTextTop = 1.6; // item texts below the top of their row
constexpr double kTitleCentre = 106.9;
constexpr double kBarcodeLeft = 2.1;
constexpr double kBarcodeTop = 1.1;
constexpr double kBarcodeHeight = 8.7; // bars and the value under them
// Narrowest bar: wide enough for any scanner, narrow enough to end before the title.
constexpr double kWidestModule = 0.33;
constexpr double kNarrowestModule = 0.19;
constexpr double kBarcodeTitleGap = 2.0;
constexpr double kColumnWidth = 48.9; // a column of the signature block
constexpr double kEpsilon = 1e-6;

PageElement textBox(const QString& name, double left, double top, double width, double height,
                    const QString& text, const QFont& font, Qt::Alignment alignment = Qt::AlignLeft)
{
    PageElement e;
    e.kind = PageElement::Kind::Text;
    e.name = name;
    e.rect = QRectF(left, top, width, height);
    e.text = text;
    e.pointSize = font.pointSizeF();
    e.bold = font.bold();
    e.italic = font.italic();
    e.alignment = alignment;
    e.lineHeight = height;
    return e;
}

// A box as wide as its text.
PageElement fittingText(const QString& name, double left, double top, double height, const QString& text,
                        const QFont& font)
{
    PageElement e = textBox(name, left, top, textWidthMm(font, text), height, text, font);
    e.fitsText = true;
    return e;
}

// A box that keeps its width and wraps its text onto lines of kLine each.
PageElement growingText(const QString& name, double left, double top, double width, const QString& text,
                        const QFont& font, Qt::Alignment alignment)
{
    const QStringList lines = wrapTextMm(font, text, width);
    PageElement e = textBox(name, left, top, width, kLine * lines.size(), lines.join(u'\n'), font, alignment);
    e.grows = true;
    e.lineHeight = kLine;
    return e;
}

PageElement line(const QString& name, double left, double top, double width)
{
    PageElement e;
    e.kind = PageElement::Kind::Line;
    e.name = name;
    e.rect = QRectF(left, top, width, 0.0);
    return e;
}

PageElement moved(PageElement e, double dy)
{
    e.rect.translate(0.0, dy);
    for (QRectF& bar : e.bars)
        bar.translate(0.0, dy);
    return e;
}

// The elements of one item row, relative to the row's top, and the row's height.
struct RowBlock
{
    std::vector<PageElement> elements;
    double height = ListPageBands::itemRow;
};

RowBlock layoutRow(const ListPageRow& row, int index)
{
    const QFont rowFont = printFont(10.0, row.classification <= 4);
    const QFont classificationFont = printFont(9.0);
    const QString prefix = QStringLiteral("row%1.").arg(index);
    RowBlock block;
    int lines = 1;
    auto add = [&](PageElement e) {
        if (e.text.isEmpty())
            return;
        lines = std::max(lines, int(e.lines().size()));
        block.elements.push_back(std::move(e));
    };
    add(growingText(prefix + QStringLiteral("serial"), 2.1, kRowTextTop, 6.6, row.columns.SORSZAM_SZ, rowFont,
                    Qt::AlignRight));
    add(growingText(prefix + QStringLiteral("registration"), 12.7, kRowTextTop, 61.6, row.columns.IKTSZAM_SZ,
                    rowFont, Qt::AlignLeft));
    // The classification keeps to one line; what does not fit is cut off.
    add(textBox(prefix + QStringLiteral("classification"), 75.1, kRowTextTop, 34.1, kLine,
                row.columns.MJEL_SZ, classificationFont));
    add(growingText(prefix + QStringLiteral("count"), 110.1, kRowTextTop, 10.8, row.columns.DB_SZ, rowFont,
                    Qt::AlignHCenter));
    add(growingText(prefix + QStringLiteral("addressee"), 122.8, kRowTextTop, 66.1, row.columns.KCIMZETT_SZ,
                    rowFont, Qt::AlignLeft));
    block.height = std::max(ListPageBands::itemRow, kRowTextTop + kLine * lines);
    return block;
}

// The barcode with its value under it; the bars get as wide as they may before the title.
std::vector<PageElement> layoutBarcode(const QString& value, double titleLeft)
{
    const Code128Symbol symbol = encodeCode128(value);
    const double room = titleLeft - kBarcodeTitleGap - kBarcodeLeft;
    const double module = std::clamp(room / symbol.modules, kNarrowestModule, kWidestModule);
    const QFont valueFont = printFont(8.0);
    const double valueHeight = lineHeightMm(valueFont);
    const double barHeight = kBarcodeHeight - valueHeight;
    const double width = symbol.modules * module;

    PageElement bars;
    bars.kind = PageElement::Kind::Barcode;
    bars.name = QStringLiteral("barcode");
    bars.text = value;
    bars.rect = QRectF(kBarcodeLeft, kBarcodeTop, width, kBarcodeHeight);
    for (const Code128Symbol::Bar& bar : symbol.bars)
        bars.bars.emplace_back(kBarcodeLeft + bar.start * module, kBarcodeTop, bar.width * module, barHeight);

    PageElement text = textBox(QStringLiteral("barcode.value"), kBarcodeLeft, kBarcodeTop + barHeight, width,
                               valueHeight, value, valueFont, Qt::AlignHCenter);
    text.fitsText = true;
    return {bars, text};
}

std::vector<PageElement> layoutPageHeader(const ListPageInput& input)
{
    std::vector<PageElement> out;
    PageElement title =
        fittingText(QStringLiteral("title"), 0.0, 0.5, 5.0, input.title, printFont(11.0, true));
    title.rect.moveLeft(kTitleCentre - title.rect.width() / 2.0);
    title.alignment = Qt::AlignHCenter;
    for (PageElement& e : layoutBarcode(input.barcodeValue, title.rect.left()))
        out.push_back(std::move(e));
    out.push_back(title);

    const QFont regular = printFont(10.0);
    const QFont bold = printFont(10.0, true);
    const QFont small = printFont(9.0);
    out.push_back(fittingText(QStringLiteral("listNumberCaption"), 154.0, 0.5, kLine,
                              QStringLiteral("Listaszám:"), regular));
    out.push_back(textBox(QStringLiteral("listNumber"), 171.4, 0.5, 17.2, kLine,
                          QString::number(input.listNumber), bold));
    out.push_back(
        fittingText(QStringLiteral("pageCaption"), 154.0, 4.8, kLine, QStringLiteral("Oldalszám:"), small));
    out.push_back(fittingText(QStringLiteral("copyLabel"), 154.5, 9.0, kLine, input.copyLabel, small));
    out.push_back(
        textBox(QStringLiteral("senderCaption"), 1.3, 11.9, 13.0, kLine, QStringLiteral("feladó:"), regular));
    out.push_back(textBox(QStringLiteral("sender"), 16.9, 11.9, 171.7, kLine, input.ownName, bold));
    out.push_back(textBox(QStringLiteral("addresseeCaption"), 1.3, 17.2, 13.8, kLine,
                          QStringLiteral("címzett:"), regular));
    out.push_back(textBox(QStringLiteral("addressee"), 16.9, 17.2, 171.7, kLine, input.addressee, bold));
    return out;
}

std::vector<PageElement> layoutColumnHeader(double top, double bandWidth)
{
    const QFont bold = printFont(10.0, true);
    const double textTop = top + 1.1;
    return {
        line(QStringLiteral("columnHeader.top"), 0.0, top, bandWidth),
        fittingText(QStringLiteral("column.serial"), 2.1, textTop, kLine, QStringLiteral("Ssz."), bold),
        fittingText(QStringLiteral("column.registration"), 12.7, textTop, kLine,
                    QStringLiteral("Iktatószám+példánysorszám"), bold),
        fittingText(QStringLiteral("column.classification"), 75.1, textTop, kLine,
                    QStringLiteral("Minősítési szint"), bold),
        fittingText(QStringLiteral("column.count"), 112.2, textTop, kLine, QStringLiteral("Db"), bold),
        fittingText(QStringLiteral("column.addressee"), 122.8, textTop, kLine,
                    QStringLiteral("Küldemény címzettje"), bold),
        line(QStringLiteral("columnHeader.bottom"), 0.0, top + ListPageBands::columnHeader, bandWidth),
    };
}

struct SignatureColumn
{
    QString name;
    double left;
    QString receipt;
    QString role;
    double stampLeft;
    double stampWidth;
};

std::vector<PageElement> layoutSignatures(double top, bool courierColumn)
{
    std::vector<SignatureColumn> columns;
    columns.push_back({QStringLiteral("handover"), 2.1, QStringLiteral("Átadás dátuma és időpontja:"),
                       QStringLiteral("átadó neve és aláírása"), 2.1, kColumnWidth});
    if (courierColumn)
        columns.push_back({QStringLiteral("courier"), 65.6, QStringLiteral("Átvétel dátuma és időpontja:"),
                           QStringLiteral("futár neve és aláírása"), 65.6, kColumnWidth});
    columns.push_back({QStringLiteral("sorter"), 131.2, QStringLiteral("Átvétel dátuma és időpontja:"),
                       QStringLiteral("levélrendező neve és aláírása"), 148.2, 15.1});

    const QFont regular = printFont(10.0);
    const QFont small = printFont(9.0);
    const QString dots(41, u'.');
    std::vector<PageElement> out;
    for (const SignatureColumn& c : columns) {
        const QString prefix = c.name + u'.';
        out.push_back(textBox(prefix + QStringLiteral("receipt"), c.left, top + 19.8, kColumnWidth, kLine,
                              c.receipt, regular, Qt::AlignHCenter));
        out.push_back(textBox(prefix + QStringLiteral("dots1"), c.left, top + 28.3, kColumnWidth, kLine, dots,
                              regular, Qt::AlignHCenter));
        out.push_back(textBox(prefix + QStringLiteral("dots2"), c.left, top + 36.8, kColumnWidth, kLine, dots,
                              regular, Qt::AlignHCenter));
        out.push_back(textBox(prefix + QStringLiteral("role"), c.left, top + 43.1, kColumnWidth, kLine,
                              c.role, small, Qt::AlignHCenter));
        out.push_back(textBox(prefix + QStringLiteral("stamp"), c.stampLeft, top + 47.4, c.stampWidth, kLine,
                              QStringLiteral("PH."), small, Qt::AlignHCenter));
    }
    return out;
}

std::vector<PageElement> layoutFooter(const ListPageInput& input, double top, double bandWidth, bool lastPage)
{
    std::vector<PageElement> out;
    out.push_back(line(QStringLiteral("footer.rule"), 0.0, top, bandWidth));
    if (lastPage) {
        PageElement summary =
            fittingText(QStringLiteral("summary"), 2.1, top + 2.6, kLine, input.summaryLine, printFont(10.0));
        const double totalLeft = summary.rect.right() + 13.2;
        out.push_back(summary);
        out.push_back(fittingText(QStringLiteral("total"), totalLeft, top + 2.6, kLine, input.totalLine,
                                  printFont(10.0, true)));
        out.push_back(fittingText(QStringLiteral("version"), 158.8, top + 3.7, 4.0,
                                  QStringLiteral("(prog.verzió: %1)").arg(input.programVersion),
                                  printFont(6.0, false, true)));
        out.push_back(fittingText(QStringLiteral("printDate"), 2.1, top + 10.1, kLine,
                                  QStringLiteral("Nyomtatva: ") + printDateText(input.printMoment),
                                  printFont(10.0)));
    }
    for (PageElement& e : layoutSignatures(top, input.printsCourierColumn))
        out.push_back(std::move(e));
    return out;
}

} // namespace

QString printDateText(const QDateTime& moment)
{
    return app::dateTimeText(moment);
}

PageModel layoutListPages(const ListPageInput& input)
{
    PageModel model;
    model.marginsMm = input.marginsMm;
    model.fontFamily = printFontFamily();
    const double bandWidth = model.paperMm.width() - input.marginsMm.left() - input.marginsMm.right();
    const double pageHeight = model.paperMm.height() - input.marginsMm.top() - input.marginsMm.bottom();
    const double rowsTop = ListPageBands::pageHeader + ListPageBands::columnHeader;
    const double footerTop = pageHeight - ListPageBands::pageFooter;

    const std::vector<PageElement> header = layoutPageHeader(input);
    const std::vector<PageElement> columnHeader = layoutColumnHeader(ListPageBands::pageHeader, bandWidth);

    const QFont small = printFont(9.0);
    double y = rowsTop;
    auto startPage = [&] {
        Page page;
        page.number = int(model.pages.size()) + 1;
        page.elements = header;
        page.elements.push_back(fittingText(QStringLiteral("pageNumber"), 171.4, 4.8, kLine,
                                            QStringLiteral("%1/%2").arg(page.number).arg(input.totalPages),
                                            small));
        page.elements.insert(page.elements.end(), columnHeader.begin(), columnHeader.end());
        model.pages.push_back(std::move(page));
        y = rowsTop;
    };
    startPage();
    for (size_t i = 0; i < input.rows.size(); ++i) {
        RowBlock row = layoutRow(input.rows[i], int(i) + 1);
        // A row too tall for an empty page still goes on it rather than nowhere.
        if (y + row.height > footerTop + kEpsilon && y > rowsTop + kEpsilon)
            startPage();
        for (const PageElement& e : row.elements)
            model.pages.back().elements.push_back(moved(e, y));
        y += row.height;
    }

    for (Page& page : model.pages) {
        for (PageElement& e : layoutFooter(input, footerTop, bandWidth, page.number == input.totalPages))
            page.elements.push_back(std::move(e));
    }
    return model;
}

} // namespace lists
