#pragma once

#include <QString>
#include <QVariant>
#include <vector>

namespace testsupport {

// The cells of one sheet, row by row from row 1: a QString becomes a text cell, an integer or
// a double a number cell, a QDateTime a date-and-time cell, a null QVariant no cell at all.
using XlsSheet = std::vector<std::vector<QVariant>>;

// Writes an Excel 97-2003 workbook with these sheets through a real .xls writer (Debian's
// python3-xlwt); fails the process when it cannot.
void writeXls(const QString& path, const std::vector<XlsSheet>& sheets);

} // namespace testsupport
