#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace app {
class MessageService;
}
namespace store {
class Query;
}

namespace admin {

// The outcome of checking a register file: whether it may be refreshed from, and the version
// read from cell A2 of its second sheet (invalid when there was none).
struct RegisterFileCheck
{
    bool passed = false;
    QDateTime version;
};

// Checks a register workbook: the version on sheet 2, the six header cells of sheet 1, and a
// code and a name in every row below them (at least one such row). Each failure is shown
// through `messages`; a file that cannot be read gives no version.
RegisterFileCheck checkRegisterFile(const QString& path, app::MessageService& messages);

// The question to ask before refreshing from a file of version newVersion while the window
// shows versionFieldText as the stored version; nothing when the refresh goes ahead at once
// (the stored version is earlier, or the text is no date and time, as "Ismeretlen verzió!").
std::optional<QString> refreshQuestion(const QString& versionFieldText, const QDateTime& newVersion);

// The stored register version as the window shows it, or "Ismeretlen verzió!".
QString registerVersionText(store::Query& query);

// Replaces the register with the rows of a checked workbook and stores newVersion as its
// version. progress(written, total) is called with (0, total) first and then once for every
// row written, in order (a run of rows at a time, after their inserts); copied() once the new
// rows are in SZERVEK. Failures are shown through `messages`; a failure after SZERVEK was
// emptied puts the previous register back, so it is never left empty or half-filled. Returns
// true when SZERVEK holds the rows of the file.
bool refreshRegister(store::Query& query, const QString& path, const QDateTime& newVersion,
                     app::MessageService& messages,
                     const std::function<void(int written, int total)>& progress,
                     const std::function<void()>& copied = {});

} // namespace admin
