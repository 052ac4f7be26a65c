// What `shop-data stock` prints: each branch's last import, then the stock rows, in the
// numbers and prices of Qt's Italian locale, as the program shows them.
#pragma once

#include "shop/store.h"

#include <QString>
#include <QStringList>

namespace shopdata {

// "1.204", "89,00 €".
QString ItalianNumber(qint64 n);
QString ItalianPrice(qint64 cents);

// The listing of `codes` (every code when empty) in every branch of `store`.
QString StockListing(shop::Store &store, const QStringList &codes);

} // namespace shopdata
