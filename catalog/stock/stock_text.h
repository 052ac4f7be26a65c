// What the window says of the shop's stock, in the counter's words and Italian numbers:
// the information strip's stock line, a price, and the short counts of the replacement
// finder and the quick find. No widgets: the texts are worked out from the store's answer
// and the time it is now, so they can be checked on their own.
#pragma once

#include "shop/stock_lookup.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace catalog {

struct StockText {
    QString text;         // empty: the line says nothing
    bool warning = false; // red: the store is out of reach, or the stock is old
};

// Stock older than this is dated on the line, so it is not taken for today's.
constexpr qint64 kStaleStockSecs = 2 * 24 * 3600;

// The stock line of `line` as of `now`: "Disponibili: 3 · 89,00 € · Scaffale B4 · Anche
// in: Filiale Nord (2)", "Non disponibile", with "giacenze del dd/MM/yyyy" after the
// quantity when the stock is older than two days; "Giacenze non raggiungibili" while the
// store cannot be reached; nothing while no stock was ever imported.
StockText StockLineText(const shop::StockLine &line, const QDateTime &now);

// A price in euro cents as the Italian locale writes it: "89,00 €", "1.204,50 €".
QString PriceText(qint64 cents);

// A count as the Italian locale writes it: "3", "1.204".
QString CountText(int count);

// The quick find's note on a battery-code row: "3 disponibili", "non disponibile"; empty
// when the shop's stock is not known (`quantity` empty).
QString FindRowStockText(std::optional<int> quantity);

} // namespace catalog
