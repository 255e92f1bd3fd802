#include "app/AppState.h"
#include "app/ui/Windows.h"
#include "items/ui/Ttetelek_felvetele_form.h"
#include "lists/ListKind.h"
#include "lists/ui/ListWorkspace.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace testsupport;

namespace {

Ttetelek_felvetele_form* dialog()
{
    return ui::windows().tetelek_felvetele_form;
}

// Every visible control lies inside its parent and overlaps none of its visible siblings;
// no caption is cut off, except that a workspace on a screen narrower than an ordinary
// one shares out what width there is.
QStringList layoutFaults(QWidget* parent)
{
    const bool roomy = !qobject_cast<ListWorkspace*>(parent->window()) || parent->window()->width() >= 1024;
    QStringList faults;
    QList<QWidget*> shown;
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow() || child->isHidden() || child->objectName().isEmpty())
            continue;
        if (!parent->rect().contains(child->geometry()))
            faults << QStringLiteral("%1 sticks out of %2").arg(child->objectName(), parent->objectName());
        // Captions are not cut off.
        if (roomy && (qobject_cast<QAbstractButton*>(child) || qobject_cast<QLabel*>(child)) &&
            child->width() < child->sizeHint().width())
            faults << QStringLiteral("%1 is too narrow for its caption").arg(child->objectName());
        for (QWidget* other : std::as_const(shown)) {
            if (child->geometry().intersects(other->geometry()))
                faults << QStringLiteral("%1 overlaps %2").arg(child->objectName(), other->objectName());
        }
        shown << child;
        faults << layoutFaults(child);
    }
    return faults;
}

// With DISPORA_SHOTS set to a folder, the window is saved there as a picture to look at.
void shoot(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("DISPORA_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QCoreApplication::processEvents();
    window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void type(const QString& text)
{
    QTest::keyClicks(QApplication::focusWidget(), text);
    QCoreApplication::processEvents();
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

    ListWorkspace* openList(int kind)
    {
        app::appState().currentListKind = kind;
        ListWorkspace* w = ui::windows().workspace(kind);
        w->openFromMenu();
        control<QPushButton>(w, "SCButton1")->click();
        return w;
    }

private slots:
    void initTestCase()
    {
        installServices();
        createWindowsOnce();
    }
    void init()
    {
        resetTables();
        for (QWidget* w : QApplication::topLevelWidgets())
            w->hide();
        dialog()->enable_list_workspaces();
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV,ROVIDNEV,MINOSITETT) VALUES "
             "('100001','Honvédelmi Minisztérium','HM',0),('100002','Honvéd Kórház','HK',0),"
             "('100003','Honvéd Kulturális Központ','',0),('100004','Honvéd Vezérkar','HVK',1),"
             "('100005','Honvédség Logisztikai Központ','',0),('100006','Honvéd Egészségügyi Központ','',0)");
    }

    void nationalListWithEveryLevel()
    {
        exec("INSERT INTO B2_ADATOK (LSZAM,JCIMZETT) VALUES (12,'Központi Futárszolgálat')");
        exec(
            "INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB,SZULO_ID) VALUES "
            "(12,'SZT-14/2026/1',1,'HM','100001',1,1,1,0),(12,'T-331/2026/1',2,'HM','100001',2,2,1,0),"
            "(12,'T-331/2026/2',2,'HM','100001',2,3,1,0),(12,'B-77/2026/1',3,'Honvéd "
            "Kórház','100002',1,4,1,0),"
            "(12,'K-5/2026/1',4,'HM','100001',1,5,1,0),(12,'NY-1024/2026',5,'Kiss és Társa "
            "Kft.','0',4,6,4,0),"
            "(12,'',6,'','',7,7,7,0),(12,'T-331/2026/3',2,'HM','100001',1,2,1,2)");
        ListWorkspace* w = openList(1);
        dialog()->close();
        QCOMPARE(control<QTableView>(w, "DBGrid1")->model()->rowCount(), 8);
        QVERIFY2(layoutFaults(w).isEmpty(), qPrintable(layoutFaults(w).join("; ")));
        shoot(w, "workspace_b2");
    }

    void natoList()
    {
        exec("INSERT INTO B2NATO_ADATOK (LSZAM,JCIMZETT) VALUES (3,'NATO Nyilvántartó')");
        exec("INSERT INTO B2NATO (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB) VALUES "
             "(3,'NS-101/2026',0,'HM','100001',0,1,1),(3,'NS-101/2026',0,'HM','100001',0,2,1),"
             "(3,'NC-12/2026',0,'HK','100002',0,3,1)");
        ListWorkspace* w = openList(4);
        dialog()->close();
        QVERIFY2(layoutFaults(w).isEmpty(), qPrintable(layoutFaults(w).join("; ")));
        shoot(w, "workspace_b2nato");
    }

    void entryDialogLayouts()
    {
        exec("INSERT INTO BEALLITASOK (NEV,FUTARJEGYZEK_CIMZETTJE) VALUES ('Saját','Központi "
             "Futárszolgálat')");
        openList(2);
        QTRY_VERIFY(dialog()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(dialog()));
        QVERIFY2(layoutFaults(dialog()).isEmpty(), qPrintable(layoutFaults(dialog()).join("; ")));
        shoot(dialog(), "entry_level_step");

        type("3");
        QTRY_COMPARE(QApplication::focusWidget(),
                     static_cast<QWidget*>(control<QComboBox>(dialog(), "Edit4")));
        control<QComboBox>(dialog(), "Edit4")->setEditText(QStringLiteral("Honvédelmi Minisztérium"));
        control<QLineEdit>(dialog(), "Edit5")->setText(QStringLiteral("B-77/2026/1"));
        control<QLineEdit>(dialog(), "Edit6")->setText(QStringLiteral("3"));
        QVERIFY2(layoutFaults(dialog()).isEmpty(), qPrintable(layoutFaults(dialog()).join("; ")));
        shoot(dialog(), "entry_numbered");

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        type("6");
        QVERIFY2(layoutFaults(dialog()).isEmpty(), qPrintable(layoutFaults(dialog()).join("; ")));
        shoot(dialog(), "entry_numberless");
        dialog()->close();

        openList(5);
        QTRY_VERIFY(dialog()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(dialog()));
        type("Honv");
        QTRY_VERIFY(QApplication::activePopupWidget());
        QVERIFY2(layoutFaults(dialog()).isEmpty(), qPrintable(layoutFaults(dialog()).join("; ")));
        shoot(dialog(), "entry_nato");
        shoot(QApplication::activePopupWidget(), "entry_nato_names");
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        dialog()->close();
    }
};

QTEST_MAIN(TestLayout)
#include "tst_gui_layout.moc"
