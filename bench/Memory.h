// Resident memory of a process, for the benchmarks that report it.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace bench {

// Megabytes resident now of the process (this one without a pid); 0 when unknown.
inline double residentMegabytes(qint64 pid = 0)
{
    QFile status(pid > 0 ? QStringLiteral("/proc/%1/status").arg(pid) : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

} // namespace bench
