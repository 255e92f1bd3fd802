#include "LegacyMigration.h"

#include "Query.h"
#include "SqlError.h"

#include <QFileInfo>
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

// Until a reader of the legacy file format is built in, a present file cannot be read.
class UnavailableSource : public LegacySource
{
public:
    explicit UnavailableSource(QString file) : m_file(std::move(file)) {}
    ResultSet select(const QString&) override
    {
        if (!QFileInfo(m_file).isFile())
            throw SqlError(QStringLiteral("The legacy database %1 does not exist").arg(m_file));
        throw SqlError(
            QStringLiteral("The legacy database %1 cannot be read: no reader for its format").arg(m_file));
    }

private:
    QString m_file;
};

} // namespace

LegacyMigration::LegacyMigration(Query& target) : m_target(target) {}

LegacyMigration::~LegacyMigration() = default;

void LegacyMigration::setSource(std::unique_ptr<LegacySource> source)
{
    m_source = std::move(source);
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

void LegacyMigration::copyTable(const QString& tableName)
{
    const QString table = tableName.toUpper();
    const CopyRule rule = ruleFor(table);
    if (!m_source)
        m_source = std::make_unique<UnavailableSource>(m_databaseFile);
    const ResultSet legacy = m_source->select(rule.select);
    if (legacy.rows.empty())
        return;
    if (marksLegacyData(table))
        legacyDataFound = true;

    static const QRegularExpression parameter(QStringLiteral(":([A-Za-z_][A-Za-z0-9_]*)"));
    QStringList names;
    for (auto it = parameter.globalMatch(rule.values); it.hasNext();)
        names << it.next().captured(1);
    std::vector<int> columns;
    for (const QString& name : names) {
        int found = -1;
        for (size_t c = 0; c < legacy.columns.size(); ++c) {
            if (legacy.columns[c].name.compare(name, Qt::CaseInsensitive) == 0) {
                found = int(c);
                break;
            }
        }
        if (found < 0)
            throw SqlError(QStringLiteral("Column %1 not found in the legacy table %2").arg(name, table));
        columns.push_back(found);
    }
    // Every column is found before the table is emptied, so a legacy table that lacks
    // one leaves the store's table as it was.
    m_target.execute(QStringLiteral("truncate table ") + table);
    for (const auto& row : legacy.rows) {
        m_target.close();
        m_target.setSql(QStringLiteral("insert into ") + table + QStringLiteral(" ") + rule.columns +
                        rule.values);
        for (qsizetype i = 0; i < names.size(); ++i)
            m_target.setParam(names[i], row.at(size_t(columns[size_t(i)])));
        m_target.execute();
    }
}

} // namespace store
