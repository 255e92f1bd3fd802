#include "ZipWriter.h"

#include <QFile>
#include <stdexcept>
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
        if (zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(source);
            fail();
        }
    }
    if (zip_close(archive) != 0)
        fail();
}

} // namespace admin
