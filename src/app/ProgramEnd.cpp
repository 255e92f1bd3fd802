#include "ProgramEnd.h"

#include <QCoreApplication>

namespace app {

namespace {
std::function<void()> g_action;
}

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

} // namespace app
