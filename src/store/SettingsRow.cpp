#include "SettingsRow.h"

#include "Query.h"
#include "SqlError.h"

namespace store {

namespace {

const QString kSelect = QStringLiteral("SELECT * FROM BEALLITASOK");

// Every column of the row that is stored now, to put it back when a save fails half-way.
struct StoredRow
{
    QStringList columns;
    std::vector<QVariant> values;

    QVariant value(const QString& column) const
    {
        for (qsizetype i = 0; i < columns.size(); ++i) {
            if (columns[i].compare(column, Qt::CaseInsensitive) == 0)
                return values[size_t(i)];
        }
        return {};
    }
};

std::optional<StoredRow> readStoredRow(Query& query)
{
    query.open(kSelect);
    std::optional<StoredRow> stored;
    if (!query.isEmpty())
        stored = StoredRow{query.fieldNames(), query.row(0)};
    query.close();
    return stored;
}

// Its own statement with every column named, so that it does not depend on the one that failed.
void putBack(Query& query, const StoredRow& stored)
{
    QStringList placeholders;
    std::vector<Parameter> parameters;
    for (qsizetype i = 0; i < stored.columns.size(); ++i) {
        const QString name = QStringLiteral("V%1").arg(i + 1);
        placeholders << QLatin1Char(':') + name;
        parameters.push_back({name, stored.values[size_t(i)]});
    }
    query.execute(QStringLiteral("INSERT INTO BEALLITASOK (%1) VALUES (%2)")
                      .arg(stored.columns.join(u','), placeholders.join(u',')),
                  parameters);
}

} // namespace

std::optional<SettingsRow> readSettingsRow(Query& query)
{
    query.open(kSelect);
    if (query.isEmpty()) {
        query.close();
        return std::nullopt;
    }
    const auto text = [&](const char* column) { return query.value(0, QLatin1String(column)).toString(); };
    const auto number = [&](const char* column) { return query.value(0, QLatin1String(column)).toInt(); };
    SettingsRow row;
    row.name = text("NEV");
    row.code = text("SZERVKOD");
    row.printerIndex = number("NYOMTATO");
    row.defaultPrinterValue = number("alapertelmezett_nyomtato");
    row.defaultAddresseeName = text("FUTARJEGYZEK_CIMZETTJE");
    row.defaultAddresseeCode = text("FUTARJEGYZEK_CIMZETTJE_SZERVKOD");
    row.marginTop = number("FELSO");
    row.marginBottom = number("ALSO");
    row.marginLeft = number("BAL");
    row.marginRight = number("JOBB");
    query.close();
    return row;
}

void saveSettingsRow(Query& query, const SettingsRow& row)
{
    const std::optional<StoredRow> before = readStoredRow(query);
    // TAKAREKOS carries no behaviour; it only keeps what was stored.
    const int thrifty = !before || before->value(QStringLiteral("TAKAREKOS")).toInt() != 0 ? 1 : 0;

    query.close();
    query.setSql(QStringLiteral("TRUNCATE TABLE BEALLITASOK"));
    query.execute();

    query.close();
    query.clearSql();
    query.addLine(
        QStringLiteral("INSERT INTO BEALLITASOK (NEV,SZERVKOD,NYOMTATO,TAKAREKOS,FUTARJEGYZEK_CIMZETTJE,"
                       "FUTARJEGYZEK_CIMZETTJE_SZERVKOD,FELSO,ALSO,BAL,JOBB,FELSO_T,ALSO_T,BAL_T,JOBB_T,"
                       "alapertelmezett_nyomtato)"));
    query.addLine(
        QStringLiteral("VALUES (:NEV,:SZERVKOD,:NYOMTATO,:TAKAREKOS,:FUTARJEGYZEK_CIMZETTJE,"
                       ":FUTARJEGYZEK_CIMZETTJE_SZERVKOD,:FELSO,:ALSO,:BAL,:JOBB,:FELSO_T,:ALSO_T,:BAL_T,"
                       ":JOBB_T,:alapertelmezett_nyomtato)"));
    query.setText(QStringLiteral("NEV"), row.name);
    query.setText(QStringLiteral("SZERVKOD"), row.code);
    query.setInt(QStringLiteral("NYOMTATO"), row.printerIndex);
    query.setInt(QStringLiteral("TAKAREKOS"), thrifty);
    query.setText(QStringLiteral("FUTARJEGYZEK_CIMZETTJE"), row.defaultAddresseeName);
    query.setText(QStringLiteral("FUTARJEGYZEK_CIMZETTJE_SZERVKOD"), row.defaultAddresseeCode);
    query.setInt(QStringLiteral("FELSO"), row.marginTop);
    query.setInt(QStringLiteral("ALSO"), row.marginBottom);
    query.setInt(QStringLiteral("BAL"), row.marginLeft);
    query.setInt(QStringLiteral("JOBB"), row.marginRight);
    query.setInt(QStringLiteral("FELSO_T"), row.marginTop);
    query.setInt(QStringLiteral("ALSO_T"), row.marginBottom);
    query.setInt(QStringLiteral("BAL_T"), row.marginLeft);
    query.setInt(QStringLiteral("JOBB_T"), row.marginRight);
    query.setInt(QStringLiteral("alapertelmezett_nyomtato"), row.defaultPrinterValue);
    try {
        query.execute();
    } catch (const SqlError& error) {
        // The table is empty now; without the old row the next start would be a first start.
        QString text = QStringLiteral("A beállításokat nem sikerült menteni");
        QString reason = error.message();
        if (before) {
            try {
                putBack(query, *before);
                text += QStringLiteral(", a korábbi beállítások maradtak érvényben");
            } catch (const SqlError& second) {
                text += QStringLiteral(", és a korábbi beállításokat sem sikerült visszaírni");
                reason += QStringLiteral("; ") + second.message();
            }
        }
        query.close();
        throw SqlError(text + QStringLiteral("! (") + reason + QStringLiteral(")"));
    }
    query.close();
}

} // namespace store
