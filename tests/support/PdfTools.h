#pragma once

#include <QString>
#include <QStringList>

namespace testsupport {

// Runs one of the poppler or zbar tools and returns what it wrote; fails the process when
// the tool is missing or does not finish.
QString runTool(const QString& tool, const QStringList& arguments);

// The text of one page (pdftotext), optionally keeping the page's layout.
QString pdfPageText(const QString& pdf, int page, bool keepLayout = false);
// Renders one page to stem + ".png" at the resolution and returns that path (pdftoppm).
QString renderPdfPage(const QString& pdf, int page, int dpi, const QString& stem);
// The number of pages (pdfinfo), -1 when it cannot be told.
int pdfPageCount(const QString& pdf);
// What zbarimg reads from an image, as "TYPE:value" lines.
QString readBarcodes(const QString& image);

} // namespace testsupport
