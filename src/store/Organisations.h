#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace store {

class Query;

// The register's name for an organisation code, looked up as text; nothing when the code is not there.
std::optional<QString> organisationName(Query& query, const QString& code);

// The version stamp of the register file loaded last (its newest row), or nothing when none is stored.
std::optional<QDateTime> registerVersion(Query& query);

} // namespace store
