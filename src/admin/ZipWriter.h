#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace admin {

// Writes a zip archive from named pieces of data (entry names as given, '/' between
// folders). Throws std::runtime_error with the archive library's text on failure.
struct ZipEntry
{
    QString name;
    QByteArray data;
};

void writeZip(const QString& archivePath, const std::vector<ZipEntry>& entries);

} // namespace admin
