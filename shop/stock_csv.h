// A till's stock export read into one entry per code: CSV with ';', ',' or a tab between
// fields (found from the header line), UTF-8 or Windows-1252 (found from the bytes), a
// header naming the columns in Italian or English, decimal comma or point, quoted fields.
#pragma once

#include "shop/store.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace shop {

// Which header names the columns have when they are not among the usual ones; an empty
// name is found from the usual ones (codice/code/articolo, giacenza/quantità/qta/qty/
// stock, prezzo/price, ubicazione/scaffale/shelf/bin), letter case and accents aside.
struct StockColumns {
    QString code, quantity, price, shelf;
    // "code=Cod,quantity=Esist,..." as --columns takes it. Raises ShopError
    // (ShopErrc::Usage) for a part it cannot read.
    static StockColumns parse(const QString &text);
};

struct StockCsv {
    std::vector<StockEntry> entries; // one per code (normal form), in the order first met
    int rowCount = 0;                // data rows read
};

// Reads `bytes`. A code on several rows (one per shelf) sums its quantities and lists its
// shelves; a negative quantity counts as none; the first price given holds. Raises
// ShopError (ShopErrc::File) "`fileName`:line: reason" for the first row that cannot be
// read (a quantity that is not a whole number, a price that is not a number, a missing
// code), and "`fileName`: reason" for a file that is empty or not CSV text at all; a
// header with no rows after it is refused too.
StockCsv ReadStockCsv(const QByteArray &bytes, const QString &fileName, const StockColumns &columns = {});

// The hex SHA-256 of a file's bytes: what tells one stock file's content from another.
QByteArray ContentHash(const QByteArray &bytes);

} // namespace shop
