#pragma once

#include "support/ProgramFolder.h"

#include <QDateTime>
#include <QStringList>

namespace testsupport {

// List header rows written as "number:addressee:printed", e.g. "4::p" is list 4, printed,
// with no addressee; "2:Futár:" is list 2, unprinted, addressed to "Futár".
inline void addHeaders(const QString& table, const QStringList& headers)
{
    for (const QString& header : headers) {
        const QStringList f = header.split(u':');
        exec(QStringLiteral(
                 "INSERT INTO %1 (LSZAM,JCIMZETT,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) VALUES (:l,:j,:d,:p)")
                 .arg(table),
             {{"l", f[0].toInt()},
              {"j", f[1].isEmpty() ? QVariant() : QVariant(f[1])},
              {"d", f[2] == "p" ? QVariant(QDateTime(QDate(2026, 1, 5), QTime(10, 0))) : QVariant()},
              {"p", f[2] == "p" ? QVariant(1) : QVariant()}});
    }
}

} // namespace testsupport
