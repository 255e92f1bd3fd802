#include "app/AppState.h"
#include "app/ui/ConfirmDialog.h"
#include "app/ui/Windows.h"
#include "items/GroupEntry.h"
#include "items/ui/Tcsoportos_form.h"
#include "lists/ui/ListWorkspace.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace testsupport;
using items::GroupEntry;

namespace {

store::TDM1& dm()
{
    return store::TDM1::instance();
}

Tcsoportos_form* form()
{
    return ui::windows().csoportos_form;
}

qlonglong addItem(const QString& iktszam, int mjel, int sorszam, qlonglong szuloId = 0,
                  qlonglong csoportId = 0,
                  const QVariant& kcimzett = QStringLiteral("Honvédelmi Minisztérium"))
{
    exec(
        "INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,KCIMZETT,SZAMNELKULI,SORSZAM,KCIMZETT_AZ,DB,SZULO_ID,CSOPORT_ID) "
        "VALUES (4,:i,:m,:k,1,:s,'012345',1,:p,:c)",
        {{"i", iktszam}, {"m", mjel}, {"k", kcimzett}, {"s", sorszam}, {"p", szuloId}, {"c", csoportId}});
    return scalar("SELECT LAST_INSERT_ID()").toLongLong();
}

// Shows list 4 of the B-2 workspace with the given item selected.
ListWorkspace* showList(qlonglong selectedTetelId)
{
    store::Query& view = dm().MyQuery2;
    view.open("SELECT * FROM B2 WHERE LSZAM=:lszam ORDER BY SORSZAM,szulo_id,tetel_id", {{"lszam", 4}});
    for (view.first(); !view.eof() && view.value("TETEL_ID").toLongLong() != selectedTetelId; view.next()) {
    }
    ListWorkspace* workspace = ui::windows().b2f_form;
    workspace->show();
    return workspace;
}

// Opens "Aktív lista" (list 4: lists 1 to 3 are printed) in the B-2 workspace and
// selects the item's row in its grid as the operator would, by clicking it.
ListWorkspace* openActiveListAndSelect(qlonglong selectedTetelId)
{
    exec("INSERT INTO B2_ADATOK (LSZAM,JCIMZETT,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) VALUES "
         "(1,'',NOW(),1),(2,'',NOW(),1),(3,'',NOW(),1)");
    ListWorkspace* workspace = ui::windows().b2f_form;
    workspace->show();
    control<QPushButton>(workspace, "SCButton1")->click();
    if (app::appState().currentListNumber != 4)
        qFatal("list 4 expected");
    QTableView* grid = control<QTableView>(workspace, "DBGrid1");
    for (int row = 0; row < dm().MyQuery2.rowCount(); ++row) {
        if (dm().MyQuery2.value(row, "TETEL_ID").toLongLong() == selectedTetelId)
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(grid->model()->index(row, 1)).center());
    }
    return workspace;
}

QList<QPushButton*> panelButtons(ListWorkspace* w)
{
    return {control<QPushButton>(w, "SCButton3"), control<QPushButton>(w, "SCButton4"),
            control<QPushButton>(w, "SCButton5"), control<QPushButton>(w, "SCButton6"),
            control<QPushButton>(w, "SCButton7"), control<QPushButton>(w, "SCButton8"),
            control<QPushButton>(w, "SCButton9"), control<QPushButton>(w, "SCButton10")};
}

QStringList gridTexts(QTableView* grid)
{
    QStringList out;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        out << grid->model()->index(row, 0).data().toString();
    return out;
}

QStringList members()
{
    return rows("SELECT IKTSZAM FROM B2 WHERE SZULO_ID<>0 ORDER BY CSOPORT_ID");
}

void shoot(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("DISPORA_SHOTS");
    if (!folder.isEmpty())
        window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

class TestGuiGroupEntry : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        programFolder();
        installServices();
        createWindowsOnce();
    }
    void init()
    {
        resetTables();
        installServices().messages.texts.clear();
        ConfirmDialog::setScript({});
        app::appState().currentListKind = 1;
        app::appState().currentListNumber = 4;
        for (ListWorkspace* w : ui::windows().workspaces())
            w->setEnabled(true);
    }
    void cleanup()
    {
        form()->hide();
        for (ListWorkspace* w : ui::windows().workspaces())
            w->hide();
        ConfirmDialog::setScript({});
        // The operator turns to another window in between, so the next opening
        // activates the dialog afresh.
        m_elsewhere.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_elsewhere));
        m_elsewhere.activateWindow();
        QTRY_VERIFY(m_elsewhere.isActiveWindow());
        m_elsewhere.hide();
    }

    void windowLooksAsDesigned()
    {
        Tcsoportos_form* f = form();
        QCOMPARE(f->windowTitle(), QString("Csoportos felvitel"));
        QCOMPARE(f->size(), QSize(479, 468));
        QCOMPARE(control<QGroupBox>(f, "SCGroupBox1")->title(), QString("Csoportos küldemény fő adatai"));
        QVERIFY(!control<QGroupBox>(f, "SCGroupBox1")->isEnabled());
        QCOMPARE(control<QGroupBox>(f, "SCGroupBox2")->title(), QString("Tételek"));
        QCOMPARE(control<QLabel>(f, "Label1")->text(), QString("Sorszám:"));
        QCOMPARE(control<QLabel>(f, "Label2")->text(), QString("Küldemény címzettje:"));
        QCOMPARE(control<QLabel>(f, "Label3")->text(), QString("Küldemény nyt. száma:"));
        QCOMPARE(control<QLabel>(f, "Label4")->text(), QString("Új nyt.szám:"));
        QCOMPARE(control<QLineEdit>(f, "Edit4")->maxLength(), 30);
        QCOMPARE(control<QPushButton>(f, "SCButton1")->text(), QString("Hozzáadás"));
        QCOMPARE(control<QPushButton>(f, "SCButton2")->text(), QString("Kijelölt törlése"));
        QCOMPARE(control<QTableView>(f, "DBGrid1")->model()->columnCount(), 1);
        QCOMPARE(control<QTableView>(f, "DBGrid1")->model()->headerData(0, Qt::Horizontal).toString(),
                 QString("Nyilvántartási szám"));
        QCOMPARE(control<QTableView>(f, "DBGrid1")->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(control<QTableView>(f, "DBGrid1")->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    void openingShowsParentAndItsMembers()
    {
        addItem("első", 2, 1);
        const qlonglong parent = addItem("SZ-17/2026/1", 3, 2, 0, 0, QString());
        addItem("tag öt", 3, 2, parent, 5);
        addItem("tag három", 3, 2, parent, 3);
        ListWorkspace* workspace = showList(parent);

        form()->openFor(workspace);
        QVERIFY(form()->isVisible());
        QCOMPARE(control<QLineEdit>(form(), "Edit1")->text(), QString("2"));
        QCOMPARE(control<QLineEdit>(form(), "Edit2")->text(),
                 QString("-")); // displayed addressee of an empty one
        QCOMPARE(control<QLineEdit>(form(), "Edit3")->text(), QString("SZ-17/2026/1"));
        QCOMPARE(control<QLineEdit>(form(), "Edit4")->text(), QString());
        QCOMPARE(gridTexts(control<QTableView>(form(), "DBGrid1")), (QStringList{"tag három", "tag öt"}));
        QVERIFY(!workspace->isEnabled());
        QTRY_VERIFY(control<QLineEdit>(form(), "Edit4")->hasFocus());
        QVERIFY(installServices().messages.texts.isEmpty());
        shoot(form(), "group_entry");
    }

    // The workspace refuses these before opening; the dialog refuses them as well.
    void refusedParentsDoNotOpen_data()
    {
        QTest::addColumn<int>("mjel");
        QTest::addColumn<bool>("member");
        QTest::addColumn<bool>("emptyList");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty list") << 2 << false << true << GroupEntry::kNoItems;
        QTest::newRow("number-less") << 6 << false << false << GroupEntry::kNumberless;
        QTest::newRow("member") << 2 << true << false << GroupEntry::kMember;
    }
    void refusedParentsDoNotOpen()
    {
        QFETCH(int, mjel);
        QFETCH(bool, member);
        QFETCH(bool, emptyList);
        QFETCH(QString, message);
        qlonglong selected = 0;
        if (!emptyList) {
            const qlonglong parent = addItem("szülő", 2, 1);
            selected = addItem("kijelölt", mjel, 1, member ? parent : 0, member ? 1 : 0);
        }
        exec("INSERT INTO CSOPORTOS (ID,IKTSZAM) VALUES (1,'előző csoport')");
        ListWorkspace* workspace = showList(selected);
        form()->openFor(workspace);
        QCOMPARE(installServices().messages.texts, QStringList{message});
        QVERIFY(!form()->isVisible());
        QVERIFY(workspace->isEnabled());
        QCOMPARE(rows("SELECT IKTSZAM FROM CSOPORTOS"), QStringList{"előző csoport"});
    }

    void emptyNumberIsRefused()
    {
        const qlonglong parent = addItem("P", 2, 1);
        form()->openFor(showList(parent));
        control<QPushButton>(form(), "SCButton1")->click();
        QCOMPARE(installServices().messages.texts, QStringList{"Nincs megadva nyt.szám!"});
        QTest::keyClick(control<QLineEdit>(form(), "Edit4"), Qt::Key_Return);
        QCOMPARE(installServices().messages.texts.size(), 2);
        QCOMPARE(members(), QStringList{});
        QCOMPARE(rows("SELECT COUNT(*) FROM CSOPORTOS"), QStringList{"0"});
    }

    void enterAndButtonAttach()
    {
        const qlonglong parent = addItem("P", 2, 1);
        addItem("más", 2, 2);
        form()->openFor(showList(parent));
        QTRY_VERIFY(control<QLineEdit>(form(), "Edit4")->hasFocus());
        QTest::keyClicks(control<QLineEdit>(form(), "Edit4"), "SZ-1/2026");
        QTest::keyClick(control<QLineEdit>(form(), "Edit4"), Qt::Key_Return);
        QCOMPARE(members(), QStringList{"SZ-1/2026"});
        QCOMPARE(control<QLineEdit>(form(), "Edit4")->text(), QString());
        QVERIFY(control<QLineEdit>(form(), "Edit4")->hasFocus());

        control<QLineEdit>(form(), "Edit4")->setText("SZ-2/2026");
        control<QPushButton>(form(), "SCButton1")->click();
        QCOMPARE(members(), (QStringList{"SZ-1/2026", "SZ-2/2026"}));
        QCOMPARE(gridTexts(control<QTableView>(form(), "DBGrid1")), (QStringList{"SZ-1/2026", "SZ-2/2026"}));
        // The new member is selected in the grid.
        QCOMPARE(control<QTableView>(form(), "DBGrid1")->currentIndex().row(), 1);
        QCOMPARE(dm().MyQuery6.currentRow(), 1);
        // The item view shows both under their parent; the parent stays selected.
        QCOMPARE(dm().MyQuery2.rowCount(), 4);
        QCOMPARE(dm().MyQuery2.value("TETEL_ID").toLongLong(), parent);
        QCOMPARE(dm().MyQuery2.value(1, "IKTSZAM").toString(), QString("SZ-1/2026"));
        QCOMPARE(dm().MyQuery2.value(3, "IKTSZAM").toString(), QString("más"));
        QVERIFY(installServices().messages.texts.isEmpty());
        shoot(form(), "group_entry_members");
    }

    void removeActsOnlyOnYes_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("Igen") << 1 << QStringList{"A1", "A3"};
        QTest::newRow("Mégsem") << 2 << QStringList{"A1", "A2", "A3"};
        QTest::newRow("closed") << 0 << QStringList{"A1", "A2", "A3"};
    }
    void removeActsOnlyOnYes()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, left);
        const qlonglong other = addItem("B", 2, 2);
        addItem("B1", 2, 2, other, 1);
        const qlonglong parent = addItem("A", 2, 1);
        form()->openFor(showList(parent));
        for (const char* number : {"A1", "A2", "A3"}) {
            control<QLineEdit>(form(), "Edit4")->setText(number);
            control<QPushButton>(form(), "SCButton1")->click();
        }
        QTRY_VERIFY(form()->isActiveWindow());
        // The operator picks the middle member in the grid.
        QTableView* grid = control<QTableView>(form(), "DBGrid1");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(1, 0)).center());
        QCOMPARE(dm().MyQuery6.currentRow(), 1);
        QVERIFY(grid->hasFocus());

        int asked = 0;
        ConfirmDialog::setScript([&](ConfirmDialog& dialog) {
            ++asked;
            return dialog.objectName() == "Ttorles_form" ? answer : -1;
        });
        control<QPushButton>(form(), "SCButton2")->click();
        QCOMPARE(asked, 1);
        QCOMPARE(rows("SELECT IKTSZAM FROM B2 WHERE SZULO_ID=:p ORDER BY CSOPORT_ID", {{"p", parent}}), left);
        QCOMPARE(gridTexts(grid), left);
        QCOMPARE(rows("SELECT IKTSZAM FROM B2 WHERE SZULO_ID=:p", {{"p", other}}), QStringList{"B1"});
        QCOMPARE(dm().MyQuery2.rowCount(), 3 + left.size());
        if (answer == ConfirmDialog::Yes)
            QVERIFY(control<QLineEdit>(form(), "Edit4")->hasFocus());
    }

    void removeOnEmptyGroupAsksNothing()
    {
        const qlonglong parent = addItem("A", 2, 1);
        form()->openFor(showList(parent));
        int asked = 0;
        ConfirmDialog::setScript([&](ConfirmDialog&) { return ++asked, 1; });
        control<QPushButton>(form(), "SCButton2")->click();
        QCOMPARE(asked, 0);
        QCOMPARE(rows("SELECT COUNT(*) FROM B2"), QStringList{"1"});
    }

    void closingEnablesEveryWorkspace_data()
    {
        QTest::addColumn<bool>("byEsc");
        QTest::newRow("Esc") << true;
        QTest::newRow("close box") << false;
    }
    void closingEnablesEveryWorkspace()
    {
        QFETCH(bool, byEsc);
        const qlonglong parent = addItem("A", 2, 1);
        for (ListWorkspace* w : ui::windows().workspaces())
            w->setEnabled(false);
        ListWorkspace* workspace = showList(parent);
        workspace->setEnabled(true);
        form()->openFor(workspace);
        QVERIFY(!workspace->isEnabled());
        QTRY_VERIFY(control<QLineEdit>(form(), "Edit4")->hasFocus());
        if (byEsc)
            QTest::keyClick(control<QLineEdit>(form(), "Edit4"), Qt::Key_Escape);
        else
            form()->close();
        QVERIFY(!form()->isVisible());
        for (ListWorkspace* w : ui::windows().workspaces())
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    }

    void workspaceRefusesWrongRows_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty list, F4") << "" << true << GroupEntry::kNoItems;
        QTest::newRow("number-less row, F4") << "szamnelkuli" << true << GroupEntry::kNumberless;
        QTest::newRow("member, button") << "tag" << false << GroupEntry::kMember;
        QTest::newRow("number-less row, button") << "szamnelkuli" << false << GroupEntry::kNumberless;
    }
    void workspaceRefusesWrongRows()
    {
        QFETCH(QString, selected);
        QFETCH(bool, byKey);
        QFETCH(QString, message);
        qlonglong selectedId = 0;
        if (!selected.isEmpty()) {
            const qlonglong parent = addItem("szülő", 2, 1);
            const qlonglong member = addItem("tag", 2, 1, parent, 1);
            const qlonglong numberless = addItem(QString(), 6, 2, 0, 0, QString());
            selectedId = selected == "tag" ? member : numberless;
        }
        ListWorkspace* workspace = openActiveListAndSelect(selectedId);
        if (!selected.isEmpty())
            QCOMPARE(dm().MyQuery2.value("TETEL_ID").toLongLong(), selectedId);
        if (byKey)
            QTest::keyClick(control<QTableView>(workspace, "DBGrid1"), Qt::Key_F4);
        else
            control<QPushButton>(workspace, "SCButton5")->click();
        QCOMPARE(installServices().messages.texts, QStringList{message});
        QVERIFY(!form()->isVisible());
        QVERIFY(workspace->isEnabled());
    }

    // From the workspace's grid to the dialog and back, with every workspace and all
    // their panel buttons usable again after Esc.
    void groupEntryFromTheWorkspace()
    {
        addItem("első", 2, 1);
        const qlonglong parent = addItem("SZ-17/2026/1", 3, 2);
        addItem("harmadik", 2, 3);
        ListWorkspace* workspace = openActiveListAndSelect(parent);
        for (ListWorkspace* w : ui::windows().workspaces()) {
            for (QPushButton* b : panelButtons(w))
                b->setEnabled(false);
        }
        control<QPushButton>(workspace, "SCButton5")->setEnabled(true);
        QTest::keyClick(control<QTableView>(workspace, "DBGrid1"), Qt::Key_F4);
        QVERIFY(form()->isVisible());
        QVERIFY(!workspace->isEnabled());
        QCOMPARE(control<QLineEdit>(form(), "Edit1")->text(), QString("2"));
        QCOMPARE(control<QLineEdit>(form(), "Edit3")->text(), QString("SZ-17/2026/1"));
        QTRY_VERIFY(control<QLineEdit>(form(), "Edit4")->hasFocus());
        QTest::keyClicks(control<QLineEdit>(form(), "Edit4"), "SZ-18/2026/1");
        QTest::keyClick(control<QLineEdit>(form(), "Edit4"), Qt::Key_Return);

        // The workspace grid shows the member right under its parent, number only.
        QAbstractItemModel* items = control<QTableView>(workspace, "DBGrid1")->model();
        QCOMPARE(items->rowCount(), 4);
        QCOMPARE(items->index(2, 1).data().toString(), QString("SZ-18/2026/1"));
        QCOMPARE(items->index(2, 0).data().toString(), QString());
        QCOMPARE(items->index(3, 1).data().toString(), QString("harmadik"));

        QTest::keyClick(control<QLineEdit>(form(), "Edit4"), Qt::Key_Escape);
        QVERIFY(!form()->isVisible());
        for (ListWorkspace* w : ui::windows().workspaces()) {
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
            for (QPushButton* b : panelButtons(w))
                QVERIFY2(b->isEnabled(), qPrintable(w->objectName() + "." + b->objectName()));
        }
    }

private:
    QWidget m_elsewhere;
};

QTEST_MAIN(TestGuiGroupEntry)
#include "tst_gui_group_entry.moc"
