// Jet's text functions, Like and the General collation, registered on an SQLite handle.
#pragma once

struct sqlite3;

namespace db::detail {

// Registers the JETGENERAL collation, the jet_* functions the dialect translator calls
// and a like() that follows Jet's Like. Raises DbError(Open) if SQLite refuses.
void registerJetFunctions(sqlite3 *db);

} // namespace db::detail
