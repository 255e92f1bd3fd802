#include "AppState.h"

namespace app {

AppState& appState()
{
    static AppState state;
    return state;
}

} // namespace app
