// Lays out and renders both copies of a 1,000-item list into PDF files, the page
// counting included, through the same printing routine the list windows use.
#include "app/AppState.h"
#include "lists/ListPrinting.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testsupport::programFolder();
    testsupport::resetTables();
    auto& services = testsupport::installServices();
    app::AppState& state = app::appState();
    state.ownCode = QStringLiteral("123456");
    state.ownName = QStringLiteral("Központi Irattár");
    state.marginTop = state.marginBottom = state.marginLeft = state.marginRight = 10;

    constexpr int items = 1000;
    auto& view = store::TDM1::instance().MyQuery2;
    for (int i = 1; i <= items; ++i)
        testsupport::exec(
            "INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,KCIMZETT,SZAMNELKULI,SORSZAM,KCIMZETT_AZ,DB) "
            "VALUES (1,:i,:m,:k,1,:s,'0',1)",
            {{"i", QStringLiteral("%1/2026/1").arg(i)},
             {"m", 1 + i % 5},
             {"k", i % 10 == 0 ? QStringLiteral("Nemzeti Közszolgálati Egyetem Hadtudományi és "
                                                "Honvédtisztképző Kar Katonai Logisztikai Intézet")
                               : QStringLiteral("Címzett szerv %1").arg(i)},
             {"s", i}});
    view.open(QStringLiteral("SELECT * FROM B2 WHERE LSZAM=:lszam ORDER BY SORSZAM,szulo_id,tetel_id"),
              {{"lszam", 1}});

    QElapsedTimer timer;
    timer.start();
    const lists::PrintResult result =
        lists::printList(store::TDM1::instance(), 1, 1, QStringLiteral("Posta"), services.messages);
    const qint64 elapsed = timer.elapsed();
    if (result != lists::PrintResult::Printed || services.printers.jobs.size() != 2) {
        std::fprintf(stderr, "printing failed\n");
        return 1;
    }
    std::printf("bench_print: %d items, 2 copies of %d pages each, %lld ms\n", items,
                services.printers.jobs[0].pageCount, static_cast<long long>(elapsed));
    return 0;
}
