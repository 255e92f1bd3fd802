// Times the list operations an operator waits for, on a list of 500 items:
// opening the list, one 50-piece classified save, one delete with renumbering.
#include "items/ItemEntry.h"
#include "lists/ItemDeletion.h"
#include "lists/ItemViewModel.h"
#include "lists/ListKind.h"
#include "lists/ListSelection.h"
#include "lists/Renumbering.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>

using namespace testsupport;

namespace {

constexpr int kListItems = 500;
constexpr int kRuns = 7;
constexpr int kList = 3;

// 500 items of every level, a few of them parents with members, numbered as after entry.
void fillList()
{
    resetTables();
    exec("INSERT INTO B2_ADATOK (JCIMZETT,LSZAM) VALUES ('Futárszolgálat',:l)", {{"l", kList}});
    QStringList values;
    for (int i = 0; i < kListItems - 1; ++i)
        values << QStringLiteral("(%1,'I-%2/2026',%3,'HM','100001',1,0,1)").arg(kList).arg(i).arg(1 + i % 5);
    values << QStringLiteral("(%1,'',6,'','',25,0,25)").arg(kList);
    exec("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB) VALUES " +
         values.join(','));
    // Every tenth item gets two members.
    exec(
        "INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB,SZULO_ID,CSOPORT_ID) "
        "SELECT LSZAM, CONCAT(IKTSZAM,'/a'), MJEL, KCIMZETT, KCIMZETT_AZ, 1, 0, 1, TETEL_ID, TETEL_ID "
        "FROM B2 WHERE MOD(TETEL_ID,10)=0 AND SZULO_ID=0");
    exec(
        "INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB,SZULO_ID,CSOPORT_ID) "
        "SELECT LSZAM, CONCAT(IKTSZAM,'/b'), MJEL, KCIMZETT, KCIMZETT_AZ, 1, 0, 1, SZULO_ID, CSOPORT_ID+1000 "
        "FROM B2 WHERE SZULO_ID<>0");
    // Another list of the same kind, which the operations must not slow down much.
    exec("INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,KCIMZETT,KCIMZETT_AZ,SZAMNELKULI,SORSZAM,DB) "
         "SELECT 1, IKTSZAM, MJEL, KCIMZETT, KCIMZETT_AZ, SZAMNELKULI, SORSZAM, DB FROM B2 WHERE LSZAM=:l",
         {{"l", kList}});
    exec("INSERT INTO SZERVEK (TKOD,SZERVNEV,ROVIDNEV,MINOSITETT) VALUES ('100001','Honvédelmi "
         "Minisztérium','HM',0)");
    lists::Renumbering(store::TDM1::instance(), lists::listKind(1)).sorszam_rendezo(kList);
}

struct Figures
{
    QList<double> open, save, remove;
};

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double ms(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    programFolder();
    installServices();
    store::TDM1& dm = store::TDM1::instance();
    const lists::ListKindInfo& kind = lists::listKind(1);
    // The grids' model follows the item view, so its display columns are part of every open.
    lists::ItemViewModel model(dm.MyQuery2);

    Figures figures;
    for (int run = 0; run < kRuns; ++run) {
        fillList();
        dm.MyQuery2.close();

        QElapsedTimer timer;
        timer.start();
        lists::ListSelection(dm, kind).openItemView(kList);
        figures.open << ms(timer);
        const int shown = model.rowCount();

        items::ItemEntry::Consignment consignment;
        consignment.listNumber = kList;
        consignment.mjel = 2;
        consignment.count = 50;
        consignment.registration = QStringLiteral("T-50/2026");
        consignment.addresseeName = QStringLiteral("Honvédelmi Minisztérium");
        consignment.addresseeCode = QStringLiteral("100001");
        timer.restart();
        items::ItemEntry(dm, kind).add_items(consignment, {QStringLiteral("Futárszolgálat"), QString()},
                                             installServices().messages);
        lists::Renumbering(dm, kind).sorszam_rendezo(kList);
        figures.save << ms(timer);
        if (model.rowCount() != shown + 50)
            qFatal("the save did not reach the view");

        dm.MyQuery2.setCurrentRow(dm.MyQuery2.rowCount() / 2);
        while (dm.MyQuery2.value(QStringLiteral("SZULO_ID")).toLongLong() != 0)
            dm.MyQuery2.next();
        timer.restart();
        lists::ItemDeletion(dm, kind).deleteItem(dm.MyQuery2.value(QStringLiteral("TETEL_ID")));
        lists::Renumbering(dm, kind).sorszam_rendezo(kList);
        dm.MyQuery2.refresh();
        figures.remove << ms(timer);
        if (model.rowCount() != shown + 49)
            qFatal("the delete did not reach the view");
    }

    QTextStream out(stdout);
    out << "List of " << kListItems << " items (" << dm.MyQuery2.rowCount() << " rows shown), median of "
        << kRuns << " runs, milliseconds\n";
    const auto line = [&](const char* what, const QList<double>& values) {
        out << QStringLiteral("  %1 %2  (max %3)\n")
                   .arg(QString::fromLatin1(what), -52)
                   .arg(median(values), 8, 'f', 1)
                   .arg(*std::max_element(values.begin(), values.end()), 0, 'f', 1);
    };
    line("open the list (item view with display columns)", figures.open);
    line("save 50 classified pieces (inserts, refreshes, renumbering)", figures.save);
    line("delete one item with renumbering", figures.remove);
    return 0;
}
