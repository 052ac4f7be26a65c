// The store's schema and its versions, private to shop/. A store carries the version of
// the schema it was last brought to in shop_schema; each version is one function that
// brings a store from the version before to it, run in one transaction with the others
// a store still needs.
#pragma once

#include <QStringList>
#include <vector>

namespace shop::detail {

class SqlSession;

// The version this program writes.
int CurrentSchemaVersion();

// Creates or brings the store up to CurrentSchemaVersion() in one transaction under the
// store's lock; a store already there is left alone. Raises ShopError (ShopErrc::Schema)
// for a store of a newer version, which is never altered.
void EnsureSchema(SqlSession &session);

// The tables holding the shop's data, in the order a copy fills them, with the columns
// copied: what a copy of one store into another carries across.
struct DataTable {
    QString name;
    QStringList columns;
};
const std::vector<DataTable> &DataTables();

} // namespace shop::detail
