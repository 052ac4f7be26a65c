// Numbered values and their pairs. A catalogue holds about 330,000 pairs of this kind and
// about 90,000 distinct values in them, most of them whole numbers; numbering the others
// is one hash lookup per value, the rest is sorting and merging 64-bit integers.
#include "report/value_pairs.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace catalog::report {

namespace {

// Numbers of plain whole numbers have the top bit set; the others count up from 0.
constexpr uint32_t kWhole = 1u << 31;

// The value of a text of one to nine digits without a leading zero ("0" itself is one):
// such a text and its value stand for each other, so the value can number the text.
std::optional<uint32_t> plainWhole(const QString &text)
{
    const qsizetype n = text.size();
    if (n == 0 || n > 9 || (n > 1 && text[0] == u'0'))
        return std::nullopt;
    uint32_t value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + uint32_t(c.unicode() - u'0');
    }
    return value;
}

} // namespace

ValueNumbers::ValueNumbers() { m_values.emplace_back(); } // 0 is Null

QString ValueNumbers::text(uint32_t number) const
{
    if (number & kWhole)
        return QString::number(number & ~kWhole);
    return m_values[number].value_or(QString());
}

uint32_t ValueNumbers::of(const Value &value)
{
    if (!value)
        return 0;
    if (const std::optional<uint32_t> whole = plainWhole(*value))
        return kWhole | *whole;
    const auto found = m_numbers.constFind(*value);
    if (found != m_numbers.cend())
        return *found;
    const auto number = uint32_t(m_values.size());
    m_values.push_back(value);
    m_numbers.insert(*value, number);
    return number;
}

namespace {

void sortOnce(PairSet &pairs)
{
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
}

} // namespace

PairSet PairsOf(const Table &table, int a, int b, ValueNumbers &numbers)
{
    PairSet pairs;
    if (a < 0 || b < 0)
        return pairs;
    pairs.reserve(table.rows.size());
    // Rows come grouped (a type's fitments, a vehicle's relations): a value that shares
    // the text of the one above, as the database layer hands repeats over, keeps its
    // number without a lookup. The rows live on, so a text seen at an address is still
    // the one there.
    struct Above {
        const QChar *text = nullptr;
        qsizetype size = 0;
        uint32_t number = 0;
    } aboveA, aboveB;
    auto numberOf = [&](const Value &v, Above &above) {
        if (v && !v->isEmpty() && v->constData() == above.text && v->size() == above.size)
            return above.number;
        above = {v ? v->constData() : nullptr, v ? v->size() : 0, numbers.of(v)};
        return above.number;
    };
    for (const Row &row : table.rows)
        pairs.push_back(makePair(numberOf(row[size_t(a)], aboveA), numberOf(row[size_t(b)], aboveB)));
    sortOnce(pairs);
    return pairs;
}

PairSet NullAsEmpty(PairSet pairs, ValueNumbers &numbers)
{
    const auto hasNull = [](ValuePair p) { return firstOf(p) == 0 || secondOf(p) == 0; };
    if (std::none_of(pairs.begin(), pairs.end(), hasNull))
        return pairs;
    const uint32_t empty = numbers.of(QString());
    for (ValuePair &p : pairs) {
        if (hasNull(p))
            p = makePair(firstOf(p) ? firstOf(p) : empty, secondOf(p) ? secondOf(p) : empty);
    }
    sortOnce(pairs);
    return pairs;
}

PairSet Without(const PairSet &a, const PairSet &b)
{
    PairSet out;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

void AppendSeconds(const PairSet &pairs, uint32_t first, std::vector<uint32_t> &out)
{
    for (auto it = std::lower_bound(pairs.begin(), pairs.end(), makePair(first, 0));
         it != pairs.end() && firstOf(*it) == first; ++it)
        out.push_back(secondOf(*it));
}

} // namespace catalog::report
