#pragma once

#include <QString>
#include <vector>

namespace admin {

class ZipReader;

// One entry of an archive that a restore writes into the database folder.
struct RestoredEntry
{
    int index = 0;  // in the archive
    QString target; // the table file it replaces, as the store names it
    qint64 size = 0;
};

// The name an archive entry is restored under: the table file of this store that its bare
// name (any folder part dropped) names; empty for every other entry.
QString restoredName(const QString& entryName);

// The entries a restore takes: those whose bare names are table files of this store; of
// entries with the same bare name the last one counts.
std::vector<RestoredEntry> restoredEntries(const ZipReader& archive);

// Why these entries cannot make up the table files of a restore (no table file at all, or
// a table of which not all three files are there); empty when they can.
QString checkRestoredEntries(const std::vector<RestoredEntry>& entries);

// Why the archive is not a backup of this program; empty when it is one: a zip archive
// read through and CRC-checked, of plain file names only, holding complete table files.
// The texts are for the operator.
QString checkBackupArchive(const QString& archivePath);

} // namespace admin
