#pragma once

#include <QString>
#include <QStringList>

namespace store {

// A statement with ":NAME" placeholders turned into the server's positional "?" form.
struct PositionalStatement
{
    QString sql;            // the text with every placeholder replaced by '?'
    QStringList parameters; // placeholder names in order of appearance, as written
};

// Quoted strings, quoted identifiers and comments are copied unchanged, so a colon
// inside them never becomes a parameter.
PositionalStatement toPositional(const QString& sql);

} // namespace store
