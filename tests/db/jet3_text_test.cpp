// Text of a Jet 3 (Access 97) file through the database layer, every byte kept: the five
// bytes Windows-1252 leaves unassigned among them, in text and in memos stored in the
// row, on a long-value page and chained over several rows. No tool of ours writes Jet 3,
// so the file is laid out here, page by page, after libmdb's description of the format:
// 2048-byte pages, one-byte row offsets, 18-byte column descriptors.
#include "db/connection.h"
#include "db/query.h"
#include "tests/common/test_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t kPage = 2048;

void put16(std::uint8_t *p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}

void put32(std::uint8_t *p, std::uint32_t v)
{
    put16(p, v);
    put16(p + 2, v >> 16);
}

// Page 0 without a password: the signature, version 0 (Jet 3), code page 1252 and sort
// order "General", with bytes 0x18..0x97 XORed with the RC4 key stream of C7 DA 39 6B as
// the engine stores them.
void writeHeader(std::uint8_t *p)
{
    p[1] = 0x01;
    std::memcpy(p + 0x04, "Standard Jet DB", 15);
    p[0x14] = 0x00;
    const std::uint8_t constant[24] = {0, 1, 0, 0, 1, 1, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0};
    std::memcpy(p + 0x18, constant, sizeof constant);
    put16(p + 0x3C, 1252);
    put32(p + 0x6A, 0x21AA);
    put16(p + 0x6E, 0x0409);
    std::array<std::uint8_t, 256> s;
    for (int i = 0; i < 256; ++i)
        s[std::size_t(i)] = std::uint8_t(i);
    const std::uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    for (std::size_t i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (std::size_t n = 0, i = 0, j = 0; n < 128; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        p[0x18 + n] ^= s[(s[i] + s[j]) & 0xFF];
    }
    put32(p + 0x98, 0x0654);
    std::memcpy(p + 0x9C, "4.0", 4);
}

struct ColumnDef {
    std::uint8_t type; // Jet type code
    const char *name;
    std::uint16_t length; // bytes: fixed size, text size, 0 for memo and OLE
};

struct Jet3File {
    std::vector<std::uint8_t> bytes;

    std::uint8_t *page(std::uint32_t n)
    {
        if (bytes.size() < (n + 1) * kPage)
            bytes.resize((n + 1) * kPage, 0);
        return bytes.data() + n * kPage;
    }

    // A data page owned by `owner` (a definition page, or "LVAL") holding `rows` in order.
    void dataPage(std::uint32_t n, std::uint32_t owner, const std::vector<std::string> &rows)
    {
        std::uint8_t *p = page(n);
        p[0] = p[1] = 0x01;
        put32(p + 4, owner);
        put16(p + 8, std::uint32_t(rows.size()));
        std::size_t end = kPage;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            end -= rows[i].size();
            std::memcpy(p + end, rows[i].data(), rows[i].size());
            put16(p + 10 + 2 * i, std::uint32_t(end));
        }
        put16(p + 2, std::uint32_t(end - 10 - 2 * rows.size()));
    }

    // A table definition on page `n` whose owned pages are listed by the map at row
    // pointer `map` (its free-space map is the next row).
    void definition(std::uint32_t n, bool system, std::uint32_t rows, std::uint32_t map,
                    const std::vector<ColumnDef> &columns)
    {
        std::vector<std::uint8_t> d(43, 0);
        d[0] = 0x02;
        d[1] = 0x01;
        d[2] = 'V';
        d[3] = 'C';
        put32(d.data() + 12, rows);
        d[20] = system ? 0x53 : 0x4E;
        std::uint16_t fixed = 0, var = 0;
        std::vector<std::uint8_t> descriptors, names;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const ColumnDef &col = columns[c];
            const bool variable = col.type == 0x0A || col.type == 0x0B || col.type == 0x0C;
            std::uint8_t e[18] = {};
            e[0] = col.type;
            put16(e + 1, std::uint32_t(c));
            put16(e + 3, variable ? var : 0);
            put16(e + 5, std::uint32_t(c));
            put16(e + 7, 0x0409);
            put16(e + 9, col.type == 0x0A || col.type == 0x0C ? 1252 : 0);
            e[13] = variable ? 0x02 : 0x03;
            put16(e + 14, variable ? 0 : fixed);
            put16(e + 16, col.length);
            descriptors.insert(descriptors.end(), e, e + 18);
            names.push_back(std::uint8_t(std::strlen(col.name)));
            names.insert(names.end(), col.name, col.name + std::strlen(col.name));
            if (variable)
                ++var;
            else
                fixed = std::uint16_t(fixed + col.length);
        }
        put16(d.data() + 21, std::uint32_t(columns.size()));
        put16(d.data() + 23, var);
        put16(d.data() + 25, std::uint32_t(columns.size()));
        put32(d.data() + 35, map);
        put32(d.data() + 39, map + 1);
        d.insert(d.end(), descriptors.begin(), descriptors.end());
        d.insert(d.end(), names.begin(), names.end());
        d.push_back(0xFF);
        d.push_back(0xFF);
        put32(d.data() + 8, std::uint32_t(d.size()));
        std::memcpy(page(n), d.data(), d.size());
    }
};

// One row in the Jet 3 layout: column count, fixed area, variable values, end of data,
// variable offsets (last column first), variable count, null mask. Every value here is
// short enough that no offset passes 255, so the row has no jump table.
std::string row(const std::vector<ColumnDef> &columns, const std::vector<std::optional<std::string>> &values)
{
    std::string fixed, var, offsets;
    std::uint8_t mask = 0;
    std::vector<std::uint8_t> starts;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const bool variable = columns[c].type == 0x0A || columns[c].type == 0x0B || columns[c].type == 0x0C;
        if (values[c])
            mask = std::uint8_t(mask | (1 << c));
        if (!variable)
            fixed += values[c] ? *values[c] : std::string(columns[c].length, '\0');
    }
    const std::size_t varStart = 1 + fixed.size();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const bool variable = columns[c].type == 0x0A || columns[c].type == 0x0B || columns[c].type == 0x0C;
        if (!variable)
            continue;
        starts.push_back(std::uint8_t(varStart + var.size()));
        if (values[c])
            var += *values[c];
    }
    std::string out(1, char(columns.size()));
    out += fixed + var;
    out += char(varStart + var.size()); // end of data
    for (auto s = starts.rbegin(); s != starts.rend(); ++s)
        out += char(*s);
    out += char(starts.size());
    out += char(mask);
    EXPECT_LT(out.size(), 256u);
    return out;
}

std::string le32(std::uint32_t v)
{
    std::string s(4, '\0');
    put32(reinterpret_cast<std::uint8_t *>(s.data()), v);
    return s;
}

// The 12-byte header of a memo: its length and kind, and where its bytes live.
std::string memoHeader(std::size_t length, std::uint32_t kind, std::uint32_t where)
{
    return le32(std::uint32_t(length) | kind) + le32(where) + le32(0);
}

TEST(Jet3Text, EveryByteOfTextAndMemosIsKept)
{
    const std::string unassigned = "\x81\x8D\x8F\x90\x9D";
    const std::string inlineMemo = "in" + unassigned + "row";
    const std::string pageMemo = std::string(90, 'p') + unassigned;
    const std::string chainFirst = std::string(40, 'c') + "\x81", chainSecond = "\x9D" + std::string(30, 'd');

    Jet3File f;
    writeHeader(f.page(0));
    // Page 1: the usage maps. MSysObjects' rows are on page 4, the table's on page 5.
    auto map = [](std::uint32_t page) {
        std::string m(69, '\0');
        if (page)
            m[5] = char(1 << page);
        return m;
    };
    f.dataPage(1, 0, {map(4), map(0), map(5), map(0)});
    const std::vector<ColumnDef> catalogue = {
        {0x04, "Id", 4}, {0x0A, "Name", 64}, {0x03, "Type", 2}, {0x04, "Flags", 4}, {0x0B, "LvProp", 0}};
    f.definition(2, true, 1, 1 << 8 | 0, catalogue);
    const std::vector<ColumnDef> table = {{0x04, "id", 4}, {0x0A, "t", 50}, {0x0C, "m", 0}};
    f.definition(3, false, 4, 1 << 8 | 2, table);
    f.dataPage(4, 2, {row(catalogue, {le32(3), "Parts", std::string("\x01\x00", 2), le32(0), std::nullopt})});
    f.dataPage(
        5, 3,
        {row(table, {le32(1), "A" + unassigned + "Z", memoHeader(inlineMemo.size(), 0x80000000u, 0) + inlineMemo}),
         row(table, {le32(2), "caf\xE9 \x80", memoHeader(pageMemo.size(), 0x40000000u, 6 << 8 | 0)}),
         row(table, {le32(3), std::nullopt, memoHeader(chainFirst.size() + chainSecond.size(), 0, 6 << 8 | 1)}),
         row(table, {le32(4), "", std::nullopt})});
    f.dataPage(6, 'L' | 'V' << 8 | 'A' << 16 | std::uint32_t('L') << 24,
               {pageMemo, le32(6 << 8 | 2) + chainFirst, le32(0) + chainSecond});

    QTemporaryDir dir;
    const QString path = dir.path() + "/jet3.mdb";
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(reinterpret_cast<const char *>(f.bytes.data()), qint64(f.bytes.size()));
    out.close();

    db::Connection c;
    c.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path
                          + ";Jet OLEDB:System database=" + testsupport::fixture("catalogue-small/system.mdw"));
    c.Open();
    db::Query q(c);
    q.AddSQL("SELECT id, t, m FROM Parts ORDER BY id");
    q.Open();
    const QString controls = QString(QChar(0x81)) + QChar(0x8D) + QChar(0x8F) + QChar(0x90) + QChar(0x9D);
    const std::vector<QStringList> want = {
        {"1", "A" + controls + "Z", "in" + controls + "row"},
        {"2", QString::fromUtf8("café €"), QString(90, 'p') + controls},
        {"3", "<NULL>", QString(40, 'c') + QChar(0x81) + QChar(0x9D) + QString(30, 'd')},
        {"4", "", "<NULL>"},
    };
    std::vector<QStringList> got;
    for (; !q.Eof(); q.Next())
        got.push_back({q.AsString(0), q.IsNull(1) ? "<NULL>" : q.AsString(1), q.IsNull(2) ? "<NULL>" : q.AsString(2)});
    EXPECT_EQ(got, want);
}

} // namespace
