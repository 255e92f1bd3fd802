#include "GuiServices.h"

#include "app/PrintJob.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <stdexcept>

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

void QtPrinters::print(const app::PrintJob& job)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(job.printerName);
    if (info.isNull())
        throw std::runtime_error(
            QStringLiteral("A(z) „%1” nyomtató nem található, a jegyzék nem nyomtatható!")
                .arg(job.printerName)
                .toStdString());
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(job.title);
    printer.setCopyCount(job.copies);
    printer.setFullPage(true);
    if (!printer.isValid())
        throw std::runtime_error(
            QStringLiteral("A(z) „%1” nyomtató nem használható!").arg(job.printerName).toStdString());
    app::renderPrintJob(printer, job);
    if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted)
        throw std::runtime_error(QStringLiteral("A(z) „%1” nyomtató hibát jelzett, a nyomtatás nem sikerült!")
                                     .arg(job.printerName)
                                     .toStdString());
}

QString QtFileDialogs::openFileName(const QString& filter, const QString& startFolder)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), startFolder, filter);
}

QString QtFileDialogs::saveFileName(const QString& filter, const QString& startFolder, const QString& proposedName)
{
    QFileDialog dialog(QApplication::activeWindow(), QString(), startFolder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The first pattern of the filter, "*.zip", gives the extension of a bare typed name.
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    if (match.hasMatch())
        dialog.setDefaultSuffix(match.captured(1));
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void installGuiServices()
{
    static QtMessages messages;
    static QtPrinters printers;
    static app::SystemClock clock;
    static QtFileDialogs fileDialogs;
    app::setFileDialogs(&fileDialogs);
    app::setMessages(&messages);
    app::setPrinters(&printers);
    app::setClock(&clock);
}

} // namespace ui
