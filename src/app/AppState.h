#pragma once

#include <QDateTime>
#include <QString>

namespace app {

// The process-wide state every window reads and writes.
struct AppState
{
    QString programFolder; // ends with the path separator
    QString programVersion;
    QString ownName;
    QString ownCode;
    QString defaultAddresseeName;
    QString defaultAddresseeCode;
    int printerIndex = 0;
    bool useDefaultPrinter = false;
    int marginTop = 0;
    int marginBottom = 0;
    int marginLeft = 0;
    int marginRight = 0;
    int currentListKind = 0;
    bool refreshFromSettings = false;
    int currentListNumber = 0;

    // Values of the print run that the printed page reads.
    QDateTime printMoment;
    QString summaryLine;
    QString totalLine;
    int totalPages = 0;
};

AppState& appState();

inline const QString kProgramVersion = QStringLiteral("2.1.3");

} // namespace app
