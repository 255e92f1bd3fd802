#pragma once

#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <vector>

namespace lists {

// One thing printed on a page. Positions are millimetres from the top left corner
// of the printable area (the page inside its margins).
struct PageElement
{
    enum class Kind
    {
        Text,
        Line,    // from the rect's top left to its top right corner
        Barcode, // the bars; the value under them is a text element of its own
    };

    Kind kind = Kind::Text;
    QString name; // says what the element is, for readers of the model
    QRectF rect;
    QString text; // one line, or the lines of a wrapped text joined by '\n'
    double pointSize = 10.0;
    bool bold = false;
    bool italic = false;
    Qt::Alignment alignment = Qt::AlignLeft; // horizontal; text sits at the top of its box
    bool grows = false;                      // wraps onto further lines and makes its row taller
    bool fitsText = false;                   // as wide as its text, so never cut off
    double lineHeight = 0;                   // height of one text line
    std::vector<QRectF> bars;

    QStringList lines() const { return text.split(u'\n'); }
};

struct Page
{
    int number = 0; // 1-based
    std::vector<PageElement> elements;

    // The first element of that name, or nullptr.
    const PageElement* find(const QString& name) const;
    // Every element whose name starts with the prefix, in page order.
    std::vector<const PageElement*> findAll(const QString& prefix) const;
};

struct PageModel
{
    QSizeF paperMm{210.0, 297.0};
    QMarginsF marginsMm; // left, top, right, bottom
    QString fontFamily;
    std::vector<Page> pages;
};

// The model as text, one element per line, numbers with a fixed locale; meant for
// comparing layouts line by line.
QString dumpPageModel(const PageModel& model);

} // namespace lists
