// The layer's one error type and the one function that raises it.
#include "data/data_error.h"

DataError::DataError(DataErrc code, const QString &message) : std::runtime_error(message.toStdString()), m_code(code) {}

void raiseDataError(DataErrc code, const QString &message) { throw DataError(code, message); }
