// The database layer's one error type: a family code (what kind of failure) and a
// message a person can act on.
#pragma once

#include "platform/layer_error.h"

#include <QString>

namespace db {

enum class DbErrc {
    Open,      // the file is missing, unreadable, or not a Jet database
    Password,  // the database password does not match the file's
    Workgroup, // the workgroup file is missing or not a Jet file
    Provider,  // no provider for this kind of database on this platform
    Format,    // the file is damaged (bad page, bad row, bad table definition)
    Sql,       // the statement is not valid Jet SQL, or the engine rejected it
    ReadOnly,  // the statement would change data
    State,     // the object is not in a state for this call (not connected, not open)
};

class DbError : public platform::LayerError<DbErrc> {
public:
    using LayerError::LayerError;
};

[[noreturn]] void raiseDbError(DbErrc code, const QString &message);

} // namespace db
