#pragma once

#include <QDateTime>
#include <QString>

namespace app {

// Dates and times as the program shows and reads them (Hungarian order):
// "2012.10.16. 14:05:33".
QString dateTimeText(const QDateTime& moment);
// The reverse; an invalid QDateTime for a text that is no date and time.
QDateTime parseDateTimeText(const QString& text);

} // namespace app
