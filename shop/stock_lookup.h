// The window's stock answers, worked out off the GUI thread on a store connection of
// their own, so that a slow or missing server never holds up a click.
#pragma once

#include "shop/shop_settings.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>

namespace shop {

struct BranchStock {
    QString branch;
    int quantity = 0;
};

// What the store says of one battery code in this branch.
struct StockLine {
    enum class State { NoStock, Known, Unreachable }; // NoStock: no stock was ever imported
    State state = State::NoStock;
    QString code;     // as asked
    int quantity = 0; // this branch; negatives were stored as none
    std::optional<qint64> priceCents;
    QStringList shelves;
    QList<BranchStock> otherBranches; // the chain's other branches that have it (quantity > 0), by name
    QDateTime asOf;                   // the import's time, or the stock file's modification time
};

// One per window: its own thread and its own store connection, opened lazily and reopened
// by itself after the server went away (State::Unreachable meanwhile). Never blocks the caller
// longer than a few ms.
class StockLookup : public QObject {
    Q_OBJECT
public:
    explicit StockLookup(ShopSettings settings, QObject *parent = nullptr);
    ~StockLookup() override;
    // Asks for `code`'s line; `answered` comes on the caller's thread. A newer request
    // supersedes an older one still waiting.
    void request(const QString &code);
    // This branch's quantity of every code with stock > 0 (codes upper-cased, trimmed), as of
    // the last refresh (refreshed in the background after each answer and each import); empty
    // while nothing is known. For the finder's "Disp." column and the quick find's counts.
    QHash<QString, int> quantities() const;
    // Whether any stock was ever imported (as of the last answer).
    bool everImported() const;
    // Waits (processing events) until every request made so far is answered, at most `ms`;
    // false on timeout. The UI script driver settles each step with it.
    bool settle(int ms);
    // Checks the [shop] stock_file (when set) and imports it when its content changed,
    // in the background; the next answers reflect it.
    void checkStockFile();
signals:
    void answered(const shop::StockLine &line);

private:
    struct Worker;
    std::unique_ptr<Worker> m_worker;
};

} // namespace shop

Q_DECLARE_METATYPE(shop::StockLine)
