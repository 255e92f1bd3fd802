#include "admin/DatabaseBackup.h"
#include "admin/RestoreArchive.h"
#include "admin/ZipReader.h"
#include "app/AppState.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"
#include "support/VirtualScreen.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <map>
#include <unistd.h>

using testsupport::endWithTheTest;
using testsupport::exec;
using testsupport::VirtualScreen;
using testsupport::waitUntil;

namespace {

using Files = std::map<QString, QByteArray>;

// The table files an archive restores, by the names they take in the database folder.
Files restoredFiles(const QString& archive)
{
    Files files;
    admin::ZipReader zip;
    if (!zip.open(archive))
        return files;
    for (const admin::RestoredEntry& entry : admin::restoredEntries(zip)) {
        QByteArray data;
        zip.read(entry.index, [&](const char* piece, qint64 size) {
            data.append(piece, size);
            return true;
        });
        files[entry.target] = data;
    }
    return files;
}

QByteArray fileData(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The same table files by name, from the database folder of a program folder.
Files folderFiles(const QString& programFolder, const Files& names)
{
    Files files;
    for (const auto& entry : names)
        files[entry.first] = fileData(programFolder + "data/kovenda/" + entry.first);
    return files;
}

// Where the table files differ; empty when they hold the same tables. The server rewrites
// the state at the head of an index file (counters, times, key statistics) whenever it
// repairs the table, as every start does; the rest of the file, from the key definitions
// on, is the index itself and must stay as it was.
QString tableFileDifferences(const Files& expected, const Files& actual)
{
    QStringList differences;
    for (const auto& [name, data] : expected) {
        const auto found = actual.find(name);
        if (found == actual.end()) {
            differences << name + " is missing";
            continue;
        }
        const QByteArray& other = found->second;
        qsizetype from = 0;
        if (name.endsWith(".MYI") && data.size() >= 14 && other.size() >= 14) {
            // The key definitions start at the big-endian offset at bytes 12 and 13.
            from = (quint8(data.at(12)) << 8) | quint8(data.at(13));
            if (from != ((quint8(other.at(12)) << 8) | quint8(other.at(13))))
                from = 0;
        }
        if (other.size() != data.size() || other.mid(from) != data.mid(from))
            differences << name + " differs";
    }
    for (const auto& entry : actual)
        if (!expected.count(entry.first))
            differences << entry.first + " is extra";
    return differences.join(", ");
}

// A process that has ended but was not yet reaped counts as gone: a copy started on its
// own is no child of the test.
bool alive(qint64 pid)
{
    const QByteArray stat = fileData(QString("/proc/%1/stat").arg(pid));
    const qsizetype end = stat.lastIndexOf(')');
    return end > 0 && end + 2 < stat.size() && stat.at(end + 2) != 'Z';
}

// Every running process of the given executable.
QList<qint64> runningCopies(const QString& executable)
{
    const QString wanted = QFileInfo(executable).canonicalFilePath();
    QList<qint64> found;
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (number && QFile::symLinkTarget("/proc/" + entry + "/exe") == wanted && alive(pid))
            found.append(pid);
    }
    return found;
}

// Ends a copy that is no child of the test: asked first, then forced.
void endCopy(qint64 pid)
{
    if (pid <= 0 || !alive(pid))
        return;
    ::kill(pid_t(pid), SIGTERM);
    if (!waitUntil([&] { return !alive(pid); }, 10000))
        ::kill(pid_t(pid), SIGKILL);
    waitUntil([&] { return !alive(pid); }, 5000);
}

} // namespace

// The operator restores a backup through the real program on a real X display: the
// program ends, starts again by itself and works on the archive's data.
class TestProcRestoreGui : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_folder;  // the program folder the program runs in
    QString m_archive; // the backup the operator restores
    Files m_current;   // the folder's table files before the restore
    QString m_xvfb;

    QString menuTitle() const { return QStringLiteral("Dispora   -   ") + app::kProgramVersion + " verzió"; }

private slots:
    void initTestCase()
    {
        m_xvfb = QStandardPaths::findExecutable("Xvfb");
        if (m_xvfb.isEmpty() || QStandardPaths::findExecutable("xdotool").isEmpty())
            QSKIP("Xvfb and xdotool are needed to drive the program on an X display (scripts/setup.sh "
                  "installs them)");
        QVERIFY(m_root.isValid());

        // The test's own store makes both archives through the program's backup: the data
        // as they are (settings saved, so the menu opens ready for the lists) and, one list
        // row later, the backup to restore.
        const QString own = testsupport::programFolder();
        exec("INSERT INTO BEALLITASOK (NEV,SZERVKOD,NYOMTATO,TAKAREKOS,FUTARJEGYZEK_CIMZETTJE,"
             "FUTARJEGYZEK_CIMZETTJE_SZERVKOD,FELSO,ALSO,BAL,JOBB,FELSO_T,ALSO_T,BAL_T,JOBB_T,"
             "alapertelmezett_nyomtato) VALUES ('Saját Hivatal','100001',0,0,'Második Ügyosztály',"
             "'100002',10,11,12,13,1,2,3,4,1)");
        exec("INSERT INTO FRISSITES (FRISSITES) VALUES (1)");
        store::TDM1& dm = store::TDM1::instance();
        const QString current = m_root.filePath("jelenlegi.zip");
        QVERIFY(admin::backupDatabase(dm, own, current));
        exec("INSERT INTO B2_ADATOK (LSZAM,JCIMZETT,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) "
             "VALUES (4711,'Visszatöltött Címzett','2025-11-30 12:00:00',2)");
        m_archive = m_root.filePath("mentes/visszatoltendo.zip");
        QVERIFY(QDir().mkpath(m_root.filePath("mentes")));
        QVERIFY(admin::backupDatabase(dm, own, m_archive));

        m_current = restoredFiles(current);
        const Files restored = restoredFiles(m_archive);
        QVERIFY(m_current.count("b2_adatok.MYD") && restored.count("b2_adatok.MYD"));
        QVERIFY(m_current.at("b2_adatok.MYD") != restored.at("b2_adatok.MYD"));
        QCOMPARE(m_current.at("beallitasok.MYD"), restored.at("beallitasok.MYD"));

        m_folder = m_root.filePath("program") + "/";
        testsupport::copyFolder(QStringLiteral(DISPORA_READY_DIR), m_folder);
        QVERIFY(!QFile::exists(m_folder + "start.exe"));
        for (const auto& [name, data] : m_current) {
            QFile file(m_folder + "data/kovenda/" + name);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(file.write(data), data.size());
        }
    }

    void restoreFromTheMenuRestartsTheProgramOnTheBackup()
    {
        VirtualScreen screen;
        QVERIFY2(screen.start(m_xvfb), "no X display could be started");
        // Out of every window's way: the keys reach only the window given the focus.
        QCOMPARE(screen.xdotool({"mousemove", "0", "0"}).first, 0);

        const QString runtime = m_root.filePath("run");
        QVERIFY(QDir().mkpath(runtime));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DISPLAY", screen.display());
        env.insert("XDG_RUNTIME_DIR", runtime);
        env.insert("LANG", "C.UTF-8");
        env.remove("LC_ALL");
        // Qt's own dialogs, whatever desktop the machine has.
        env.remove("QT_QPA_PLATFORMTHEME");
        env.remove("XDG_CURRENT_DESKTOP");

        const QString executable = m_folder + "dispora";
        QProcess first;
        first.setProcessEnvironment(env);
        first.setWorkingDirectory(m_folder);
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        endWithTheTest(first);
        qint64 second = 0;
        auto cleanup = qScopeGuard([&] {
            endCopy(second);
            // A copy ended while it asked for a restart leaves a new one behind.
            for (int round = 0; round < 3; ++round) {
                const QList<qint64> copies = runningCopies(executable);
                if (copies.isEmpty())
                    break;
                for (qint64 copy : copies)
                    endCopy(copy);
            }
            if (first.state() != QProcess::NotRunning) {
                first.kill();
                first.waitForFinished(5000);
            }
            screen.stop();
        });
        first.start(executable, {});
        QVERIFY(first.waitForStarted(5000));
        const qint64 pid = first.processId();

        // The opening window bears the menu's title too, but it is lower.
        const QString title = menuTitle();
        auto isMenu = [&](const VirtualScreen::Window& w) {
            return w.name == title && w.size.height() > 300;
        };
        VirtualScreen::Window menu = screen.waitForWindow(pid, isMenu);
        QVERIFY2(!menu.id.isEmpty(), qPrintable("no main menu: " + screen.describe(pid)));

        // The focus is on the first list; "Adatbázis műveletek" is the seventh button of
        // the tab order.
        QVERIFY(screen.keys(menu.id, {"Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Return"}));
        const VirtualScreen::Window operations =
            screen.waitForWindow(pid, [](const auto& w) { return w.name == "Adatbázis műveletek"; });
        QVERIFY2(!operations.id.isEmpty(), qPrintable("no database window: " + screen.describe(pid)));

        // Past the two read-only fields, the browse button and the disabled start button,
        // through the export button to the import button.
        QVERIFY(screen.keys(operations.id, {"Tab", "Tab", "Tab", "Tab", "Return"}));
        const VirtualScreen::Window dialog = screen.waitForWindow(pid, [&](const auto& w) {
            return w.id != operations.id && w.id != menu.id && w.size.width() > 200;
        });
        QVERIFY2(!dialog.id.isEmpty(), qPrintable("no file dialog: " + screen.describe(pid)));
        QVERIFY(screen.type(dialog.id, m_archive));
        QVERIFY(screen.keys(dialog.id, {"Return"}));

        const VirtualScreen::Window confirm =
            screen.waitForWindow(pid, [](const auto& w) { return w.name == "Importálás megerősítése"; });
        QVERIFY2(!confirm.id.isEmpty(), qPrintable("no confirmation: " + screen.describe(pid)));
        QVERIFY(!QFile::exists(m_folder + "import.txt"));
        QVERIFY(screen.keys(confirm.id, {"Return"})); // "Igen" has the focus

        const VirtualScreen::Window message =
            screen.waitForWindow(pid, [](const auto& w) { return w.name == "Dispora"; });
        QVERIFY2(!message.id.isEmpty(), qPrintable("no message: " + screen.describe(pid)));
        QCOMPARE(fileData(m_folder + "import.txt"), m_archive.toUtf8() + "\r\n");
        QVERIFY(screen.keys(message.id, {"Return"}));

        // The program ends by itself and a new copy starts in its place.
        QVERIFY2(first.waitForFinished(20000), "the program did not end after the restore request");
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        QVERIFY(waitUntil(
            [&] {
                const QList<qint64> copies = runningCopies(executable);
                second = copies.size() == 1 ? copies.first() : 0;
                return second > 0;
            },
            20000));
        QVERIFY(second != pid);
        QVERIFY2(waitUntil([&] { return !QFile::exists(m_folder + "import.txt"); }, 20000),
                 qPrintable(
                     QString("the request stays; the new copy %1 runs: %2; the folder: %3")
                         .arg(alive(second) ? "still" : "no longer", screen.describe(second),
                              QDir(m_folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(' '))));
        menu = screen.waitForWindow(second, isMenu);
        QVERIFY2(!menu.id.isEmpty(),
                 qPrintable("the new copy shows no main menu: " + screen.describe(second)));

        ::kill(pid_t(second), SIGTERM);
        QVERIFY2(waitUntil([&] { return !alive(second); }, 20000), "the new copy did not end on SIGTERM");
        second = 0;

        // The folder holds the backup's table files, and what was there before was saved first.
        const Files restored = restoredFiles(m_archive);
        QVERIFY(!restored.empty());
        const QString differences = tableFileDifferences(restored, folderFiles(m_folder, restored));
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
        const QStringList saved =
            QDir(m_folder + "adatbazis_mentes").entryList({"adatok_*.zip"}, QDir::Files);
        QCOMPARE(saved.size(), 1);
        const Files before = restoredFiles(m_folder + "adatbazis_mentes/" + saved.first());
        const QString unsaved = tableFileDifferences(m_current, before);
        QVERIFY2(unsaved.isEmpty(),
                 qPrintable("the files before the restore were not saved as they were: " + unsaved));
    }
};

QTEST_GUILESS_MAIN(TestProcRestoreGui)
#include "tst_proc_restore_gui.moc"
