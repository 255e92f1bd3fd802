#pragma once

#include <QString>

namespace admin {

// Completes a restore requested in the previous run: when programFolder + "import.txt"
// names an existing zip archive in its first line, every file of the archive is written
// by its bare file name into programFolder + "data/kovenda/" and the request is deleted.
// Must run before the store is opened. A request that cannot be applied stays for the
// next start; nothing is shown.
class PendingRestore
{
public:
    enum class Outcome
    {
        NoRequest, // no request file
        Left,      // request without lines or naming no existing file: left alone
        Applied,   // archive extracted, request deleted
        Failed,    // extraction failed: request kept for the next start
    };

    explicit PendingRestore(QString programFolder);

    Outcome apply();
    // Why the last apply() failed, for diagnosis.
    QString errorText() const { return m_error; }

    // The name an archive entry is written under, or an empty string for an entry that
    // is skipped (folders) or refused (names that could leave the target folder).
    static QString targetName(const QString& entryName);

private:
    bool extract(const QString& archive, const QString& targetFolder);

    QString m_programFolder;
    QString m_error;
};

} // namespace admin
