#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>
#include <stdexcept>

namespace admin {

// A workbook that cannot be opened or read. Its text names the cause; the operator is shown a fixed message.
class WorkbookError : public std::runtime_error
{
    using runtime_error::runtime_error;
};

// An Excel 97-2003 (.xls) workbook, read only. Rows and columns count from 1; one sheet is
// selected at a time. Password-protected workbooks and sheets larger than the format allows
// (65,536 rows, 256 columns) are refused as unreadable.
//
// The spreadsheet library crashes on some damaged files, so the file is read in a child
// process that hands the cells over through a pipe; a child that crashes, hangs or hands over
// anything malformed makes the workbook unreadable, and this process goes on.
class Workbook
{
public:
    explicit Workbook(const QString& path); // throws WorkbookError
    ~Workbook();
    Workbook(Workbook&&) noexcept;
    Workbook& operator=(Workbook&&) noexcept;

    int sheetCount() const;
    void selectSheet(int index); // 0-based; throws WorkbookError

    // Number of the last row of the selected sheet that holds a value, 0 for an empty sheet.
    int lastUsedRow() const;

    // The cell as text: a text as it stands, a number as its shortest exact decimal text
    // ("123456", "0.5"), a date and time in the program's form; "" for an empty or missing cell.
    QString cellText(int row, int column) const;
    // A date or date-and-time cell, or a text in the program's date and time form; invalid otherwise.
    QDateTime cellDateTime(int row, int column) const;

    static constexpr int kMaxRows = 65536;
    static constexpr int kMaxColumns = 256;

    // The two halves of the reading, for tests and fuzzing: what the child process hands over
    // for a file (read here, in the calling process), and the workbook made from such output.
    static QByteArray readerOutput(const QString& path);
    static Workbook fromReaderOutput(const QByteArray& output); // throws WorkbookError

private:
    struct Data;
    explicit Workbook(std::unique_ptr<Data> data);
    std::unique_ptr<Data> m_data;
};

} // namespace admin
