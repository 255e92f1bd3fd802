#include "SchemaScript.h"

namespace store {

QStringList splitSchemaScript(const QString& script)
{
    QStringList statements;
    QString current;
    for (const QString& rawLine : script.split(u'\n')) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QStringLiteral("--")))
            continue;
        if (!current.isEmpty())
            current += u'\n';
        current += rawLine;
        if (line.endsWith(u';')) {
            current = current.trimmed();
            current.chop(1);
            statements << current;
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

} // namespace store
