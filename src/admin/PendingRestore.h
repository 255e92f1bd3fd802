#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace admin {

// Completes a restore requested in the previous run: when programFolder + "import.txt"
// names an existing zip archive in its first line, the table files of the archive replace
// those of programFolder + "data/kovenda/" and the request is deleted. Must run before the
// store is opened.
//
// All or nothing: the whole archive is read and CRC-checked, its table files (by bare name,
// folder parts dropped; other entries are not taken) are written into a staging folder of
// the program folder, the current table files are saved as an archive in
// "adatbazis_mentes/", and only then are the table files replaced. Any failure leaves the
// database folder as it was and keeps the request for the next start; errorText() says why.
class PendingRestore
{
public:
    enum class Outcome
    {
        NoRequest, // no request file
        Left,      // request without lines or naming no existing file: left alone
        Applied,   // table files replaced, request deleted
        Failed,    // nothing replaced (see errorText): request kept for the next start
    };

    // now names the archive of the current table files.
    explicit PendingRestore(QString programFolder, QDateTime now = QDateTime::currentDateTime());

    Outcome apply();
    // Why the last apply() failed, for the operator; empty unless it failed.
    QString errorText() const { return m_error; }
    // The archive the table files were saved to before they were replaced; empty when the
    // database folder held no file.
    QString savedCopyPath() const { return m_savedCopy; }

    // The name an archive entry is written under, or an empty string for an entry that
    // is not taken: anything but a table file of this store.
    static QString targetName(const QString& entryName);

    // The staging folder below the program folder.
    static QString stagingFolder(const QString& programFolder);

    // Bytes free on the disk that holds a folder; tests put their own measure in place
    // (an empty function restores the real one).
    using FreeSpace = std::function<qint64(const QString& folder)>;
    static void setFreeSpace(FreeSpace measure);

private:
    bool stage(const QString& archive, const QString& staging);
    bool saveCurrentFiles(const QString& databaseFolder);
    bool replace(const QString& staging, const QString& databaseFolder);
    void fail(const QString& reason);

    QString m_programFolder;
    QDateTime m_now;
    QString m_archive;
    QString m_error;
    QString m_savedCopy;
    QStringList m_staged;
};

} // namespace admin
