#pragma once

#include <functional>

namespace app {

// Tells the application to end: the message loop stops, the windows are destroyed and
// the store is closed. Tests put their own action in place to see that it happened.
void endProgram();
void setProgramEnd(std::function<void()> action); // empty: quit the application's loop

} // namespace app
