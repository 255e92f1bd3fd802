#include "AddresseeSearch.h"

#include "store/Query.h"

namespace items {

namespace {

const QString kSelectLine = QStringLiteral("SELECT TKOD, SZERVNEV, ROVIDNEV, IRSZ, TELEPULES, minositett, "
                                           "minosites.ertek as mino FROM SZERVEK, minosites");

} // namespace

const QString AddresseeSearch::kClassifiedOnlyWarning =
    QStringLiteral("FIGYELEM!! A kiválasztott szerv csak minősített küldeményt fogadhat!");

QString AddresseeSearch::pattern(const QString& text, Match match)
{
    return match == Match::Contains ? QStringLiteral("%") + text + QStringLiteral("%")
                                    : text + QStringLiteral("%");
}

void AddresseeSearch::loadAll(store::Query& query)
{
    query.close();
    query.clearSql();
    query.addLine(kSelectLine);
    query.addLine(QStringLiteral("where szervek.minositett=minosites.az ORDER BY SZERVNEV"));
    query.open();
}

void AddresseeSearch::search(store::Query& query, const QString& text, Match match)
{
    query.close();
    query.clearSql();
    query.addLine(kSelectLine);
    query.addLine(QStringLiteral(
        "where lower(SZERVNEV) LIKE lower(:szervnev) and szervek.minositett=minosites.az ORDER BY SZERVNEV"));
    query.setText(QStringLiteral("szervnev"), pattern(text, match));
    query.open();
}

bool AddresseeSearch::classifiedOnly(const store::Query& query)
{
    return !query.eof() && query.value(QStringLiteral("minositett")).toLongLong() == 1;
}

} // namespace items
