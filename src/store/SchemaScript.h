#pragma once

#include <QString>
#include <QStringList>

namespace store {

// Splits a schema script into statements: a statement ends with ';' at the end of a
// line; lines starting with "--" are comments.
QStringList splitSchemaScript(const QString& script);

} // namespace store
