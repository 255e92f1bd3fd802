#include "InstanceGuard.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

namespace app {

namespace {

QString runtimeFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

} // namespace

InstanceGuard::InstanceGuard(const QString& folder)
    : m_path(QDir(folder.isEmpty() ? runtimeFolder() : folder).filePath(QStringLiteral("Dispora.lock"))),
      m_lock(std::make_unique<QLockFile>(m_path))
{
    // The program runs for hours: only a lock whose holder is gone counts as stale,
    // never one that is merely old.
    m_lock->setStaleLockTime(0);
}

InstanceGuard::~InstanceGuard() = default;

bool InstanceGuard::tryAcquire()
{
    if (m_lock->isLocked())
        return true;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // tryLock() removes a lock whose process no longer runs and takes it.
    return m_lock->tryLock(0);
}

bool InstanceGuard::isHeld() const
{
    return m_lock->isLocked();
}

} // namespace app
