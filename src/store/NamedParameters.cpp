#include "NamedParameters.h"

namespace store {

namespace {
bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}
} // namespace

PositionalStatement toPositional(const QString& sql)
{
    PositionalStatement out;
    out.sql.reserve(sql.size());
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"' || c == u'`') {
            // Copy the quoted run; a doubled quote or a backslash escape stays inside it.
            out.sql += c;
            ++i;
            while (i < n) {
                const QChar d = sql[i];
                out.sql += d;
                ++i;
                if (d == u'\\' && c != u'`' && i < n) {
                    out.sql += sql[i];
                    ++i;
                } else if (d == c) {
                    if (i < n && sql[i] == c) {
                        out.sql += sql[i];
                        ++i;
                    } else {
                        break;
                    }
                }
            }
            continue;
        }
        if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            const qsizetype end = sql.indexOf(u'\n', i);
            const qsizetype stop = end < 0 ? n : end;
            out.sql += sql.mid(i, stop - i);
            i = stop;
            continue;
        }
        if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
            const qsizetype stop = end < 0 ? n : end + 2;
            out.sql += sql.mid(i, stop - i);
            i = stop;
            continue;
        }
        if (c == u':' && i + 1 < n && isNameChar(sql[i + 1]) && !(i > 0 && sql[i - 1] == u':')) {
            qsizetype j = i + 1;
            while (j < n && isNameChar(sql[j]))
                ++j;
            out.parameters << sql.mid(i + 1, j - i - 1);
            out.sql += u'?';
            i = j;
            continue;
        }
        out.sql += c;
        ++i;
    }
    return out;
}

} // namespace store
