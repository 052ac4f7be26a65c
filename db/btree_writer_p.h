// Writing a table's rows and its indexes straight into the pages of an SQLite database
// file. SQLite itself creates the file, its schema and every b-tree (empty) and closes it;
// only the contents of those b-trees are laid out here, then SQLite opens the file again.
// Laid out here because inserting the rows through SQLite takes several times as long.
#pragma once

#include "db/index_order_p.h"
#include "db/row_buffer_p.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace db::detail {

// An index's entries, worked out apart from the writer: their records one after another in
// the index's order, and where each starts (`at` has one more element than entries).
struct IndexEntries {
    std::unique_ptr<uint8_t[]> bytes;
    std::vector<size_t> at;
};

// The entries of an index on `key` over `rows` (as written by writeTable): the values of
// `key`, then the rowid. Touches nothing but its arguments, so it may run on another
// thread while a writer lays out pages from the same rows.
IndexEntries prepareIndexEntries(const RowBuffer &rows, const std::vector<IndexColumn> &key);

// What the writer takes from the SQLite it writes for beyond the file's header.
struct BtreeWriterSettings {
    // The byte SQLite locks in the file (its pending byte, at 1 GiB unless changed): the
    // page holding it belongs to no b-tree and is passed over. Tests set it low, with
    // SQLite's own, so that a small file reaches that page.
    uint32_t lockByte = 0x40000000;
};

class BtreeWriter {
public:
    // The database file at `path`, which SQLite has closed (no journal, not in WAL mode).
    // Raises DbError(Format) when it cannot be opened or is not an SQLite file.
    explicit BtreeWriter(const QString &path, const BtreeWriterSettings &settings = {});
    ~BtreeWriter();
    BtreeWriter(const BtreeWriter &) = delete;
    BtreeWriter &operator=(const BtreeWriter &) = delete;

    // Fills the empty table b-tree whose root is `rootPage` with `rows`, each row's rowid
    // its position plus one. Values are stored as SQLite would store them bound to the
    // statement: a real that is not a number as Null.
    void writeTable(uint32_t rootPage, const RowBuffer &rows);

    // Fills the empty index b-tree whose root is `rootPage` with one entry per row of
    // `rows` (as written by writeTable): the values of `key`, then the rowid.
    void writeIndex(uint32_t rootPage, const RowBuffer &rows, const std::vector<IndexColumn> &key);
    // The same with the entries worked out beforehand (prepareIndexEntries).
    void writeIndex(uint32_t rootPage, const IndexEntries &entries);

    // Writes the pages still held, the roots and the database's new size. Pages go out a
    // megabyte at a time before, but until this the file's b-trees read as empty.
    void finish();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace db::detail
