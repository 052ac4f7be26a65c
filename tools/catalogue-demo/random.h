// The generator's only source of chance: a fixed-seed splitmix64 sequence with its own
// range functions, so the same scale gives the same catalogue on every platform (the
// standard library's distributions are not the same everywhere).
#pragma once

#include <cstdint>
#include <vector>

namespace demo {

class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A whole number in [lo, hi].
    int between(int lo, int hi) { return lo + int(next() % std::uint64_t(hi - lo + 1)); }
    // True with the given chance in percent.
    bool percent(int chance) { return between(0, 99) < chance; }
    template <class T>
    const T &pick(const std::vector<T> &items)
    {
        return items[std::size_t(between(0, int(items.size()) - 1))];
    }

private:
    std::uint64_t m_state;
};

// Share of `total` that falls to item `index` of `count` when it is spread evenly.
inline int evenShare(long long total, long long count, long long index)
{
    return int((index + 1) * total / count - index * total / count);
}

} // namespace demo
