#include "TableFiles.h"

#include <QSet>

namespace admin {

QString databaseFolder(const QString& programFolder)
{
    QString folder = programFolder;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    return folder + QStringLiteral("data/kovenda/");
}

const QStringList& storeTableNames()
{
    static const QStringList names = {
        QStringLiteral("b2"),
        QStringLiteral("bzs3"),
        QStringLiteral("b2zsak"),
        QStringLiteral("b2nato"),
        QStringLiteral("bzs3nato"),
        QStringLiteral("b2_adatok"),
        QStringLiteral("bzs3_adatok"),
        QStringLiteral("b2zsak_adatok"),
        QStringLiteral("b2nato_adatok"),
        QStringLiteral("bzs3nato_adatok"),
        QStringLiteral("szervek"),
        QStringLiteral("szervek_temp"),
        QStringLiteral("szervek_verzio"),
        QStringLiteral("minosites"),
        QStringLiteral("beallitasok"),
        QStringLiteral("csoportos"),
        QStringLiteral("temp"),
        QStringLiteral("frissites"),
    };
    return names;
}

const QStringList& tableFileExtensions()
{
    static const QStringList extensions = {QStringLiteral("frm"), QStringLiteral("MYD"),
                                           QStringLiteral("MYI")};
    return extensions;
}

QString tableFileName(const QString& bareName)
{
    if (!isPlainFileName(bareName))
        return QString();
    const qsizetype dot = bareName.lastIndexOf(u'.');
    if (dot <= 0)
        return QString();
    const QString table = bareName.left(dot).toLower();
    const QString extension = bareName.mid(dot + 1);
    if (!storeTableNames().contains(table))
        return QString();
    for (const QString& known : tableFileExtensions()) {
        if (extension.compare(known, Qt::CaseInsensitive) == 0)
            return table + u'.' + known;
    }
    return QString();
}

bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QChar(0)) &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

QStringList incompleteTables(const QStringList& tableFileNames)
{
    const QSet<QString> present(tableFileNames.begin(), tableFileNames.end());
    QStringList incomplete;
    for (const QString& table : storeTableNames()) {
        int found = 0;
        for (const QString& extension : tableFileExtensions())
            found += present.contains(table + u'.' + extension) ? 1 : 0;
        if (found > 0 && found < int(tableFileExtensions().size()))
            incomplete << table;
    }
    return incomplete;
}

} // namespace admin
