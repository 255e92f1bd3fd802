#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct st_mysql;

namespace store {

struct PositionalStatement;

// One column of a result: its name as the server reports it.
struct ResultColumn
{
    QString name;
};

// Rows of one result set; values are qlonglong, double, QString, QDateTime or a null QVariant.
struct ResultSet
{
    std::vector<ResultColumn> columns;
    std::vector<std::vector<QVariant>> rows;
};

// A named parameter value. The QVariant type decides the bound type: integer, text,
// date-time, or NULL for an invalid/null QVariant.
struct Parameter
{
    QString name;
    QVariant value;
};

// A connection to the in-process embedded server, database "kovenda".
// The server itself is started once per process, on the first open, with the
// working directory as its base folder.
class Connection
{
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void open();  // does nothing when open already; throws SqlError
    void close(); // does nothing when closed
    bool isOpen() const { return m_handle != nullptr; }

    // Runs one statement. Named parameters are bound through a prepared statement,
    // never pasted into the text. Returns the result set when the statement has one.
    std::optional<ResultSet> run(const QString& sql, const std::vector<Parameter>& parameters);

    // Test hooks: a fault returns the error text a statement (or the open) shall fail with.
    using StatementFault = std::function<std::optional<QString>(const QString& sql)>;
    void setStatementFault(StatementFault fault) { m_statementFault = std::move(fault); }
    void setOpenFault(std::function<std::optional<QString>()> fault) { m_openFault = std::move(fault); }
    // Benchmark hook: sees every statement with its values before it runs.
    using StatementObserver =
        std::function<void(const QString& sql, const std::vector<Parameter>& parameters)>;
    void setStatementObserver(StatementObserver observer) { m_statementObserver = std::move(observer); }

    // Runs work, which may call run() any number of times, as one hand-off to the
    // server thread. work must not show windows or touch views: it runs on that thread.
    void batch(const std::function<void()>& work);

    static bool serverStarted();
    // Closes the table files cleanly; only after every connection is closed.
    static void shutdownServer();

private:
    void connect();
    std::optional<ResultSet> runPlain(const QString& sql);
    std::optional<ResultSet> runPrepared(const PositionalStatement& statement,
                                         const std::vector<Parameter>& parameters);
    struct KeptStatement;
    std::shared_ptr<KeptStatement> prepared(const QByteArray& text, bool& cached);
    void forgetStatements();

    st_mysql* m_handle = nullptr;
    // Prepared statements by their text, kept for the connection's life: a list's
    // renumbering or a register refresh runs the same few statements thousands of times.
    QHash<QByteArray, std::shared_ptr<KeptStatement>> m_statements;
    StatementFault m_statementFault;
    StatementObserver m_statementObserver;
    std::function<std::optional<QString>()> m_openFault;
};

} // namespace store
