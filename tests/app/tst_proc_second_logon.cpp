#include "support/ProgramCopies.h"
#include "support/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>

// Two copies of the real program on one program folder, started under two logons (each
// with a runtime folder of its own, so the single-copy guard of one does not see the other).
class TestProcSecondLogon : public QObject
{
    Q_OBJECT

    testsupport::ProgramCopies m_copies;

    QString newRuntimeFolder() { return m_copies.newRuntimeFolder(); }
    QProcess* start(const QString& folder, const QString& runtime) { return m_copies.start(folder, runtime); }
    static bool lockHeld(const QString& folder) { return testsupport::folderLockHeld(folder); }

    // The files below the data folder the process has open.
    static QStringList openDataFiles(QProcess* process, const QString& folder)
    {
        QStringList files;
        const QString data = QFileInfo(folder + "data").canonicalFilePath();
        const QDir fds(QString("/proc/%1/fd").arg(process->processId()));
        for (const QString& fd : fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)) {
            const QString target = QFileInfo(fds.filePath(fd)).symLinkTarget();
            if (target.startsWith(data))
                files << target;
        }
        return files;
    }

private slots:
    void cleanup() { m_copies.killAll(); }

    void secondLogonIsToldAtOnceAndTouchesNothing()
    {
        const QString folder = m_copies.root() + "/prog/";
        testsupport::copyFolder(QStringLiteral(DISPORA_READY_DIR), folder);
        QProcess* first = start(folder, newRuntimeFolder());
        QTRY_VERIFY_WITH_TIMEOUT(lockHeld(folder), 20000);
        QVERIFY(!openDataFiles(first, folder).isEmpty());

        QProcess* second = start(folder, newRuntimeFolder());
        // It waits with its message, without the store: a copy that opens the store would
        // hold the server's files of the data folder while it waits for their lock.
        QTest::qWait(1000);
        QCOMPARE(second->state(), QProcess::Running);
        QCOMPARE(openDataFiles(second, folder), QStringList());
        ::kill(pid_t(second->processId()), SIGTERM);
        QVERIFY(second->waitForFinished(15000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);

        // The first copy goes on undisturbed.
        QCOMPARE(first->state(), QProcess::Running);
        QVERIFY(lockHeld(folder));
        ::kill(pid_t(first->processId()), SIGTERM);
        QVERIFY(first->waitForFinished(15000));
        QCOMPARE(first->exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestProcSecondLogon)
#include "tst_proc_second_logon.moc"
