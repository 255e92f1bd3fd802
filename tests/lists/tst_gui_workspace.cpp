#include "ListHeaders.h"
#include "app/AppState.h"
#include "app/ui/ConfirmDialog.h"
#include "app/ui/TForm1.h"
#include "app/ui/Windows.h"
#include "items/ui/Tcsoportos_form.h"
#include "items/ui/Ttetelek_felvetele_form.h"
#include "lists/ItemDeletion.h"
#include "lists/ListKind.h"
#include "lists/ListSelection.h"
#include "lists/ui/ListWorkspace.h"
#include "lists/ui/Telonezet_form.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>

using namespace testsupport;

namespace {

store::TDM1& dm()
{
    return store::TDM1::instance();
}

Ttetelek_felvetele_form* entryDialog()
{
    return ui::windows().tetelek_felvetele_form;
}

QWidget* menu()
{
    return ui::windows().form1;
}

void addSettings(const QString& defaultAddressee)
{
    exec("INSERT INTO BEALLITASOK "
         "(NEV,SZERVKOD,FUTARJEGYZEK_CIMZETTJE,FELSO,ALSO,BAL,JOBB,alapertelmezett_nyomtato) "
         "VALUES ('Saját Szerv','123456',:c,10,10,10,10,1)",
         {{"c", defaultAddressee}});
}

qlonglong addItem(const QString& table, int list, int mjel, const QString& iktszam, int serial,
                  qlonglong parent = 0, int db = 1)
{
    exec(QStringLiteral(
             "INSERT INTO %1 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB,SZULO_ID) "
             "VALUES (:l,:i,:m,:k,'100001',1,:s,:d,:p)")
             .arg(table),
         {{"l", list},
          {"i", iktszam},
          {"m", mjel},
          {"k", mjel == 6 ? QString() : QStringLiteral("HM")},
          {"s", serial},
          {"d", db},
          {"p", parent}});
    return scalar("SELECT LAST_INSERT_ID()").toLongLong();
}

ListWorkspace* openWorkspace(int kind)
{
    app::appState().currentListKind = kind;
    ListWorkspace* w = ui::windows().workspace(kind);
    w->openFromMenu();
    return w;
}

// The texts of one grid row, columns joined with '|'.
QString gridRow(QTableView* grid, int row)
{
    QStringList cells;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        cells << grid->model()->index(row, column).data().toString();
    return cells.join(u'|');
}

// Presses a key on the focused control once the window is active, as the operator would.
bool press(QWidget* window, Qt::Key key)
{
    if (!QTest::qWaitForWindowActive(window))
        return false;
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : window, key);
    return true;
}

void waitPastTimer()
{
    // Longer than the workspace's 100 ms start of item entry.
    QTest::qWait(250);
}

} // namespace

class TestWorkspace : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        installServices();
        createWindowsOnce();
    }

    void init()
    {
        resetTables();
        installServices().messages.texts.clear();
        installServices().messages.onInform = {};
        installServices().printers.clear();
        ConfirmDialog::setScript({});
        for (QWidget* w : QApplication::topLevelWidgets())
            w->hide();
        entryDialog()->enable_list_workspaces();
        menu()->show();
    }

    void openingShowsTheStartScreen_data()
    {
        QTest::addColumn<int>("kind");
        for (int kind = 1; kind <= lists::kListKindCount; ++kind)
            QTest::newRow(qPrintable(lists::listKind(kind).windowName)) << kind;
    }
    void openingShowsTheStartScreen()
    {
        QFETCH(int, kind);
        exec("INSERT INTO SZERVEK (TKOD,SZERVNEV) VALUES ('1','B szerv'),('2','A szerv')");
        addHeaders(lists::listKind(kind).headerTable, {"1:X:p"});
        ListWorkspace* w = ui::windows().workspace(kind);
        QCOMPARE(w->objectName(), lists::listKind(kind).windowName);
        QCOMPARE(w->windowTitle(), lists::listKind(kind).caption);

        // Opened once showing the previous list, closed, opened again: the start screen.
        openWorkspace(kind);
        control<QPushButton>(w, "SCButton2")->click();
        QVERIFY(w->previousPanelShown());
        w->close();
        openWorkspace(kind);

        QVERIFY(w->isVisible());
        QVERIFY(!menu()->isVisible());
        QVERIFY(!w->activePanelShown());
        QVERIFY(!w->previousPanelShown());
        QVERIFY(control<QPushButton>(w, "SCButton1")->isVisible());
        QVERIFY(control<QPushButton>(w, "SCButton2")->isVisible());
        QCOMPARE(control<QPushButton>(w, "SCButton1")->x(),
                 w->width() / 2 - control<QPushButton>(w, "SCButton1")->width() / 2);
        QCOMPARE(control<QPushButton>(w, "SCButton2")->x(),
                 w->width() / 2 - control<QPushButton>(w, "SCButton2")->width() / 2);
        const QScreen* screen = w->screen();
        QCOMPARE(w->pos(), screen->availableGeometry().topLeft());
        QCOMPARE(w->frameGeometry().width(), screen->geometry().width());
        QCOMPARE(w->frameGeometry().height(), screen->availableGeometry().height());
        // The names of the addressee box are loaded.
        QVERIFY(dm().MyQuery4.isOpen());
        QCOMPARE(dm().MyQuery4.rowCount(), 2);
        QCOMPARE(dm().MyQuery4.value(0, "SZERVNEV").toString(), QString("A szerv"));
        // The entry dialog is set up for the kind.
        QCOMPARE(control<QGroupBox>(entryDialog(), "SCGroupBox1")->isHidden(),
                 !lists::listKind(kind).hasClassificationChoice);
        w->close();
        QVERIFY(menu()->isVisible());
    }

    void activeList_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QString>("settings"); // default list addressee; empty: no settings row
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("addressee");
        QTest::newRow("empty header table") << 1 << QStringList{} << "Alapértelmezett"
                                            << "Listaszám: 1"
                                            << "Alapértelmezett";
        QTest::newRow("newest printed")
            << 2 << QStringList{"1:A:p", "2:A:p", "3:A:p", "4:B:p"} << "Alapértelmezett"
            << "Listaszám: 5"
            << "Alapértelmezett";
        QTest::newRow("newest unprinted")
            << 3 << QStringList{"1:A:p", "2:A:p", "3:A:p", "4:Tárolt:"} << "Alapértelmezett"
            << "Listaszám: 4"
            << "Tárolt";
        QTest::newRow("newest unprinted without addressee")
            << 4 << QStringList{"1:A:p", "2:A:p", "3:A:p", "4::"} << "Alapértelmezett"
            << "Listaszám: 4"
            << "Alapértelmezett";
        QTest::newRow("no settings") << 5 << QStringList{"1:A:p"} << ""
                                     << "Listaszám: 2"
                                     << "";
    }
    void activeList()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, headers);
        QFETCH(QString, settings);
        QFETCH(QString, number);
        QFETCH(QString, addressee);
        const QString headerTable = lists::listKind(kind).headerTable;
        addHeaders(headerTable, headers);
        if (!settings.isEmpty())
            addSettings(settings);
        addItem(lists::listKind(kind).itemTable, 4, kind < 4 ? 2 : 0, "a négyes listán", 1);
        const QStringList before = rows(QStringLiteral("SELECT * FROM %1 ORDER BY LSZAM").arg(headerTable));

        ListWorkspace* w = openWorkspace(kind);
        QVERIFY(press(w, Qt::Key_Return));
        QVERIFY(w->activePanelShown());
        QVERIFY(!control<QPushButton>(w, "SCButton1")->isVisible());
        QCOMPARE(control<QLabel>(w, "Label1")->text(), number);
        QCOMPARE(control<QLineEdit>(w, "Edit1")->text(), addressee);
        QCOMPARE(app::appState().currentListNumber, number.mid(11).toInt());
        QCOMPARE(control<QTableView>(w, "DBGrid1")->model()->rowCount(), number == "Listaszám: 4" ? 1 : 0);
        QCOMPARE(rows(QStringLiteral("SELECT * FROM %1 ORDER BY LSZAM").arg(headerTable)), before);
        QCOMPARE(control<QTableView>(w, "DBGrid1")->model()->headerData(2, Qt::Horizontal).toString(),
                 lists::listKind(kind).classificationTitle);
        entryDialog()->close();
    }

    void previousListRefused_data()
    {
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QString>("message");
        QTest::newRow("no list yet") << QStringList{} << lists::ListSelection::kNoListYet;
        QTest::newRow("none printed") << QStringList{"1:A:", "2:B:"} << lists::ListSelection::kNonePrinted;
    }
    void previousListRefused()
    {
        QFETCH(QStringList, headers);
        QFETCH(QString, message);
        addHeaders("B2_ADATOK", headers);
        ListWorkspace* w = openWorkspace(1);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(control<QPushButton>(w, "SCButton1"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>(w, "SCButton2"));
        QVERIFY(press(w, Qt::Key_Return));
        QCOMPARE(installServices().messages.texts, QStringList{message});
        QVERIFY(!w->previousPanelShown());
        QVERIFY(!w->activePanelShown());
        QVERIFY(control<QPushButton>(w, "SCButton2")->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), control<QPushButton>(w, "SCButton1"));
        waitPastTimer();
        QVERIFY(!entryDialog()->isVisible());
    }

    void previousListShowsTheDefaultAddressee()
    {
        addHeaders("B2ZSAK_ADATOK", {"1:A:p", "2:B:", "3:C:p", "4:Tárolt:p"});
        addSettings("Alapértelmezett");
        addItem("B2ZSAK", 4, 3, "negyedik", 1);
        addItem("B2ZSAK", 3, 3, "harmadik", 1);
        ListWorkspace* w = openWorkspace(3);
        control<QPushButton>(w, "SCButton2")->click();
        QVERIFY(w->previousPanelShown());
        QVERIFY(!w->activePanelShown());
        QCOMPARE(control<QLabel>(w, "Label3")->text(), QString("Listaszám: 4"));
        QCOMPARE(control<QLineEdit>(w, "Edit2")->text(), QString("Alapértelmezett"));
        // The stored addressee waits in the hidden box for the header update.
        QCOMPARE(control<QLineEdit>(w, "Edit1")->text(), QString("Tárolt"));
        QCOMPARE(app::appState().currentListNumber, 4);
        QCOMPARE(control<QTableView>(w, "DBGrid2")->model()->rowCount(), 1);
        QCOMPARE(gridRow(control<QTableView>(w, "DBGrid2"), 0), QString("1|negyedik|Bizalmas|1|HM"));
        entryDialog()->close();
    }

    void entryStartsByItselfOnlyWithAnAddressee_data()
    {
        QTest::addColumn<bool>("previous");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("opens");
        QTest::newRow("active list with addressee") << false << "Futárszolgálat" << true;
        QTest::newRow("active list without addressee") << false << "" << false;
        QTest::newRow("previous list with addressee") << true << "Futárszolgálat" << true;
        QTest::newRow("previous list without addressee") << true << "" << false;
    }
    void entryStartsByItselfOnlyWithAnAddressee()
    {
        QFETCH(bool, previous);
        QFETCH(QString, settings);
        QFETCH(bool, opens);
        addHeaders("B2_ADATOK", {"1:Tárolt:p"});
        if (!settings.isEmpty())
            addSettings(settings);
        ListWorkspace* w = openWorkspace(1);
        (previous ? control<QPushButton>(w, "SCButton2") : control<QPushButton>(w, "SCButton1"))->click();
        QVERIFY(!entryDialog()->isVisible());
        QVERIFY(w->isEnabled());
        if (opens) {
            QTRY_VERIFY(entryDialog()->isVisible());
            QVERIFY(!w->isEnabled());
            QPushButton* add =
                previous ? control<QPushButton>(w, "SCButton7") : control<QPushButton>(w, "SCButton3");
            QPushButton* print =
                previous ? control<QPushButton>(w, "SCButton10") : control<QPushButton>(w, "SCButton6");
            QVERIFY(!add->isEnabled());
            QVERIFY(!print->isEnabled());
            QTRY_COMPARE(QApplication::focusWidget(), control<QLineEdit>(entryDialog(), "Edit3"));
            QVERIFY(press(entryDialog(), Qt::Key_Escape));
            QVERIFY(!entryDialog()->isVisible());
            QVERIFY(w->isEnabled());
            QVERIFY(add->isEnabled());
            QVERIFY(print->isEnabled());
        } else {
            waitPastTimer();
            QVERIFY(!entryDialog()->isVisible());
            QVERIFY(w->isEnabled());
        }
    }

    void gridShowsTheDisplayColumns()
    {
        addSettings("");
        addHeaders("B2_ADATOK", {"1::"});
        const qlonglong parent = addItem("B2", 1, 2, "P-1", 1);
        addItem("B2", 1, 2, "P-1/a", 1, parent);
        addItem("B2", 1, 5, "R-7", 2, 0, 4);
        addItem("B2", 1, 6, "", 3, 0, 7);
        ListWorkspace* w = openWorkspace(1);
        control<QPushButton>(w, "SCButton1")->click();
        QTableView* grid = control<QTableView>(w, "DBGrid1");
        QCOMPARE(grid->model()->rowCount(), 4);
        QCOMPARE(gridRow(grid, 0), QString("1|P-1|Titkos|1|HM"));
        QCOMPARE(gridRow(grid, 1), QString("|P-1/a|||"));
        QCOMPARE(gridRow(grid, 2), QString("2|R-7|Nyilvántartott|4|HM"));
        QCOMPARE(gridRow(grid, 3), QString("3|-|Sima|7|-"));
        QStringList titles;
        for (int c = 0; c < 5; ++c)
            titles << grid->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{"Ssz.", "Iktatószám+példánysorszám", "Minősítési szint", "Darabszám",
                                      "Küldemény címzettje"}));
        QCOMPARE(grid->columnWidth(0), 40);
        QCOMPARE(grid->columnWidth(1), 230);
        QCOMPARE(grid->columnWidth(2), 170);
        QCOMPARE(grid->columnWidth(3), 90);
        QVERIFY(grid->columnWidth(4) > 90);
        QCOMPARE(grid->horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(!control<QLineEdit>(w, "Edit1")->isEnabled() || control<QLineEdit>(w, "Edit1")->isReadOnly());
        QCOMPARE(control<QLineEdit>(w, "Edit1")->focusPolicy(), Qt::NoFocus);
        // Layout: panel 4 px inside the window, buttons 8 px below the grid and 8 px apart.
        QCOMPARE(control<QGroupBox>(w, "SCGroupBox1")->geometry(), w->rect().adjusted(4, 4, -4, -4));
        const QRect gridRect = grid->geometry();
        QCOMPARE(control<QPushButton>(w, "SCButton3")->y(), gridRect.bottom() + 1 + 8);
        QCOMPARE(control<QPushButton>(w, "SCButton5")->x(),
                 control<QPushButton>(w, "SCButton3")->geometry().right() + 1 + 8);
        QCOMPARE(control<QPushButton>(w, "SCButton4")->x(),
                 control<QPushButton>(w, "SCButton5")->geometry().right() + 1 + 8);
        QCOMPARE(control<QPushButton>(w, "SCButton6")->x(),
                 control<QPushButton>(w, "SCButton4")->geometry().right() + 1 + 8);
        QVERIFY(qAbs((control<QPushButton>(w, "SCButton3")->x() - 0) -
                     (control<QGroupBox>(w, "SCGroupBox1")->width() -
                      control<QPushButton>(w, "SCButton6")->geometry().right() - 1)) <= 1);
    }

    void natoGridHasABlankClassificationTitle()
    {
        addItem("BZS3NATO", 1, 0, "N-1", 1);
        ListWorkspace* w = openWorkspace(5);
        control<QPushButton>(w, "SCButton1")->click();
        QCOMPARE(control<QTableView>(w, "DBGrid1")->model()->headerData(2, Qt::Horizontal).toString(),
                 QString(" "));
        QCOMPARE(gridRow(control<QTableView>(w, "DBGrid1"), 0), QString("1|N-1||1|HM"));
    }

    void gridSelectionIsTheItemViewsCurrentRow()
    {
        for (int i = 1; i <= 4; ++i)
            addItem("BZS3", 1, 3, QStringLiteral("I-%1").arg(i), i);
        ListWorkspace* w = openWorkspace(2);
        control<QPushButton>(w, "SCButton1")->click();
        QTableView* grid = control<QTableView>(w, "DBGrid1");
        QCOMPARE(dm().MyQuery2.currentRow(), 0);
        QCOMPARE(grid->currentIndex().row(), 0);
        const QRect cell = grid->visualRect(grid->model()->index(2, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(dm().MyQuery2.currentRow(), 2);
        QVERIFY(press(w, Qt::Key_Down));
        QCOMPARE(dm().MyQuery2.currentRow(), 3);
        QCOMPARE(dm().MyQuery2.value("IKTSZAM").toString(), QString("I-4"));
        // A reload keeps the row, and the grid stays with it.
        dm().MyQuery2.refresh();
        QCOMPARE(dm().MyQuery2.currentRow(), 3);
        QCOMPARE(grid->currentIndex().row(), 3);
        QVERIFY(grid->selectionModel()->isRowSelected(3, {}));
        // Reopening the list starts again at the first row, in the grid too.
        dm().MyQuery2.open();
        QCOMPARE(grid->currentIndex().row(), 0);
    }

    void groupEntryRefusals_data()
    {
        QTest::addColumn<int>("selectedRow");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty list")
            << -1 << "Nincs a jegyzéknek még egy tétele sem, először vigyen fel egy tételt!";
        QTest::newRow("number-less row")
            << 2 << "Számnélküli küldeményhez nem lehet további tételeket rendelni!";
        QTest::newRow("group member")
            << 1
            << "Ehhez a tételhez nem lehet további tételeket rendelni, válassza a szülő "
               "tételt!";
        QTest::newRow("parent item") << 0 << "";
    }
    void groupEntryRefusals()
    {
        QFETCH(int, selectedRow);
        QFETCH(QString, message);
        if (selectedRow >= 0) {
            const qlonglong parent = addItem("B2", 1, 1, "P", 1);
            addItem("B2", 1, 1, "P/1", 1, parent);
            addItem("B2", 1, 6, "", 2, 0, 3);
        }
        ListWorkspace* w = openWorkspace(1);
        control<QPushButton>(w, "SCButton1")->click();
        if (selectedRow >= 0)
            control<QTableView>(w, "DBGrid1")->selectRow(selectedRow);
        QVERIFY(press(w, Qt::Key_F4));
        if (message.isEmpty()) {
            QVERIFY(installServices().messages.texts.isEmpty());
            QTRY_VERIFY(ui::windows().csoportos_form->isVisible());
            QVERIFY(!w->isEnabled());
            ui::windows().csoportos_form->close();
            QVERIFY(w->isEnabled());
        } else {
            QCOMPARE(installServices().messages.texts, QStringList{message});
            QVERIFY(!ui::windows().csoportos_form->isVisible());
            QVERIFY(w->isEnabled());
        }
    }

    void deleteAsksRemovesAndRenumbers()
    {
        for (const char* i : {"a", "b", "c"})
            addItem("B2NATO", 1, 0, i, 0);
        ListWorkspace* w = openWorkspace(4);
        entryDialog()->sorszam_rendezo(1);
        control<QPushButton>(w, "SCButton1")->click();
        control<QTableView>(w, "DBGrid1")->selectRow(1);
        int asked = 0;
        int answer = ConfirmDialog::No;
        ConfirmDialog::setScript([&](ConfirmDialog&) {
            ++asked;
            return answer;
        });
        QVERIFY(press(w, Qt::Key_F6));
        QCOMPARE(asked, 1);
        QCOMPARE(rows("SELECT IKTSZAM, SORSZAM FROM B2NATO ORDER BY SORSZAM"),
                 (QStringList{"a|1", "b|2", "c|3"}));
        answer = ConfirmDialog::Yes;
        QVERIFY(press(w, Qt::Key_F6));
        QCOMPARE(asked, 2);
        QCOMPARE(rows("SELECT IKTSZAM, SORSZAM FROM B2NATO ORDER BY SORSZAM"), (QStringList{"a|1", "c|2"}));
        QCOMPARE(control<QTableView>(w, "DBGrid1")->model()->rowCount(), 2);
        QCOMPARE(gridRow(control<QTableView>(w, "DBGrid1"), 1), QString("2|c||1|HM"));
        QCOMPARE(control<QTableView>(w, "DBGrid1")->currentIndex().row(), dm().MyQuery2.currentRow());
        QVERIFY(installServices().messages.texts.isEmpty());
    }

    void deleteRefusesAParentWithMembers()
    {
        ConfirmDialog::setScript([](ConfirmDialog&) { return int(ConfirmDialog::Yes); });
        const qlonglong parent = addItem("B2", 1, 2, "P", 1);
        addItem("B2", 1, 2, "P/1", 1, parent);
        addItem("B2", 1, 3, "Q", 2);
        ListWorkspace* w = openWorkspace(1);
        control<QPushButton>(w, "SCButton1")->click();
        control<QTableView>(w, "DBGrid1")->selectRow(0);
        control<QPushButton>(w, "SCButton4")->click();
        QCOMPARE(installServices().messages.texts, QStringList{lists::ItemDeletion::kHasMembers});
        QCOMPARE(rows("SELECT IKTSZAM FROM B2 ORDER BY TETEL_ID"), (QStringList{"P", "P/1", "Q"}));
        // The member goes on its own and the list is renumbered; then the parent may go.
        control<QTableView>(w, "DBGrid1")->selectRow(1);
        control<QPushButton>(w, "SCButton4")->click();
        QCOMPARE(rows("SELECT IKTSZAM, SORSZAM FROM B2 ORDER BY TETEL_ID"), (QStringList{"P|1", "Q|2"}));
        control<QTableView>(w, "DBGrid1")->selectRow(0);
        control<QPushButton>(w, "SCButton4")->click();
        QCOMPARE(rows("SELECT IKTSZAM, SORSZAM FROM B2 ORDER BY TETEL_ID"), (QStringList{"Q|1"}));
        QCOMPARE(installServices().messages.texts.size(), 1);
    }

    // F7 previews only with a panel up, and an empty list has nothing to preview.
    void f7PreviewsOnlyAListWithItems()
    {
        ListWorkspace* w = openWorkspace(1);
        QVERIFY(control<QPushButton>(w, "SCButton11")->isVisible());
        QVERIFY(press(w, Qt::Key_F7));
        QVERIFY(!ui::windows().elonezet_form->isVisible());
        QVERIFY(installServices().messages.texts.isEmpty());
        control<QPushButton>(w, "SCButton1")->click();
        QVERIFY(!control<QPushButton>(w, "SCButton11")->isVisible());
        QVERIFY(press(w, Qt::Key_F7));
        QVERIFY(!ui::windows().elonezet_form->isVisible());
        QCOMPARE(installServices().messages.texts,
                 QStringList{"Nincs tétele a jegyzéknek, nem lehet nyomtatni!"});
        QCOMPARE(installServices().printers.calls, 0);
    }

    void f6OnAnEmptyListAsksNothing()
    {
        int asked = 0;
        ConfirmDialog::setScript([&](ConfirmDialog&) {
            ++asked;
            return int(ConfirmDialog::Yes);
        });
        ListWorkspace* w = openWorkspace(1);
        control<QPushButton>(w, "SCButton1")->click();
        QVERIFY(press(w, Qt::Key_F6));
        control<QPushButton>(w, "SCButton4")->click();
        QCOMPARE(asked, 0);
        QVERIFY(installServices().messages.texts.isEmpty());
    }

    void escapeReturnsToTheStartScreenThenCloses()
    {
        ListWorkspace* w = openWorkspace(2);
        QVERIFY(press(w, Qt::Key_Return));
        QVERIFY(w->activePanelShown());
        QVERIFY(press(w, Qt::Key_Escape));
        QVERIFY(!w->activePanelShown());
        QVERIFY(control<QPushButton>(w, "SCButton1")->isVisible());
        QVERIFY(control<QPushButton>(w, "SCButton2")->isVisible());
        QVERIFY(w->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), control<QPushButton>(w, "SCButton1"));
        QVERIFY(press(w, Qt::Key_Escape));
        QVERIFY(!w->isVisible());
        QVERIFY(menu()->isVisible());
    }

    void functionKeysDoNothingOnTheStartScreen()
    {
        int asked = 0;
        ConfirmDialog::setScript([&](ConfirmDialog&) { return ++asked; });
        addItem("B2", 1, 2, "x", 1);
        ListWorkspace* w = openWorkspace(1);
        for (Qt::Key key : {Qt::Key_F2, Qt::Key_F4, Qt::Key_F6, Qt::Key_F8})
            QVERIFY(press(w, key));
        QVERIFY(!entryDialog()->isVisible());
        QVERIFY(!ui::windows().csoportos_form->isVisible());
        QCOMPARE(asked, 0);
        QVERIFY(installServices().messages.texts.isEmpty());
        QVERIFY(installServices().printers.jobs.empty());
        QVERIFY(control<QPushButton>(w, "SCButton1")->isVisible());
    }

    void f2OpensTheEntryDialogForTheKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("national") << 2;
        QTest::newRow("NATO") << 4;
    }
    void f2OpensTheEntryDialogForTheKind()
    {
        QFETCH(int, kind);
        ListWorkspace* w = openWorkspace(kind);
        control<QPushButton>(w, "SCButton1")->click();
        waitPastTimer();
        QVERIFY(!entryDialog()->isVisible());
        QVERIFY(press(w, Qt::Key_F2));
        QVERIFY(entryDialog()->isVisible());
        QVERIFY(!w->isEnabled());
        const bool nato = !lists::listKind(kind).hasClassificationChoice;
        QTRY_COMPARE(QApplication::focusWidget(),
                     nato ? static_cast<QWidget*>(control<QComboBox>(entryDialog(), "Edit4"))
                          : static_cast<QWidget*>(control<QLineEdit>(entryDialog(), "Edit3")));
        control<QPushButton>(entryDialog(), "SCButton4")->click();
        QVERIFY(!entryDialog()->isVisible());
        QVERIFY(w->isEnabled());
        QVERIFY(control<QPushButton>(w, "SCButton3")->isEnabled());
    }

    void printingReturnsToTheStartScreen()
    {
        addSettings("Futárszolgálat");
        addHeaders("B2_ADATOK", {"1:Futárszolgálat:"});
        addItem("B2", 1, 2, "x", 1);
        ListWorkspace* w = openWorkspace(1);
        control<QPushButton>(w, "SCButton1")->click();
        entryDialog()->close();
        QVERIFY(press(w, Qt::Key_F8));
        QCOMPARE(installServices().printers.jobs.size(), size_t(2));
        QVERIFY(!w->activePanelShown());
        QVERIFY(control<QPushButton>(w, "SCButton1")->isVisible());
        QCOMPARE(rows("SELECT LSZAM, NYOMTATAS_DATUMA IS NOT NULL FROM B2_ADATOK"), QStringList{"1|1"});
        // The printed list is now the previous list; the active list is the next one.
        control<QPushButton>(w, "SCButton1")->click();
        entryDialog()->close();
        QCOMPARE(control<QLabel>(w, "Label1")->text(), QString("Listaszám: 2"));
        QCOMPARE(control<QTableView>(w, "DBGrid1")->model()->rowCount(), 0);
    }

    void printingRefusedOrFailedStaysOnThePanel_data()
    {
        QTest::addColumn<bool>("withItem");
        QTest::addColumn<int>("failAtJob");
        QTest::addColumn<QString>("message");
        QTest::newRow("no item") << false << 0 << "Nincs tétele a jegyzéknek, nem lehet nyomtatni!";
        QTest::newRow("printer fails") << true << 1 << "";
        QTest::newRow("second copy fails") << true << 2 << "";
    }
    void printingRefusedOrFailedStaysOnThePanel()
    {
        QFETCH(bool, withItem);
        QFETCH(int, failAtJob);
        QFETCH(QString, message);
        addSettings("Futárszolgálat");
        addHeaders("B2_ADATOK", {"1:Futárszolgálat:"});
        if (withItem)
            addItem("B2", 1, 2, "x", 1);
        installServices().printers.failAtJob = failAtJob;
        ListWorkspace* w = openWorkspace(1);
        control<QPushButton>(w, "SCButton1")->click();
        entryDialog()->close();
        control<QPushButton>(w, "SCButton6")->click();
        QCOMPARE(installServices().messages.texts.size(), 1);
        if (!message.isEmpty())
            QCOMPARE(installServices().messages.texts.first(), message);
        QVERIFY(w->activePanelShown());
        QCOMPARE(rows("SELECT NYOMTATAS_DATUMA FROM B2_ADATOK"), QStringList{"NULL"});
    }

    void b2MinimiseTakesTheProgramAlong_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("together");
        QTest::newRow("B-2") << 1 << true;
        QTest::newRow("BZS-3") << 2 << false;
    }
    void b2MinimiseTakesTheProgramAlong()
    {
        QFETCH(int, kind);
        QFETCH(bool, together);
        ListWorkspace* w = openWorkspace(kind);
        control<QPushButton>(w, "SCButton1")->click();
        QVERIFY(press(w, Qt::Key_F2));
        QVERIFY(entryDialog()->isVisible());
        w->setWindowState(w->windowState() | Qt::WindowMinimized);
        QVERIFY(w->isMinimized());
        QCOMPARE(entryDialog()->isMinimized(), together);
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        QVERIFY(!w->isMinimized());
        QVERIFY(!entryDialog()->isMinimized());
        QVERIFY(entryDialog()->isVisible());
        entryDialog()->close();
        // The platform's own report of the two state changes follows later.
        QTest::qWait(50);
    }
};

QTEST_MAIN(TestWorkspace)
#include "tst_gui_workspace.moc"
