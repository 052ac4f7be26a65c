// What the copy takes from libmdb beyond its public calls: fields of its handle and table
// structs, the flags it keeps in a row's place on a page, the meaning it gives the bytes
// of a Decimal column's definition, the index key numbering and the environment variable
// that sets its text conversion. Each was checked against libmdb 1.0.0 (its mdbtools.h,
// and the reading in data.c, table.c, iconv.c and file.c), the version CMake asks for. On
// another version, check each item here against that version's sources, and these
// behaviours the callers rely on as well:
//   - mdb_read_columns reads a table's columns from the page that mdb_read_table left in
//     the handle's buffer, so the copy reads each definition again right before
//     (copy_tables.cpp);
//   - mdb_ole_read_full reads from the buffer that mdb_fetch_row fills for a bound picture
//     column, and bound values report length 0 for both Null and the empty text
//     (jet_row_reader.cpp);
//   - mdb_crack_row returns a negative count for a row mdb_fetch_row passes over.
// The fields of the catalogue, table, column and index structs that every program on
// libmdb reads (names, types, counts, the arrays of columns and indexes) are read where
// they are used: a change in them shows when the code is compiled.
#pragma once

#include <QByteArrayView>
#include <algorithm>
#include <cstddef>
#include <mdbtools.h>

namespace db::detail {

// mdb_find_row and mdb_find_pg_row give a row's place on its page with flags in the high
// bits (libmdb 1.0.0, data.c mdb_read_row: OFFSET_MASK 0x1fff, 0x4000 deleted, 0x8000
// lookup).
inline constexpr int kRowOffsetMask = 0x1FFF;
inline constexpr int kRowDeletedFlag = 0x4000;

// The offset on its page of the row whose place is `start`.
inline int rowOffset(int start) { return start & kRowOffsetMask; }

// Whether mdb_fetch_row would pass over the row whose place is `start`: deleted, and the
// table not told to keep deleted rows (MdbTableDef::noskip_del, 1.0.0).
inline bool skippedAsDeleted(const MdbTableDef *table, int start)
{
    return (start & kRowDeletedFlag) && !table->noskip_del;
}

// The page libmdb last read into the handle (MdbHandle::pg_buf, 1.0.0: the data page
// mdb_read_next_dpg or mdb_fetch_row moved to), and the size of the file's pages
// (MdbFormatConstants::pg_size).
inline unsigned char *currentPage(MdbHandle *mdb) { return mdb->pg_buf; }
inline size_t pageSize(const MdbHandle *mdb) { return size_t(mdb->fmt->pg_size); }

// The number of rows on the data page in the handle's buffer, read from the page header
// at MdbFormatConstants::row_count_offset (1.0.0), as mdb_fetch_row reads it.
unsigned rowsOnCurrentPage(MdbHandle *mdb);

// The number on its page of the row mdb_fetch_row read last, or -1 before the first
// (MdbTableDef::cur_row, which 1.0.0 counts up after reading a row).
inline int lastFetchedRow(const MdbTableDef *table) { return int(table->cur_row) - 1; }

// The room libmdb writes a bound value into (MdbHandle::bind_size, 1.0.0; memo and picture
// columns take MDB_MEMO_OVERHEAD more).
inline size_t boundValueSize(const MdbHandle *mdb) { return mdb->bind_size; }

// The file's format, from MdbFile::jet_version (1.0.0; IS_JET3/IS_JET4 of mdbtools.h,
// which are exact: the Access 2007 and later versions are neither).
inline bool isJet3(const MdbHandle *mdb) { return mdb->f->jet_version == MDB_VER_JET3; }
inline bool isJet4(const MdbHandle *mdb) { return mdb->f->jet_version == MDB_VER_JET4; }

// The code page of the file's 8-bit text (Jet 3), from the header (MdbFile::code_page,
// 1.0.0); 0 when the header names none.
inline unsigned fileCodePage(const MdbHandle *mdb) { return mdb->f->code_page; }

// The scale of a Decimal column. libmdb 1.0.0 names the two bytes of the definition the
// other way round (table.c reads col_prec_offset into col_prec, which holds the scale).
inline int decimalScale(const MdbColumn *col) { return col->col_prec; }

// The columns of `index`'s key, and the column (from 0) of its key column `k`: libmdb
// 1.0.0 keeps at most MDB_MAX_IDX_COLS in MdbIndex::key_col_num and numbers them from 1.
inline unsigned indexKeyCount(const MdbIndex *index) { return std::min<unsigned>(index->num_keys, MDB_MAX_IDX_COLS); }
inline int indexKeyColumn(const MdbIndex *index, unsigned k) { return index->key_col_num[k] - 1; }

// Whether libmdb converts text to UTF-8: it converts to the charset MDB_ICONV names, UTF-8
// when that is unset (1.0.0, iconv.c mdb_iconv_init); read once.
bool libmdbWritesUtf8();

// A handle on the Jet file whose bytes are `file`, or null when libmdb cannot read it as
// one. libmdb 1.0.0 reads the buffer through a read-only memory stream (file.c
// mdb_open_buffer: fmemopen "r" without MDB_WRITABLE), so the bytes may be a read-only
// mapping.
MdbHandle *openBuffer(QByteArrayView file);

} // namespace db::detail
