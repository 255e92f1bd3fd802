#pragma once

namespace store {
class Query;
}

namespace app {

struct AppState;

// Two readings of the stored alapertelmezett_nyomtato that the program has always kept apart:
// the start uses the system's default printer only for a stored 1, while the settings
// window selects its default-printer option for anything but 0.
inline bool useDefaultPrinterAtStart(int stored)
{
    return stored == 1;
}
inline bool defaultPrinterOptionChosen(int stored)
{
    return stored != 0;
}

// Reads the settings row ("SELECT * FROM BEALLITASOK") on the query into the state.
// Returns false, leaving the state as it was, when there is no row (first start).
bool loadStoredSettings(store::Query& query, AppState& state);

} // namespace app
