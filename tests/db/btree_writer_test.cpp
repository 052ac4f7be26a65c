// Pages written straight into an SQLite file, held against the same rows inserted through
// SQLite: the same values and kinds row by row, every index in the same order and found
// by its keys, and SQLite's own integrity check, at several page sizes and over trees of
// one page, of a few and of many levels, with values spilling to overflow pages and the
// page of SQLite's lock byte among them.
#include "db/btree_writer_p.h"
#include "db/db_error.h"
#include "db/index_order_p.h"
#include "db/jet_functions_p.h"
#include "platform/os_faults.h"
#include "platform/os_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numeric>
#include <optional>
#include <random>
#include <sqlite3.h>
#include <string>
#include <tuple>

using db::detail::BtreeWriter;
using db::detail::BtreeWriterSettings;
using db::detail::IndexColumn;
using db::detail::RowBuffer;
using db::detail::rowsInIndexOrder;

namespace {

// Columns: c0 any kind, General order; c1 any kind; c2 REAL; c3 BLOB; c4 TEXT, bytewise.
const char *kTable = "CREATE TABLE t (c0 COLLATE JETGENERAL, c1, c2 REAL, c3 BLOB, c4 TEXT)";
const std::vector<std::vector<IndexColumn>> kIndexes = {{{0, true}},
                                                        {{1, false}},
                                                        {{2, false}},
                                                        {{3, false}},
                                                        {{4, false}},
                                                        {{0, true}, {1, false}},
                                                        {{4, false}, {0, true}}};

class Db {
public:
    explicit Db(const std::string &path)
    {
        EXPECT_EQ(sqlite3_open(path.c_str(), &m_db), SQLITE_OK);
        db::detail::registerJetFunctions(m_db);
    }
    ~Db() { sqlite3_close(m_db); }
    void exec(const std::string &sql)
    {
        ASSERT_EQ(sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sql << ": " << sqlite3_errmsg(m_db);
    }
    sqlite3_stmt *prepare(const std::string &sql)
    {
        sqlite3_stmt *st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(m_db, sql.c_str(), -1, &st, nullptr), SQLITE_OK)
            << sql << ": " << sqlite3_errmsg(m_db);
        return st;
    }
    // Every row of `sql`, its columns joined by '|'.
    std::vector<std::string> rows(const std::string &sql)
    {
        sqlite3_stmt *st = prepare(sql);
        std::vector<std::string> out;
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            std::string line;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const auto *t = sqlite3_column_text(st, c);
                line += (t ? reinterpret_cast<const char *>(t) : "<NULL>") + std::string("|");
            }
            out.push_back(line);
        }
        sqlite3_finalize(st);
        return out;
    }
    uint32_t root(const std::string &name)
    {
        return uint32_t(std::stoul(rows("SELECT rootpage FROM sqlite_schema WHERE name = '" + name + "'").at(0)));
    }

private:
    sqlite3 *m_db = nullptr;
};

std::string indexName(size_t i) { return "ix" + std::to_string(i); }

std::string keyList(const std::vector<IndexColumn> &key)
{
    std::string cols;
    for (const IndexColumn &k : key)
        cols += (cols.empty() ? "c" : ", c") + std::to_string(k.column);
    return cols;
}

void createSchema(Db &db, int pageSize)
{
    db.exec("PRAGMA page_size=" + std::to_string(pageSize) + "; PRAGMA journal_mode=OFF");
    db.exec(kTable);
    for (size_t i = 0; i < kIndexes.size(); ++i)
        db.exec("CREATE INDEX " + indexName(i) + " ON t (" + keyList(kIndexes[i]) + ")");
}

// The rows once inserted by SQLite and once written by BtreeWriter, side by side.
struct Pair {
    QTemporaryDir dir;
    std::string inserted = dir.filePath(QStringLiteral("inserted.sqlite")).toStdString();
    std::string written = dir.filePath(QStringLiteral("written.sqlite")).toStdString();

    Pair(const RowBuffer &rows, int pageSize, const BtreeWriterSettings &settings = {})
    {
        {
            Db db(inserted);
            createSchema(db, pageSize);
            sqlite3_stmt *st = db.prepare("INSERT INTO t VALUES (?, ?, ?, ?, ?)");
            for (size_t r = 0; r < rows.rows(); ++r) {
                rows.bindRow(st, r);
                EXPECT_EQ(sqlite3_step(st), SQLITE_DONE);
                sqlite3_reset(st);
            }
            sqlite3_finalize(st);
        }
        uint32_t table = 0;
        std::vector<uint32_t> roots;
        {
            Db db(written);
            createSchema(db, pageSize);
            table = db.root("t");
            for (size_t i = 0; i < kIndexes.size(); ++i)
                roots.push_back(db.root(indexName(i)));
        }
        BtreeWriter writer(QString::fromStdString(written), settings);
        writer.writeTable(table, rows);
        for (size_t i = 0; i < kIndexes.size(); ++i)
            writer.writeIndex(roots[i], rows, kIndexes[i]);
        writer.finish();
    }
};

void expectSame(const RowBuffer &rows, int pageSize, const BtreeWriterSettings &settings = {})
{
    Pair pair(rows, pageSize, settings);
    Db inserted(pair.inserted), written(pair.written);
    EXPECT_EQ(written.rows("PRAGMA integrity_check"), std::vector<std::string>{"ok|"});
    const std::string all = "SELECT rowid, quote(c0), quote(c1), quote(c2), quote(c3), quote(c4) FROM t";
    EXPECT_EQ(written.rows(all + " ORDER BY rowid"), inserted.rows(all + " ORDER BY rowid"));
    for (size_t i = 0; i < kIndexes.size(); ++i) {
        SCOPED_TRACE(keyList(kIndexes[i]));
        // Walking the index gives its entries in its order, ties by rowid.
        const std::string walk = "SELECT rowid FROM t INDEXED BY " + indexName(i) + " ORDER BY " + keyList(kIndexes[i]);
        const auto order = written.rows(walk);
        EXPECT_EQ(order, inserted.rows(walk));
        ASSERT_EQ(order.size(), rows.rows());
        // And the order worked out in memory is the same one.
        const auto expected = rowsInIndexOrder(rows, kIndexes[i]);
        for (size_t k = 0; k < order.size(); ++k)
            ASSERT_EQ(order[k], std::to_string(expected[k] + 1) + "|") << "entry " << k;
    }
    // Every row's leading key found again by a search down the index's interior pages.
    const std::string byKey =
        "SELECT count(*) FROM t INDEXED BY ix0 WHERE c0 IS (SELECT c0 FROM t AS s WHERE s.rowid = ";
    const size_t step = std::max<size_t>(1, rows.rows() / 150);
    for (size_t r = 1; r <= rows.rows(); r += step)
        EXPECT_EQ(written.rows(byKey + std::to_string(r) + ")"), inserted.rows(byKey + std::to_string(r) + ")")) << r;
}

// Random rows drawn from values chosen for their edges: every width of whole number,
// reals that are whole, negative zero, infinite or not a number, texts equal under the
// General order but not byte by byte, long texts and blobs that overflow their pages.
RowBuffer randomRows(size_t n, unsigned seed, bool longKeys)
{
    std::mt19937 rng(seed);
    auto pick = [&](size_t k) { return size_t(rng() % k); };
    const int64_t ints[] = {0,
                            1,
                            -1,
                            127,
                            128,
                            -128,
                            -129,
                            32767,
                            32768,
                            -32769,
                            8388607,
                            8388608,
                            2147483647,
                            2147483648LL,
                            -2147483649LL,
                            140737488355327LL,
                            140737488355328LL,
                            std::numeric_limits<int64_t>::min(),
                            std::numeric_limits<int64_t>::max()};
    const double reals[] = {
        0.0, -0.0, 1.0, 2.5, -3.25, 1e300, -1e-300, 8388608.0, std::numeric_limits<double>::infinity(), std::nan("")};
    const char *words[] = {"ks044", "KS044", "Ks044", "ka", "kä", "KÀ", "", "z", "Zeta", "éte", "ete", "b\xc3\xa8"};
    auto text = [&] {
        std::string s = words[pick(std::size(words))];
        if (longKeys || pick(40) == 0)
            s += std::string(longKeys ? 950 + pick(200) : 1000 + pick(6000), char('a' + pick(3)));
        return s;
    };
    RowBuffer rows(5);
    for (size_t r = 0; r < n; ++r) {
        rows.beginRow();
        switch (pick(6)) { // c0: mostly texts, now and then another kind
        case 0: break;
        case 1: rows.setInt(0, ints[pick(std::size(ints))]); break;
        case 2: rows.setReal(0, reals[pick(std::size(reals))]); break;
        default: rows.setText(0, text());
        }
        switch (pick(4)) {
        case 0: break;
        case 1: rows.setReal(1, reals[pick(std::size(reals))]); break;
        default: rows.setInt(1, ints[pick(std::size(ints))]);
        }
        if (pick(5))
            rows.setReal(2, pick(2) ? reals[pick(std::size(reals))] : double(int(rng() % 2000) - 1000) / 8);
        if (pick(4)) {
            std::string blob(pick(30) == 0 ? 5000 + pick(20000) : pick(12), '\0');
            for (char &c : blob)
                c = char(rng());
            rows.setBlob(3, blob.data(), blob.size());
        }
        if (pick(5))
            rows.setText(4, text());
    }
    return rows;
}

TEST(BtreeWriterTest, PagesAnswerAsSqliteInsertsAtEachPageSize)
{
    for (int pageSize : {1024, 4096, 65536}) {
        SCOPED_TRACE(pageSize);
        expectSame(randomRows(2500, 7u + unsigned(pageSize), false), pageSize);
    }
}

TEST(BtreeWriterTest, LongKeysMakeDeepIndexesAndEveryTailOfALevel)
{
    // Keys of about a thousand bytes put three or four entries on a page: each count of
    // rows ends a level's last page differently, including with nothing left for it.
    for (size_t n = 0; n <= 40; ++n) {
        SCOPED_TRACE(n);
        expectSame(randomRows(n, unsigned(n), true), 4096);
    }
    expectSame(randomRows(1500, 99u, true), 1024);
}

// A failure of the system under the writer (the file that cannot be opened, read or
// written) ends the copy with the system's reason, named with the file.
TEST(BtreeWriterTest, ASystemFailureEndsTheCopyWithItsReason)
{
    namespace os = platform::os;
    const struct {
        const char *name;
        os::Op op;
        int error;
        const char *what;
    } cases[] = {
        {"open refused", os::Op::Open, EACCES, "cannot open"},
        {"header unreadable", os::Op::Read, EIO, "cannot read"},
        {"disk full", os::Op::Write, ENOSPC, "cannot write"},
    };
    const RowBuffer rows = randomRows(300, 5u, false);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("written.sqlite"));
        uint32_t table = 0;
        {
            Db db(path.toStdString());
            createSchema(db, 4096);
            table = db.root("t");
        }
        os::FaultInjection::failNext(c.op, c.error, 1, 0, QStringLiteral("written.sqlite"));
        try {
            BtreeWriter writer(path);
            writer.writeTable(table, rows);
            writer.finish();
            ADD_FAILURE() << "the copy was written";
        } catch (const db::DbError &e) {
            EXPECT_EQ(e.code(), db::DbErrc::Format);
            const std::string text = e.what();
            EXPECT_NE(text.find(c.what), std::string::npos) << text;
            EXPECT_NE(text.find(path.toStdString()), std::string::npos) << text;
            EXPECT_NE(text.find(os::errorText(c.error).toStdString()), std::string::npos) << text;
        }
        os::FaultInjection::clear();
    }
}

// SQLite's pending byte moved for the length of a scope, so that the page holding it falls
// within a small file; SQLite asks that no connection be open while it moves.
class MovedPendingByte {
public:
    explicit MovedPendingByte(unsigned byte)
        : m_byte(byte), m_old(unsigned(sqlite3_test_control(SQLITE_TESTCTRL_PENDING_BYTE, byte)))
    {}
    ~MovedPendingByte() { sqlite3_test_control(SQLITE_TESTCTRL_PENDING_BYTE, m_old); }
    MovedPendingByte(const MovedPendingByte &) = delete;
    MovedPendingByte &operator=(const MovedPendingByte &) = delete;
    // Whether this SQLite took it (one built without its test interface does not); 0 asks
    // without changing it.
    bool moved() const { return unsigned(sqlite3_test_control(SQLITE_TESTCTRL_PENDING_BYTE, 0u)) == m_byte; }

private:
    unsigned m_byte, m_old;
};

// The page holding the byte SQLite locks belongs to no b-tree: the writer passes over it,
// and one that puts a page there is caught by SQLite's check. SQLite's own is at 1 GiB,
// so it is moved to 64 KiB here, for SQLite and the writer alike.
TEST(BtreeWriterTest, PassesOverThePageOfTheByteSqliteLocks)
{
    constexpr unsigned kLockByte = 0x10000;
    const MovedPendingByte pending(kLockByte);
    if (!pending.moved())
        GTEST_SKIP() << "this SQLite cannot move its pending byte";
    const RowBuffer rows = randomRows(800, 11u, false);
    for (int pageSize : {1024, 4096}) {
        SCOPED_TRACE(pageSize);
        expectSame(rows, pageSize, {kLockByte});
        // The same rows with the writer's lock byte left at 1 GiB: a page of a b-tree
        // where SQLite locks, which also shows that the rows reach that page.
        Pair unaware(rows, pageSize);
        EXPECT_NE(Db(unaware.written).rows("PRAGMA integrity_check"), std::vector<std::string>{"ok|"});
    }
}

TEST(BtreeWriterTest, RefusesAFileThatIsNotAnSqliteDatabase)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.sqlite"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    EXPECT_THROW(BtreeWriter{path}, db::DbError);
    EXPECT_THROW(BtreeWriter{dir.filePath(QStringLiteral("missing.sqlite"))}, db::DbError);
}

// A database whose header asks for a layout the writer does not lay out (pointer maps
// under auto-vacuum, UTF-16 texts, an older schema format) is refused by name, not filled
// with pages SQLite would misread.
TEST(BtreeWriterTest, RefusesADatabaseWhoseHeaderAsksForAnotherLayout)
{
    const struct {
        const char *name;
        const char *setUp; // run before the table is created
        int patchOffset;   // a header byte set afterwards, or -1
        const char *message;
    } cases[] = {
        {"auto-vacuum", "PRAGMA auto_vacuum=FULL", -1, "auto-vacuum"},
        {"incremental vacuum", "PRAGMA auto_vacuum=INCREMENTAL", -1, "auto-vacuum"},
        {"UTF-16 texts", "PRAGMA encoding='UTF-16le'", -1, "text encoding 2"},
        {"schema format 1", "", 47, "schema format 1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.sqlite"));
        {
            Db db(path.toStdString());
            if (*c.setUp)
                db.exec(c.setUp);
            db.exec(kTable);
        }
        if (c.patchOffset >= 0) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.seek(c.patchOffset);
            f.write("\x01", 1);
        }
        try {
            BtreeWriter writer(path);
            ADD_FAILURE() << "the writer took the file";
        } catch (const db::DbError &e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

// The order alone, on small hand-made rows of (text, whole number, real).
struct Row {
    const char *text;
    std::optional<int64_t> number;
    double real;
};

RowBuffer bufferOf(const std::vector<Row> &rows)
{
    RowBuffer b(3);
    for (const Row &r : rows) {
        b.beginRow();
        if (r.text)
            b.setText(0, r.text);
        if (r.number)
            b.setInt(1, *r.number);
        b.setReal(2, r.real);
    }
    return b;
}

TEST(IndexOrderTest, TextsByTheirOrderNullFirstEqualKeysKeepTheirOrder)
{
    // "ks044", "KS044" and "Ks044" are one key under the General order: their rows stay
    // in the order they came. Byte by byte, upper case comes first.
    const RowBuffer b = bufferOf({{"ks060", 1, 0},
                                  {"ks044", 2, 0},
                                  {nullptr, 3, 0},
                                  {"KS044", 4, 0},
                                  {"èa", 5, 0},
                                  {"Ks044", 6, 0},
                                  {"", 7, 0},
                                  {"eb", 8, 0}});
    EXPECT_EQ(rowsInIndexOrder(b, {{0, true}}), (std::vector<uint32_t>{2, 6, 4, 7, 1, 3, 5, 0}));
    EXPECT_EQ(rowsInIndexOrder(b, {{0, false}}), (std::vector<uint32_t>{2, 6, 3, 5, 7, 1, 0, 4}));
}

TEST(IndexOrderTest, LaterKeyColumnsOrderRowsEqualOnTheFirst)
{
    const RowBuffer b = bufferOf({{"b", 2, 0}, {"a", 9, 0}, {"B", std::nullopt, 0}, {"b", -1, 0}, {"A", 9, 0}});
    EXPECT_EQ(rowsInIndexOrder(b, {{0, true}, {1, false}}), (std::vector<uint32_t>{1, 4, 2, 3, 0}));
    EXPECT_EQ(rowsInIndexOrder(b, {{1, false}}), (std::vector<uint32_t>{2, 3, 0, 1, 4}));
    EXPECT_TRUE(rowsInIndexOrder(RowBuffer(3), {{0, true}}).empty());
}

TEST(IndexOrderTest, KindsInSqlitesOrderAndNumbersByValue)
{
    // Null (and a real that is not a number) first, then numbers whole or real by value,
    // then texts, then blobs.
    RowBuffer b(1);
    b.beginRow();
    b.setBlob(0, "a", 1); // 0
    b.beginRow();
    b.setText(0, "a"); // 1
    b.beginRow();
    b.setReal(0, 2.5); // 2
    b.beginRow();
    b.setInt(0, 3); // 3
    b.beginRow();
    b.setReal(0, std::nan("")); // 4
    b.beginRow();
    b.setInt(0, std::numeric_limits<int64_t>::max()); // 5
    b.beginRow();
    b.setReal(0, -std::numeric_limits<double>::infinity()); // 6
    b.beginRow();
    b.setInt(0, 2); // 7
    b.beginRow();
    b.setReal(0, 3.0); // 8, equal to 3
    b.beginRow();      // 9
    EXPECT_EQ(rowsInIndexOrder(b, {{0, true}}), (std::vector<uint32_t>{4, 9, 6, 7, 2, 3, 8, 5, 1, 0}));
}

TEST(IndexOrderTest, ManyDistinctKeysInStableOrder)
{
    // Tens of thousands of distinct numbers too spread to be marked by value, and
    // thousands of distinct texts, some empty: more than the texts' lookup table holds at
    // first. The reference is a stable sort on the same keys.
    std::mt19937 random(7);
    RowBuffer b(2);
    std::vector<std::pair<int64_t, std::string>> keys;
    for (int r = 0; r < 60000; ++r) {
        const int64_t number = int64_t(random() % 40000) * 977 - 5000000; // too spread to mark by value
        std::string text = random() % 50 == 0 ? std::string() : "c" + std::to_string(random() % 7000);
        b.beginRow();
        b.setInt(0, number);
        b.setText(1, text);
        keys.emplace_back(number, std::move(text));
    }
    std::vector<uint32_t> expected(keys.size());
    std::iota(expected.begin(), expected.end(), 0u);
    std::stable_sort(expected.begin(), expected.end(), [&](uint32_t x, uint32_t y) {
        return std::tie(keys[x].second, keys[x].first) < std::tie(keys[y].second, keys[y].first);
    });
    EXPECT_EQ(rowsInIndexOrder(b, {{1, false}, {0, false}}), expected);
    std::iota(expected.begin(), expected.end(), 0u);
    std::stable_sort(expected.begin(), expected.end(),
                     [&](uint32_t x, uint32_t y) { return keys[x].first < keys[y].first; });
    EXPECT_EQ(rowsInIndexOrder(b, {{0, false}}), expected);
}

} // namespace
