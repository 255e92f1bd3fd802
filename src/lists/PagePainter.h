#pragma once

#include "PageModel.h"

class QPainter;

namespace lists {

// Paints one page of a page model. The painter works in device pixels (no scaling)
// with its origin on the top left corner of the printable area; millimetres are
// turned into pixels with the device's resolution, so the same page comes out alike
// on a printer, in a PDF file or on an image.
void paintPage(QPainter& painter, const Page& page, const QString& fontFamily);

} // namespace lists
