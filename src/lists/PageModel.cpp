#include "PageModel.h"

#include <algorithm>

namespace lists {

namespace {

QString mm(double value)
{
    return QString::number(value, 'f', 2);
}

QString alignmentName(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignHCenter)
        return QStringLiteral("center");
    if (alignment & Qt::AlignRight)
        return QStringLiteral("right");
    return QStringLiteral("left");
}

QString quoted(const QString& text)
{
    QString out = text;
    out.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'"', QStringLiteral("\\\""))
        .replace(u'\n', QStringLiteral("\\n"));
    return u'"' + out + u'"';
}

QString dumpElement(const PageElement& e)
{
    const QString place =
        QStringLiteral("%1,%2 %3x%4")
            .arg(mm(e.rect.left()), mm(e.rect.top()), mm(e.rect.width()), mm(e.rect.height()));
    switch (e.kind) {
    case PageElement::Kind::Line:
        return QStringLiteral("line %1 %2").arg(e.name, place);
    case PageElement::Kind::Barcode: {
        double thinnest = e.bars.empty() ? 0.0 : e.bars.front().width();
        for (const QRectF& bar : e.bars)
            thinnest = std::min(thinnest, bar.width());
        return QStringLiteral("barcode %1 %2 bars=%3 narrowest=%4 %5")
            .arg(e.name, place)
            .arg(e.bars.size())
            .arg(QString::number(thinnest, 'f', 3), quoted(e.text));
    }
    case PageElement::Kind::Text:
        break;
    }
    QString font = QString::number(e.pointSize, 'g', 3) + QStringLiteral("pt");
    if (e.bold)
        font += QStringLiteral(" bold");
    if (e.italic)
        font += QStringLiteral(" italic");
    QString flags;
    if (e.grows)
        flags += QStringLiteral(" grows");
    if (e.fitsText)
        flags += QStringLiteral(" fits");
    return QStringLiteral("text %1 %2 %3 %4%5 %6")
        .arg(e.name, place, font, alignmentName(e.alignment), flags, quoted(e.text));
}

} // namespace

const PageElement* Page::find(const QString& name) const
{
    for (const PageElement& e : elements)
        if (e.name == name)
            return &e;
    return nullptr;
}

std::vector<const PageElement*> Page::findAll(const QString& prefix) const
{
    std::vector<const PageElement*> found;
    for (const PageElement& e : elements)
        if (e.name.startsWith(prefix))
            found.push_back(&e);
    return found;
}

QString dumpPageModel(const PageModel& model)
{
    QStringList out;
    out << QStringLiteral("paper %1x%2 margins left %3 top %4 right %5 bottom %6")
               .arg(mm(model.paperMm.width()), mm(model.paperMm.height()), mm(model.marginsMm.left()),
                    mm(model.marginsMm.top()), mm(model.marginsMm.right()), mm(model.marginsMm.bottom()));
    for (const Page& page : model.pages) {
        out << QStringLiteral("page %1").arg(page.number);
        for (const PageElement& e : page.elements)
            out << QStringLiteral("  ") + dumpElement(e);
    }
    return out.join(u'\n') + u'\n';
}

} // namespace lists
