// The organisation register refresh from a 10,000-row workbook (reading the file, one insert
// a row with its progress update, the copy into SZERVEK and the version) next to a plain
// bulk load of the same rows through the same store: multi-row inserts into SZERVEK_TEMP and
// the same copy. Prints the best of a few runs of each, in milliseconds, and their ratio.
#include "admin/RegisterRefresh.h"
#include "admin/Workbook.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"
#include "support/XlsWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kOrganisations = 10000;
constexpr int kRuns = 5;
const QStringList kHeader = {"TKOD", "SZERVNEV", "ROVIDNEV", "IRSZ", "TELEPULES", "MINOSITETT"};

testsupport::XlsSheet registerSheet()
{
    static const char* const kinds[] = {"Kormányhivatal", "Rendőr-főkapitányság",  "Honvéd Parancsnokság",
                                        "Járásbíróság",   "Polgármesteri Hivatal", "Ügyészség"};
    static const char* const towns[] = {"Budapest", "Debrecen", "Szeged", "Miskolc", "Pécs", "Győr", "Érd"};
    testsupport::XlsSheet sheet{{kHeader.begin(), kHeader.end()}};
    for (int i = 1; i <= kOrganisations; ++i) {
        const QString town = QString::fromUtf8(towns[i % 7]);
        const QString name = QStringLiteral("%1i %2 %3").arg(town, QString::fromUtf8(kinds[i % 6])).arg(i);
        // Codes as text, postal codes and flags as numbers, as the published files mix them.
        sheet.push_back({QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')), name, name.left(20),
                         1000 + i % 9000, town, i % 7 == 0 ? 1 : 0});
    }
    return sheet;
}

class QuietMessages : public app::MessageService
{
public:
    void inform(const QString& text) override { last = text; }
    QString last;
};

double refreshOnce(const QString& path, const QDateTime& version, QString& progressText)
{
    QuietMessages messages;
    QElapsedTimer timer;
    timer.start();
    const bool done = admin::refreshRegister(
        store::TDM1::instance().MyQuery3, path, version, messages, [&](int written, int total) {
            // What the window does for every row.
            progressText = QString::number(written) + u'/' + QString::number(total);
            QCoreApplication::processEvents();
        });
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (!done) {
        std::fprintf(stderr, "refresh failed: %s\n", qPrintable(messages.last));
        std::exit(1);
    }
    return ms;
}

// The same rows, already read, in statements of many rows each.
double bulkLoadOnce(const std::vector<QStringList>& rows)
{
    constexpr int kRowsPerStatement = 25;
    store::Connection& c = store::TDM1::instance().MyConnection1;
    QElapsedTimer timer;
    timer.start();
    c.run(QStringLiteral("truncate table SZERVEK_TEMP"), {});
    for (size_t first = 0; first < rows.size(); first += kRowsPerStatement) {
        QStringList tuples;
        std::vector<store::Parameter> parameters;
        for (size_t r = first; r < std::min(rows.size(), first + kRowsPerStatement); ++r) {
            QStringList placeholders;
            for (qsizetype column = 0; column < kHeader.size(); ++column) {
                const QString name = QStringLiteral("P%1_%2").arg(r - first).arg(column);
                placeholders << u':' + name;
                parameters.push_back({name, rows[r][column]});
            }
            tuples << u'(' + placeholders.join(u',') + u')';
        }
        c.run(QStringLiteral(
                  "INSERT INTO SZERVEK_TEMP (TKOD,SZERVNEV,ROVIDNEV,IRSZ,TELEPULES,MINOSITETT) VALUES ") +
                  tuples.join(u','),
              parameters);
    }
    c.run(QStringLiteral("truncate table SZERVEK"), {});
    c.run(QStringLiteral("INSERT INTO SZERVEK SELECT * FROM SZERVEK_TEMP"), {});
    c.run(QStringLiteral("truncate table SZERVEK_TEMP"), {});
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    testsupport::programFolder();
    testsupport::resetTables();

    QTemporaryDir folder;
    const QString path = folder.filePath("szervek.xls");
    const QDateTime version(QDate(2024, 1, 15), QTime(8, 30, 0));
    testsupport::writeXls(path, {registerSheet(), testsupport::XlsSheet{{"VERZIO"}, {version}}});

    // The rows as the refresh reads them, for the bulk load.
    std::vector<QStringList> rows;
    double opening = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        admin::Workbook book(path);
        opening = std::min(opening, double(timer.nsecsElapsed()) / 1e6);
    }
    {
        admin::Workbook book(path);
        book.selectSheet(0);
        for (int r = 2; r <= book.lastUsedRow(); ++r) {
            QStringList row;
            for (int column = 1; column <= kHeader.size(); ++column)
                row << book.cellText(r, column);
            rows.push_back(row);
        }
    }

    std::vector<double> refresh, bulk;
    QString progressText;
    for (int run = 0; run < kRuns; ++run) {
        // Each refresh finds a full register to keep for a failure, as in use.
        refresh.push_back(refreshOnce(path, version, progressText));
        bulk.push_back(bulkLoadOnce(rows));
    }
    const auto count = testsupport::scalar(QStringLiteral("SELECT COUNT(*) FROM SZERVEK")).toInt();
    const double bestRefresh = *std::min_element(refresh.begin(), refresh.end());
    const double bestBulk = *std::min_element(bulk.begin(), bulk.end());
    std::printf("register refresh of %d rows (last progress %s): %.0f ms\n", kOrganisations,
                qPrintable(progressText), bestRefresh);
    std::printf("  of which opening the workbook (read in a child process): %.0f ms\n", opening);
    std::printf("bulk load of the same rows: %.0f ms\n", bestBulk);
    std::printf("ratio refresh / bulk load: %.2f\n", bestRefresh / bestBulk);
    std::printf("rows in SZERVEK: %d\n", count);
    return 0;
}
