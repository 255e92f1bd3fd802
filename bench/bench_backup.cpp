// Times a backup and a restore of a database holding 100,000 items, next to a plain
// zip and unzip of the same database folder in the same run.
#include "admin/DatabaseBackup.h"
#include "admin/PendingRestore.h"
#include "admin/TableFiles.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

using namespace testsupport;

namespace {

constexpr int kItems = 100000;
constexpr int kListSize = 100;
constexpr int kRuns = 3;

// 100,000 items spread over the five kinds, in lists of 100 with their headers.
void fillStore()
{
    resetTables();
    const QStringList kinds = {"B2", "BZS3", "B2ZSAK", "B2NATO", "BZS3NATO"};
    const int perKind = kItems / int(kinds.size());
    for (const QString& table : kinds) {
        QStringList headers;
        for (int list = 1; list <= perKind / kListSize; ++list)
            headers << QStringLiteral("('Futárszolgálat Központ',%1,'2025-12-01 10:00:00',1)").arg(list);
        exec(QStringLiteral(
                 "INSERT INTO %1_ADATOK (JCIMZETT,LSZAM,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) VALUES ")
                 .arg(table) +
             headers.join(u','));
        for (int from = 0; from < perKind; from += 1000) {
            QStringList values;
            for (int i = from; i < from + 1000 && i < perKind; ++i)
                values << QStringLiteral("(%1,'I-%2/2025 ő',%3,'Honvédelmi Minisztérium','1000%4',1,%5,1)")
                              .arg(1 + i / kListSize)
                              .arg(i)
                              .arg(1 + i % 5)
                              .arg(i % 100, 2, 10, QLatin1Char('0'))
                              .arg(1 + i % kListSize);
            exec(QStringLiteral(
                     "INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB) "
                     "VALUES ")
                     .arg(table) +
                 values.join(u','));
        }
    }
}

qint64 folderSize(const QString& folder)
{
    qint64 total = 0;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
        total += info.size();
    return total;
}

// Milliseconds a command takes, or -1 when it fails.
double runTool(const QString& program, const QStringList& arguments, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return -1;
    return double(timer.nsecsElapsed()) / 1e6;
}

double best(const QList<double>& values)
{
    double result = values.value(0, -1);
    for (double v : values)
        result = std::min(result, v);
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QString folder = programFolder();
    const QString kovenda = admin::databaseFolder(folder);
    fillStore();
    exec("FLUSH TABLES");
    auto& dm = store::TDM1::instance();
    QTemporaryDir scratch;

    const QString zipTool = QStandardPaths::findExecutable("zip");
    const QString unzipTool = QStandardPaths::findExecutable("unzip");

    QList<double> backup, plainZip, restore, restoreOnly, plainUnzip;
    QString archive;
    const QString plainArchive = scratch.filePath("plain.zip");
    for (int run = 0; run < kRuns; ++run) {
        archive = scratch.filePath(QStringLiteral("adatok_%1.zip").arg(run));
        QElapsedTimer timer;
        timer.start();
        if (!admin::backupDatabase(dm, folder, archive)) {
            out << "backup failed\n";
            return 1;
        }
        backup << double(timer.nsecsElapsed()) / 1e6;

        if (!zipTool.isEmpty()) {
            QFile::remove(plainArchive);
            exec("FLUSH TABLES");
            plainZip << runTool(zipTool, {"-q", "-r", "-j", plainArchive, "."}, kovenda);
        }

        // The next start of a copy of the program folder, restoring the backup.
        const QString next = scratch.filePath(QStringLiteral("next%1/").arg(run));
        copyFolder(folder + "data", next + "data");
        QFile request(next + "import.txt");
        if (!request.open(QIODevice::WriteOnly))
            return 1;
        request.write(archive.toUtf8() + "\r\n");
        request.close();
        timer.restart();
        admin::PendingRestore pending(next);
        if (pending.apply() != admin::PendingRestore::Outcome::Applied) {
            out << "restore failed: " << pending.errorText() << "\n";
            return 1;
        }
        restore << double(timer.nsecsElapsed()) / 1e6;

        // The same into an empty database folder, where there is nothing to save first.
        const QString empty = scratch.filePath(QStringLiteral("empty%1/").arg(run));
        QDir().mkpath(admin::databaseFolder(empty));
        QFile emptyRequest(empty + "import.txt");
        if (!emptyRequest.open(QIODevice::WriteOnly))
            return 1;
        emptyRequest.write(archive.toUtf8() + "\r\n");
        emptyRequest.close();
        timer.restart();
        if (admin::PendingRestore(empty).apply() != admin::PendingRestore::Outcome::Applied) {
            out << "restore into an empty folder failed\n";
            return 1;
        }
        restoreOnly << double(timer.nsecsElapsed()) / 1e6;

        if (!unzipTool.isEmpty()) {
            const QString target = scratch.filePath(QStringLiteral("unzipped%1").arg(run));
            QDir().mkpath(target);
            plainUnzip << runTool(unzipTool, {"-q", "-o", plainArchive, "-d", target}, scratch.path());
        }
    }

    out << "Database folder: " << kItems << " items, " << folderSize(kovenda) << " bytes in "
        << QDir(kovenda).entryList(QDir::Files).size() << " files; best of " << kRuns << " runs\n";
    out << "backup  (flush, archive, check, reopen): " << QString::number(best(backup), 'f', 1)
        << " ms, archive " << QFileInfo(archive).size() << " bytes\n";
    if (zipTool.isEmpty()) {
        out << "zip: not installed\n";
    } else {
        out << "zip -r  of the same folder:              " << QString::number(best(plainZip), 'f', 1)
            << " ms, archive " << QFileInfo(plainArchive).size() << " bytes\n";
        out << "backup / zip: " << QString::number(best(backup) / best(plainZip), 'f', 2) << "\n";
    }
    out << "restore (check, stage, save current files, replace): " << QString::number(best(restore), 'f', 1)
        << " ms\n";
    out << "restore into an empty folder (check, stage, replace): "
        << QString::number(best(restoreOnly), 'f', 1) << " ms\n";
    if (unzipTool.isEmpty()) {
        out << "unzip: not installed\n";
    } else {
        out << "unzip   of the same folder:              " << QString::number(best(plainUnzip), 'f', 1)
            << " ms\n";
        out << "restore / unzip: " << QString::number(best(restore) / best(plainUnzip), 'f', 2)
            << ", without saving the current files: "
            << QString::number(best(restoreOnly) / best(plainUnzip), 'f', 2) << "\n";
    }
    return 0;
}
