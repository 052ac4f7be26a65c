// A batch of rows of one table held in memory between reading them from the Jet file and
// writing them to the copy, so that they can be written many to one statement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

struct sqlite3_stmt;

namespace db::detail {

class RowBuffer {
public:
    explicit RowBuffer(size_t columns) : m_columns(columns) {}

    // Forgets every row, keeping the room they took for the next ones.
    void clear()
    {
        m_cells.clear();
        m_bytes.clear();
    }
    // Makes room for `rows` rows, and `bytes` bytes of their texts and blobs, at once:
    // growing by doubling copies, and faults in fresh memory, for every cell several times
    // over. Room never written is never touched.
    void reserve(size_t rows, size_t bytes = 0)
    {
        m_cells.reserve(rows * m_columns);
        m_bytes.reserve(bytes);
    }
    // Starts a new row whose values are all Null until set.
    void beginRow();
    void setInt(size_t column, int64_t value);
    void setReal(size_t column, double value);
    void setText(size_t column, std::string_view text);
    void setBlob(size_t column, const void *data, size_t size);

    size_t rows() const { return m_columns ? m_cells.size() / m_columns : 0; }
    size_t columns() const { return m_columns; }

    enum class Kind : uint8_t { Null, Int, Real, Text, Blob };

    // What `column` of `row` holds, and its value when it is a whole number or a text
    // (a text stays valid until the buffer changes).
    Kind kindAt(size_t row, size_t column) const { return at(row, column).kind; }
    int64_t intAt(size_t row, size_t column) const { return at(row, column).i; }
    bool textAt(size_t row, size_t column, std::string_view &text) const
    {
        const Cell &c = at(row, column);
        if (c.kind != Kind::Text)
            return false;
        text = bytesOf(c);
        return true;
    }
    double realAt(size_t row, size_t column) const { return at(row, column).d; }
    // The bytes of a text or a blob; empty for any other kind.
    std::string_view bytesAt(size_t row, size_t column) const
    {
        const Cell &c = at(row, column);
        return c.kind == Kind::Text || c.kind == Kind::Blob ? bytesOf(c) : std::string_view();
    }

    // Asks for a cell, or for the bytes of the text or blob it holds (the cell already at
    // hand), ahead of reading them; nothing else happens.
    void prefetchCell(size_t row, size_t column) const { __builtin_prefetch(&at(row, column)); }
    void prefetchBytes(size_t row, size_t column) const
    {
        const Cell &c = at(row, column);
        if ((c.kind == Kind::Text || c.kind == Kind::Blob) && c.size)
            __builtin_prefetch(m_bytes.data() + c.offset);
    }

    // Binds the values of `row` to the parameters after the first `skip` of `st`. Text
    // and blobs are bound without a copy: the buffer must outlive the statement's use.
    void bindRow(sqlite3_stmt *st, size_t row, int skip = 0) const;

private:
    struct Cell {
        Kind kind = Kind::Null;
        uint32_t size = 0;
        union {
            int64_t i;
            double d;
            uint64_t offset;
        };
        Cell() : i(0) {}
    };

    const Cell &at(size_t row, size_t column) const { return m_cells[row * m_columns + column]; }
    Cell &cell(size_t column) { return m_cells[m_cells.size() - m_columns + column]; }
    std::string_view bytesOf(const Cell &c) const
    {
        return c.size ? std::string_view(m_bytes.data() + c.offset, c.size) : std::string_view();
    }
    void store(size_t column, Kind kind, const void *data, size_t size);

    size_t m_columns;
    std::vector<Cell> m_cells; // row after row
    std::vector<char> m_bytes; // the text and blob values, one after another
};

} // namespace db::detail
