// The copy from Jet to SQLite: the tables of the file, read by JetRowReader, written to
// an SQLite file. Tables are not inserted through SQLite: SQLite creates the file, the
// tables and their indexes empty, and closes it; the rows and index entries are then laid
// out straight into b-tree pages (BtreeWriter), and SQLite opens the file again for the
// statistics and the source key.
//
// Declared types in the copy (what Query reports as field kinds):
//   BOOLEAN -> BOOLINT   BYTE, INT, LONG -> INTEGER   FLOAT, DOUBLE, MONEY -> REAL
//   DATETIME -> DATETEXT   TEXT -> TEXT   MEMO -> LONGTEXT   BINARY -> BLOB
//   OLE -> OLEBLOB   GUID -> TEXT   NUMERIC (Decimal) -> NUMERIC
// Every text column compares and sorts by the General order, so equality, ORDER BY,
// DISTINCT, GROUP BY and Max behave as they do in Jet.
#include "db/btree_writer_p.h"
#include "db/copy_database_p.h"
#include "db/copy_tables_p.h"
#include "db/db_error.h"
#include "db/index_order_p.h"
#include "db/index_plan_p.h"
#include "db/jet_functions_p.h"
#include "db/jet_row_reader_p.h"
#include "db/jet_text_p.h"
#include "db/mdb_internals_p.h"
#include "db/row_buffer_p.h"
#include "db/row_inserts_p.h"

#include <QSet>
#include <QStringList>
#include <algorithm>
#include <atomic>
#include <future>
#include <mdbtools.h>
#include <memory>
#include <sqlite3.h>
#include <thread>
#include <vector>

namespace db::detail {

namespace {

const char *declaredType(int jetType)
{
    switch (jetType) {
    case MDB_BOOL: return "BOOLINT";
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT: return "INTEGER";
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_MONEY: return "REAL";
    case MDB_DATETIME: return "DATETEXT";
    case MDB_BINARY: return "BLOB";
    case MDB_OLE: return "OLEBLOB";
    case MDB_MEMO: return "LONGTEXT";
    case MDB_NUMERIC: return "NUMERIC";
    default: return "TEXT";
    }
}

bool isTextType(int jetType) { return jetType == MDB_TEXT || jetType == MDB_MEMO || jetType == MDB_REPID; }

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
    CopyDatabase &out;
    QString name;
    std::vector<MdbColumn *> columns;
    std::vector<std::vector<size_t>> indexes; // column numbers of each index to build
    size_t rowsRead = 0;

    void createTable()
    {
        QStringList defs;
        QSet<QString> seen;
        for (unsigned i = 0; i < table->num_cols; ++i) {
            auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
            const QString colName = QString::fromUtf8(col->name);
            if (colName.isEmpty() || seen.contains(colName.toLower()))
                raiseDamaged(QStringLiteral("table %1 has a column without a name or twice the same name").arg(name));
            seen.insert(colName.toLower());
            QString def = quotedName(colName) + u' ' + QLatin1String(declaredType(col->col_type));
            if (isTextType(col->col_type))
                def += QStringLiteral(" COLLATE ") + QLatin1String(kJetCollation);
            defs << def;
            columns.push_back(col);
        }
        if (defs.isEmpty())
            raiseDamaged(QStringLiteral("table %1 has no columns").arg(name));
        out.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quotedName(name), defs.join(QStringLiteral(", "))));
    }

    // The file's own indexes, then those of the hints that no index leads.
    void planWith(const QList<QStringList> &hints)
    {
        std::vector<std::vector<size_t>> fileIndexes;
        if (table->indices) {
            for (unsigned i = 0; i < table->indices->len; ++i) {
                auto *idx = static_cast<MdbIndex *>(g_ptr_array_index(table->indices, i));
                std::vector<size_t> cols;
                for (unsigned k = 0; k < indexKeyCount(idx); ++k) {
                    const int c = indexKeyColumn(idx, k);
                    if (c < 0 || size_t(c) >= columns.size()) {
                        cols.clear();
                        break;
                    }
                    cols.push_back(size_t(c));
                }
                if (!cols.empty())
                    fileIndexes.push_back(cols);
            }
        }
        QStringList names;
        for (MdbColumn *c : columns)
            names << QString::fromUtf8(c->name);
        indexes = planIndexes(names, fileIndexes, hints);
    }

    // Creates the index on `index` (empty when the table is) and returns its name.
    QString createIndex(const std::vector<size_t> &index, int &serial)
    {
        QStringList cols;
        for (size_t c : index)
            cols << quotedName(QString::fromUtf8(columns[c]->name));
        const QString indexName = QStringLiteral("jetidx_%1").arg(serial++);
        out.exec(
            QStringLiteral("CREATE INDEX %1 ON %2 (%3)").arg(quotedName(indexName), quotedName(name), cols.join(u',')));
        return indexName;
    }

    // The table's indexes created empty, and its rows read, for BtreeWriter to fill once
    // SQLite has closed the file. `mostRows` bounds the rows the file could hold, and
    // `fileSize` the bytes of their texts.
    PagedTable readForPages(int &serial, size_t mostRows, size_t fileSize)
    {
        PagedTable paged{out.rootPage(name), RowBuffer(columns.size()), {}};
        for (const auto &index : indexes) {
            std::vector<IndexColumn> key;
            for (size_t c : index)
                key.push_back({c, isTextType(columns[c]->col_type)});
            paged.indexes.push_back({out.rootPage(createIndex(index, serial)), std::move(key)});
        }
        // Room for the count the file states, but no more than it could hold: a damaged
        // count must not take the memory of billions of rows. The texts get as much room
        // as the cells, at most the file's size; only the room written is ever touched.
        const size_t rows = std::min<size_t>(table->num_rows, mostRows);
        paged.rows.reserve(rows, std::min(fileSize, rows * columns.size() * 16));
        JetRowReader(mdb, table, name, columns).readRows(paged.rows, [] {});
        rowsRead = paged.rows.rows();
        return paged;
    }

    // Rows inserted through SQLite a batch at a time, then the indexes built by it.
    void insertRowsAndIndexes(int &serial)
    {
        RowBuffer rows(columns.size());
        RowInserter inserter(out, name, columns.size());
        JetRowReader(mdb, table, name, columns).readRows(rows, [&] {
            if (rows.rows() == inserter.batch()) {
                inserter.write(rows, inserter.batch());
                rowsRead += rows.rows();
                rows.clear();
            }
        });
        rowsRead += rows.rows();
        if (rows.rows() > 0)
            inserter.write(rows, rows.rows());
        for (const auto &index : indexes)
            createIndex(index, serial);
    }
};

// Lays out the tables' rows and indexes into the pages of the copy at `sqlitePath`. The
// index entries, most of the work, are worked out on a thread of their own, one index
// after another, while this one lays out the tables' pages and then each index's as soon
// as it is ready: on a second core the two overlap.
void writePages(const QString &sqlitePath, const std::vector<PagedTable> &paged)
{
    struct Job {
        const RowBuffer *rows;
        const std::vector<IndexColumn> *key;
        std::promise<IndexEntries> entries;
    };
    std::vector<Job> jobs;
    for (const PagedTable &t : paged)
        for (const auto &index : t.indexes)
            jobs.push_back({&t.rows, &index.second, {}});
    std::vector<std::future<IndexEntries>> ready;
    for (Job &j : jobs)
        ready.push_back(j.entries.get_future());
    BtreeWriter writer(sqlitePath);
    // Every core takes index jobs while this thread lays out the table pages, so that no
    // large index is left running alone at the end.
    std::atomic<size_t> nextJob = 0;
    auto work = [&jobs, &nextJob] {
        for (size_t k; (k = nextJob++) < jobs.size();) {
            Job &j = jobs[k];
            try {
                j.entries.set_value(prepareIndexEntries(*j.rows, *j.key));
            } catch (...) {
                j.entries.set_exception(std::current_exception());
            }
        }
    };
    // Declared after the jobs: they are joined before the jobs go, even when the writer fails.
    std::vector<std::jthread> workers;
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    for (size_t w = 0; w < std::min(cores, jobs.size()); ++w)
        workers.emplace_back(work);
    for (const PagedTable &t : paged)
        writer.writeTable(t.root, t.rows);
    size_t next = 0;
    for (const PagedTable &t : paged)
        for (const auto &index : t.indexes)
            writer.writeIndex(index.first, ready[next++].get());
    writer.finish();
}

} // namespace

QStringList copyJetTables(QByteArrayView file, const QString &sqlitePath, const SourceKey &key, TableShare share,
                          RowWriting writing, const std::function<void()> &tableRead)
{
    MdbHandle *mdb = openBuffer(file);
    if (!mdb)
        raiseDamaged(QStringLiteral("its pages cannot be read as a Jet database"));
    std::unique_ptr<MdbHandle, void (*)(MdbHandle *)> closer(mdb, mdb_close);
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        raiseDamaged(QStringLiteral("its table of contents cannot be read"));

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
            raiseDamaged(QStringLiteral("two tables share the name \"%1\"").arg(name));
        names.insert(name.toLower());
        TableDef table(mdb_read_table(entry), mdb_free_tabledef);
        if (!table)
            raiseDamaged(QStringLiteral("the definition of table %1 cannot be read").arg(name));
        tables.push_back({name, entry, table->num_rows});
    }
    if (!systemTables && tables.empty())
        raiseDamaged(QStringLiteral("its table of contents lists no tables"));
    size_t largest = 0;
    for (size_t t = 1; t < tables.size(); ++t)
        if (tables[t].rows > tables[largest].rows)
            largest = t;

    const QList<QStringList> hints = hintsFromText(key.indexes);
    std::vector<PagedTable> paged;
    QStringList counts;
    int serial = 0;
    {
        CopyDatabase out(sqlitePath, CopyDatabase::Mode::Create);
        for (size_t t = 0; t < tables.size(); ++t) {
            if ((share == TableShare::Largest && t != largest) || (share == TableShare::Others && t == largest))
                continue;
            const QString &name = tables[t].name;
            TableDef def(mdb_read_table(tables[t].entry), mdb_free_tabledef);
            MdbTableDef *table = def.get();
            if (!table)
                raiseDamaged(QStringLiteral("the definition of table %1 cannot be read").arg(name));
            if (!mdb_read_columns(table))
                raiseDamaged(QStringLiteral("the columns of table %1 cannot be read").arg(name));
            mdb_read_indices(table);
            TableCopy copy{mdb, table, out, name, {}, {}, 0};
            copy.createTable();
            copy.planWith(hints);
            if (writing == RowWriting::Pages)
                // a row takes 4 bytes at least
                paged.push_back(copy.readForPages(serial, size_t(file.size()) / 4, size_t(file.size())));
            else
                copy.insertRowsAndIndexes(serial);
            if (copy.rowsRead != table->num_rows)
                counts << QStringLiteral("table %1 has %2 rows where its definition counts %3")
                              .arg(name)
                              .arg(copy.rowsRead)
                              .arg(table->num_rows);
            if (tableRead)
                tableRead();
        }
        out.exec(QStringLiteral("COMMIT"));
    }
    if (!paged.empty())
        writePages(sqlitePath, paged);

    CopyDatabase out(sqlitePath, CopyDatabase::Mode::Reopen);
    out.exec(QStringLiteral("CREATE TABLE __jet_source (path TEXT, size INTEGER, mtime INTEGER, identity TEXT, "
                            "sample TEXT, hash TEXT, text_order TEXT, indexes TEXT)"));
    Stmt st(out.prepare(QStringLiteral("INSERT INTO __jet_source VALUES (?, ?, ?, ?, ?, ?, ?, ?)")));
    bindText(st.get(), 1, key.path);
    sqlite3_bind_int64(st.get(), 2, key.size);
    sqlite3_bind_int64(st.get(), 3, key.mtimeNs);
    bindText(st.get(), 4, key.identity);
    bindText(st.get(), 5, key.sample);
    bindText(st.get(), 6, key.hash);
    bindText(st.get(), 7, generalOrderFingerprint());
    bindText(st.get(), 8, key.indexes);
    if (sqlite3_step(st.get()) != SQLITE_DONE)
        out.fail(QStringLiteral("while recording the source"));
    // Without statistics SQLite takes every index for equally selective and may walk a
    // make's hundreds of vehicles where a battery code's few fitments would do; a sample
    // of each index is enough to tell them apart, and costs little.
    out.exec(QStringLiteral("PRAGMA analysis_limit=1000; ANALYZE"));
    out.exec(QStringLiteral("PRAGMA user_version=%1; COMMIT").arg(kCopyFormat));
    return counts;
}

} // namespace db::detail
