#pragma once

#include <QString>

namespace store {
class Query;
}

namespace items {

// The register queries of the addressee search. Only organisations whose MINOSITETT
// has a MINOSITES row are listed, in name order.
class AddresseeSearch
{
public:
    enum class Match
    {
        Contains,   // "tartalmazza"
        StartsWith, // "kezdődik"
    };

    // The LIKE pattern for a search text; "%" and "_" typed by the operator stay wildcards.
    static QString pattern(const QString& text, Match match);

    // Opens the whole register on the query.
    static void loadAll(store::Query& query);
    // Opens the organisations whose name matches the text, ignoring letter case.
    static void search(store::Query& query, const QString& text, Match match);

    // Whether the query's current organisation accepts classified consignments only.
    static bool classifiedOnly(const store::Query& query);

    static const QString kClassifiedOnlyWarning;
};

} // namespace items
