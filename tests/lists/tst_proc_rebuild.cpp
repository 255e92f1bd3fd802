#include "lists/ListKind.h"
#include "lists/Renumbering.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

// A rebuild of the item table in a child process (this executable again) that is killed
// at a chosen statement; a second child then starts on the same folder.
namespace {

store::TDM1& dm()
{
    return store::TDM1::instance();
}

constexpr int kFiller = 3000;

void fill()
{
    store::Query& q = dm().MyQuery1;
    q.execute(
        "INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB,SZULO_ID,TETEL_ID,"
        "CSOPORT_ID) VALUES (1,'A',2,'K','1',1,1,1,0,3,0),(1,'B',3,'K','1',1,2,1,0,7,0),"
        "(1,'C',1,'K','1',1,3,1,0,12,0),(1,'B1',3,'K','1',1,2,1,7,20,4),(1,'B2',3,'K','1',1,2,1,7,21,5)");
    QStringList values;
    for (int i = 0; i < kFiller; ++i)
        values << QString("(2,'F%1',1,'Címzett %1','2',1,%1,1,0,%2,0)").arg(i).arg(100 + 2 * i);
    q.execute(
        "INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB,SZULO_ID,TETEL_ID,"
        "CSOPORT_ID) VALUES " +
        values.join(','));
}

void printRows()
{
    store::Query& q = dm().MyQuery1;
    q.open("SELECT TETEL_ID, IKTSZAM, KCIMZETT, SZULO_ID, CSOPORT_ID, SORSZAM FROM b2 ORDER BY TETEL_ID");
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return;
    for (int row = 0; row < q.rowCount(); ++row) {
        QStringList values;
        for (const char* column : {"TETEL_ID", "IKTSZAM", "KCIMZETT", "SZULO_ID", "CSOPORT_ID", "SORSZAM"})
            values << q.value(row, QString::fromLatin1(column)).toString();
        out.write(values.join('|').toUtf8() + '\n');
    }
    q.close();
}

// Child: "fill" fills the item table and rebuilds it, dying by SIGKILL right before the
// given statement (its n-th occurrence); "check" starts on the folder as the program does
// and rebuilds once more (or only rebuilds), then prints the item table.
int child(const QString& mode)
{
    QDir::setCurrent(qEnvironmentVariable("REBUILD_FOLDER"));
    dm().MyConnection1.open();
    const lists::ListKindInfo& kind = lists::listKind(1);
    if (mode == "fill") {
        fill();
        const QString killAt = qEnvironmentVariable("REBUILD_KILL_AT");
        int countdown = qEnvironmentVariableIntValue("REBUILD_KILL_COUNT");
        dm().MyConnection1.setStatementFault([&](const QString& sql) -> std::optional<QString> {
            if (!killAt.isEmpty() && sql.startsWith(killAt) && --countdown <= 0)
                ::raise(SIGKILL);
            return std::nullopt;
        });
        lists::Renumbering(dm(), kind).rebuild_item_table();
        dm().MyConnection1.setStatementFault({});
        return 0;
    }
    if (qEnvironmentVariableIntValue("REBUILD_AT_START"))
        lists::Renumbering::restoreInterruptedRebuild(dm());
    lists::Renumbering(dm(), kind).rebuild_item_table();
    printRows();
    return 0;
}

} // namespace

class TestProcRebuild : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    int m_folders = 0;

    QString newFolder()
    {
        const QString to = m_root.path() + QString("/prog%1").arg(++m_folders);
        const QString ready = QStringLiteral(DISPORA_READY_DIR);
        testsupport::copyFolder(ready + "/data", to + "/data");
        return to;
    }

    static QProcess::ExitStatus run(const QString& folder, const QString& mode, QProcessEnvironment env,
                                    QByteArray* output = nullptr)
    {
        QProcess process;
        env.insert("REBUILD_FOLDER", folder);
        env.insert("REBUILD_CHILD", mode);
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationFilePath(), {});
        process.waitForFinished(120000);
        if (output)
            *output = process.readAllStandardOutput();
        return process.exitStatus();
    }

    QByteArray m_reference;

private slots:
    void initTestCase()
    {
        // The rows of a rebuild that nothing interrupts.
        const QString folder = newFolder();
        QCOMPARE(run(folder, "fill", QProcessEnvironment::systemEnvironment()), QProcess::NormalExit);
        QCOMPARE(run(folder, "check", QProcessEnvironment::systemEnvironment(), &m_reference),
                 QProcess::NormalExit);
        QCOMPARE(m_reference.count('\n'), kFiller + 5);
    }

    void killedRebuildKeepsEveryRow_data()
    {
        QTest::addColumn<QString>("killAt");
        QTest::addColumn<int>("occurrence");
        QTest::addColumn<bool>("atStart");
        QTest::newRow("filling TEMP") << "insert into temp" << 1500 << true;
        QTest::newRow("TEMP complete") << "insert into temp (tetel_id" << 1 << true;
        QTest::newRow("before emptying") << "truncate table b2" << 1 << true;
        QTest::newRow("before the copy back") << "insert into b2 select" << 1 << true;
        QTest::newRow("before the copy back, next rebuild") << "insert into b2 select" << 1 << false;
        QTest::newRow("after the copy back") << "delete from temp" << 1 << true;
    }
    void killedRebuildKeepsEveryRow()
    {
        QFETCH(QString, killAt);
        QFETCH(int, occurrence);
        QFETCH(bool, atStart);
        const QString folder = newFolder();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("REBUILD_KILL_AT", killAt);
        env.insert("REBUILD_KILL_COUNT", QString::number(occurrence));
        QCOMPARE(run(folder, "fill", env), QProcess::CrashExit);

        QProcessEnvironment next = QProcessEnvironment::systemEnvironment();
        next.insert("REBUILD_AT_START", atStart ? "1" : "0");
        QByteArray rows;
        QCOMPARE(run(folder, "check", next, &rows), QProcess::NormalExit);
        QCOMPARE(rows.count('\n'), m_reference.count('\n'));
        QVERIFY(rows == m_reference);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString mode = qEnvironmentVariable("REBUILD_CHILD");
    if (!mode.isEmpty())
        return child(mode);
    TestProcRebuild test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_proc_rebuild.moc"
