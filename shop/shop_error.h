// The shop layer's one error type: a family code and a message a person can act on. The
// shop-data tool chooses its exit status by the family; the window shows the store as
// unreachable for any of them.
#pragma once

#include "platform/layer_error.h"

#include <QString>

namespace shop {

enum class ShopErrc {
    Location, // the [shop] database= text cannot name a store (bad URL, a password in it)
    Open,     // the store cannot be opened or reached (missing driver, server gone, no access)
    Schema,   // the store was written by a newer version of the program, or its schema is damaged
    Store,    // a statement on the store failed
    File,     // an import file cannot be used: "file:line: reason"
    Usage,    // a caller's request cannot be carried out (a --columns text, a non-empty target)
};

class ShopError : public platform::LayerError<ShopErrc> {
public:
    using LayerError::LayerError;
};

[[noreturn]] inline void raiseShopError(ShopErrc code, const QString &message) { throw ShopError(code, message); }

} // namespace shop
