// The order to write a large table's rows in so that one of its indexes is filled from
// left to right: SQLite then adds each key beside the last one it wrote instead of
// sorting them all with the General collation, which SQLite's fast sorter cannot use.
#pragma once

#include "db/row_buffer_p.h"

#include <cstdint>
#include <vector>

namespace db::detail {

// The positions of the rows of `rows` (a permutation of 0..rows()-1) in the order of an
// index on `keyColumns`: texts by the General order, numbers by value, Null first, as
// SQLite orders them; rows equal on the key keep their order. A key column holding
// something else (a real, a blob) ends the key there: the order is then that of the key's
// leading columns, which still serves.
std::vector<uint32_t> rowsInIndexOrder(const RowBuffer &rows, const std::vector<size_t> &keyColumns);

} // namespace db::detail
