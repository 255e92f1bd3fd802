#include "admin/ZipWriter.h"
#include "support/ProgramCopies.h"
#include "support/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>

// The real program, started as a process on a copy of the ready program folder.
class TestProcStart : public QObject
{
    Q_OBJECT

    testsupport::ProgramCopies m_copies;

    QString newProgramFolder() { return m_copies.newProgramFolder(); }
    QString newRuntimeFolder() { return m_copies.newRuntimeFolder(); }
    QProcess* start(const QString& folder, const QString& runtime) { return m_copies.start(folder, runtime); }
    static bool lockHeld(const QString& folder) { return testsupport::folderLockHeld(folder); }

    static bool terminate(QProcess* process)
    {
        ::kill(pid_t(process->processId()), SIGTERM);
        return process->waitForFinished(15000) && process->exitStatus() == QProcess::NormalExit &&
               process->exitCode() == 0;
    }

private slots:
    void cleanup() { m_copies.killAll(); }

    void secondCopyLeavesAtOnceWhileTheFirstRuns()
    {
        const QString runtime = newRuntimeFolder();
        const QString first = newProgramFolder();
        QProcess* copy1 = start(first, runtime);
        QTRY_VERIFY_WITH_TIMEOUT(lockHeld(first), 20000);
        QVERIFY(QFile::exists(runtime + "/Dispora.lock"));

        // Same logon, even on another program folder: the second copy ends by itself.
        const QString second = newProgramFolder();
        QProcess* copy2 = start(second, runtime);
        QVERIFY(copy2->waitForFinished(10000));
        QCOMPARE(copy2->exitStatus(), QProcess::NormalExit);
        QCOMPARE(copy2->exitCode(), 0);
        QVERIFY(!lockHeld(second));
        QVERIFY(copy2->readAllStandardError().isEmpty());

        // The first copy goes on undisturbed and ends cleanly on SIGTERM.
        QCOMPARE(copy1->state(), QProcess::Running);
        QVERIFY(lockHeld(first));
        QVERIFY(terminate(copy1));
        QVERIFY(!lockHeld(first));
        QVERIFY(!QFile::exists(runtime + "/Dispora.lock"));
    }

    void copiesOfOtherLogonsRunSideBySide()
    {
        const QString a = newProgramFolder();
        const QString b = newProgramFolder();
        QProcess* copyA = start(a, newRuntimeFolder());
        QProcess* copyB = start(b, newRuntimeFolder());
        QTRY_VERIFY_WITH_TIMEOUT(lockHeld(a) && lockHeld(b), 20000);
        QVERIFY(terminate(copyA));
        QVERIFY(terminate(copyB));
    }

    void crashedCopyDoesNotLockTheUserOut()
    {
        const QString runtime = newRuntimeFolder();
        const QString folder = newProgramFolder();
        QProcess* crashed = start(folder, runtime);
        QTRY_VERIFY_WITH_TIMEOUT(lockHeld(folder), 20000);
        crashed->kill();
        QVERIFY(crashed->waitForFinished(5000));
        QVERIFY(QFile::exists(runtime + "/Dispora.lock")); // left behind

        QProcess* next = start(folder, runtime);
        QTRY_VERIFY_WITH_TIMEOUT(lockHeld(folder), 20000);
        QCOMPARE(next->state(), QProcess::Running);
        QVERIFY(terminate(next));
    }

    void pendingRestoreIsAppliedByTheProgram()
    {
        const QString folder = newProgramFolder();
        const QString archive = folder + "adatbazis_mentes/adatok_20121016140533.zip";
        QDir().mkpath(folder + "adatbazis_mentes");
        // Only table files are restored: one table's files, in a folder of the archive; the
        // files they replace are marked old so that their replacement shows.
        const QDateTime old(QDate(2001, 1, 1), QTime(0, 0));
        std::vector<admin::ZipEntry> entries{{"kovenda/", {}}};
        for (const char* ext : {"frm", "MYD", "MYI"}) {
            QFile file(folder + "data/kovenda/szervek_temp." + ext);
            QVERIFY(file.open(QIODevice::ReadWrite));
            entries.push_back({QString("kovenda/szervek_temp.") + ext, file.readAll()});
            QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        admin::writeZip(archive, entries);
        QFile request(folder + "import.txt");
        QVERIFY(request.open(QIODevice::WriteOnly));
        request.write(archive.toUtf8() + "\r\n");
        request.close();

        QProcess* program = start(folder, newRuntimeFolder());
        QTRY_VERIFY_WITH_TIMEOUT(lockHeld(folder), 20000);
        QVERIFY(!QFile::exists(folder + "import.txt"));
        QVERIFY(QFileInfo(folder + "data/kovenda/szervek_temp.MYD").lastModified() > old.addYears(1));
        QVERIFY(!QFileInfo::exists(folder + "data/kovenda/kovenda"));
        // The files it replaced were saved beside the archive first.
        QCOMPARE(QDir(folder + "adatbazis_mentes").entryList(QDir::Files).size(), 2);
        QVERIFY(terminate(program));
    }

    void requestNamingAMissingArchiveStays()
    {
        const QString folder = newProgramFolder();
        QFile request(folder + "import.txt");
        QVERIFY(request.open(QIODevice::WriteOnly));
        request.write("/nincs/ilyen/mentes.zip\r\n");
        request.close();
        QProcess* program = start(folder, newRuntimeFolder());
        QTRY_VERIFY_WITH_TIMEOUT(lockHeld(folder), 20000);
        QVERIFY(terminate(program));
        QVERIFY(QFile::exists(folder + "import.txt"));
    }

    void missingLockFileStopsTheStartAndIsNotCreated()
    {
        const QString folder = newProgramFolder();
        QVERIFY(QFile::remove(folder + "used.uld"));
        QProcess* program = start(folder, newRuntimeFolder());
        // The program waits with its message; it never makes up a lock file.
        QTest::qWait(3000);
        QCOMPARE(program->state(), QProcess::Running);
        QVERIFY(!QFile::exists(folder + "used.uld"));
        QVERIFY(terminate(program));
        QVERIFY(!QFile::exists(folder + "used.uld"));
    }
};

QTEST_GUILESS_MAIN(TestProcStart)
#include "tst_proc_start.moc"
