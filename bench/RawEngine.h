// The embedded engine without the program around it: statements recorded from the
// program are run again through the server's C interface on a thread of their own,
// with a connection of their own, prepared once per text. What the engine itself costs.
#pragma once

#include "store/Connection.h"
#include "store/NamedParameters.h"

#include <QElapsedTimer>
#include <QHash>
#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <mysql.h>
#include <thread>
#include <vector>

namespace bench {

struct Statement
{
    QString sql;
    std::vector<store::Parameter> parameters;
    // Milliseconds from this statement's start to the next one's (or the end of the
    // recording): the statement and the program's own work after it.
    double programMs = 0;
    double engineMs = 0;
};

// Records the statements the program's connection runs while it is in scope.
class Recorder
{
public:
    explicit Recorder(store::Connection& connection) : m_connection(connection)
    {
        m_timer.start();
        m_connection.setStatementObserver([this](const QString& sql, const std::vector<store::Parameter>& p) {
            stamp();
            m_statements.push_back({sql, p});
        });
    }
    ~Recorder() { m_connection.setStatementObserver({}); }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    std::vector<Statement> take()
    {
        stamp();
        return std::move(m_statements);
    }

private:
    void stamp()
    {
        const double now = double(m_timer.nsecsElapsed()) / 1e6;
        if (!m_statements.empty())
            m_statements.back().programMs = now - m_last;
        m_last = now;
    }

    store::Connection& m_connection;
    std::vector<Statement> m_statements;
    QElapsedTimer m_timer;
    double m_last = 0;
};

// Prints the statements that took longest, grouped by text: how often each ran, the
// program's time and the engine's.
inline void printBreakdown(QTextStream& out, const char* what, const std::vector<Statement>& statements,
                           int shown = 6)
{
    struct Group
    {
        QString sql;
        int count = 0;
        double program = 0, engine = 0;
    };
    std::vector<Group> groups;
    for (const Statement& s : statements) {
        auto it = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.sql == s.sql; });
        if (it == groups.end())
            it = groups.insert(groups.end(), Group{s.sql});
        ++it->count;
        it->program += s.programMs;
        it->engine += s.engineMs;
    }
    std::sort(groups.begin(), groups.end(),
              [](const Group& a, const Group& b) { return a.program > b.program; });
    out << "    " << what << ":\n";
    for (size_t i = 0; i < groups.size() && int(i) < shown; ++i) {
        QString text = groups[i].sql.simplified();
        if (text.size() > 90)
            text = text.left(87) + QStringLiteral("...");
        out << QStringLiteral("      %1x %2 %3  %4\n")
                   .arg(groups[i].count, 4)
                   .arg(groups[i].program, 7, 'f', 1)
                   .arg(groups[i].engine, 7, 'f', 1)
                   .arg(text);
    }
}

class RawEngine
{
public:
    RawEngine()
    {
        m_thread = std::thread([this] { loop(); });
        call([this] { connect(); });
    }
    ~RawEngine()
    {
        call([this] {
            for (MYSQL_STMT* stmt : std::as_const(m_prepared))
                mysql_stmt_close(stmt);
            mysql_close(m_handle);
            m_stop = true;
        });
        m_thread.join();
    }
    RawEngine(const RawEngine&) = delete;
    RawEngine& operator=(const RawEngine&) = delete;

    // Runs the statements in order, reading every row of every result; milliseconds on the
    // engine's thread. Each statement's own time goes into its engineMs.
    double run(std::vector<Statement>& statements)
    {
        double elapsed = 0;
        call([&] {
            QElapsedTimer timer;
            timer.start();
            for (Statement& s : statements) {
                const qint64 start = timer.nsecsElapsed();
                runOne(s);
                s.engineMs = double(timer.nsecsElapsed() - start) / 1e6;
            }
            elapsed = double(timer.nsecsElapsed()) / 1e6;
        });
        return elapsed;
    }

private:
    void call(const std::function<void()>& work)
    {
        std::unique_lock lock(m_mutex);
        m_work = &work;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_work == nullptr; });
    }

    void loop()
    {
        mysql_thread_init();
        std::unique_lock lock(m_mutex);
        while (!m_stop) {
            m_changed.wait(lock, [this] { return m_work != nullptr; });
            (*m_work)();
            m_work = nullptr;
            m_changed.notify_all();
        }
        lock.unlock();
        mysql_thread_end();
    }

    void connect()
    {
        m_handle = mysql_init(nullptr);
        mysql_options(m_handle, MYSQL_OPT_USE_EMBEDDED_CONNECTION, nullptr);
        mysql_options(m_handle, MYSQL_SET_CHARSET_NAME, "utf8mb4");
        if (!mysql_real_connect(m_handle, nullptr, "SYSDBA", nullptr, "kovenda", 0, nullptr, 0))
            qFatal("raw engine: %s", mysql_error(m_handle));
        mysql_query(m_handle, "SET NAMES utf8mb4 COLLATE utf8mb4_hungarian_ci");
    }

    void runOne(const Statement& s)
    {
        const store::PositionalStatement positional = store::toPositional(s.sql);
        if (positional.parameters.isEmpty()) {
            const QByteArray text = s.sql.toUtf8();
            if (mysql_real_query(m_handle, text.constData(), static_cast<unsigned long>(text.size())) != 0)
                qFatal("raw engine: %s", mysql_error(m_handle));
            if (MYSQL_RES* result = mysql_store_result(m_handle)) {
                while (mysql_fetch_row(result)) {
                }
                mysql_free_result(result);
            }
            return;
        }
        const QByteArray text = positional.sql.toUtf8();
        MYSQL_STMT* stmt = m_prepared.value(text);
        if (!stmt) {
            stmt = mysql_stmt_init(m_handle);
            if (mysql_stmt_prepare(stmt, text.constData(), static_cast<unsigned long>(text.size())) != 0)
                qFatal("raw engine: %s", mysql_stmt_error(stmt));
            m_prepared.insert(text, stmt);
        }
        const qsizetype count = positional.parameters.size();
        const size_t n = static_cast<size_t>(count);
        std::vector<MYSQL_BIND> binds(n);
        std::vector<QByteArray> texts(n);
        std::vector<long long> integers(n);
        std::vector<unsigned long> lengths(n);
        for (qsizetype i = 0; i < count; ++i) {
            QVariant value;
            for (const store::Parameter& p : s.parameters) {
                if (p.name.compare(positional.parameters[i], Qt::CaseInsensitive) == 0)
                    value = p.value;
            }
            MYSQL_BIND& bind = binds[size_t(i)];
            std::memset(&bind, 0, sizeof bind);
            if (value.isNull()) {
                bind.buffer_type = MYSQL_TYPE_NULL;
            } else if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QDateTime) {
                texts[size_t(i)] =
                    value.typeId() == QMetaType::QString
                        ? value.toString().toUtf8()
                        : value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
                lengths[size_t(i)] = static_cast<unsigned long>(texts[size_t(i)].size());
                bind.buffer_type = MYSQL_TYPE_STRING;
                bind.buffer = texts[size_t(i)].data();
                bind.buffer_length = lengths[size_t(i)];
                bind.length = &lengths[size_t(i)];
            } else {
                integers[size_t(i)] = value.toLongLong();
                bind.buffer_type = MYSQL_TYPE_LONGLONG;
                bind.buffer = &integers[size_t(i)];
            }
        }
        if (mysql_stmt_bind_param(stmt, binds.data()) != 0 || mysql_stmt_execute(stmt) != 0)
            qFatal("raw engine: %s", mysql_stmt_error(stmt));
        MYSQL_RES* meta = mysql_stmt_result_metadata(stmt);
        if (!meta)
            return;
        my_bool updateMax = 1;
        mysql_stmt_attr_set(stmt, STMT_ATTR_UPDATE_MAX_LENGTH, &updateMax);
        mysql_stmt_store_result(stmt);
        const unsigned columns = mysql_num_fields(meta);
        const MYSQL_FIELD* fields = mysql_fetch_fields(meta);
        std::vector<MYSQL_BIND> out(columns);
        std::vector<QByteArray> buffers(columns);
        std::vector<unsigned long> outLengths(columns);
        std::vector<my_bool> nulls(columns);
        for (unsigned i = 0; i < columns; ++i) {
            buffers[i].resize(qsizetype(fields[i].max_length + 1));
            std::memset(&out[i], 0, sizeof(MYSQL_BIND));
            out[i].buffer_type = MYSQL_TYPE_STRING;
            out[i].buffer = buffers[i].data();
            out[i].buffer_length = static_cast<unsigned long>(buffers[i].size());
            out[i].length = &outLengths[i];
            out[i].is_null = &nulls[i];
        }
        mysql_stmt_bind_result(stmt, out.data());
        while (mysql_stmt_fetch(stmt) == 0) {
        }
        mysql_stmt_free_result(stmt);
        mysql_free_result(meta);
    }

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    const std::function<void()>* m_work = nullptr;
    bool m_stop = false;
    MYSQL* m_handle = nullptr;
    QHash<QByteArray, MYSQL_STMT*> m_prepared;
};

} // namespace bench
