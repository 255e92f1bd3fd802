#include "Workbook.h"

#include "app/DateTimeText.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <freexl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace admin {

namespace {

// The reader's output: "DXW1", the workbook's state, then for each sheet its state and, for a
// readable sheet, its size, its last used row and its non-empty cells in row order; "END!".
const QByteArray kMagic = QByteArrayLiteral("DXW1");
const QByteArray kEnd = QByteArrayLiteral("END!");
enum BookState : quint8
{
    BookReadable = 0,
    BookUnopenable = 1,
    BookWithoutSheets = 2,
    BookProtected = 3
};
enum SheetState : quint8
{
    SheetReadable = 0,
    SheetUnreadable = 1,
    SheetTooLarge = 2
};

// A damaged file can keep the library busy for long; a sound one of the largest size takes
// well under a second.
constexpr int kReadSeconds = 60;

struct Cell
{
    quint32 key = 0; // (row - 1) * kMaxColumns + (column - 1)
    quint8 type = FREEXL_CELL_NULL;
    qint32 integer = 0;
    double real = 0;
    QByteArray text; // UTF-8
};

quint32 cellKey(int row, int column)
{
    return quint32(row - 1) * quint32(Workbook::kMaxColumns) + quint32(column - 1);
}

class Writer
{
public:
    void u8(quint8 v) { m_out.append(char(v)); }
    void u16(quint16 v) { raw(&v, sizeof v); }
    void u32(quint32 v) { raw(&v, sizeof v); }
    void i32(qint32 v) { raw(&v, sizeof v); }
    void f64(double v) { raw(&v, sizeof v); }
    void bytes(const char* text)
    {
        const quint32 length = quint32(std::strlen(text));
        u32(length);
        m_out.append(text, qsizetype(length));
    }
    void raw(const void* data, size_t size) { m_out.append(static_cast<const char*>(data), qsizetype(size)); }
    QByteArray& out() { return m_out; }

private:
    QByteArray m_out;
};

class Reader
{
public:
    explicit Reader(const QByteArray& in) : m_in(in) {}
    quint8 u8() { return quint8(take(1)[0]); }
    quint16 u16() { return get<quint16>(); }
    quint32 u32() { return get<quint32>(); }
    qint32 i32() { return get<qint32>(); }
    double f64() { return get<double>(); }
    QByteArray bytes()
    {
        const quint32 length = u32();
        const char* data = take(length);
        return QByteArray(data, qsizetype(length));
    }
    void expect(const QByteArray& marker)
    {
        if (QByteArray(take(size_t(marker.size())), marker.size()) != marker)
            throw WorkbookError("the reader's output is damaged");
    }
    bool atEnd() const { return m_at == size_t(m_in.size()); }

private:
    template <class T> T get()
    {
        T value;
        std::memcpy(&value, take(sizeof value), sizeof value);
        return value;
    }
    const char* take(size_t size)
    {
        if (size > size_t(m_in.size()) - m_at)
            throw WorkbookError("the reader's output ends early");
        const char* data = m_in.constData() + m_at;
        m_at += size;
        return data;
    }

    const QByteArray& m_in;
    size_t m_at = 0;
};

void writeSheet(const void* handle, Writer& w)
{
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
        w.u8(SheetUnreadable);
        return;
    }
    if (rows > unsigned(Workbook::kMaxRows) || columns > Workbook::kMaxColumns) {
        w.u8(SheetTooLarge);
        return;
    }
    const auto value = [&](unsigned row, unsigned short column, FreeXL_CellValue& v) {
        return freexl_get_cell_value(handle, row, column, &v) == FREEXL_OK && v.type != FREEXL_CELL_NULL;
    };
    // The sheet's stated size may include empty rows at its end.
    unsigned lastUsed = 0;
    for (unsigned row = rows; row >= 1 && lastUsed == 0; --row) {
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue v;
            if (value(row - 1, column, v)) {
                lastUsed = row;
                break;
            }
        }
    }
    Writer cells;
    quint32 count = 0;
    for (unsigned row = 0; row < lastUsed; ++row) {
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue v;
            if (!value(row, column, v))
                continue;
            switch (v.type) {
            case FREEXL_CELL_INT:
            case FREEXL_CELL_DOUBLE:
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                break;
            default:
                continue;
            }
            cells.u32(row);
            cells.u16(column);
            cells.u8(v.type);
            if (v.type == FREEXL_CELL_INT)
                cells.i32(v.value.int_value);
            else if (v.type == FREEXL_CELL_DOUBLE)
                cells.f64(v.value.double_value);
            else
                cells.bytes(v.value.text_value ? v.value.text_value : "");
            ++count;
        }
    }
    w.u8(SheetReadable);
    w.u32(rows);
    w.u32(columns);
    w.u32(lastUsed);
    w.u32(count);
    w.out().append(cells.out());
}

// Runs the reading in a child process and returns what it handed over; throws WorkbookError
// when the child did not finish as it should.
QByteArray readInChild(const QString& path)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw WorkbookError("no pipe for the reader");
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        throw WorkbookError("no process for the reader");
    }
    if (child == 0) {
        // Only the reading here: no destructors, no exit handlers of the parent's libraries.
        ::close(fds[0]);
        ::alarm(kReadSeconds);
        int code = 0;
        try {
            const QByteArray out = Workbook::readerOutput(path);
            for (qsizetype at = 0; at < out.size();) {
                const ssize_t n = ::write(fds[1], out.constData() + at, size_t(out.size() - at));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    code = 2;
                    break;
                }
                at += n;
            }
        } catch (...) {
            code = 3;
        }
        ::_exit(code);
    }

    ::close(fds[1]);
    QByteArray out;
    bool timedOut = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kReadSeconds + 5);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            timedOut = ready == 0;
            break;
        }
        char buffer[65536];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out.append(buffer, n);
    }
    ::close(fds[0]);
    if (timedOut)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut)
        throw WorkbookError("the reader took too long on " + path.toStdString());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw WorkbookError("the reader failed on " + path.toStdString());
    return out;
}

QString numberText(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // also for -0
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

QDateTime storedDateTime(const Cell& cell)
{
    const QString text = QString::fromUtf8(cell.text);
    if (cell.type == FREEXL_CELL_DATETIME)
        return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (cell.type == FREEXL_CELL_DATE) {
        const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        return date.isValid() ? QDateTime(date, QTime(0, 0)) : QDateTime();
    }
    return QDateTime();
}

} // namespace

struct Workbook::Data
{
    struct Sheet
    {
        SheetState state = SheetUnreadable;
        int rows = 0;
        int columns = 0;
        int lastUsedRow = 0;
        std::vector<Cell> cells; // by key
    };
    std::vector<Sheet> sheets;
    const Sheet* selected = nullptr;

    const Cell* cell(int row, int column) const
    {
        if (!selected || row < 1 || row > selected->rows || column < 1 || column > selected->columns)
            return nullptr;
        const quint32 key = cellKey(row, column);
        const auto it = std::lower_bound(selected->cells.begin(), selected->cells.end(), key,
                                         [](const Cell& c, quint32 k) { return c.key < k; });
        return it != selected->cells.end() && it->key == key ? &*it : nullptr;
    }
};

QByteArray Workbook::readerOutput(const QString& path)
{
    Writer w;
    w.raw(kMagic.constData(), size_t(kMagic.size()));
    const QByteArray name = QFile::encodeName(path);
    const void* handle = nullptr;
    if (freexl_open(name.constData(), &handle) != FREEXL_OK) {
        freexl_close(handle);
        w.u8(BookUnopenable);
        w.raw(kEnd.constData(), size_t(kEnd.size()));
        return w.out();
    }
    unsigned int sheets = 0;
    unsigned int protection = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0 ||
        sheets > 0xFFFF) {
        // A damaged workbook may open without any sheet.
        w.u8(BookWithoutSheets);
    } else if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &protection) != FREEXL_OK ||
               protection == FREEXL_BIFF_OBFUSCATED) {
        // An obfuscated (password-protected) workbook would read as noise.
        w.u8(BookProtected);
    } else {
        w.u8(BookReadable);
        w.u32(sheets);
        for (unsigned int sheet = 0; sheet < sheets; ++sheet) {
            if (freexl_select_active_worksheet(handle, static_cast<unsigned short>(sheet)) != FREEXL_OK)
                w.u8(SheetUnreadable);
            else
                writeSheet(handle, w);
        }
    }
    freexl_close(handle);
    w.raw(kEnd.constData(), size_t(kEnd.size()));
    return w.out();
}

Workbook Workbook::fromReaderOutput(const QByteArray& output)
{
    Reader r(output);
    r.expect(kMagic);
    auto data = std::make_unique<Data>();
    switch (r.u8()) {
    case BookReadable:
        break;
    case BookUnopenable:
        throw WorkbookError("not a workbook that can be opened");
    case BookWithoutSheets:
        throw WorkbookError("no worksheet in the workbook");
    case BookProtected:
        throw WorkbookError("password-protected workbook");
    default:
        throw WorkbookError("the reader's output is damaged");
    }
    const quint32 sheets = r.u32();
    if (sheets == 0 || sheets > 0xFFFF)
        throw WorkbookError("the reader's output is damaged");
    data->sheets.resize(sheets);
    for (Data::Sheet& sheet : data->sheets) {
        const quint8 state = r.u8();
        if (state == SheetUnreadable || state == SheetTooLarge) {
            sheet.state = SheetState(state);
            continue;
        }
        if (state != SheetReadable)
            throw WorkbookError("the reader's output is damaged");
        const quint32 rows = r.u32();
        const quint32 columns = r.u32();
        const quint32 lastUsed = r.u32();
        const quint32 count = r.u32();
        if (rows > quint32(kMaxRows) || columns > quint32(kMaxColumns) || lastUsed > rows ||
            count > rows * columns)
            throw WorkbookError("the reader's output is damaged");
        sheet.state = SheetReadable;
        sheet.rows = int(rows);
        sheet.columns = int(columns);
        sheet.lastUsedRow = int(lastUsed);
        for (quint32 i = 0; i < count; ++i) {
            Cell cell;
            const quint32 row = r.u32();
            const quint16 column = r.u16();
            cell.type = r.u8();
            if (row >= lastUsed || column >= columns)
                throw WorkbookError("the reader's output is damaged");
            cell.key = cellKey(int(row) + 1, int(column) + 1);
            if (!sheet.cells.empty() && sheet.cells.back().key >= cell.key)
                throw WorkbookError("the reader's output is damaged");
            switch (cell.type) {
            case FREEXL_CELL_INT:
                cell.integer = r.i32();
                break;
            case FREEXL_CELL_DOUBLE:
                cell.real = r.f64();
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                cell.text = r.bytes();
                break;
            default:
                throw WorkbookError("the reader's output is damaged");
            }
            sheet.cells.push_back(std::move(cell));
        }
    }
    r.expect(kEnd);
    if (!r.atEnd())
        throw WorkbookError("the reader's output is damaged");
    return Workbook(std::move(data));
}

Workbook::Workbook(const QString& path)
{
    // The library would also try to read a folder or a device.
    if (!QFileInfo(path).isFile())
        throw WorkbookError("not a file: " + path.toStdString());
    *this = fromReaderOutput(readInChild(path));
}

Workbook::Workbook(std::unique_ptr<Data> data) : m_data(std::move(data)) {}
Workbook::~Workbook() = default;
Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;

int Workbook::sheetCount() const
{
    return int(m_data->sheets.size());
}

void Workbook::selectSheet(int index)
{
    m_data->selected = nullptr;
    if (index < 0 || index >= sheetCount())
        throw WorkbookError("no sheet " + std::to_string(index + 1));
    const Data::Sheet& sheet = m_data->sheets[size_t(index)];
    if (sheet.state == SheetTooLarge)
        throw WorkbookError("sheet " + std::to_string(index + 1) + " is larger than the format allows");
    if (sheet.state != SheetReadable)
        throw WorkbookError("cannot read sheet " + std::to_string(index + 1));
    m_data->selected = &sheet;
}

int Workbook::lastUsedRow() const
{
    return m_data->selected ? m_data->selected->lastUsedRow : 0;
}

QString Workbook::cellText(int row, int column) const
{
    const Cell* cell = m_data->cell(row, column);
    if (!cell)
        return QString();
    switch (cell->type) {
    case FREEXL_CELL_INT:
        return QString::number(cell->integer);
    case FREEXL_CELL_DOUBLE:
        return numberText(cell->real);
    case FREEXL_CELL_DATE: {
        const QDateTime moment = storedDateTime(*cell);
        return moment.isValid() ? moment.toString(QStringLiteral("yyyy.MM.dd."))
                                : QString::fromUtf8(cell->text);
    }
    case FREEXL_CELL_DATETIME: {
        const QDateTime moment = storedDateTime(*cell);
        return moment.isValid() ? app::dateTimeText(moment) : QString::fromUtf8(cell->text);
    }
    default:
        return QString::fromUtf8(cell->text);
    }
}

QDateTime Workbook::cellDateTime(int row, int column) const
{
    const Cell* cell = m_data->cell(row, column);
    if (!cell)
        return QDateTime();
    if (cell->type == FREEXL_CELL_TEXT || cell->type == FREEXL_CELL_SST_TEXT)
        return app::parseDateTimeText(QString::fromUtf8(cell->text));
    return storedDateTime(*cell);
}

} // namespace admin
