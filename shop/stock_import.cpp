// The import: the file read and checked whole before the store is touched.
#include "shop/stock_import.h"

#include "shop/shop_error.h"

#include <QFile>
#include <QFileInfo>

namespace shop {

namespace {

// Tills' exports are a few megabytes at most; a file far beyond that is a wrong file,
// not a stock list to hold in memory.
constexpr qint64 kLargestFile = 256LL * 1024 * 1024;
constexpr int kNamedMissing = 5;

} // namespace

QByteArray ReadImportFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        raiseShopError(ShopErrc::File, QStringLiteral("%1: cannot be read: %2").arg(path, file.errorString()));
    if (file.size() > kLargestFile)
        raiseShopError(ShopErrc::File, QStringLiteral("%1: %2 bytes are far more than a stock list holds; not imported")
                                           .arg(path)
                                           .arg(file.size()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        raiseShopError(ShopErrc::File, QStringLiteral("%1: cannot be read: %2").arg(path, file.errorString()));
    return bytes;
}

ImportSummary ImportStockBytes(Store &store, const QByteArray &bytes, const QString &path, const ImportOptions &options)
{
    const StockCsv csv = ReadStockCsv(bytes, path, options.columns);
    ImportSummary summary;
    summary.rowCount = csv.rowCount;
    summary.codeCount = int(csv.entries.size());
    if (options.catalogueCodes)
        for (const StockEntry &e : csv.entries)
            if (!options.catalogueCodes->contains(e.code)) {
                if (summary.notInCatalogue++ < kNamedMissing)
                    summary.firstNotInCatalogue << e.code;
            }
    StockImport import;
    import.branch = options.branch;
    import.importedAt = QDateTime::currentDateTimeUtc();
    import.asOf = options.stockFile ? QFileInfo(path).lastModified().toUTC() : import.importedAt;
    import.source = QFileInfo(path).absoluteFilePath();
    import.contentHash = ContentHash(bytes);
    import.rowCount = csv.rowCount;
    summary.written = store.replaceStock(import, csv.entries, options.stockFile);
    return summary;
}

ImportSummary ImportStock(Store &store, const QString &path, const ImportOptions &options)
{
    return ImportStockBytes(store, ReadImportFile(path), path, options);
}

} // namespace shop
