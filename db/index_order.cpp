// Ordering a table's rows by an index's columns. Each key column is first turned into one
// whole number per row, its rank in SQLite's order of that column's values; a catalogue
// repeats few texts over many rows (a battery code over its fitments), so each distinct
// text is compared only while its few hundred or thousand neighbours are sorted. The rows
// are then placed by a stable counting pass over the ranks per column, the last first.
#include "db/index_order_p.h"
#include "db/jet_text_p.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <string_view>

namespace db::detail {

namespace {

using Kind = RowBuffer::Kind;

// <0, 0, >0 for two numbers, each whole or real, by value: long double holds every
// 64-bit whole number exactly, so a whole number and a real compare as SQLite does.
int compareNumbers(const RowBuffer &rows, size_t column, uint32_t a, uint32_t b)
{
    const Kind ka = rows.kindAt(a, column), kb = rows.kindAt(b, column);
    if (ka == Kind::Int && kb == Kind::Int) {
        const int64_t x = rows.intAt(a, column), y = rows.intAt(b, column);
        return (x > y) - (x < y);
    }
    const long double x = ka == Kind::Int ? static_cast<long double>(rows.intAt(a, column)) : rows.realAt(a, column);
    const long double y = kb == Kind::Int ? static_cast<long double>(rows.intAt(b, column)) : rows.realAt(b, column);
    return (x > y) - (x < y);
}

// Gives `rows` (already sorted) consecutive ranks from `next`, equal neighbours sharing
// one; returns the rank after the last used.
template <class Equal>
uint32_t rankSorted(const std::vector<uint32_t> &sorted, std::vector<uint32_t> &rank, uint32_t next, Equal equal)
{
    for (size_t k = 0; k < sorted.size(); ++k) {
        if (k > 0 && !equal(sorted[k - 1], sorted[k]))
            ++next;
        rank[sorted[k]] = next;
    }
    return sorted.empty() ? next : next + 1;
}

// The distinct byte strings of a column. Open addressing in one flat table, and a copy of
// each distinct string kept close together: a catalogue's large tables hold millions of
// rows and few distinct texts, and both the node-based map and comparing with the first
// row that held a text went to memory far outside the processor's caches on every row.
class DistinctStrings {
public:
    explicit DistinctStrings(size_t expected)
    {
        size_t room = 64;
        while (room < 2 * expected)
            room <<= 1;
        m_slots.assign(room, kEmpty);
    }
    // The entry number of `v`, added when new.
    uint32_t entry(std::string_view v)
    {
        if (2 * (m_entries.size() + 1) > m_slots.size())
            grow();
        const uint64_t h = hashOf(v);
        for (size_t at = h & (m_slots.size() - 1);; at = (at + 1) & (m_slots.size() - 1)) {
            const uint32_t e = m_slots[at];
            if (e == kEmpty) {
                m_slots[at] = uint32_t(m_entries.size());
                m_entries.push_back({h, m_text.size(), v.size()});
                m_text.append(v);
                return m_slots[at];
            }
            const Entry &known = m_entries[e];
            if (known.hash == h && std::string_view(m_text.data() + known.at, known.size) == v)
                return e;
        }
    }
    // Every distinct string, by entry number; valid while this object lives unchanged.
    std::vector<std::string_view> values() const
    {
        std::vector<std::string_view> out;
        out.reserve(m_entries.size());
        for (const Entry &e : m_entries)
            out.emplace_back(m_text.data() + e.at, e.size);
        return out;
    }

private:
    struct Entry {
        uint64_t hash;
        size_t at, size;
    };
    static constexpr uint32_t kEmpty = UINT32_MAX;
    static uint64_t hashOf(std::string_view v)
    {
        uint64_t h = 0x9E3779B97F4A7C15ULL ^ v.size();
        for (unsigned char c : v)
            h = (h ^ c) * 0x100000001B3ULL;
        return h ^ (h >> 29);
    }
    void grow()
    {
        std::vector<uint32_t> wider(m_slots.size() * 2, kEmpty);
        for (uint32_t e = 0; e < m_entries.size(); ++e) {
            size_t at = m_entries[e].hash & (wider.size() - 1);
            while (wider[at] != kEmpty)
                at = (at + 1) & (wider.size() - 1);
            wider[at] = e;
        }
        m_slots.swap(wider);
    }
    std::vector<uint32_t> m_slots;
    std::vector<Entry> m_entries;
    std::string m_text;
};

// Ranks the rows `members`, each holding the string entry `entryOf[k]` of `distinct`, by
// `less` over those strings, entries equal under `same` sharing one rank.
template <class Less, class Same>
uint32_t rankStrings(const DistinctStrings &distinct, const std::vector<uint32_t> &members,
                     const std::vector<uint32_t> &entryOf, std::vector<uint32_t> &rank, uint32_t next, Less less,
                     Same same)
{
    const std::vector<std::string_view> texts = distinct.values();
    std::vector<uint32_t> byOrder(texts.size());
    std::iota(byOrder.begin(), byOrder.end(), 0u);
    std::sort(byOrder.begin(), byOrder.end(), [&](uint32_t a, uint32_t b) { return less(texts[a], texts[b]); });
    std::vector<uint32_t> entryRank(texts.size());
    next = rankSorted(byOrder, entryRank, next, [&](uint32_t a, uint32_t b) { return same(texts[a], texts[b]); });
    for (size_t k = 0; k < members.size(); ++k)
        rank[members[k]] = entryRank[entryOf[k]];
    return next;
}

// Each row's rank in SQLite's order of the values of `key.column`; returns one more than
// the highest rank. The column is read from the rows once: the cells of a large table lie
// far beyond the processor's caches, and each further pass over them costs as much as
// the rest of the ranking.
uint32_t columnRanks(const RowBuffer &rows, const IndexColumn &key, std::vector<uint32_t> &rank)
{
    const size_t n = rows.rows(), c = key.column;
    // Room for every row at once: growing by doubling would copy each list and clear its
    // fresh memory several times over. Room never written is never touched.
    std::vector<uint32_t> numbers, texts, blobs;
    std::vector<int64_t> wholeValues;               // beside `numbers` while every number is whole
    std::vector<uint32_t> textEntries, blobEntries; // beside `texts` and `blobs`
    numbers.reserve(n);
    wholeValues.reserve(n);
    texts.reserve(n);
    textEntries.reserve(n);
    // The lookup table starts small and doubles as texts come: a column repeats few texts
    // over many rows, and a table sized for the rows would be mostly empty slots beyond
    // the processor's caches.
    DistinctStrings distinctTexts(512), distinctBlobs(16);
    bool whole = true;
    int64_t low = INT64_MAX, high = INT64_MIN;
    for (uint32_t r = 0; r < n; ++r) {
        switch (rows.kindAt(r, c)) {
        case Kind::Null: break;
        case Kind::Int: {
            const int64_t v = rows.intAt(r, c);
            numbers.push_back(r);
            wholeValues.push_back(v);
            low = std::min(low, v);
            high = std::max(high, v);
            break;
        }
        case Kind::Real:
            if (!std::isnan(rows.realAt(r, c))) {
                numbers.push_back(r);
                whole = false;
            }
            break;
        case Kind::Text:
            texts.push_back(r);
            textEntries.push_back(distinctTexts.entry(rows.bytesAt(r, c)));
            break;
        case Kind::Blob:
            blobs.push_back(r);
            blobEntries.push_back(distinctBlobs.entry(rows.bytesAt(r, c)));
            break;
        }
    }
    rank.assign(n, 0); // Null
    uint32_t next = 1;
    const uint64_t span = uint64_t(high) - uint64_t(low); // no overflow in unsigned
    if (whole && !numbers.empty() && span < 4 * uint64_t(numbers.size()) + 1024) {
        // Whole numbers packed in a range not much wider than their count (identifiers,
        // type numbers): ranked by marking each value present, with no sort at all.
        std::vector<uint32_t> rankOfValue(size_t(span) + 1, 0);
        for (int64_t v : wholeValues)
            rankOfValue[size_t(uint64_t(v) - uint64_t(low))] = 1;
        for (uint32_t &v : rankOfValue)
            v = v ? next++ : 0;
        for (size_t k = 0; k < numbers.size(); ++k)
            rank[numbers[k]] = rankOfValue[size_t(uint64_t(wholeValues[k]) - uint64_t(low))];
    } else if (whole) {
        // Other whole numbers, sorted by value without looking at the kinds again.
        std::vector<std::pair<int64_t, uint32_t>> byValue;
        byValue.reserve(numbers.size());
        for (size_t k = 0; k < numbers.size(); ++k)
            byValue.push_back({wholeValues[k], numbers[k]});
        std::sort(byValue.begin(), byValue.end());
        for (size_t k = 0; k < byValue.size(); ++k) {
            if (k > 0 && byValue[k - 1].first != byValue[k].first)
                ++next;
            rank[byValue[k].second] = next;
        }
        if (!byValue.empty())
            ++next;
    } else {
        std::sort(numbers.begin(), numbers.end(),
                  [&](uint32_t a, uint32_t b) { return compareNumbers(rows, c, a, b) < 0; });
        next = rankSorted(numbers, rank, 1, [&](uint32_t a, uint32_t b) { return compareNumbers(rows, c, a, b) == 0; });
    }
    auto bytesLess = [](std::string_view a, std::string_view b) { return a < b; };
    auto bytesSame = [](std::string_view a, std::string_view b) { return a == b; };
    if (key.general)
        next = rankStrings(
            distinctTexts, texts, textEntries, rank, next,
            [](std::string_view a, std::string_view b) { return compareGeneral(a, b) < 0; },
            [](std::string_view a, std::string_view b) { return compareGeneral(a, b) == 0; });
    else
        next = rankStrings(distinctTexts, texts, textEntries, rank, next, bytesLess, bytesSame);
    return rankStrings(distinctBlobs, blobs, blobEntries, rank, next, bytesLess, bytesSame);
}

// Sorts `order` stably by each row's rank, in one counting pass.
void sortByRank(std::vector<uint32_t> &order, const std::vector<uint32_t> &rank, uint32_t ranks)
{
    std::vector<uint32_t> start(size_t(ranks) + 1, 0), placed(order.size());
    for (uint32_t r : order)
        ++start[rank[r] + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    for (uint32_t r : order)
        placed[start[rank[r]]++] = r;
    order.swap(placed);
}

} // namespace

std::vector<uint32_t> rowsInIndexOrder(const RowBuffer &rows, const std::vector<IndexColumn> &key)
{
    std::vector<uint32_t> order(rows.rows()), rank;
    std::iota(order.begin(), order.end(), 0u);
    for (auto column = key.rbegin(); column != key.rend(); ++column)
        sortByRank(order, rank, columnRanks(rows, *column, rank));
    return order;
}

} // namespace db::detail
