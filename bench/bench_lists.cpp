// Times the list operations an operator waits for, on lists of 500, 2,000 and 10,000
// items: opening the list, one 50-piece classified save, one delete with renumbering.
// Each beside the same statements run straight through the engine on the same rows.
#include "Memory.h"
#include "RawEngine.h"
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

constexpr int kList = 3;

// Items of every level, a few of them parents with members, numbered as after entry.
void fillList(int items)
{
    resetTables();
    exec("INSERT INTO B2_ADATOK (JCIMZETT,LSZAM) VALUES ('Futárszolgálat',:l)", {{"l", kList}});
    QStringList values;
    for (int i = 0; i < items - 1; ++i)
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
    QList<double> rawOpen, rawSave, rawRemove;
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
    bench::RawEngine raw;
    // With --statements, the last run of each size also lists its costliest statements.
    const bool breakdown = app.arguments().contains(QStringLiteral("--statements"));

    QTextStream out(stdout);
    out << "List operations, median of the runs, milliseconds: program, raw engine, ratio (max program)\n";
    for (const int items : {500, 2000, 10000}) {
        const int runs = items >= 10000 ? 3 : 5;
        Figures figures;
        double memory = 0;
        for (int run = 0; run < runs; ++run) {
            fillList(items);
            dm.MyQuery2.close();

            std::vector<bench::Statement> opening, saving, removing;
            QElapsedTimer timer;
            {
                bench::Recorder recorder(dm.MyConnection1);
                timer.start();
                lists::ListSelection(dm, kind).openItemView(kList);
                figures.open << ms(timer);
                opening = recorder.take();
            }
            memory = std::max(memory, bench::residentMegabytes());
            const int shown = model.rowCount();

            items::ItemEntry::Consignment consignment;
            consignment.listNumber = kList;
            consignment.mjel = 2;
            consignment.count = 50;
            consignment.registration = QStringLiteral("T-50/2026");
            consignment.addresseeName = QStringLiteral("Honvédelmi Minisztérium");
            consignment.addresseeCode = QStringLiteral("100001");
            {
                bench::Recorder recorder(dm.MyConnection1);
                timer.restart();
                items::ItemEntry(dm, kind).add_items(
                    consignment, {QStringLiteral("Futárszolgálat"), QString()}, installServices().messages);
                lists::Renumbering(dm, kind).sorszam_rendezo(kList);
                figures.save << ms(timer);
                saving = recorder.take();
            }
            if (model.rowCount() != shown + 50)
                qFatal("the save did not reach the view");

            dm.MyQuery2.setCurrentRow(dm.MyQuery2.rowCount() / 2);
            while (dm.MyQuery2.value(QStringLiteral("SZULO_ID")).toLongLong() != 0)
                dm.MyQuery2.next();
            {
                bench::Recorder recorder(dm.MyConnection1);
                timer.restart();
                lists::ItemDeletion(dm, kind).deleteItem(dm.MyQuery2.value(QStringLiteral("TETEL_ID")));
                lists::Renumbering(dm, kind).sorszam_rendezo(kList);
                dm.MyQuery2.refresh();
                figures.remove << ms(timer);
                removing = recorder.take();
            }
            if (model.rowCount() != shown + 49)
                qFatal("the delete did not reach the view");

            // The same statements on the same rows, straight through the engine.
            dm.MyQuery2.close();
            fillList(items);
            figures.rawOpen << raw.run(opening);
            figures.rawSave << raw.run(saving);
            figures.rawRemove << raw.run(removing);
            if (breakdown && run == runs - 1) {
                out << "  statements of the last run at " << items
                    << " items: times run, program ms, engine ms, text\n";
                bench::printBreakdown(out, "open", opening);
                bench::printBreakdown(out, "save", saving);
                bench::printBreakdown(out, "delete", removing);
            }
        }

        out << "List of " << items << " items (" << dm.MyQuery2.rowCount() << " rows shown), " << runs
            << " runs, " << QString::number(memory, 'f', 0) << " MB resident with the list open\n";
        const auto line = [&](const char* what, const QList<double>& program, const QList<double>& engine) {
            out << QStringLiteral("  %1 %2 %3 %4x  (max %5)\n")
                       .arg(QString::fromLatin1(what), -40)
                       .arg(median(program), 8, 'f', 1)
                       .arg(median(engine), 8, 'f', 1)
                       .arg(median(program) / std::max(median(engine), 0.001), 5, 'f', 2)
                       .arg(*std::max_element(program.begin(), program.end()), 0, 'f', 1);
        };
        line("open the list", figures.open, figures.rawOpen);
        line("save 50 classified pieces", figures.save, figures.rawSave);
        line("delete one item with renumbering", figures.remove, figures.rawRemove);
        out.flush();
    }
    return 0;
}
