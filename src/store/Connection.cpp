#include "Connection.h"

#include "NamedParameters.h"
#include "ServerThread.h"
#include "SqlError.h"

#include <charconv>
#include <cstring>
#include <memory>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <mysql.h>

namespace store {

namespace {

bool g_serverStarted = false;

// The engine allocates its sort buffer and in-memory temporary tables afresh for every
// statement and frees them afterwards. By default the C library hands such freed memory
// at the top of the heap back to the system at once, so the next statement page-faults
// megabytes of zeroed pages in again: a third of a keystroke over the whole register.
// Buffers up to 32 MB now come from the heap, and up to 128 MB of free heap stays with
// the process for the next statement.
void keepEngineBuffersMapped()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
#endif
}

void startServer()
{
    if (g_serverStarted)
        return;
    // Paths are relative: the program runs with its own folder as working directory.
    static const char* args[] = {
        "dispora",
        "--basedir=./",
        "--datadir=./data",
        "--skip-innodb",
        "--default-storage-engine=MyISAM",
        "--default-tmp-storage-engine=MyISAM",
        "--key_buffer_size=32M",
        // Item rows are wider than the default limit, and a sort that keeps only row
        // pointers reads every row a second time.
        "--max_length_for_sort_data=16384",
        // The search over the whole register sorts 10,000 names of up to 255 letters
        // in one pass instead of merging runs through files.
        "--sort_buffer_size=16M",
        // The search's joined rows stay in an in-memory temporary table instead of a file.
        "--tmp_table_size=64M",
        "--max_heap_table_size=64M",
        "--lower_case_table_names=1",
        "--character-set-server=utf8mb4",
        "--collation-server=utf8mb4_hungarian_ci",
        "--skip-grant-tables",
        "--log-warnings=0",
    };
    static const char* groups[] = {"dispora_embedded", nullptr};
    keepEngineBuffersMapped();
    if (mysql_library_init(int(std::size(args)), const_cast<char**>(args), const_cast<char**>(groups)) != 0)
        throw SqlError(QStringLiteral("A beágyazott adatbázis-kiszolgáló nem indult el."));
    g_serverStarted = true;
}

// A whole-number text as the server writes it; false when it is not one.
template <typename Number> bool parseWhole(const char* data, unsigned long length, Number& value)
{
    const auto [end, error] = std::from_chars(data, data + length, value);
    return error == std::errc() && end == data + length;
}

// Fixed-width digits of a date-time text; -1 when they are not all digits.
int digitsAt(const char* data, unsigned long length, unsigned long from, unsigned long count)
{
    if (from + count > length)
        return -1;
    int value = 0;
    for (unsigned long i = from; i < from + count; ++i) {
        if (data[i] < '0' || data[i] > '9')
            return -1;
        value = value * 10 + (data[i] - '0');
    }
    return value;
}

// "yyyy-MM-dd HH:mm:ss" (a fraction after it is ignored) or "yyyy-MM-dd" as local time;
// an invalid date-time for the zero date or anything else.
QDateTime parseDateTime(const char* data, unsigned long length)
{
    const QDate date(digitsAt(data, length, 0, 4), digitsAt(data, length, 5, 2),
                     digitsAt(data, length, 8, 2));
    if (!date.isValid() || data[4] != '-' || data[7] != '-')
        return QDateTime();
    if (length < 19)
        return QDateTime(date, QTime(0, 0));
    const QTime time(digitsAt(data, length, 11, 2), digitsAt(data, length, 14, 2),
                     digitsAt(data, length, 17, 2));
    return time.isValid() ? QDateTime(date, time) : QDateTime(date, QTime(0, 0));
}

// What a result column holds, by its server type.
enum class ColumnKind
{
    Whole,
    Decimal,
    Real,
    DateTime,
    Text
};

ColumnKind kindOf(enum_field_types type)
{
    switch (type) {
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_LONGLONG:
    case MYSQL_TYPE_YEAR:
        return ColumnKind::Whole;
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL:
        return ColumnKind::Decimal;
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE:
        return ColumnKind::Real;
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_TIMESTAMP:
    case MYSQL_TYPE_DATE:
        return ColumnKind::DateTime;
    default:
        return ColumnKind::Text;
    }
}

// A value the server sent as text, converted by its column's type.
QVariant convert(const char* data, unsigned long length, enum_field_types type, unsigned flags)
{
    if (!data)
        return QVariant();
    switch (kindOf(type)) {
    case ColumnKind::Whole:
        if (flags & UNSIGNED_FLAG) {
            qulonglong value = 0;
            return parseWhole(data, length, value) ? QVariant(qlonglong(value)) : QVariant(qlonglong(0));
        } else {
            qlonglong value = 0;
            return parseWhole(data, length, value) ? QVariant(value) : QVariant(qlonglong(0));
        }
    case ColumnKind::Decimal: {
        // Sums of integer columns come back as decimals; keep whole values integral.
        qlonglong whole = 0;
        if (parseWhole(data, length, whole))
            return whole;
        return QByteArray(data, qsizetype(length)).toDouble();
    }
    case ColumnKind::Real:
        return QByteArray(data, qsizetype(length)).toDouble();
    case ColumnKind::DateTime:
        return parseDateTime(data, length);
    case ColumnKind::Text:
        break;
    }
    return QString::fromUtf8(data, qsizetype(length));
}

QString serverError(st_mysql* handle)
{
    return QString::fromUtf8(mysql_error(handle));
}

QString statementError(MYSQL_STMT* stmt)
{
    return QString::fromUtf8(mysql_stmt_error(stmt));
}

struct ResCloser
{
    void operator()(MYSQL_RES* res) const { mysql_free_result(res); }
};

} // namespace

bool Connection::serverStarted()
{
    return g_serverStarted;
}

void Connection::shutdownServer()
{
    if (g_serverStarted) {
        ServerThread::call([] { mysql_library_end(); });
        g_serverStarted = false;
    }
}

Connection::~Connection()
{
    close();
}

void Connection::open()
{
    if (m_handle)
        return;
    if (m_openFault) {
        if (auto fault = m_openFault())
            throw SqlError(*fault);
    }
    ServerThread::call([this] { connect(); });
}

void Connection::connect()
{
    startServer();
    st_mysql* handle = mysql_init(nullptr);
    if (!handle)
        throw SqlError(QStringLiteral("Nincs elég memória az adatbázis-kapcsolathoz."));
    mysql_options(handle, MYSQL_OPT_USE_EMBEDDED_CONNECTION, nullptr);
    mysql_options(handle, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    if (!mysql_real_connect(handle, nullptr, "SYSDBA", nullptr, "kovenda", 0, nullptr, 0)) {
        const QString error = serverError(handle);
        mysql_close(handle);
        throw SqlError(error);
    }
    if (mysql_query(handle, "SET NAMES utf8mb4 COLLATE utf8mb4_hungarian_ci") != 0) {
        const QString error = serverError(handle);
        mysql_close(handle);
        throw SqlError(error);
    }
    m_handle = handle;
}

void Connection::close()
{
    if (m_handle) {
        ServerThread::call([this] {
            forgetStatements();
            mysql_close(m_handle);
        });
        m_handle = nullptr;
    }
}

std::optional<ResultSet> Connection::run(const QString& sql, const std::vector<Parameter>& parameters)
{
    if (!m_handle)
        throw SqlError(QStringLiteral("Nincs kapcsolat az adatbázissal."));
    if (m_statementFault) {
        if (auto fault = m_statementFault(sql))
            throw SqlError(*fault);
    }
    if (m_statementObserver)
        m_statementObserver(sql, parameters);
    const PositionalStatement positional = toPositional(sql);
    std::optional<ResultSet> result;
    ServerThread::call([&] {
        result =
            positional.parameters.isEmpty() ? runPlain(positional.sql) : runPrepared(positional, parameters);
    });
    return result;
}

void Connection::batch(const std::function<void()>& work)
{
    ServerThread::call(work);
}

std::optional<ResultSet> Connection::runPlain(const QString& sql)
{
    const QByteArray text = sql.toUtf8();
    if (mysql_real_query(m_handle, text.constData(), text.size()) != 0)
        throw SqlError(serverError(m_handle));
    std::unique_ptr<MYSQL_RES, ResCloser> result(mysql_store_result(m_handle));
    if (!result) {
        if (mysql_field_count(m_handle) != 0)
            throw SqlError(serverError(m_handle));
        return std::nullopt;
    }
    ResultSet set;
    const unsigned count = mysql_num_fields(result.get());
    const MYSQL_FIELD* fields = mysql_fetch_fields(result.get());
    for (unsigned i = 0; i < count; ++i)
        set.columns.push_back({QString::fromUtf8(fields[i].name)});
    while (MYSQL_ROW row = mysql_fetch_row(result.get())) {
        const unsigned long* lengths = mysql_fetch_lengths(result.get());
        std::vector<QVariant> values;
        values.reserve(count);
        for (unsigned i = 0; i < count; ++i)
            values.push_back(convert(row[i], lengths[i], fields[i].type, fields[i].flags));
        set.rows.push_back(std::move(values));
    }
    return set;
}

namespace {

// The values of a statement's placeholders in the server's bind form. The buffers the
// binds point into live as long as this object, so it must outlast the execution.
class BoundParameters
{
public:
    // names: the placeholders in order; each takes the value of the parameter of that
    // name, compared without regard to case. Throws SqlError for a name without a value.
    BoundParameters(const QStringList& names, const std::vector<Parameter>& parameters)
    {
        const size_t count = size_t(names.size());
        m_binds.resize(count);
        m_texts.resize(count);
        m_integers.resize(count);
        m_reals.resize(count);
        m_lengths.resize(count);
        for (size_t i = 0; i < count; ++i)
            bind(i, valueOf(names[qsizetype(i)], parameters));
    }

    MYSQL_BIND* binds() { return m_binds.data(); }

private:
    static const QVariant& valueOf(const QString& name, const std::vector<Parameter>& parameters)
    {
        for (const Parameter& p : parameters) {
            if (p.name.compare(name, Qt::CaseInsensitive) == 0)
                return p.value;
        }
        throw SqlError(QStringLiteral("A(z) „%1” paraméternek nincs értéke.").arg(name));
    }

    void bindText(size_t i, QByteArray text)
    {
        MYSQL_BIND& bind = m_binds[i];
        m_texts[i] = std::move(text);
        m_lengths[i] = static_cast<unsigned long>(m_texts[i].size());
        bind.buffer_type = MYSQL_TYPE_STRING;
        bind.buffer = m_texts[i].data();
        bind.buffer_length = m_lengths[i];
        bind.length = &m_lengths[i];
    }

    void bind(size_t i, const QVariant& value)
    {
        MYSQL_BIND& bind = m_binds[i];
        std::memset(&bind, 0, sizeof bind);
        switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
        case QMetaType::UnknownType:
        case QMetaType::Nullptr:
            bind.buffer_type = MYSQL_TYPE_NULL;
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::Short:
        case QMetaType::Bool:
            m_integers[i] = value.toLongLong();
            bind.buffer_type = MYSQL_TYPE_LONGLONG;
            bind.buffer = &m_integers[i];
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            m_reals[i] = value.toDouble();
            bind.buffer_type = MYSQL_TYPE_DOUBLE;
            bind.buffer = &m_reals[i];
            break;
        case QMetaType::QDateTime:
        case QMetaType::QDate:
            // Sent as the server's own date-time text; the column type converts it.
            bindText(i, value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1());
            break;
        default:
            bindText(i, value.toString().toUtf8());
            break;
        }
    }

    std::vector<MYSQL_BIND> m_binds;
    std::vector<QByteArray> m_texts;
    std::vector<long long> m_integers;
    std::vector<double> m_reals;
    std::vector<unsigned long> m_lengths;
};

// How one result column is fetched: whole numbers, doubles and date-times in the server's
// binary form, which spares printing and parsing them; everything else as text (a float
// too, which as text keeps the digits the server shows).
enum class Fetched
{
    Whole,
    Real,
    DateTime,
    Text
};

Fetched fetchedAs(enum_field_types type)
{
    switch (kindOf(type)) {
    case ColumnKind::Whole:
        return Fetched::Whole;
    case ColumnKind::Real:
        return type == MYSQL_TYPE_DOUBLE ? Fetched::Real : Fetched::Text;
    case ColumnKind::DateTime:
        return Fetched::DateTime;
    case ColumnKind::Decimal:
    case ColumnKind::Text:
        break;
    }
    return Fetched::Text;
}

QDateTime dateTimeOf(const MYSQL_TIME& t)
{
    const QDate date(int(t.year), int(t.month), int(t.day));
    if (!date.isValid())
        return QDateTime();
    const QTime time(int(t.hour), int(t.minute), int(t.second));
    return QDateTime(date, time.isValid() ? time : QTime(0, 0));
}

} // namespace

// The buffers a statement's result columns are bound to. The server keeps writing through
// the last bound buffers when the statement is executed again, before they can be bound
// anew, so they live as long as the statement.
struct ResultBuffers
{
    std::vector<MYSQL_BIND> out;
    std::vector<QByteArray> texts;
    std::vector<long long> wholes;
    std::vector<double> reals;
    std::vector<MYSQL_TIME> times;
    std::vector<unsigned long> lengths;
    std::vector<my_bool> nulls;
};

struct Connection::KeptStatement
{
    explicit KeptStatement(MYSQL_STMT* s) : stmt(s) {}
    ~KeptStatement() { mysql_stmt_close(stmt); }
    KeptStatement(const KeptStatement&) = delete;
    KeptStatement& operator=(const KeptStatement&) = delete;

    MYSQL_STMT* stmt;
    ResultBuffers buffers;
};

namespace {

// Every row of an executed statement's result, each value converted by its column's type.
// The columns are bound to fresh buffers in `b`; the previous ones go only now.
ResultSet fetchRows(MYSQL_STMT* stmt, MYSQL_RES* meta, ResultBuffers& b)
{
    my_bool updateMax = 1;
    mysql_stmt_attr_set(stmt, STMT_ATTR_UPDATE_MAX_LENGTH, &updateMax);
    if (mysql_stmt_store_result(stmt) != 0)
        throw SqlError(statementError(stmt));

    const unsigned columns = mysql_num_fields(meta);
    const MYSQL_FIELD* fields = mysql_fetch_fields(meta);
    ResultSet set;
    b = ResultBuffers();
    b.out.resize(columns);
    b.texts.resize(columns);
    b.wholes.resize(columns);
    b.reals.resize(columns);
    b.times.resize(columns);
    b.lengths.resize(columns);
    b.nulls.resize(columns);
    std::vector<Fetched> kinds(columns);
    std::vector<MYSQL_BIND>& out = b.out;
    for (unsigned i = 0; i < columns; ++i) {
        set.columns.push_back({QString::fromUtf8(fields[i].name)});
        kinds[i] = fetchedAs(fields[i].type);
        MYSQL_BIND& bind = out[i];
        std::memset(&bind, 0, sizeof(MYSQL_BIND));
        bind.length = &b.lengths[i];
        bind.is_null = &b.nulls[i];
        switch (kinds[i]) {
        case Fetched::Whole:
            bind.buffer_type = MYSQL_TYPE_LONGLONG;
            bind.buffer = &b.wholes[i];
            bind.is_unsigned = (fields[i].flags & UNSIGNED_FLAG) != 0;
            break;
        case Fetched::Real:
            bind.buffer_type = MYSQL_TYPE_DOUBLE;
            bind.buffer = &b.reals[i];
            break;
        case Fetched::DateTime:
            bind.buffer_type = MYSQL_TYPE_DATETIME;
            bind.buffer = &b.times[i];
            break;
        case Fetched::Text:
            b.texts[i].resize(qsizetype(std::max<unsigned long>(fields[i].max_length, 64) + 1));
            bind.buffer_type = MYSQL_TYPE_STRING;
            bind.buffer = b.texts[i].data();
            bind.buffer_length = static_cast<unsigned long>(b.texts[i].size());
            break;
        }
    }
    if (mysql_stmt_bind_result(stmt, out.data()) != 0)
        throw SqlError(statementError(stmt));
    set.rows.reserve(size_t(mysql_stmt_num_rows(stmt)));
    for (;;) {
        const int rc = mysql_stmt_fetch(stmt);
        if (rc == MYSQL_NO_DATA)
            break;
        if (rc == 1)
            throw SqlError(statementError(stmt));
        std::vector<QVariant> values;
        values.reserve(columns);
        for (unsigned i = 0; i < columns; ++i) {
            if (b.nulls[i]) {
                values.emplace_back();
                continue;
            }
            switch (kinds[i]) {
            case Fetched::Whole:
                values.emplace_back(qlonglong(b.wholes[i]));
                break;
            case Fetched::Real:
                values.emplace_back(b.reals[i]);
                break;
            case Fetched::DateTime:
                values.emplace_back(dateTimeOf(b.times[i]));
                break;
            case Fetched::Text:
                values.push_back(convert(b.texts[i].constData(),
                                         std::min<unsigned long>(b.lengths[i], out[i].buffer_length),
                                         fields[i].type, fields[i].flags));
                break;
            }
        }
        set.rows.push_back(std::move(values));
    }
    return set;
}

} // namespace

namespace {

// Only statements that read or write rows are kept; a table's definition may change
// under a kept statement of any other kind.
bool worthKeeping(const QByteArray& text)
{
    static const char* const verbs[] = {"select", "insert", "update", "delete", "replace"};
    const QByteArray start = text.left(8).trimmed().toLower();
    for (const char* verb : verbs) {
        if (start.startsWith(verb))
            return true;
    }
    return false;
}

constexpr qsizetype kKeptStatements = 256;

} // namespace

std::shared_ptr<Connection::KeptStatement> Connection::prepared(const QByteArray& text, bool& cached)
{
    cached = false;
    if (std::shared_ptr<KeptStatement> kept = m_statements.value(text)) {
        cached = true;
        return kept;
    }
    MYSQL_STMT* stmt = mysql_stmt_init(m_handle);
    if (!stmt)
        throw SqlError(serverError(m_handle));
    auto statement = std::make_shared<KeptStatement>(stmt);
    if (mysql_stmt_prepare(stmt, text.constData(), static_cast<unsigned long>(text.size())) != 0)
        throw SqlError(statementError(stmt));
    if (worthKeeping(text)) {
        // Texts built with literal values would otherwise pile up without end.
        if (m_statements.size() >= kKeptStatements)
            forgetStatements();
        m_statements.insert(text, statement);
        cached = true;
    }
    return statement;
}

void Connection::forgetStatements()
{
    m_statements.clear();
}

std::optional<ResultSet> Connection::runPrepared(const PositionalStatement& statement,
                                                 const std::vector<Parameter>& parameters)
{
    const QByteArray text = statement.sql.toUtf8();
    // Values are bound before the server is asked, so a missing one costs nothing.
    BoundParameters bound(statement.parameters, parameters);
    bool cached = false;
    // A statement used only once is closed with the last reference to it, after use.
    const std::shared_ptr<KeptStatement> kept = prepared(text, cached);
    MYSQL_STMT* stmt = kept->stmt;
    try {
        if (mysql_stmt_bind_param(stmt, bound.binds()) != 0)
            throw SqlError(statementError(stmt));
        if (mysql_stmt_execute(stmt) != 0)
            throw SqlError(statementError(stmt));
        std::optional<ResultSet> result;
        std::unique_ptr<MYSQL_RES, ResCloser> meta(mysql_stmt_result_metadata(stmt));
        if (meta)
            result = fetchRows(stmt, meta.get(), kept->buffers);
        if (cached)
            mysql_stmt_free_result(stmt);
        return result;
    } catch (...) {
        // A statement that failed is not trusted again.
        if (cached)
            m_statements.remove(text);
        throw;
    }
}

} // namespace store
