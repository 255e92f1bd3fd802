#include "GuiServices.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrinterInfo>

namespace ui {

void QtMessages::inform(const QString& text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Dispora"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

QStringList QtPrinters::printerNames() const
{
    return QPrinterInfo::availablePrinterNames();
}

int QtPrinters::currentPrinterIndex() const
{
    return printerNames().indexOf(QPrinterInfo::defaultPrinterName());
}

void installGuiServices()
{
    static QtMessages messages;
    static QtPrinters printers;
    static app::SystemClock clock;
    app::setMessages(&messages);
    app::setPrinters(&printers);
    app::setClock(&clock);
}

} // namespace ui
