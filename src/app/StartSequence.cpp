#include "StartSequence.h"

#include "Services.h"
#include "lists/Renumbering.h"
#include "store/DataModule.h"
#include "store/FirebirdRestore.h"
#include "store/LegacyMigration.h"
#include "store/Upkeep.h"

#include <QFileInfo>

namespace app {

StartSequence::StartSequence(store::TDM1& dataModule, store::LegacyMigration& migration,
                             QString programFolder, MessageService& messages)
    : m_dm(dataModule), m_messages(messages), m_migration(migration),
      m_programFolder(std::move(programFolder))
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
        restoreInterruptedRebuild();
        migrate();
        store::upkeep::repairPrintCounts(m_dm.MyQuery1);
    } catch (const std::exception& e) {
        // Skipped without a message: the menu still comes, the migration is tried again
        // at the next start.
        m_skipped = QString::fromUtf8(e.what());
    }
    return Outcome::HandOver;
}

bool StartSequence::folderLockFree()
{
    if (m_dm.ADOConnection2.isOpen())
        return true;
    store::FolderLock probe;
    probe.setFileName(m_dm.ADOConnection2.fileName());
    try {
        probe.open();
    } catch (const std::exception&) {
        return false;
    }
    probe.close();
    return true;
}

void StartSequence::restoreInterruptedRebuild()
{
    try {
        lists::Renumbering::restoreInterruptedRebuild(m_dm);
    } catch (const std::exception&) {
        // The rows stay in TEMP; the next start or rebuild tries again.
    }
}

bool StartSequence::connect()
{
    // A copy of another logon on this folder holds the lock. It is told at once and the
    // store is left closed: opening it would wait on the server's own lock of the data.
    if (!folderLockFree()) {
        m_messages.inform(inUseMessage());
        return false;
    }
    try {
        m_dm.MyConnection1.open();
        // The repair runs only on a store that opened at the first attempt, and always
        // before the lock is taken.
        store::upkeep::repairTables(m_dm.MyQuery1, [this](const QString& text) { m_messages.inform(text); });
        m_dm.ADOConnection2.open();
        return true;
    } catch (const std::exception&) {
    }
    try {
        m_dm.MyConnection1.open();
    } catch (const std::exception&) {
        m_messages.inform(noStoreMessage());
        return false;
    }
    try {
        m_dm.ADOConnection2.open();
    } catch (const std::exception&) {
        m_messages.inform(inUseMessage());
        return false;
    }
    return true;
}

QString StartSequence::unreadableLegacyMessage(const QString& file, const QString& reason, bool incomplete)
{
    QString text =
        QStringLiteral("Az előző változat adatbázisa nem vehető át:\n%1\n\nOk: %2.\n\n").arg(file, reason);
    if (incomplete)
        text += QStringLiteral("A program ebből a fájlból egyetlen táblát sem írt felül.");
    else
        text += QStringLiteral(
            "Ha a fájlt a program régebbi változata írta (Firebird 2.x), készítsen róla mentést a régi "
            "Firebird gbak programjával (gbak -b adatok.fdb adatok.fbk), vegye ki az adatok.fdb fájlt a "
            "program mappájából, és tegye a helyére az adatok.fbk mentést: a következő indítás visszatölti "
            "és átveszi.");
    text += QStringLiteral(" Az átvételt a program minden indításkor újra megpróbálja. Lépésenként: README, "
                           "„Bringing over the earlier release's database”.");
    return text;
}

QString StartSequence::unrestorableBackupMessage(const QString& file, const QString& reason)
{
    return QStringLiteral("Az előző változat adatbázisának mentése nem tölthető vissza:\n%1\n\nOk: %2.\n\n"
                          "Az átvételt a program minden indításkor újra megpróbálja. Lépésenként: README, "
                          "„Bringing over the earlier release's database”.")
        .arg(file, reason);
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

    // A database of the old on-disk format comes as a backup, restored here by the
    // current engine; the backup itself stays.
    const QString database = m_migration.databaseFile();
    const QString backup = QFileInfo(database).path() + QStringLiteral("/adatok.fbk");
    if (!QFileInfo::exists(database) && QFileInfo::exists(backup)) {
        try {
            store::firebird::restoreBackup(backup, database);
        } catch (const store::LegacyError& e) {
            m_messages.inform(unrestorableBackupMessage(backup, e.message()));
            throw;
        }
    }

    struct CloseSource
    {
        store::LegacyMigration& migration;
        ~CloseSource() { migration.closeSource(); }
    } closeSource{m_migration};
    try {
        m_migration.legacyDataFound = false;
        m_migration.checkTables();
        for (const QString& table : store::LegacyMigration::copyOrder())
            m_migration.copyTable(table);
        if (m_migration.legacyDataFound)
            m_migration.copyTable(QStringLiteral("SZERVEK"));
    } catch (const store::LegacyError& e) {
        // Without any legacy file there is nothing to tell; a file that is there but
        // cannot be brought over is told of at every start until it is.
        if (QFileInfo::exists(database))
            m_messages.inform(unreadableLegacyMessage(database, e.message(),
                                                      e.kind() == store::LegacyError::Kind::Incomplete));
        throw;
    }
    q.close();
    q.setSql(QStringLiteral("insert into frissites (frissites) values (1)"));
    q.execute();
}

} // namespace app
