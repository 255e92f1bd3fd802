#include "XlsWriter.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace testsupport {

namespace {

// Reads {"path", "sheets": [[[cell…]…]…]} on standard input; a cell is a string, a number,
// {"date": "yyyy-mm-dd hh:mm:ss"} or null.
const char* const kWriter = R"(
import datetime, json, sys, xlwt
content = json.load(sys.stdin)
book = xlwt.Workbook(encoding='utf-8')
moment_style = xlwt.easyxf(num_format_str='yyyy.mm.dd. hh:mm:ss')
for s, rows in enumerate(content['sheets']):
    sheet = book.add_sheet('Munka%d' % (s + 1))
    for r, row in enumerate(rows):
        for c, cell in enumerate(row):
            if cell is None:
                continue
            if isinstance(cell, dict):
                sheet.write(r, c, datetime.datetime.strptime(cell['date'], '%Y-%m-%d %H:%M:%S'), moment_style)
            else:
                sheet.write(r, c, cell)
book.save(content['path'])
)";

QJsonValue jsonCell(const QVariant& cell)
{
    if (cell.isNull())
        return QJsonValue::Null;
    switch (cell.typeId()) {
    case QMetaType::QString:
        return cell.toString();
    case QMetaType::QDateTime:
        return QJsonObject{{"date", cell.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))}};
    case QMetaType::Double:
        return cell.toDouble();
    default:
        return cell.toLongLong();
    }
}

} // namespace

void writeXls(const QString& path, const std::vector<XlsSheet>& sheets)
{
    QJsonArray jsonSheets;
    for (const XlsSheet& sheet : sheets) {
        QJsonArray jsonRows;
        for (const auto& row : sheet) {
            QJsonArray jsonRow;
            for (const QVariant& cell : row)
                jsonRow.append(jsonCell(cell));
            jsonRows.append(jsonRow);
        }
        jsonSheets.append(jsonRows);
    }
    QProcess python;
    // Debian's own interpreter, where python3-xlwt is installed (another python3 may come first on PATH).
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kWriter)});
    if (!python.waitForStarted())
        qFatal("python3 cannot be started");
    python.write(
        QJsonDocument(QJsonObject{{"path", path}, {"sheets", jsonSheets}}).toJson(QJsonDocument::Compact));
    python.closeWriteChannel();
    if (!python.waitForFinished(120000) || python.exitStatus() != QProcess::NormalExit ||
        python.exitCode() != 0)
        qFatal("cannot write the workbook %s: %s", qPrintable(path),
               python.readAllStandardError().constData());
}

} // namespace testsupport
