// The layer's one error type and the one function that raises it.
#include "db/db_error.h"

namespace db {

void raiseDbError(DbErrc code, const QString &message) { throw DbError(code, message); }

} // namespace db
