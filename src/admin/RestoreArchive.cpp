#include "RestoreArchive.h"

#include "TableFiles.h"
#include "ZipReader.h"

#include <QHash>

namespace admin {

QString restoredName(const QString& entryName)
{
    // Archives made on Windows separate folders with backslashes; only the last part counts.
    const qsizetype cut = std::max(entryName.lastIndexOf(u'/'), entryName.lastIndexOf(u'\\'));
    return tableFileName(cut >= 0 ? entryName.mid(cut + 1) : entryName);
}

std::vector<RestoredEntry> restoredEntries(const ZipReader& archive)
{
    std::vector<RestoredEntry> entries;
    QHash<QString, size_t> position;
    const auto& all = archive.entries();
    for (int i = 0; i < int(all.size()); ++i) {
        const QString target = restoredName(all[size_t(i)].name);
        if (target.isEmpty())
            continue;
        const RestoredEntry entry{i, target, all[size_t(i)].size};
        const auto found = position.constFind(target);
        if (found != position.constEnd()) {
            entries[found.value()] = entry;
        } else {
            position.insert(target, entries.size());
            entries.push_back(entry);
        }
    }
    return entries;
}

QString checkRestoredEntries(const std::vector<RestoredEntry>& entries)
{
    if (entries.empty())
        return QStringLiteral("a mentésben nincs az adatbázishoz tartozó fájl");
    QStringList names;
    for (const RestoredEntry& entry : entries)
        names << entry.target;
    const QStringList incomplete = incompleteTables(names);
    if (!incomplete.isEmpty())
        return QStringLiteral("a mentésből hiányoznak tábla fájlok (%1)")
            .arg(incomplete.join(QStringLiteral(", ")));
    return QString();
}

QString checkBackupArchive(const QString& archivePath)
{
    ZipReader archive;
    if (!archive.open(archivePath))
        return QStringLiteral("a fájl nem olvasható zip archívum (%1)").arg(archive.errorText());
    // A backup of this program stores bare file names only.
    for (const ZipReader::Entry& entry : archive.entries()) {
        if (!isPlainFileName(entry.name))
            return QStringLiteral("a mentés mappákat is tartalmaz (%1)").arg(entry.name);
    }
    const QString reason = checkRestoredEntries(restoredEntries(archive));
    if (!reason.isEmpty())
        return reason;
    if (!archive.verifyAll())
        return QStringLiteral("a mentés sérült (%1)").arg(archive.errorText());
    return QString();
}

} // namespace admin
