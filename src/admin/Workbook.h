#pragma once

#include <QDateTime>
#include <QString>
#include <stdexcept>

namespace admin {

// A workbook that cannot be opened or read; the text is for the log, not for the operator.
class WorkbookError : public std::runtime_error
{
    using runtime_error::runtime_error;
};

// An Excel 97-2003 (.xls) workbook, read only. Rows and columns count from 1; one sheet is
// selected at a time. Password-protected workbooks and sheets larger than the format allows
// (65,536 rows, 256 columns) are refused as unreadable.
class Workbook
{
public:
    explicit Workbook(const QString& path); // throws WorkbookError
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    int sheetCount() const { return m_sheetCount; }
    void selectSheet(int index); // 0-based; throws WorkbookError

    // Number of the last row of the selected sheet that holds a value, 0 for an empty sheet.
    int lastUsedRow() const { return m_lastUsedRow; }

    // The cell as text: a text as it stands, a number as its shortest exact decimal text
    // ("123456", "0.5"), a date and time in the program's form; "" for an empty or missing cell.
    QString cellText(int row, int column) const;
    // A date or date-and-time cell, or a text in the program's date and time form; invalid otherwise.
    QDateTime cellDateTime(int row, int column) const;

    static constexpr int kMaxRows = 65536;
    static constexpr int kMaxColumns = 256;

private:
    const void* m_handle = nullptr;
    int m_sheetCount = 0;
    bool m_selected = false;
    int m_rows = 0;
    int m_columns = 0;
    int m_lastUsedRow = 0;
};

} // namespace admin
