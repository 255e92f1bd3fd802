#pragma once

#include "Connection.h"
#include "SqlError.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace store {

class Query;

// The earlier release's database cannot serve the migration. The text is the reason,
// for the operator, in Hungarian.
class LegacyError : public SqlError
{
public:
    enum class Kind
    {
        Unreadable, // the file cannot be opened or read
        Incomplete, // it lacks a table or column the copy needs
    };
    explicit LegacyError(const QString& reason, Kind kind = Kind::Unreadable) : SqlError(reason), m_kind(kind)
    {
    }
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// "az" before a name read out with a vowel first, "a" otherwise.
QString hungarianArticle(const QString& name);

// Reads the tables of the earlier release's database.
class LegacySource
{
public:
    virtual ~LegacySource() = default;
    // Rows of one select on the legacy database; raises SqlError on any failure.
    virtual ResultSet select(const QString& sql) = 0;
    // The columns the select would deliver, without reading its rows; nothing when the
    // reader cannot tell without reading. Raises like select().
    virtual std::optional<std::vector<ResultColumn>> columns(const QString& sql)
    {
        Q_UNUSED(sql);
        return std::nullopt;
    }
    // Lets go of the legacy database; the next select opens it again.
    virtual void close() {}
};

// The one-time migration from the earlier release's database file "adatok.fdb": one
// copy step per table, each replacing the main store's table by the legacy table when
// that has rows. Every step raises on any error; nothing inside catches it.
class LegacyMigration
{
public:
    explicit LegacyMigration(Query& target);
    ~LegacyMigration();

    void setDatabaseFile(const QString& path);
    QString databaseFile() const { return m_databaseFile; }
    // The reader of the legacy file; without one, the Firebird reader of databaseFile().
    void setSource(std::unique_ptr<LegacySource> source);

    // Set by the copy steps of the list and settings tables when their legacy table
    // held rows; decides whether the register is copied too.
    bool legacyDataFound = false;

    // The tables copied always, in order; SZERVEK follows only when legacyDataFound.
    static const QStringList& copyOrder();

    // Makes sure, before any table of the store is emptied, that every legacy table of
    // the migration has the columns its copy step needs; raises LegacyError naming the
    // first table or column missing. A legacy file that cannot be copied as a whole thus
    // leaves the store alone instead of refilling some tables at every start.
    void checkTables();

    void copyTable(const QString& table);

    // Lets go of the legacy file once the migration is over, whatever its outcome.
    void closeSource();

private:
    LegacySource& source();

    Query& m_target;
    QString m_databaseFile;
    std::unique_ptr<LegacySource> m_source;
    bool m_ownReader = false; // m_source is the reader made for m_databaseFile
};

} // namespace store
