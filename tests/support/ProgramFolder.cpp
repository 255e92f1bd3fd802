#include "ProgramFolder.h"

#include "app/AppState.h"
#include "app/PrintJob.h"
#include "app/ui/Keyboard.h"
#include "app/ui/Windows.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

namespace testsupport {

void copyFolder(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + path.mid(from.size());
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else if (!QFile::copy(path, target))
            qFatal("cannot copy %s", qPrintable(path));
    }
}

void watchStatements(QStringList& log, const QString& failing, const QString& error)
{
    log.clear();
    store::TDM1::instance().MyConnection1.setStatementFault(
        [&log, failing, error](const QString& sql) -> std::optional<QString> {
            log << sql;
            if (!failing.isEmpty() && sql == failing)
                return error;
            return std::nullopt;
        });
}

namespace {

std::vector<store::Parameter> toParameters(const std::vector<std::pair<QString, QVariant>>& parameters)
{
    std::vector<store::Parameter> out;
    for (const auto& [name, value] : parameters)
        out.push_back({name, value});
    return out;
}

} // namespace

QString programFolder()
{
    static QString folder = [] {
        static QTemporaryDir dir;
        if (!dir.isValid())
            qFatal("no temporary folder");
        const QString ready = QStringLiteral(DISPORA_READY_DIR);
        copyFolder(ready + QStringLiteral("/data"), dir.path() + QStringLiteral("/data"));
        QFile::copy(ready + QStringLiteral("/used.uld"), dir.path() + QStringLiteral("/used.uld"));
        QDir::setCurrent(dir.path());
        const QString path = dir.path() + QLatin1Char('/');
        app::appState().programFolder = path;
        app::appState().programVersion = app::kProgramVersion;
        store::TDM1::instance().MyConnection1.open();
        return path;
    }();
    return folder;
}

void resetTables()
{
    programFolder();
    auto& dm = store::TDM1::instance();
    for (store::Query* q : {&dm.MyQuery1, &dm.MyQuery2, &dm.MyQuery3, &dm.MyQuery4, &dm.MyQuery5,
                            &dm.MyQuery6, &dm.myQuery7, &dm.myQuery8})
        q->close();
    dm.MyConnection1.setStatementFault({});
    static const char* tables[] = {"B2",
                                   "B2_ADATOK",
                                   "BZS3",
                                   "BZS3_ADATOK",
                                   "B2ZSAK",
                                   "B2ZSAK_ADATOK",
                                   "B2NATO",
                                   "B2NATO_ADATOK",
                                   "BZS3NATO",
                                   "BZS3NATO_ADATOK",
                                   "SZERVEK",
                                   "SZERVEK_TEMP",
                                   "SZERVEK_VERZIO",
                                   "BEALLITASOK",
                                   "CSOPORTOS",
                                   "TEMP",
                                   "FRISSITES"};
    for (const char* table : tables)
        dm.MyConnection1.run(QStringLiteral("TRUNCATE TABLE %1").arg(QLatin1String(table)), {});
}

void exec(const QString& sql, const std::vector<std::pair<QString, QVariant>>& parameters)
{
    programFolder();
    store::TDM1::instance().MyConnection1.run(sql, toParameters(parameters));
}

QVariant scalar(const QString& sql, const std::vector<std::pair<QString, QVariant>>& parameters)
{
    programFolder();
    auto result = store::TDM1::instance().MyConnection1.run(sql, toParameters(parameters));
    if (!result || result->rows.empty() || result->rows[0].empty())
        return {};
    return result->rows[0][0];
}

QStringList rowsOf(const store::ResultSet& set)
{
    QStringList out;
    for (const auto& row : set.rows) {
        QStringList values;
        for (const QVariant& v : row) {
            if (v.isNull())
                values << QStringLiteral("NULL");
            else if (v.typeId() == QMetaType::QDateTime)
                values << v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            else
                values << v.toString();
        }
        out << values.join(u'|');
    }
    return out;
}

QStringList rows(const QString& sql, const std::vector<std::pair<QString, QVariant>>& parameters)
{
    programFolder();
    auto result = store::TDM1::instance().MyConnection1.run(sql, toParameters(parameters));
    return result ? rowsOf(*result) : QStringList();
}

void RecordingMessages::inform(const QString& text)
{
    texts << text;
    if (onInform)
        onInform(text);
}

void FakePrinters::print(const app::PrintJob& job)
{
    ++calls;
    if (calls == failAtJob)
        throw std::runtime_error("A nyomtató nem válaszol (tesztnyomtató)!");
    static QTemporaryDir folder;
    static int serial = 0;
    PrintedJob printed;
    printed.printer = job.printerName;
    printed.title = job.title;
    printed.pageSize = job.pageSize;
    printed.orientation = job.orientation;
    printed.marginsMm = job.marginsMm;
    printed.copies = job.copies;
    printed.pageCount = job.pageCount;
    printed.pdfPath = folder.filePath(QStringLiteral("job-%1.pdf").arg(++serial));
    {
        QPdfWriter writer(printed.pdfPath);
        writer.setTitle(job.title);
        writer.setCreator(QStringLiteral("Dispora"));
        app::PrintJob counted = job;
        counted.paintPage = [&](QPainter& painter, int page) {
            ++printed.pagesPainted;
            if (job.paintPage)
                job.paintPage(painter, page);
        };
        app::renderPrintJob(writer, counted);
    }
    jobs.push_back(printed);
}

void FakePrinters::clear()
{
    jobs.clear();
    calls = 0;
    failAtJob = 0;
}

Services& installServices()
{
    static Services services;
    app::setMessages(&services.messages);
    app::setClock(&services.clock);
    app::setPrinters(&services.printers);
    app::setFileDialogs(&services.fileDialogs);
    return services;
}

QString ScriptedFileDialogs::openFileName(const QString& filter, const QString& startFolder)
{
    calls.push_back({false, filter, startFolder, QString()});
    return next.isEmpty() ? QString() : next.takeFirst();
}

QString ScriptedFileDialogs::saveFileName(const QString& filter, const QString& startFolder,
                                          const QString& proposedName)
{
    calls.push_back({true, filter, startFolder, proposedName});
    return next.isEmpty() ? QString() : next.takeFirst();
}

} // namespace testsupport

namespace testsupport {

void createWindowsOnce()
{
    programFolder();
    static bool created = false;
    if (created)
        return;
    created = true;
    ui::installKeyboardConventions(*qApp);
    ui::createWindows();
}

} // namespace testsupport
