#include "DisplayColumns.h"

#include "Query.h"

#include <array>

namespace store {

namespace {

const std::array<Classification, 7>& classifications()
{
    static const std::array<Classification, 7> table = {{
        {0, QString(), QString(), QString()},
        {1, QStringLiteral("Szigorúan Titkos"), QStringLiteral("Szigorúan Titkos"),
         QStringLiteral("Szigorúan Titkos minősítésű küldemény")},
        {2, QStringLiteral("Titkos"), QStringLiteral("Titkos"),
         QStringLiteral("Titkos minősítésű küldemény")},
        {3, QStringLiteral("Bizalmas"), QStringLiteral("Bizalmas"),
         QStringLiteral("Bizalmas minősítésű küldemény")},
        {4, QStringLiteral("Korlátozott terjesztésű"), QStringLiteral("Korlátozott terjesztésű"),
         QStringLiteral("Korlátozott terjesztésű küldemény")},
        {5, QStringLiteral("Nyilvántartott"), QStringLiteral("Nyilvántartott"),
         QStringLiteral("Nyilvántartott")},
        {6, QStringLiteral("Sima"), QStringLiteral("Sima"), QStringLiteral("Sima számnélküli küldemény")},
    }};
    return table;
}

// Column widths of the item view, in characters.
constexpr qsizetype kSerialWidth = 4;
constexpr qsizetype kRegistrationWidth = 255;
constexpr qsizetype kClassificationWidth = 200;
constexpr qsizetype kCountWidth = 10;
constexpr qsizetype kAddresseeWidth = 255;

QString textOrDash(const QVariant& value)
{
    const QString text = value.isNull() ? QString() : value.toString();
    return text.isEmpty() ? QStringLiteral("-") : text;
}

qlonglong wholeOrZero(const QVariant& value)
{
    return value.isNull() ? 0 : value.toLongLong();
}

} // namespace

const Classification* classification(int code)
{
    if (code < 0 || code > 6)
        return nullptr;
    return &classifications()[size_t(code)];
}

DisplayColumns computeDisplayColumns(const ItemColumns& item)
{
    DisplayColumns out;
    out.KCIMZETT_SZ = textOrDash(item.KCIMZETT);
    out.IKTSZAM_SZ = textOrDash(item.IKTSZAM);
    bool isCode = false;
    const int code = item.MJEL.isNull() ? -1 : item.MJEL.toString().toInt(&isCode);
    if (isCode) {
        if (const Classification* c = classification(code))
            out.MJEL_SZ = c->displayText;
    }
    const bool member = wholeOrZero(item.SZULO_ID) > 0;
    if (member) {
        out.MJEL_SZ.clear();
        out.KCIMZETT_SZ.clear();
    } else {
        out.SORSZAM_SZ = QString::number(wholeOrZero(item.SORSZAM));
        out.DB_SZ = QString::number(wholeOrZero(item.DB));
    }
    out.SORSZAM_SZ.truncate(kSerialWidth);
    out.IKTSZAM_SZ.truncate(kRegistrationWidth);
    out.MJEL_SZ.truncate(kClassificationWidth);
    out.DB_SZ.truncate(kCountWidth);
    out.KCIMZETT_SZ.truncate(kAddresseeWidth);
    return out;
}

DisplayColumns displayColumnsOf(const Query& view, int row)
{
    ItemColumns item;
    item.KCIMZETT = view.value(row, QStringLiteral("KCIMZETT"));
    item.IKTSZAM = view.value(row, QStringLiteral("IKTSZAM"));
    item.MJEL = view.value(row, QStringLiteral("MJEL"));
    item.SZULO_ID = view.value(row, QStringLiteral("SZULO_ID"));
    item.SORSZAM = view.value(row, QStringLiteral("SORSZAM"));
    item.DB = view.value(row, QStringLiteral("DB"));
    return computeDisplayColumns(item);
}

} // namespace store
