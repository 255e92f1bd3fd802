#pragma once

#include <QString>
#include <optional>

namespace store {

class Query;

// The one row of BEALLITASOK: own organisation, default list addressee, printer and margins.
struct SettingsRow
{
    QString name;                 // NEV
    QString code;                 // SZERVKOD
    int printerIndex = 0;         // NYOMTATO
    int defaultPrinterValue = 1;  // alapertelmezett_nyomtato as stored: 1 = the system's default printer
    QString defaultAddresseeName; // FUTARJEGYZEK_CIMZETTJE
    QString defaultAddresseeCode; // FUTARJEGYZEK_CIMZETTJE_SZERVKOD
    int marginTop = 10, marginBottom = 10, marginLeft = 10, marginRight = 10; // FELSO, ALSO, BAL, JOBB
};

// The stored row ("SELECT * FROM BEALLITASOK"), or nothing before the first save. An empty
// number column reads as 0.
std::optional<SettingsRow> readSettingsRow(Query& query);

// Replaces the stored row: the table is emptied and the row inserted again, FELSO_T, ALSO_T, BAL_T
// and JOBB_T equal to the margins and TAKAREKOS kept from the row before (1 for a first row, any
// value but 0 as 1). When the insert fails, the row that was there before is put back and SqlError
// is raised, its text saying that the settings were not saved.
void saveSettingsRow(Query& query, const SettingsRow& row);

} // namespace store
