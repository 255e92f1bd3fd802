// Opens the window of past lists over 5,000 lists of one kind (about 20,000 items), and
// saves a 1,000-item list, both copies, as a PDF file.
#include "app/AppState.h"
#include "app/ui/Windows.h"
#include "lists/ListKind.h"
#include "lists/ListPrinting.h"
#include "lists/PastLists.h"
#include "lists/ui/Tkorabbi_listak_form.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Rows of one multi-row INSERT at a time, so the set-up stays short.
void insertRows(const QString& head, const QStringList& values)
{
    for (qsizetype from = 0; from < values.size(); from += 500)
        testsupport::exec(head + values.mid(from, 500).join(u','));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testsupport::programFolder();
    testsupport::resetTables();
    auto& services = testsupport::installServices();
    testsupport::createWindowsOnce();
    app::AppState& state = app::appState();
    state.ownCode = QStringLiteral("123456");
    state.ownName = QStringLiteral("Központi Irattár");
    state.marginTop = state.marginBottom = state.marginLeft = state.marginRight = 10;

    constexpr int lists = 5000;
    QStringList headers;
    QStringList items;
    for (int list = 1; list <= lists; ++list) {
        headers << QStringLiteral("(%1,'Címzett szerv %2','2026-01-05 10:00:00',1)").arg(list).arg(list % 97);
        for (int i = 1; i <= 4; ++i)
            items << QStringLiteral("(%1,'%2/2026/1',%3,'HM',1,%4,'0',%5)")
                         .arg(list)
                         .arg(list * 10 + i)
                         .arg(i == 4 ? 5 : i)
                         .arg(i)
                         .arg(i == 4 ? 3 : 1);
    }
    insertRows(QStringLiteral(
                   "INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,KCIMZETT,SZAMNELKULI,SORSZAM,KCIMZETT_AZ,DB) VALUES "),
               items);
    insertRows(
        QStringLiteral("INSERT INTO B2_ADATOK (LSZAM,JCIMZETT,NYOMTATAS_DATUMA,NYOMTATAS_PELDANY) VALUES "),
        headers);

    Tkorabbi_listak_form* window = ui::windows().korabbi_listak_form;
    qint64 best = -1;
    qint64 query = -1;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        const auto loaded = lists::PastLists::load(store::TDM1::instance(), lists::listKind(1));
        const qint64 loadTime = timer.elapsed();
        if (int(loaded.size()) != lists) {
            std::fprintf(stderr, "expected %d lists, got %d\n", lists, int(loaded.size()));
            return 1;
        }
        timer.restart();
        window->openForKind(1);
        QCoreApplication::processEvents();
        const qint64 openTime = timer.elapsed();
        window->close();
        if (best < 0 || openTime < best)
            best = openTime;
        if (query < 0 || loadTime < query)
            query = loadTime;
    }
    std::printf(
        "bench_past_lists: %d lists, reading them %lld ms, opening the window %lld ms (target < 100 ms)\n",
        lists, static_cast<long long>(query), static_cast<long long>(best));

    // A 1,000-item list, laid out and saved as a PDF of both copies.
    constexpr int count = 1000;
    testsupport::exec("INSERT INTO B2_ADATOK (LSZAM,JCIMZETT) VALUES (9000,'Posta')");
    QStringList big;
    for (int i = 1; i <= count; ++i)
        big << QStringLiteral("(9000,'%1/2026/1',%2,'Címzett szerv %3',1,%4,'0',1)")
                   .arg(i)
                   .arg(1 + i % 5)
                   .arg(i)
                   .arg(i);
    insertRows(QStringLiteral(
                   "INSERT INTO B2 (LSZAM,IKTSZAM,MJEL,KCIMZETT,SZAMNELKULI,SORSZAM,KCIMZETT_AZ,DB) VALUES "),
               big);
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("lista.pdf"));
    QElapsedTimer timer;
    timer.start();
    const std::optional<lists::ListCopies> copies =
        lists::layOutStoredList(store::TDM1::instance(), 1, 9000, services.messages);
    const qint64 layOut = timer.elapsed();
    if (!copies) {
        std::fprintf(stderr, "the list was refused\n");
        return 1;
    }
    timer.restart();
    lists::savePdf(*copies, pdf);
    const qint64 save = timer.elapsed();
    std::printf(
        "bench_past_lists: %d items, 2 copies of %d pages, laying out %lld ms, saving the PDF %lld ms, "
        "together %lld ms (target < 1000 ms), %lld bytes\n",
        count, int(copies->copies[0].pages.size()), static_cast<long long>(layOut),
        static_cast<long long>(save), static_cast<long long>(layOut + save),
        static_cast<long long>(QFileInfo(pdf).size()));
    return 0;
}
