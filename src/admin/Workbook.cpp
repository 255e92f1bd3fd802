#include "Workbook.h"

#include "app/DateTimeText.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <freexl.h>

namespace admin {

namespace {

QString numberText(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // also for -0
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

struct Cell
{
    unsigned char type = FREEXL_CELL_NULL;
    int integer = 0;
    double real = 0;
    QString text;
};

} // namespace

Workbook::Workbook(const QString& path)
{
    // FreeXL would also try to read a folder or a device.
    if (!QFileInfo(path).isFile())
        throw WorkbookError("not a file: " + path.toStdString());
    const QByteArray name = QFile::encodeName(path);
    const int rc = freexl_open(name.constData(), &m_handle);
    if (rc != FREEXL_OK) {
        freexl_close(m_handle);
        m_handle = nullptr;
        throw WorkbookError("cannot open " + path.toStdString() + ": FreeXL error " + std::to_string(rc));
    }
    unsigned int sheets = 0;
    unsigned int protection = 0;
    const char* refusal = nullptr;
    // A damaged workbook may open without any sheet; an obfuscated (password-protected) one
    // would read as noise.
    if (freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0 ||
        sheets > 0xFFFF)
        refusal = "no worksheet in ";
    else if (freexl_get_info(m_handle, FREEXL_BIFF_PASSWORD, &protection) != FREEXL_OK ||
             protection == FREEXL_BIFF_OBFUSCATED)
        refusal = "password-protected workbook ";
    if (refusal) {
        freexl_close(m_handle);
        m_handle = nullptr;
        throw WorkbookError(refusal + path.toStdString());
    }
    m_sheetCount = int(sheets);
}

Workbook::~Workbook()
{
    if (m_handle)
        freexl_close(m_handle);
}

void Workbook::selectSheet(int index)
{
    m_selected = false;
    m_rows = m_columns = m_lastUsedRow = 0;
    if (index < 0 || index >= m_sheetCount)
        throw WorkbookError("no sheet " + std::to_string(index + 1));
    if (freexl_select_active_worksheet(m_handle, static_cast<unsigned short>(index)) != FREEXL_OK)
        throw WorkbookError("cannot read sheet " + std::to_string(index + 1));
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(m_handle, &rows, &columns) != FREEXL_OK)
        throw WorkbookError("cannot read the size of sheet " + std::to_string(index + 1));
    if (rows > unsigned(kMaxRows) || columns > kMaxColumns)
        throw WorkbookError("sheet " + std::to_string(index + 1) + " is larger than the format allows");
    m_rows = int(rows);
    m_columns = int(columns);
    m_selected = true;
    // The sheet's stated size may include empty rows at its end.
    for (int row = m_rows; row >= 1 && m_lastUsedRow == 0; --row) {
        for (int column = 1; column <= m_columns; ++column) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(m_handle, unsigned(row - 1), static_cast<unsigned short>(column - 1),
                                      &value) == FREEXL_OK &&
                value.type != FREEXL_CELL_NULL) {
                m_lastUsedRow = row;
                break;
            }
        }
    }
}

namespace {

bool readCell(const void* handle, int row, int column, Cell& cell)
{
    FreeXL_CellValue value;
    if (freexl_get_cell_value(handle, unsigned(row - 1), static_cast<unsigned short>(column - 1), &value) !=
        FREEXL_OK)
        return false;
    cell.type = value.type;
    switch (value.type) {
    case FREEXL_CELL_INT:
        cell.integer = value.value.int_value;
        break;
    case FREEXL_CELL_DOUBLE:
        cell.real = value.value.double_value;
        break;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        cell.text = value.value.text_value ? QString::fromUtf8(value.value.text_value) : QString();
        break;
    default:
        cell.type = FREEXL_CELL_NULL;
        break;
    }
    return true;
}

QDateTime storedDateTime(const Cell& cell)
{
    if (cell.type == FREEXL_CELL_DATETIME)
        return QDateTime::fromString(cell.text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (cell.type == FREEXL_CELL_DATE) {
        const QDate date = QDate::fromString(cell.text, QStringLiteral("yyyy-MM-dd"));
        return date.isValid() ? QDateTime(date, QTime(0, 0)) : QDateTime();
    }
    return QDateTime();
}

} // namespace

QString Workbook::cellText(int row, int column) const
{
    if (!m_selected || row < 1 || row > m_rows || column < 1 || column > m_columns)
        return QString();
    Cell cell;
    if (!readCell(m_handle, row, column, cell))
        return QString();
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return QString::number(cell.integer);
    case FREEXL_CELL_DOUBLE:
        return numberText(cell.real);
    case FREEXL_CELL_DATE: {
        const QDateTime moment = storedDateTime(cell);
        return moment.isValid() ? moment.toString(QStringLiteral("yyyy.MM.dd.")) : cell.text;
    }
    case FREEXL_CELL_DATETIME: {
        const QDateTime moment = storedDateTime(cell);
        return moment.isValid() ? app::dateTimeText(moment) : cell.text;
    }
    case FREEXL_CELL_NULL:
        return QString();
    default:
        return cell.text;
    }
}

QDateTime Workbook::cellDateTime(int row, int column) const
{
    if (!m_selected || row < 1 || row > m_rows || column < 1 || column > m_columns)
        return QDateTime();
    Cell cell;
    if (!readCell(m_handle, row, column, cell))
        return QDateTime();
    if (cell.type == FREEXL_CELL_TEXT || cell.type == FREEXL_CELL_SST_TEXT)
        return app::parseDateTimeText(cell.text);
    return storedDateTime(cell);
}

} // namespace admin
