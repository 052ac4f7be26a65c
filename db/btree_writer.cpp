// Laying out SQLite b-tree pages. A page is a header, an array of two-byte cell offsets in
// key order and the cells, packed from the end of the usable space down. Table b-trees
// keep every row in their leaves, and their interior cells repeat the largest rowid of the
// child on the left; index b-trees keep each entry once, so the entry between two pages
// moves up into the parent. A payload too large for its page keeps a first part in the
// cell and the rest in a chain of overflow pages.
#include "db/btree_writer_p.h"
#include "db/db_error.h"
#include "platform/os_files.h"

#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

namespace db::detail {

namespace {

using Kind = RowBuffer::Kind;

[[noreturn]] void fail(const QString &why)
{
    raiseDbError(DbErrc::Format, QStringLiteral("The catalogue could not be copied for reading (%1).").arg(why));
}

// The fields of the 100-byte database header the writer reads or relies on, by offset.
// SQLite created the file; a field with another value than these means a layout the
// writer does not produce.
enum HeaderOffset : size_t {
    kMagic = 0,                // "SQLite format 3" and a zero byte
    kPageSize = 16,            // two bytes; 1 stands for 65536
    kWriteVersion = 18,        // 1: rollback journal (2 would be WAL)
    kReadVersion = 19,         // 1 likewise
    kReservedBytes = 20,       // bytes left unused at the end of every page
    kMaxEmbeddedFraction = 21, // 64, 32, 32: fixed by the format, and the overflow
    kMinEmbeddedFraction = 22, //   sizes of localSize() assume them
    kLeafFraction = 23,
    kChangeCounter = 24,   // four bytes
    kPageCount = 28,       // four bytes: the database's size in pages
    kSchemaFormat = 44,    // four bytes; 4 allows serial types 8 and 9 for 0 and 1
    kAutoVacuumRoot = 52,  // four bytes; not 0 under auto-vacuum, whose pointer-map
                           //   pages the writer does not keep
    kTextEncoding = 56,    // four bytes; 1 is UTF-8, the rows' texts as held
    kVersionValidFor = 92, // four bytes: the change counter when kPageCount was set
    kHeaderSize = 100,
};

enum PageType : uint8_t { IndexInterior = 2, TableInterior = 5, IndexLeaf = 10, TableLeaf = 13 };

void put16(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}

void put32(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

uint32_t get32(const uint8_t *p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

size_t varintLength(uint64_t v)
{
    size_t n = 1;
    while (n < 9 && (v >> (7 * n)) != 0)
        ++n;
    return n;
}

// SQLite's variable-length integer: seven bits a byte, high bit set on all but the last;
// a ninth byte, when needed, carries eight. Writes at `p`, returns the end.
[[gnu::noinline]] uint8_t *putLongVarint(uint8_t *p, uint64_t v)
{
    if (varintLength(v) == 9) {
        p[8] = uint8_t(v);
        v >>= 8;
        for (int i = 7; i >= 0; --i, v >>= 7)
            p[i] = uint8_t((v & 0x7F) | 0x80);
        return p + 9;
    }
    uint8_t low[8]; // the groups of seven bits, lowest first
    size_t n = 0;
    do {
        low[n++] = uint8_t(v & 0x7F);
        v >>= 7;
    } while (v != 0 && n < 8);
    for (size_t i = 0; i < n; ++i)
        p[i] = uint8_t(low[n - 1 - i] | (i + 1 < n ? 0x80 : 0));
    return p + n;
}

// Serial types and sizes are nearly always one byte: that case is kept where it is used.
inline uint8_t *putVarint(uint8_t *p, uint64_t v)
{
    if (v < 0x80) {
        *p = uint8_t(v);
        return p + 1;
    }
    return putLongVarint(p, v);
}

// A growing run of bytes whose new room is not cleared: records and cells are made a
// million at a time, and std::vector zeroes every byte it adds before it is written.
class Bytes {
public:
    const uint8_t *data() const { return m_data.get(); }
    uint8_t *data() { return m_data.get(); }
    size_t size() const { return m_size; }
    void clear() { m_size = 0; }
    void reserve(size_t n)
    {
        if (n <= m_capacity)
            return;
        auto bigger = std::make_unique_for_overwrite<uint8_t[]>(n);
        if (m_size)
            std::memcpy(bigger.get(), m_data.get(), m_size);
        m_data = std::move(bigger);
        m_capacity = n;
    }
    // `n` more bytes at the end, to be written by the caller.
    uint8_t *grow(size_t n)
    {
        if (m_size + n > m_capacity)
            reserve(std::max(m_capacity * 2, m_size + n + 64));
        uint8_t *p = m_data.get() + m_size;
        m_size += n;
        return p;
    }
    void append(const uint8_t *p, size_t n)
    {
        if (n)
            std::memcpy(grow(n), p, n);
    }
    // Hands the bytes over, leaving this empty.
    std::unique_ptr<uint8_t[]> release()
    {
        m_size = m_capacity = 0;
        return std::move(m_data);
    }

private:
    std::unique_ptr<uint8_t[]> m_data;
    size_t m_size = 0, m_capacity = 0;
};

void putVarint(Bytes &out, uint64_t v)
{
    uint8_t buf[9];
    out.append(buf, size_t(putVarint(buf, v) - buf));
}

// A value's serial type in a record, and the length of its body.
struct Serial {
    uint64_t type;
    size_t length;
};

Serial serialOfInt(int64_t v)
{
    if (v == 0 || v == 1)
        return {uint64_t(8 + v), 0};
    const uint64_t u = v < 0 ? ~uint64_t(v) : uint64_t(v);
    if (u <= 0x7F)
        return {1, 1};
    if (u <= 0x7FFF)
        return {2, 2};
    if (u <= 0x7FFFFF)
        return {3, 3};
    if (u <= 0x7FFFFFFF)
        return {4, 4};
    if (u <= 0x7FFFFFFFFFFF)
        return {5, 6};
    return {6, 8};
}

Serial serialOf(const RowBuffer &rows, size_t row, size_t column)
{
    switch (rows.kindAt(row, column)) {
    case Kind::Null: break;
    case Kind::Int: return serialOfInt(rows.intAt(row, column));
    case Kind::Real:
        if (std::isnan(rows.realAt(row, column)))
            break; // SQLite keeps a NaN bound to a statement as Null
        return {7, 8};
    case Kind::Text: {
        const size_t n = rows.bytesAt(row, column).size();
        return {13 + 2 * uint64_t(n), n};
    }
    case Kind::Blob: {
        const size_t n = rows.bytesAt(row, column).size();
        return {12 + 2 * uint64_t(n), n};
    }
    }
    return {0, 0};
}

uint8_t *putBigEndian(uint8_t *p, uint64_t v, size_t length)
{
    for (size_t i = length; i-- > 0; v >>= 8)
        p[i] = uint8_t(v);
    return p + length;
}

// Builds records: the serial types of the values, then their bodies. size() works out a
// record's layout, write() then lays it out.
class RecordEncoder {
public:
    // The size of the record of `columns` of `row`, and `rowid` last when not 0.
    size_t size(const RowBuffer &rows, size_t row, const std::vector<size_t> &columns, int64_t rowid)
    {
        const size_t count = columns.size() + (rowid ? 1 : 0);
        if (m_serials.size() < count)
            m_serials.resize(count);
        Serial *serial = m_serials.data();
        size_t header = 0, body = 0;
        for (size_t k = 0; k < columns.size(); ++k) {
            serial[k] = serialOf(rows, row, columns[k]);
            header += varintLength(serial[k].type);
            body += serial[k].length;
        }
        if (rowid) {
            serial[columns.size()] = serialOfInt(rowid);
            header += 1; // a whole number's serial type is one byte
            body += serial[columns.size()].length;
        }
        size_t sizeLength = 1; // the header's own size counts itself
        while (varintLength(header + sizeLength) > sizeLength)
            ++sizeLength;
        m_header = header + sizeLength;
        m_rowid = rowid;
        return m_header + body;
    }

    // Writes at `p` the record whose size was the last asked.
    void write(uint8_t *p, const RowBuffer &rows, size_t row, const std::vector<size_t> &columns) const
    {
        const Serial *serial = m_serials.data();
        const size_t count = columns.size() + (m_rowid ? 1 : 0);
        p = putVarint(p, m_header);
        for (size_t k = 0; k < count; ++k)
            p = putVarint(p, serial[k].type);
        for (size_t k = 0; k < columns.size(); ++k)
            p = putBody(p, rows, row, columns[k], serial[k]);
        if (m_rowid)
            putBigEndian(p, uint64_t(m_rowid), serial[columns.size()].length);
    }

    // Appends that record to `out`.
    void append(Bytes &out, const RowBuffer &rows, size_t row, const std::vector<size_t> &columns, int64_t rowid)
    {
        write(out.grow(size(rows, row, columns, rowid)), rows, row, columns);
    }

private:
    static uint8_t *putBody(uint8_t *p, const RowBuffer &rows, size_t row, size_t column, const Serial &s)
    {
        if (s.length == 0)
            return p;
        switch (rows.kindAt(row, column)) {
        case Kind::Int: return putBigEndian(p, uint64_t(rows.intAt(row, column)), s.length);
        case Kind::Real: {
            const double d = rows.realAt(row, column);
            uint64_t bits;
            std::memcpy(&bits, &d, 8);
            return putBigEndian(p, bits, 8);
        }
        default: {
            const std::string_view bytes = rows.bytesAt(row, column);
            std::memcpy(p, bytes.data(), bytes.size());
            return p + bytes.size();
        }
        }
    }

    std::vector<Serial> m_serials;
    size_t m_header = 0;
    int64_t m_rowid = 0;
};

// One page being filled: cells go down from the end of the usable space, their offsets
// up after the header. Cells are laid out where they will stay (cell()), not built apart
// and copied in: a catalogue's index entries are a dozen bytes, and copying each twice
// would cost more than making it.
class PageBuilder {
public:
    PageBuilder(uint32_t pageSize, uint32_t usable, PageType type)
        : m_bytes(pageSize, 0), m_top(usable), m_type(type),
          m_header(type == IndexInterior || type == TableInterior ? 12 : 8)
    {}
    bool fits(size_t cellSize) const { return m_header + 2 * (m_offsets.size() + 1) + cellSize <= m_top; }
    // Room for a cell of `size` bytes, to be written by the caller.
    uint8_t *cell(size_t size)
    {
        Q_ASSERT(fits(size));
        m_top -= uint32_t(size);
        m_offsets.push_back(m_top);
        return m_bytes.data() + m_top;
    }
    void add(const Bytes &bytes) { std::memcpy(cell(bytes.size()), bytes.data(), bytes.size()); }
    std::vector<uint8_t> finish(uint32_t rightChild = 0)
    {
        uint8_t *p = m_bytes.data();
        p[0] = m_type;
        put16(p + 3, uint32_t(m_offsets.size()));
        put16(p + 5, m_top == 65536 ? 0 : m_top); // 0 stands for 65536
        if (m_header == 12)
            put32(p + 8, rightChild);
        for (size_t i = 0; i < m_offsets.size(); ++i)
            put16(p + m_header + 2 * i, m_offsets[i]);
        return std::move(m_bytes);
    }

private:
    std::vector<uint8_t> m_bytes;
    uint32_t m_top;
    PageType m_type;
    uint32_t m_header;
    std::vector<uint32_t> m_offsets;
};

// How each level of an index b-tree is cut into pages: entry positions [first, end) per
// page, and the entries between pages, which go up a level.
struct Cut {
    std::vector<std::pair<size_t, size_t>> pages;
    std::vector<size_t> raised;
};

} // namespace

struct BtreeWriter::Impl {
    QString path;
    platform::os::File file;
    uint32_t pageSize = 0, usable = 0;
    uint32_t firstNew = 0, next = 0;
    uint32_t lockPage = 0; // holds the byte SQLite locks (BtreeWriterSettings); never used
    // The pages from imageFirst on, written out a megabyte at a time: the room is kept
    // and reused, as growing one image of the whole copy would fault in fresh memory for
    // every page several times over.
    // Its pages are not zeroed as they are added: most are copied over whole.
    Bytes image;
    uint32_t imageFirst = 0;
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> roots;
    RecordEncoder encoder;
    Bytes record, cell;

    [[noreturn]] void ioFailed(const char *what)
    {
        fail(QStringLiteral("cannot %1 \"%2\": %3")
                 .arg(QLatin1String(what), path, platform::os::errorText(file.error())));
    }

    // A new page, zeroed unless `whole` says the caller writes all of it.
    uint32_t allocate(bool whole = false)
    {
        uint32_t p = next++;
        if (p == lockPage) {
            std::memset(image.grow(pageSize), 0, pageSize);
            p = next++;
        }
        if (next == 0 || next > 0x7FFFFFFF)
            fail(QStringLiteral("the copy would be larger than SQLite allows"));
        uint8_t *bytes = image.grow(pageSize);
        if (!whole)
            std::memset(bytes, 0, pageSize);
        return p;
    }
    uint8_t *page(uint32_t p)
    {
        Q_ASSERT(p >= imageFirst && p < next); // only pages not yet flushed are laid out
        return image.data() + size_t(p - imageFirst) * pageSize;
    }
    // Writes the pages laid out so far. Only between two cells or pages: an overflow
    // chain is always complete.
    void flush()
    {
        writeAt(uint64_t(imageFirst - 1) * pageSize, image.data(), image.size());
        image.clear();
        imageFirst = next;
    }
    uint32_t place(const std::vector<uint8_t> &bytes)
    {
        const uint32_t p = allocate(true);
        std::memcpy(page(p), bytes.data(), pageSize);
        if (image.size() >= (1u << 20))
            flush();
        return p;
    }

    // How much of a payload stays in its cell (the rest overflows), as SQLite reckons it.
    size_t localSize(size_t payload, bool tableLeaf) const
    {
        const size_t u = usable;
        const size_t maxLocal = tableLeaf ? u - 35 : (u - 12) * 64 / 255 - 23;
        const size_t minLocal = (u - 12) * 32 / 255 - 23;
        if (payload <= maxLocal)
            return payload;
        const size_t k = minLocal + (payload - minLocal) % (u - 4);
        const size_t local = k <= maxLocal ? k : minLocal;
        Q_ASSERT(local < payload);
        return local;
    }
    size_t payloadCellSize(size_t payload, bool tableLeaf) const
    {
        const size_t local = localSize(payload, tableLeaf);
        return varintLength(payload) + local + (local < payload ? 4 : 0);
    }

    // Appends to `cell` the part of `payload` kept in the cell, and the number of the first
    // overflow page holding the rest, whose chain is written here.
    void appendPayload(Bytes &out, const uint8_t *payload, size_t size, bool tableLeaf)
    {
        const size_t local = localSize(size, tableLeaf);
        out.append(payload, local);
        if (local == size)
            return;
        uint32_t current = allocate();
        put32(out.grow(4), current);
        for (size_t at = local;;) {
            const size_t chunk = std::min<size_t>(usable - 4, size - at);
            std::memcpy(page(current) + 4, payload + at, chunk);
            at += chunk;
            if (at == size)
                return; // the chain ends with page number 0, already there
            const uint32_t following = allocate();
            put32(page(current), following);
            current = following;
        }
    }

    void writeAt(uint64_t offset, const uint8_t *data, size_t size)
    {
        if (!file.writeAt(qint64(offset), data, qint64(size)))
            ioFailed("write");
    }
    void readHeader(uint8_t *header)
    {
        if (file.readAt(0, header, kHeaderSize) != qint64(kHeaderSize))
            ioFailed("read");
    }

    void checkRoot(uint32_t root) const
    {
        if (root < 2 || root >= firstNew)
            fail(QStringLiteral("a b-tree to fill has no page of its own"));
    }

    // Index levels: a leaf level of every entry, then levels of the entries raised from
    // the one below, until one page holds them all.
    Cut cutIndexLevel(const std::vector<uint32_t> &entries, const std::vector<uint32_t> &sizes, bool interior) const
    {
        Cut cut;
        const size_t header = interior ? 12 : 8, m = entries.size();
        size_t first = 0, used = header;
        for (size_t i = 0; i < m; ++i) {
            const size_t need = 2 + sizes[entries[i]] + (interior ? 4 : 0);
            if (used + need <= usable) {
                used += need;
                continue;
            }
            if (i == first)
                fail(QStringLiteral("an index entry is larger than a page"));
            cut.pages.push_back({first, i});
            cut.raised.push_back(i);
            first = i + 1;
            used = header;
        }
        cut.pages.push_back({first, m});
        if (cut.pages.size() > 1 && first == m) {
            // The last entry went up and left the last page empty: the entry before it
            // goes up instead, and the last one stays on the last page.
            auto &before = cut.pages[cut.pages.size() - 2];
            if (before.second - before.first < 2)
                fail(QStringLiteral("index entries too large for their pages"));
            before.second -= 1;
            cut.raised.back() -= 1;
            cut.pages.back().first -= 1;
        }
        return cut;
    }
};

BtreeWriter::BtreeWriter(const QString &path, const BtreeWriterSettings &settings) : d(std::make_unique<Impl>())
{
    d->path = path;
    d->file = platform::os::File(path, platform::os::Access::ReadWrite);
    if (!d->file.isOpen())
        d->ioFailed("open");
    const std::optional<platform::os::FileStatus> st = d->file.status();
    if (!st)
        d->ioFailed("read");
    uint8_t header[kHeaderSize];
    d->readHeader(header);
    const uint32_t pageSize = header[kPageSize] << 8 | header[kPageSize + 1];
    d->pageSize = pageSize == 1 ? 65536 : pageSize;
    if (std::memcmp(header + kMagic, "SQLite format 3", 16) != 0 || d->pageSize < 512
        || (d->pageSize & (d->pageSize - 1)) || header[kWriteVersion] != 1 || header[kReadVersion] != 1
        || header[kReservedBytes] >= d->pageSize - 480 || st->size % d->pageSize != 0)
        fail(QStringLiteral("\"%1\" is not an SQLite database in rollback mode").arg(path));
    const struct {
        size_t offset;
        uint32_t value;
        const char *what;
    } relied[] = {
        {kSchemaFormat, 4, "schema format"},
        {kAutoVacuumRoot, 0, "auto-vacuum"},
        {kTextEncoding, 1, "text encoding"},
    };
    for (const auto &field : relied)
        if (get32(header + field.offset) != field.value)
            fail(QStringLiteral("\"%1\" has the %2 %3 where the page writer needs %4")
                     .arg(path, QLatin1String(field.what))
                     .arg(get32(header + field.offset))
                     .arg(field.value));
    if (header[kMaxEmbeddedFraction] != 64 || header[kMinEmbeddedFraction] != 32 || header[kLeafFraction] != 32)
        fail(QStringLiteral("\"%1\" has payload fractions the page writer does not know").arg(path));
    d->usable = d->pageSize - header[kReservedBytes];
    d->firstNew = d->next = d->imageFirst = uint32_t(st->size / d->pageSize) + 1;
    d->lockPage = settings.lockByte / d->pageSize + 1;
}

BtreeWriter::~BtreeWriter() = default;

void BtreeWriter::writeTable(uint32_t rootPage, const RowBuffer &rows)
{
    d->checkRoot(rootPage);
    const size_t n = rows.rows();
    if (n == 0)
        return;
    std::vector<size_t> columns(rows.columns());
    for (size_t c = 0; c < columns.size(); ++c)
        columns[c] = c;

    // Leaves are placed as they are finished, but for the first: when it is the only one,
    // it is the root.
    std::vector<uint8_t> firstLeaf;
    std::vector<uint32_t> numbers;   // the pages of the level being built
    std::vector<uint64_t> lastRowid; // the largest rowid under each
    auto finishLeaf = [&](PageBuilder &leaf, uint64_t last) {
        if (lastRowid.empty()) {
            firstLeaf = leaf.finish();
        } else {
            if (numbers.empty())
                numbers.push_back(d->place(firstLeaf));
            numbers.push_back(d->place(leaf.finish()));
        }
        lastRowid.push_back(last);
    };
    PageBuilder leaf(d->pageSize, d->usable, TableLeaf);
    for (size_t r = 0; r < n; ++r) {
        const uint64_t rowid = r + 1;
        const size_t payload = d->encoder.size(rows, r, columns, 0);
        if (d->localSize(payload, true) == payload) { // nearly every row: straight into the page
            const size_t size = varintLength(payload) + varintLength(rowid) + payload;
            if (!leaf.fits(size)) {
                finishLeaf(leaf, rowid - 1);
                leaf = PageBuilder(d->pageSize, d->usable, TableLeaf);
            }
            d->encoder.write(putVarint(putVarint(leaf.cell(size), payload), rowid), rows, r, columns);
            continue;
        }
        d->cell.clear();
        putVarint(d->cell, payload);
        putVarint(d->cell, rowid);
        d->record.clear();
        d->encoder.write(d->record.grow(payload), rows, r, columns);
        d->appendPayload(d->cell, d->record.data(), payload, true);
        if (!leaf.fits(d->cell.size())) {
            finishLeaf(leaf, rowid - 1);
            leaf = PageBuilder(d->pageSize, d->usable, TableLeaf);
        }
        leaf.add(d->cell);
    }
    finishLeaf(leaf, n);
    if (lastRowid.size() == 1) {
        d->roots.push_back({rootPage, std::move(firstLeaf)});
        return;
    }

    for (;;) {
        // Children [first, last] per page: a cell for each but the last, the page's
        // right-most pointer.
        std::vector<std::pair<size_t, size_t>> groups;
        size_t first = 0, used = 12;
        for (size_t j = 0; j < numbers.size(); ++j) {
            if (j + 1 == numbers.size()) {
                groups.push_back({first, j});
                break;
            }
            const size_t need = 2 + 4 + varintLength(lastRowid[j]);
            if (used + need <= d->usable) {
                used += need;
                continue;
            }
            groups.push_back({first, j});
            first = j + 1;
            used = 12;
        }
        if (groups.size() > 1 && groups.back().first == groups.back().second) {
            // A page of one child and no cell: it takes the last child of the page before.
            auto &before = groups[groups.size() - 2];
            if (before.second - before.first < 2)
                fail(QStringLiteral("table pages too small for their cells"));
            before.second -= 1;
            groups.back().first -= 1;
        }
        std::vector<uint32_t> parents;
        std::vector<uint64_t> parentLast;
        for (const auto &[from, to] : groups) {
            PageBuilder page(d->pageSize, d->usable, TableInterior);
            for (size_t j = from; j < to; ++j) {
                d->cell.clear();
                put32(d->cell.grow(4), numbers[j]);
                putVarint(d->cell, lastRowid[j]);
                page.add(d->cell);
            }
            if (groups.size() == 1) {
                d->roots.push_back({rootPage, page.finish(numbers[to])});
                return;
            }
            parents.push_back(d->place(page.finish(numbers[to])));
            parentLast.push_back(lastRowid[to]);
        }
        numbers.swap(parents);
        lastRowid.swap(parentLast);
    }
}

IndexEntries prepareIndexEntries(const RowBuffer &rows, const std::vector<IndexColumn> &key)
{
    const size_t n = rows.rows();
    IndexEntries out;
    out.at.assign(n + 1, 0);
    if (n == 0)
        return out;
    std::vector<size_t> columns;
    for (const IndexColumn &k : key)
        columns.push_back(k.column);
    const std::vector<uint32_t> order = rowsInIndexOrder(rows, key);

    // Each entry's record is made straight in the index's order, reading its row from
    // wherever it lies. On a table larger than the processor's caches each such read waits
    // for memory, so the rows a few entries ahead are asked for early, first their cells,
    // then the texts those point to, and the waits overlap. Making the records in the
    // file's order and gathering them afterwards wrote and read every record once more.
    constexpr size_t kAhead = 16;
    RecordEncoder encoder;
    Bytes sorted;
    sorted.reserve(n * 16); // a header, a short key and the rowid: rarely more, so never copied to grow
    for (size_t k = 0; k < n; ++k) {
        if (k + kAhead < n)
            for (size_t c : columns)
                rows.prefetchCell(order[k + kAhead], c);
        if (k + kAhead / 2 < n)
            for (size_t c : columns)
                rows.prefetchBytes(order[k + kAhead / 2], c);
        const uint32_t r = order[k];
        encoder.append(sorted, rows, r, columns, int64_t(r) + 1);
        out.at[k + 1] = sorted.size();
    }
    out.bytes = sorted.release();
    return out;
}

void BtreeWriter::writeIndex(uint32_t rootPage, const RowBuffer &rows, const std::vector<IndexColumn> &key)
{
    writeIndex(rootPage, prepareIndexEntries(rows, key));
}

void BtreeWriter::writeIndex(uint32_t rootPage, const IndexEntries &index)
{
    d->checkRoot(rootPage);
    const size_t n = index.at.size() - 1;
    if (n == 0)
        return;
    const uint8_t *sorted = index.bytes.get();
    const std::vector<size_t> &at = index.at;
    // The size of each entry's cell in a leaf, to cut the levels by.
    std::vector<uint32_t> sizes(n);
    for (size_t k = 0; k < n; ++k)
        sizes[k] = uint32_t(d->payloadCellSize(at[k + 1] - at[k], false));

    std::vector<uint32_t> entries(n), children;
    for (size_t k = 0; k < n; ++k)
        entries[k] = uint32_t(k);
    for (bool interior = false;; interior = true) {
        const Cut cut = d->cutIndexLevel(entries, sizes, interior);
        std::vector<uint32_t> numbers;
        for (const auto &[from, end] : cut.pages) {
            PageBuilder page(d->pageSize, d->usable, interior ? IndexInterior : IndexLeaf);
            for (size_t i = from; i < end; ++i) {
                const uint32_t e = entries[i];
                const uint8_t *record = sorted + at[e];
                const size_t payload = at[e + 1] - at[e];
                if (d->localSize(payload, false) == payload) { // nearly every entry
                    uint8_t *p = page.cell(sizes[e] + (interior ? 4 : 0));
                    if (interior) {
                        put32(p, children[i]);
                        p += 4;
                    }
                    std::memcpy(putVarint(p, payload), record, payload);
                    continue;
                }
                d->cell.clear();
                if (interior)
                    put32(d->cell.grow(4), children[i]);
                putVarint(d->cell, payload);
                d->appendPayload(d->cell, record, payload, false);
                page.add(d->cell);
            }
            std::vector<uint8_t> bytes = page.finish(interior ? children[end] : 0);
            if (cut.pages.size() == 1) {
                d->roots.push_back({rootPage, std::move(bytes)});
                return;
            }
            numbers.push_back(d->place(bytes));
        }
        std::vector<uint32_t> raised;
        for (size_t i : cut.raised)
            raised.push_back(entries[i]);
        entries.swap(raised);
        children.swap(numbers);
    }
}

void BtreeWriter::finish()
{
    d->flush();
    for (const auto &[root, bytes] : d->roots)
        d->writeAt(uint64_t(root - 1) * d->pageSize, bytes.data(), bytes.size());
    // The database's size in pages, valid while the change counter equals the
    // version-valid-for number; both move on so that any cached view is stale.
    uint8_t header[kHeaderSize];
    d->readHeader(header);
    const uint32_t counter = get32(header + kChangeCounter) + 1;
    put32(header + kChangeCounter, counter);
    put32(header + kPageCount, d->next - 1);
    put32(header + kVersionValidFor, counter);
    d->writeAt(0, header, sizeof header);
    d->roots.clear();
    d->firstNew = d->next;
}

} // namespace db::detail
