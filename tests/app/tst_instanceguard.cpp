#include "app/InstanceGuard.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

class TestInstanceGuard : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QCoreApplication::setApplicationName("Dispora"); }

    void secondCopyIsRefusedWhileFirstRuns()
    {
        QTemporaryDir dir;
        app::InstanceGuard first(dir.path());
        QVERIFY(first.tryAcquire());
        QVERIFY(first.tryAcquire()); // asking again keeps it
        {
            app::InstanceGuard second(dir.path());
            QVERIFY(!second.tryAcquire());
            QVERIFY(!second.isHeld());
        }
        QVERIFY(first.isHeld());
    }

    void lockIsFreedWhenFirstEnds()
    {
        QTemporaryDir dir;
        {
            app::InstanceGuard first(dir.path());
            QVERIFY(first.tryAcquire());
        }
        app::InstanceGuard second(dir.path());
        QVERIFY(second.tryAcquire());
    }

    void runtimeFolderByDefault()
    {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        app::InstanceGuard guard;
        QCOMPARE(guard.lockFilePath(), runtime.path() + "/Dispora.lock");
        QVERIFY(guard.tryAcquire());
        QVERIFY(QFile::exists(runtime.path() + "/Dispora.lock"));
    }

    void lockOfACrashedCopyIsTakenOver()
    {
        QTemporaryDir dir;
        // A process that has ended: its number names no running program.
        QProcess gone;
        gone.start("/bin/true");
        QVERIFY(gone.waitForFinished());
        const qint64 deadPid = gone.processId() > 0 ? gone.processId() : 999999;
        QFile lock(dir.path() + "/Dispora.lock");
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(deadPid) + "\nDispora\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();

        app::InstanceGuard guard(dir.path());
        QVERIFY(guard.tryAcquire());
    }

    void oldLockOfARunningCopyStillHolds()
    {
        // A copy that has run for hours is not mistaken for a crashed one.
        QTemporaryDir dir;
        app::InstanceGuard first(dir.path());
        QVERIFY(first.tryAcquire());
        QFile lock(first.lockFilePath());
        QVERIFY(lock.open(QIODevice::ReadWrite));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-6 * 3600),
                                 QFileDevice::FileModificationTime));
        lock.close();
        app::InstanceGuard second(dir.path());
        QVERIFY(!second.tryAcquire());
    }
};

QTEST_GUILESS_MAIN(TestInstanceGuard)
#include "tst_instanceguard.moc"
