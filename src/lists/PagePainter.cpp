#include "PagePainter.h"

#include <QFont>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

namespace lists {

namespace {

constexpr double kThinLineMm = 0.2;

} // namespace

void paintPage(QPainter& painter, const Page& page, const QString& fontFamily)
{
    const double sx = painter.device()->logicalDpiX() / 25.4;
    const double sy = painter.device()->logicalDpiY() / 25.4;
    auto toDevice = [&](const QRectF& r) {
        return QRectF(r.left() * sx, r.top() * sy, r.width() * sx, r.height() * sy);
    };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    for (const PageElement& e : page.elements) {
        switch (e.kind) {
        case PageElement::Kind::Line: {
            painter.setPen(QPen(Qt::black, kThinLineMm * sy, Qt::SolidLine, Qt::FlatCap));
            const QRectF r = toDevice(e.rect);
            painter.drawLine(r.topLeft(), r.topRight());
            break;
        }
        case PageElement::Kind::Barcode:
            for (const QRectF& bar : e.bars)
                painter.fillRect(toDevice(bar), Qt::black);
            break;
        case PageElement::Kind::Text: {
            QFont font(fontFamily);
            font.setPointSizeF(e.pointSize);
            font.setBold(e.bold);
            font.setItalic(e.italic);
            font.setHintingPreference(QFont::PreferNoHinting);
            painter.setFont(font);
            painter.setPen(Qt::black);
            const int flags = int(e.alignment) | Qt::AlignTop | Qt::TextSingleLine |
                              (e.fitsText ? int(Qt::TextDontClip) : 0);
            const QStringList lines = e.lines();
            const double lineHeight = e.lineHeight > 0 ? e.lineHeight : e.rect.height();
            for (int i = 0; i < lines.size(); ++i) {
                const QRectF slot(e.rect.left(), e.rect.top() + i * lineHeight, e.rect.width(), lineHeight);
                painter.drawText(toDevice(slot), flags, lines[i]);
            }
            break;
        }
        }
    }
    painter.restore();
}

} // namespace lists
