#include "app/AppState.h"
#include "app/ui/Windows.h"
#include "items/AddresseeSearch.h"
#include "items/ui/Tkereso_form.h"
#include "items/ui/Ttetelek_felvetele_form.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

using namespace testsupport;

namespace {

Tkereso_form* search()
{
    return ui::windows().kereso_form;
}

Ttetelek_felvetele_form* entry()
{
    return ui::windows().tetelek_felvetele_form;
}

void addOrganisation(const QString& code, const QString& name, int classifiedOnly)
{
    exec(
        "INSERT INTO SZERVEK (TKOD,SZERVNEV,ROVIDNEV,IRSZ,TELEPULES,MINOSITETT) VALUES (:t,:n,:r,:i,:tel,:m)",
        {{"t", code},
         {"n", name},
         {"r", name.left(8)},
         {"i", "1051"},
         {"tel", QStringLiteral("Budapest")},
         {"m", classifiedOnly}});
}

// Names in the result grid, top to bottom.
QStringList shownNames()
{
    QStringList out;
    QAbstractItemModel* model = control<QTableView>(search(), "DBGrid2")->model();
    for (int row = 0; row < model->rowCount(); ++row)
        out << model->index(row, 1).data().toString();
    return out;
}

// Types text key by key, accented letters included (QTest::keyClicks knows only Latin-1 keys).
void type(QWidget* widget, const QString& text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QString addressee()
{
    return control<QComboBox>(entry(), "Edit4")->currentText();
}

void shoot(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("DISPORA_SHOTS");
    if (!folder.isEmpty())
        window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// "Keresés" in the entry dialog; returns once the window has settled.
void openSearch()
{
    control<QPushButton>(entry(), "BitBtn6")->click();
    QTest::qWait(20);
}

const QStringList kAll = {"Árvíz Igazgatóság", "árvízvédelmi hivatal", "Belügyminisztérium",
                          "Országos Árvízvédelmi Központ"};

} // namespace

class TestGuiAddresseeSearch : public QObject
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
        addOrganisation("000003", "Országos Árvízvédelmi Központ", 0);
        addOrganisation("000001", "árvízvédelmi hivatal", 1);
        addOrganisation("000002", "Árvíz Igazgatóság", 0);
        addOrganisation("000004", "Belügyminisztérium", 1);
        addOrganisation("000006", "Árvízi Titkos Szerv", 2); // no MINOSITES row: never listed
        // The NATO kinds open the entry dialog straight at the addressee.
        app::appState().currentListKind = 4;
        app::appState().currentListNumber = 1;
        store::TDM1::instance().MyQuery4.open("SELECT SZERVNEV FROM SZERVEK ORDER BY SZERVNEV");
        entry()->configure_for_list_kind();
        entry()->open_for_entry({});
        QTRY_VERIFY(entry()->isActiveWindow());
        control<QComboBox>(entry(), "Edit4")->setEditText("Előző címzett");
        QTRY_VERIFY(control<QComboBox>(entry(), "Edit4")->hasFocus());
    }
    void cleanup()
    {
        search()->hide();
        entry()->hide();
        control<QRadioButton>(search(), "SCRadioButton1")->setChecked(true);
        // The operator turns to another window in between, so the next showing of the
        // entry dialog activates it afresh.
        m_elsewhere.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_elsewhere));
        m_elsewhere.activateWindow();
        QTRY_VERIFY(m_elsewhere.isActiveWindow());
        m_elsewhere.hide();
    }

    // The entry dialog's "Keresés", a double click on the addressee field and Enter in
    // an empty addressee field open the search.
    void openedFromTheEntryDialog_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Keresés") << "button";
        QTest::newRow("double click") << "double";
        QTest::newRow("Enter in empty field") << "enter";
    }
    void openedFromTheEntryDialog()
    {
        QFETCH(QString, how);
        control<QLineEdit>(search(), "Edit2")->setText("maradék");
        if (how == "button") {
            openSearch();
        } else if (how == "double") {
            QWidget* field = control<QComboBox>(entry(), "Edit4")->lineEdit();
            QTest::mouseDClick(field, Qt::LeftButton, {}, field->rect().center());
        } else {
            control<QComboBox>(entry(), "Edit4")->setEditText(QString());
            QTest::keyClick(control<QComboBox>(entry(), "Edit4")->lineEdit(), Qt::Key_Return);
        }
        QVERIFY(search()->isVisible());
        QVERIFY(!entry()->isEnabled());
        QCOMPARE(control<QLineEdit>(search(), "Edit2")->text(), QString());
        QCOMPARE(shownNames(), kAll);
        QTRY_VERIFY(control<QLineEdit>(search(), "Edit2")->hasFocus());
    }

    void openingLaysOutAndListsTheRegister()
    {
        Tkereso_form* s = search();
        control<QLineEdit>(s, "Edit2")->setText("maradék");
        control<QRadioButton>(s, "SCRadioButton2")->setChecked(true);
        openSearch();
        QVERIFY(s->isVisible());
        QVERIFY(!entry()->isEnabled());
        QCOMPARE(s->windowTitle(), QString("Címzett keresése"));
        QCOMPARE(s->size(), QSize(1016, 550));
        QCOMPARE(control<QLabel>(s, "Label3")->text(), QString("keresendő:"));
        QCOMPARE(control<QRadioButton>(s, "SCRadioButton1")->text(), QString("tartalmazza"));
        QCOMPARE(control<QRadioButton>(s, "SCRadioButton2")->text(), QString("kezdődik"));
        QCOMPARE(control<QPushButton>(s, "SCButton3")->text(), QString("Ok <ENTER>"));
        QCOMPARE(control<QPushButton>(s, "SCButton4")->text(), QString("Mégsem <ESC>"));
        QCOMPARE(control<QLineEdit>(s, "Edit2")->text(), QString());
        QVERIFY(control<QRadioButton>(s, "SCRadioButton2")->isChecked()); // kept from the last use
        QCOMPARE(shownNames(), kAll);
        QTRY_VERIFY(control<QLineEdit>(s, "Edit2")->hasFocus());

        QCOMPARE(control<QPushButton>(s, "SCButton3")->x(), (s->width() - 165) / 2);
        QCOMPARE(control<QPushButton>(s, "SCButton4")->x(), control<QPushButton>(s, "SCButton3")->x() + 240);
        QCOMPARE(control<QTableView>(s, "DBGrid2")->x(), 1);
        QCOMPARE(control<QTableView>(s, "DBGrid2")->width(), s->width() - 2);

        QTableView* grid = control<QTableView>(s, "DBGrid2");
        QStringList titles;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            titles << grid->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles,
                 (QStringList{"Csak min.-t fogadhat", "Szervnév", "Rövid név", "Ir.szám.", "Település"}));
        QCOMPARE(grid->columnWidth(0), 150);
        QCOMPARE(grid->columnWidth(1), 390);
        QCOMPARE(grid->columnWidth(2), 200);
        QCOMPARE(grid->columnWidth(3), 60);
        QCOMPARE(grid->columnWidth(4), grid->viewport()->width() - 800);
        QCOMPARE(grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        QCOMPARE(grid->model()->index(1, 0).data().toString(), QString("Igen"));
        QCOMPARE(grid->model()->index(1, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::Alignment(Qt::AlignCenter));
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(grid->currentIndex().row(), 0);
    }

    void typingSearchesLive_data()
    {
        QTest::addColumn<bool>("startsWith");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("capitals, contains")
            << false << "ÁRVÍZ"
            << QStringList{"Árvíz Igazgatóság", "árvízvédelmi hivatal", "Országos Árvízvédelmi Központ"};
        QTest::newRow("small letters, starts with")
            << true << "árvíz" << QStringList{"Árvíz Igazgatóság", "árvízvédelmi hivatal"};
        QTest::newRow("no match") << false << "xq" << QStringList{};
    }
    void typingSearchesLive()
    {
        QFETCH(bool, startsWith);
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        control<QRadioButton>(search(), "SCRadioButton2")->setChecked(startsWith);
        openSearch();
        QTRY_VERIFY(control<QLineEdit>(search(), "Edit2")->hasFocus());
        type(control<QLineEdit>(search(), "Edit2"), typed);
        QCOMPARE(control<QLineEdit>(search(), "Edit2")->text(), typed);
        QCOMPARE(shownNames(), expected);
        QCOMPARE(control<QTableView>(search(), "DBGrid2")->columnWidth(1), 390);
        // Deleting the text lists the whole register again.
        control<QLineEdit>(search(), "Edit2")->clear();
        QCOMPARE(shownNames(), kAll);
    }

    void switchingTheRadioButtonSearchesAgain()
    {
        openSearch();
        control<QLineEdit>(search(), "Edit2")->setText("árvíz");
        QCOMPARE(shownNames().size(), 3);
        QTest::mouseClick(control<QRadioButton>(search(), "SCRadioButton2"), Qt::LeftButton);
        QVERIFY(control<QRadioButton>(search(), "SCRadioButton2")->isChecked());
        QCOMPARE(shownNames(), (QStringList{"Árvíz Igazgatóság", "árvízvédelmi hivatal"}));
        QTest::mouseClick(control<QRadioButton>(search(), "SCRadioButton1"), Qt::LeftButton);
        QCOMPARE(shownNames().size(), 3);
        QCOMPARE(control<QLineEdit>(search(), "Edit2")->text(), QString("árvíz"));
    }

    void arrowKeysMoveBetweenFieldAndGrid()
    {
        Tkereso_form* s = search();
        openSearch();
        QTRY_VERIFY(control<QLineEdit>(s, "Edit2")->hasFocus());
        QTest::keyClick(control<QLineEdit>(s, "Edit2"), Qt::Key_Down);
        QVERIFY(control<QTableView>(s, "DBGrid2")->hasFocus());
        QCOMPARE(control<QTableView>(s, "DBGrid2")->currentIndex().row(), 0);
        QTest::keyClick(control<QTableView>(s, "DBGrid2"), Qt::Key_Down);
        QTest::keyClick(control<QTableView>(s, "DBGrid2"), Qt::Key_Down);
        QCOMPARE(control<QTableView>(s, "DBGrid2")->currentIndex().row(), 2);
        QCOMPARE(store::TDM1::instance().MyQuery3.currentRow(), 2);
        QTest::keyClick(control<QTableView>(s, "DBGrid2"), Qt::Key_Up);
        QTest::keyClick(control<QTableView>(s, "DBGrid2"), Qt::Key_Up);
        QVERIFY(control<QTableView>(s, "DBGrid2")->hasFocus());
        QCOMPARE(control<QTableView>(s, "DBGrid2")->currentIndex().row(), 0);
        QTest::keyClick(control<QTableView>(s, "DBGrid2"), Qt::Key_Up);
        QVERIFY(control<QLineEdit>(s, "Edit2")->hasFocus());

        // With nothing found the field keeps the focus.
        type(control<QLineEdit>(s, "Edit2"), "xq");
        QCOMPARE(shownNames(), QStringList{});
        QTest::keyClick(control<QLineEdit>(s, "Edit2"), Qt::Key_Down);
        QVERIFY(control<QLineEdit>(s, "Edit2")->hasFocus());
    }

    void enterOnAnEmptyResultDoesNothing()
    {
        openSearch();
        QTRY_VERIFY(control<QLineEdit>(search(), "Edit2")->hasFocus());
        type(control<QLineEdit>(search(), "Edit2"), "xq");
        QTest::keyClick(control<QLineEdit>(search(), "Edit2"), Qt::Key_Return);
        control<QPushButton>(search(), "SCButton3")->click();
        QVERIFY(search()->isVisible());
        QVERIFY(!entry()->isEnabled());
        QCOMPARE(addressee(), QString("Előző címzett"));
        QVERIFY(installServices().messages.texts.isEmpty());
    }

    void leavingWithoutChoiceKeepsTheAddressee_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Esc") << "esc";
        QTest::newRow("Mégsem") << "button";
        QTest::newRow("close box") << "close";
    }
    void leavingWithoutChoiceKeepsTheAddressee()
    {
        QFETCH(QString, how);
        openSearch();
        QTRY_VERIFY(control<QLineEdit>(search(), "Edit2")->hasFocus());
        type(control<QLineEdit>(search(), "Edit2"), "bel");
        QCOMPARE(shownNames(), QStringList{"Belügyminisztérium"});
        if (how == "esc")
            QTest::keyClick(control<QLineEdit>(search(), "Edit2"), Qt::Key_Escape);
        else if (how == "button")
            control<QPushButton>(search(), "SCButton4")->click();
        else
            search()->close();
        QVERIFY(!search()->isVisible());
        QVERIFY(entry()->isEnabled());
        QCOMPARE(addressee(), QString("Előző címzett"));
        QVERIFY(installServices().messages.texts.isEmpty());
    }

    void takingARowFillsTheAddressee_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("warned");
        QTest::newRow("Enter, classified only") << "enter"
                                                << "hivatal"
                                                << "árvízvédelmi hivatal" << true;
        QTest::newRow("Ok, ordinary") << "button"
                                      << "igazg"
                                      << "Árvíz Igazgatóság" << false;
        QTest::newRow("double click, classified only") << "double"
                                                       << "belügy"
                                                       << "Belügyminisztérium" << true;
        QTest::newRow("Enter in the grid, ordinary") << "grid"
                                                     << "országos"
                                                     << "Országos Árvízvédelmi Központ" << false;
    }
    void takingARowFillsTheAddressee()
    {
        QFETCH(QString, how);
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QFETCH(bool, warned);
        bool shownDuringWarning = false;
        installServices().messages.onInform = [&](const QString&) {
            shownDuringWarning = search()->isVisible();
        };
        openSearch();
        QTRY_VERIFY(control<QLineEdit>(search(), "Edit2")->hasFocus());
        type(control<QLineEdit>(search(), "Edit2"), typed);
        QCOMPARE(shownNames(), QStringList{name});
        if (how == "enter") {
            QTest::keyClick(control<QLineEdit>(search(), "Edit2"), Qt::Key_Return);
        } else if (how == "button") {
            control<QPushButton>(search(), "SCButton3")->click();
        } else if (how == "double") {
            QTableView* grid = control<QTableView>(search(), "DBGrid2");
            const QPoint at = grid->visualRect(grid->model()->index(0, 1)).center();
            // A real double click: press and release, then the second press.
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        } else {
            QTest::keyClick(control<QLineEdit>(search(), "Edit2"), Qt::Key_Down);
            QVERIFY(control<QTableView>(search(), "DBGrid2")->hasFocus());
            QTest::keyClick(control<QTableView>(search(), "DBGrid2"), Qt::Key_Return);
        }
        installServices().messages.onInform = {};
        QCOMPARE(installServices().messages.texts,
                 warned ? QStringList{items::AddresseeSearch::kClassifiedOnlyWarning} : QStringList{});
        QCOMPARE(shownDuringWarning, warned);
        QCOMPARE(addressee(), name);
        QVERIFY(!search()->isVisible());
        QVERIFY(entry()->isEnabled());
        QTRY_VERIFY(control<QLineEdit>(entry(), "Edit5")->hasFocus());
    }

    void eachOpeningReloadsTheRegister()
    {
        openSearch();
        QTest::keyClick(control<QLineEdit>(search(), "Edit2"), Qt::Key_Escape);
        addOrganisation("000007", "Újonnan Felvett Szerv", 0);
        openSearch();
        QCOMPARE(shownNames(), kAll + QStringList{"Újonnan Felvett Szerv"});
    }

    void screenshot()
    {
        openSearch();
        type(control<QLineEdit>(search(), "Edit2"), "á");
        shoot(search(), "addressee_search");
    }

private:
    QWidget m_elsewhere;
};

QTEST_MAIN(TestGuiAddresseeSearch)
#include "tst_gui_addressee_search.moc"
