#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace app {

struct PrintJob;

// Plain message boxes: title "Dispora", the text, one OK button.
class MessageService
{
public:
    virtual ~MessageService() = default;
    virtual void inform(const QString& text) = 0;
};

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// The system's printers as the settings and the printing see them.
class PrinterService
{
public:
    virtual ~PrinterService() = default;
    virtual QStringList printerNames() const = 0;
    // Position of the system's current (default) printer in printerNames(), -1 when none.
    virtual int currentPrinterIndex() const = 0;
    // Prints one job on the printer it names, without a dialog; raises
    // std::runtime_error with a text for the operator when the job cannot be printed.
    virtual void print(const PrintJob& job);
};

// Open and save file dialogs. An empty result means the operator cancelled.
class FileDialogService
{
public:
    virtual ~FileDialogService() = default;
    // filter as Qt writes it, for example "zip (*.zip)"; startFolder may be empty.
    virtual QString openFileName(const QString& filter, const QString& startFolder) = 0;
    // proposedName is a bare file name put into the dialog; a name typed without the
    // filter's extension gets it.
    virtual QString saveFileName(const QString& filter, const QString& startFolder,
                                 const QString& proposedName) = 0;
};

// The services in use. The program installs the real ones at start; tests install their own.
MessageService& messages();
Clock& clock();
PrinterService& printers();
FileDialogService& fileDialogs();
void setMessages(MessageService* service);
void setClock(Clock* service);
void setPrinters(PrinterService* service);
void setFileDialogs(FileDialogService* service);

// A clock that reads the system time.
class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace app
