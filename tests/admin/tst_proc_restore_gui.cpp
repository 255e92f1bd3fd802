#include "admin/DatabaseBackup.h"
#include "admin/RestoreArchive.h"
#include "admin/ZipReader.h"
#include "app/AppState.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <map>
#include <sys/prctl.h>
#include <unistd.h>

using testsupport::exec;

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

// A child that a killed test would leave behind goes with it.
void endWithTheTest(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}

// An X server of the test's own, with nothing but the program on it (no window manager).
class VirtualScreen
{
public:
    ~VirtualScreen() { stop(); }

    // Tries displays from a number taken from the process id until one is free. The server
    // must not reset when its last client leaves, as it would each time a copy of the
    // program ends or xdotool disconnects: a copy connecting just then would be refused.
    bool start(const QString& server)
    {
        const int base = 100 + int(::getpid() % 400) * 2;
        const QDeadlineTimer deadline(20000);
        for (int n = base; n < base + 40 && !deadline.hasExpired(); ++n) {
            if (QFile::exists(QString("/tmp/.X%1-lock").arg(n)) ||
                QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n)))
                continue;
            m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            m_server.setStandardOutputFile(QProcess::nullDevice());
            endWithTheTest(m_server);
            m_server.start(server, {QString(":%1").arg(n), "-nolisten", "tcp", "-noreset", "-screen", "0",
                                    "1280x1024x24"});
            if (!m_server.waitForStarted(5000))
                return false;
            m_display = QString(":%1").arg(n);
            const QString socket = QString("/tmp/.X11-unix/X%1").arg(n);
            // Another server may have taken the number meanwhile: ours then ends at once.
            const bool up = waitUntil(
                [&] {
                    return m_server.state() != QProcess::Running ||
                           (QFile::exists(socket) && xdotool({"getdisplaygeometry"}).first == 0);
                },
                int(std::max<qint64>(deadline.remainingTime(), 0)));
            if (up && m_server.state() == QProcess::Running)
                return true;
            stop();
        }
        return false;
    }

    void stop()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(5000)) {
                m_server.kill();
                m_server.waitForFinished(5000);
            }
        }
        m_display.clear();
    }

    QString display() const { return m_display; }

    // Runs xdotool on this screen; the exit code (-1 when it did not end in time) and its output.
    std::pair<int, QString> xdotool(const QStringList& arguments, int timeoutMs = 10000) const
    {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", m_display);
        tool.setProcessEnvironment(env);
        tool.start("xdotool", arguments);
        if (!tool.waitForStarted(5000))
            return {-1, QString()};
        if (!tool.waitForFinished(timeoutMs)) {
            tool.kill();
            tool.waitForFinished(5000);
            return {-1, QString()};
        }
        return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
                QString::fromUtf8(tool.readAllStandardOutput()).trimmed()};
    }

    struct Window
    {
        QString id;
        QString name;
        QSize size;
    };

    // The windows of a process that are shown now.
    std::vector<Window> windows(qint64 pid) const
    {
        std::vector<Window> found;
        const auto [code, ids] =
            xdotool({"search", "--onlyvisible", "--pid", QString::number(pid), "--name", ""});
        if (code != 0)
            return found;
        static const QRegularExpression geometry("Geometry: (\\d+)x(\\d+)");
        for (const QString& id : ids.split('\n', Qt::SkipEmptyParts)) {
            // The search also answers the root window, which belongs to no process.
            if (xdotool({"getwindowpid", id}).second != QString::number(pid))
                continue;
            Window window{id, xdotool({"getwindowname", id}).second, QSize()};
            const QRegularExpressionMatch size = geometry.match(xdotool({"getwindowgeometry", id}).second);
            if (size.hasMatch())
                window.size = QSize(size.captured(1).toInt(), size.captured(2).toInt());
            found.push_back(window);
        }
        return found;
    }

    // Waits for a shown window of the process that the test accepts.
    Window waitForWindow(qint64 pid, const std::function<bool(const Window&)>& wanted,
                         int timeoutMs = 20000) const
    {
        Window result;
        waitUntil(
            [&] {
                for (const Window& window : windows(pid)) {
                    if (wanted(window)) {
                        result = window;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return result;
    }

    // Gives a window the keyboard, then presses the keys on it as a keyboard would.
    bool keys(const QString& window, const QStringList& keys) const
    {
        return xdotool({"windowfocus", "--sync", window}).first == 0 &&
               xdotool(QStringList{"key", "--delay", "80"} + keys).first == 0;
    }
    bool type(const QString& window, const QString& text) const
    {
        return xdotool({"windowfocus", "--sync", window}).first == 0 &&
               xdotool({"type", "--delay", "30", text}, 30000).first == 0;
    }

    QString describe(qint64 pid) const
    {
        QStringList names;
        for (const Window& window : windows(pid))
            names << QString("%1 \"%2\" %3x%4")
                         .arg(window.id, window.name)
                         .arg(window.size.width())
                         .arg(window.size.height());
        return names.join(", ");
    }

private:
    QProcess m_server;
    QString m_display;
};

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
