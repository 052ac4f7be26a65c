// The data module: the program's one database connection, the query channel used for
// lookups, and the grid query with its data source that the grid loader binds the hidden
// export grid to. Created first at start-up, destroyed at program end.
#pragma once

#include "db/connection.h"
#include "db/query.h"

class TDM {
public:
    // Components with their design settings; the connection is not opened here.
    TDM();
    ~TDM();
    TDM(const TDM &) = delete;
    TDM &operator=(const TDM &) = delete;

    db::Connection ADOConnection1;
    db::Query ADOQuery1;     // the query channel (ApriQRY)
    db::Query ADOQuery_Grid; // the grid loader's query
    db::DataSource DataSource_Grid;
};

// The data module instance; set while a TDM exists.
extern TDM *DM;
