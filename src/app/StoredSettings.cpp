#include "StoredSettings.h"

#include "AppState.h"
#include "store/SettingsRow.h"

namespace app {

bool loadStoredSettings(store::Query& query, AppState& state)
{
    const std::optional<store::SettingsRow> row = store::readSettingsRow(query);
    if (!row)
        return false;
    state.ownName = row->name;
    state.ownCode = row->code;
    state.printerIndex = row->printerIndex;
    state.defaultAddresseeName = row->defaultAddresseeName;
    state.defaultAddresseeCode = row->defaultAddresseeCode;
    state.marginBottom = row->marginBottom;
    state.marginTop = row->marginTop;
    state.marginRight = row->marginRight;
    state.marginLeft = row->marginLeft;
    // At start only a stored 1 means the system's default printer; the settings window reads
    // any value but 0 that way, and the two readings are kept apart on purpose.
    state.useDefaultPrinter = row->defaultPrinterValue == 1;
    return true;
}

} // namespace app
