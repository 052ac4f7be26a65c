// The shop's store: the stock of every branch and the record of each branch's last
// import, in one SQLite file or on a PostgreSQL server, through one interface. A Store is
// one connection and belongs to the thread that made it. Every change is one transaction
// under the store's lock, so two counters importing at once end with one whole import.
#pragma once

#include "shop/store_location.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace shop {

namespace detail {
class SqlSession;
}

// One code's stock in one branch.
struct StockEntry {
    QString code;     // upper case, no blanks around it
    int quantity = 0; // never negative
    std::optional<qint64> priceCents;
    QStringList shelves;
};

struct BranchEntry {
    QString branch;
    StockEntry entry;
};

// What a branch's last import was.
struct StockImport {
    QString branch;
    QDateTime importedAt;   // when it was written
    QDateTime asOf;         // what time the stock is of: the import's, or the stock file's
    QString source;         // the file imported
    QByteArray contentHash; // of the file's bytes, hex
    int rowCount = 0;       // data rows the file held
};

class Store {
public:
    // Opens the store `database` names (a file path or a postgresql:// URL), creating it or
    // bringing its schema up to date on first use. Raises ShopError: Location, Open,
    // Schema (a store of a newer version), Store.
    explicit Store(const QString &database);
    explicit Store(const StoreLocation &location);
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    const StoreLocation &location() const;

    // Replaces `import.branch`'s whole stock with `entries` (codes unique) and records
    // the import, in one transaction under the store's lock. With `unlessSameContent`,
    // nothing is written, and false returned, when the branch's last import recorded the
    // same content hash (another counter imported the same file first).
    bool replaceStock(const StockImport &import, const std::vector<StockEntry> &entries,
                      bool unlessSameContent = false);

    // Every branch's last import, by branch name.
    std::vector<StockImport> imports();
    // `code` (compared upper-cased, trimmed) in every branch that has a row for it, by
    // branch name.
    std::vector<BranchEntry> stockOf(const QString &code);
    // Every row of every branch, by branch, then code.
    std::vector<BranchEntry> allStock();
    // `branch`'s quantity of every code that has stock > 0.
    QHash<QString, int> quantities(const QString &branch);

    // Whether the store holds no shop data at all.
    bool isEmpty();
    // Copies every row of this store into `target`, in one transaction there. Raises
    // ShopError (ShopErrc::Usage) when the target holds any data: a copy never mixes two
    // shops' data.
    void copyInto(Store &target);

private:
    std::unique_ptr<detail::SqlSession> m_session;
};

// The normal form of a battery code in the store: blanks around it removed, upper case.
QString NormalCode(const QString &code);

} // namespace shop
