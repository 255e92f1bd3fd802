#pragma once

#include "LegacyMigration.h"

#include <QString>
#include <memory>

class QTemporaryDir;

namespace store {

namespace firebird {

// What the embedded Firebird engine needs from the process before its first use: a lock
// folder this user may write (the engine's default is shared by all users of the
// machine). A folder given by the environment is kept.
void prepareEngine();

// The operator's reason for an error text of the engine, with `shownPath` in place of
// `actualPath` where the engine named the file it worked on.
QString reasonFor(const QString& engineText, const QString& actualPath = QString(),
                  const QString& shownPath = QString());

} // namespace firebird

// The legacy connection ZConnection1: the earlier release's Firebird database, read through
// Qt's Firebird driver on the embedded engine, as user SYSDBA without a password. Nothing
// happens until the first select, which opens it. The file itself is never written: the
// engine works on a private copy, made at the open, because it updates a database's
// header even for reads and refuses a file it may not write.
//
// Text comes out as the same letters whatever the legacy column's character set: WIN1250
// and UTF8 columns are converted by the engine, and columns declared without one (NONE)
// are read as the Windows-1250 bytes the earlier release wrote into them.
class FirebirdSource : public LegacySource
{
public:
    explicit FirebirdSource(QString databaseFile);
    ~FirebirdSource() override;
    FirebirdSource(const FirebirdSource&) = delete;
    FirebirdSource& operator=(const FirebirdSource&) = delete;

    // Values come as qlonglong, double, QString, QDateTime or a null QVariant; fixed-length
    // text loses the blanks the engine pads it with. Raises LegacyError.
    ResultSet select(const QString& sql) override;
    // For "select * from <table> ...": the table's columns as the catalogue lists them.
    std::optional<std::vector<ResultColumn>> columns(const QString& sql) override;
    void close() override;

    bool isOpen() const { return !m_connection.isEmpty(); }
    const QString& databaseFile() const { return m_file; }

private:
    struct TableColumn
    {
        QString name;
        int type = 0;    // RDB$FIELD_TYPE
        int subType = 0; // RDB$FIELD_SUB_TYPE
        int charset = 0; // RDB$CHARACTER_SET_ID, 0 for NONE
        int length = 0;  // RDB$FIELD_LENGTH in bytes
    };

    void open();
    std::vector<TableColumn> tableColumns(const QString& table);
    QString readableSelect(const QString& sql);
    [[noreturn]] void fail(const QString& what, const QString& engineText) const;

    QString m_file;
    QString m_connection; // name of the open QSqlDatabase connection, empty while closed
    std::unique_ptr<QTemporaryDir> m_work;
    QString m_workFile;
};

} // namespace store
