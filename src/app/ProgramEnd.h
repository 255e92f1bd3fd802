#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace app {

// Tells the application to end: the message loop stops, the windows are destroyed and
// the store is closed. Tests put their own action in place to see that it happened.
void endProgram();
void setProgramEnd(std::function<void()> action); // empty: quit the application's loop

// What is started once the program has ended.
struct RestartCommand
{
    QString program;
    QStringList arguments;
    QString workingDirectory;
};

// The restart after a restore request: programFolder + "start.exe" when there is one,
// otherwise ownExecutable; either way in the program folder.
RestartCommand restartCommand(const QString& programFolder, const QString& ownExecutable);

// Asks that, once this copy has ended and released its single-copy guard and folder
// lock, start.exe of programFolder is started or, when there is none, this program again.
void requestRestartAfterEnd(const QString& programFolder);
bool restartRequested();
QString restartFolder(); // the folder of the last request; empty when none

// Starts a command on its own, not as a child that ends with this process. When start.exe
// cannot be started, ownExecutable is started instead, so that the restore still happens.
// Returns false when nothing could be started; pid, when given, receives the started process.
bool startRestart(const RestartCommand& command, const QString& ownExecutable, qint64* pid = nullptr);

// Starts what requestRestartAfterEnd asked for, if anything; the program entry calls it
// last, after the guard and the lock are released. Returns false when a start failed.
bool startRequestedRestart();

} // namespace app
