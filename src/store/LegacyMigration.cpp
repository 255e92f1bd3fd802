#include "LegacyMigration.h"

#include "FirebirdSource.h"
#include "Query.h"
#include "SqlError.h"

#include <QRegularExpression>

namespace store {

namespace {

struct CopyRule
{
    QString select;
    QString columns;
    QString values;
};

bool isItemTable(const QString& t)
{
    static const QStringList items = {"B2", "B2NATO", "B2ZSAK", "BZS3", "BZS3NATO"};
    return items.contains(t);
}

bool isHeaderTable(const QString& t)
{
    static const QStringList headers = {"B2_ADATOK", "B2NATO_ADATOK", "B2ZSAK_ADATOK", "BZS3_ADATOK",
                                        "BZS3NATO_ADATOK"};
    return headers.contains(t);
}

CopyRule ruleFor(const QString& table)
{
    const QString lower = table.toLower();
    if (isItemTable(table))
        return {
            QStringLiteral("select * from %1 order by tetel_id").arg(lower),
            QStringLiteral(
                "(lszam, iktszam, mjel, kcimzett, szamnelkuli, sorszam, kcimzett_az, db, szulo_id, "
                "tetel_id, csoport_id) values "),
            QStringLiteral("(:lszam, :iktszam, :mjel, :kcimzett, :szamnelkuli, :sorszam, :kcimzett_az, :db, "
                           ":szulo_id, :tetel_id, :csoport_id)")};
    if (isHeaderTable(table))
        return {QStringLiteral("select * from %1 order by lszam").arg(lower),
                QStringLiteral("(lszam, jcimzett, nyomtatas_datuma, nyomtatas_peldany) values "),
                QStringLiteral("(:lszam, :jcimzett, :nyomtatas_datuma, :nyomtatas_peldany)")};
    if (table == QLatin1String("BEALLITASOK"))
        return {
            QStringLiteral("select * from beallitasok"),
            QStringLiteral(
                "(nev, szervkod, nyomtato, takarekos, futarjegyzek_cimzettje, "
                "futarjegyzek_cimzettje_szervkod, felso, also, jobb, bal, felso_t, also_t, jobb_t, "
                "bal_t) values "),
            QStringLiteral("(:nev,:szervkod,:nyomtato,:takarekos,:futarjegyzek_cimzettje,:futarjegyzek_"
                           "cimzettje_szervkod,:felso,:also,:jobb,:bal,:felso_t,:also_t,:jobb_t,:bal_t)")};
    if (table == QLatin1String("CSOPORTOS"))
        return {QStringLiteral("select * from csoportos"), QStringLiteral("(id, iktszam) values "),
                QStringLiteral("(:id, :iktszam)")};
    if (table == QLatin1String("SZERVEK_VERZIO"))
        return {QStringLiteral("select * from szervek_verzio"), QStringLiteral("(verzio_datumido) values "),
                QStringLiteral("(:verzio_datumido)")};
    if (table == QLatin1String("SZERVEK"))
        return {QStringLiteral("select * from szervek"),
                QStringLiteral("(tkod, szervnev, rovidnev, szervcim, telefon, irsz, telepules, cim) values "),
                QStringLiteral("(:tkod,:szervnev,:rovidnev,:szervcim,:telefon,:irsz,:telepules,:cim)")};
    throw SqlError(QStringLiteral("No copy step for table %1").arg(table));
}

// The tables whose legacy rows mean that the earlier release was in use.
bool marksLegacyData(const QString& table)
{
    static const QStringList marking = {"B2",       "B2NATO",        "B2ZSAK",        "BZS3",
                                        "BZS3NATO", "B2NATO_ADATOK", "B2ZSAK_ADATOK", "BEALLITASOK"};
    return marking.contains(table);
}

// Every name the values list binds, in order.
QStringList parameterNames(const QString& values)
{
    static const QRegularExpression parameter(QStringLiteral(":([A-Za-z_][A-Za-z0-9_]*)"));
    QStringList names;
    for (auto it = parameter.globalMatch(values); it.hasNext();)
        names << it.next().captured(1);
    return names;
}

// The position of every bound column in the legacy columns; raises for a missing one.
std::vector<size_t> columnPositions(const QString& table, const QStringList& names,
                                    const std::vector<ResultColumn>& legacyColumns)
{
    std::vector<size_t> positions;
    for (const QString& name : names) {
        size_t c = 0;
        while (c < legacyColumns.size() && legacyColumns[c].name.compare(name, Qt::CaseInsensitive) != 0)
            ++c;
        if (c == legacyColumns.size())
            throw LegacyError(
                QStringLiteral("%1 %2 táblából hiányzik %3 %4 oszlop")
                    .arg(hungarianArticle(table), table, hungarianArticle(name), name.toUpper()),
                LegacyError::Kind::Incomplete);
        positions.push_back(c);
    }
    return positions;
}

} // namespace

QString hungarianArticle(const QString& name)
{
    static const QString vowels = QStringLiteral("AEIOUÁÉÍÓÖŐÚÜŰ");
    return !name.isEmpty() && vowels.contains(name.at(0).toUpper()) ? QStringLiteral("az")
                                                                    : QStringLiteral("a");
}

LegacyMigration::LegacyMigration(Query& target) : m_target(target) {}

LegacyMigration::~LegacyMigration() = default;

void LegacyMigration::setDatabaseFile(const QString& path)
{
    if (path == m_databaseFile)
        return;
    m_databaseFile = path;
    if (m_ownReader) {
        m_source.reset();
        m_ownReader = false;
    }
}

void LegacyMigration::setSource(std::unique_ptr<LegacySource> source)
{
    m_source = std::move(source);
    m_ownReader = false;
}

LegacySource& LegacyMigration::source()
{
    if (!m_source) {
        m_source = std::make_unique<FirebirdSource>(m_databaseFile);
        m_ownReader = true;
    }
    return *m_source;
}

void LegacyMigration::closeSource()
{
    if (m_source)
        m_source->close();
}

const QStringList& LegacyMigration::copyOrder()
{
    static const QStringList order = {"B2",
                                      "B2NATO",
                                      "B2ZSAK",
                                      "BZS3",
                                      "BZS3NATO",
                                      "B2NATO_ADATOK",
                                      "B2ZSAK_ADATOK",
                                      "B2_ADATOK",
                                      "BZS3NATO_ADATOK",
                                      "BZS3_ADATOK",
                                      "BEALLITASOK",
                                      "CSOPORTOS",
                                      "SZERVEK_VERZIO"};
    return order;
}

void LegacyMigration::checkTables()
{
    QStringList tables = copyOrder();
    tables << QStringLiteral("SZERVEK");
    for (const QString& table : tables) {
        const CopyRule rule = ruleFor(table);
        const auto legacyColumns = source().columns(rule.select);
        if (legacyColumns)
            columnPositions(table, parameterNames(rule.values), *legacyColumns);
    }
}

void LegacyMigration::copyTable(const QString& tableName)
{
    const QString table = tableName.toUpper();
    const CopyRule rule = ruleFor(table);
    const ResultSet legacy = source().select(rule.select);
    if (legacy.rows.empty())
        return;
    if (marksLegacyData(table))
        legacyDataFound = true;

    const QStringList names = parameterNames(rule.values);
    // Every column is found before the table is emptied, so a legacy table that lacks
    // one leaves the store's table as it was.
    const std::vector<size_t> columns = columnPositions(table, names, legacy.columns);
    m_target.execute(QStringLiteral("truncate table ") + table);
    const QString insert =
        QStringLiteral("insert into ") + table + QStringLiteral(" ") + rule.columns + rule.values;
    for (const auto& row : legacy.rows) {
        m_target.close();
        m_target.setSql(insert);
        for (qsizetype i = 0; i < names.size(); ++i)
            m_target.setParam(names[i], row.at(columns[size_t(i)]));
        m_target.execute();
    }
}

} // namespace store
