#include "store/Connection.h"
#include "store/LegacyFixture.h"
#include "support/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>

// The real program, started beside the earlier release's database.
class TestProcMigration : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    int m_folders = 0;
    std::unique_ptr<QProcess> m_program;

    QString newProgramFolder()
    {
        const QString to = m_root.path() + QString("/prog%1").arg(++m_folders);
        testsupport::copyFolder(QStringLiteral(DISPORA_READY_DIR), to);
        return to + "/";
    }

    void start(const QString& folder)
    {
        const QString runtime = m_root.path() + QString("/run%1").arg(++m_folders);
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_program = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", runtime);
        // Whatever the engine needs, the program sets up itself.
        env.remove("FIREBIRD_LOCK");
        env.remove("FIREBIRD");
        m_program->setProcessEnvironment(env);
        m_program->setWorkingDirectory(QDir::rootPath());
        m_program->start(folder + "dispora", {});
        QVERIFY(m_program->waitForStarted(5000));
    }

    // The marker row is written as the last step of a migration that went through.
    static bool migrated(const QString& folder)
    {
        return QFileInfo(folder + "data/kovenda/frissites.MYD").size() > 0;
    }

    bool terminate()
    {
        ::kill(pid_t(m_program->processId()), SIGTERM);
        return m_program->waitForFinished(15000) && m_program->exitStatus() == QProcess::NormalExit &&
               m_program->exitCode() == 0;
    }

private slots:
    void cleanup()
    {
        if (m_program && m_program->state() != QProcess::NotRunning) {
            m_program->kill();
            m_program->waitForFinished(5000);
        }
        m_program.reset();
    }

    void backupBesideTheProgramIsRestoredAndBroughtOver()
    {
        const QString folder = newProgramFolder();
        const QString made = m_root.path() + "/regi.fdb";
        legacyfixture::build(made, "NONE", {"tables.sql", "lists.sql"});
        legacyfixture::backup(made, folder + "adatok.fbk");
        start(folder);
        QTRY_VERIFY_WITH_TIMEOUT(migrated(folder), 30000);
        QVERIFY(QFileInfo(folder + "data/kovenda/b2zsak.MYD").size() > 0);
        QVERIFY(QFile::exists(folder + "adatok.fdb"));
        QVERIFY(QFile::exists(folder + "adatok.fbk"));
        QVERIFY(terminate());
    }

    // Last: it opens the store of the program's folder in this process, once.
    void legacyDatabaseBesideTheProgramIsBroughtOver()
    {
        const QString folder = newProgramFolder();
        legacyfixture::build(folder + "adatok.fdb", "WIN1250", {"tables.sql", "lists.sql"});
        start(folder);
        QTRY_VERIFY_WITH_TIMEOUT(migrated(folder), 30000);
        // The engine lets the program end as usual.
        QVERIFY(terminate());
        QVERIFY(QFile::exists(folder + "adatok.fdb"));

        QDir::setCurrent(folder);
        store::Connection store;
        store.open();
        const auto text = [&](const QString& sql) {
            QStringList out;
            const auto result = store.run(sql, {});
            for (const auto& row : result->rows) {
                QStringList values;
                for (const QVariant& v : row)
                    values << (v.isNull() ? QStringLiteral("NULL") : v.toString());
                out << values.join(u'|');
            }
            return out;
        };
        QCOMPARE(text("SELECT IKTSZAM, KCIMZETT, SZULO_ID, TETEL_ID, CSOPORT_ID FROM B2 ORDER BY TETEL_ID"),
                 QStringList({"123/2012-1|Legfőbb Ügyészség|0|5|0", "124/2012-1|Legfőbb Ügyészség|5|8|3",
                              "||0|9|0", "Ügyirat/ŐŰ-7|Külügyminisztérium|0|14|0"}));
        QCOMPARE(text("SELECT LSZAM, NYOMTATAS_PELDANY FROM B2_ADATOK ORDER BY LSZAM"),
                 QStringList({"1|1", "2|NULL"}));
        QCOMPARE(text("SELECT NEV FROM BEALLITASOK"), QStringList{"Őrző Szolgálat"});
        QCOMPARE(text("SELECT TKOD, TELEPULES FROM SZERVEK ORDER BY TKOD"),
                 QStringList({"100200|Budapest", "200200|Budapest", "300300|Győr"}));
        QCOMPARE(text("SELECT FRISSITES FROM FRISSITES"), QStringList{"1"});
        store.close();
        store::Connection::shutdownServer();
    }
};

QTEST_GUILESS_MAIN(TestProcMigration)
#include "tst_proc_migration.moc"
