// Two-column relations of a catalogue (ktypnr and codice, idVeicolo and ktypnr) as sorted
// sets of numbered pairs. Comparing two large catalogues this way costs one hash lookup
// per value and a sort of integers, instead of a hash of texts per row.
#pragma once

#include "report/catalogue_tables.h"

#include <QHash>
#include <cstdint>
#include <vector>

namespace catalog::report {

// Each distinct value numbered once, for every table read through the same numbering.
// Null has a number of its own, apart from the empty text. A whole number written plainly
// (the type numbers and vehicle ids) is its own number, found without a lookup.
class ValueNumbers {
public:
    ValueNumbers();
    uint32_t of(const Value &value);
    // The value as the reports show it in keys: Null as the empty text.
    QString text(uint32_t number) const;

private:
    std::vector<Value> m_values; // by number, those not whole
    QHash<QString, uint32_t> m_numbers;
};

// A pair of value numbers, first in the high half: sorting pairs sorts by first.
using ValuePair = uint64_t;
inline ValuePair makePair(uint32_t first, uint32_t second) { return ValuePair(first) << 32 | second; }
inline uint32_t firstOf(ValuePair p) { return uint32_t(p >> 32); }
inline uint32_t secondOf(ValuePair p) { return uint32_t(p); }

// Sorted, each pair once.
using PairSet = std::vector<ValuePair>;

// The pairs (column a, column b) of the table's rows; empty when a column is missing (-1).
PairSet PairsOf(const Table &table, int a, int b, ValueNumbers &numbers);

// The same pairs with Null taken as the empty text, as the codes of a vehicle are gathered.
PairSet NullAsEmpty(PairSet pairs, ValueNumbers &numbers);

// The pairs of `a` that are not in `b`.
PairSet Without(const PairSet &a, const PairSet &b);

// The seconds of the pairs whose first is `first`, appended to `out`.
void AppendSeconds(const PairSet &pairs, uint32_t first, std::vector<uint32_t> &out);

} // namespace catalog::report
