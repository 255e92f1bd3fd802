#include "Language.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ui {

bool installHungarian(QApplication& app)
{
    const QLocale hungarian(QLocale::Hungarian, QLocale::Hungary);
    QLocale::setDefault(hungarian);
    static QTranslator qtbase;
    if (!qtbase.load(hungarian, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    app.installTranslator(&qtbase);
    return true;
}

} // namespace ui
