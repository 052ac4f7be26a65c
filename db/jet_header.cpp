// Page 0 of a Jet file. Bytes 0x18..0x97 (Jet 4; 0x18..0x95 for Jet 3) are XORed with a
// fixed RC4 key stream. Inside that region, once decoded:
//
//   0x14 (whole page)  version: 0 Jet 3, 1 Jet 4, higher values are later engines
//   0x42  40 bytes     Jet 4 password, UTF-16LE, each byte also XORed with the 4 bytes
//                      of the truncated creation-date double at 0x72 (Jet 3: 20 bytes
//                      of 8-bit text, no date mask)
//   0x72  8 bytes      Jet 4 creation date, a little-endian double day number
//
// Nothing here trusts the file: every offset is checked against its length.
#include "db/db_error.h"
#include "db/jet_header_p.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace db::detail {

namespace {

constexpr int kMaskStart = 0x18;
constexpr int kMaskLength = 128;
constexpr char kSignature[] = "Standard Jet DB";

// The RC4 key stream of the key C7 DA 39 6B, computed once.
const std::array<uint8_t, kMaskLength> &headerMask()
{
    static const std::array<uint8_t, kMaskLength> mask = [] {
        std::array<uint8_t, 256> s{};
        const uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
        for (int i = 0; i < 256; ++i)
            s[i] = uint8_t(i);
        for (int i = 0, j = 0; i < 256; ++i) {
            j = (j + s[i] + key[i % 4]) & 0xFF;
            std::swap(s[i], s[j]);
        }
        std::array<uint8_t, kMaskLength> out{};
        for (int n = 0, i = 0, j = 0; n < kMaskLength; ++n) {
            i = (i + 1) & 0xFF;
            j = (j + s[i]) & 0xFF;
            std::swap(s[i], s[j]);
            out[n] = s[(s[i] + s[j]) & 0xFF];
        }
        return out;
    }();
    return mask;
}

} // namespace

QDateTime dateOfDayNumber(double days)
{
    // -657434 is 100-01-01 and 2958465 is 9999-12-31, the range Access accepts.
    if (!std::isfinite(days) || days < -657434.0 || days >= 2958466.0)
        return {};
    const double whole = std::floor(days);
    const qint64 ms = qint64(std::llround((days - whole) * 86400000.0));
    const QDate day = QDate(1899, 12, 30).addDays(qint64(whole));
    return QDateTime(day, QTime(0, 0)).addMSecs(ms);
}

bool looksLikeJetFile(const QByteArray &head)
{
    return head.size() >= 0x15 && head[0] == 0
           && std::memcmp(head.constData() + 4, kSignature, sizeof kSignature - 1) == 0;
}

JetHeader readJetHeader(const QByteArray &file, const QString &path)
{
    constexpr int kPage = 2048; // the smaller (Jet 3) page: a file has at least one
    if (!looksLikeJetFile(file) || file.size() < kPage)
        raiseDbError(DbErrc::Open, QStringLiteral("\"%1\" is not a Jet database (Access .mdb) file.").arg(path));
    const uint8_t version = uint8_t(file[0x14]);
    if (version > 1)
        raiseDbError(
            DbErrc::Open,
            QStringLiteral(
                "\"%1\" is a database of a later Access engine (version %2); only Jet 3 and Jet 4 files can be opened.")
                .arg(path)
                .arg(version));
    if (version == 1 && file.size() < 4096)
        raiseDbError(DbErrc::Format,
                     QStringLiteral("The catalogue file \"%1\" is damaged: it is shorter than one page.").arg(path));

    std::array<uint8_t, kMaskLength> decoded{};
    const auto &mask = headerMask();
    for (int i = 0; i < kMaskLength; ++i)
        decoded[i] = uint8_t(file[kMaskStart + i]) ^ mask[i];
    auto at = [&](int offset) { return decoded[offset - kMaskStart]; };

    JetHeader header;
    if (version == 0) {
        header.version = JetVersion::Jet3;
        QByteArray bytes;
        for (int i = 0; i < 20 && at(0x42 + i) != 0; ++i)
            bytes += char(at(0x42 + i));
        header.password = QString::fromLatin1(bytes);
        return header;
    }

    header.version = JetVersion::Jet4;
    double created = 0;
    uint8_t dateBytes[8];
    for (int i = 0; i < 8; ++i)
        dateBytes[i] = at(0x72 + i);
    std::memcpy(&created, dateBytes, 8);
    header.created = dateOfDayNumber(created);
    // The mask is the date truncated to a 32-bit integer; a damaged date must not be UB.
    uint32_t m = 0;
    if (std::isfinite(created) && created > -2147483648.0 && created < 2147483648.0)
        m = uint32_t(int32_t(created));
    const uint8_t dateMask[4] = {uint8_t(m), uint8_t(m >> 8), uint8_t(m >> 16), uint8_t(m >> 24)};
    for (int i = 0; i < 40; i += 2) {
        const uint16_t unit =
            uint16_t((at(0x42 + i) ^ dateMask[i % 4]) | ((at(0x42 + i + 1) ^ dateMask[(i + 1) % 4]) << 8));
        if (unit == 0)
            break;
        header.password += QChar(unit);
    }
    return header;
}

} // namespace db::detail
