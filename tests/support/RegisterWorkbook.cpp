#include "RegisterWorkbook.h"

#include "XlsWriter.h"

namespace testsupport {

RegisterWorkbook RegisterWorkbook::withOrganisations(int n)
{
    RegisterWorkbook workbook;
    for (int i = 1; i <= n; ++i) {
        const QString code = QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
        workbook.rows.push_back({code, QStringLiteral("Szerv ") + code,
                                 QStringLiteral("Sz") + QString::number(i), QStringLiteral("1011"),
                                 QStringLiteral("Budapest"),
                                 i % 2 ? QStringLiteral("0") : QStringLiteral("1")});
    }
    return workbook;
}

void writeRegisterWorkbook(const QString& path, const RegisterWorkbook& workbook)
{
    XlsSheet organisations;
    organisations.push_back({});
    for (const QString& title : workbook.header)
        organisations.back().push_back(title);
    for (const QStringList& row : workbook.rows) {
        organisations.push_back({});
        for (const QString& text : row)
            organisations.back().push_back(text.isEmpty() ? QVariant() : QVariant(text));
    }
    XlsSheet version{{QStringLiteral("VERZIO")}, {}};
    if (workbook.versionDate.isValid())
        version[1].push_back(workbook.versionDate);
    else if (!workbook.versionText.isEmpty())
        version[1].push_back(workbook.versionText);
    writeXls(path, {organisations, version});
}

} // namespace testsupport
