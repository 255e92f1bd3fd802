#pragma once

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <functional>

class QPagedPaintDevice;
class QPainter;

namespace app {

// One print job as the printing hands it to the print platform.
struct PrintJob
{
    QString printerName;
    QString title;
    QPageSize pageSize = QPageSize(QPageSize::A4);
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF marginsMm; // left, top, right, bottom
    int copies = 1;
    int pageCount = 0;
    // Paints page `pageIndex` (0-based). The painter has no scaling: it works in device
    // pixels (painter.device()->logicalDpiX() of them per inch) with its origin on the
    // top left corner of the printable area, that is inside the left and top margins.
    std::function<void(QPainter& painter, int pageIndex)> paintPage;
};

// Sends every page of a job to a paged device (a printer or a PDF file): sets the
// page size, orientation and margins, then paints the pages one after the other.
// Raises std::runtime_error when the device refuses the layout, cannot start or
// fails while pages are sent.
void renderPrintJob(QPagedPaintDevice& device, const PrintJob& job);

} // namespace app
