#include "app/AppState.h"
#include "app/ui/Windows.h"
#include "items/ui/Ttetelek_felvetele_form.h"
#include "lists/ui/ListWorkspace.h"
#include "lists/ui/Telonezet_form.h"
#include "lists/ui/Tkorabbi_listak_form.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace testsupport;

namespace {

Tkorabbi_listak_form* pastLists()
{
    return ui::windows().korabbi_listak_form;
}

Telonezet_form* preview()
{
    return ui::windows().elonezet_form;
}

void addHeader(int list, const QString& addressee, const QVariant& printed, const QVariant& count)
{
    exec("INSERT INTO B2_ADATOK (LSZAM,JCIMZETT,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) VALUES (:l,:j,:d,:p)",
         {{"l", list}, {"j", addressee}, {"d", printed}, {"p", count}});
}

qlonglong addItem(int list, int mjel, const QString& iktszam, int serial, qlonglong parent = 0)
{
    exec("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB,SZULO_ID) "
         "VALUES (:l,:i,:m,'HM','100001',1,:s,1,:p)",
         {{"l", list}, {"i", iktszam}, {"m", mjel}, {"s", serial}, {"p", parent}});
    return scalar("SELECT LAST_INSERT_ID()").toLongLong();
}

QString gridRow(QTableView* grid, int row)
{
    QStringList cells;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        cells << grid->model()->index(row, column).data().toString();
    return cells.join(u'|');
}

QStringList gridRows(QTableView* grid)
{
    QStringList out;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        out << gridRow(grid, row);
    return out;
}

bool press(QWidget* window, Qt::Key key)
{
    if (!QTest::qWaitForWindowActive(window))
        return false;
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : window, key);
    return true;
}

void type(QWidget* window, const QString& text)
{
    QVERIFY(QTest::qWaitForWindowActive(window));
    // Key by key with its text, accented letters too, as a keyboard sends them.
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        QApplication::sendEvent(QApplication::focusWidget(), &release);
    }
}

void shoot(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("DISPORA_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QCoreApplication::processEvents();
    window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

QString zbar(const QString& png)
{
    const QString tool = QStandardPaths::findExecutable("zbarimg");
    if (tool.isEmpty())
        qFatal("zbarimg is missing: install zbar-tools");
    QProcess process;
    process.start(tool, {"--quiet", png});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Visible controls that stick out of their parent, overlap a sibling or cut their caption
// (captions only on a window of ordinary width: a narrow one shares out what there is).
QStringList layoutFaults(QWidget* parent)
{
    const bool roomy = parent->window()->width() >= 1000;
    QStringList faults;
    QList<QWidget*> shown;
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow() || child->isHidden() || child->objectName().isEmpty())
            continue;
        if (!parent->rect().contains(child->geometry()))
            faults << child->objectName() + " sticks out";
        if (roomy && (qobject_cast<QAbstractButton*>(child) || qobject_cast<QLabel*>(child)) &&
            child->width() < child->sizeHint().width())
            faults << child->objectName() + " cuts its caption";
        for (QWidget* other : std::as_const(shown))
            if (child->geometry().intersects(other->geometry()))
                faults << child->objectName() + " overlaps " + other->objectName();
        shown << child;
        // What scrolls inside a scroll area may well be larger than it.
        if (!qobject_cast<QAbstractScrollArea*>(child))
            faults << layoutFaults(child);
    }
    return faults;
}

ListWorkspace* openWorkspace()
{
    app::appState().currentListKind = 1;
    ListWorkspace* w = ui::windows().workspace(1);
    w->openFromMenu();
    return w;
}

} // namespace

class TestGuiPastLists : public QObject
{
    Q_OBJECT
    Services* services = nullptr;
    QTemporaryDir folder;

    // Lists 1 and 2 printed, 3 being filled; list 1 has a parent with two members.
    void addSample()
    {
        addHeader(1, "ÁRVÍZVÉDELMI IGAZGATÓSÁG", QDateTime(QDate(2026, 1, 5), QTime(10, 0)), 1);
        addHeader(2, "Honvéd Kórház", QDateTime(QDate(2026, 2, 9), QTime(14, 30)), 2);
        addHeader(3, "Futárszolgálat", QVariant(), 0);
        const qlonglong parent = addItem(1, 2, "T-10/2026/1", 1);
        addItem(1, 5, "NY-11/2026", 2);
        addItem(1, 2, "T-10/2026/3", 1, parent);
        addItem(1, 2, "T-10/2026/2", 1, parent);
        addItem(2, 1, "SZT-1/2026/1", 1);
        addItem(3, 3, "B-9/2026/1", 1);
    }

    // From the start screen of the B-2 workspace into the past lists.
    void openPastLists()
    {
        ListWorkspace* w = openWorkspace();
        QVERIFY(control<QPushButton>(w, "SCButton11")->isVisible());
        QCOMPARE(control<QPushButton>(w, "SCButton11")->text(), "Korábbi listák");
        control<QPushButton>(w, "SCButton11")->click();
        QVERIFY(pastLists()->isVisible());
        QCOMPARE(pastLists()->kind(), 1);
    }

private slots:
    void initTestCase()
    {
        programFolder();
        services = &installServices();
        createWindowsOnce();
        app::AppState& state = app::appState();
        state.ownCode = QStringLiteral("123456");
        state.ownName = QStringLiteral("Saját Szerv");
    }

    void init()
    {
        resetTables();
        services->messages.texts.clear();
        services->printers.clear();
        services->fileDialogs.next.clear();
        services->fileDialogs.calls.clear();
        for (QWidget* w : QApplication::topLevelWidgets())
            w->hide();
        ui::windows().tetelek_felvetele_form->enable_list_workspaces();
    }

    void listsFilterAndOpen()
    {
        addSample();
        openPastLists();
        auto* grid = control<QTableView>(pastLists(), "DBGrid1");
        QCOMPARE(gridRows(grid), (QStringList{"3|Futárszolgálat|1|0|0|1|nincs nyomtatva|0",
                                              "2|Honvéd Kórház|1|0|0|1|2026.02.09. 14:30:00|2",
                                              "1|ÁRVÍZVÉDELMI IGAZGATÓSÁG|1|1|0|2|2026.01.05. 10:00:00|1"}));
        QVERIFY2(layoutFaults(pastLists()).isEmpty(), qPrintable(layoutFaults(pastLists()).join("; ")));
        shoot(pastLists(), "past_lists");
        type(pastLists(), "árvíz");
        QCOMPARE(gridRows(grid).size(), 1);
        QVERIFY(gridRow(grid, 0).startsWith("1|"));
        QTest::keyClick(control<QLineEdit>(pastLists(), "Edit1"), Qt::Key_Backspace);
        control<QLineEdit>(pastLists(), "Edit1")->clear();
        type(pastLists(), "2026.02");
        QCOMPARE(gridRows(grid).size(), 1);
        QVERIFY(gridRow(grid, 0).startsWith("2|"));
        control<QLineEdit>(pastLists(), "Edit1")->clear();
        QCOMPARE(gridRows(grid).size(), 3);
        // The arrows move through the lists while the filter keeps the focus.
        QVERIFY(press(pastLists(), Qt::Key_Down));
        QVERIFY(press(pastLists(), Qt::Key_Down));
        QCOMPARE(grid->currentIndex().row(), 2);
        QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(pastLists(), "Edit1"));
        QVERIFY(press(pastLists(), Qt::Key_Return));

        QVERIFY(pastLists()->listShown());
        QCOMPARE(pastLists()->shownListNumber(), 1);
        QCOMPARE(control<QLabel>(pastLists(), "Label3")->text(), "Listaszám: 1");
        QCOMPARE(control<QLineEdit>(pastLists(), "Edit2")->text(), "ÁRVÍZVÉDELMI IGAZGATÓSÁG");
        auto* items = control<QTableView>(pastLists(), "DBGrid2");
        // Members under their parent, in the order of their ids, as the workspace grid shows them.
        const QStringList shown = gridRows(items);
        QCOMPARE(shown.size(), 4);
        QVERIFY2(shown[0].startsWith("1|T-10/2026/1|"), qPrintable(shown.join("\n")));
        QVERIFY2(shown[1].startsWith("|T-10/2026/3|"), qPrintable(shown.join("\n")));
        QVERIFY2(shown[2].startsWith("|T-10/2026/2|"), qPrintable(shown.join("\n")));
        QVERIFY2(shown[3].startsWith("2|NY-11/2026|"), qPrintable(shown.join("\n")));
        QCOMPARE(items->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY2(layoutFaults(pastLists()).isEmpty(), qPrintable(layoutFaults(pastLists()).join("; ")));
        shoot(pastLists(), "past_list_open");
        // Read-only: the item keys do nothing here.
        QVERIFY(press(pastLists(), Qt::Key_F2));
        QVERIFY(!ui::windows().tetelek_felvetele_form->isVisible());
        QCOMPARE(scalar("SELECT COUNT(*) FROM B2").toInt(), 6);

        QVERIFY(press(pastLists(), Qt::Key_Escape));
        QVERIFY(!pastLists()->listShown());
        QVERIFY(press(pastLists(), Qt::Key_Escape));
        QVERIFY(!pastLists()->isVisible());
        ListWorkspace* w = ui::windows().workspace(1);
        QVERIFY(w->isVisible());
        QVERIFY(!w->activePanelShown() && !w->previousPanelShown());
    }

    void reprintFromTheView()
    {
        addSample();
        openPastLists();
        control<QLineEdit>(pastLists(), "Edit1")->setText("1");
        QVERIFY(press(pastLists(), Qt::Key_Return));
        QCOMPARE(pastLists()->shownListNumber(), 1);
        QVERIFY(press(pastLists(), Qt::Key_F8));
        QVERIFY2(services->messages.texts.isEmpty(), qPrintable(services->messages.texts.join("; ")));
        QCOMPARE(int(services->printers.jobs.size()), 2);
        QCOMPARE(rows("SELECT LSZAM, NYOMTATAS_DATUMA, NYOMTATAS_PELDANY FROM B2_ADATOK ORDER BY LSZAM"),
                 (QStringList{"1|2026-03-14 09:26:53|2", "2|2026-02-09 14:30:00|2", "3|NULL|0"}));
        // The view follows the new stamp.
        QVERIFY(pastLists()->listShown());
        QVERIFY(control<QLabel>(pastLists(), "Label5")->text().contains("2026.03.14. 09:26:53"));
    }

    void emptyListIsNotReprinted()
    {
        addHeader(4, "Posta", QDateTime(QDate(2026, 1, 5), QTime(10, 0)), 1);
        openPastLists();
        QVERIFY(press(pastLists(), Qt::Key_Return));
        QCOMPARE(pastLists()->shownListNumber(), 4);
        QVERIFY(press(pastLists(), Qt::Key_F8));
        QCOMPARE(services->messages.texts, QStringList{"Nincs tétele a jegyzéknek, nem lehet nyomtatni!"});
        QCOMPARE(services->printers.calls, 0);
        QVERIFY(press(pastLists(), Qt::Key_F7));
        QVERIFY(!preview()->isVisible());
        QCOMPARE(rows("SELECT NYOMTATAS_PELDANY FROM B2_ADATOK"), QStringList{"1"});
    }

    void previewOfAPastList()
    {
        addSample();
        openPastLists();
        control<QLineEdit>(pastLists(), "Edit1")->setText("2");
        QVERIFY(press(pastLists(), Qt::Key_Return));
        QVERIFY(press(pastLists(), Qt::Key_F7));
        QVERIFY(preview()->isVisible());
        QCOMPARE(preview()->pageCount(), 2);
        QCOMPARE(preview()->currentPage(), 0);
        QVERIFY(control<QLabel>(preview(), "Label1")->text().contains("1.sz. pédány"));
        QVERIFY2(layoutFaults(preview()).isEmpty(), qPrintable(layoutFaults(preview()).join("; ")));
        shoot(preview(), "preview");
        // What the window draws carries the list's barcode.
        const QString png = folder.filePath("preview.png");
        QVERIFY(preview()->pageImage(0, 300).save(png));
        QCOMPARE(zbar(png), "CODE-128:1-123456-2-1-0-0\n");

        QVERIFY(press(preview(), Qt::Key_PageDown));
        QCOMPARE(preview()->currentPage(), 1);
        QVERIFY(control<QLabel>(preview(), "Label1")->text().contains("2.sz. pédány"));
        QVERIFY(press(preview(), Qt::Key_Plus));
        QCOMPARE(preview()->zoomPercent(), 125);
        QVERIFY(press(preview(), Qt::Key_Minus));
        QVERIFY(press(preview(), Qt::Key_Minus));
        QCOMPARE(preview()->zoomPercent(), 75);
        QVERIFY(press(preview(), Qt::Key_Home));
        QCOMPARE(preview()->currentPage(), 0);

        const QString pdf = folder.filePath("lista2.pdf");
        services->fileDialogs.next = {pdf};
        QVERIFY(press(preview(), Qt::Key_F9));
        QCOMPARE(int(services->fileDialogs.calls.size()), 1);
        QCOMPARE(services->fileDialogs.calls[0].proposedName, "B-2_Futárjegyzék_2.pdf");
        QVERIFY(services->fileDialogs.calls[0].save);
        QVERIFY(QFileInfo(pdf).size() > 0);
        QCOMPARE(services->messages.texts.size(), 1);
        // Cancelling the dialog writes nothing and says nothing.
        QVERIFY(press(preview(), Qt::Key_F9));
        QCOMPARE(services->messages.texts.size(), 1);
        QCOMPARE(services->printers.calls, 0);
        const QString shots = qEnvironmentVariable("DISPORA_SHOTS");
        if (!shots.isEmpty())
            QFile::copy(pdf, shots + "/saved_list.pdf");

        QVERIFY(press(preview(), Qt::Key_Escape));
        QVERIFY(!preview()->isVisible());
        QVERIFY(pastLists()->isVisible());
        QCOMPARE(rows("SELECT NYOMTATAS_PELDANY FROM B2_ADATOK WHERE LSZAM=2"), QStringList{"2"});
    }

    // F7 on the active list previews it; printing from there stamps it and closes the panel.
    void previewAndPrintTheActiveList()
    {
        addSample();
        ListWorkspace* w = openWorkspace();
        control<QPushButton>(w, "SCButton1")->click();
        QTest::qWait(250);
        ui::windows().tetelek_felvetele_form->close();
        ui::windows().tetelek_felvetele_form->enable_list_workspaces();
        w->activateWindow();
        QVERIFY(w->activePanelShown());
        QCOMPARE(control<QPushButton>(w, "SCButton12")->text(), "Nyomtatási kép <F7>");
        QVERIFY2(layoutFaults(w).isEmpty(), qPrintable(layoutFaults(w).join("; ")));
        shoot(w, "workspace_with_preview");
        QVERIFY(press(w, Qt::Key_F7));
        QVERIFY(preview()->isVisible());
        QCOMPARE(preview()->copies().listNumber, 3);
        QCOMPARE(preview()->copies().copies.at(0).pages.at(0).find("addressee")->text, "Futárszolgálat");
        QCOMPARE(services->printers.calls, 0);
        QVERIFY(press(preview(), Qt::Key_F8));
        QCOMPARE(int(services->printers.jobs.size()), 2);
        QVERIFY(!preview()->isVisible());
        QCOMPARE(rows("SELECT NYOMTATAS_DATUMA, NYOMTATAS_PELDANY FROM B2_ADATOK WHERE LSZAM=3"),
                 QStringList{"2026-03-14 09:26:53|1"});
        QVERIFY(!w->activePanelShown());
        QVERIFY(control<QPushButton>(w, "SCButton1")->isVisible());
    }
};

QTEST_MAIN(TestGuiPastLists)
#include "tst_gui_past_lists.moc"
