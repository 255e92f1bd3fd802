#include "ProgramCopies.h"

#include "ProgramFolder.h"
#include "store/FolderLock.h"

#include <QDir>
#include <QFile>

namespace testsupport {

bool folderLockHeld(const QString& folder)
{
    store::FolderLock probe;
    probe.setFileName(folder + QStringLiteral("used.uld"));
    try {
        probe.open();
    } catch (const std::exception&) {
        // A folder without its lock file cannot be held either.
        return QFile::exists(folder + QStringLiteral("used.uld"));
    }
    return false;
}

QString ProgramCopies::newProgramFolder()
{
    const QString to = m_root.path() + QStringLiteral("/prog%1").arg(++m_folders);
    copyFolder(QStringLiteral(DISPORA_READY_DIR), to);
    return to + QLatin1Char('/');
}

QString ProgramCopies::newRuntimeFolder()
{
    const QString path = m_root.path() + QStringLiteral("/run%1").arg(++m_folders);
    QDir().mkpath(path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QProcess* ProgramCopies::start(const QString& folder, const QString& runtime)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    process->setProcessEnvironment(env);
    // Started from elsewhere: the program works in its own folder all the same.
    process->setWorkingDirectory(QDir::rootPath());
    process->start(folder + QStringLiteral("dispora"), {});
    if (!process->waitForStarted(5000))
        qWarning("cannot start %s", qPrintable(folder));
    m_running.push_back(std::move(process));
    return m_running.back().get();
}

void ProgramCopies::killAll()
{
    for (auto& p : m_running) {
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
    m_running.clear();
}

} // namespace testsupport
