#include "PendingRestore.h"

#include "DatabaseBackup.h"
#include "RestoreArchive.h"
#include "TableFiles.h"
#include "ZipReader.h"
#include "ZipWriter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTextStream>

namespace admin {

namespace {

PendingRestore::FreeSpace& freeSpaceMeasure()
{
    static PendingRestore::FreeSpace measure;
    return measure;
}

qint64 freeSpace(const QString& folder)
{
    if (freeSpaceMeasure())
        return freeSpaceMeasure()(folder);
    return QStorageInfo(folder).bytesAvailable();
}

QString firstLine(const QString& path, bool* ok)
{
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly | QIODevice::Text);
    if (!*ok)
        return QString();
    QTextStream in(&file);
    return in.readLine();
}

QString damaged(const QString& detail)
{
    return QStringLiteral("a mentés sérült (%1)").arg(detail);
}

QString unwritable(const QString& path, const QString& detail)
{
    return QStringLiteral("nem írható a(z) %1 (%2)").arg(QDir::toNativeSeparators(path), detail);
}

bool hasFiles(const QString& folder)
{
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    return it.hasNext();
}

} // namespace

PendingRestore::PendingRestore(QString programFolder, QDateTime now)
    : m_programFolder(std::move(programFolder)), m_now(std::move(now))
{
    if (!m_programFolder.isEmpty() && !m_programFolder.endsWith(u'/'))
        m_programFolder += u'/';
}

QString PendingRestore::targetName(const QString& entryName)
{
    return restoredName(entryName);
}

QString PendingRestore::stagingFolder(const QString& programFolder)
{
    QString folder = programFolder;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    return folder + QStringLiteral("import_folyamatban/");
}

void PendingRestore::setFreeSpace(FreeSpace measure)
{
    freeSpaceMeasure() = std::move(measure);
}

void PendingRestore::fail(const QString& reason)
{
    m_error =
        QStringLiteral("Az adatbázis visszatöltése a(z) %1 mentésből nem sikerült: %2. Az adatok "
                       "változatlanok, a visszatöltést a program a következő indításkor újra megkísérli.")
            .arg(QDir::toNativeSeparators(m_archive), reason);
}

PendingRestore::Outcome PendingRestore::apply()
{
    m_error.clear();
    m_savedCopy.clear();
    m_staged.clear();
    m_archive.clear();
    const QString request = m_programFolder + QStringLiteral("import.txt");
    if (!QFileInfo::exists(request))
        return Outcome::NoRequest;
    bool readable = false;
    const QString archive = firstLine(request, &readable).trimmed();
    if (!readable) {
        m_error = QStringLiteral("A visszatöltési kérés (%1) nem olvasható.")
                      .arg(QDir::toNativeSeparators(request));
        return Outcome::Failed;
    }
    if (archive.isEmpty() || !QFileInfo(archive).isFile())
        return Outcome::Left;
    m_archive = archive;

    const QString staging = stagingFolder(m_programFolder);
    const QString target = databaseFolder(m_programFolder);
    const bool done = stage(archive, staging) && saveCurrentFiles(target) && replace(staging, target);
    QDir(staging).removeRecursively();
    if (!done)
        return Outcome::Failed;

    // Emptied first, so that a request that cannot be deleted is at least harmless.
    {
        QFile file(request);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            m_error = QStringLiteral("Az adatbázis visszatöltése megtörtént, de a(z) %1 nem írható.")
                          .arg(QDir::toNativeSeparators(request));
            return Outcome::Failed;
        }
    }
    if (!QFile::remove(request)) {
        m_error = QStringLiteral("Az adatbázis visszatöltése megtörtént, de a(z) %1 nem törölhető.")
                      .arg(QDir::toNativeSeparators(request));
        return Outcome::Failed;
    }
    return Outcome::Applied;
}

bool PendingRestore::stage(const QString& archivePath, const QString& staging)
{
    ZipReader archive;
    if (!archive.open(archivePath)) {
        fail(QStringLiteral("a fájl nem olvasható zip archívum (%1)").arg(archive.errorText()));
        return false;
    }
    const std::vector<RestoredEntry> entries = restoredEntries(archive);
    const QString reason = checkRestoredEntries(entries);
    if (!reason.isEmpty()) {
        fail(reason);
        return false;
    }
    qint64 needed = 0;
    for (const RestoredEntry& entry : entries)
        needed += entry.size;
    const qint64 available = freeSpace(m_programFolder);
    if (available >= 0 && needed > available) {
        fail(QStringLiteral("nincs elég szabad hely a lemezen (%1 bájt kellene, %2 bájt szabad)")
                 .arg(needed)
                 .arg(available));
        return false;
    }

    QDir(staging).removeRecursively();
    if (!QDir().mkpath(staging)) {
        fail(QStringLiteral("nem hozható létre a(z) %1 mappa").arg(QDir::toNativeSeparators(staging)));
        return false;
    }
    std::vector<int> taken(archive.entries().size(), -1);
    for (size_t i = 0; i < entries.size(); ++i)
        taken[size_t(entries[i].index)] = int(i);
    // Every entry is read through, so that a damaged one stops the restore before anything
    // is replaced, whether it is taken or not.
    for (int index = 0; index < int(archive.entries().size()); ++index) {
        if (taken[size_t(index)] < 0) {
            if (!archive.read(index, [](const char*, qint64) { return true; })) {
                fail(damaged(archive.errorText()));
                return false;
            }
            continue;
        }
        const RestoredEntry& entry = entries[size_t(taken[size_t(index)])];
        QFile out(staging + entry.target);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            fail(unwritable(out.fileName(), out.errorString()));
            return false;
        }
        QString writeError;
        const bool read = archive.read(index, [&](const char* data, qint64 size) {
            if (out.write(data, size) == size)
                return true;
            writeError = out.errorString();
            return false;
        });
        if (!read) {
            fail(writeError.isEmpty() ? damaged(archive.errorText())
                                      : unwritable(out.fileName(), writeError));
            return false;
        }
        if (!out.flush()) {
            fail(unwritable(out.fileName(), out.errorString()));
            return false;
        }
        out.close();
        m_staged << entry.target;
    }
    return true;
}

bool PendingRestore::saveCurrentFiles(const QString& databaseFolderPath)
{
    // Nothing to lose in an empty database folder.
    if (!hasFiles(databaseFolderPath))
        return true;
    const BackupFolder folder = prepareBackupFolder(m_programFolder);
    if (folder.creationFailed) {
        fail(QStringLiteral("a jelenlegi adatok mentéséhez nem hozható létre az \"adatbazis_mentes\" mappa"));
        return false;
    }
    const QString path = freshBackupPath(folder.startFolder, m_now);
    const FolderArchive saved = archiveFolderFiles(databaseFolderPath, path);
    if (!saved.ok()) {
        fail(QStringLiteral("a jelenlegi adatok nem menthetők (%1)").arg(saved.error));
        return false;
    }
    m_savedCopy = path;
    return true;
}

bool PendingRestore::replace(const QString& staging, const QString& databaseFolderPath)
{
    if (!QDir().mkpath(databaseFolderPath)) {
        fail(QStringLiteral("nem hozható létre a(z) %1 mappa")
                 .arg(QDir::toNativeSeparators(databaseFolderPath)));
        return false;
    }
    const QString previous = staging + QStringLiteral("elozo/");
    if (!QDir().mkpath(previous)) {
        fail(QStringLiteral("nem hozható létre a(z) %1 mappa").arg(QDir::toNativeSeparators(previous)));
        return false;
    }
    // Each file is moved aside before the new one takes its place, so that a failure half
    // way can put every old file back.
    QStringList movedAside;
    QStringList placed;
    auto rollBack = [&] {
        for (const QString& name : placed)
            QFile::remove(databaseFolderPath + name);
        for (const QString& name : movedAside)
            QFile::rename(previous + name, databaseFolderPath + name);
    };
    for (const QString& name : m_staged) {
        const QString current = databaseFolderPath + name;
        if (QFileInfo::exists(current) || QFileInfo(current).isSymLink()) {
            if (!QFile::rename(current, previous + name)) {
                rollBack();
                fail(QStringLiteral("a(z) %1 nem cserélhető").arg(QDir::toNativeSeparators(current)));
                return false;
            }
            movedAside << name;
        }
        if (!QFile::rename(staging + name, current)) {
            rollBack();
            fail(QStringLiteral("a(z) %1 nem cserélhető").arg(QDir::toNativeSeparators(current)));
            return false;
        }
        placed << name;
    }
    return true;
}

} // namespace admin
