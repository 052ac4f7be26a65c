// Ordering a table's rows by an index's columns. Each key column is first turned into one
// whole number per row, its rank in SQLite's order of that column's values; a catalogue
// repeats few texts over many rows (a battery code over its fitments), so each distinct
// text is compared only while its few hundred or thousand neighbours are sorted. The rows
// are then placed by a stable counting pass per column, the last column first.
#include "db/index_order_p.h"
#include "db/jet_text_p.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string_view>
#include <unordered_map>

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

// Ranks the distinct byte strings of `members` (rows holding a text, or a blob) by
// `less`, rows with the same bytes sharing one entry, and entries equal under `same`
// sharing one rank.
template <class Less, class Same>
uint32_t rankStrings(const RowBuffer &rows, size_t column, const std::vector<uint32_t> &members,
                     std::vector<uint32_t> &rank, uint32_t next, Less less, Same same)
{
    std::vector<std::string_view> distinct;
    std::vector<uint32_t> entryOf(members.size());
    std::unordered_map<std::string_view, uint32_t> seen;
    seen.reserve(members.size() / 8 + 16);
    for (size_t k = 0; k < members.size(); ++k) {
        const std::string_view v = rows.bytesAt(members[k], column);
        auto [it, added] = seen.try_emplace(v, uint32_t(distinct.size()));
        if (added)
            distinct.push_back(v);
        entryOf[k] = it->second;
    }
    std::vector<uint32_t> byOrder(distinct.size());
    std::iota(byOrder.begin(), byOrder.end(), 0u);
    std::sort(byOrder.begin(), byOrder.end(), [&](uint32_t a, uint32_t b) { return less(distinct[a], distinct[b]); });
    std::vector<uint32_t> entryRank(distinct.size());
    next = rankSorted(byOrder, entryRank, next, [&](uint32_t a, uint32_t b) { return same(distinct[a], distinct[b]); });
    for (size_t k = 0; k < members.size(); ++k)
        rank[members[k]] = entryRank[entryOf[k]];
    return next;
}

// Each row's rank in SQLite's order of the values of `key.column`; returns one more than
// the highest rank.
uint32_t columnRanks(const RowBuffer &rows, const IndexColumn &key, std::vector<uint32_t> &rank)
{
    const size_t n = rows.rows(), c = key.column;
    std::vector<uint32_t> numbers, texts, blobs;
    for (uint32_t r = 0; r < n; ++r) {
        switch (rows.kindAt(r, c)) {
        case Kind::Null: break;
        case Kind::Int: numbers.push_back(r); break;
        case Kind::Real:
            if (!std::isnan(rows.realAt(r, c)))
                numbers.push_back(r);
            break;
        case Kind::Text: texts.push_back(r); break;
        case Kind::Blob: blobs.push_back(r); break;
        }
    }
    rank.assign(n, 0); // Null
    uint32_t next = 1;
    const bool whole =
        std::all_of(numbers.begin(), numbers.end(), [&](uint32_t r) { return rows.kindAt(r, c) == Kind::Int; });
    int64_t low = 0, high = 0;
    if (whole && !numbers.empty()) {
        const auto [lo, hi] = std::minmax_element(numbers.begin(), numbers.end(), [&](uint32_t a, uint32_t b) {
            return rows.intAt(a, c) < rows.intAt(b, c);
        });
        low = rows.intAt(*lo, c);
        high = rows.intAt(*hi, c);
    }
    const uint64_t span = uint64_t(high) - uint64_t(low); // no overflow in unsigned
    if (whole && !numbers.empty() && span < 4 * uint64_t(numbers.size()) + 1024) {
        // Whole numbers packed in a range not much wider than their count (identifiers,
        // type numbers): ranked by marking each value present, with no sort at all.
        std::vector<uint32_t> rankOfValue(size_t(span) + 1, 0);
        for (uint32_t r : numbers)
            rankOfValue[size_t(uint64_t(rows.intAt(r, c)) - uint64_t(low))] = 1;
        for (uint32_t &v : rankOfValue)
            v = v ? next++ : 0;
        for (uint32_t r : numbers)
            rank[r] = rankOfValue[size_t(uint64_t(rows.intAt(r, c)) - uint64_t(low))];
    } else if (whole) {
        // Other whole numbers, sorted by value without looking at the kinds again.
        std::vector<std::pair<int64_t, uint32_t>> byValue;
        byValue.reserve(numbers.size());
        for (uint32_t r : numbers)
            byValue.push_back({rows.intAt(r, c), r});
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
            rows, c, texts, rank, next, [](std::string_view a, std::string_view b) { return compareGeneral(a, b) < 0; },
            [](std::string_view a, std::string_view b) { return compareGeneral(a, b) == 0; });
    else
        next = rankStrings(rows, c, texts, rank, next, bytesLess, bytesSame);
    return rankStrings(rows, c, blobs, rank, next, bytesLess, bytesSame);
}

} // namespace

std::vector<uint32_t> rowsInIndexOrder(const RowBuffer &rows, const std::vector<IndexColumn> &key)
{
    const size_t n = rows.rows();
    std::vector<uint32_t> order(n), placed(n), rank, start;
    std::iota(order.begin(), order.end(), 0u);
    for (auto column = key.rbegin(); column != key.rend(); ++column) {
        const uint32_t ranks = columnRanks(rows, *column, rank);
        start.assign(size_t(ranks) + 1, 0);
        for (uint32_t r : order)
            ++start[rank[r] + 1];
        std::partial_sum(start.begin(), start.end(), start.begin());
        for (uint32_t r : order)
            placed[start[rank[r]]++] = r;
        order.swap(placed);
    }
    return order;
}

} // namespace db::detail
