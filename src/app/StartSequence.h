#pragma once

#include <QString>

namespace store {
class TDM1;
class LegacyMigration;
} // namespace store

namespace app {

class MessageService;

// The start sequence that runs once the opening window's progress bar is full: opens
// the store and repairs its tables, takes the folder lock, puts back the items of an
// item table rebuild that was cut short, runs the one-time migration
// while FRISSITES is empty and repairs missing print counts.
class StartSequence
{
public:
    enum class Outcome
    {
        HandOver, // go on to the main menu (also when a later step failed)
        Fatal,    // a fatal message was shown; the program ends
    };

    // Messages of the start (the two fatal ones, the repair, the legacy file) go to `messages`.
    StartSequence(store::TDM1& dataModule, store::LegacyMigration& migration, QString programFolder,
                  MessageService& messages);

    Outcome run();

    static QString noStoreMessage();
    static QString inUseMessage();
    // Shown once at a start whose migration finds the earlier release's database but
    // cannot bring it over; `incomplete` when the file opened but lacks a table or column.
    static QString unreadableLegacyMessage(const QString& file, const QString& reason, bool incomplete);
    // Shown once at a start whose restore of the earlier release's backup fails.
    static QString unrestorableBackupMessage(const QString& file, const QString& reason);

    // What the last run skipped because of an error (empty when nothing was skipped).
    QString skippedBecause() const { return m_skipped; }

private:
    bool connect();
    bool folderLockFree();
    void restoreInterruptedRebuild();
    void migrate();

    store::TDM1& m_dm;
    MessageService& m_messages;
    store::LegacyMigration& m_migration;
    QString m_programFolder;
    QString m_skipped;
};

} // namespace app
