#pragma once

#include "Connection.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace store {

class Query;

// Reads the tables of the earlier release's database.
class LegacySource
{
public:
    virtual ~LegacySource() = default;
    // Rows of one select on the legacy database; raises SqlError on any failure.
    virtual ResultSet select(const QString& sql) = 0;
};

// The one-time migration from the earlier release's database file "adatok.fdb": one
// copy step per table, each replacing the main store's table by the legacy table when
// that has rows. Every step raises on any error; nothing inside catches it.
class LegacyMigration
{
public:
    explicit LegacyMigration(Query& target);
    ~LegacyMigration();

    void setDatabaseFile(const QString& path) { m_databaseFile = path; }
    QString databaseFile() const { return m_databaseFile; }
    // The reader of the legacy file; without one every copy step fails.
    void setSource(std::unique_ptr<LegacySource> source);

    // Set by the copy steps of the list and settings tables when their legacy table
    // held rows; decides whether the register is copied too.
    bool legacyDataFound = false;

    // The tables copied always, in order; SZERVEK follows only when legacyDataFound.
    static const QStringList& copyOrder();

    void copyTable(const QString& table);

private:
    Query& m_target;
    QString m_databaseFile;
    std::unique_ptr<LegacySource> m_source;
};

} // namespace store
