#pragma once

#include <QString>
#include <functional>
#include <vector>

struct zip;

namespace admin {

// Reads a zip archive entry by entry, each entry checked against its stored size and CRC.
// Failures leave a text (the archive library's, with the entry's name) in errorText().
class ZipReader
{
public:
    struct Entry
    {
        QString name; // as stored, folders included
        qint64 size = 0;
    };

    ZipReader() = default;
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // strict: also check that the archive's directory agrees with its local headers.
    bool open(const QString& path, bool strict = false);
    const std::vector<Entry>& entries() const { return m_entries; }

    // Hands the whole data of one entry to sink, piece by piece; sink returns false to stop.
    // True only when every byte was read and both the size and the CRC matched.
    using Sink = std::function<bool(const char* data, qint64 size)>;
    bool read(int index, const Sink& sink);
    // Reads every entry without keeping its data.
    bool verifyAll();

    QString errorText() const { return m_error; }

private:
    zip* m_archive = nullptr;
    std::vector<Entry> m_entries;
    QString m_error;
};

} // namespace admin
