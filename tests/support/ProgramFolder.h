#pragma once

#include "app/Services.h"
#include "store/Connection.h"

#include <QDateTime>
#include <QMarginsF>
#include <QObject>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

namespace testsupport {

// A fresh copy of the built program folder (database and lock file) in a temporary
// folder that is removed at exit. It becomes the working directory and the program
// folder of AppState, and the store is opened on it. The embedded server starts only
// once per process, so a test executable has exactly one such folder.
QString programFolder();

// Empties every table but MINOSITES (restarting every counter) and the items of the
// data module's queries, so each case starts from a new installation.
void resetTables();

// Copies a folder with everything below it (hidden files included).
void copyFolder(const QString& from, const QString& to);

// From now on every statement sent on the main connection is appended to `log` (cleared
// first); the statement equal to `failing`, if given, fails with `error`.
void watchStatements(QStringList& log, const QString& failing = QString(),
                     const QString& error = QStringLiteral("Table is marked as crashed"));

// Runs a statement on the main connection (with named parameters).
void exec(const QString& sql, const std::vector<std::pair<QString, QVariant>>& parameters = {});
// The first column of the first row of a query, or a null QVariant.
QVariant scalar(const QString& sql, const std::vector<std::pair<QString, QVariant>>& parameters = {});
// Every row of a query, its values joined with '|' (null as "NULL").
QStringList rows(const QString& sql, const std::vector<std::pair<QString, QVariant>>& parameters = {});
// The rows of a result the same way.
QStringList rowsOf(const store::ResultSet& set);

// Message boxes that record their texts instead of showing a window.
class RecordingMessages : public app::MessageService
{
public:
    void inform(const QString& text) override;
    QStringList texts;
    std::function<void(const QString&)> onInform; // runs while the "box" is shown
};

class FixedClock : public app::Clock
{
public:
    QDateTime now() const override { return moment; }
    QDateTime moment = QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53));
};

// One job as the fake printers received it.
struct PrintedJob
{
    QString printer;
    QString title;
    QPageSize pageSize;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF marginsMm;
    int copies = 0;
    int pageCount = 0;
    int pagesPainted = 0;
    QString pdfPath; // the job rendered as a PDF file
};

// Printers that render every job into a PDF file of a temporary folder and record it.
class FakePrinters : public app::PrinterService
{
public:
    QStringList printerNames() const override { return names; }
    int currentPrinterIndex() const override { return current; }
    void print(const app::PrintJob& job) override;
    // Forgets the jobs and the failure, counting calls from 1 again.
    void clear();

    QStringList names = {QStringLiteral("Iroda"), QStringLiteral("Titkarsag")};
    int current = 0;
    std::vector<PrintedJob> jobs;
    int calls = 0;     // print calls since the last clear(), failed ones included
    int failAtJob = 0; // this call (1-based) raises as a broken printer would; 0 = none
};

// File dialogs that answer from a queue: each call takes the next name (empty when the
// queue is empty, as a cancelled dialog answers) and records what it was asked.
class ScriptedFileDialogs : public app::FileDialogService
{
public:
    QString openFileName(const QString& filter, const QString& startFolder) override;
    QString saveFileName(const QString& filter, const QString& startFolder,
                         const QString& proposedName) override;

    QStringList next; // answers, first one first
    struct Call
    {
        bool save = false;
        QString filter;
        QString startFolder;
        QString proposedName;
    };
    std::vector<Call> calls;
};

// Installs recording messages, a fixed clock and fake printers for the whole process
// and returns them; call once from initTestCase().
struct Services
{
    RecordingMessages messages;
    FixedClock clock;
    FakePrinters printers;
    ScriptedFileDialogs fileDialogs;
};
Services& installServices();

// A window's control by its object name; fails the test (by throwing) when it is missing,
// so a renamed control shows at once.
template <class T> T* control(QObject* window, const QString& name)
{
    T* found = window->findChild<T*>(name);
    if (!found)
        throw std::logic_error(("no control " + name + " in " + window->objectName()).toStdString());
    return found;
}

// Creates every window of the program once for this test process (with the program's
// keyboard rules installed), after the program folder is ready.
void createWindowsOnce();

} // namespace testsupport
