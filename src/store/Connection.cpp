#include "Connection.h"

#include "NamedParameters.h"
#include "ServerThread.h"
#include "SqlError.h"

#include <cstring>
#include <memory>
#include <mysql.h>

namespace store {

namespace {

bool g_serverStarted = false;

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
        // The search over the whole register sorts in memory instead of on disk.
        "--tmp_table_size=64M",
        "--max_heap_table_size=64M",
        "--lower_case_table_names=1",
        "--character-set-server=utf8mb4",
        "--collation-server=utf8mb4_hungarian_ci",
        "--skip-grant-tables",
        "--log-warnings=0",
    };
    static const char* groups[] = {"dispora_embedded", nullptr};
    if (mysql_library_init(int(std::size(args)), const_cast<char**>(args), const_cast<char**>(groups)) != 0)
        throw SqlError(QStringLiteral("A beágyazott adatbázis-kiszolgáló nem indult el."));
    g_serverStarted = true;
}

QVariant convert(const char* data, unsigned long length, enum_field_types type, unsigned flags)
{
    if (!data)
        return QVariant();
    const QByteArray bytes(data, qsizetype(length));
    switch (type) {
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_LONGLONG:
    case MYSQL_TYPE_YEAR:
        return (flags & UNSIGNED_FLAG) ? QVariant(qlonglong(bytes.toULongLong()))
                                       : QVariant(bytes.toLongLong());
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL: {
        // Sums of integer columns come back as decimals; keep whole values integral.
        bool ok = false;
        const qlonglong whole = bytes.toLongLong(&ok);
        return ok ? QVariant(whole) : QVariant(bytes.toDouble());
    }
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE:
        return bytes.toDouble();
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_TIMESTAMP:
    case MYSQL_TYPE_DATE: {
        const QString text = QString::fromLatin1(bytes);
        QDateTime value = QDateTime::fromString(text.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!value.isValid())
            value = QDateTime(QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
        return value;
    }
    default:
        return QString::fromUtf8(bytes);
    }
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

// Every row of an executed statement's result, each value read as text and converted
// by its column's type.
ResultSet fetchRows(MYSQL_STMT* stmt, MYSQL_RES* meta)
{
    my_bool updateMax = 1;
    mysql_stmt_attr_set(stmt, STMT_ATTR_UPDATE_MAX_LENGTH, &updateMax);
    if (mysql_stmt_store_result(stmt) != 0)
        throw SqlError(statementError(stmt));

    const unsigned columns = mysql_num_fields(meta);
    const MYSQL_FIELD* fields = mysql_fetch_fields(meta);
    ResultSet set;
    std::vector<MYSQL_BIND> out(columns);
    std::vector<QByteArray> buffers(columns);
    std::vector<unsigned long> outLengths(columns);
    std::vector<my_bool> nulls(columns);
    for (unsigned i = 0; i < columns; ++i) {
        set.columns.push_back({QString::fromUtf8(fields[i].name)});
        buffers[i].resize(qsizetype(std::max<unsigned long>(fields[i].max_length, 64) + 1));
        std::memset(&out[i], 0, sizeof(MYSQL_BIND));
        out[i].buffer_type = MYSQL_TYPE_STRING;
        out[i].buffer = buffers[i].data();
        out[i].buffer_length = static_cast<unsigned long>(buffers[i].size());
        out[i].length = &outLengths[i];
        out[i].is_null = &nulls[i];
    }
    if (mysql_stmt_bind_result(stmt, out.data()) != 0)
        throw SqlError(statementError(stmt));
    for (;;) {
        const int rc = mysql_stmt_fetch(stmt);
        if (rc == MYSQL_NO_DATA)
            break;
        if (rc == 1)
            throw SqlError(statementError(stmt));
        std::vector<QVariant> values;
        values.reserve(columns);
        for (unsigned i = 0; i < columns; ++i) {
            if (nulls[i]) {
                values.emplace_back();
                continue;
            }
            values.push_back(convert(buffers[i].constData(),
                                     std::min<unsigned long>(outLengths[i], out[i].buffer_length),
                                     fields[i].type, fields[i].flags));
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

MYSQL_STMT* Connection::prepared(const QByteArray& text, bool& cached)
{
    cached = false;
    if (MYSQL_STMT* kept = m_statements.value(text)) {
        cached = true;
        return kept;
    }
    MYSQL_STMT* stmt = mysql_stmt_init(m_handle);
    if (!stmt)
        throw SqlError(serverError(m_handle));
    if (mysql_stmt_prepare(stmt, text.constData(), static_cast<unsigned long>(text.size())) != 0) {
        const QString error = statementError(stmt);
        mysql_stmt_close(stmt);
        throw SqlError(error);
    }
    if (worthKeeping(text)) {
        // Texts built with literal values would otherwise pile up without end.
        if (m_statements.size() >= kKeptStatements)
            forgetStatements();
        m_statements.insert(text, stmt);
        cached = true;
    }
    return stmt;
}

void Connection::forgetStatements()
{
    for (MYSQL_STMT* stmt : std::as_const(m_statements))
        mysql_stmt_close(stmt);
    m_statements.clear();
}

std::optional<ResultSet> Connection::runPrepared(const PositionalStatement& statement,
                                                 const std::vector<Parameter>& parameters)
{
    const QByteArray text = statement.sql.toUtf8();
    // Values are bound before the server is asked, so a missing one costs nothing.
    BoundParameters bound(statement.parameters, parameters);
    bool cached = false;
    MYSQL_STMT* stmt = prepared(text, cached);
    // A statement that failed is not trusted again; one used only once is closed after use.
    const auto drop = [&] {
        if (cached)
            m_statements.remove(text);
        mysql_stmt_close(stmt);
    };
    try {
        if (mysql_stmt_bind_param(stmt, bound.binds()) != 0)
            throw SqlError(statementError(stmt));
        if (mysql_stmt_execute(stmt) != 0)
            throw SqlError(statementError(stmt));
        std::optional<ResultSet> result;
        std::unique_ptr<MYSQL_RES, ResCloser> meta(mysql_stmt_result_metadata(stmt));
        if (meta)
            result = fetchRows(stmt, meta.get());
        if (cached)
            mysql_stmt_free_result(stmt);
        else
            mysql_stmt_close(stmt);
        return result;
    } catch (...) {
        drop();
        throw;
    }
}

} // namespace store
