#include "FirebirdSource.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTime>

namespace store {

namespace {

const QString kConnectionName = QStringLiteral("ZConnection1");

// RDB$FIELD_TYPE values of text columns.
constexpr int kChar = 14;
constexpr int kVarchar = 37;
constexpr int kCString = 40;
constexpr int kBlob = 261;
constexpr int kTextBlob = 1; // RDB$FIELD_SUB_TYPE of a text blob
// The output type of a fixed-length text column (SQL_TEXT), without its "may be NULL" bit.
constexpr int kSqlText = 452;
// The longest text a blob is read as; four bytes a letter must fit the engine's 32765.
constexpr int kLongestBlobText = 8191;

// "select * from <table> <rest>"
struct PlainSelect
{
    QString table;
    QString rest;
};

std::optional<PlainSelect> parsePlainSelect(const QString& sql)
{
    static const QRegularExpression plain(
        QStringLiteral(R"(^\s*select\s+\*\s+from\s+([A-Za-z][A-Za-z0-9_$]*)(\s.*)?$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = plain.match(sql);
    if (!match.hasMatch())
        return std::nullopt;
    return PlainSelect{match.captured(1), match.captured(2)};
}

QString quoted(const QString& name)
{
    QString inner = name;
    inner.replace(u'"', QStringLiteral("\"\""));
    return u'"' + inner + u'"';
}

QString errorText(const QSqlError& error)
{
    const QString database = error.databaseText().trimmed();
    return database.isEmpty() ? error.driverText().trimmed() : database;
}

// A value as the copy binds it.
QVariant plainValue(const QVariant& value, bool fixedLength)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return QVariant(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return QVariant(value.toDouble());
    case QMetaType::QDateTime:
        return value;
    case QMetaType::QDate:
        return QVariant(QDateTime(value.toDate(), QTime(0, 0)));
    case QMetaType::QTime:
        return QVariant(value.toTime().toString(QStringLiteral("HH:mm:ss")));
    case QMetaType::QByteArray:
        return QVariant(QString::fromUtf8(value.toByteArray()));
    default: {
        QString text = value.toString();
        if (fixedLength) {
            qsizetype end = text.size();
            while (end > 0 && text.at(end - 1) == u' ')
                --end;
            text.truncate(end);
        }
        return QVariant(text);
    }
    }
}

} // namespace

namespace firebird {

void prepareEngine()
{
    if (qEnvironmentVariableIsSet("FIREBIRD_LOCK"))
        return;
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty() || !QFileInfo(base).isWritable())
        base = QDir::tempPath();
    const QString folder = base + QStringLiteral("/dispora-firebird");
    QDir().mkpath(folder);
    qputenv("FIREBIRD_LOCK", QFile::encodeName(folder));
}

QString reasonFor(const QString& engineText, const QString& actualPath, const QString& shownPath)
{
    QString text = engineText;
    if (!actualPath.isEmpty())
        text.replace(actualPath, shownPath);
    static const QRegularExpression oldFormat(
        QStringLiteral(R"(unsupported on-disk structure.*found (\d+)\.\d+)"),
        QRegularExpression::DotMatchesEverythingOption);
    const auto old = oldFormat.match(text);
    if (old.hasMatch() && old.captured(1).toInt() < 12)
        return QStringLiteral(
                   "régebbi Firebird-változat formátumában van (ODS %1), ezt a Firebird 3 nem nyitja meg")
            .arg(old.captured(1));
    if (old.hasMatch())
        return QStringLiteral("újabb Firebird-változat formátumában van (ODS %1)").arg(old.captured(1));
    static const QRegularExpression damaged(
        QStringLiteral("not a valid database|File size is less than expected|wrong page type|appears corrupt|"
                       "bad checksum|invalid database"),
        QRegularExpression::CaseInsensitiveOption);
    if (damaged.match(text).hasMatch())
        return QStringLiteral("nem Firebird-adatbázis, vagy megsérült (%1)").arg(text);
    static const QRegularExpression newerBackup(QStringLiteral("Expected backup version"),
                                                QRegularExpression::CaseInsensitiveOption);
    if (newerBackup.match(text).hasMatch())
        return QStringLiteral("a mentést a Firebird 3-nál újabb változat készítette (%1)").arg(text);
    static const QRegularExpression badBackup(
        QStringLiteral(
            "backup description record|not a valid backup|unexpected end of file|might be corrupt"),
        QRegularExpression::CaseInsensitiveOption);
    if (badBackup.match(text).hasMatch())
        return QStringLiteral("nem Firebird-mentés (gbak), vagy megsérült (%1)").arg(text);
    return QStringLiteral("a Firebird hibája: %1").arg(text);
}

} // namespace firebird

FirebirdSource::FirebirdSource(QString databaseFile) : m_file(std::move(databaseFile)) {}

FirebirdSource::~FirebirdSource()
{
    close();
}

void FirebirdSource::fail(const QString& what, const QString& engineText) const
{
    throw LegacyError(what + firebird::reasonFor(engineText, m_workFile, m_file));
}

void FirebirdSource::open()
{
    const QFileInfo info(m_file);
    if (!info.exists())
        throw LegacyError(QStringLiteral("a fájl nem létezik"));
    if (!info.isFile())
        throw LegacyError(QStringLiteral("ez nem fájl, hanem mappa"));
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QIBASE")))
        throw LegacyError(
            QStringLiteral("hiányzik a Firebird-adatbázisok olvasója (a Qt QIBASE illesztője)"));
    firebird::prepareEngine();

    auto work = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/dispora-legacy-XXXXXX"));
    if (!work->isValid())
        throw LegacyError(QStringLiteral("nem készíthető róla munkamásolat: %1").arg(work->errorString()));
    const QString workFile = work->filePath(QStringLiteral("adatok.fdb"));
    QFile original(m_file);
    if (!original.copy(workFile))
        throw LegacyError(QStringLiteral("a fájl nem olvasható (%1)").arg(original.errorString()));
    // The copy keeps the original's permissions, and the engine wants to write.
    QFile::setPermissions(workFile, QFile::ReadOwner | QFile::WriteOwner);

    QString name = kConnectionName;
    for (int n = 2; QSqlDatabase::contains(name); ++n)
        name = kConnectionName + QStringLiteral("_%1").arg(n);
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), name);
        db.setDatabaseName(workFile);
        db.setUserName(QStringLiteral("SYSDBA"));
        db.setPassword(QString());
        if (!db.open())
            error = errorText(db.lastError());
    }
    if (!error.isNull()) {
        QSqlDatabase::removeDatabase(name);
        throw LegacyError(firebird::reasonFor(error, workFile, m_file));
    }
    m_connection = name;
    m_work = std::move(work);
    m_workFile = workFile;
}

void FirebirdSource::close()
{
    if (!m_connection.isEmpty()) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
        m_connection.clear();
    }
    m_work.reset();
    m_workFile.clear();
}

std::vector<FirebirdSource::TableColumn> FirebirdSource::tableColumns(const QString& table)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral(
        "select rf.rdb$field_name, f.rdb$field_type, f.rdb$field_sub_type, f.rdb$character_set_id, "
        "f.rdb$field_length from rdb$relation_fields rf join rdb$fields f on f.rdb$field_name = "
        "rf.rdb$field_source where rf.rdb$relation_name = ? order by rf.rdb$field_position"));
    q.addBindValue(table.toUpper());
    if (!q.exec())
        fail(QStringLiteral("a katalógusa nem olvasható: "), errorText(q.lastError()));
    std::vector<TableColumn> columns;
    while (q.next())
        columns.push_back({q.value(0).toString().trimmed(), q.value(1).toInt(), q.value(2).toInt(),
                           q.value(3).toInt(), q.value(4).toInt()});
    return columns;
}

// The select as given, or, when the table has text the driver would misread, the same
// select naming every column, each such text converted by the engine itself: the driver
// takes every text for UTF-8, and the engine hands over NONE bytes as they lie.
QString FirebirdSource::readableSelect(const QString& sql)
{
    const auto plain = parsePlainSelect(sql);
    if (!plain)
        return sql;
    const std::vector<TableColumn> columns = tableColumns(plain->table);
    QStringList list;
    bool converted = false;
    for (const TableColumn& c : columns) {
        const bool none = c.charset == 0;
        QString expression;
        if ((c.type == kChar || c.type == kVarchar || c.type == kCString) && none)
            expression =
                QStringLiteral("cast(%1 as %2(%3) character set win1250)")
                    .arg(quoted(c.name), c.type == kChar ? QStringLiteral("char") : QStringLiteral("varchar"))
                    .arg(qMax(c.length, 1));
        else if (c.type == kBlob && c.subType == kTextBlob)
            expression = QStringLiteral("cast(%1 as varchar(%2) character set %3)")
                             .arg(quoted(c.name))
                             .arg(kLongestBlobText)
                             .arg(none ? QStringLiteral("win1250") : QStringLiteral("utf8"));
        if (expression.isEmpty()) {
            list << quoted(c.name);
        } else {
            list << expression + QStringLiteral(" as ") + quoted(c.name);
            converted = true;
        }
    }
    if (!converted)
        return sql;
    return QStringLiteral("select ") + list.join(QStringLiteral(", ")) + QStringLiteral(" from ") +
           plain->table + plain->rest;
}

std::optional<std::vector<ResultColumn>> FirebirdSource::columns(const QString& sql)
{
    const auto plain = parsePlainSelect(sql);
    if (!plain)
        return std::nullopt;
    if (!isOpen())
        open();
    const std::vector<TableColumn> table = tableColumns(plain->table);
    if (table.empty())
        throw LegacyError(QStringLiteral("hiányzik belőle %1 %2 tábla")
                              .arg(hungarianArticle(plain->table), plain->table.toUpper()),
                          LegacyError::Kind::Incomplete);
    std::vector<ResultColumn> out;
    for (const TableColumn& c : table)
        out.push_back({c.name});
    return out;
}

ResultSet FirebirdSource::select(const QString& sql)
{
    if (!isOpen())
        open();
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    const QString what = QStringLiteral("a „%1” lekérdezés nem futott le: ").arg(sql);
    if (!q.exec(readableSelect(sql)))
        fail(what, errorText(q.lastError()));
    ResultSet set;
    const QSqlRecord record = q.record();
    std::vector<bool> fixedLength;
    for (int i = 0; i < record.count(); ++i) {
        set.columns.push_back({record.fieldName(i)});
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        fixedLength.push_back((record.field(i).typeID() & ~1) == kSqlText);
        QT_WARNING_POP
    }
    while (q.next()) {
        std::vector<QVariant> row;
        row.reserve(size_t(record.count()));
        for (int i = 0; i < record.count(); ++i)
            row.push_back(plainValue(q.value(i), fixedLength[size_t(i)]));
        set.rows.push_back(std::move(row));
    }
    if (q.lastError().type() != QSqlError::NoError)
        fail(what, errorText(q.lastError()));
    return set;
}

} // namespace store
