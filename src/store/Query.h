#pragma once

#include "Connection.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

namespace store {

// A reusable query object: close it, give it a new text, bind the named parameters,
// then open it (statements with rows) or execute it. The rows stay with the object,
// with a current row, until it is closed or reused.
class Query
{
public:
    Query(Connection& connection, QString name);

    const QString& name() const { return m_name; }

    void close();
    void clearSql();
    void addLine(const QString& line);
    void setSql(const QString& sql); // replaces the text and forgets bound values
    QString sql() const { return m_lines.join(u'\n'); }

    // Typed values by name; a null QVariant binds NULL.
    void setParam(const QString& name, const QVariant& value);
    void setInt(const QString& name, qlonglong value) { setParam(name, QVariant(value)); }
    void setText(const QString& name, const QString& value) { setParam(name, QVariant(value)); }
    void setDateTime(const QString& name, const QDateTime& value) { setParam(name, QVariant(value)); }
    void setNull(const QString& name) { setParam(name, QVariant()); }

    void open();    // throws SqlError; the object is open with its rows afterwards
    void refresh(); // reopens with the same text and values, keeping the current row where it can
    void execute(); // throws SqlError; for statements without rows (any rows are dropped)

    // Shorthands for the common close / set text / bind / open pattern.
    void open(const QString& sql, const std::vector<Parameter>& parameters = {});
    void execute(const QString& sql, const std::vector<Parameter>& parameters = {});

    bool isOpen() const { return m_open; }
    int rowCount() const { return int(m_result.rows.size()); }
    bool isEmpty() const { return m_result.rows.empty(); }
    int fieldIndex(const QString& field) const; // -1 when the result has no such column
    QStringList fieldNames() const;

    // Cursor over the rows.
    int currentRow() const { return m_current; }
    void setCurrentRow(int row);
    void first() { setCurrentRow(0); }
    void last() { setCurrentRow(rowCount() - 1); }
    void next() { ++m_current; }
    bool eof() const { return m_current < 0 || m_current >= rowCount(); }

    QVariant value(const QString& field) const; // of the current row; throws for an unknown column
    QVariant value(int row, const QString& field) const;
    const std::vector<QVariant>& row(int row) const { return m_result.rows.at(size_t(row)); }

    // Called after every open and close, so that views over this object can follow it.
    // A listener that lives shorter than the query removes itself with the returned id.
    int addChangeListener(std::function<void()> listener);
    void removeChangeListener(int id);

private:
    void load(int wantedRow);
    void notify();

    Connection& m_connection;
    QString m_name;
    QStringList m_lines;
    std::vector<Parameter> m_parameters;
    ResultSet m_result;
    bool m_open = false;
    int m_current = -1;
    std::vector<std::pair<int, std::function<void()>>> m_listeners;
    int m_nextListenerId = 1;
};

} // namespace store
