#include "admin/TableFiles.h"
#include "admin/ZipWriter.h"
#include "app/ProgramEnd.h"
#include "support/ProgramCopies.h"
#include "support/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

// The start that follows a restore request: start.exe of the program folder when there is
// one, the program itself otherwise, always in the program folder.
class TestProcRestart : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    int m_folders = 0;

    QString newFolder()
    {
        const QString path = m_root.path() + QString("/prog%1/").arg(++m_folders);
        QDir().mkpath(path);
        return path;
    }

    // A script that records where and with what it was started.
    static void writeScript(const QString& path, const QString& marker, bool executable = true)
    {
        QFile script(path);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QString("#!/bin/sh\n{ pwd; echo \"args:$*\"; } > '%1'\n").arg(marker).toUtf8());
        script.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        QVERIFY(script.setPermissions(permissions));
    }

    static QString readMarker(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    static bool lockHeld(const QString& folder) { return testsupport::folderLockHeld(folder); }

private slots:
    void decision_data()
    {
        QTest::addColumn<QString>("present"); // what the program folder holds
        QTest::addColumn<bool>("slash");      // the folder given with its trailing slash
        QTest::addColumn<bool>("outside");    // start.exe is chosen
        QTest::newRow("start.exe") << "file" << true << true;
        QTest::newRow("start.exe, folder without slash") << "file" << false << true;
        QTest::newRow("nothing") << "" << true << false;
        QTest::newRow("a folder named start.exe") << "folder" << true << false;
        QTest::newRow("other letter case") << "START.EXE" << true << false;
    }
    void decision()
    {
        QFETCH(QString, present);
        QFETCH(bool, slash);
        QFETCH(bool, outside);
        const QString folder = newFolder();
        if (present == "file")
            writeScript(folder + "start.exe", folder + "marker");
        else if (present == "folder")
            QDir().mkpath(folder + "start.exe");
        else if (!present.isEmpty())
            writeScript(folder + present, folder + "marker");
        const QString own = "/opt/dispora/dispora";
        const app::RestartCommand command = app::restartCommand(slash ? folder : folder.chopped(1), own);
        QCOMPARE(command.program, outside ? folder + "start.exe" : own);
        QVERIFY(command.arguments.isEmpty());
        QCOMPARE(command.workingDirectory, folder);
    }

    void requestedRestartStartsStartExeInTheProgramFolder()
    {
        const QString folder = newFolder();
        const QString marker = folder + "indult.txt";
        writeScript(folder + "start.exe", marker);
        QVERIFY(!app::restartRequested());
        QVERIFY(app::startRequestedRestart()); // nothing asked: nothing started
        QTest::qWait(300);
        QVERIFY(!QFile::exists(marker));

        app::requestRestartAfterEnd(folder);
        QVERIFY(app::restartRequested());
        QCOMPARE(app::restartFolder(), folder);
        QVERIFY(app::startRequestedRestart());
        QTRY_VERIFY_WITH_TIMEOUT(readMarker(marker).endsWith("\n"), 10000);
        QCOMPARE(readMarker(marker), QDir(folder).canonicalPath() + "\nargs:\n");
        // Asked once, started once.
        QVERIFY(!app::restartRequested());
    }

    void startExeThatCannotRunFallsBackToTheProgram()
    {
        const QString folder = newFolder();
        writeScript(folder + "start.exe", folder + "start_indult.txt", false);
        const QString own = folder + "sajat.sh";
        writeScript(own, folder + "sajat_indult.txt");
        const app::RestartCommand command = app::restartCommand(folder, own);
        QCOMPARE(command.program, folder + "start.exe");
        QVERIFY(app::startRestart(command, own));
        QTRY_VERIFY_WITH_TIMEOUT(!readMarker(folder + "sajat_indult.txt").isEmpty(), 10000);
        QCOMPARE(readMarker(folder + "sajat_indult.txt"), QDir(folder).canonicalPath() + "\nargs:\n");
        QVERIFY(!QFile::exists(folder + "start_indult.txt"));
    }

    void nothingToStart()
    {
        const QString folder = newFolder();
        QVERIFY(!app::startRestart(app::restartCommand(folder, folder + "nincs"), folder + "nincs"));
    }

    // Without start.exe the real program is started again in its folder and applies the
    // restore that is waiting there.
    void theProgramItselfStartsAndAppliesTheRestore()
    {
        const QString folder = m_root.path() + "/valodi/";
        testsupport::copyFolder(QStringLiteral(DISPORA_READY_DIR), folder);
        QVERIFY(!QFile::exists(folder + "start.exe"));
        const QString archive = m_root.path() + "/mentes.zip";
        QVERIFY(admin::archiveFolderFiles(admin::databaseFolder(folder), archive).ok());
        QFile request(folder + "import.txt");
        QVERIFY(request.open(QIODevice::WriteOnly));
        request.write(archive.toUtf8() + "\r\n");
        request.close();

        const QString own = folder + "dispora";
        const app::RestartCommand command = app::restartCommand(folder, own);
        QCOMPARE(command.program, own);
        qint64 pid = 0;
        QVERIFY(app::startRestart(command, own, &pid));
        QVERIFY(pid > 0);
        QTRY_VERIFY_WITH_TIMEOUT(lockHeld(folder), 30000);
        QVERIFY(!QFile::exists(folder + "import.txt"));
        QCOMPARE(QDir(folder + "adatbazis_mentes").entryList(QDir::Files).size(), 1);
        ::kill(pid_t(pid), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!lockHeld(folder), 30000);
    }
};

QTEST_GUILESS_MAIN(TestProcRestart)
#include "tst_proc_restart.moc"
