#pragma once

#include <QString>
#include <stdexcept>

namespace store {

// A failed statement or connection, carrying the server's own text.
class SqlError : public std::runtime_error
{
public:
    explicit SqlError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};

} // namespace store
