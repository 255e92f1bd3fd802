#include "PrintJob.h"

#include "Services.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <stdexcept>

namespace app {

namespace {

[[noreturn]] void fail(const QString& text)
{
    throw std::runtime_error(text.toStdString());
}

} // namespace

void renderPrintJob(QPagedPaintDevice& device, const PrintJob& job)
{
    // The whole sheet is the paint area; the margins are applied by moving the origin,
    // so a printer's own minimum margins cannot shift or refuse the layout.
    QPageLayout layout(job.pageSize, job.orientation, job.marginsMm, QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    // A printer may report a changed layout only because it rounds the margins; what
    // must hold is the paper and its orientation.
    if (!device.setPageLayout(layout)) {
        const QPageLayout applied = device.pageLayout();
        if (!applied.pageSize().isEquivalentTo(job.pageSize) || applied.orientation() != job.orientation)
            fail(QStringLiteral("A nyomtató nem fogadja el az oldalbeállítást (A4, álló)!"));
    }

    QPainter painter;
    if (!painter.begin(&device))
        fail(QStringLiteral("A nyomtatás nem indítható el!"));
    const double dotsPerMmX = device.logicalDpiX() / 25.4;
    const double dotsPerMmY = device.logicalDpiY() / 25.4;
    for (int page = 0; page < job.pageCount; ++page) {
        if (page > 0 && !device.newPage()) {
            painter.end();
            fail(QStringLiteral("A nyomtatás megszakadt a(z) %1. oldalnál!").arg(page + 1));
        }
        painter.save();
        painter.translate(job.marginsMm.left() * dotsPerMmX, job.marginsMm.top() * dotsPerMmY);
        if (job.paintPage)
            job.paintPage(painter, page);
        painter.restore();
    }
    if (!painter.end())
        fail(QStringLiteral("A nyomtatás nem fejeződött be!"));
}

// Without a print platform nothing can be printed.
void PrinterService::print(const PrintJob&)
{
    fail(QStringLiteral("Nincs telepített nyomtató, a jegyzék nem nyomtatható!"));
}

} // namespace app
