#pragma once

namespace store {
class Query;
}

namespace app {

struct AppState;

// Reads the settings row ("SELECT * FROM BEALLITASOK") on the query into the state.
// Returns false, leaving the state as it was, when there is no row (first start).
bool loadStoredSettings(store::Query& query, AppState& state);

} // namespace app
