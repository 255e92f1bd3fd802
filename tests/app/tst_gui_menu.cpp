#include "admin/ui/Tadatbazis_form.h"
#include "admin/ui/Tbeallitasok_form.h"
#include "app/AppState.h"
#include "app/ProgramEnd.h"
#include "app/ui/TForm1.h"
#include "app/ui/Tnevjegy_form.h"
#include "app/ui/Tny_form.h"
#include "app/ui/Windows.h"
#include "lists/ui/ListWorkspace.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace testsupport;

namespace {

// Saves a picture of the window when DISPORA_SHOTS names a folder.
void shoot(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("DISPORA_SHOTS");
    if (!folder.isEmpty())
        window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

TForm1* menu()
{
    return ui::windows().form1;
}

QPushButton* menuButton(const QString& name)
{
    return menu()->findChild<QPushButton*>(name);
}

void insertSettings(int printer, int useDefault)
{
    exec("INSERT INTO BEALLITASOK (NEV,SZERVKOD,NYOMTATO,TAKAREKOS,FUTARJEGYZEK_CIMZETTJE,"
         "FUTARJEGYZEK_CIMZETTJE_SZERVKOD,FELSO,ALSO,BAL,JOBB,FELSO_T,ALSO_T,BAL_T,JOBB_T,alapertelmezett_"
         "nyomtato)"
         " VALUES ('Tárolt név','100100',:P,1,'Tárolt címzett','200200',12,15,20,25,12,15,20,25,:D)",
         {{"P", printer}, {"D", useDefault}});
}

} // namespace

class TestGuiMenu : public QObject
{
    Q_OBJECT

    Services* m_services = nullptr;
    int m_ends = 0;

    void showMenu()
    {
        menu()->show();
        QApplication::setActiveWindow(menu());
        QVERIFY(QTest::qWaitForWindowExposed(menu()));
    }

private slots:
    void initTestCase()
    {
        programFolder();
        m_services = &installServices();
        createWindowsOnce();
        app::setProgramEnd([this] { ++m_ends; });
        menu()->setWindowTitle("Dispora   -   2.1.3 verzió");
    }
    void cleanupTestCase() { app::setProgramEnd({}); }

    void init()
    {
        resetTables();
        m_services->messages.texts.clear();
        m_services->printers.current = 0;
        m_ends = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            w->hide();
        app::appState().printerIndex = 0;
        showMenu();
    }
    void cleanup() { store::TDM1::instance().MyConnection1.setStatementFault({}); }

    void buttonsFormACentredColumn()
    {
        const QRect frame = menu()->frameGeometry();
        const int h = frame.height() / 2;
        const QList<std::tuple<QString, QString, int>> column = {
            {"SCButton1", "B-2 Futárjegyzék", h - 155},
            {"SCButton2", "BZS-3 Futárjegyzék", h - 123},
            {"SCButton3", "B-2 Zsákjegyzék", h - 91},
            {"SCButton4", "B-2 Futárjegyzék (NATO)", h - 59},
            {"SCButton5", "BZS-3 Futárjegyzék (NATO)", h - 27},
            {"SCButton6", "Beállítások", h + 5},
            {"SCButton8", "Adatbázis műveletek", h + 37},
            {"SCButton9", "Névjegy", h + 69},
            {"SCButton7", "Kilépés", h + 101},
        };
        for (const auto& [name, caption, top] : column) {
            QPushButton* b = menuButton(name);
            QVERIFY2(b, qPrintable(name));
            QCOMPARE(b->text(), caption);
            QCOMPARE(b->size(), QSize(257, 25));
            QCOMPARE(b->pos(), QPoint(frame.width() / 2 - 257 / 2, top));
            QVERIFY(b->isVisible());
            QVERIFY(b->font().bold() || b->styleSheet().contains("bold"));
        }
        QVERIFY(frame.height() >= 300);
        shoot(menu(), "main_menu");
        // The whole column lies inside the window.
        QVERIFY(menuButton("SCButton1")->y() >= 0);
        QVERIFY(menuButton("SCButton7")->geometry().bottom() < menu()->height());
    }

    void tabOrderPutsExitBeforeAbout()
    {
        QStringList order;
        QWidget* w = menuButton("SCButton1");
        for (int i = 0; i < 20 && order.size() < 9; ++i) {
            if (qobject_cast<QPushButton*>(w) && !order.contains(w->objectName()))
                order << w->objectName();
            w = w->nextInFocusChain();
        }
        QCOMPARE(order, QStringList({"SCButton1", "SCButton2", "SCButton3", "SCButton4", "SCButton5",
                                     "SCButton6", "SCButton8", "SCButton7", "SCButton9"}));
    }

    void everyWayOutEndsTheProgram_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Escape on a button") << "esc-button";
        QTest::newRow("Escape on the window") << "esc-window";
        QTest::newRow("Kilépés") << "exit";
        QTest::newRow("Enter on Kilépés") << "enter-exit";
        QTest::newRow("close box") << "close";
    }
    void everyWayOutEndsTheProgram()
    {
        QFETCH(QString, way);
        if (way == "esc-button") {
            menuButton("SCButton4")->setFocus();
            QTRY_VERIFY(menuButton("SCButton4")->hasFocus());
            QTest::keyClick(menuButton("SCButton4"), Qt::Key_Escape);
        } else if (way == "esc-window") {
            menu()->setFocus();
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : menu(),
                            Qt::Key_Escape);
        } else if (way == "exit") {
            QTest::mouseClick(menuButton("SCButton7"), Qt::LeftButton);
        } else if (way == "enter-exit") {
            menuButton("SCButton7")->setFocus();
            QTRY_VERIFY(menuButton("SCButton7")->hasFocus());
            QTest::keyClick(menuButton("SCButton7"), Qt::Key_Return);
        } else {
            menu()->close();
        }
        QCOMPARE(m_ends, 1);
        QVERIFY(!menu()->isVisible());
    }

    void otherKeysDoNotEndTheProgram()
    {
        menuButton("SCButton2")->setFocus();
        QTRY_VERIFY(menuButton("SCButton2")->hasFocus());
        QTest::keyClick(menuButton("SCButton2"), Qt::Key_F2);
        QTest::keyClick(menuButton("SCButton2"), Qt::Key_Tab);
        QCOMPARE(m_ends, 0);
        QVERIFY(menu()->isVisible());
    }

    void listButtonsSetTheKindAndOpenTheWorkspace_data()
    {
        QTest::addColumn<int>("kind");
        for (int kind = 1; kind <= 5; ++kind)
            QTest::newRow(qPrintable(QString("SCButton%1").arg(kind))) << kind;
    }
    void listButtonsSetTheKindAndOpenTheWorkspace()
    {
        QFETCH(int, kind);
        app::appState().currentListKind = 0;
        QTest::mouseClick(menuButton(QString("SCButton%1").arg(kind)), Qt::LeftButton);
        QCOMPARE(app::appState().currentListKind, kind);
        QTRY_VERIFY(ui::windows().workspace(kind)->isVisible());
        for (int other = 1; other <= 5; ++other) {
            if (other != kind)
                QVERIFY(!ui::windows().workspace(other)->isVisible());
        }
        QVERIFY(m_services->messages.texts.isEmpty());
    }

    void settingsAreFilledFromTheStoreAndRegister()
    {
        insertSettings(1, 0);
        exec(
            "INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES ('100100','Saját Szerv'),('200200','Címzett Szerv')");
        app::appState().printerIndex = 1;
        app::appState().useDefaultPrinter = true;
        Tbeallitasok_form* f = ui::windows().beallitasok_form;
        control<QLineEdit>(f, "Edit13")->setText("régi szöveg");
        QTest::mouseClick(menuButton("SCButton6"), Qt::LeftButton);
        QTRY_VERIFY(f->isVisible());
        QVERIFY(!menu()->isVisible());
        QCOMPARE(f->windowTitle(), QString("Dispora - Beállítások"));
        QCOMPARE(control<QLineEdit>(f, "Edit2")->text(), QString("100100"));
        QCOMPARE(control<QLineEdit>(f, "Edit1")->text(),
                 QString("Saját Szerv")); // from the register, not the stored name
        QCOMPARE(control<QLineEdit>(f, "Edit4")->text(), QString("200200"));
        QCOMPARE(control<QLineEdit>(f, "Edit3")->text(), QString("Címzett Szerv"));
        QCOMPARE(control<QLineEdit>(f, "Edit5")->text(), QString("12"));
        QCOMPARE(control<QLineEdit>(f, "Edit6")->text(), QString("15"));
        QCOMPARE(control<QLineEdit>(f, "Edit7")->text(), QString("20"));
        QCOMPARE(control<QLineEdit>(f, "Edit8")->text(), QString("25"));
        QVERIFY(control<QRadioButton>(f, "RadioButton1")->isChecked());
        QVERIFY(!app::appState().useDefaultPrinter);
        QCOMPARE(control<QComboBox>(f, "ComboBox1")->currentIndex(), 1);
        QCOMPARE(control<QLineEdit>(f, "Edit13")->text(), QString("Iroda"));
        shoot(f, "settings_filled");
    }

    void settingsWithoutRowOfferTheDefaults()
    {
        Tbeallitasok_form* f = ui::windows().beallitasok_form;
        control<QLineEdit>(f, "Edit2")->setText("123");
        control<QRadioButton>(f, "RadioButton1")->setChecked(true);
        QTest::mouseClick(menuButton("SCButton6"), Qt::LeftButton);
        QTRY_VERIFY(f->isVisible());
        for (QLineEdit* margin : {control<QLineEdit>(f, "Edit5"), control<QLineEdit>(f, "Edit6"),
                                  control<QLineEdit>(f, "Edit7"), control<QLineEdit>(f, "Edit8")})
            QCOMPARE(margin->text(), QString("10"));
        for (QLineEdit* e : {control<QLineEdit>(f, "Edit1"), control<QLineEdit>(f, "Edit2"),
                             control<QLineEdit>(f, "Edit3"), control<QLineEdit>(f, "Edit4")})
            QVERIFY(e->text().isEmpty());
        QVERIFY(control<QRadioButton>(f, "RadioButton2")->isChecked());
        QVERIFY(app::appState().useDefaultPrinter);
    }

    void printerChoiceFollowsTheStoredPosition_data()
    {
        QTest::addColumn<int>("printerIndex");
        QTest::addColumn<int>("selected");
        QTest::newRow("first") << 0 << 0;
        QTest::newRow("second") << 1 << 1;
        QTest::newRow("just past the list") << 2 << -1;
        QTest::newRow("first-start marker") << 5000 << -1;
        QTest::newRow("negative") << -3 << -1;
    }
    void printerChoiceFollowsTheStoredPosition()
    {
        QFETCH(int, printerIndex);
        QFETCH(int, selected);
        app::appState().printerIndex = printerIndex;
        QTest::mouseClick(menuButton("SCButton6"), Qt::LeftButton);
        Tbeallitasok_form* f = ui::windows().beallitasok_form;
        QTRY_VERIFY(f->isVisible());
        QCOMPARE(control<QComboBox>(f, "ComboBox1")->count(), 2);
        QCOMPARE(control<QComboBox>(f, "ComboBox1")->currentIndex(), selected);
    }

    void printerInUseIsTheCurrentOrTheFirst_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("shown");
        QTest::newRow("current first") << 0 << "Iroda";
        QTest::newRow("current second") << 1 << "Titkarsag";
        QTest::newRow("none") << -1 << "Iroda";
    }
    void printerInUseIsTheCurrentOrTheFirst()
    {
        QFETCH(int, current);
        QFETCH(QString, shown);
        m_services->printers.current = current;
        QTest::mouseClick(menuButton("SCButton6"), Qt::LeftButton);
        QTRY_VERIFY(ui::windows().beallitasok_form->isVisible());
        QCOMPARE(control<QLineEdit>(ui::windows().beallitasok_form, "Edit13")->text(), shown);
    }

    void settingsGiveTheMenuBack_data()
    {
        QTest::addColumn<bool>("byCloseBox");
        QTest::newRow("Mégsem") << false;
        QTest::newRow("close box") << true;
    }
    void settingsGiveTheMenuBack()
    {
        QFETCH(bool, byCloseBox);
        Tbeallitasok_form* f = ui::windows().beallitasok_form;
        QTest::mouseClick(menuButton("SCButton6"), Qt::LeftButton);
        QTRY_VERIFY(f->isVisible());
        if (byCloseBox)
            f->close();
        else
            QTest::mouseClick(control<QPushButton>(f, "SCButton2"), Qt::LeftButton);
        QVERIFY(!f->isVisible());
        QVERIFY(menu()->isVisible());
        QCOMPARE(m_ends, 0);
        QCOMPARE(scalar("SELECT COUNT(*) FROM BEALLITASOK").toInt(), 0);
    }

    void settingsErrorKeepsTheMenu()
    {
        store::TDM1::instance().MyConnection1.setStatementFault(
            [](const QString& sql) -> std::optional<QString> {
                if (sql == "SELECT * FROM BEALLITASOK")
                    return QStringLiteral("Table 'beallitasok' is marked as crashed");
                return std::nullopt;
            });
        QTest::mouseClick(menuButton("SCButton6"), Qt::LeftButton);
        QCOMPARE(m_services->messages.texts, QStringList{"Table 'beallitasok' is marked as crashed"});
        QVERIFY(menu()->isVisible());
        QVERIFY(!ui::windows().beallitasok_form->isVisible());
    }

    void databaseOperationsShowTheRegisterVersion_data()
    {
        QTest::addColumn<QStringList>("versions");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no version") << QStringList() << "Ismeretlen verzió!";
        QTest::newRow("newest of two")
            << QStringList({"2012-10-16 14:05:33", "2011-01-02 03:04:05"}) << "2012.10.16. 14:05:33";
    }
    void databaseOperationsShowTheRegisterVersion()
    {
        QFETCH(QStringList, versions);
        QFETCH(QString, shown);
        for (const QString& v : versions)
            exec("INSERT INTO SZERVEK_VERZIO (VERZIO_DATUMIDO) VALUES (:V)",
                 {{"V", QDateTime::fromString(v, "yyyy-MM-dd HH:mm:ss")}});
        Tadatbazis_form* f = ui::windows().adatbazis_form;
        f->showRefreshGroupOnly();
        control<QLineEdit>(f, "Edit2")->setText("C:/régi/Szervek.xls");
        control<QPushButton>(f, "SCButton2")->setEnabled(true);
        control<QProgressBar>(f, "JvGradientProgressBar1")->show();
        control<QLabel>(f, "Label3")->setText("17/250");
        QTest::mouseClick(menuButton("SCButton8"), Qt::LeftButton);
        QTRY_VERIFY(f->isVisible());
        QVERIFY(!menu()->isVisible());
        QCOMPARE(f->windowTitle(), QString("Adatbázis műveletek"));
        QCOMPARE(control<QLineEdit>(f, "Edit1")->text(), shown);
        QVERIFY(control<QLineEdit>(f, "Edit2")->text().isEmpty());
        QVERIFY(!control<QPushButton>(f, "SCButton2")->isEnabled());
        QVERIFY(!control<QProgressBar>(f, "JvGradientProgressBar1")->isVisible());
        QVERIFY(control<QLabel>(f, "Label3")->text().isEmpty());
        QCOMPARE(f->height(), 450);
        QCOMPARE(f->zipLibraryFolder(), app::appState().programFolder);
        for (QGroupBox* g : {control<QGroupBox>(f, "SCGroupBox1"), control<QGroupBox>(f, "SCGroupBox2"),
                             control<QGroupBox>(f, "SCGroupBox3"), control<QGroupBox>(f, "SCGroupBox4")}) {
            QVERIFY(g->isVisible());
            QVERIFY2(g->geometry().bottom() < f->height(), qPrintable(g->title()));
        }
        QCOMPARE(control<QGroupBox>(f, "SCGroupBox2")->title(),
                 QString("Adatbázis exportálás (biztonsági másolat készítése)"));
        QCOMPARE(control<QGroupBox>(f, "SCGroupBox3")->title(),
                 QString("Adatbázis importálás (visszatöltés biztonsági másolatból)"));
        shoot(f, "database_operations");
        f->close();
        QVERIFY(menu()->isVisible());
    }

    void refreshGroupAloneFitsTheShortWindow()
    {
        Tadatbazis_form* f = ui::windows().adatbazis_form;
        f->showRefreshGroupOnly();
        QCOMPARE(f->height(), 208);
        QVERIFY(control<QGroupBox>(f, "SCGroupBox1")->geometry().bottom() < 208);
        QVERIFY(control<QGroupBox>(f, "SCGroupBox2")->geometry().top() >= 208);
        f->showAllGroups();
    }

    void databaseOperationsErrorKeepsTheMenu()
    {
        store::TDM1::instance().MyConnection1.setStatementFault(
            [](const QString& sql) -> std::optional<QString> {
                if (sql.startsWith("SELECT * FROM SZERVEK_VERZIO"))
                    return QStringLiteral("Lost connection");
                return std::nullopt;
            });
        QTest::mouseClick(menuButton("SCButton8"), Qt::LeftButton);
        QCOMPARE(m_services->messages.texts, QStringList{"Lost connection"});
        QVERIFY(menu()->isVisible());
        QVERIFY(!ui::windows().adatbazis_form->isVisible());
    }

    void aboutBoxReplacesTheMenu()
    {
        Tnevjegy_form* about = ui::windows().nevjegy_form;
        QTest::mouseClick(menuButton("SCButton9"), Qt::LeftButton);
        QVERIFY(about->isVisible());
        QVERIFY(!menu()->isVisible());
        QCOMPARE(about->windowTitle(), QString("Dispora program névjegye"));
        QCOMPARE(control<QLabel>(about, "Label1")->text(), QString("Dispora"));
        QVERIFY(control<QLabel>(about, "Label1")->font().bold());
        QCOMPARE(control<QLabel>(about, "Label2")->text(), QString("Verzió 2.1.3 (2012-10-16)"));
        QVERIFY(!control<QLabel>(about, "Image1")->pixmap().isNull());
        shoot(about, "about_box");
        about->close();
        QVERIFY(menu()->isVisible());
        QCOMPARE(m_ends, 0);
    }

    void restoringAfterMinimiseBringsTheMenu()
    {
        menu()->minimiseProgram();
        QVERIFY(menu()->isMinimisedToTaskbar());
        QTRY_VERIFY(menu()->isMinimized());
        // The platform restores the window.
        menu()->setWindowState(menu()->windowState() & ~Qt::WindowMinimized);
        QTRY_VERIFY(!menu()->isMinimisedToTaskbar());
        QVERIFY(menu()->isVisible());
        QVERIFY(!menu()->isMinimized());
        QVERIFY(!ui::windows().ny_form->isVisible());
        QCOMPARE(m_ends, 0);
    }
};

QTEST_MAIN(TestGuiMenu)
#include "tst_gui_menu.moc"
