#pragma once

#include "app/Services.h"

namespace ui {

// Message boxes titled "Dispora" with one OK button.
class QtMessages : public app::MessageService
{
public:
    void inform(const QString& text) override;
};

// The printers installed on the system, as Qt's print support sees them.
class QtPrinters : public app::PrinterService
{
public:
    QStringList printerNames() const override;
    int currentPrinterIndex() const override;
    void print(const app::PrintJob& job) override;
};

// Qt's own file dialogs, in front of the active window.
class QtFileDialogs : public app::FileDialogService
{
public:
    QString openFileName(const QString& filter, const QString& startFolder) override;
    QString saveFileName(const QString& filter, const QString& startFolder, const QString& proposedName) override;
};

// Installs the real services for the running program.
void installGuiServices();

} // namespace ui
