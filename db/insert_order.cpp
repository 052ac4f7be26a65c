// Ordering a table's rows by an index's columns. A catalogue repeats few texts over many
// rows (a battery code over its fitments), so each column's distinct texts are sorted
// once and every row is then ordered by whole numbers: the rank of its text, or its value.
#include "db/insert_order_p.h"
#include "db/jet_text_p.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <string_view>
#include <unordered_map>

namespace db::detail {

namespace {

constexpr int64_t kNullKey = std::numeric_limits<int64_t>::min();

// The rank of each row's text in `column` under the General order, 1 for the first;
// texts equal under it ("ab", "AB") share a rank. False when the column holds anything
// but texts and Nulls.
bool textRanks(const RowBuffer &rows, size_t column, std::vector<int64_t> &keys, size_t stride, size_t slot)
{
    const size_t n = rows.rows();
    std::vector<std::string_view> distinct;
    std::vector<uint32_t> valueOfRow(n, UINT32_MAX);
    std::unordered_map<std::string_view, uint32_t> seen;
    seen.reserve(n / 8 + 16);
    for (size_t r = 0; r < n; ++r) {
        std::string_view v;
        switch (rows.kindAt(r, column)) {
        case RowBuffer::Kind::Null: continue;
        case RowBuffer::Kind::Text: rows.textAt(r, column, v); break;
        default: return false;
        }
        auto [it, added] = seen.try_emplace(v, uint32_t(distinct.size()));
        if (added)
            distinct.push_back(v);
        valueOfRow[r] = it->second;
    }
    std::vector<uint32_t> byOrder(distinct.size());
    std::iota(byOrder.begin(), byOrder.end(), 0u);
    std::sort(byOrder.begin(), byOrder.end(),
              [&](uint32_t a, uint32_t b) { return compareGeneral(distinct[a], distinct[b]) < 0; });
    std::vector<int64_t> rankOf(distinct.size(), 0);
    int64_t rank = 0;
    for (size_t k = 0; k < byOrder.size(); ++k) {
        if (k == 0 || compareGeneral(distinct[byOrder[k - 1]], distinct[byOrder[k]]) != 0)
            ++rank;
        rankOf[byOrder[k]] = rank;
    }
    for (size_t r = 0; r < n; ++r)
        keys[r * stride + slot] = valueOfRow[r] == UINT32_MAX ? kNullKey : rankOf[valueOfRow[r]];
    return true;
}

// Each row's whole number in `column`; false when it holds anything but those and Nulls.
bool numberKeys(const RowBuffer &rows, size_t column, std::vector<int64_t> &keys, size_t stride, size_t slot)
{
    for (size_t r = 0; r < rows.rows(); ++r) {
        int64_t v = kNullKey;
        switch (rows.kindAt(r, column)) {
        case RowBuffer::Kind::Null: break;
        case RowBuffer::Kind::Int: v = rows.intAt(r, column); break;
        default: return false;
        }
        keys[r * stride + slot] = v;
    }
    return true;
}

// Rows placed in one counting pass by the rank that leads each row's `stride` keys (Null
// first): the common case of a table ordered by one text column.
std::vector<uint32_t> placedByRank(const std::vector<int64_t> &keys, size_t stride)
{
    const size_t n = keys.size() / stride;
    auto slot = [&](size_t row) { return keys[row * stride] == kNullKey ? size_t(0) : size_t(keys[row * stride]); };
    size_t ranks = 0;
    for (size_t r = 0; r < n; ++r)
        ranks = std::max(ranks, slot(r));
    std::vector<uint32_t> start(ranks + 2, 0);
    for (size_t r = 0; r < n; ++r)
        ++start[slot(r) + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<uint32_t> order(n);
    for (size_t r = 0; r < n; ++r)
        order[start[slot(r)]++] = uint32_t(r);
    return order;
}

} // namespace

std::vector<uint32_t> rowsInIndexOrder(const RowBuffer &rows, const std::vector<size_t> &keyColumns)
{
    const size_t n = rows.rows(), stride = std::max<size_t>(keyColumns.size(), 1);
    std::vector<int64_t> keys(n * stride, kNullKey);
    size_t used = 0;
    bool firstIsText = false;
    for (; used < keyColumns.size(); ++used) {
        // Ranks are tried first: they also say whether the column holds texts at all.
        const size_t c = keyColumns[used];
        const bool text = textRanks(rows, c, keys, stride, used);
        if (!text && !numberKeys(rows, c, keys, stride, used))
            break;
        firstIsText = firstIsText || (used == 0 && text);
    }
    if (used == 1 && firstIsText)
        return placedByRank(keys, stride);
    std::vector<uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    if (used == 0)
        return order;
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const int64_t *ka = &keys[a * stride], *kb = &keys[b * stride];
        return std::lexicographical_compare(ka, ka + used, kb, kb + used);
    });
    return order;
}

} // namespace db::detail
