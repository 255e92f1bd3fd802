#include "StoredSettings.h"

#include "AppState.h"
#include "store/Query.h"

namespace app {

bool loadStoredSettings(store::Query& query, AppState& state)
{
    query.close();
    query.setSql(QStringLiteral("SELECT * FROM BEALLITASOK"));
    query.open();
    if (query.isEmpty())
        return false;
    query.first();
    state.ownName = query.value(QStringLiteral("NEV")).toString();
    state.ownCode = query.value(QStringLiteral("SZERVKOD")).toString();
    state.printerIndex = query.value(QStringLiteral("NYOMTATO")).toInt();
    state.defaultAddresseeName = query.value(QStringLiteral("FUTARJEGYZEK_CIMZETTJE")).toString();
    state.defaultAddresseeCode = query.value(QStringLiteral("FUTARJEGYZEK_CIMZETTJE_SZERVKOD")).toString();
    state.marginBottom = query.value(QStringLiteral("ALSO")).toInt();
    state.marginTop = query.value(QStringLiteral("FELSO")).toInt();
    state.marginRight = query.value(QStringLiteral("JOBB")).toInt();
    state.marginLeft = query.value(QStringLiteral("BAL")).toInt();
    state.useDefaultPrinter = query.value(QStringLiteral("alapertelmezett_nyomtato")).toInt() == 1;
    return true;
}

} // namespace app
