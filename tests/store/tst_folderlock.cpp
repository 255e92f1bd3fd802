#include "store/FolderLock.h"
#include "store/SqlError.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestFolderLock : public QObject
{
    Q_OBJECT
private slots:
    void missingFileIsAnErrorAndNotCreated()
    {
        QTemporaryDir dir;
        store::FolderLock lock;
        lock.setFileName(dir.path() + "/used.uld");
        QVERIFY_THROWS_EXCEPTION(store::SqlError, lock.open());
        QVERIFY(!lock.isOpen());
        QVERIFY(!QFile::exists(dir.path() + "/used.uld"));
    }

    void secondHolderIsRefusedUntilFirstCloses()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/used.uld";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();

        store::FolderLock first;
        first.setFileName(path);
        first.open();
        first.open(); // already held: nothing happens
        QVERIFY(first.isOpen());

        store::FolderLock second;
        second.setFileName(path);
        QVERIFY_THROWS_EXCEPTION(store::SqlError, second.open());
        QVERIFY(!second.isOpen());

        first.close();
        second.open();
        QVERIFY(second.isOpen());
        QVERIFY(QFile::exists(path)); // the lock file is never removed
    }

    void readOnlyLockFileStillLocks()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/used.uld";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        store::FolderLock lock;
        lock.setFileName(path);
        lock.open();
        QVERIFY(lock.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestFolderLock)
#include "tst_folderlock.moc"
