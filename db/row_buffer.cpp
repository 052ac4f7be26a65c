// Holding a table's rows: fixed-size cells, and the bytes of texts and blobs in one
// growing block, so that reading a row allocates nothing.
#include "db/db_error.h"
#include "db/row_buffer_p.h"

#include <cstring>
#include <limits>
#include <sqlite3.h>

namespace db::detail {

void RowBuffer::beginRow() { m_cells.resize(m_cells.size() + m_columns); }

void RowBuffer::setInt(size_t column, int64_t value)
{
    Cell &c = cell(column);
    c.kind = Kind::Int;
    c.i = value;
}

void RowBuffer::setReal(size_t column, double value)
{
    Cell &c = cell(column);
    c.kind = Kind::Real;
    c.d = value;
}

void RowBuffer::setText(size_t column, std::string_view text) { store(column, Kind::Text, text.data(), text.size()); }

void RowBuffer::setBlob(size_t column, const void *data, size_t size) { store(column, Kind::Blob, data, size); }

void RowBuffer::store(size_t column, Kind kind, const void *data, size_t size)
{
    if (size > std::numeric_limits<uint32_t>::max())
        raiseDbError(DbErrc::Format, QStringLiteral("The catalogue file is damaged: a value is larger than 4 GB."));
    Cell &c = cell(column);
    c.kind = kind;
    c.size = uint32_t(size);
    c.offset = m_bytes.size();
    if (size)
        m_bytes.insert(m_bytes.end(), static_cast<const char *>(data), static_cast<const char *>(data) + size);
}

void RowBuffer::bindRow(sqlite3_stmt *st, size_t row, int skip) const
{
    const Cell *c = &m_cells[row * m_columns];
    for (size_t i = 0; i < m_columns; ++i, ++c) {
        const int slot = skip + int(i) + 1;
        switch (c->kind) {
        case Kind::Null: sqlite3_bind_null(st, slot); break;
        case Kind::Int: sqlite3_bind_int64(st, slot, c->i); break;
        case Kind::Real: sqlite3_bind_double(st, slot, c->d); break;
        case Kind::Text:
            sqlite3_bind_text64(st, slot, c->size ? m_bytes.data() + c->offset : "", c->size, SQLITE_STATIC,
                                SQLITE_UTF8);
            break;
        case Kind::Blob:
            if (c->size)
                sqlite3_bind_blob64(st, slot, m_bytes.data() + c->offset, c->size, SQLITE_STATIC);
            else
                sqlite3_bind_zeroblob(st, slot, 0);
            break;
        }
    }
}

} // namespace db::detail
