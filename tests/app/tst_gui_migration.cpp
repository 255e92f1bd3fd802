#include "admin/ui/Tbeallitasok_form.h"
#include "app/AppState.h"
#include "app/ProgramEnd.h"
#include "app/ui/TForm1.h"
#include "app/ui/Tny_form.h"
#include "app/ui/Windows.h"
#include "store/DataModule.h"
#include "store/LegacyFixture.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using namespace testsupport;

// The opening window beside the earlier release's database: the start goes on to the menu
// whatever the migration finds.
class TestGuiMigration : public QObject
{
    Q_OBJECT

    Services* m_services = nullptr;
    int m_ends = 0;

    store::TDM1& dm() { return store::TDM1::instance(); }
    Tny_form* opening() { return ui::windows().ny_form; }
    QString legacyFile() { return programFolder() + "adatok.fdb"; }

    void start()
    {
        Tny_form* ny = opening();
        ny->JvGradientProgressBar1->setValue(50);
        ny->FormCreate(programFolder());
        ny->show();
    }

    bool waitForHandOver()
    {
        return QTest::qWaitFor(
            [&] {
                return ui::windows().form1->isVisible() || ui::windows().beallitasok_form->isVisible() ||
                       m_ends > 0;
            },
            15000);
    }

    QPushButton* menuButton(int n)
    {
        return control<QPushButton>(ui::windows().form1, QString("SCButton%1").arg(n));
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
        resetTables();
        dm().ADOConnection2.close();
        m_services->messages.texts.clear();
        m_services->messages.onInform = {};
        m_ends = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            w->hide();
        for (int n = 1; n <= 9; ++n)
            menuButton(n)->setEnabled(true);
        app::appState() = app::AppState{};
        QFile::remove(legacyFile());
    }

    void unreadableLegacyFileIsToldOnceAndTheMenuComes()
    {
        legacyfixture::build(legacyFile(), "WIN1250", {"tables.sql", "lists.sql"});
        legacyfixture::makeOlderFormat(legacyFile());
        exec("INSERT INTO BEALLITASOK (NEV,SZERVKOD,NYOMTATO,TAKAREKOS,FUTARJEGYZEK_CIMZETTJE,"
             "FUTARJEGYZEK_CIMZETTJE_SZERVKOD,FELSO,ALSO,BAL,JOBB,FELSO_T,ALSO_T,BAL_T,JOBB_T,"
             "alapertelmezett_nyomtato) VALUES "
             "('Iroda','100100',0,0,'Futár','200200',10,10,10,10,10,10,10,10,0)");
        bool menuShownDuringMessage = true;
        m_services->messages.onInform = [&](const QString&) {
            menuShownDuringMessage = ui::windows().form1->isVisible();
        };
        start();
        QVERIFY(waitForHandOver());
        QTRY_VERIFY(ui::windows().form1->isVisible());
        QTest::qWait(300);
        QCOMPARE(m_services->messages.texts.size(), 1);
        const QString text = m_services->messages.texts.first();
        QVERIFY2(text.contains(legacyFile()) && text.contains("régebbi Firebird-változat"), qPrintable(text));
        QVERIFY(!menuShownDuringMessage);
        QCOMPARE(m_ends, 0);
        QVERIFY(menuButton(1)->isEnabled());
        QCOMPARE(app::appState().ownName, QString("Iroda"));
        QCOMPARE(scalar("SELECT COUNT(*) FROM FRISSITES").toInt(), 0);
    }

    void migratedSettingsOpenTheMenuAtTheFirstStart()
    {
        legacyfixture::build(legacyFile(), "NONE", {"tables.sql", "lists.sql"});
        start();
        QVERIFY(waitForHandOver());
        QTRY_VERIFY(ui::windows().form1->isVisible());
        QVERIFY(!ui::windows().beallitasok_form->isVisible());
        QVERIFY(m_services->messages.texts.isEmpty());
        for (int n = 1; n <= 5; ++n)
            QVERIFY(menuButton(n)->isEnabled());
        const app::AppState& s = app::appState();
        QCOMPARE(s.ownName, QString("Őrző Szolgálat"));
        QCOMPARE(s.defaultAddresseeName, QString("Belügyminisztérium"));
        QCOMPARE(s.marginTop, 10);
        QCOMPARE(s.marginRight, 12);
        QCOMPARE(scalar("SELECT COUNT(*) FROM FRISSITES").toInt(), 1);
    }
};

QTEST_MAIN(TestGuiMigration)
#include "tst_gui_migration.moc"
