#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace app {

// Keeps a second copy of the program out within one user logon: a lock file in the
// user's runtime folder, held for the life of the process. A lock left behind by a
// copy that crashed is taken over.
class InstanceGuard
{
public:
    // folder: where the lock lives; empty means the user's runtime folder.
    explicit InstanceGuard(const QString& folder = QString());
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // True when this process now holds the lock (also when it held it already).
    bool tryAcquire();
    bool isHeld() const;
    QString lockFilePath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace app
