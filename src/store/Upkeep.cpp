#include "Upkeep.h"

#include "Query.h"

#include <QRegularExpression>

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
        QStringLiteral("repair table temp"),
    };
    return statements;
}

namespace {

struct RepairAnswer
{
    bool failed = false;
    qlonglong rowsBefore = -1; // set when the repair changed the number of rows
    qlonglong rowsAfter = -1;
};

// The server answers REPAIR TABLE with rows instead of raising for most problems
// (a missing table, a table file it cannot mend); an "error" row means the repair
// failed, and a changed row count is told in a row of its own.
RepairAnswer runRepair(Query& query, const QString& statement)
{
    RepairAnswer answer;
    try {
        query.close();
        query.setSql(statement);
        query.open();
        if (query.fieldIndex(QStringLiteral("Msg_type")) >= 0) {
            static const QRegularExpression changed(QStringLiteral("rows changed from (\\d+) to (\\d+)"),
                                                    QRegularExpression::CaseInsensitiveOption);
            for (int row = 0; row < query.rowCount(); ++row) {
                const QString type = query.value(row, QStringLiteral("Msg_type")).toString();
                const QString text = query.value(row, QStringLiteral("Msg_text")).toString();
                if (type.compare(QLatin1String("error"), Qt::CaseInsensitive) == 0)
                    answer.failed = true;
                const QRegularExpressionMatch match = changed.match(text);
                if (match.hasMatch()) {
                    answer.rowsBefore = match.captured(1).toLongLong();
                    answer.rowsAfter = match.captured(2).toLongLong();
                }
            }
        }
        query.close();
    } catch (const std::exception&) {
        query.close();
        answer.failed = true;
    }
    return answer;
}

} // namespace

bool repairTables(Query& query, const Reporter& report)
{
    QStringList unrepaired;
    QStringList shrunk;
    for (const QString& statement : repairStatements()) {
        const QString table = statement.section(u' ', 2);
        RepairAnswer answer = runRepair(query, statement);
        if (answer.failed) {
            // A damaged or missing index file is rebuilt from the table definition.
            const RepairAnswer again = runRepair(query, statement + QStringLiteral(" use_frm"));
            if (again.rowsBefore >= 0 || !again.failed)
                answer = again;
            answer.failed = again.failed;
        }
        if (answer.failed)
            unrepaired << table;
        if (answer.rowsBefore > answer.rowsAfter && answer.rowsAfter >= 0)
            shrunk << QStringLiteral("%1 (%2 sor helyett %3)")
                          .arg(table)
                          .arg(answer.rowsBefore)
                          .arg(answer.rowsAfter);
    }
    if (report && !unrepaired.isEmpty())
        report(QStringLiteral("MySQL REPAIR error\n\nNem sikerült kijavítani: %1")
                   .arg(unrepaired.join(QStringLiteral(", "))));
    if (report && !shrunk.isEmpty())
        report(QStringLiteral("A sérült táblák javítása közben sorok vesztek el: %1")
                   .arg(shrunk.join(QStringLiteral(", "))));
    return unrepaired.isEmpty();
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
