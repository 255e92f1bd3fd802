#include "ZipWriter.h"

#include "ZipReader.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <zip.h>

namespace admin {

void writeZip(const QString& archivePath, const std::vector<ZipEntry>& entries)
{
    int code = 0;
    const QByteArray path = QFile::encodeName(archivePath);
    zip_t* archive = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const std::string text = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw std::runtime_error(text);
    }
    auto fail = [&] {
        const std::string text = zip_strerror(archive);
        zip_discard(archive);
        throw std::runtime_error(text);
    };
    for (const ZipEntry& entry : entries) {
        const QByteArray name = entry.name.toUtf8();
        if (name.endsWith('/')) {
            if (zip_dir_add(archive, name.constData(), ZIP_FL_ENC_UTF_8) < 0)
                fail();
            continue;
        }
        // The archive copies the data when it is closed; keep it alive until then.
        zip_source_t* source =
            zip_source_buffer(archive, entry.data.constData(), zip_uint64_t(entry.data.size()), 0);
        if (!source)
            fail();
        const zip_int64_t index =
            zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            fail();
        }
        if (entry.stored && zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0) != 0)
            fail();
    }
    if (zip_close(archive) != 0)
        fail();
}

namespace {

QString libraryError(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

// The archive as written must hold exactly the files added, each readable to its end.
QString checkWritten(const QString& path, const QHash<QString, qint64>& sizes)
{
    ZipReader reader;
    if (!reader.open(path, true))
        return reader.errorText();
    if (reader.entries().size() != size_t(sizes.size()))
        return QStringLiteral("the archive holds %1 entries instead of %2")
            .arg(reader.entries().size())
            .arg(sizes.size());
    for (const ZipReader::Entry& entry : reader.entries()) {
        const auto found = sizes.constFind(entry.name);
        if (found == sizes.constEnd() || found.value() != entry.size)
            return QStringLiteral("%1: not the file that was added").arg(entry.name);
    }
    if (!reader.verifyAll())
        return reader.errorText();
    return QString();
}

} // namespace

FolderArchive archiveFolderFiles(const QString& folder, const QString& archivePath)
{
    FolderArchive result;
    struct Source
    {
        QString path;
        QString name;
        qint64 size;
    };
    std::vector<Source> sources;
    QSet<QString> names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString name = info.fileName();
        QFile probe(path);
        // Two files of one bare name cannot both be kept, and an unreadable one not at all.
        if (names.contains(name) || !probe.open(QIODevice::ReadOnly)) {
            result.skipped << path;
            continue;
        }
        names.insert(name);
        sources.push_back({path, name, probe.size()});
    }
    if (sources.empty()) {
        result.error = QStringLiteral("no file in %1").arg(folder);
        return result;
    }
    if (!result.skipped.isEmpty()) {
        result.error = QStringLiteral("cannot store %1").arg(result.skipped.join(QStringLiteral(", ")));
        return result;
    }

    // Written under a name of its own and renamed only once it has been checked.
    const QString partial = archivePath + QStringLiteral(".part");
    QFile::remove(partial);
    int code = 0;
    const QByteArray partialName = QFile::encodeName(partial);
    zip_t* archive = zip_open(partialName.constData(), ZIP_CREATE | ZIP_EXCL, &code);
    if (!archive) {
        result.error = libraryError(code);
        return result;
    }
    QHash<QString, qint64> sizes;
    for (const Source& source : sources) {
        const QByteArray path = QFile::encodeName(source.path);
        zip_source_t* data = zip_source_file(archive, path.constData(), 0, 0);
        const QByteArray name = source.name.toUtf8();
        zip_int64_t index = -1;
        if (data)
            index = zip_file_add(archive, name.constData(), data, ZIP_FL_ENC_UTF_8);
        if (index < 0 && data)
            zip_source_free(data);
        // The library's own default is its strongest and slowest level; the usual one
        // leaves table files hardly larger.
        if (index < 0 || zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 6) != 0) {
            result.error = source.path + QStringLiteral(": ") + QString::fromUtf8(zip_strerror(archive));
            zip_discard(archive);
            QFile::remove(partial);
            return result;
        }
        sizes.insert(source.name, source.size);
    }
    if (zip_close(archive) != 0) {
        result.error = QString::fromUtf8(zip_strerror(archive));
        zip_discard(archive);
        QFile::remove(partial);
        return result;
    }
    result.error = checkWritten(partial, sizes);
    if (!result.error.isEmpty()) {
        QFile::remove(partial);
        return result;
    }
    std::error_code failed;
    std::filesystem::rename(std::filesystem::path(partialName.toStdString()),
                            std::filesystem::path(QFile::encodeName(archivePath).toStdString()), failed);
    if (failed) {
        result.error = QString::fromStdString(failed.message());
        QFile::remove(partial);
        return result;
    }
    for (const Source& source : sources)
        result.stored << source.name;
    return result;
}

} // namespace admin
