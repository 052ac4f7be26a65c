// Windows-1252 conversion by table: bytes 0x80..0x9F differ from Latin-1, the rest match.
#include "platform/ansi_codepage.h"

namespace {

// Unicode of bytes 0x80..0x9F; the unassigned ones map to their C1 control, as Windows'
// own conversion does.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
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

QByteArray ToAnsi(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append('?'); // one character outside the code page, not two
            ++i;
            continue;
        }
        out.append(toByte(c.unicode()));
    }
    return out;
}

QString FromAnsi(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        out.append(QChar(u >= 0x80 && u < 0xA0 ? kHigh[u - 0x80] : char16_t(u)));
    }
    return out;
}
