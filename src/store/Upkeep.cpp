#include "Upkeep.h"

#include "Query.h"

namespace store::upkeep {

const QStringList& repairStatements()
{
    static const QStringList statements = {
        QStringLiteral("repair table b2"),
        QStringLiteral("repair table b2_adatok"),
        QStringLiteral("repair table b2nato"),
        QStringLiteral("repair table b2nato_adatok"),
        QStringLiteral("repair table b2zsak"),
        QStringLiteral("repair table b2zsak_adatok"),
        QStringLiteral("repair table beallitasok"),
        QStringLiteral("repair table bzs3"),
        QStringLiteral("repair table bzs3_adatok"),
        QStringLiteral("repair table bzs3nato"),
        QStringLiteral("repair table bzs3nato_adatok"),
        QStringLiteral("repair table csoportos"),
        QStringLiteral("repair table frissites"),
        QStringLiteral("repair table minosites"),
        QStringLiteral("repair table szervek"),
        QStringLiteral("repair table szervek_temp"),
        QStringLiteral("repair table szervek_verzio"),
    };
    return statements;
}

namespace {

// The server answers REPAIR TABLE with rows instead of raising for most problems
// (a missing table, a table file it cannot mend); an "error" row means the repair failed.
bool reportsError(const Query& query)
{
    if (query.fieldIndex(QStringLiteral("Msg_type")) < 0)
        return false;
    for (int row = 0; row < query.rowCount(); ++row) {
        if (query.value(row, QStringLiteral("Msg_type"))
                .toString()
                .compare(QLatin1String("error"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

bool repairTables(Query& query, const Reporter& report)
{
    bool failed = false;
    try {
        for (const QString& statement : repairStatements()) {
            query.close();
            query.setSql(statement);
            query.open();
            failed = reportsError(query);
            query.close();
            if (failed)
                break;
        }
    } catch (const std::exception&) {
        query.close();
        failed = true;
    }
    if (failed && report)
        report(QStringLiteral("MySQL REPAIR error"));
    return !failed;
}

const QStringList& printCountRepairStatements()
{
    static const QStringList statements = {
        QStringLiteral("update b2_adatok set nyomtatas_peldany=1"),
        QStringLiteral("update b2nato_adatok set nyomtatas_peldany=1"),
        QStringLiteral("update b2zsak_adatok set nyomtatas_peldany=1"),
        QStringLiteral("update bzs3_adatok set nyomtatas_peldany=1"),
        QStringLiteral("update bzs3nato_adatok set nyomtatas_peldany=1"),
    };
    return statements;
}

void repairPrintCounts(Query& query)
{
    for (const QString& first : printCountRepairStatements()) {
        query.close();
        query.clearSql();
        query.addLine(first);
        query.addLine(QStringLiteral("where nyomtatas_peldany is null and not(nyomtatas_datuma is null)"));
        query.execute();
    }
}

} // namespace store::upkeep
