#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace admin {

// Writes a zip archive from named pieces of data (entry names as given, '/' between
// folders). Throws std::runtime_error with the archive library's text on failure.
struct ZipEntry
{
    QString name;
    QByteArray data;
    bool stored = false; // kept uncompressed instead of deflated
};

void writeZip(const QString& archivePath, const std::vector<ZipEntry>& entries);

// What archiveFolderFiles did.
struct FolderArchive
{
    QStringList stored;  // bare names, in the order they were added
    QStringList skipped; // files that could not be read or whose bare name came twice
    QString error;       // why the archive is missing or unsound; empty when it is sound
    bool ok() const { return error.isEmpty() && skipped.isEmpty() && !stored.isEmpty(); }
};

// Stores every file below folder (sub-folders and hidden files too) under its bare name in
// a new archive, reads the archive back to check it, and only then gives it the name
// archivePath, replacing a file there. When ok() is false no archive is left at archivePath
// (a file that was there before stays as it was).
FolderArchive archiveFolderFiles(const QString& folder, const QString& archivePath);

} // namespace admin
