#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace store {
class TDM1;
}

namespace admin {

// The name proposed for a new backup: "adatok_" + yyyyMMddHHmmss + ".zip", the same
// digits whatever the locale.
QString proposedBackupName(const QDateTime& now);

// Where the save dialog of a backup starts.
struct BackupFolder
{
    QString startFolder;
    bool creationFailed = false;
};
// programFolder + "adatbazis_mentes/", created when missing; when it cannot be created,
// creationFailed is set and the dialog starts in programFolder.
BackupFolder prepareBackupFolder(const QString& programFolder);

// A path in folder for a backup taken at `now` that names no existing file: the proposed
// name, or the proposed name with "_2", "_3"... before ".zip".
QString freshBackupPath(const QString& folder, const QDateTime& now);

// Saves the table files of programFolder + "data/kovenda/" into a zip archive. The server
// first writes out and closes every table, the main connection is closed, every file of the
// folder (sub-folders too) is stored under its bare name, and the written archive is read
// back and checked before it takes the chosen name. The main connection and the
// organisation names on MyQuery4 are always reopened afterwards. Returns false when no file
// was stored, a file could not be read, or the archive is unsound; an existing file at
// archivePath is then left as it was. Throws store::SqlError only when the store cannot
// be reopened.
bool backupDatabase(store::TDM1& dm, const QString& programFolder, const QString& archivePath);

// Checks that the archive is a backup of this program (a sound zip archive of plain file
// names holding complete table files of this store), then writes programFolder +
// "import.txt" with the archive's full path and CR LF. Returns false, writing nothing,
// for any other archive or when the request cannot be written.
bool writeRestoreRequest(const QString& programFolder, const QString& archivePath);

// Before the program ends for a restore: closes MyQuery1 to MyQuery6 and the main connection.
void closeStoreForRestore(store::TDM1& dm);
// Opens the main connection again and reloads the organisation names on MyQuery4.
void reopenStore(store::TDM1& dm);

// The statements of the numbering reset, in the order they run.
const QStringList& numberingResetStatements();

struct ResetOutcome
{
    bool backedUp = false;    // false: the backup failed and nothing was emptied
    QString backupPath;       // the archive taken before the reset
    int failedStatement = -1; // index of the statement that failed; -1 when all ran
};
// Empties every list so that each kind starts again at list number 1. A backup is taken
// into adatbazis_mentes/ first, and without it nothing is emptied; the statements then
// run in order and stop at the first one that fails.
ResetOutcome resetNumbering(store::TDM1& dm, const QString& programFolder, const QDateTime& now);

} // namespace admin
