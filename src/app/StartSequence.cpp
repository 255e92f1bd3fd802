#include "StartSequence.h"

#include "Services.h"
#include "store/DataModule.h"
#include "store/LegacyMigration.h"
#include "store/Upkeep.h"

namespace app {

StartSequence::StartSequence(store::TDM1& dataModule, store::LegacyMigration& migration,
                             QString programFolder)
    : m_dm(dataModule), m_migration(migration), m_programFolder(std::move(programFolder))
{
}

QString StartSequence::noStoreMessage()
{
    return QStringLiteral("Nem lehet csatlakozni a beágyazott mysql adatbázishoz! A program be fog záródni!");
}

QString StartSequence::inUseMessage()
{
    return QStringLiteral("Az adatbázis már használatban van! A program be fog záródni!");
}

StartSequence::Outcome StartSequence::run()
{
    m_skipped.clear();
    try {
        m_migration.setDatabaseFile(m_programFolder + QStringLiteral("adatok.fdb"));
        m_dm.ADOConnection2.setFileName(m_programFolder + QStringLiteral("used.uld"));
        if (!connect())
            return Outcome::Fatal;
        migrate();
        store::upkeep::repairPrintCounts(m_dm.MyQuery1);
    } catch (const std::exception& e) {
        // Skipped without a message: the menu still comes, the migration is tried again
        // at the next start.
        m_skipped = QString::fromUtf8(e.what());
    }
    return Outcome::HandOver;
}

bool StartSequence::connect()
{
    try {
        m_dm.MyConnection1.open();
        // The repair runs only on a store that opened at the first attempt, and always
        // before the lock is taken.
        store::upkeep::repairTables(m_dm.MyQuery1, [](const QString& text) { messages().inform(text); });
        m_dm.ADOConnection2.open();
        return true;
    } catch (const std::exception&) {
    }
    try {
        m_dm.MyConnection1.open();
    } catch (const std::exception&) {
        messages().inform(noStoreMessage());
        return false;
    }
    try {
        m_dm.ADOConnection2.open();
    } catch (const std::exception&) {
        messages().inform(inUseMessage());
        return false;
    }
    return true;
}

void StartSequence::migrate()
{
    store::Query& q = m_dm.MyQuery1;
    q.close();
    q.setSql(QStringLiteral("select * from frissites"));
    q.open();
    const bool done = !q.isEmpty();
    q.close();
    if (done)
        return;
    m_migration.legacyDataFound = false;
    for (const QString& table : store::LegacyMigration::copyOrder())
        m_migration.copyTable(table);
    if (m_migration.legacyDataFound)
        m_migration.copyTable(QStringLiteral("SZERVEK"));
    q.close();
    q.setSql(QStringLiteral("insert into frissites (frissites) values (1)"));
    q.execute();
}

} // namespace app
