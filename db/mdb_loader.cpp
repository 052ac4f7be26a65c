// The copy from Jet to SQLite. Rows are walked with mdb_fetch_row, then the row just read
// is cracked again with mdb_crack_row: libmdb's bound values report length 0 for both
// Null and the empty text, and only the row's null mask tells them apart.
//
// Types in the copy (declared types are what Query reports as field kinds):
//   BOOLEAN -> BOOLINT -1/0      BYTE, INT, LONG -> INTEGER   FLOAT, DOUBLE -> REAL
//   MONEY -> REAL (value/10000)  DATETIME -> DATETEXT "yyyy-MM-dd hh:mm:ss"
//   TEXT -> TEXT (General collation)   MEMO -> LONGTEXT (General collation)
//   BINARY -> BLOB   OLE -> OLEBLOB   GUID -> TEXT "{...}"   NUMERIC -> NUMERIC
// Every text column compares and sorts by the General order, so equality, ORDER BY,
// DISTINCT, GROUP BY and Max behave as they do in Jet.
#include "db/mdb_loader_p.h"
#include "db/db_error.h"
#include "db/jet_functions_p.h"
#include "db/jet_text_p.h"

#include <QDate>
#include <QSet>
#include <QStringList>
#include <cmath>
#include <cstring>
#include <memory>
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

class Sqlite {
public:
    explicit Sqlite(const QString &path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE, nullptr)
            != SQLITE_OK)
            fail(QStringLiteral("cannot create the working copy \"%1\"").arg(path));
        registerJetFunctions(m_db);
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
    [[noreturn]] void fail(const QString &what)
    {
        raiseDbError(DbErrc::Format, QStringLiteral("The catalogue could not be copied for reading (%1): %2")
                                         .arg(what, QString::fromUtf8(sqlite3_errmsg(m_db))));
    }
    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

struct StmtDeleter {
    void operator()(sqlite3_stmt *s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

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

void bindText(sqlite3_stmt *st, int slot, char *text)
{
    if (!text)
        damaged(QStringLiteral("a text value cannot be read"));
    sqlite3_bind_text(st, slot, text, -1, SQLITE_TRANSIENT);
    g_free(text);
}

struct TableCopy {
    MdbHandle *mdb;
    MdbTableDef *table;
    Sqlite &out;
    QString name;
    std::vector<MdbColumn *> columns;
    std::vector<std::vector<char>> oleBuffers; // one bound buffer per OLE column
    std::vector<int> oleLengths;

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

    void bindValue(sqlite3_stmt *st, int slot, const MdbField &f, MdbColumn *col)
    {
        const int type = col->col_type;
        if (type == MDB_BOOL) {
            sqlite3_bind_int(st, slot, f.is_null ? 0 : -1);
            return;
        }
        if (f.is_null) {
            sqlite3_bind_null(st, slot);
            return;
        }
        if (f.start < 0 || f.siz < 0 || size_t(f.start) + size_t(f.siz) > size_t(mdb->fmt->pg_size))
            damaged(QStringLiteral("a value of table %1 lies outside its page").arg(name));
        const unsigned char *p = mdb->pg_buf + f.start;
        auto need = [&](int n) {
            if (f.siz < n)
                damaged(QStringLiteral("a value of table %1 is too short for its type").arg(name));
        };
        switch (type) {
        case MDB_BYTE: need(1); sqlite3_bind_int(st, slot, p[0]); return;
        case MDB_INT: { need(2); int16_t v; std::memcpy(&v, p, 2); sqlite3_bind_int(st, slot, v); return; }
        case MDB_LONGINT: { need(4); int32_t v; std::memcpy(&v, p, 4); sqlite3_bind_int(st, slot, v); return; }
        case MDB_MONEY: { need(8); int64_t v; std::memcpy(&v, p, 8); sqlite3_bind_double(st, slot, double(v) / 10000.0); return; }
        case MDB_FLOAT: { need(4); float v; std::memcpy(&v, p, 4); sqlite3_bind_double(st, slot, double(v)); return; }
        case MDB_DOUBLE: { need(8); double v; std::memcpy(&v, p, 8); sqlite3_bind_double(st, slot, v); return; }
        case MDB_DATETIME: {
            need(8);
            double v;
            std::memcpy(&v, p, 8);
            const QByteArray t = dateText(v).toUtf8();
            if (t.isEmpty())
                sqlite3_bind_null(st, slot);
            else
                sqlite3_bind_text(st, slot, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            return;
        }
        case MDB_BINARY: sqlite3_bind_blob(st, slot, p, f.siz, SQLITE_TRANSIENT); return;
        case MDB_OLE: {
            if (f.siz < MDB_MEMO_OVERHEAD) {
                sqlite3_bind_zeroblob(st, slot, 0);
                return;
            }
            size_t size = 0;
            void *data = mdb_ole_read_full(mdb, col, &size);
            if (!data)
                damaged(QStringLiteral("a picture value of table %1 cannot be read").arg(name));
            sqlite3_bind_blob64(st, slot, data, size, SQLITE_TRANSIENT);
            free(data);
            return;
        }
        case MDB_TEXT:
        case MDB_MEMO:
            if (f.siz == 0) {
                sqlite3_bind_text(st, slot, "", 0, SQLITE_STATIC);
                return;
            }
            [[fallthrough]];
        default:
            bindText(st, slot, mdb_col_to_string(mdb, mdb->pg_buf, f.start, type, f.siz));
        }
    }

    void copyRows()
    {
        QStringList marks;
        for (size_t i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        Stmt insert(out.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(quoteName(name), marks.join(u','))));
        std::vector<MdbField> fields(table->num_cols + 1);
        mdb_rewind_table(table);
        while (mdb_fetch_row(table)) {
            int start = 0;
            size_t size = 0;
            if (table->cur_row == 0 || mdb_find_row(mdb, int(table->cur_row) - 1, &start, &size) != 0)
                damaged(QStringLiteral("a row of table %1 cannot be found again on its page").arg(name));
            // The count returned is the row's own column count, which differs from the
            // table's after columns were added or dropped; every column's field is filled.
            if (mdb_crack_row(table, start & 0x1FFF, size, fields.data()) <= 0)
                damaged(QStringLiteral("a row of table %1 cannot be read").arg(name));
            sqlite3_reset(insert.get());
            for (int i = 0; i < int(table->num_cols); ++i) {
                const MdbField &f = fields[size_t(i)];
                if (f.colnum < 0 || size_t(f.colnum) >= columns.size())
                    damaged(QStringLiteral("a row of table %1 names a column that does not exist").arg(name));
                bindValue(insert.get(), f.colnum + 1, f, columns[size_t(f.colnum)]);
            }
            if (sqlite3_step(insert.get()) != SQLITE_DONE)
                out.fail(QStringLiteral("while copying a row of table %1").arg(name));
        }
    }

    void createIndexes(int &serial)
    {
        QSet<QString> firstColumns, lists;
        auto create = [&](const QStringList &cols) {
            const QString list = cols.join(u',');
            if (lists.contains(list.toLower()))
                return;
            lists.insert(list.toLower());
            firstColumns.insert(cols.front().toLower());
            out.exec(QStringLiteral("CREATE INDEX \"jetidx_%1\" ON %2 (%3)").arg(serial++).arg(quoteName(name), list));
        };
        if (table->indices) {
            for (unsigned i = 0; i < table->indices->len; ++i) {
                auto *idx = static_cast<MdbIndex *>(g_ptr_array_index(table->indices, i));
                QStringList cols;
                for (unsigned k = 0; k < idx->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
                    const int c = idx->key_col_num[k] - 1;
                    if (c < 0 || size_t(c) >= columns.size()) {
                        cols.clear();
                        break;
                    }
                    cols << quoteName(QString::fromUtf8(columns[size_t(c)]->name));
                }
                if (!cols.isEmpty())
                    create(cols);
            }
        }
        for (const QStringList &pair : pairedColumns()) {
            QStringList cols;
            for (const QString &wanted : pair)
                for (MdbColumn *col : columns)
                    if (QString::fromUtf8(col->name).toLower() == wanted)
                        cols << quoteName(QString::fromUtf8(col->name));
            if (cols.size() == pair.size() && !firstColumns.contains(cols.front().toLower()))
                create(cols);
        }
        for (MdbColumn *col : columns) {
            const QString colName = QString::fromUtf8(col->name);
            if (joinColumns().contains(colName.toLower()) && !firstColumns.contains(quoteName(colName).toLower()))
                create({quoteName(colName)});
        }
    }
};

} // namespace

void copyJetTables(QByteArray file, const QString &sqlitePath, const SourceKey &key)
{
    MdbHandle *mdb = mdb_open_buffer(file.data(), size_t(file.size()), MDB_NOFLAGS);
    if (!mdb)
        damaged(QStringLiteral("its pages cannot be read as a Jet database"));
    std::unique_ptr<MdbHandle, void (*)(MdbHandle *)> closer(mdb, mdb_close);
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        damaged(QStringLiteral("its table of contents cannot be read"));

    Sqlite out(sqlitePath);
    int serial = 0;
    QSet<QString> names;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry))
            continue;
        const QString name = QString::fromUtf8(entry->object_name);
        if (name.isEmpty() || names.contains(name.toLower()))
            damaged(QStringLiteral("two tables share the name \"%1\"").arg(name));
        names.insert(name.toLower());
        MdbTableDef *table = mdb_read_table(entry);
        if (!table)
            damaged(QStringLiteral("the definition of table %1 cannot be read").arg(name));
        std::unique_ptr<MdbTableDef, void (*)(MdbTableDef *)> tableCloser(table, mdb_free_tabledef);
        if (!mdb_read_columns(table))
            damaged(QStringLiteral("the columns of table %1 cannot be read").arg(name));
        mdb_read_indices(table);
        TableCopy copy{mdb, table, out, name, {}, {}, {}};
        copy.createTable();
        copy.copyRows();
        copy.createIndexes(serial);
    }
    if (names.isEmpty())
        damaged(QStringLiteral("it holds no tables"));

    out.exec(QStringLiteral("CREATE TABLE __jet_source (path TEXT, size INTEGER, mtime INTEGER, hash TEXT)"));
    Stmt st(out.prepare(QStringLiteral("INSERT INTO __jet_source VALUES (?, ?, ?, ?)")));
    const QByteArray path = key.path.toUtf8(), hash = key.hash.toUtf8();
    sqlite3_bind_text(st.get(), 1, path.constData(), int(path.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(st.get(), 2, key.size);
    sqlite3_bind_int64(st.get(), 3, key.mtimeNs);
    sqlite3_bind_text(st.get(), 4, hash.constData(), int(hash.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(st.get()) != SQLITE_DONE)
        out.fail(QStringLiteral("while recording the source"));
    out.exec(QStringLiteral("PRAGMA user_version=%1; COMMIT").arg(kCopyFormat));
}

} // namespace db::detail
