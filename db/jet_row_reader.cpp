// The Jet values decoded for the copy (see jet_row_reader_p.h for what each becomes).
#include "db/db_error.h"
#include "db/jet_row_reader_p.h"
#include "db/jet_text_p.h"
#include "db/jet_values_p.h"
#include "db/mdb_internals_p.h"

#include <QByteArray>
#include <QDate>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace db::detail {

namespace {

QString dateText(double days)
{
    if (!std::isfinite(days) || std::fabs(days) > 3.0e6)
        return QString();
    const double whole = std::trunc(days);
    // Before 1899-12-30 the day is negative while the time of day still counts forward.
    qint64 ms = std::llround(std::fabs(days - whole) * 86400000.0);
    qint64 day = qint64(whole);
    if (ms >= 86400000) {
        ms -= 86400000;
        day += 1;
    }
    const QDate date = QDate(1899, 12, 30).addDays(day);
    const qint64 sec = (ms + 500) / 1000;
    return QStringLiteral("%1 %2:%3:%4")
        .arg(date.toString(QStringLiteral("yyyy-MM-dd")))
        .arg(sec / 3600, 2, 10, QChar(u'0'))
        .arg(sec / 60 % 60, 2, 10, QChar(u'0'))
        .arg(sec % 60, 2, 10, QChar(u'0'));
}

// A TEXT value as UTF-8 in the first `length` bytes of `out`: UTF-16LE, or after FF FE
// the compressed form, where a zero byte switches between one byte per character and
// two. Only characters below U+D800 are decoded here, exactly as libmdb's converter
// does; a value holding anything else (surrogates, an odd byte) returns false and is left
// to libmdb, so both ways give the same text. Done here because libmdb allocates and
// converts through iconv for each value.
bool decodeText(const unsigned char *p, int size, std::string &out, size_t &length)
{
    // Each byte of the value gives at most three bytes of UTF-8 (a compressed Latin-1
    // byte two, a UTF-16 pair three), so the room is taken once and written through; it
    // only ever grows, as clearing it for every value would cost as much as the decoding.
    if (out.size() < size_t(size) * 3)
        out.resize(size_t(size) * 3);
    char *o = out.data();
    const unsigned char *end = p + size;
    const bool switching = size >= 2 && p[0] == 0xFF && p[1] == 0xFE;
    bool compressed = switching;
    if (switching)
        p += 2;
    while (p < end) {
        uint32_t c;
        if (switching && *p == 0) {
            compressed = !compressed;
            ++p;
            continue;
        }
        if (compressed) {
            c = *p++;
        } else {
            if (end - p < 2)
                return false;
            c = uint32_t(p[0]) | uint32_t(p[1]) << 8;
            p += 2;
        }
        if (c == 0) { // libmdb's text would end there
            return false;
        } else if (c < 0x80) {
            *o++ = char(c);
        } else if (c < 0x800) {
            *o++ = char(0xC0 | (c >> 6));
            *o++ = char(0x80 | (c & 0x3F));
        } else if (c < 0xD800) {
            *o++ = char(0xE0 | (c >> 12));
            *o++ = char(0x80 | ((c >> 6) & 0x3F));
            *o++ = char(0x80 | (c & 0x3F));
        } else {
            return false;
        }
    }
    length = size_t(o - out.data());
    return true;
}

void storeText(RowBuffer &rows, size_t column, char *text)
{
    if (!text)
        raiseDamaged(QStringLiteral("a text value cannot be read"));
    rows.setText(column, text);
    g_free(text);
}

// Whether the file's 8-bit text (Jet 3) is in Windows-1252 (a header without a code page
// means the default, 1252); text of other code pages is left to libmdb.
bool windows1252(const MdbHandle *mdb) { return fileCodePage(mdb) == 1252 || fileCodePage(mdb) == 0; }

} // namespace

void raiseDamaged(const QString &detail)
{
    raiseDbError(DbErrc::Format, QStringLiteral("The catalogue file is damaged: %1.").arg(detail));
}

JetRowReader::JetRowReader(MdbHandle *mdb_, MdbTableDef *table_, const QString &name_,
                           std::vector<MdbColumn *> columns_)
    : mdb(mdb_), table(table_), name(name_), columns(std::move(columns_))
{
    oleBuffers.resize(columns.size());
    oleLengths.resize(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i]->col_type != MDB_OLE)
            continue;
        oleBuffers[i].assign(boundValueSize(mdb) + MDB_MEMO_OVERHEAD, 0);
        mdb_bind_column(table, int(i) + 1, oleBuffers[i].data(), &oleLengths[i]);
    }
}

void JetRowReader::readValue(RowBuffer &rows, size_t column, const MdbField &f, MdbColumn *col)
{
    const int type = col->col_type;
    if (type == MDB_BOOL) {
        rows.setInt(column, f.is_null ? 0 : -1);
        return;
    }
    if (f.is_null)
        return;
    if (f.start < 0 || f.siz < 0 || size_t(f.start) + size_t(f.siz) > pageSize(mdb))
        raiseDamaged(QStringLiteral("a value of table %1 lies outside its page").arg(name));
    const unsigned char *p = currentPage(mdb) + f.start;
    auto need = [&](int n) {
        if (f.siz < n)
            raiseDamaged(QStringLiteral("a value of table %1 is too short for its type").arg(name));
    };
    switch (type) {
    case MDB_BYTE:
        need(1);
        rows.setInt(column, p[0]);
        return;
    case MDB_INT: {
        need(2);
        int16_t v;
        std::memcpy(&v, p, 2);
        rows.setInt(column, v);
        return;
    }
    case MDB_LONGINT: {
        need(4);
        int32_t v;
        std::memcpy(&v, p, 4);
        rows.setInt(column, v);
        return;
    }
    case MDB_MONEY: {
        need(8);
        int64_t v;
        std::memcpy(&v, p, 8);
        rows.setReal(column, double(v) / 10000.0);
        return;
    }
    case MDB_FLOAT: {
        need(4);
        float v;
        std::memcpy(&v, p, 4);
        rows.setReal(column, singleAsDouble(v));
        return;
    }
    case MDB_DOUBLE: {
        need(8);
        double v;
        std::memcpy(&v, p, 8);
        rows.setReal(column, v);
        return;
    }
    case MDB_DATETIME: {
        need(8);
        double v;
        std::memcpy(&v, p, 8);
        const QByteArray t = dateText(v).toUtf8();
        if (!t.isEmpty())
            rows.setText(column, std::string_view(t.constData(), size_t(t.size())));
        return;
    }
    case MDB_BINARY: rows.setBlob(column, p, size_t(f.siz)); return;
    case MDB_NUMERIC:
        need(kDecimalBytes);
        if (!setDecimal(rows, column, p, decimalScale(col)))
            raiseDamaged(QStringLiteral("a Decimal value of table %1 has more digits than a Decimal holds").arg(name));
        return;
    case MDB_REPID: {
        need(kGuidBytes);
        const std::string guid = guidText(p);
        rows.setText(column, guid);
        return;
    }
    case MDB_OLE: {
        if (f.siz < MDB_MEMO_OVERHEAD) {
            rows.setBlob(column, nullptr, 0);
            return;
        }
        size_t size = 0;
        void *data = mdb_ole_read_full(mdb, col, &size);
        if (!data)
            raiseDamaged(QStringLiteral("a picture value of table %1 cannot be read").arg(name));
        rows.setBlob(column, data, size);
        free(data);
        return;
    }
    case MDB_TEXT:
    case MDB_MEMO:
        if (f.siz == 0) {
            rows.setText(column, {});
            return;
        }
        if (size_t length = 0;
            type == MDB_TEXT && isJet4(mdb) && libmdbWritesUtf8() && decodeText(p, f.siz, textBuffer, length)) {
            rows.setText(column, std::string_view(textBuffer.data(), length));
            return;
        }
        if (isJet3(mdb) && windows1252(mdb)) {
            std::string_view bytes(reinterpret_cast<const char *>(p), size_t(f.siz));
            if (type == MDB_MEMO)
                bytes = readJet3Memo(p, f.siz);
            const QByteArray text = codePageText(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
            rows.setText(column, std::string_view(text.constData(), size_t(text.size())));
            return;
        }
        [[fallthrough]];
    default: storeText(rows, column, mdb_col_to_string(mdb, currentPage(mdb), f.start, type, f.siz));
    }
}

// The bytes of a Jet 3 memo whose 12-byte header is at `p`: after the header in the
// row, on one row of a long-value page, or in a chain of such rows, each starting with
// the pointer to the next. Read here because libmdb passes them through a converter
// that replaces the bytes Windows-1252 leaves unassigned. A chain shorter than the
// stated length gives what it holds, as libmdb does.
std::string_view JetRowReader::readJet3Memo(const unsigned char *p, int size)
{
    auto word = [](const unsigned char *b) {
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    };
    auto unreadable = [&] { raiseDamaged(QStringLiteral("a memo value of table %1 cannot be read").arg(name)); };
    if (size < MDB_MEMO_OVERHEAD)
        unreadable();
    const uint32_t head = word(p);
    const size_t length = head & 0x3FFFFFFF;
    if (head & 0x80000000) {
        if (size_t(size) - MDB_MEMO_OVERHEAD < length)
            unreadable();
        return std::string_view(reinterpret_cast<const char *>(p) + MDB_MEMO_OVERHEAD, length);
    }
    const bool oneRow = head & 0x40000000;
    memoBuffer.clear();
    for (uint32_t next = word(p + 4); memoBuffer.size() < length;) {
        void *page = nullptr;
        int start = 0;
        size_t piece = 0;
        if (mdb_find_pg_row(mdb, int(next), &page, &start, &piece) != 0
            || size_t(rowOffset(start)) + piece > pageSize(mdb) || (!oneRow && piece < 4))
            unreadable();
        const auto *row = static_cast<const unsigned char *>(page) + rowOffset(start);
        if (!oneRow) {
            next = word(row);
            row += 4;
            piece -= 4;
        }
        memoBuffer.append(reinterpret_cast<const char *>(row), std::min(piece, length - memoBuffer.size()));
        if (oneRow || next == 0 || piece == 0)
            break;
    }
    return memoBuffer;
}

// Calls `rowAt(start, size)` for each row of the table, in the file's order, with the
// place of the row on the page in libmdb's buffer, skipping the rows libmdb skips
// (deleted, or not on their page). A table with a picture column is walked by
// mdb_fetch_row, which also fills the bound buffer that mdb_ole_read_full reads from;
// any other is walked page by page here, which cracks each row once instead of twice
// (mdb_fetch_row cracks it, and its bound values cannot tell Null from the empty text,
// so it would be cracked again for its null mask).
template <class RowAt>
void JetRowReader::forEachRow(RowAt rowAt)
{
    mdb_rewind_table(table);
    const bool pictures =
        std::any_of(columns.begin(), columns.end(), [](MdbColumn *c) { return c->col_type == MDB_OLE; });
    if (pictures) {
        while (mdb_fetch_row(table)) {
            int start = 0;
            size_t size = 0;
            if (lastFetchedRow(table) < 0 || mdb_find_row(mdb, lastFetchedRow(table), &start, &size) != 0)
                raiseDamaged(QStringLiteral("a row of table %1 cannot be found again on its page").arg(name));
            rowAt(rowOffset(start), size);
        }
        return;
    }
    if (!mdb_read_next_dpg(table))
        return;
    for (unsigned row = 0;;) {
        if (row >= rowsOnCurrentPage(mdb)) {
            row = 0;
            if (!mdb_read_next_dpg(table))
                return;
        }
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb, int(row++), &start, &size) != 0 || size == 0)
            continue;
        if (skippedAsDeleted(table, start))
            continue;
        rowAt(rowOffset(start), size);
    }
}

void JetRowReader::readRows(RowBuffer &rows, const std::function<void()> &rowRead)
{
    std::vector<MdbField> fields(table->num_cols + 1);
    forEachRow([&](int start, size_t size) {
        // The count returned is the row's own column count, which differs from the
        // table's after columns were added or dropped; every column's field is filled.
        const int cracked = mdb_crack_row(table, start, size, fields.data());
        if (cracked < 0)
            return; // mdb_fetch_row passes over such a row too
        if (cracked == 0)
            raiseDamaged(QStringLiteral("a row of table %1 cannot be read").arg(name));
        rows.beginRow();
        for (int i = 0; i < int(table->num_cols); ++i) {
            const MdbField &f = fields[size_t(i)];
            if (f.colnum < 0 || size_t(f.colnum) >= columns.size())
                raiseDamaged(QStringLiteral("a row of table %1 names a column that does not exist").arg(name));
            readValue(rows, size_t(f.colnum), f, columns[size_t(f.colnum)]);
        }
        rowRead();
    });
}

} // namespace db::detail
