#pragma once

#include "Connection.h"
#include "FolderLock.h"
#include "Query.h"

namespace store {

// The data module: owns the main connection and every reusable query object.
// Created once per process; everything else sends its SQL through it.
class TDM1
{
public:
    TDM1();
    ~TDM1(); // closes the store and shuts the embedded server down
    TDM1(const TDM1&) = delete;
    TDM1& operator=(const TDM1&) = delete;

    Connection MyConnection1;
    FolderLock ADOConnection2; // in-use lock of the program folder, held for the whole run

    Query MyQuery1; // general scratch
    Query MyQuery2; // the item view of the list on show
    Query MyQuery3; // second scratch, register reads, search grid
    Query MyQuery4; // organisation names for the addressee box
    Query MyQuery5; // top-level items read by the renumbering
    Query MyQuery6; // the group dialog's CSOPORTOS view
    Query myQuery7; // table rebuild through TEMP
    Query myQuery8; // table rebuild through TEMP

    // The one data module of the process.
    static TDM1& instance();
};

} // namespace store
