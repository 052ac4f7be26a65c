// The widgets layer's one error type: a family code (what kind of failure) and a message
// a person can act on, raised through one function, as the database layer does. what()
// is the text the general error report shows.
#pragma once

#include "platform/layer_error.h"

#include <QString>

enum class WidgetErrc {
    Index,        // a row, column or item outside a grid's table or a list's items
    ExchangeFile, // a grid's exchange file cannot be created, written or opened
    Picture,      // a picture file cannot be opened or decoded
};

class WidgetError : public platform::LayerError<WidgetErrc> {
public:
    using LayerError::LayerError;
};

[[noreturn]] void raiseWidgetError(WidgetErrc code, const QString &message);
