#include "PendingRestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <zip.h>

namespace admin {

namespace {

struct ArchiveCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser
{
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};

QString firstLine(const QString& path, bool* ok)
{
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly | QIODevice::Text);
    if (!*ok)
        return QString();
    QTextStream in(&file);
    return in.readLine();
}

} // namespace

PendingRestore::PendingRestore(QString programFolder) : m_programFolder(std::move(programFolder)) {}

QString PendingRestore::targetName(const QString& entryName)
{
    if (entryName.isEmpty() || entryName.endsWith(u'/') || entryName.endsWith(u'\\'))
        return QString();
    // Archives made on Windows separate folders with backslashes; only the last part counts.
    QString name = entryName;
    const qsizetype cut = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    if (cut >= 0)
        name = name.mid(cut + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QChar(0)))
        return QString();
    return name;
}

PendingRestore::Outcome PendingRestore::apply()
{
    m_error.clear();
    const QString request = m_programFolder + QStringLiteral("import.txt");
    if (!QFileInfo::exists(request))
        return Outcome::NoRequest;
    bool readable = false;
    QString archive = firstLine(request, &readable);
    if (!readable) {
        m_error = QStringLiteral("cannot read %1").arg(request);
        return Outcome::Failed;
    }
    archive = archive.trimmed();
    if (archive.isEmpty() || !QFileInfo(archive).isFile())
        return Outcome::Left;

    const QString target = m_programFolder + QStringLiteral("data/kovenda/");
    if (!extract(archive, target))
        return Outcome::Failed;

    // Emptied first, so that a request that cannot be deleted is at least harmless.
    {
        QFile file(request);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            m_error = QStringLiteral("cannot empty %1").arg(request);
            return Outcome::Failed;
        }
    }
    if (!QFile::remove(request)) {
        m_error = QStringLiteral("cannot delete %1").arg(request);
        return Outcome::Failed;
    }
    return Outcome::Applied;
}

bool PendingRestore::extract(const QString& archivePath, const QString& targetFolder)
{
    int code = 0;
    const QByteArray path = QFile::encodeName(archivePath);
    std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open(path.constData(), ZIP_RDONLY, &code));
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        m_error = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        return false;
    }
    if (!QDir().mkpath(targetFolder)) {
        m_error = QStringLiteral("cannot create %1").arg(targetFolder);
        return false;
    }
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* rawName = zip_get_name(archive.get(), zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        if (!rawName) {
            m_error = QString::fromUtf8(zip_strerror(archive.get()));
            return false;
        }
        const QString name = targetName(QString::fromUtf8(rawName));
        if (name.isEmpty())
            continue;
        std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen_index(archive.get(), zip_uint64_t(i), 0));
        if (!entry) {
            m_error = QString::fromUtf8(zip_strerror(archive.get()));
            return false;
        }
        // Written beside the target under a temporary name and renamed over it only when
        // complete, so a failure never leaves a half-written table file behind.
        QSaveFile out(targetFolder + name);
        out.setDirectWriteFallback(false);
        if (!out.open(QIODevice::WriteOnly)) {
            m_error = out.errorString();
            return false;
        }
        char buffer[64 * 1024];
        for (;;) {
            const zip_int64_t n = zip_fread(entry.get(), buffer, sizeof buffer);
            if (n < 0) {
                m_error = QString::fromUtf8(zip_file_strerror(entry.get()));
                out.cancelWriting();
                return false;
            }
            if (n == 0)
                break;
            if (out.write(buffer, n) != n) {
                m_error = out.errorString();
                out.cancelWriting();
                return false;
            }
        }
        if (!out.commit()) {
            m_error = out.errorString();
            return false;
        }
    }
    return true;
}

} // namespace admin
