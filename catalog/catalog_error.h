// The catalogue layer's one error type: a family code (what kind of failure) and a
// message a person can act on, raised through one function, as the database layer does.
#pragma once

#include "platform/layer_error.h"

#include <QString>

namespace catalog {

enum class CatalogErrc {
    NotANumber, // a value that must stand bare in a statement is not a number
    NotOpen,    // the catalogue is not open
    Stale,      // a row the window looks for is gone: the catalogue changed under it
    Photo,      // the battery's photo cannot be shown
    Print,      // the battery sheet cannot be printed or saved
    Window,     // the window lacks a control its code names (a fault of ours)
};

class CatalogError : public platform::LayerError<CatalogErrc> {
public:
    using LayerError::LayerError;
};

[[noreturn]] inline void raiseCatalogError(CatalogErrc code, const QString &message)
{
    throw CatalogError(code, message);
}

} // namespace catalog
