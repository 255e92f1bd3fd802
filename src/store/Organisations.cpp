#include "Organisations.h"

#include "Query.h"

namespace store {

std::optional<QString> organisationName(Query& query, const QString& code)
{
    query.close();
    query.setSql(QStringLiteral("SELECT SZERVNEV FROM SZERVEK WHERE TKOD=:TKOD"));
    query.setText(QStringLiteral("TKOD"), code);
    query.open();
    std::optional<QString> name;
    if (!query.isEmpty())
        name = query.value(0, QStringLiteral("SZERVNEV")).toString();
    query.close();
    return name;
}

std::optional<QDateTime> registerVersion(Query& query)
{
    query.open(QStringLiteral("SELECT * FROM SZERVEK_VERZIO ORDER BY VERZIO_DATUMIDO DESC"));
    std::optional<QDateTime> version;
    if (!query.isEmpty()) {
        const QDateTime stamp = query.value(0, QStringLiteral("VERZIO_DATUMIDO")).toDateTime();
        if (stamp.isValid())
            version = stamp;
    }
    query.close();
    return version;
}

} // namespace store
