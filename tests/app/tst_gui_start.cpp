#include "admin/ZipWriter.h"
#include "admin/ui/Tbeallitasok_form.h"
#include "app/AppState.h"
#include "app/ProgramEnd.h"
#include "app/ui/TForm1.h"
#include "app/ui/Tny_form.h"
#include "app/ui/Windows.h"
#include "store/DataModule.h"
#include "store/FolderLock.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace testsupport;

namespace {

const QString kInUse = "Az adatbázis már használatban van! A program be fog záródni!";
const QString kCaption = "Dispora   -   2.1.3 verzió";

QPushButton* menuButton(int n)
{
    return ui::windows().form1->findChild<QPushButton*>(QString("SCButton%1").arg(n));
}

} // namespace

// The opening window runs the start sequence and hands over to the menu or, on the
// first start, to the settings window.
class TestGuiStart : public QObject
{
    Q_OBJECT

    Services* m_services = nullptr;
    int m_ends = 0;

    store::TDM1& dm() { return store::TDM1::instance(); }
    Tny_form* opening() { return ui::windows().ny_form; }

    // The program's start: creation steps, then the opening window on screen.
    void start()
    {
        Tny_form* ny = opening();
        control<QProgressBar>(ny, "JvGradientProgressBar1")->setValue(50);
        for (QWidget* w :
             std::initializer_list<QWidget*>{control<QLabel>(ny, "Image1"), control<QLabel>(ny, "Label1"),
                                             control<QProgressBar>(ny, "JvGradientProgressBar1")})
            w->show();
        ny->FormCreate(programFolder());
        ny->show();
    }

    // Waits until the start has handed over (or ended the program).
    bool waitForHandOver()
    {
        return QTest::qWaitFor(
            [&] {
                return ui::windows().form1->isVisible() || ui::windows().beallitasok_form->isVisible() ||
                       m_ends > 0;
            },
            5000);
    }

private slots:
    void initTestCase()
    {
        programFolder();
        m_services = &installServices();
        createWindowsOnce();
        app::setProgramEnd([this] { ++m_ends; });
    }
    void cleanupTestCase() { app::setProgramEnd({}); }

    void init()
    {
        dm().MyConnection1.setOpenFault({});
        dm().MyConnection1.open();
        resetTables();
        dm().ADOConnection2.close();
        m_services->messages.texts.clear();
        m_services->printers.current = 0;
        m_ends = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            w->hide();
        for (int n = 1; n <= 9; ++n)
            menuButton(n)->setEnabled(true);
        app::appState() = app::AppState{};
        QFile::remove(programFolder() + "import.txt");
    }
    void cleanup()
    {
        dm().MyConnection1.setStatementFault({});
        dm().MyConnection1.setOpenFault({});
    }

    void progressBarFillsBeforeTheStoreIsTouched()
    {
        QList<int> values;
        QList<int> atOpen;
        dm().MyConnection1.close();
        QProgressBar* bar = control<QProgressBar>(opening(), "JvGradientProgressBar1");
        dm().MyConnection1.setOpenFault([&]() -> std::optional<QString> {
            atOpen << bar->value();
            return std::nullopt;
        });
        QElapsedTimer clock;
        clock.start();
        start();
        const auto watch = connect(bar, &QProgressBar::valueChanged, this, [&](int v) { values << v; });
        QVERIFY(waitForHandOver());
        disconnect(watch);
        QList<int> expected;
        for (int v = 52; v <= 100; v += 2)
            expected << v;
        QCOMPARE(values, expected);
        QVERIFY(!atOpen.isEmpty());
        QCOMPARE(atOpen.first(), 100);
        // 25 ticks of 20 ms.
        QVERIFY2(clock.elapsed() >= 400, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(opening()->windowTitle(), kCaption);
    }

    void firstStartOpensTheSettings_data()
    {
        QTest::addColumn<int>("currentPrinter");
        QTest::addColumn<int>("printerIndex");
        QTest::addColumn<QString>("printerInUse");
        QTest::newRow("current printer is the first") << 0 << 5000 << "Iroda";
        QTest::newRow("no current printer") << -1 << 5000 << "Iroda";
        QTest::newRow("current printer is the second") << 1 << 1 << "Titkarsag";
    }
    void firstStartOpensTheSettings()
    {
        QFETCH(int, currentPrinter);
        QFETCH(int, printerIndex);
        QFETCH(QString, printerInUse);
        m_services->printers.current = currentPrinter;
        start();
        QVERIFY(waitForHandOver());
        Tbeallitasok_form* settings = ui::windows().beallitasok_form;
        QTRY_VERIFY(settings->isVisible());
        QVERIFY(!ui::windows().form1->isVisible());
        QVERIFY(!opening()->isVisible());
        QCOMPARE(ui::windows().form1->windowTitle(), kCaption);
        for (int n = 1; n <= 5; ++n)
            QVERIFY2(!menuButton(n)->isEnabled(), qPrintable(QString::number(n)));
        for (int n = 6; n <= 9; ++n)
            QVERIFY(menuButton(n)->isEnabled());
        QCOMPARE(app::appState().printerIndex, printerIndex);
        for (QLineEdit* margin :
             {control<QLineEdit>(settings, "Edit5"), control<QLineEdit>(settings, "Edit6"),
              control<QLineEdit>(settings, "Edit7"), control<QLineEdit>(settings, "Edit8")})
            QCOMPARE(margin->text(), QString("10"));
        QVERIFY(control<QRadioButton>(settings, "RadioButton2")->isChecked());
        QCOMPARE(control<QComboBox>(settings, "ComboBox1")->count(), 2);
        QCOMPARE(control<QComboBox>(settings, "ComboBox1")->currentIndex(),
                 printerIndex == 5000 ? -1 : printerIndex);
        QCOMPARE(control<QLineEdit>(settings, "Edit13")->text(), printerInUse);
        QVERIFY(dm().ADOConnection2.isOpen());
        QVERIFY(m_services->messages.texts.isEmpty());
        QCOMPARE(m_ends, 0);
    }

    void storedSettingsAreLoaded()
    {
        exec("INSERT INTO BEALLITASOK (NEV,SZERVKOD,NYOMTATO,TAKAREKOS,FUTARJEGYZEK_CIMZETTJE,"
             "FUTARJEGYZEK_CIMZETTJE_SZERVKOD,FELSO,ALSO,BAL,JOBB,FELSO_T,ALSO_T,BAL_T,JOBB_T,"
             "alapertelmezett_nyomtato)"
             " VALUES ('Országos Iroda','100100',1,1,'Futárszolgálat','200200',12,15,20,25,12,15,20,25,1)");
        start();
        QVERIFY(waitForHandOver());
        QTRY_VERIFY(ui::windows().form1->isVisible());
        QVERIFY(!ui::windows().beallitasok_form->isVisible());
        QVERIFY(!opening()->isVisible());
        QVERIFY(!control<QLabel>(opening(), "Image1")->isVisible() &&
                !control<QProgressBar>(opening(), "JvGradientProgressBar1")->isVisible());
        const app::AppState& s = app::appState();
        QCOMPARE(s.ownName, QString("Országos Iroda"));
        QCOMPARE(s.ownCode, QString("100100"));
        QCOMPARE(s.printerIndex, 1);
        QCOMPARE(s.defaultAddresseeName, QString("Futárszolgálat"));
        QCOMPARE(s.defaultAddresseeCode, QString("200200"));
        QCOMPARE(s.marginTop, 12);
        QCOMPARE(s.marginBottom, 15);
        QCOMPARE(s.marginLeft, 20);
        QCOMPARE(s.marginRight, 25);
        QVERIFY(s.useDefaultPrinter);
        QCOMPARE(s.programVersion, QString("2.1.3"));
        QCOMPARE(s.programFolder, programFolder());
        for (int n = 1; n <= 9; ++n)
            QVERIFY(menuButton(n)->isEnabled());
        QCOMPARE(ui::windows().form1->focusWidget(), menuButton(1));
        QCOMPARE(ui::windows().form1->windowTitle(), kCaption);
    }

    void settingsLoadErrorKeepsTheMenu()
    {
        exec("insert into frissites (frissites) values (1)");
        dm().MyConnection1.setStatementFault([](const QString& sql) -> std::optional<QString> {
            if (sql == "SELECT * FROM BEALLITASOK")
                return QStringLiteral("Lost connection to server during query");
            return std::nullopt;
        });
        start();
        QVERIFY(waitForHandOver());
        QTRY_COMPARE(m_services->messages.texts, QStringList{"Lost connection to server during query"});
        QVERIFY(ui::windows().form1->isVisible());
        QCOMPARE(m_ends, 0);
    }

    void heldFolderLockEndsTheProgram()
    {
        store::FolderLock other;
        other.setFileName(programFolder() + "used.uld");
        other.open();
        start();
        QVERIFY(waitForHandOver());
        QCOMPARE(m_ends, 1);
        QCOMPARE(m_services->messages.texts, QStringList{kInUse});
        QTest::qWait(250);
        QVERIFY(!ui::windows().form1->isVisible());
        QVERIFY(!ui::windows().beallitasok_form->isVisible());
        QCOMPARE(m_ends, 1);
    }

    void pendingRestoreIsAppliedBeforeTheStoreOpens()
    {
        exec("insert into frissites (frissites) values (1)");
        exec("FLUSH TABLES");
        // Only table files are restored: the archive holds one table's files, and the files
        // they replace are marked old so that their replacement shows.
        const QString kovenda = programFolder() + "data/kovenda/";
        const QDateTime old(QDate(2001, 1, 1), QTime(0, 0));
        std::vector<admin::ZipEntry> entries{{"kovenda/", {}}};
        for (const char* ext : {"frm", "MYD", "MYI"}) {
            QFile file(kovenda + "szervek_temp." + ext);
            QVERIFY(file.open(QIODevice::ReadWrite));
            entries.push_back({QString("kovenda/szervek_temp.") + ext, file.readAll()});
            QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        const QString archive = programFolder() + "adatbazis_mentes/adatok_20121016140533.zip";
        QDir().mkpath(programFolder() + "adatbazis_mentes");
        admin::writeZip(archive, entries);
        QFile request(programFolder() + "import.txt");
        QVERIFY(request.open(QIODevice::WriteOnly));
        request.write(archive.toUtf8() + "\r\n");
        request.close();

        dm().MyConnection1.close();
        bool restoredBeforeOpen = false;
        dm().MyConnection1.setOpenFault([&]() -> std::optional<QString> {
            restoredBeforeOpen = QFileInfo(kovenda + "szervek_temp.MYD").lastModified() > old.addYears(1) &&
                                 !QFile::exists(programFolder() + "import.txt");
            return std::nullopt;
        });
        start();
        QCOMPARE(opening()->restoreOutcome(), admin::PendingRestore::Outcome::Applied);
        QVERIFY(!dm().MyConnection1.isOpen());
        QVERIFY(waitForHandOver());
        QVERIFY(restoredBeforeOpen);
    }

    void restoreWaitsWhileAnotherLogonHoldsTheFolder()
    {
        exec("insert into frissites (frissites) values (1)");
        const QString archive = programFolder() + "adatbazis_mentes/adatok_20121016140534.zip";
        QDir().mkpath(programFolder() + "adatbazis_mentes");
        admin::writeZip(archive, {{"szervek_temp.MYD", QByteArray("not what the table holds")}});
        QFile request(programFolder() + "import.txt");
        QVERIFY(request.open(QIODevice::WriteOnly));
        request.write(archive.toUtf8() + "\r\n");
        request.close();
        const QByteArray before = [&] {
            QFile file(programFolder() + "data/kovenda/szervek_temp.MYD");
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
        }();

        dm().ADOConnection2.close();
        store::FolderLock otherLogon;
        otherLogon.setFileName(programFolder() + "used.uld");
        otherLogon.open();
        start();
        QCOMPARE(opening()->restoreOutcome(), admin::PendingRestore::Outcome::NoRequest);
        QVERIFY(waitForHandOver());
        otherLogon.close();
        QVERIFY(QFile::exists(programFolder() + "import.txt"));
        QFile after(programFolder() + "data/kovenda/szervek_temp.MYD");
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
        QFile::remove(programFolder() + "import.txt");
    }

    void requestNamingAMissingArchiveStays()
    {
        QFile request(programFolder() + "import.txt");
        QVERIFY(request.open(QIODevice::WriteOnly));
        request.write("/nincs/ilyen/adatok_20120101000000.zip\r\n");
        request.close();
        start();
        QCOMPARE(opening()->restoreOutcome(), admin::PendingRestore::Outcome::Left);
        QVERIFY(waitForHandOver());
        QTRY_VERIFY(ui::windows().beallitasok_form->isVisible());
        QVERIFY(QFile::exists(programFolder() + "import.txt"));
        QVERIFY(m_services->messages.texts.isEmpty());
    }
};

QTEST_MAIN(TestGuiStart)
#include "tst_gui_start.moc"
