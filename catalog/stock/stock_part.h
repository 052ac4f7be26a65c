// The shop's stock in the catalogue window: the information strip's line LabelGiacenza
// for the battery shown, and the branch's quantities that the replacement finder and the
// quick find show beside their codes. The window's battery handler tells it which battery
// is shown; the answers come from the store off the GUI thread, so no click waits on it.
#pragma once

#include "shop/shop_settings.h"

#include <QHash>
#include <QString>
#include <memory>
#include <optional>

class QTimer;
class Tfrm_main;
namespace shop {
class StockLookup;
struct StockLine;
} // namespace shop

class StockPart {
public:
    explicit StockPart(Tfrm_main &form);
    ~StockPart();
    StockPart(const StockPart &) = delete;
    StockPart &operator=(const StockPart &) = delete;

    // The battery `code` is shown now (empty: none is): its line is asked for. The line
    // shown before stays until the answer comes, and is emptied when none has come within
    // a quarter of a second, so it never stands beside another battery for longer.
    void BatteryShown(const QString &code);

    // This branch's quantity of every code it has (codes in the store's normal form, see
    // shop::NormalCode; a code missing has none): empty while the shop's stock is not
    // known (never imported, or the store out of reach before anything was read).
    std::optional<QHash<QString, int>> Quantities() const;

    // Waits, at most `ms`, for the answers asked for so far; false on timeout.
    bool Settle(int ms);

    // The price of the battery shown, in euro cents, as of the last answer.
    std::optional<qint64> ShownPrice() const;

private:
    void Answered(const shop::StockLine &line);
    // The lookup, made when the shop has a store to ask: [shop] settings, or the
    // embedded store made by a first import. Null while there is none.
    shop::StockLookup *Lookup();

    Tfrm_main &m_form;
    shop::ShopSettings m_settings;
    std::unique_ptr<shop::StockLookup> m_lookup;
    QTimer *m_blank = nullptr; // empties the line of the battery shown before when no answer comes soon
    QString m_code;            // the battery shown, in the store's normal form
    std::optional<qint64> m_shownPrice;
    qint64 m_lastFileCheck = -1; // msecs since the epoch of the last stock_file check
};
