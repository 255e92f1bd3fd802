#include "RegisterRefresh.h"

#include "Workbook.h"
#include "app/DateTimeText.h"
#include "app/Services.h"
#include "store/Organisations.h"
#include "store/Query.h"
#include "store/ServerThread.h"
#include "store/SqlError.h"

#include <algorithm>
#include <memory>

namespace admin {

namespace {

const QStringList kHeader = {QStringLiteral("TKOD"),      QStringLiteral("SZERVNEV"),
                             QStringLiteral("ROVIDNEV"),  QStringLiteral("IRSZ"),
                             QStringLiteral("TELEPULES"), QStringLiteral("MINOSITETT")};
const QString kUnknownVersion = QStringLiteral("Ismeretlen verzió!");
const QString kCannotOpen = QStringLiteral("Nem lehet a fájlot megnyitni!");
const QString kFillFailed = QStringLiteral("Hiba a SZERVEK_TEMP tábla feltöltésekor! Frissítés leállítva!");

// A row may go into the register only with its code and its name.
bool rowComplete(const Workbook& book, int row)
{
    return !book.cellText(row, 1).isEmpty() && !book.cellText(row, 2).isEmpty();
}

// Every column of every row of SZERVEK, to put back when the copy of the new rows fails.
struct StoredRegister
{
    QStringList columns;
    std::vector<std::vector<QVariant>> rows;
};

StoredRegister readRegister(store::Query& query)
{
    query.open(QStringLiteral("SELECT * FROM SZERVEK"));
    StoredRegister stored{query.fieldNames(), {}};
    stored.rows.reserve(size_t(query.rowCount()));
    for (int i = 0; i < query.rowCount(); ++i)
        stored.rows.push_back(query.row(i));
    query.close();
    return stored;
}

void putBack(store::Query& query, const StoredRegister& stored)
{
    query.execute(QStringLiteral("truncate table SZERVEK"));
    // A few rows a statement: fewer statements, and still few parameters in each.
    constexpr size_t kRowsPerStatement = 10;
    const QString columns = stored.columns.join(u',');
    for (size_t first = 0; first < stored.rows.size(); first += kRowsPerStatement) {
        const size_t last = std::min(stored.rows.size(), first + kRowsPerStatement);
        QStringList tuples;
        std::vector<store::Parameter> parameters;
        for (size_t r = first; r < last; ++r) {
            QStringList placeholders;
            for (size_t c = 0; c < stored.rows[r].size(); ++c) {
                const QString name = QStringLiteral("R%1C%2").arg(r - first).arg(c);
                placeholders << QLatin1Char(':') + name;
                parameters.push_back({name, stored.rows[r][c]});
            }
            tuples << QLatin1Char('(') + placeholders.join(u',') + QLatin1Char(')');
        }
        query.execute(QStringLiteral("INSERT INTO SZERVEK (%1) VALUES %2").arg(columns, tuples.join(u',')),
                      parameters);
    }
}

} // namespace

RegisterFileCheck checkRegisterFile(const QString& path, app::MessageService& messages)
{
    RegisterFileCheck result;
    try {
        Workbook book(path);
        bool bad = false;
        try {
            book.selectSheet(1);
            result.version = book.cellDateTime(2, 1);
        } catch (const WorkbookError&) {
            // A workbook without a readable second sheet has no version.
        }
        if (!result.version.isValid()) {
            messages.inform(QStringLiteral("Szervek verzióját nem lehet lekérdezni!"));
            bad = true;
        }
        book.selectSheet(0);
        for (int column = 1; column <= kHeader.size(); ++column) {
            if (book.cellText(1, column) != kHeader[column - 1])
                bad = true;
        }
        // A file without organisations would empty the register.
        if (book.lastUsedRow() < 2)
            bad = true;
        for (int row = 2; row <= book.lastUsedRow() && !bad; ++row) {
            if (!rowComplete(book, row))
                bad = true;
        }
        if (bad)
            messages.inform(QStringLiteral("Hiba történt, nem jó xls fájl!"));
        result.passed = !bad;
    } catch (const WorkbookError&) {
        messages.inform(kCannotOpen);
        result = {};
    }
    return result;
}

std::optional<QString> refreshQuestion(const QString& versionFieldText, const QDateTime& newVersion)
{
    const QDateTime stored = app::parseDateTimeText(versionFieldText);
    if (!stored.isValid() || stored < newVersion)
        return std::nullopt;
    if (stored > newVersion)
        return QStringLiteral("A jelenlegi adatbázis (") + versionFieldText +
               QStringLiteral(") újabb mint amivel (") + app::dateTimeText(newVersion) +
               QStringLiteral(") frissíteni szeretné! Valóban frissíteni szeretné?");
    return QStringLiteral("A jelenlegi adatbázis verziója (") + versionFieldText +
           QStringLiteral(") megegyezik a frissítés (") + app::dateTimeText(newVersion) +
           QStringLiteral(") verziójával! Valóban frissíteni szeretné?");
}

QString registerVersionText(store::Query& query)
{
    const std::optional<QDateTime> version = store::registerVersion(query);
    return version ? app::dateTimeText(*version) : kUnknownVersion;
}

bool refreshRegister(store::Query& query, const QString& path, const QDateTime& newVersion,
                     app::MessageService& messages,
                     const std::function<void(int written, int total)>& progress,
                     const std::function<void()>& copied)
{
    std::unique_ptr<Workbook> book;
    try {
        book = std::make_unique<Workbook>(path);
        book->selectSheet(0);
    } catch (const WorkbookError&) {
        // The file changed or went away since its check.
        messages.inform(kCannotOpen);
        return false;
    }

    try {
        query.execute(QStringLiteral("truncate table SZERVEK_TEMP"));
    } catch (const store::SqlError&) {
        messages.inform(QStringLiteral("Nem sikerült törölni a SZERVEK_TEMP táblát! Frissítés leállítva!"));
        query.close();
        return false;
    }

    // Rows without a code or a name never reach the register, even from a file changed since its check.
    const auto fillTemp = [&]() -> bool {
        const int last = book->lastUsedRow();
        if (last < 2)
            return false;
        if (progress)
            progress(0, last - 1);
        query.close();
        query.setSql(
            QStringLiteral("INSERT INTO SZERVEK_TEMP (TKOD, SZERVNEV, ROVIDNEV, IRSZ, TELEPULES,MINOSITETT) "
                           "VALUES (:TKOD, :SZERVNEV, :ROVIDNEV, :IRSZ, :TELEPULES, :MINOSITETT)"));
        // The rows go to the server's thread a run at a time rather than one hand-over a row, which
        // would cost more than the insert itself; the progress of the run follows on this thread.
        constexpr int kRowsPerHandOver = 50;
        for (int first = 2; first <= last; first += kRowsPerHandOver) {
            const int end = std::min(last, first + kRowsPerHandOver - 1);
            bool complete = true;
            store::ServerThread::call([&] {
                for (int row = first; row <= end; ++row) {
                    QString cells[6];
                    for (int column = 1; column <= 6; ++column)
                        cells[column - 1] = book->cellText(row, column);
                    if (cells[0].isEmpty() || cells[1].isEmpty()) {
                        complete = false;
                        break;
                    }
                    for (int column = 0; column < 5; ++column)
                        query.setText(kHeader[column], cells[column]);
                    // An empty flag means 0 (not classified-only); the store refuses empty text for a number.
                    query.setParam(kHeader[5], cells[5].isEmpty() ? QVariant(0) : QVariant(cells[5]));
                    query.execute();
                }
            });
            if (!complete)
                return false;
            if (progress) {
                for (int row = first; row <= end; ++row)
                    progress(row - 1, last - 1);
            }
        }
        return true;
    };
    bool filled = false;
    try {
        filled = fillTemp();
    } catch (const store::SqlError&) {
        filled = false;
    }
    if (!filled) {
        messages.inform(kFillFailed);
        query.close();
        return false;
    }
    book.reset();

    // SZERVEK is emptied before the copy; whatever fails from there on puts the old rows back.
    bool emptied = false;
    try {
        const StoredRegister previous = readRegister(query);
        try {
            query.execute(QStringLiteral("truncate table SZERVEK"));
            emptied = true;
            query.execute(QStringLiteral("INSERT INTO SZERVEK SELECT * FROM SZERVEK_TEMP"));
            query.execute(QStringLiteral("truncate table SZERVEK_TEMP"));
        } catch (const store::SqlError&) {
            messages.inform(kFillFailed);
            if (emptied) {
                try {
                    putBack(query, previous);
                } catch (const store::SqlError& error) {
                    messages.inform(
                        QStringLiteral("A SZERVEK tábla korábbi tartalmát nem sikerült visszaírni! (") +
                        error.message() + QStringLiteral(")"));
                }
            }
            query.close();
            return false;
        }
    } catch (const store::SqlError&) {
        // The register could not even be read before the copy; it was not touched.
        messages.inform(kFillFailed);
        query.close();
        return false;
    }
    if (copied)
        copied();

    try {
        query.execute(QStringLiteral("truncate table SZERVEK_VERZIO"));
        query.execute(
            QStringLiteral("INSERT INTO SZERVEK_VERZIO (VERZIO_DATUMIDO) VALUES (:VERZIO_DATUMIDO)"),
            {{QStringLiteral("VERZIO_DATUMIDO"), newVersion}});
    } catch (const store::SqlError&) {
        messages.inform(QStringLiteral("Verzió adat hiba!"));
    }
    messages.inform(QStringLiteral("SZERVEK tábla frissítése sikeres!"));
    query.close();
    return true;
}

} // namespace admin
