#include "PrintFonts.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QTextLayout>
#include <memory>

namespace lists {

namespace {

// Measuring at a printer's resolution keeps screen hinting out of the widths.
constexpr double kMeasureDpi = 1200.0;
constexpr double kMmPerInch = 25.4;

QPaintDevice* measureDevice()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        const int dotsPerMeter = int(kMeasureDpi / kMmPerInch * 1000.0 + 0.5);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return &device;
}

double toMm(double dots)
{
    return dots * kMmPerInch / kMeasureDpi;
}

const QFontMetricsF& metricsOf(const QFont& font)
{
    static QHash<QString, std::shared_ptr<QFontMetricsF>> cache;
    auto& entry = cache[font.key()];
    if (!entry)
        entry = std::make_shared<QFontMetricsF>(font, measureDevice());
    return *entry;
}

} // namespace

QString printFontFamily()
{
    static const QString family = [] {
        // Liberation Sans and Arimo are drawn to Arial's metrics.
        for (const char* candidate : {"Arial", "Liberation Sans", "Arimo"}) {
            const QString name = QLatin1String(candidate);
            const QFontInfo info{QFont(name)};
            if (info.family().compare(name, Qt::CaseInsensitive) == 0)
                return name;
        }
        QFont fallback;
        fallback.setStyleHint(QFont::SansSerif);
        return QFontInfo(fallback).family();
    }();
    return family;
}

QFont printFont(double pointSize, bool bold, bool italic)
{
    QFont font(printFontFamily());
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

double textWidthMm(const QFont& font, const QString& text)
{
    return toMm(metricsOf(font).horizontalAdvance(text));
}

double lineHeightMm(const QFont& font)
{
    return toMm(metricsOf(font).height());
}

QStringList wrapTextMm(const QFont& font, const QString& text, double widthMm)
{
    if (textWidthMm(font, text) <= widthMm)
        return {text};
    QTextLayout layout(text, font, measureDevice());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const double width = widthMm * kMeasureDpi / kMmPerInch;
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        QString part = text.mid(line.textStart(), line.textLength());
        while (!part.isEmpty() && part.back().isSpace())
            part.chop(1);
        lines << part;
    }
    layout.endLayout();
    if (lines.isEmpty())
        lines << text;
    return lines;
}

} // namespace lists
