#include "DatabaseBackup.h"

#include "RestoreArchive.h"
#include "TableFiles.h"
#include "ZipWriter.h"
#include "store/DataModule.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace admin {

QString proposedBackupName(const QDateTime& now)
{
    // A format string with digits only reads the same in every locale.
    return QStringLiteral("adatok_") + now.toString(QStringLiteral("yyyyMMddHHmmss")) +
           QStringLiteral(".zip");
}

BackupFolder prepareBackupFolder(const QString& programFolder)
{
    QString folder = programFolder;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    const QString backups = folder + QStringLiteral("adatbazis_mentes/");
    BackupFolder result;
    if (QDir().mkpath(backups) && QFileInfo(backups).isDir()) {
        result.startFolder = backups;
    } else {
        result.startFolder = folder;
        result.creationFailed = true;
    }
    return result;
}

QString freshBackupPath(const QString& folder, const QDateTime& now)
{
    QString base = folder;
    if (!base.isEmpty() && !base.endsWith(u'/'))
        base += u'/';
    const QString name = proposedBackupName(now);
    QString path = base + name;
    const QString stem = name.chopped(4); // without ".zip"
    for (int serial = 2; QFileInfo::exists(path); ++serial)
        path = base + stem + u'_' + QString::number(serial) + QStringLiteral(".zip");
    return path;
}

bool backupDatabase(store::TDM1& dm, const QString& programFolder, const QString& archivePath)
{
    bool saved = false;
    try {
        // The server keeps MyISAM tables open with buffered index blocks even without a
        // connection; only once it has written and closed them are the files a consistent copy.
        dm.MyConnection1.open();
        dm.MyConnection1.run(QStringLiteral("FLUSH TABLES"), {});
        dm.MyConnection1.close();
        saved = archiveFolderFiles(databaseFolder(programFolder), archivePath).ok();
    } catch (const std::exception&) {
        saved = false;
    }
    reopenStore(dm);
    return saved;
}

bool writeRestoreRequest(const QString& programFolder, const QString& archivePath)
{
    if (archivePath.isEmpty())
        return false;
    const QString path = QFileInfo(archivePath).absoluteFilePath();
    if (!checkBackupArchive(path).isEmpty())
        return false;
    QString folder = programFolder;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    QSaveFile request(folder + QStringLiteral("import.txt"));
    if (!request.open(QIODevice::WriteOnly))
        return false;
    const QByteArray line = QDir::toNativeSeparators(path).toUtf8() + "\r\n";
    if (request.write(line) != line.size()) {
        request.cancelWriting();
        return false;
    }
    return request.commit();
}

void closeStoreForRestore(store::TDM1& dm)
{
    for (store::Query* q :
         {&dm.MyQuery1, &dm.MyQuery2, &dm.MyQuery3, &dm.MyQuery4, &dm.MyQuery5, &dm.MyQuery6})
        q->close();
    dm.MyConnection1.close();
}

void reopenStore(store::TDM1& dm)
{
    dm.MyConnection1.open();
    dm.MyQuery4.open(QStringLiteral("SELECT SZERVNEV FROM SZERVEK ORDER BY SZERVNEV"));
}

const QStringList& numberingResetStatements()
{
    static const QStringList statements = {
        QStringLiteral("truncate table b2"),        QStringLiteral("truncate table b2_adatok"),
        QStringLiteral("truncate table bzs3"),      QStringLiteral("truncate table bzs3_adatok"),
        QStringLiteral("truncate table b2zsak"),    QStringLiteral("truncate table b2zsak_adatok"),
        QStringLiteral("truncate table b2nato"),    QStringLiteral("truncate table b2nato_adatok"),
        QStringLiteral("truncate table bzs3nato"),  QStringLiteral("truncate table bzs3nato_adatok"),
        QStringLiteral("truncate table csoportos"), QStringLiteral("truncate table szervek_temp"),
    };
    return statements;
}

ResetOutcome resetNumbering(store::TDM1& dm, const QString& programFolder, const QDateTime& now)
{
    ResetOutcome outcome;
    // The reset cannot be undone in the store, so it waits for a backup to undo it from.
    const BackupFolder folder = prepareBackupFolder(programFolder);
    if (folder.creationFailed)
        return outcome;
    const QString path = freshBackupPath(folder.startFolder, now);
    if (!backupDatabase(dm, programFolder, path))
        return outcome;
    outcome.backedUp = true;
    outcome.backupPath = path;
    const QStringList& statements = numberingResetStatements();
    for (int i = 0; i < int(statements.size()); ++i) {
        try {
            dm.MyQuery1.execute(statements[i]);
        } catch (const std::exception&) {
            outcome.failedStatement = i;
            break;
        }
    }
    return outcome;
}

} // namespace admin
