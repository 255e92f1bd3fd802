#include "FirebirdRestore.h"

#include "FirebirdSource.h"
#include "LegacyMigration.h"

#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

#include <ibase.h>

namespace store::firebird {

namespace {

// The few calls of the client library the restore needs, resolved at run time so that a
// start without a backup to restore never loads the library.
struct ServiceCalls
{
    decltype(&isc_service_attach) attach = nullptr;
    decltype(&isc_service_start) start = nullptr;
    decltype(&isc_service_query) query = nullptr;
    decltype(&isc_service_detach) detach = nullptr;
    decltype(&fb_interpret) interpret = nullptr;
};

template <class F> void resolve(QLibrary& library, const char* name, F& function)
{
    function = reinterpret_cast<F>(library.resolve(name));
    if (!function)
        throw LegacyError(QStringLiteral("a Firebird ügyfélkönyvtárából hiányzik a(z) %1 hívás")
                              .arg(QString::fromLatin1(name)));
}

ServiceCalls loadServiceCalls()
{
    static QLibrary library;
    static ServiceCalls calls;
    if (calls.attach)
        return calls;
    library.setFileNameAndVersion(QStringLiteral("fbclient"), 2);
    if (!library.load())
        throw LegacyError(
            QStringLiteral("a Firebird ügyfélkönyvtára nem tölthető be (%1)").arg(library.errorString()));
    ServiceCalls found;
    resolve(library, "isc_service_attach", found.attach);
    resolve(library, "isc_service_start", found.start);
    resolve(library, "isc_service_query", found.query);
    resolve(library, "isc_service_detach", found.detach);
    resolve(library, "fb_interpret", found.interpret);
    calls = found;
    return calls;
}

QString statusText(const ServiceCalls& calls, const ISC_STATUS* status)
{
    QStringList parts;
    char buffer[512];
    const ISC_STATUS* cursor = status;
    while (calls.interpret(buffer, sizeof buffer, &cursor) > 0)
        parts << QString::fromLocal8Bit(buffer);
    return parts.join(QStringLiteral(" - "));
}

bool failed(const ISC_STATUS* status)
{
    return status[0] == 1 && status[1] != 0;
}

void appendWord(QByteArray& block, int value)
{
    block.append(char(value & 0xff));
    block.append(char((value >> 8) & 0xff));
}

void appendLong(QByteArray& block, int value)
{
    appendWord(block, value & 0xffff);
    appendWord(block, (value >> 16) & 0xffff);
}

void appendPath(QByteArray& block, char tag, const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.size() > 0xffff)
        throw LegacyError(QStringLiteral("túl hosszú az elérési út: %1").arg(path));
    block.append(tag);
    appendWord(block, int(bytes.size()));
    block.append(bytes);
}

// Runs the restore into `target` and waits for its end; returns the engine's error text,
// empty on success.
QString runRestore(const ServiceCalls& calls, const QString& backupFile, const QString& target)
{
    ISC_STATUS_ARRAY status = {};
    isc_svc_handle service = 0;

    QByteArray attach;
    attach.append(char(isc_spb_version));
    attach.append(char(isc_spb_current_version));
    const QByteArray user("SYSDBA");
    attach.append(char(isc_spb_user_name));
    attach.append(char(user.size()));
    attach.append(user);
    const char* manager = "service_mgr";
    calls.attach(status, 0, manager, &service, static_cast<unsigned short>(attach.size()),
                 attach.constData());
    if (failed(status))
        return statusText(calls, status);

    QByteArray request;
    request.append(char(isc_action_svc_restore));
    appendPath(request, char(isc_spb_bkp_file), backupFile);
    appendPath(request, char(isc_spb_dbname), target);
    request.append(char(isc_spb_options));
    appendLong(request, isc_spb_res_create);
    request.append(char(isc_spb_verbose));
    calls.start(status, &service, nullptr, static_cast<unsigned short>(request.size()), request.constData());
    QString error;
    if (failed(status))
        error = statusText(calls, status);

    // The service reports its progress line by line and its failure with the last query.
    QStringList lines;
    const char items[] = {char(isc_info_svc_line)};
    char buffer[4096];
    while (error.isEmpty()) {
        calls.query(status, &service, nullptr, 0, nullptr, sizeof items, items, sizeof buffer, buffer);
        if (failed(status)) {
            error = statusText(calls, status);
            break;
        }
        if (static_cast<unsigned char>(buffer[0]) != isc_info_svc_line)
            break;
        const int length =
            static_cast<unsigned char>(buffer[1]) | (static_cast<unsigned char>(buffer[2]) << 8);
        if (length == 0)
            break;
        lines << QString::fromLocal8Bit(buffer + 3, qMin(length, int(sizeof buffer) - 3));
    }
    ISC_STATUS_ARRAY detachStatus = {};
    calls.detach(detachStatus, &service);
    if (error.isEmpty()) {
        // An engine that ends a failed restore quietly still names the error in its output.
        for (const QString& line : lines) {
            if (line.contains(QStringLiteral("ERROR"), Qt::CaseSensitive))
                error += (error.isEmpty() ? QString() : QStringLiteral(" - ")) + line.trimmed();
        }
    }
    return error;
}

} // namespace

void restoreBackup(const QString& backupFile, const QString& databaseFile)
{
    if (!QFileInfo(backupFile).isFile())
        throw LegacyError(QStringLiteral("a mentés nem létezik"));
    if (QFileInfo::exists(databaseFile))
        throw LegacyError(QStringLiteral("már van %1 fájl").arg(databaseFile));
    const ServiceCalls calls = loadServiceCalls();
    prepareEngine();

    // Restored beside its place and renamed at the end, so that an interrupted restore
    // never leaves a half database under the real name.
    const QString partial = databaseFile + QStringLiteral(".visszatoltes");
    QFile::remove(partial);
    const QString error = runRestore(calls, backupFile, partial);
    if (!error.isEmpty()) {
        QFile::remove(partial);
        throw LegacyError(reasonFor(error, partial, databaseFile));
    }
    if (!QFileInfo(partial).isFile())
        throw LegacyError(QStringLiteral("a visszatöltés nem hozta létre az adatbázist"));
    if (!QFile::rename(partial, databaseFile)) {
        QFile::remove(partial);
        throw LegacyError(
            QStringLiteral("a visszatöltött adatbázis nem nevezhető át %1 névre").arg(databaseFile));
    }
}

} // namespace store::firebird
