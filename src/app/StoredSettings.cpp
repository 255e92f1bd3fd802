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
    state.useDefaultPrinter = useDefaultPrinterAtStart(row->defaultPrinterValue);
    return true;
}

} // namespace app
