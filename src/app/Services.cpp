#include "Services.h"

#include <cstdio>

namespace app {

namespace {

// Until the program installs its message boxes, messages go to the error stream.
class StreamMessages : public MessageService
{
public:
    void inform(const QString& text) override { std::fprintf(stderr, "Dispora: %s\n", qPrintable(text)); }
};

class NoPrinters : public PrinterService
{
public:
    QStringList printerNames() const override { return {}; }
    int currentPrinterIndex() const override { return -1; }
};

// Without a window system there is nobody to choose a file.
class NoFileDialogs : public FileDialogService
{
public:
    QString openFileName(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

MessageService* g_messages = nullptr;
FileDialogService* g_fileDialogs = nullptr;
Clock* g_clock = nullptr;
PrinterService* g_printers = nullptr;

} // namespace

MessageService& messages()
{
    static StreamMessages fallback;
    return g_messages ? *g_messages : fallback;
}

Clock& clock()
{
    static SystemClock fallback;
    return g_clock ? *g_clock : fallback;
}

PrinterService& printers()
{
    static NoPrinters fallback;
    return g_printers ? *g_printers : fallback;
}

FileDialogService& fileDialogs()
{
    static NoFileDialogs fallback;
    return g_fileDialogs ? *g_fileDialogs : fallback;
}

void setFileDialogs(FileDialogService* service)
{
    g_fileDialogs = service;
}

void setMessages(MessageService* service)
{
    g_messages = service;
}

void setClock(Clock* service)
{
    g_clock = service;
}

void setPrinters(PrinterService* service)
{
    g_printers = service;
}

} // namespace app
