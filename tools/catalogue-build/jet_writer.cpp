// Tables, rows, long values, usage maps and the system catalogue of the Jet 4 writer.
//
// Page plan: 0 header, 1 global usage map, 2 the MSysObjects definition (readers look for
// it there), then for each table its definition page, followed by a usage-map page when
// the previous one is full (57 map rows each). Data pages and long-value (LVAL) pages
// are appended as rows arrive, so a table's pages need not be contiguous; its owned-pages
// map lists exactly its data pages, each long-value column's map its LVAL pages. Bitmap
// pages of reference maps and the catalogue's own rows come last, at save time.
#include "tools/catalogue-build/jet_format_p.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace jet {
using namespace detail;

namespace {

constexpr std::uint32_t kLvalOwner = 'L' | ('V' << 8) | ('A' << 16) | (std::uint32_t('L') << 24);
// Long values up to this many bytes stay inside the row, as other writers keep them.
constexpr std::size_t kInlineLongValue = 64;
// One LVAL row takes a whole value up to this length; longer values are chained in pieces.
constexpr std::size_t kSingleLongValue = 4076;
constexpr std::size_t kLongValuePiece = 4072;

constexpr std::int32_t kTablesContainer = 0x0F000001;
constexpr std::int32_t kDatabasesContainer = 0x0F000002;
constexpr std::int32_t kRelationshipsContainer = 0x0F000003;
constexpr std::int32_t kContainerParent = 0x0F000000;
constexpr std::int32_t kDatabaseObject = 0x10000000;
constexpr std::int32_t kSystemFlag = std::int32_t(0x80000000u);
const std::string kAdminSid = "\xA6\x33";

struct ColumnLayout {
    Column def;
    std::uint16_t number = 0;
    std::uint16_t varIndex = 0;
    std::uint16_t fixedOffset = 0;
    std::uint16_t length = 0; // as the descriptor declares it
    bool fixed = false;
    bool longValue = false;
    bool compressible = false;
    int ownedMap = -1; // long-value columns: their LVAL pages
    int freeMap = -1;
    std::uint32_t lvalPage = 0; // page now receiving this column's long values
};

struct Table {
    std::u16string name;
    bool system = false;
    std::vector<ColumnLayout> columns;
    std::uint16_t fixedSize = 0;
    std::uint16_t varCount = 0;
    std::uint32_t tdefPage = 0;
    int ownedMap = -1;
    int freeMap = -1;
    std::uint32_t dataPage = 0;
    std::uint32_t rows = 0;
};

struct UsageMap {
    std::uint32_t pointer = 0;
    std::vector<std::uint32_t> pages; // ascending: pages are only ever appended
};

std::string narrow(const std::u16string &s)
{
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            // Surrogate halves are passed through one by one; this is only for messages.
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

char16_t foldCase(char16_t c)
{
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return char16_t(c + 0x20);
    return c;
}

bool sameName(const std::u16string &a, const std::u16string &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return foldCase(x) == foldCase(y);
           });
}

void checkName(const std::u16string &name, const char *what)
{
    if (name.empty() || name.size() > 64)
        throw JetError(std::string(what) + " name \"" + narrow(name) + "\" must have 1 to 64 characters");
    for (char16_t c : name)
        if (c < 0x20 || c == u'.' || c == u'!' || c == u'`' || c == u'[' || c == u']')
            throw JetError(std::string(what) + " name \"" + narrow(name)
                           + "\" may not hold control characters or any of . ! ` [ ]");
}

bool isLongValue(ColumnType t) { return t == ColumnType::Memo || t == ColumnType::Ole; }
bool isVariable(ColumnType t) { return t == ColumnType::Text || t == ColumnType::Binary || isLongValue(t); }

std::uint16_t fixedLength(ColumnType t)
{
    switch (t) {
    case ColumnType::Bool: return 0;
    case ColumnType::Byte: return 1;
    case ColumnType::Int: return 2;
    case ColumnType::Long: return 4;
    case ColumnType::Single: return 4;
    case ColumnType::Guid: return 16;
    case ColumnType::Numeric: return 17;
    default: return 8; // Double, DateTime
    }
}

const char *typeName(ColumnType t)
{
    switch (t) {
    case ColumnType::Bool: return "bool";
    case ColumnType::Byte: return "byte";
    case ColumnType::Int: return "int";
    case ColumnType::Long: return "long";
    case ColumnType::Single: return "single";
    case ColumnType::Double: return "double";
    case ColumnType::DateTime: return "datetime";
    case ColumnType::Guid: return "guid";
    case ColumnType::Numeric: return "decimal";
    case ColumnType::Binary: return "binary";
    case ColumnType::Text: return "text";
    case ColumnType::Ole: return "ole";
    case ColumnType::Memo: return "memo";
    }
    return "?";
}

} // namespace

struct Writer::State {
    DatabaseOptions options;
    std::vector<std::uint8_t> file;
    std::vector<Table> tables; // MSysObjects first, then the other system tables
    std::vector<UsageMap> maps;
    std::uint32_t mapPage = 0;
    std::uint32_t mapRows = 0;
    bool saved = false;

    std::uint32_t pageCount() const { return std::uint32_t(file.size() / kPageSize); }
    std::uint8_t *page(std::uint32_t n) { return file.data() + std::size_t(n) * kPageSize; }

    std::uint32_t newPage(std::uint8_t type, std::uint32_t owner)
    {
        const std::uint32_t n = pageCount();
        file.resize(file.size() + kPageSize, 0);
        std::uint8_t *p = page(n);
        p[0] = type;
        p[1] = 0x01;
        if (type == kPageData) {
            put16(p + 2, kEmptyPageFree);
            put32(p + 4, owner);
        }
        return n;
    }

    int reserveMap()
    {
        constexpr std::uint32_t perPage = kEmptyPageFree / (kMapRowLength + 2);
        if (mapPage == 0 || mapRows == perPage) {
            mapPage = newPage(kPageData, 0);
            mapRows = 0;
        }
        std::uint8_t *p = page(mapPage);
        const std::uint32_t row = mapRows++;
        const std::uint32_t start = std::uint32_t(kPageSize - kMapRowLength * mapRows);
        put16(p + 14 + 2 * row, start);
        put16(p + 12, mapRows);
        put16(p + 2, start - (14 + 2 * mapRows));
        maps.push_back({rowPointer(mapPage, row), {}});
        return int(maps.size() - 1);
    }

    bool fits(std::uint32_t pageNo, std::size_t length)
    {
        const std::uint8_t *p = page(pageNo);
        return get16(p + 12) < kMaxRowsPerPage && get16(p + 2) >= length + 2;
    }

    // Puts a row at the low end of the rows of `current` (a fresh page when it is full)
    // and returns its row pointer.
    std::uint32_t placeRow(std::uint32_t &current, std::uint32_t owner, const std::string &row, int map)
    {
        if (current == 0 || !fits(current, row.size())) {
            current = newPage(kPageData, owner);
            maps[map].pages.push_back(current);
        }
        std::uint8_t *p = page(current);
        const std::uint32_t n = get16(p + 12);
        const std::uint32_t lowest = n == 0 ? kPageSize : (get16(p + 14 + 2 * (n - 1)) & 0x1FFF);
        const std::uint32_t start = lowest - std::uint32_t(row.size());
        std::memcpy(p + start, row.data(), row.size());
        put16(p + 14 + 2 * n, start);
        put16(p + 12, n + 1);
        put16(p + 2, start - (14 + 2 * (n + 1)));
        return rowPointer(current, n);
    }

    int declare(const std::u16string &name, const std::vector<Column> &columns, bool system);
    std::string fieldBytes(const ColumnLayout &c, const Value &v);
    std::string storeLongValue(ColumnLayout &c, const std::string &bytes);
    void insert(int table, const std::vector<Value> &values);
    std::vector<std::uint8_t> definition(const Table &t);
    std::string mapRow(const UsageMap &map);
    void writeGlobalMap();
    void writeCatalogue();
};

int Writer::State::declare(const std::u16string &name, const std::vector<Column> &columns, bool system)
{
    checkName(name, "table");
    for (const Table &t : tables)
        if (sameName(t.name, name))
            throw JetError("there are two tables named \"" + narrow(name) + "\"");
    if (columns.empty() || columns.size() > 255)
        throw JetError("table \"" + narrow(name) + "\" must have 1 to 255 columns");
    Table t;
    t.name = name;
    t.system = system;
    for (const Column &def : columns) {
        checkName(def.name, "column");
        for (const ColumnLayout &c : t.columns)
            if (sameName(c.def.name, def.name))
                throw JetError("table \"" + narrow(name) + "\" has two columns named \"" + narrow(def.name) + "\"");
        ColumnLayout c;
        c.def = def;
        c.number = std::uint16_t(t.columns.size());
        c.longValue = isLongValue(def.type);
        c.compressible = !system && (def.type == ColumnType::Text || def.type == ColumnType::Memo);
        if (isVariable(def.type)) {
            c.varIndex = t.varCount++;
            if (def.type == ColumnType::Text) {
                if (def.size < 1 || def.size > 255)
                    throw JetError("text column \"" + narrow(def.name) + "\" must hold 1 to 255 characters");
                c.length = std::uint16_t(2 * def.size);
            } else if (def.type == ColumnType::Binary) {
                if (def.size < 1 || def.size > 510)
                    throw JetError("binary column \"" + narrow(def.name) + "\" must hold 1 to 510 bytes");
                c.length = std::uint16_t(def.size);
            }
        } else {
            if (def.type == ColumnType::Numeric
                && (def.precision < 1 || def.precision > 28 || def.scale < 0 || def.scale > def.precision))
                throw JetError("decimal column \"" + narrow(def.name)
                               + "\" needs a precision of 1 to 28 and a scale of 0 to its precision");
            c.fixed = true;
            c.length = def.type == ColumnType::Bool ? 1 : fixedLength(def.type);
            if (def.type != ColumnType::Bool) {
                c.fixedOffset = t.fixedSize;
                t.fixedSize = std::uint16_t(t.fixedSize + c.length);
            }
        }
        t.columns.push_back(c);
    }
    t.tdefPage = newPage(kPageTdef, 0);
    t.ownedMap = reserveMap();
    t.freeMap = reserveMap();
    for (ColumnLayout &c : t.columns)
        if (c.longValue) {
            c.ownedMap = reserveMap();
            c.freeMap = reserveMap();
        }
    if (definition(t).size() > kPageSize)
        throw JetError("table \"" + narrow(name) + "\" has too many columns to be defined on one page");
    tables.push_back(std::move(t));
    return int(tables.size() - 1);
}

// The bytes a value takes in the row (before long values are moved out of it).
std::string Writer::State::fieldBytes(const ColumnLayout &c, const Value &v)
{
    const std::string column = "column " + narrow(c.def.name) + ": ";
    const ColumnType type = c.def.type;
    std::string out;
    auto wrongKind = [&] { return JetError(column + "a " + typeName(type) + " column cannot take this value"); };
    switch (type) {
    case ColumnType::Bool:
    case ColumnType::Byte:
    case ColumnType::Int:
    case ColumnType::Long: {
        if (v.kind != Value::Kind::Integer)
            throw wrongKind();
        const std::int64_t lo = type == ColumnType::Byte ? 0 : type == ColumnType::Int ? -32768 : INT32_MIN;
        const std::int64_t hi = type == ColumnType::Byte ? 255 : type == ColumnType::Int ? 32767 : INT32_MAX;
        if (type != ColumnType::Bool && (v.integer < lo || v.integer > hi))
            throw JetError(column + std::to_string(v.integer) + " is out of range for a " + typeName(type) + " column ("
                           + std::to_string(lo) + " to " + std::to_string(hi) + ")");
        std::uint8_t b[4];
        put32(b, std::uint32_t(v.integer));
        out.assign(reinterpret_cast<const char *>(b), fixedLength(type));
        break;
    }
    case ColumnType::Double:
    case ColumnType::DateTime: {
        double d;
        if (v.kind == Value::Kind::Real)
            d = v.real;
        else if (v.kind == Value::Kind::Integer)
            d = double(v.integer);
        else
            throw wrongKind();
        if (!std::isfinite(d))
            throw JetError(column + "only finite numbers can be stored");
        std::uint8_t b[8];
        putDouble(b, d);
        out.assign(reinterpret_cast<const char *>(b), 8);
        break;
    }
    case ColumnType::Single: {
        if (v.kind != Value::Kind::Real && v.kind != Value::Kind::Integer)
            throw wrongKind();
        const float f = float(v.kind == Value::Kind::Real ? v.real : double(v.integer));
        if (!std::isfinite(f))
            throw JetError(column + "only finite numbers within the range of a single can be stored");
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        std::uint8_t b[4];
        put32(b, bits);
        out.assign(reinterpret_cast<const char *>(b), 4);
        break;
    }
    case ColumnType::Numeric:
    case ColumnType::Guid:
        if (v.kind != Value::Kind::Text)
            throw wrongKind();
        try {
            out = type == ColumnType::Guid ? encodeGuid(v.text) : encodeDecimal(v.text, c.def.precision, c.def.scale);
        } catch (const JetError &e) {
            throw JetError(column + e.what());
        }
        break;
    case ColumnType::Text:
    case ColumnType::Memo: {
        if (v.kind != Value::Kind::Text)
            throw wrongKind();
        if (type == ColumnType::Text && v.text.size() > std::size_t(c.def.size))
            throw JetError(column + "text of " + std::to_string(v.text.size())
                           + " characters is longer than the column's " + std::to_string(c.def.size));
        if (v.text.find(u'\0') != std::u16string::npos)
            throw JetError(column + "text may not contain the character U+0000");
        // A plain value starting with U+FEFF would begin with the bytes that mark the
        // one-byte form, and every reader would decode it as such.
        if (!v.text.empty() && v.text[0] == 0xFEFF)
            throw JetError(column + "text may not begin with the byte-order mark U+FEFF");
        out = encodeText(v.text, c.compressible);
        break;
    }
    case ColumnType::Binary:
    case ColumnType::Ole:
        if (v.kind != Value::Kind::Bytes)
            throw wrongKind();
        if (type == ColumnType::Binary && v.bytes.size() > std::size_t(c.def.size))
            throw JetError(column + std::to_string(v.bytes.size()) + " bytes are more than the column's "
                           + std::to_string(c.def.size));
        out = v.bytes;
        break;
    }
    if (c.longValue && out.size() > 0x3FFFFFFF)
        throw JetError(column + "value is too long");
    return out;
}

// The 12-byte long-value header (and the bytes themselves when they stay in the row);
// longer values go to this column's LVAL pages, as one row or as a chain of pieces.
std::string Writer::State::storeLongValue(ColumnLayout &c, const std::string &bytes)
{
    std::uint8_t header[12] = {};
    const auto length = std::uint32_t(bytes.size());
    if (bytes.size() <= kInlineLongValue) {
        put32(header, length | 0x80000000u);
        return std::string(reinterpret_cast<const char *>(header), 12) + bytes;
    }
    if (bytes.size() <= kSingleLongValue) {
        put32(header, length | 0x40000000u);
        put32(header + 4, placeRow(c.lvalPage, kLvalOwner, bytes, c.ownedMap));
    } else {
        // Last piece first, so each piece knows where its successor lives.
        const std::size_t pieces = (bytes.size() + kLongValuePiece - 1) / kLongValuePiece;
        std::uint32_t next = 0;
        for (std::size_t i = pieces; i-- > 0;) {
            std::string row(4, '\0');
            put32(reinterpret_cast<std::uint8_t *>(row.data()), next);
            row += bytes.substr(i * kLongValuePiece, kLongValuePiece);
            next = placeRow(c.lvalPage, kLvalOwner, row, c.ownedMap);
        }
        put32(header, length);
        put32(header + 4, next);
    }
    return std::string(reinterpret_cast<const char *>(header), 12);
}

void Writer::State::insert(int index, const std::vector<Value> &values)
{
    if (saved)
        throw JetError("rows cannot be added after the file was saved");
    if (index < 0 || std::size_t(index) >= tables.size())
        throw JetError("no such table");
    Table &t = tables[std::size_t(index)];
    if (values.size() != t.columns.size())
        throw JetError("a row of " + narrow(t.name) + " needs " + std::to_string(t.columns.size()) + " values, not "
                       + std::to_string(values.size()));

    // Everything is checked and measured before any long value is placed, so a refused
    // row leaves no trace.
    std::vector<std::string> fields(values.size());
    std::size_t varBytes = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const ColumnLayout &c = t.columns[i];
        if (values[i].kind == Value::Kind::Null)
            continue;
        fields[i] = fieldBytes(c, values[i]);
        if (c.longValue)
            varBytes += fields[i].size() <= kInlineLongValue ? 12 + fields[i].size() : 12;
        else if (!c.fixed)
            varBytes += fields[i].size();
    }
    const std::size_t ncols = t.columns.size();
    const std::size_t maskBytes = (ncols + 7) / 8;
    const std::size_t varTable = t.varCount ? 2 + 2 * std::size_t(t.varCount) + 2 : 0;
    const std::size_t rowLength = 2 + t.fixedSize + varBytes + varTable + maskBytes;
    if (rowLength > kMaxRowLength)
        throw JetError("the row takes " + std::to_string(rowLength) + " bytes; a row can hold at most "
                       + std::to_string(kMaxRowLength));

    std::string row(2 + t.fixedSize, '\0');
    auto *base = reinterpret_cast<std::uint8_t *>(row.data());
    put16(base, std::uint32_t(ncols));
    std::string mask(maskBytes, '\0');
    std::vector<std::uint16_t> offsets(t.varCount);
    std::string var;
    for (std::size_t i = 0; i < ncols; ++i) {
        ColumnLayout &c = t.columns[i];
        const bool present = values[i].kind != Value::Kind::Null;
        bool bit = present;
        if (c.def.type == ColumnType::Bool)
            bit = present && values[i].integer != 0;
        else if (c.fixed && present)
            std::memcpy(row.data() + 2 + c.fixedOffset, fields[i].data(), fields[i].size());
        if (bit)
            mask[c.number / 8] = char(mask[c.number / 8] | (1 << (c.number % 8)));
    }
    // Variable values follow the fixed area in var-index order, which is column order.
    for (std::size_t i = 0; i < ncols; ++i) {
        ColumnLayout &c = t.columns[i];
        if (c.fixed)
            continue;
        offsets[c.varIndex] = std::uint16_t(row.size() + var.size());
        if (values[i].kind == Value::Kind::Null)
            continue;
        var += c.longValue ? storeLongValue(c, fields[i]) : fields[i];
    }
    row += var;
    if (t.varCount) {
        std::string tail(2 + 2 * std::size_t(t.varCount) + 2, '\0');
        auto *p = reinterpret_cast<std::uint8_t *>(tail.data());
        put16(p, std::uint32_t(row.size()));         // end of the variable data
        for (std::size_t k = 0; k < t.varCount; ++k) // highest var index first
            put16(p + 2 + 2 * k, offsets[t.varCount - 1 - k]);
        put16(p + 2 + 2 * std::size_t(t.varCount), t.varCount);
        row += tail;
    }
    row += mask;
    placeRow(t.dataPage, t.tdefPage, row, t.ownedMap);
    ++t.rows;
}

std::vector<std::uint8_t> Writer::State::definition(const Table &t)
{
    std::vector<std::uint8_t> d(63, 0);
    auto grow = [&](std::size_t n) {
        d.resize(d.size() + n, 0);
        return d.data() + d.size() - n;
    };
    std::uint8_t *h = d.data();
    h[0] = kPageTdef;
    h[1] = 0x01;
    put32(h + 12, 0x0659);
    put32(h + 16, t.rows);
    h[24] = 0x01;
    h[40] = t.system ? 0x53 : 0x4E;
    put16(h + 41, std::uint32_t(t.columns.size()));
    put16(h + 43, t.varCount);
    put16(h + 45, std::uint32_t(t.columns.size()));
    // No indexes: the counts at 47 and 51 stay 0.
    put32(h + 55, maps[std::size_t(t.ownedMap)].pointer);
    put32(h + 59, maps[std::size_t(t.freeMap)].pointer);
    for (const ColumnLayout &c : t.columns) {
        std::uint8_t *p = grow(25);
        p[0] = std::uint8_t(c.def.type);
        put32(p + 1, 0x0659);
        put16(p + 5, c.number);
        put16(p + 7, c.fixed ? 0 : c.varIndex);
        put16(p + 9, c.number);
        if (c.def.type == ColumnType::Numeric) {
            p[11] = std::uint8_t(c.def.precision);
            p[12] = std::uint8_t(c.def.scale);
        } else {
            put16(p + 11, 0x0409); // sort order "General", version 0
        }
        p[15] = std::uint8_t((c.fixed ? 0x01 : 0) | 0x02 | (t.system ? 0x10 : 0));
        p[16] = c.compressible ? 0x01 : 0;
        put16(p + 21, c.fixedOffset);
        put16(p + 23, c.length);
    }
    for (const ColumnLayout &c : t.columns) {
        std::string name;
        appendUtf16(name, c.def.name);
        std::uint8_t *p = grow(2 + name.size());
        put16(p, std::uint32_t(name.size()));
        std::memcpy(p + 2, name.data(), name.size());
    }
    for (const ColumnLayout &c : t.columns)
        if (c.longValue) {
            std::uint8_t *p = grow(10);
            put16(p, c.number);
            put32(p + 2, maps[std::size_t(c.ownedMap)].pointer);
            put32(p + 6, maps[std::size_t(c.freeMap)].pointer);
        }
    std::uint8_t *end = grow(2);
    put16(end, 0xFFFF);
    put32(d.data() + 8, std::uint32_t(d.size()));
    if (d.size() <= kPageSize)
        put16(d.data() + 2, std::uint32_t(kPageSize - d.size() - 8));
    return d;
}

// The 69 bytes of a usage map: inline (type 0) when the pages fit in 512 from a multiple
// of 8, else a reference map (type 1) whose bitmap pages are appended now.
std::string Writer::State::mapRow(const UsageMap &map)
{
    std::string row(kMapRowLength, '\0');
    auto *p = reinterpret_cast<std::uint8_t *>(row.data());
    const std::vector<std::uint32_t> &pages = map.pages;
    const std::uint32_t first = pages.empty() ? 0 : pages.front() & ~7u;
    if (pages.empty() || pages.back() - first < (kMapRowLength - 5) * 8) {
        put32(p + 1, first);
        for (std::uint32_t n : pages)
            p[5 + (n - first) / 8] |= std::uint8_t(1 << ((n - first) % 8));
        return row;
    }
    p[0] = 0x01;
    std::uint32_t slotPage = 0;
    std::uint32_t slot = UINT32_MAX;
    for (std::uint32_t n : pages) {
        if (n / kPagesPerBitmapPage != slot) {
            slot = n / kPagesPerBitmapPage;
            if (slot >= (kMapRowLength - 1) / 4)
                throw JetError("the database is larger than a Jet file can be");
            slotPage = newPage(kPageMapBits, 0);
            put32(p + 1 + 4 * slot, slotPage);
        }
        const std::uint32_t bit = n % kPagesPerBitmapPage;
        page(slotPage)[4 + bit / 8] |= std::uint8_t(1 << (bit % 8));
    }
    return row;
}

// Page 1: row 0 marks free pages (every page past the end of the file that the map
// covers), row 1 is an all-zero map as the engine writes it.
void Writer::State::writeGlobalMap()
{
    std::uint32_t total = pageCount();
    const std::size_t bitmapBytes = std::max<std::size_t>(64, ((total + 7) / 8 + 7) / 8 * 8);
    std::string row0;
    if (5 + bitmapBytes + kMapRowLength + 4 <= kEmptyPageFree) {
        row0.assign(5 + bitmapBytes, '\0');
        for (std::size_t n = total; n < bitmapBytes * 8; ++n)
            row0[5 + n / 8] = char(row0[5 + n / 8] | (1 << (n % 8)));
    } else {
        std::uint32_t bitmapPages = 0;
        while ((total + bitmapPages + kPagesPerBitmapPage - 1) / kPagesPerBitmapPage > bitmapPages)
            ++bitmapPages;
        if (bitmapPages > (kMapRowLength - 1) / 4)
            throw JetError("the database is larger than a Jet file can be");
        std::vector<std::uint32_t> slots;
        for (std::uint32_t i = 0; i < bitmapPages; ++i)
            slots.push_back(newPage(kPageMapBits, 0));
        total = pageCount();
        row0.assign(kMapRowLength, '\0');
        row0[0] = 0x01;
        for (std::uint32_t i = 0; i < bitmapPages; ++i) {
            put32(reinterpret_cast<std::uint8_t *>(row0.data()) + 1 + 4 * i, slots[i]);
            std::uint8_t *bits = page(slots[i]) + 4;
            for (std::uint32_t k = 0; k < kPagesPerBitmapPage; ++k)
                if (i * kPagesPerBitmapPage + k >= total)
                    bits[k / 8] |= std::uint8_t(1 << (k % 8));
        }
    }
    std::uint8_t *p = page(1);
    p[0] = kPageData;
    p[1] = 0x01;
    put32(p + 4, 1);
    const std::uint32_t start0 = std::uint32_t(kPageSize - row0.size());
    const std::uint32_t start1 = std::uint32_t(start0 - kMapRowLength);
    std::memcpy(p + start0, row0.data(), row0.size());
    put16(p + 12, 2);
    put16(p + 14, start0);
    put16(p + 16, start1);
    put16(p + 2, start1 - (14 + 4));
}

void Writer::State::writeCatalogue()
{
    const double date = options.creationDate;
    auto object = [&](std::int32_t id, std::int32_t parent, const char16_t *name, int type, std::int32_t flags) {
        std::vector<Value> row(17);
        row[0] = Value::ofInteger(id);
        row[1] = Value::ofInteger(parent);
        row[2] = Value::ofText(name);
        row[3] = Value::ofInteger(type);
        row[4] = Value::ofReal(date);
        row[5] = Value::ofReal(date);
        row[6] = Value::ofBytes(kAdminSid);
        row[7] = Value::ofInteger(flags);
        insert(0, row);
    };
    auto permission = [&](std::int32_t id, bool inheritable) {
        insert(1, {Value::ofInteger(id), Value::ofBytes(kAdminSid), Value::ofInteger(0xFFFFF),
                   Value::ofInteger(inheritable ? 1 : 0)});
    };
    object(kTablesContainer, kContainerParent, u"Tables", 3, kSystemFlag);
    object(kDatabasesContainer, kContainerParent, u"Databases", 3, kSystemFlag);
    object(kRelationshipsContainer, kContainerParent, u"Relationships", 3, kSystemFlag);
    object(kDatabaseObject, kDatabasesContainer, u"MSysDb", 2, kSystemFlag);
    for (std::int32_t id : {kTablesContainer, kDatabasesContainer, kRelationshipsContainer})
        permission(id, true);
    permission(kDatabaseObject, false);
    // Copied out first: the rows added below change the catalogue tables themselves.
    std::vector<std::pair<std::u16string, std::pair<std::int32_t, bool>>> list;
    for (const Table &t : tables)
        list.push_back({t.name, {std::int32_t(t.tdefPage), t.system}});
    for (const auto &[name, info] : list) {
        object(info.first, kTablesContainer, name.c_str(), 1, info.second ? kSystemFlag : 0);
        permission(info.first, false);
    }
}

Writer::Writer(DatabaseOptions options) : m(std::make_unique<State>())
{
    if (options.password.size() > 20)
        throw JetError("a database password has at most 20 characters");
    m->options = std::move(options);
    m->newPage(0, 0); // header, written at save
    m->newPage(0, 0); // global usage map, written at save
    using T = ColumnType;
    m->declare(u"MSysObjects",
               {{u"Id", T::Long},
                {u"ParentId", T::Long},
                {u"Name", T::Text, 255},
                {u"Type", T::Int},
                {u"DateCreate", T::DateTime},
                {u"DateUpdate", T::DateTime},
                {u"Owner", T::Binary, 510},
                {u"Flags", T::Long},
                {u"Database", T::Memo},
                {u"Connect", T::Memo},
                {u"ForeignName", T::Text, 255},
                {u"RmtInfoShort", T::Binary, 510},
                {u"RmtInfoLong", T::Ole},
                {u"Lv", T::Ole},
                {u"LvProp", T::Ole},
                {u"LvModule", T::Ole},
                {u"LvExtra", T::Ole}},
               true);
    m->declare(u"MSysACEs",
               {{u"ObjectId", T::Long}, {u"SID", T::Binary, 510}, {u"ACM", T::Long}, {u"FInheritable", T::Bool}}, true);
    m->declare(u"MSysQueries",
               {{u"ObjectId", T::Long},
                {u"Attribute", T::Byte},
                {u"Order", T::Binary, 510},
                {u"Name1", T::Text, 255},
                {u"Name2", T::Text, 255},
                {u"Expression", T::Memo},
                {u"Flag", T::Int},
                {u"LvExtra", T::Long}},
               true);
    m->declare(u"MSysRelationships",
               {{u"szRelationship", T::Text, 255},
                {u"grbit", T::Long},
                {u"ccolumn", T::Long},
                {u"icolumn", T::Long},
                {u"szObject", T::Text, 255},
                {u"szColumn", T::Text, 255},
                {u"szReferencedObject", T::Text, 255},
                {u"szReferencedColumn", T::Text, 255}},
               true);
}

Writer::~Writer() = default;

int Writer::addTable(const std::u16string &name, const std::vector<Column> &columns)
{
    if (m->saved)
        throw JetError("tables cannot be added after the file was saved");
    if (name.size() >= 4 && sameName(name.substr(0, 4), u"MSys"))
        throw JetError("table names starting with MSys are kept for the system tables");
    return m->declare(name, columns, false);
}

void Writer::addRow(int table, const std::vector<Value> &values)
{
    if (table < 4)
        throw JetError("no such table");
    m->insert(table, values);
}

std::uint32_t Writer::rowCount(int table) const { return m->tables.at(std::size_t(table)).rows; }

void Writer::save(const std::filesystem::path &path)
{
    if (m->saved)
        throw JetError("the file was already saved");
    m->writeCatalogue();
    m->saved = true;
    for (std::size_t i = 0; i < m->maps.size(); ++i) {
        const std::string row = m->mapRow(m->maps[i]);
        const std::uint32_t pointer = m->maps[i].pointer;
        std::uint8_t *p = m->page(pointer >> 8);
        std::memcpy(p + (get16(p + 14 + 2 * (pointer & 0xFF)) & 0x1FFF), row.data(), row.size());
    }
    m->writeGlobalMap();
    for (const Table &t : m->tables) {
        const std::vector<std::uint8_t> d = m->definition(t);
        std::memcpy(m->page(t.tdefPage), d.data(), d.size());
    }
    const std::vector<std::uint8_t> header = headerPage(m->options);
    std::memcpy(m->page(0), header.data(), header.size());

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(m->file.data()), std::streamsize(m->file.size()));
    out.close();
    if (!out)
        throw JetError("cannot write " + path.string());
}

} // namespace jet
