// A till's stock file imported into a branch: read whole, then the branch's stock
// replaced in one transaction, so a file with a bad row changes nothing. The catalogue's
// codes are handed in by the caller (shop/ never reads the catalogue).
#pragma once

#include "shop/stock_csv.h"
#include "shop/store.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace shop {

struct ImportOptions {
    QString branch;
    StockColumns columns;
    // The codes of every price list of the catalogue (normal form); none: not checked.
    std::optional<QSet<QString>> catalogueCodes;
    // The till's own stock_file: the stock is as of the file's modification time, and a
    // content another counter already imported is not imported again.
    bool stockFile = false;
};

struct ImportSummary {
    bool written = false; // false: the same content was already imported (stock files only)
    int rowCount = 0;     // data rows of the file
    int codeCount = 0;    // distinct codes
    int notInCatalogue = 0;
    QStringList firstNotInCatalogue; // the first few of them, in the file's order
};

// Imports `path` into `store`. Raises ShopError: File for a file that cannot be read or
// has a bad row ("file:line: reason"), the store's families for the store.
ImportSummary ImportStock(Store &store, const QString &path, const ImportOptions &options);

// The same for bytes already read (the stock file, hashed first to tell whether it changed).
ImportSummary ImportStockBytes(Store &store, const QByteArray &bytes, const QString &path,
                               const ImportOptions &options);

// The bytes of `path`. Raises ShopError (ShopErrc::File) naming the file and why.
QByteArray ReadImportFile(const QString &path);

} // namespace shop
