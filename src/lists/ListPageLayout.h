#pragma once

#include "PageModel.h"
#include "store/DisplayColumns.h"

#include <QDateTime>
#include <QMarginsF>
#include <QString>
#include <vector>

namespace lists {

// One item of the list as the page prints it.
struct ListPageRow
{
    store::DisplayColumns columns;
    int classification = 0; // MJEL: chooses bold (classified and NATO) or regular type
};

// Everything one copy of the printed list shows.
struct ListPageInput
{
    QString title; // the kind's caption
    int listNumber = 0;
    QString ownName;
    QString addressee;
    QString copyLabel;
    QString barcodeValue;
    QString summaryLine;
    QString totalLine;
    QDateTime printMoment;
    QString programVersion;
    bool printsCourierColumn = true;
    int totalPages = 0; // 0 while the pages are being counted: no page is the last then
    QMarginsF marginsMm{10.0, 10.0, 10.0, 10.0};
    std::vector<ListPageRow> rows;
};

// Band heights of the printed list, in millimetres.
struct ListPageBands
{
    static constexpr double pageHeader = 22.5;
    static constexpr double columnHeader = 6.3;
    static constexpr double itemRow = 6.1;
    static constexpr double pageFooter = 56.9;
};

// Lays one copy out on A4 portrait pages: page header, column header, as many item
// rows as fit above the page footer, and the footer; the counts, version and print
// date only on the last page.
PageModel layoutListPages(const ListPageInput& input);

// The print date as the page shows it, in the Hungarian form whatever the locale.
QString printDateText(const QDateTime& moment);

} // namespace lists
