// The order of an SQLite index over a table's rows, worked out in memory so that the
// index's pages can be written in one pass instead of sorted by SQLite key by key.
#pragma once

#include "db/row_buffer_p.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace db::detail {

// One column of an index key, and how its texts compare: by the General order (a text
// column of the copy) or byte by byte (SQLite's BINARY, any other column).
struct IndexColumn {
    size_t column;
    bool general;
};

// The positions of the rows of `rows` (a permutation of 0..rows()-1) in the order SQLite
// keeps an index on `key`: Null first, then numbers by value (whole and real alike), then
// texts by their column's order, then blobs byte by byte; rows equal on the whole key keep
// their order, as SQLite breaks the tie by rowid. A real that is not a number counts as
// Null, as SQLite stores it.
std::vector<uint32_t> rowsInIndexOrder(const RowBuffer &rows, const std::vector<IndexColumn> &key);

} // namespace db::detail
