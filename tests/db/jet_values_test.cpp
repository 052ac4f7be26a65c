// The decoders of the rarer Jet types against values worked out independently: Decimal
// bytes built from their digits by multiplication (the decoder divides), floats checked
// by reading the text back, GUIDs and Windows-1252 bytes against their published forms.
#include "db/jet_values_p.h"
#include "db/number_text_p.h"
#include "platform/ansi_codepage.h"

#include <QString>
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace db::detail;

namespace {

// The 17 bytes of a Decimal whose unscaled magnitude is the decimal `digits`.
std::vector<unsigned char> decimalBytes(const char *digits, bool negative = false)
{
    unsigned __int128 m = 0;
    for (const char *d = digits; *d; ++d)
        m = m * 10 + unsigned(*d - '0');
    std::vector<unsigned char> b(kDecimalBytes, 0);
    b[0] = negative ? 0x80 : 0;
    for (int w = 0; w < 4; ++w) { // the most significant word first, each little-endian
        const auto word = uint32_t(m >> (32 * (3 - w)));
        for (int k = 0; k < 4; ++k)
            b[size_t(1 + 4 * w + k)] = uint8_t(word >> (8 * k));
    }
    return b;
}

TEST(JetValues, DecimalsBecomeExactNumbers)
{
    using Kind = RowBuffer::Kind;
    const struct {
        const char *name;
        const char *magnitude;
        bool negative;
        int scale;
        const char *text; // as decimalText gives it
        Kind kind;
    } cases[] = {
        {"one", "1", false, 0, "1", Kind::Int},
        {"minus one", "1", true, 0, "-1", Kind::Int},
        {"zero", "0", false, 0, "0", Kind::Int},
        {"negative zero", "0", true, 4, "0", Kind::Int},
        {"two decimals", "12345", false, 2, "123.45", Kind::Real},
        {"trailing zeros dropped", "1500", false, 3, "1.5", Kind::Real},
        {"whole value with a scale", "400", true, 2, "-4", Kind::Int},
        {"fraction below one", "5", false, 4, "0.0005", Kind::Real},
        {"fifteen digits", "123456789012345", false, 3, "123456789012.345", Kind::Real},
        {"sixteen digits", "1234567890123456", false, 3, "1234567890123.456", Kind::Text},
        {"largest 64-bit whole", "9223372036854775807", false, 0, "9223372036854775807", Kind::Int},
        {"past 64 bits, few digits", "100000000000000000000", false, 0, "100000000000000000000", Kind::Real},
        {"past 64 bits, many digits", "9223372036854775809", true, 0, "-9223372036854775809", Kind::Text},
        {"28 digits", "9999999999999999999999999999", false, 10, "999999999999999999.9999999999", Kind::Text},
        {"28 digits, all after the point", "1000000000000000000000000001", false, 28, "0.1000000000000000000000000001",
         Kind::Text},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto bytes = decimalBytes(c.magnitude, c.negative);
        EXPECT_EQ(decimalText(bytes.data(), c.scale), c.text);
        RowBuffer rows(1);
        rows.beginRow();
        ASSERT_TRUE(setDecimal(rows, 0, bytes.data(), c.scale));
        ASSERT_EQ(rows.kindAt(0, 0), c.kind);
        std::string_view text;
        switch (c.kind) {
        case Kind::Int: EXPECT_EQ(std::to_string(rows.intAt(0, 0)), c.text); break;
        case Kind::Real: EXPECT_EQ(formatNumber(rows.realAt(0, 0)).toStdString(), c.text); break;
        default:
            ASSERT_TRUE(rows.textAt(0, 0, text));
            EXPECT_EQ(text, c.text);
            break;
        }
    }
}

TEST(JetValues, DecimalsADecimalCannotHoldAreRefused)
{
    const struct {
        const char *name;
        const char *magnitude;
        int scale;
    } cases[] = {
        {"29 digits", "10000000000000000000000000000", 0},
        {"the highest word set", "79228162514264337593543950336", 0},
        {"scale beyond 28", "1", 29},
        {"negative scale", "1", -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto bytes = decimalBytes(c.magnitude);
        EXPECT_EQ(decimalText(bytes.data(), c.scale), "");
        RowBuffer rows(1);
        rows.beginRow();
        EXPECT_FALSE(setDecimal(rows, 0, bytes.data(), c.scale));
    }
}

TEST(JetValues, SinglesPrintAsTheirShortestText)
{
    const struct {
        float value;
        const char *text;
    } cases[] = {
        {1.1f, "1.1"},    {60.5f, "60.5"}, {0.3f, "0.3"}, {-12.7f, "-12.7"}, {16777216.0f, "16777216"},
        {1e-7f, "1e-07"}, {0.0f, "0"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatNumber(singleAsDouble(c.value)).toStdString(), c.text) << c.text;
    EXPECT_TRUE(std::isnan(singleAsDouble(std::numeric_limits<float>::quiet_NaN())));
    EXPECT_EQ(singleAsDouble(-std::numeric_limits<float>::infinity()), -std::numeric_limits<double>::infinity());
}

TEST(JetValues, SinglesKeepTheirValueAndOrder)
{
    // Random bit patterns across the whole range, denormals and the extremes included:
    // each double goes back to its float, and neighbours stay in order.
    std::mt19937 random(24);
    std::vector<float> floats = {std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::min(),
                                 std::numeric_limits<float>::max(), -std::numeric_limits<float>::max()};
    while (floats.size() < 20000) {
        const uint32_t bits = random();
        float f;
        std::memcpy(&f, &bits, 4);
        if (std::isfinite(f))
            floats.push_back(f);
    }
    for (size_t i = 0, n = floats.size(); i < n; ++i)
        floats.push_back(std::nextafter(floats[i], std::numeric_limits<float>::infinity()));
    std::sort(floats.begin(), floats.end());
    for (size_t i = 0; i < floats.size(); ++i) {
        const double d = singleAsDouble(floats[i]);
        ASSERT_EQ(float(d), floats[i]) << floats[i];
        if (i > 0 && floats[i - 1] < floats[i]) {
            ASSERT_LT(singleAsDouble(floats[i - 1]), d) << floats[i];
        }
    }
}

TEST(JetValues, GuidsInTheWindowsGrouping)
{
    const struct {
        unsigned char bytes[kGuidBytes];
        const char *text;
    } cases[] = {
        {{0x6A, 0x27, 0x39, 0x8E, 0xA8, 0xBC, 0xC4, 0x4A, 0x89, 0x1E, 0x49, 0x91, 0x1D, 0x84, 0x38, 0xDD},
         "{8E39276A-BCA8-4AC4-891E-49911D8438DD}"},
        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, "{03020100-0504-0706-0809-0A0B0C0D0E0F}"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(guidText(c.bytes), c.text);
}

TEST(JetValues, Jet3TextKeepsEveryByte)
{
    const struct {
        const char *name;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"ASCII", "Batteria 12V", "Batteria 12V"},
        {"Latin-1 range", "Citt\xE0 Fal\xF2", QString::fromUtf8("Città Falò")},
        {"code page specials", "\x80 \x8A \x9F", QString::fromUtf8("€ Š Ÿ")},
        {"bytes the code page leaves unassigned", "\x81\x8D\x8F\x90\x9D",
         QString(QChar(0x81)) + QChar(0x8D) + QChar(0x8F) + QChar(0x90) + QChar(0x9D)},
    };
    for (const auto &c : cases) {
        const QByteArray utf8 =
            codePageText(reinterpret_cast<const unsigned char *>(c.bytes.constData()), size_t(c.bytes.size()));
        EXPECT_EQ(QString::fromUtf8(utf8), c.text) << c.name;
    }
}

// Every byte of Jet 3 text comes back as the same byte where the program writes
// Windows-1252 again (the grid exchange file): none turns into '?' on the way.
TEST(JetValues, Jet3TextGoesBackToTheSameBytes)
{
    QByteArray every(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        every[b] = char(b);
    const QString text = QString::fromUtf8(
        codePageText(reinterpret_cast<const unsigned char *>(every.constData()), size_t(every.size())));
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.count(u'?'), 1) << "only '?' itself";
    EXPECT_EQ(ToAnsi(text), every);
}

} // namespace
