#pragma once

#include <QString>
#include <QVariant>

namespace store {

class Query;

// One classification code (MJEL) with its texts.
struct Classification
{
    int code;
    QString displayText;   // the item view's MJEL_SZ
    QString choiceCaption; // radio button of the entry dialog
    QString detailCaption; // caption of the entry dialog's details panel
};

// Codes 0 to 6; nullptr for any other value.
const Classification* classification(int code);

// The texts of the item view's calculated columns.
struct DisplayColumns
{
    QString SORSZAM_SZ;
    QString IKTSZAM_SZ;
    QString MJEL_SZ;
    QString DB_SZ;
    QString KCIMZETT_SZ;
};

// Stored columns the display texts are computed from; null values are allowed.
struct ItemColumns
{
    QVariant KCIMZETT;
    QVariant IKTSZAM;
    QVariant MJEL;
    QVariant SZULO_ID;
    QVariant SORSZAM;
    QVariant DB;
};

DisplayColumns computeDisplayColumns(const ItemColumns& item);

// The display columns of one row of an open item query (SELECT * from an item table).
DisplayColumns displayColumnsOf(const Query& view, int row);

} // namespace store
