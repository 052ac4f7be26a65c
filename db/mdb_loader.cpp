// The copy from Jet to SQLite. Each row is cracked with mdb_crack_row and its values read
// from the page: libmdb's bound values report length 0 for both Null and the empty text,
// and only the row's null mask tells them apart (see forEachRow).
//
// Tables are not inserted through SQLite: SQLite creates the file, the tables and their
// indexes empty, and closes it; the rows and index entries are then laid out straight
// into b-tree pages (BtreeWriter), and SQLite opens the file again for the statistics and
// the source key.
//
// Types in the copy (declared types are what Query reports as field kinds):
//   BOOLEAN -> BOOLINT -1/0      BYTE, INT, LONG -> INTEGER   DOUBLE -> REAL
//   FLOAT (Single) -> REAL, the double of its shortest text   MONEY -> REAL (value/10000)
//   DATETIME -> DATETEXT "yyyy-MM-dd hh:mm:ss"
//   TEXT -> TEXT (General collation)   MEMO -> LONGTEXT (General collation)
//   BINARY -> BLOB   OLE -> OLEBLOB   GUID -> TEXT "{8-4-4-4-12}"
//   NUMERIC (Decimal) -> NUMERIC: a whole number, a real, or the exact text when a double
//   would not hold its digits
// Jet 3 text and memos are 8-bit Windows-1252 and decoded here, every byte kept.
// Every text column compares and sorts by the General order, so equality, ORDER BY,
// DISTINCT, GROUP BY and Max behave as they do in Jet.
#include "db/mdb_loader_p.h"
#include "db/db_error.h"
#include "db/btree_writer_p.h"
#include "db/index_order_p.h"
#include "db/jet_functions_p.h"
#include "db/jet_text_p.h"
#include "db/jet_values_p.h"
#include "db/row_buffer_p.h"

#include <QDate>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <mdbtools.h>
#include <sqlite3.h>
#include <vector>

namespace db::detail {

namespace {

[[noreturn]] void damaged(const QString &detail)
{
    raiseDbError(DbErrc::Format, QStringLiteral("The catalogue file is damaged: %1.").arg(detail));
}

QString quoteName(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// Columns the catalogue's statements join or filter on: each gets an index when the file
// has none starting with it, so no join scans a whole table.
const QSet<QString> &joinColumns()
{
    static const QSet<QString> names = {
        QStringLiteral("idveicolo"), QStringLiteral("ktypnr"),  QStringLiteral("codice"),
        QStringLiteral("listino"),   QStringLiteral("idmarca"), QStringLiteral("old_codice"),
    };
    return names;
}

// Columns always filtered together: one index on both serves the model list (by make,
// sorted by model) and the version list (by make and model), and costs one sort instead
// of two at the first open.
const QList<QStringList> &pairedColumns()
{
    static const QList<QStringList> pairs = {{QStringLiteral("idmarca"), QStringLiteral("modello")}};
    return pairs;
}

struct StmtDeleter {
    void operator()(sqlite3_stmt *s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

class Sqlite {
public:
    enum class Mode { Create, Reopen };
    Sqlite(const QString &path, Mode mode)
    {
        // sqlite3_open_v2 ignores SQLITE_OPEN_EXCLUSIVE: a file already there would be
        // opened and added to, so its absence is checked here.
        if (mode == Mode::Create && QFileInfo::exists(path))
            raiseDbError(DbErrc::Format,
                         QStringLiteral("The catalogue could not be copied for reading (the working copy \"%1\" "
                                        "already exists).")
                             .arg(path));
        const int create = mode == Mode::Create ? SQLITE_OPEN_CREATE : 0;
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db,
                            SQLITE_OPEN_READWRITE | create | SQLITE_OPEN_NOMUTEX, // one thread writes it
                            nullptr)
            != SQLITE_OK)
            fail(QStringLiteral("cannot %1 the working copy \"%2\"")
                     .arg(mode == Mode::Create ? QStringLiteral("create") : QStringLiteral("open"), path));
        registerJetFunctions(m_db);
        // What the page writer lays out: UTF-8 texts, no auto-vacuum pointer maps.
        if (mode == Mode::Create)
            exec("PRAGMA auto_vacuum=NONE; PRAGMA encoding='UTF-8'");
        exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-65536;"
             "PRAGMA locking_mode=EXCLUSIVE; BEGIN");
    }
    ~Sqlite() { sqlite3_close_v2(m_db); }
    Sqlite(const Sqlite &) = delete;
    Sqlite &operator=(const Sqlite &) = delete;

    void exec(const QString &sql)
    {
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(QStringLiteral("while running %1").arg(sql.left(200)));
    }
    sqlite3_stmt *prepare(const QString &sql)
    {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
            fail(QStringLiteral("while preparing %1").arg(sql.left(200)));
        return st;
    }
    // The first page of the b-tree of the table or index `name`.
    uint32_t rootPage(const QString &name)
    {
        Stmt st(prepare(QStringLiteral("SELECT rootpage FROM sqlite_schema WHERE name = ?")));
        const QByteArray utf8 = name.toUtf8();
        sqlite3_bind_text(st.get(), 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(st.get()) != SQLITE_ROW)
            fail(QStringLiteral("while looking for the pages of %1").arg(name));
        return uint32_t(sqlite3_column_int64(st.get(), 0));
    }
    [[noreturn]] void fail(const QString &what)
    {
        raiseDbError(DbErrc::Format, QStringLiteral("The catalogue could not be copied for reading (%1): %2")
                                         .arg(what, QString::fromUtf8(sqlite3_errmsg(m_db))));
    }
    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

const char *declaredType(int jetType)
{
    switch (jetType) {
    case MDB_BOOL: return "BOOLINT";
    case MDB_BYTE: case MDB_INT: case MDB_LONGINT: return "INTEGER";
    case MDB_FLOAT: case MDB_DOUBLE: case MDB_MONEY: return "REAL";
    case MDB_DATETIME: return "DATETEXT";
    case MDB_BINARY: return "BLOB";
    case MDB_OLE: return "OLEBLOB";
    case MDB_MEMO: return "LONGTEXT";
    case MDB_NUMERIC: return "NUMERIC";
    default: return "TEXT";
    }
}

bool isTextType(int jetType)
{
    return jetType == MDB_TEXT || jetType == MDB_MEMO || jetType == MDB_REPID;
}

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
// converts through iconv for each value, which was a tenth of the copy's time.
bool decodeText(const unsigned char *p, int size, std::string &out, size_t &length)
{
    // Each byte of the value gives at most three bytes of UTF-8 (a compressed Latin-1
    // byte two, a UTF-16 pair three), so the room is taken once and written through; it
    // only ever grows, as clearing it for every value cost as much as the decoding.
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

// libmdb converts to UTF-8 unless told otherwise through its environment.
bool libmdbWritesUtf8()
{
    static const bool utf8 = [] {
        const char *charset = getenv("MDB_ICONV");
        return !charset || !*charset || QByteArray(charset).toUpper() == "UTF-8";
    }();
    return utf8;
}

void storeText(RowBuffer &rows, size_t column, char *text)
{
    if (!text)
        damaged(QStringLiteral("a text value cannot be read"));
    rows.setText(column, text);
    g_free(text);
}

// Whether the file's 8-bit text (Jet 3) is in Windows-1252 (a header without a code page
// means the default, 1252); text of other code pages is left to libmdb.
bool windows1252(const MdbHandle *mdb) { return mdb->f->code_page == 1252 || mdb->f->code_page == 0; }

// A table whose b-trees SQLite created empty: their first pages, and the rows to fill
// them with.
struct PagedTable {
    uint32_t root;
    RowBuffer rows;
    std::vector<std::pair<uint32_t, std::vector<IndexColumn>>> indexes;
};

struct TableCopy {
    MdbHandle *mdb;
    MdbTableDef *table;
    Sqlite &out;
    QString name;
    std::vector<MdbColumn *> columns;
    std::vector<std::vector<char>> oleBuffers; // one bound buffer per OLE column
    std::vector<int> oleLengths;
    std::vector<std::vector<size_t>> indexes; // column numbers of each index to build
    std::string textBuffer;                   // one text value at a time, kept for its room
    std::string memoBuffer;                   // the bytes of one Jet 3 memo at a time

    void createTable()
    {
        QStringList defs;
        QSet<QString> seen;
        for (unsigned i = 0; i < table->num_cols; ++i) {
            auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
            const QString colName = QString::fromUtf8(col->name);
            if (colName.isEmpty() || seen.contains(colName.toLower()))
                damaged(QStringLiteral("table %1 has a column without a name or twice the same name").arg(name));
            seen.insert(colName.toLower());
            QString def = quoteName(colName) + u' ' + QLatin1String(declaredType(col->col_type));
            if (isTextType(col->col_type))
                def += QStringLiteral(" COLLATE ") + QLatin1String(kJetCollation);
            defs << def;
            columns.push_back(col);
        }
        if (defs.isEmpty())
            damaged(QStringLiteral("table %1 has no columns").arg(name));
        out.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteName(name), defs.join(QStringLiteral(", "))));
        oleBuffers.resize(columns.size());
        oleLengths.resize(columns.size());
        for (size_t i = 0; i < columns.size(); ++i) {
            if (columns[i]->col_type != MDB_OLE)
                continue;
            oleBuffers[i].assign(mdb->bind_size + MDB_MEMO_OVERHEAD, 0);
            mdb_bind_column(table, int(i) + 1, oleBuffers[i].data(), &oleLengths[i]);
        }
    }

    void readValue(RowBuffer &rows, size_t column, const MdbField &f, MdbColumn *col)
    {
        const int type = col->col_type;
        if (type == MDB_BOOL) {
            rows.setInt(column, f.is_null ? 0 : -1);
            return;
        }
        if (f.is_null)
            return;
        if (f.start < 0 || f.siz < 0 || size_t(f.start) + size_t(f.siz) > size_t(mdb->fmt->pg_size))
            damaged(QStringLiteral("a value of table %1 lies outside its page").arg(name));
        const unsigned char *p = mdb->pg_buf + f.start;
        auto need = [&](int n) {
            if (f.siz < n)
                damaged(QStringLiteral("a value of table %1 is too short for its type").arg(name));
        };
        switch (type) {
        case MDB_BYTE: need(1); rows.setInt(column, p[0]); return;
        case MDB_INT: { need(2); int16_t v; std::memcpy(&v, p, 2); rows.setInt(column, v); return; }
        case MDB_LONGINT: { need(4); int32_t v; std::memcpy(&v, p, 4); rows.setInt(column, v); return; }
        case MDB_MONEY: { need(8); int64_t v; std::memcpy(&v, p, 8); rows.setReal(column, double(v) / 10000.0); return; }
        case MDB_FLOAT: { need(4); float v; std::memcpy(&v, p, 4); rows.setReal(column, singleAsDouble(v)); return; }
        case MDB_DOUBLE: { need(8); double v; std::memcpy(&v, p, 8); rows.setReal(column, v); return; }
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
            // libmdb names the two bytes of the definition the other way round: what it
            // calls the precision is the scale.
            if (!setDecimal(rows, column, p, col->col_prec))
                damaged(QStringLiteral("a Decimal value of table %1 has more digits than a Decimal holds").arg(name));
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
                damaged(QStringLiteral("a picture value of table %1 cannot be read").arg(name));
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
                type == MDB_TEXT && IS_JET4(mdb) && libmdbWritesUtf8() && decodeText(p, f.siz, textBuffer, length)) {
                rows.setText(column, std::string_view(textBuffer.data(), length));
                return;
            }
            if (IS_JET3(mdb) && windows1252(mdb)) {
                std::string_view bytes(reinterpret_cast<const char *>(p), size_t(f.siz));
                if (type == MDB_MEMO)
                    bytes = readJet3Memo(p, f.siz);
                const QByteArray text =
                    codePageText(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
                rows.setText(column, std::string_view(text.constData(), size_t(text.size())));
                return;
            }
            [[fallthrough]];
        default:
            storeText(rows, column, mdb_col_to_string(mdb, mdb->pg_buf, f.start, type, f.siz));
        }
    }

    // The bytes of a Jet 3 memo whose 12-byte header is at `p`: after the header in the
    // row, on one row of a long-value page, or in a chain of such rows, each starting with
    // the pointer to the next. Read here because libmdb passes them through a converter
    // that replaces the bytes Windows-1252 leaves unassigned. A chain shorter than the
    // stated length gives what it holds, as libmdb does.
    std::string_view readJet3Memo(const unsigned char *p, int size)
    {
        auto word = [](const unsigned char *b) {
            return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        };
        auto unreadable = [&] { damaged(QStringLiteral("a memo value of table %1 cannot be read").arg(name)); };
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
                || size_t(start & 0x1FFF) + piece > size_t(mdb->fmt->pg_size) || (!oneRow && piece < 4))
                unreadable();
            const auto *row = static_cast<const unsigned char *>(page) + (start & 0x1FFF);
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

    // Rows go to the copy in batches, one statement for up to 64 of them: stepping a
    // statement costs more than the insert it makes.
    struct Writer {
        TableCopy &copy;
        size_t perRow, batch;
        Stmt full;

        explicit Writer(TableCopy &c) : copy(c), perRow(std::max<size_t>(c.columns.size(), 1))
        {
            const size_t maxParameters =
                size_t(sqlite3_limit(copy.out.handle(), SQLITE_LIMIT_VARIABLE_NUMBER, -1));
            batch = std::clamp<size_t>(maxParameters / perRow, 1, 64);
        }
        Stmt prepareFor(size_t count)
        {
            QStringList tuple, tuples;
            for (size_t i = 0; i < copy.columns.size(); ++i)
                tuple << QStringLiteral("?");
            const QString one = u'(' + tuple.join(u',') + u')';
            for (size_t i = 0; i < count; ++i)
                tuples << one;
            return Stmt(copy.out.prepare(
                QStringLiteral("INSERT INTO %1 VALUES %2").arg(quoteName(copy.name), tuples.join(u','))));
        }
        // Writes the first `count` rows of `rows` as one statement.
        void write(const RowBuffer &rows, size_t count)
        {
            Stmt rest;
            sqlite3_stmt *st = nullptr;
            if (count == batch) {
                if (!full)
                    full = prepareFor(batch);
                st = full.get();
            } else {
                rest = prepareFor(count);
                st = rest.get();
            }
            for (size_t k = 0; k < count; ++k)
                rows.bindRow(st, k, int(k * perRow));
            if (sqlite3_step(st) != SQLITE_DONE)
                copy.out.fail(QStringLiteral("while copying a row of table %1").arg(copy.name));
            sqlite3_reset(st); // lets go of the bound values before the rows are cleared
        }
    };

    // Calls `rowAt(start, size)` for each row of the table, in the file's order, with the
    // place of the row on the page in libmdb's buffer, skipping the rows libmdb skips
    // (deleted, or not on their page). A table with a picture column is walked by
    // mdb_fetch_row, which also fills the bound buffer that mdb_ole_read_full reads from;
    // any other is walked page by page here, which cracks each row once instead of twice
    // (mdb_fetch_row cracks it, and its bound values cannot tell Null from the empty text,
    // so it would be cracked again for its null mask).
    template <class RowAt>
    void forEachRow(RowAt rowAt)
    {
        mdb_rewind_table(table);
        const bool pictures = std::any_of(columns.begin(), columns.end(), [](MdbColumn *c) { return c->col_type == MDB_OLE; });
        if (pictures) {
            while (mdb_fetch_row(table)) {
                int start = 0;
                size_t size = 0;
                if (table->cur_row == 0 || mdb_find_row(mdb, int(table->cur_row) - 1, &start, &size) != 0)
                    damaged(QStringLiteral("a row of table %1 cannot be found again on its page").arg(name));
                rowAt(start & 0x1FFF, size);
            }
            return;
        }
        if (!mdb_read_next_dpg(table))
            return;
        for (unsigned row = 0;;) {
            if (row >= unsigned(mdb_get_int16(mdb->pg_buf, mdb->fmt->row_count_offset))) {
                row = 0;
                if (!mdb_read_next_dpg(table))
                    return;
            }
            int start = 0;
            size_t size = 0;
            if (mdb_find_row(mdb, int(row++), &start, &size) != 0 || size == 0)
                continue;
            if ((start & 0x4000) && !table->noskip_del) // deleted
                continue;
            rowAt(start & 0x1FFF, size);
        }
    }

    // Reads the rows one by one into `rows`, calling `rowRead` after each.
    template <class RowRead>
    void readRows(RowBuffer &rows, RowRead rowRead)
    {
        std::vector<MdbField> fields(table->num_cols + 1);
        forEachRow([&](int start, size_t size) {
            // The count returned is the row's own column count, which differs from the
            // table's after columns were added or dropped; every column's field is filled.
            const int cracked = mdb_crack_row(table, start, size, fields.data());
            if (cracked < 0)
                return; // mdb_fetch_row passes over such a row too
            if (cracked == 0)
                damaged(QStringLiteral("a row of table %1 cannot be read").arg(name));
            rows.beginRow();
            for (int i = 0; i < int(table->num_cols); ++i) {
                const MdbField &f = fields[size_t(i)];
                if (f.colnum < 0 || size_t(f.colnum) >= columns.size())
                    damaged(QStringLiteral("a row of table %1 names a column that does not exist").arg(name));
                readValue(rows, size_t(f.colnum), f, columns[size_t(f.colnum)]);
            }
            rowRead();
        });
    }

    // The rows as the file holds them, a batch at a time.
    void copyRows()
    {
        RowBuffer rows(columns.size());
        Writer writer(*this);
        readRows(rows, [&] {
            if (rows.rows() == writer.batch) {
                writer.write(rows, writer.batch);
                rows.clear();
            }
        });
        if (rows.rows() > 0)
            writer.write(rows, rows.rows());
    }

    // The file's own indexes, then the paired and the join columns that no index leads.
    void planIndexes()
    {
        QSet<size_t> firstColumns;
        auto plan = [&](const std::vector<size_t> &cols) {
            for (const auto &index : indexes)
                if (index == cols)
                    return;
            indexes.push_back(cols);
            firstColumns.insert(cols.front());
        };
        auto columnNamed = [&](const QString &wanted) -> std::optional<size_t> {
            for (size_t c = 0; c < columns.size(); ++c)
                if (QString::fromUtf8(columns[c]->name).toLower() == wanted)
                    return c;
            return std::nullopt;
        };
        if (table->indices) {
            for (unsigned i = 0; i < table->indices->len; ++i) {
                auto *idx = static_cast<MdbIndex *>(g_ptr_array_index(table->indices, i));
                std::vector<size_t> cols;
                for (unsigned k = 0; k < idx->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
                    const int c = idx->key_col_num[k] - 1;
                    if (c < 0 || size_t(c) >= columns.size()) {
                        cols.clear();
                        break;
                    }
                    cols.push_back(size_t(c));
                }
                if (!cols.empty())
                    plan(cols);
            }
        }
        for (const QStringList &pair : pairedColumns()) {
            std::vector<size_t> cols;
            for (const QString &wanted : pair)
                if (const auto c = columnNamed(wanted))
                    cols.push_back(*c);
            if (cols.size() == size_t(pair.size()) && !firstColumns.contains(cols.front()))
                plan(cols);
        }
        for (size_t c = 0; c < columns.size(); ++c)
            if (joinColumns().contains(QString::fromUtf8(columns[c]->name).toLower()) && !firstColumns.contains(c))
                plan({c});
    }

    // Creates the index on `index` (empty when the table is) and returns its name.
    QString createIndex(const std::vector<size_t> &index, int &serial)
    {
        QStringList cols;
        for (size_t c : index)
            cols << quoteName(QString::fromUtf8(columns[c]->name));
        const QString indexName = QStringLiteral("jetidx_%1").arg(serial++);
        out.exec(QStringLiteral("CREATE INDEX %1 ON %2 (%3)").arg(quoteName(indexName), quoteName(name), cols.join(u',')));
        return indexName;
    }

    // The table's indexes created empty, and its rows read, for BtreeWriter to fill once
    // SQLite has closed the file. `mostRows` bounds the rows the file could hold.
    PagedTable readForPages(int &serial, size_t mostRows)
    {
        PagedTable paged{out.rootPage(name), RowBuffer(columns.size()), {}};
        for (const auto &index : indexes) {
            std::vector<IndexColumn> key;
            for (size_t c : index)
                key.push_back({c, isTextType(columns[c]->col_type)});
            paged.indexes.push_back({out.rootPage(createIndex(index, serial)), std::move(key)});
        }
        // Room for the count the file states, but no more than it could hold: a damaged
        // count must not take the memory of billions of rows.
        paged.rows.reserve(std::min<size_t>(table->num_rows, mostRows));
        readRows(paged.rows, [] {});
        return paged;
    }

    // Rows inserted through SQLite, then the indexes built by it.
    void insertRowsAndIndexes(int &serial)
    {
        copyRows();
        for (const auto &index : indexes)
            createIndex(index, serial);
    }
};

} // namespace

void copyJetTables(QByteArrayView file, const QString &sqlitePath, const SourceKey &key, TableShare share,
                   RowWriting writing)
{
    // libmdb reads the buffer through a read-only memory stream and never writes to it.
    MdbHandle *mdb = mdb_open_buffer(const_cast<char *>(file.data()), size_t(file.size()), MDB_NOFLAGS);
    if (!mdb)
        damaged(QStringLiteral("its pages cannot be read as a Jet database"));
    std::unique_ptr<MdbHandle, void (*)(MdbHandle *)> closer(mdb, mdb_close);
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        damaged(QStringLiteral("its table of contents cannot be read"));

    using TableDef = std::unique_ptr<MdbTableDef, void (*)(MdbTableDef *)>;
    // The definitions are read twice: libmdb reads a table's columns from the page it
    // left in its buffer when it read the definition, so each is read again right before.
    struct Listed {
        QString name;
        MdbCatalogEntry *entry;
        guint32 rows;
    };
    std::vector<Listed> tables;
    QSet<QString> names;
    // Every Jet file lists its system tables, MSysObjects itself among them: a catalogue
    // without them was cut short (a truncated file), while one without user tables is
    // merely empty.
    bool systemTables = false;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_user_table(entry))
            systemTables = true;
        if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry))
            continue;
        const QString name = QString::fromUtf8(entry->object_name);
        if (name.isEmpty() || names.contains(name.toLower()))
            damaged(QStringLiteral("two tables share the name \"%1\"").arg(name));
        names.insert(name.toLower());
        TableDef table(mdb_read_table(entry), mdb_free_tabledef);
        if (!table)
            damaged(QStringLiteral("the definition of table %1 cannot be read").arg(name));
        tables.push_back({name, entry, table->num_rows});
    }
    if (!systemTables && tables.empty())
        damaged(QStringLiteral("its table of contents lists no tables"));
    size_t largest = 0;
    for (size_t t = 1; t < tables.size(); ++t)
        if (tables[t].rows > tables[largest].rows)
            largest = t;

    std::vector<PagedTable> paged;
    int serial = 0;
    {
        Sqlite out(sqlitePath, Sqlite::Mode::Create);
        for (size_t t = 0; t < tables.size(); ++t) {
            if ((share == TableShare::Largest && t != largest) || (share == TableShare::Others && t == largest))
                continue;
            const QString &name = tables[t].name;
            TableDef def(mdb_read_table(tables[t].entry), mdb_free_tabledef);
            MdbTableDef *table = def.get();
            if (!table)
                damaged(QStringLiteral("the definition of table %1 cannot be read").arg(name));
            if (!mdb_read_columns(table))
                damaged(QStringLiteral("the columns of table %1 cannot be read").arg(name));
            mdb_read_indices(table);
            TableCopy copy{mdb, table, out, name, {}, {}, {}, {}, {}, {}};
            copy.createTable();
            copy.planIndexes();
            if (writing == RowWriting::Pages)
                paged.push_back(copy.readForPages(serial, size_t(file.size()) / 4)); // a row takes 4 bytes at least
            else
                copy.insertRowsAndIndexes(serial);
        }
        out.exec(QStringLiteral("COMMIT"));
    }
    if (!paged.empty()) {
        BtreeWriter writer(sqlitePath);
        for (const PagedTable &t : paged) {
            writer.writeTable(t.root, t.rows);
            for (const auto &[root, columns] : t.indexes)
                writer.writeIndex(root, t.rows, columns);
        }
        writer.finish();
    }

    Sqlite out(sqlitePath, Sqlite::Mode::Reopen);
    out.exec(QStringLiteral("CREATE TABLE __jet_source (path TEXT, size INTEGER, mtime INTEGER, identity TEXT, "
                            "sample TEXT, hash TEXT, text_order TEXT)"));
    Stmt st(out.prepare(QStringLiteral("INSERT INTO __jet_source VALUES (?, ?, ?, ?, ?, ?, ?)")));
    int parameter = 0;
    auto bindText = [&](const QString &text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(st.get(), ++parameter, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    };
    bindText(key.path);
    sqlite3_bind_int64(st.get(), ++parameter, key.size);
    sqlite3_bind_int64(st.get(), ++parameter, key.mtimeNs);
    bindText(key.identity);
    bindText(key.sample);
    bindText(key.hash);
    bindText(generalOrderFingerprint());
    if (sqlite3_step(st.get()) != SQLITE_DONE)
        out.fail(QStringLiteral("while recording the source"));
    // Without statistics SQLite takes every index for equally selective and may walk a
    // make's hundreds of vehicles where a battery code's few fitments would do; a sample
    // of each index is enough to tell them apart, and costs little.
    out.exec(QStringLiteral("PRAGMA analysis_limit=1000; ANALYZE"));
    out.exec(QStringLiteral("PRAGMA user_version=%1; COMMIT").arg(kCopyFormat));
}

} // namespace db::detail
