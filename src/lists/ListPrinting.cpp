#include "ListPrinting.h"

#include "ListKind.h"
#include "app/AppState.h"
#include "app/Services.h"
#include "store/DataModule.h"

namespace lists {

PieceCounts countPieces(store::TDM1& dm, const ListKindInfo& kind, int listNumber)
{
    const QString topLevel = kind.countsTopLevelOnly ? QStringLiteral(" AND (SZULO_ID=0)") : QString();
    PieceCounts counts;
    auto& q = dm.MyQuery1;
    q.open(QStringLiteral("SELECT MJEL FROM %1 WHERE (LSZAM=:LSZAM) AND (NOT (MJEL=6)) AND (NOT (MJEL=5))%2")
               .arg(kind.itemTable, topLevel),
           {{QStringLiteral("LSZAM"), listNumber}});
    counts.classified = q.rowCount();
    q.open(QStringLiteral("SELECT SUM(DB) AS DARAB FROM %1 WHERE (LSZAM=:LSZAM) AND (MJEL=5)%2").arg(kind.itemTable, topLevel),
           {{QStringLiteral("LSZAM"), listNumber}});
    counts.registered = q.isEmpty() ? 0 : q.value(QStringLiteral("DARAB")).toInt();
    q.open(QStringLiteral("SELECT SZAMNELKULI FROM %1 WHERE (LSZAM=:LSZAM) AND (MJEL=6)").arg(kind.itemTable),
           {{QStringLiteral("LSZAM"), listNumber}});
    counts.plain = q.isEmpty() ? 0 : q.value(QStringLiteral("SZAMNELKULI")).toInt();
    q.close();
    return counts;
}

QString barcodeValue(const ListKindInfo& kind, const QString& ownCode, int listNumber, const PieceCounts& counts)
{
    return QStringList{kind.barcodeDigit,
                       ownCode,
                       QString::number(listNumber),
                       QString::number(counts.classified),
                       QString::number(counts.registered),
                       QString::number(counts.plain)}
        .join(u'-');
}

QString summaryLine(const PieceCounts& counts)
{
    return QStringLiteral("Minősített: %1 db,      Nyilvántartott: %2 db,      Sima: %3 db.")
        .arg(counts.classified)
        .arg(counts.registered)
        .arg(counts.plain);
}

QString totalLine(const PieceCounts& counts)
{
    return QStringLiteral("Összesen: %1 db küldemény.").arg(counts.classified + counts.registered + counts.plain);
}

PrintResult printList(store::TDM1& dm, int kind, int listNumber, const QString& addressee)
{
    app::AppState& state = app::appState();
    state.printMoment = app::clock().now();
    if (dm.MyQuery2.isEmpty()) {
        app::messages().inform(QStringLiteral("Nincs tétele a jegyzéknek, nem lehet nyomtatni!"));
        return PrintResult::Refused;
    }
    if (addressee.isEmpty()) {
        app::messages().inform(QStringLiteral("Nincs megadva a futárjegyzék címzettje!"));
        return PrintResult::Refused;
    }
    const ListKindInfo& info = listKind(kind);
    const PieceCounts counts = countPieces(dm, info, listNumber);
    state.summaryLine = summaryLine(counts);
    state.totalLine = totalLine(counts);
    // The two copies are sent by the print platform (printing helper completes this).
    dm.MyQuery1.execute(QStringLiteral("UPDATE %1 SET NYOMTATAS_DATUMA=:NYD, NYOMTATAS_PELDANY=NYOMTATAS_PELDANY+1 "
                                       "WHERE LSZAM=:LSZAM")
                            .arg(info.headerTable),
                        {{QStringLiteral("NYD"), state.printMoment}, {QStringLiteral("LSZAM"), listNumber}});
    return PrintResult::Printed;
}

} // namespace lists
