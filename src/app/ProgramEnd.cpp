#include "ProgramEnd.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

namespace app {

namespace {
std::function<void()> g_action;
QString g_restartFolder;
bool g_restartRequested = false;
} // namespace

void endProgram()
{
    if (g_action)
        g_action();
    else
        QCoreApplication::quit();
}

void setProgramEnd(std::function<void()> action)
{
    g_action = std::move(action);
}

RestartCommand restartCommand(const QString& programFolder, const QString& ownExecutable)
{
    QString folder = programFolder;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    RestartCommand command;
    command.workingDirectory = folder;
    const QString outside = folder + QStringLiteral("start.exe");
    command.program = QFileInfo(outside).isFile() ? outside : ownExecutable;
    return command;
}

void requestRestartAfterEnd(const QString& programFolder)
{
    g_restartFolder = programFolder;
    g_restartRequested = true;
}

bool restartRequested()
{
    return g_restartRequested;
}

QString restartFolder()
{
    return g_restartFolder;
}

bool startRestart(const RestartCommand& command, const QString& ownExecutable, qint64* pid)
{
    if (QProcess::startDetached(command.program, command.arguments, command.workingDirectory, pid))
        return true;
    if (command.program == ownExecutable || ownExecutable.isEmpty())
        return false;
    return QProcess::startDetached(ownExecutable, {}, command.workingDirectory, pid);
}

bool startRequestedRestart()
{
    if (!g_restartRequested)
        return true;
    g_restartRequested = false;
    const QString self = QCoreApplication::applicationFilePath();
    return startRestart(restartCommand(g_restartFolder, self), self);
}

} // namespace app
