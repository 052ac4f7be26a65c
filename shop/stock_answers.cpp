// The lookup's answers from the store's rows, and the stock file's import.
#include "shop/stock_answers_p.h"

#include "shop/shop_error.h"
#include "shop/stock_import.h"

#include <QFileInfo>

namespace shop::detail {

StockLine LineOf(Store &store, const QString &branch, const QString &code, std::optional<StockImport> *ownImport)
{
    StockLine line;
    line.code = code;
    const std::vector<StockImport> imports = store.imports();
    ownImport->reset();
    for (const StockImport &i : imports)
        if (i.branch == branch)
            *ownImport = i;
    if (imports.empty())
        return line;
    line.state = StockLine::State::Known;
    if (*ownImport)
        line.asOf = (*ownImport)->asOf.toLocalTime();
    for (const BranchEntry &row : store.stockOf(code)) {
        if (row.branch == branch) {
            line.quantity = row.entry.quantity;
            line.priceCents = row.entry.priceCents;
            line.shelves = row.entry.shelves;
        } else if (row.entry.quantity > 0) {
            line.otherBranches.push_back({row.branch, row.entry.quantity});
        }
    }
    return line;
}

bool ImportStockFileIfNew(Store &store, const QString &branch, const QString &file, StockFileSeen &seen)
{
    const QFileInfo info(file);
    if (!info.exists())
        raiseShopError(ShopErrc::File, QStringLiteral("%1: the stock file is missing").arg(file));
    // A file the till has not touched since the last check is not read again.
    if (info.size() == seen.size && info.lastModified() == seen.modified)
        return false;
    const QByteArray bytes = ReadImportFile(file);
    const QByteArray hash = ContentHash(bytes);
    seen.size = info.size();
    seen.modified = info.lastModified();
    if (hash == seen.hash)
        return false;
    for (const StockImport &i : store.imports())
        if (i.branch == branch && i.contentHash == hash) {
            seen.hash = hash;
            return false;
        }
    seen.hash = hash;
    ImportOptions options;
    options.branch = branch;
    options.stockFile = true;
    return ImportStockBytes(store, bytes, file, options).written;
}

} // namespace shop::detail
