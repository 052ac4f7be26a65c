// Reading a Jet table's rows through libmdb into a RowBuffer: each row cracked once and
// its values decoded from the page. libmdb's bound values report length 0 for both Null
// and the empty text, and only the row's null mask tells them apart.
//
// Values as they go to the copy:
//   BOOLEAN -> -1/0      BYTE, INT, LONG -> whole number   DOUBLE -> real
//   FLOAT (Single) -> the double of its shortest text      MONEY -> real (value/10000)
//   DATETIME -> text "yyyy-MM-dd hh:mm:ss"   TEXT, MEMO -> UTF-8 text
//   BINARY, OLE -> blob   GUID -> text "{8-4-4-4-12}"
//   NUMERIC (Decimal) -> a whole number, a real, or the exact text when a double would
//   not hold its digits
// Jet 3 text and memos are 8-bit Windows-1252 and decoded here, every byte kept.
#pragma once

#include "db/row_buffer_p.h"

#include <QString>
#include <functional>
#include <mdbtools.h>
#include <string>
#include <string_view>
#include <vector>

namespace db::detail {

// Raises DbError(Format) "The catalogue file is damaged: <detail>." for what the copy finds
// wrong in a file.
[[noreturn]] void raiseDamaged(const QString &detail);

class JetRowReader {
public:
    // The rows of `table` of the file `mdb`, whose columns, read, are `columns` in the
    // table's order; `name` names the table in messages. Binds what libmdb needs to read
    // pictures.
    JetRowReader(MdbHandle *mdb, MdbTableDef *table, const QString &name, std::vector<MdbColumn *> columns);

    // Reads the rows one by one, in the file's order, into `rows` (a column per column of
    // the table), calling `rowRead` after each. Raises DbError(Format) for a row or a value
    // the file cannot hold.
    void readRows(RowBuffer &rows, const std::function<void()> &rowRead);

private:
    template <class RowAt>
    void forEachRow(RowAt rowAt);
    void readValue(RowBuffer &rows, size_t column, const MdbField &f, MdbColumn *col);
    std::string_view readJet3Memo(const unsigned char *p, int size);

    MdbHandle *mdb;
    MdbTableDef *table;
    QString name;
    std::vector<MdbColumn *> columns;
    std::vector<std::vector<char>> oleBuffers; // one bound buffer per picture column
    std::vector<int> oleLengths;
    std::string textBuffer; // one text value at a time, kept for its room
    std::string memoBuffer; // the bytes of one Jet 3 memo at a time
};

} // namespace db::detail
