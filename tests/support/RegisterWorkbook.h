#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

namespace testsupport {

// The content of a register workbook as the courier service publishes it: sheet 1 with
// the header row and one organisation a row, sheet 2 with the version in cell A2.
struct RegisterWorkbook
{
    QStringList header = {"TKOD", "SZERVNEV", "ROVIDNEV", "IRSZ", "TELEPULES", "MINOSITETT"};
    std::vector<QStringList> rows;                // six texts a row, written as text cells
    QString versionText = "2012.10.16. 14:05:33"; // written as a text cell when versionDate is invalid
    QDateTime versionDate;                        // written as a date cell when valid

    // n organisations with codes "000001", "000002" … and names "Szerv 000001" ….
    static RegisterWorkbook withOrganisations(int n);
};

// Writes the workbook as an Excel 97-2003 file (python3-xlwt); fails the process when it cannot.
void writeRegisterWorkbook(const QString& path, const RegisterWorkbook& workbook);

} // namespace testsupport
