#pragma once

#include <QString>

namespace store {

// The in-use lock of the program folder: an exclusive hold on "used.uld" for the whole
// run, so that a second copy working on the same folder cannot start. The file ships
// with the program and is never created here.
class FolderLock
{
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    void setFileName(const QString& path) { m_path = path; }
    QString fileName() const { return m_path; }

    // Takes the lock; does nothing when held already. Throws SqlError when the file is
    // missing or another holder has it.
    void open();
    void close();
    bool isOpen() const { return m_fd >= 0; }

    // Whether another open of the lock file holds it now (a copy of the program under
    // another logon). False when the file is missing or free.
    static bool heldElsewhere(const QString& path);

private:
    QString m_path;
    int m_fd = -1;
};

} // namespace store
