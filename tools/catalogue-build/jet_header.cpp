// Page 0 of a Jet 4 file, the text encodings and the day numbers of dates.
//
// Page 0 bytes 0x18..0x97 are stored XORed with the RC4 key stream of a fixed key; the
// password inside that region is XORed again with the integer part of the creation date.
// Readers undo both, so the decoded layout is built first and masked last.
#include "tools/catalogue-build/jet_format_p.h"

#include <array>
#include <cmath>

namespace jet {

double dayNumber(int year, int month, int day, int hour, int minute, double second)
{
    // Days from 1970-01-01 by the civil-from-days inverse (Howard Hinnant's algorithm).
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days1970 = long(era) * 146097 + doe - 719468;
    // 1899-12-30 is 25569 days before 1970-01-01.
    return double(days1970 + 25569) + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

namespace detail {

void appendUtf16(std::string &out, const std::u16string &text)
{
    for (char16_t c : text) {
        out.push_back(char(c & 0xFF));
        out.push_back(char(c >> 8));
    }
}

std::string encodeText(const std::u16string &text, bool compressible)
{
    // Longer or wider texts stay UTF-16: the one-byte form without mode toggles is the
    // form every reader decodes the same way.
    bool oneByte = compressible && text.size() > 2 && text.size() <= 1024;
    for (std::size_t i = 0; oneByte && i < text.size(); ++i)
        oneByte = text[i] >= 0x01 && text[i] <= 0xFF;
    std::string out;
    if (oneByte) {
        out.reserve(text.size() + 2);
        out += "\xFF\xFE";
        for (char16_t c : text)
            out.push_back(char(c));
    } else {
        out.reserve(text.size() * 2);
        appendUtf16(out, text);
    }
    return out;
}

namespace {

std::array<std::uint8_t, 128> headerKeyStream()
{
    const std::uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    std::array<std::uint8_t, 256> s;
    for (int i = 0; i < 256; ++i)
        s[i] = std::uint8_t(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    std::array<std::uint8_t, 128> out;
    for (int n = 0, i = 0, j = 0; n < 128; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        out[n] = s[(s[i] + s[j]) & 0xFF];
    }
    return out;
}

} // namespace

std::vector<std::uint8_t> headerPage(const DatabaseOptions &options)
{
    std::vector<std::uint8_t> page(kPageSize, 0);
    std::uint8_t *p = page.data();
    p[1] = 0x01;
    std::memcpy(p + 0x04, "Standard Jet DB", 15);
    p[0x14] = 0x01; // Jet 4
    // Constant seen in every file made by the engine; no reader interprets it.
    const std::uint8_t constant[24] = {0, 1, 0, 0, 1, 1, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0};
    std::memcpy(p + 0x18, constant, sizeof constant);
    put16(p + 0x3C, 1252); // default code page
    // 0x3E, the page encoding key, stays 0: pages are not encrypted.
    std::string password;
    appendUtf16(password, options.password);
    password.resize(40, '\0');
    const auto mask = std::uint32_t(std::int32_t(std::trunc(options.creationDate)));
    for (int i = 0; i < 40; ++i)
        p[0x42 + i] = std::uint8_t(password[i]) ^ std::uint8_t(mask >> (8 * (i % 4)));
    put32(p + 0x6A, 0x21AA);
    put16(p + 0x6E, 0x0409); // sort order "General"
    putDouble(p + 0x72, options.creationDate);
    const auto keyStream = headerKeyStream();
    for (int i = 0; i < 128; ++i)
        p[0x18 + i] ^= keyStream[i];
    // Outside the masked region, as the engine leaves it.
    put32(p + 0x98, 0x0654);
    std::memcpy(p + 0x9C, "4.0", 4);
    for (std::size_t i = 0xE00; i < kPageSize; i += 2)
        p[i + 1] = 0x01;
    p[0xE00] = 0x01;
    return page;
}

} // namespace detail
} // namespace jet
