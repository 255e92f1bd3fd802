#include "ZipReader.h"

#include <QFile>
#include <zip.h>

namespace admin {

ZipReader::~ZipReader()
{
    if (m_archive)
        zip_discard(m_archive);
}

bool ZipReader::open(const QString& path, bool strict)
{
    if (m_archive) {
        zip_discard(m_archive);
        m_archive = nullptr;
    }
    m_entries.clear();
    m_error.clear();
    int code = 0;
    const QByteArray name = QFile::encodeName(path);
    m_archive = zip_open(name.constData(), ZIP_RDONLY | (strict ? ZIP_CHECKCONS : 0), &code);
    if (!m_archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        m_error = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        return false;
    }
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(m_archive, zip_uint64_t(i), ZIP_FL_ENC_GUESS, &stat) != 0 || !stat.name ||
            !(stat.valid & ZIP_STAT_SIZE)) {
            m_error = QString::fromUtf8(zip_strerror(m_archive));
            return false;
        }
        m_entries.push_back({QString::fromUtf8(stat.name), qint64(stat.size)});
    }
    return true;
}

bool ZipReader::read(int index, const Sink& sink)
{
    if (!m_archive || index < 0 || index >= int(m_entries.size())) {
        m_error = QStringLiteral("no such entry");
        return false;
    }
    const QString& name = m_entries[size_t(index)].name;
    zip_file_t* entry = zip_fopen_index(m_archive, zip_uint64_t(index), 0);
    if (!entry) {
        m_error = name + QStringLiteral(": ") + QString::fromUtf8(zip_strerror(m_archive));
        return false;
    }
    // The library checks the CRC only once it is asked for more after the last byte.
    char buffer[64 * 1024];
    qint64 total = 0;
    bool ok = true;
    for (;;) {
        const zip_int64_t n = zip_fread(entry, buffer, sizeof buffer);
        if (n < 0) {
            m_error = name + QStringLiteral(": ") + QString::fromUtf8(zip_file_strerror(entry));
            ok = false;
            break;
        }
        if (n == 0)
            break;
        total += n;
        if (!sink(buffer, qint64(n))) {
            m_error = name + QStringLiteral(": not taken");
            ok = false;
            break;
        }
    }
    const int closed = zip_fclose(entry);
    if (ok && closed != 0) {
        zip_error_t error;
        zip_error_init_with_code(&error, closed);
        m_error = name + QStringLiteral(": ") + QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        ok = false;
    }
    if (ok && total != m_entries[size_t(index)].size) {
        m_error = name + QStringLiteral(": size does not match");
        ok = false;
    }
    return ok;
}

bool ZipReader::verifyAll()
{
    for (int i = 0; i < int(m_entries.size()); ++i) {
        if (!read(i, [](const char*, qint64) { return true; }))
            return false;
    }
    return true;
}

} // namespace admin
