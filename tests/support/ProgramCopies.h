// Copies of the real program started as processes, for the tests that drive the executable.
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace testsupport {

// Whether a running copy of the program holds the folder lock of this program folder.
bool folderLockHeld(const QString& folder);

// Program and runtime folders of the test's own, and the copies started on them. Copies
// still running are killed by killAll() and when the object goes.
class ProgramCopies
{
public:
    ProgramCopies() = default;
    ~ProgramCopies() { killAll(); }
    ProgramCopies(const ProgramCopies&) = delete;
    ProgramCopies& operator=(const ProgramCopies&) = delete;

    // The folder all the others are made in.
    QString root() const { return m_root.path(); }
    // A fresh copy of the whole ready folder, executable included, with a trailing slash.
    QString newProgramFolder();
    // The user's runtime folder: one per logon, shared by every copy started in it.
    QString newRuntimeFolder();
    // Starts the program of a program folder headless, from another working folder.
    QProcess* start(const QString& folder, const QString& runtime);
    void killAll();

private:
    QTemporaryDir m_root;
    int m_folders = 0;
    std::vector<std::unique_ptr<QProcess>> m_running;
};

} // namespace testsupport
