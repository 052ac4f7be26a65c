// The layer's one error type and the one function that raises it.
#include "data/data_error.h"

void raiseDataError(DataErrc code, const QString &message) { throw DataError(code, message); }
