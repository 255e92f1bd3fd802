#include "DateTimeText.h"

namespace app {

QString dateTimeText(const QDateTime& moment)
{
    return moment.toString(QStringLiteral("yyyy.MM.dd. HH:mm:ss"));
}

QDateTime parseDateTimeText(const QString& text)
{
    const QString trimmed = text.trimmed();
    for (const QString& format : {QStringLiteral("yyyy.MM.dd. H:mm:ss"), QStringLiteral("yyyy.MM.dd. H:mm"),
                                  QStringLiteral("yyyy.MM.dd."), QStringLiteral("yyyy. MM. dd. H:mm:ss"),
                                  QStringLiteral("yyyy-MM-dd H:mm:ss")}) {
        const QDateTime value = QDateTime::fromString(trimmed, format);
        if (value.isValid())
            return value;
    }
    return QDateTime();
}

} // namespace app
