// Folding and comparison for the General order. Comparisons run inside index builds and
// sorts of hundreds of thousands of keys, so ASCII takes a fast path and nothing
// allocates; other code points go through a table built once.
#include "db/jet_text_p.h"

#include <QChar>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace db::detail {

namespace {

// Decodes one UTF-8 sequence; malformed bytes stand for themselves, so any input is
// ordered deterministically.
uint32_t nextCodePoint(const unsigned char *&p, const unsigned char *end)
{
    const unsigned char b = *p++;
    if (b < 0x80)
        return b;
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra == 0 || end - p < extra)
        return b;
    uint32_t c = b & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return b;
        c = (c << 6) | (p[i] & 0x3F);
    }
    p += extra;
    return c;
}

uint32_t foldSlow(uint32_t c)
{
    if (c > 0xFFFF)
        return c;
    QChar ch{char16_t(c)};
    const QString d = ch.decomposition();
    if (!d.isEmpty() && ch.decompositionTag() == QChar::Canonical)
        ch = d.front();
    return QChar::toLower(ch.unicode());
}

const std::array<uint16_t, 0x250> &latinTable()
{
    static const std::array<uint16_t, 0x250> table = [] {
        std::array<uint16_t, 0x250> t{};
        for (uint32_t c = 0; c < t.size(); ++c)
            t[c] = uint16_t(c < 0x80 ? (c >= 'A' && c <= 'Z' ? c + 32 : c) : foldSlow(c));
        // Letters without a canonical decomposition that Jet still files under a base.
        t[0xC6] = t[0xE6] = 'a';
        t[0xD0] = t[0xF0] = 'd';
        t[0xD8] = t[0xF8] = 'o';
        t[0xDF] = 's';
        t[0x110] = t[0x111] = 'd';
        t[0x141] = t[0x142] = 'l';
        return t;
    }();
    return table;
}

std::vector<uint32_t> foldAll(std::string_view s)
{
    std::vector<uint32_t> out;
    out.reserve(s.size());
    auto p = reinterpret_cast<const unsigned char *>(s.data());
    const auto end = p + s.size();
    while (p < end)
        out.push_back(foldCodePoint(nextCodePoint(p, end)));
    return out;
}

// Whether the one-character element of the pattern at `pi` matches `tc`; `next` is set
// to the index after the element.
bool elementMatches(const std::vector<uint32_t> &pat, size_t pi, uint32_t tc, size_t &next)
{
    const uint32_t pc = pat[pi];
    next = pi + 1;
    if (pc == '?')
        return true;
    if (pc == '#')
        return tc >= '0' && tc <= '9';
    if (pc != '[')
        return pc == tc;
    size_t close = pi + 1;
    while (close < pat.size() && pat[close] != ']')
        ++close;
    if (close == pat.size()) // no closing bracket: '[' stands for itself
        return tc == '[';
    next = close + 1;
    size_t k = pi + 1;
    const bool negate = k < close && pat[k] == '!';
    if (negate)
        ++k;
    bool in = false;
    for (; k < close; ++k) {
        if (k + 2 < close && pat[k + 1] == '-') {
            in = in || (tc >= pat[k] && tc <= pat[k + 2]);
            k += 2;
        } else {
            in = in || tc == pat[k];
        }
    }
    return in != negate;
}

// Greedy matching with one back-tracking point per '*': linear in practice and never
// exponential, whatever pattern a statement carries.
bool matchPattern(const std::vector<uint32_t> &pat, const std::vector<uint32_t> &txt)
{
    size_t pi = 0, ti = 0;
    size_t starPi = SIZE_MAX, starTi = 0;
    while (ti < txt.size()) {
        size_t next = 0;
        if (pi < pat.size() && pat[pi] == '*') {
            starPi = ++pi;
            starTi = ti;
        } else if (pi < pat.size() && elementMatches(pat, pi, txt[ti], next)) {
            pi = next;
            ++ti;
        } else if (starPi != SIZE_MAX) {
            pi = starPi;
            ti = ++starTi;
        } else {
            return false;
        }
    }
    while (pi < pat.size() && pat[pi] == '*')
        ++pi;
    return pi == pat.size();
}

} // namespace

uint32_t foldCodePoint(uint32_t c)
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    const auto &t = latinTable();
    return c < t.size() ? t[c] : foldSlow(c);
}

QString orderFingerprintOf(uint32_t (*fold)(uint32_t))
{
    // FNV-1a over the folded forms, four bytes each.
    uint64_t h = 0xCBF29CE484222325ULL;
    for (uint32_t c = 0; c <= 0xFFFF; ++c) {
        const uint32_t f = fold(c);
        for (int k = 0; k < 4; ++k)
            h = (h ^ ((f >> (8 * k)) & 0xFF)) * 0x100000001B3ULL;
    }
    return QString::number(qulonglong(h), 16).rightJustified(16, u'0');
}

QString generalOrderFingerprint()
{
    static const QString fingerprint = orderFingerprintOf(foldCodePoint);
    return fingerprint;
}

int compareGeneral(std::string_view a, std::string_view b)
{
    auto pa = reinterpret_cast<const unsigned char *>(a.data());
    auto pb = reinterpret_cast<const unsigned char *>(b.data());
    const auto ea = pa + a.size(), eb = pb + b.size();
    while (pa < ea && pb < eb) {
        uint32_t ca, cb;
        if (*pa < 0x80 && *pb < 0x80) {
            ca = *pa++;
            cb = *pb++;
            if (ca == cb)
                continue;
            ca = ca - 'A' < 26u ? ca + 32 : ca; // folded here, not called: this is the hot path
            cb = cb - 'A' < 26u ? cb + 32 : cb;
        } else {
            ca = foldCodePoint(nextCodePoint(pa, ea));
            cb = foldCodePoint(nextCodePoint(pb, eb));
        }
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return (pa < ea) - (pb < eb);
}

bool likeGeneral(std::string_view pattern, std::string_view text)
{
    return matchPattern(foldAll(pattern), foldAll(text));
}

} // namespace db::detail
