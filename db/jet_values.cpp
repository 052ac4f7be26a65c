// Decoding of the rarer Jet value types.
//
// A Decimal takes 17 bytes in the fixed part of a row: a sign byte (0x80 negative), then
// the unscaled magnitude as four little-endian 32-bit words, the most significant word
// first. Access keeps at most 28 digits, which fit the three lower words. Precision and
// scale come from the column's definition, not from the value.
#include "db/jet_values_p.h"
#include "platform/ansi_codepage.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace db::detail {

namespace {

inline constexpr int kMaxDecimalDigits = 28;

uint32_t word(const unsigned char *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Digits between the first and the last that are not zero.
int significantDigits(std::string_view text)
{
    const size_t first = text.find_first_of("123456789");
    if (first == std::string_view::npos)
        return 0;
    const size_t last = text.find_last_of("123456789");
    int n = 0;
    for (size_t i = first; i <= last; ++i)
        n += text[i] != '.';
    return n;
}

} // namespace

std::string decimalText(const unsigned char *value, int scale)
{
    if (scale < 0 || scale > kMaxDecimalDigits)
        return {};
    uint32_t words[4] = {word(value + 1), word(value + 5), word(value + 9), word(value + 13)};
    // Long division by ten, most significant word first, gives the digits last first.
    std::string digits;
    for (bool more = true; more;) {
        uint64_t rest = 0;
        more = false;
        for (uint32_t &w : words) {
            const uint64_t part = rest << 32 | w;
            w = uint32_t(part / 10);
            rest = part % 10;
            more = more || w != 0;
        }
        digits.insert(digits.begin(), char('0' + rest));
    }
    if (digits.size() > size_t(kMaxDecimalDigits))
        return {};
    if (digits.size() <= size_t(scale))
        digits.insert(0, size_t(scale) + 1 - digits.size(), '0');
    std::string whole = digits.substr(0, digits.size() - size_t(scale));
    std::string fraction = digits.substr(digits.size() - size_t(scale));
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    const bool zero = whole == "0" && fraction.empty();
    std::string text = (value[0] & 0x80) && !zero ? "-" : "";
    text += whole;
    if (!fraction.empty())
        text += '.' + fraction;
    return text;
}

bool setDecimal(RowBuffer &rows, size_t column, const unsigned char *value, int scale)
{
    const std::string text = decimalText(value, scale);
    if (text.empty())
        return false;
    const char *begin = text.data(), *end = text.data() + text.size();
    if (text.find('.') == std::string::npos) {
        int64_t whole = 0;
        if (const auto r = std::from_chars(begin, end, whole); r.ec == std::errc() && r.ptr == end) {
            rows.setInt(column, whole);
            return true;
        }
    }
    if (significantDigits(text) <= 15) {
        double real = 0;
        std::from_chars(begin, end, real);
        rows.setReal(column, real);
    } else {
        rows.setText(column, text);
    }
    return true;
}

double singleAsDouble(float value)
{
    if (!std::isfinite(value))
        return double(value);
    char buf[64];
    const auto written = std::to_chars(buf, buf + sizeof buf, value);
    double nearest = double(value);
    std::from_chars(buf, written.ptr, nearest);
    return nearest;
}

std::string guidText(const unsigned char *value)
{
    // Byte order of the text: Data1 (4 bytes, little-endian), Data2 and Data3 (2 each,
    // little-endian), then 2 and 6 bytes as stored.
    static constexpr int order[kGuidBytes] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string text = "{";
    for (int i = 0; i < kGuidBytes; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        const unsigned char b = value[order[i]];
        text += hex[b >> 4];
        text += hex[b & 0x0F];
    }
    return text + '}';
}

QByteArray codePageText(const unsigned char *bytes, size_t size)
{
    return FromAnsi(QByteArrayView(bytes, qsizetype(size))).toUtf8();
}

} // namespace db::detail
