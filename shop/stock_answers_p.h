// What the lookup thread does with its store, private to shop/: a code's line worked
// out from the store's rows, and the till's stock file imported when its content is new.
// Plain functions over a Store, so they run the same on any thread.
#pragma once

#include "shop/stock_lookup.h"
#include "shop/store.h"

#include <QByteArray>
#include <QDateTime>

namespace shop::detail {

// `code`'s line for `branch`, and the branch's last import (none: never imported).
StockLine LineOf(Store &store, const QString &branch, const QString &code, std::optional<StockImport> *ownImport);

// What the lookup remembers of the stock file between checks.
struct StockFileSeen {
    qint64 size = -1;
    QDateTime modified;
    QByteArray hash; // the content last imported, or found imported, or found bad
};

// Imports the [shop] stock_file into `branch` when its content is not the one `seen`
// holds nor the one the branch's last import recorded. Returns whether the stock
// changed. Raises ShopError: File for a file that cannot be imported (`seen` then holds
// its content, so the same bad file is reported once), the store's families.
bool ImportStockFileIfNew(Store &store, const QString &branch, const QString &file, StockFileSeen &seen);

} // namespace shop::detail
