#include "Query.h"

#include "SqlError.h"

#include <algorithm>

namespace store {

Query::Query(Connection& connection, QString name) : m_connection(connection), m_name(std::move(name)) {}

void Query::close()
{
    const bool wasOpen = m_open;
    m_open = false;
    m_result = {};
    m_current = -1;
    if (wasOpen)
        notify();
}

void Query::clearSql()
{
    m_lines.clear();
    m_parameters.clear();
}

void Query::addLine(const QString& line)
{
    m_lines << line;
}

void Query::setSql(const QString& sql)
{
    clearSql();
    m_lines << sql;
}

void Query::setParam(const QString& name, const QVariant& value)
{
    for (Parameter& p : m_parameters) {
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) {
            p.value = value;
            return;
        }
    }
    m_parameters.push_back({name, value});
}

void Query::open()
{
    load(0);
}

void Query::refresh()
{
    load(std::max(m_current, 0));
}

void Query::load(int wantedRow)
{
    close();
    auto result = m_connection.run(sql(), m_parameters);
    m_result = result ? std::move(*result) : ResultSet{};
    m_open = true;
    m_current = m_result.rows.empty() ? -1 : std::min(wantedRow, rowCount() - 1);
    // Views learn of the new rows only once the current row is where it stays.
    notify();
}

void Query::execute()
{
    close();
    m_connection.run(sql(), m_parameters);
}

void Query::open(const QString& sqlText, const std::vector<Parameter>& parameters)
{
    close();
    setSql(sqlText);
    for (const Parameter& p : parameters)
        setParam(p.name, p.value);
    open();
}

void Query::execute(const QString& sqlText, const std::vector<Parameter>& parameters)
{
    close();
    setSql(sqlText);
    for (const Parameter& p : parameters)
        setParam(p.name, p.value);
    execute();
}

int Query::fieldIndex(const QString& field) const
{
    for (size_t i = 0; i < m_result.columns.size(); ++i) {
        if (m_result.columns[i].name.compare(field, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QStringList Query::fieldNames() const
{
    QStringList names;
    for (const ResultColumn& c : m_result.columns)
        names << c.name;
    return names;
}

void Query::setCurrentRow(int row)
{
    m_current = (row >= 0 && row < rowCount()) ? row : -1;
}

QVariant Query::value(const QString& field) const
{
    if (eof())
        throw SqlError(QStringLiteral("%1: nincs kiválasztott sor.").arg(m_name));
    return value(m_current, field);
}

QVariant Query::value(int row, const QString& field) const
{
    const int index = fieldIndex(field);
    if (index < 0)
        throw SqlError(QStringLiteral("%1: nincs „%2” nevű mező.").arg(m_name, field));
    return m_result.rows.at(size_t(row)).at(size_t(index));
}

int Query::addChangeListener(std::function<void()> listener)
{
    const int id = m_nextListenerId++;
    m_listeners.emplace_back(id, std::move(listener));
    return id;
}

void Query::removeChangeListener(int id)
{
    std::erase_if(m_listeners, [id](const auto& entry) { return entry.first == id; });
}

void Query::notify()
{
    // A copy, so that a listener may remove itself or add another while it runs.
    const auto listeners = m_listeners;
    for (const auto& entry : listeners)
        entry.second();
}

} // namespace store
