// One keystroke of the addressee search (query and grid refresh) over a register of
// 10,000 organisations, beside the same statements straight through the engine.
// Prints the median and the slowest keystroke, and the one that empties the field.
#include "RawEngine.h"
#include "app/ui/Windows.h"
#include "items/ui/Tkereso_form.h"
#include "items/ui/Ttetelek_felvetele_form.h"
#include "store/DataModule.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <vector>

using testsupport::control;

namespace {

void fillRegister(int count)
{
    static const char* const kinds[] = {
        "Kormányhivatal", "Rendőr-főkapitányság",   "Honvéd Parancsnokság",
        "Járásbíróság",   "Polgármesteri Hivatal",  "Katasztrófavédelmi Igazgatóság",
        "Ügyészség",      "Adó- és Vámigazgatóság", "Árvízvédelmi Központ",
        "Törvényszék"};
    static const char* const towns[] = {"Budapest", "Debrecen",    "Szeged",    "Miskolc",        "Pécs",
                                        "Győr",     "Nyíregyháza", "Kecskemét", "Székesfehérvár", "Érd"};
    store::Connection& c = store::TDM1::instance().MyConnection1;
    c.run(QStringLiteral("TRUNCATE TABLE SZERVEK"), {});
    for (int i = 0; i < count; ++i) {
        const QString town = QString::fromUtf8(towns[i % 10]);
        const QString name =
            QStringLiteral("%1i %2 %3").arg(town, QString::fromUtf8(kinds[(i / 10) % 10])).arg(i / 100 + 1);
        c.run(QStringLiteral("INSERT INTO SZERVEK (TKOD,SZERVNEV,ROVIDNEV,IRSZ,TELEPULES,MINOSITETT) "
                             "VALUES (:t,:n,:r,:i,:tel,:m)"),
              {{QStringLiteral("t"), QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'))},
               {QStringLiteral("n"), name},
               {QStringLiteral("r"), name.left(20)},
               {QStringLiteral("i"), QString::number(1000 + i % 9000)},
               {QStringLiteral("tel"), town},
               {QStringLiteral("m"), i % 7 == 0 ? 1 : 0}});
    }
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testsupport::programFolder();
    testsupport::installServices();
    testsupport::createWindowsOnce();
    fillRegister(10000);
    bench::RawEngine raw;
    // With --statements, the last keystroke that empties the field lists its statements.
    const bool breakdown = app.arguments().contains(QStringLiteral("--statements"));
    std::vector<bench::Statement> lastEmptying;
    store::Connection& connection = store::TDM1::instance().MyConnection1;

    Tkereso_form* search = ui::windows().kereso_form;
    search->openFor(ui::windows().tetelek_felvetele_form);
    QApplication::processEvents();

    // Typing "kormány" and deleting it again, in both modes: from nearly the whole
    // register down to a few hundred rows and back, three times over.
    const QString word = QStringLiteral("kormány");
    std::vector<double> times, rawTimes, emptying, rawEmptying;
    for (int round = 0; round < 3; ++round) {
        for (QRadioButton* mode : {control<QRadioButton>(search, "SCRadioButton1"),
                                   control<QRadioButton>(search, "SCRadioButton2")}) {
            mode->setChecked(true);
            QStringList texts;
            for (int n = 1; n <= word.size(); ++n)
                texts << word.left(n);
            for (int n = word.size() - 1; n >= 0; --n)
                texts << word.left(n);
            for (const QString& text : texts) {
                std::vector<bench::Statement> statements;
                QElapsedTimer timer;
                {
                    bench::Recorder recorder(connection);
                    timer.start();
                    control<QLineEdit>(search, "Edit2")->setText(text);
                    control<QTableView>(search, "DBGrid2")->viewport()->repaint();
                    statements = recorder.take();
                }
                const double program = double(timer.nsecsElapsed()) / 1e6;
                const double engine = raw.run(statements);
                if (text.isEmpty())
                    lastEmptying = statements;
                times.push_back(program);
                rawTimes.push_back(engine);
                if (text.isEmpty()) {
                    emptying.push_back(program);
                    rawEmptying.push_back(engine);
                }
            }
        }
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const auto slowest = [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); };
    std::printf(
        "addressee search over 10000 organisations, %zu keystrokes, milliseconds: program, raw engine, "
        "ratio\n",
        times.size());
    std::printf("  keystroke, median            %8.1f %8.1f %5.2fx\n", median(times), median(rawTimes),
                median(times) / std::max(median(rawTimes), 0.001));
    std::printf("  keystroke, slowest           %8.1f %8.1f %5.2fx\n", slowest(times), slowest(rawTimes),
                slowest(times) / std::max(slowest(rawTimes), 0.001));
    std::printf("  emptying the field, median   %8.1f %8.1f %5.2fx\n", median(emptying), median(rawEmptying),
                median(emptying) / std::max(median(rawEmptying), 0.001));
    std::printf("  emptying the field, slowest  %8.1f %8.1f %5.2fx\n", slowest(emptying),
                slowest(rawEmptying), slowest(emptying) / std::max(slowest(rawEmptying), 0.001));
    if (breakdown) {
        QTextStream out(stdout);
        out << "statements of the last keystroke that emptied the field: times run, program ms, engine ms, "
               "text\n";
        bench::printBreakdown(out, "emptying the field", lastEmptying);
    }
    search->hide();
    return 0;
}
