#pragma once

#include <QStringList>
#include <functional>

namespace store {

class Query;

// The start-time upkeep of the main store.
namespace upkeep {

// The repair statements, in the order they run.
const QStringList& repairStatements();

// Shows a text to the operator; the caller decides how.
using Reporter = std::function<void(const QString& text)>;

// Repairs every table, one statement after the other on the query, each whatever became
// of the ones before. A table whose repair fails (the statement raises, or the server
// reports an error for it) is repaired once more with its index rebuilt from the table
// definition. Reports "MySQL REPAIR error" once, naming the tables still unrepaired, and
// names the tables whose repair dropped rows. Never raises.
// Returns true when every table was repaired.
bool repairTables(Query& query, const Reporter& report);

// The print-count repair statements: a list with a print date but no count of prints
// counts as printed once.
const QStringList& printCountRepairStatements();
void repairPrintCounts(Query& query); // raises on failure

} // namespace upkeep

} // namespace store
