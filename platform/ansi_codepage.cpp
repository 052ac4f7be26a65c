// Windows-1252 conversion by table: bytes 0x80..0x9F differ from Latin-1, the rest match.
#include "platform/ansi_codepage.h"

namespace {

// Unicode of bytes 0x80..0x9F; the unassigned ones map to their C1 control, as Windows'
// own conversion does.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char toByte(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == u)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

// Both conversions write through a buffer sized once: the grid exchange file passes every
// value of every grid load through them, and appending character by character was most
// of the cost of a load.
QByteArray ToAnsi(const QString &text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char *o = out.data();
    const auto *p = reinterpret_cast<const char16_t *>(text.constData());
    const auto *end = p + text.size();
    for (; p < end; ++p) {
        const char16_t u = *p;
        if (u < 0x80) {
            *o++ = char(u);
        } else if (QChar::isHighSurrogate(u) && p + 1 < end && QChar::isLowSurrogate(p[1])) {
            *o++ = '?'; // one character outside the code page, not two
            ++p;
        } else {
            *o++ = toByte(u);
        }
    }
    out.truncate(o - out.constData());
    return out;
}

QString FromAnsi(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    auto *o = reinterpret_cast<char16_t *>(out.data());
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *o++ = u >= 0x80 && u < 0xA0 ? kHigh[u - 0x80] : char16_t(u);
    }
    return out;
}
