// The data layer's one error type: a family code (what kind of failure) and a message a
// person can act on, raised through one function, as the database layer does.
#pragma once

#include "platform/layer_error.h"

#include <QString>

enum class DataErrc {
    ExchangeFile, // the grid exchange file or its folder cannot be made or used safely
    Busy,         // another load (of this program or another copy) holds the exchange file
};

class DataError : public platform::LayerError<DataErrc> {
public:
    using LayerError::LayerError;
};

[[noreturn]] void raiseDataError(DataErrc code, const QString &message);
