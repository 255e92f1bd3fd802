#pragma once

#include <QString>

namespace store::firebird {

// Restores a Firebird backup (made by gbak, of any Firebird version) into a new database
// file in the current on-disk format, through the service manager of the embedded engine.
// The new file appears under `databaseFile` only when the restore succeeded; a file of
// that name must not exist. The client library is loaded only by this call. Raises
// LegacyError with the reason.
void restoreBackup(const QString& backupFile, const QString& databaseFile);

} // namespace store::firebird
