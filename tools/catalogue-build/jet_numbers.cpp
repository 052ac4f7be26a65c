// The fixed-size values the writer takes as text: Decimal and GUID.
//
// A Decimal is 17 bytes: a sign byte (0x80 negative), then the unscaled magnitude as four
// little-endian 32-bit words, the most significant word first; a precision of 28 digits
// keeps the highest word zero. A GUID is 16 bytes in the layout of the Windows GUID
// structure: the first three groups of its text little-endian, the last two byte by byte.
#include "tools/catalogue-build/jet_format_p.h"

namespace jet::detail {

std::string encodeDecimal(const std::u16string &text, int precision, int scale)
{
    std::u16string_view v(text);
    const bool negative = !v.empty() && v.front() == u'-';
    if (!v.empty() && (v.front() == u'-' || v.front() == u'+'))
        v.remove_prefix(1);
    const std::size_t point = v.find(u'.');
    std::u16string_view whole = v.substr(0, point);
    std::u16string_view fraction = point == std::u16string_view::npos ? std::u16string_view() : v.substr(point + 1);
    auto allDigits = [](std::u16string_view s) {
        for (char16_t c : s)
            if (c < u'0' || c > u'9')
                return false;
        return true;
    };
    if ((whole.empty() && fraction.empty()) || !allDigits(whole) || !allDigits(fraction))
        throw JetError("\"" + std::string(text.begin(), text.end()) + "\" is not a decimal number");
    while (!fraction.empty() && fraction.back() == u'0')
        fraction.remove_suffix(1);
    while (!whole.empty() && whole.front() == u'0')
        whole.remove_prefix(1);
    if (fraction.size() > std::size_t(scale) || whole.size() + std::size_t(scale) > std::size_t(precision))
        throw JetError("a decimal(" + std::to_string(precision) + "," + std::to_string(scale)
                       + ") column holds at most " + std::to_string(precision - scale) + " digits before the point and "
                       + std::to_string(scale) + " after it");
    // The unscaled magnitude, least significant word first while it is built.
    std::uint32_t words[3] = {};
    auto push = [&](unsigned digit) {
        std::uint64_t carry = digit;
        for (std::uint32_t &w : words) {
            const std::uint64_t x = std::uint64_t(w) * 10 + carry;
            w = std::uint32_t(x);
            carry = x >> 32;
        }
    };
    bool zero = true;
    for (char16_t c : whole) {
        push(unsigned(c - u'0'));
        zero = false;
    }
    for (int i = 0; i < scale; ++i) {
        const unsigned d = std::size_t(i) < fraction.size() ? unsigned(fraction[std::size_t(i)] - u'0') : 0;
        push(d);
        zero = zero && d == 0;
    }
    std::string out(17, '\0');
    auto *p = reinterpret_cast<std::uint8_t *>(out.data());
    p[0] = negative && !zero ? 0x80 : 0x00;
    put32(p + 5, words[2]);
    put32(p + 9, words[1]);
    put32(p + 13, words[0]);
    return out;
}

std::string encodeGuid(const std::u16string &text)
{
    // Where each byte of the value stands in the text's 32 hex digits, in pairs.
    static constexpr int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    auto refuse = [&] {
        return JetError("\"" + std::string(text.begin(), text.end())
                        + "\" is not a GUID ({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX})");
    };
    if (text.size() != 38 || text.front() != u'{' || text.back() != u'}')
        throw refuse();
    std::string hex;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash != (text[i] == u'-'))
            throw refuse();
        if (!dash)
            hex.push_back(char(text[i]));
    }
    auto nibble = [&](char c) -> std::uint8_t {
        if (c >= '0' && c <= '9')
            return std::uint8_t(c - '0');
        if (c >= 'A' && c <= 'F')
            return std::uint8_t(c - 'A' + 10);
        if (c >= 'a' && c <= 'f')
            return std::uint8_t(c - 'a' + 10);
        throw refuse();
    };
    std::string out(16, '\0');
    for (int i = 0; i < 16; ++i)
        out[std::size_t(order[i])] = char(nibble(hex[std::size_t(2 * i)]) << 4 | nibble(hex[std::size_t(2 * i + 1)]));
    return out;
}

} // namespace jet::detail
