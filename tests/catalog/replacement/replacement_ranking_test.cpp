// The replacement finder's fit test and ranking, on small hand-made tables of batteries:
// each ranking rule in a case of its own where it alone decides the order, the fit at
// its exact boundaries, measures written as people write them, and the difference texts.
#include "catalog/replacement/replacement_ranking.h"

#include <QStringList>
#include <gtest/gtest.h>

using catalog::OldBattery;
using catalog::ReplacementCandidate;

namespace {

ReplacementCandidate battery(const char *code, const char *l, const char *w, const char *h, const char *polarity = "DX",
                             const char *holdDown = "B13", const char *capacity = "60", const char *discharge = "540",
                             const char *order = "1")
{
    ReplacementCandidate b;
    b.range = QStringLiteral("Gamma");
    b.code = QString::fromUtf8(code);
    b.length = QString::fromUtf8(l);
    b.width = QString::fromUtf8(w);
    b.height = QString::fromUtf8(h);
    b.polarity = QString::fromUtf8(polarity);
    b.holdDown = QString::fromUtf8(holdDown);
    b.capacity = QString::fromUtf8(capacity);
    b.discharge = QString::fromUtf8(discharge);
    b.order = QString::fromUtf8(order);
    return b;
}

// The customer's battery of the examples: 242 x 175 x 190, DX, B13, 60 Ah 540 A.
OldBattery customerBattery()
{
    OldBattery old;
    old.length = 242;
    old.width = 175;
    old.height = 190;
    old.polarity = QStringLiteral("DX");
    old.holdDown = QStringLiteral("B13");
    old.capacity = 60;
    old.discharge = 540;
    return old;
}

QStringList codesOf(const catalog::ReplacementResult &result)
{
    QStringList codes;
    for (const catalog::RankedReplacement &r : result.fits)
        codes << r.battery.code;
    return codes;
}

struct RankCase {
    const char *name;
    OldBattery old;
    std::vector<ReplacementCandidate> batteries; // listed worst first, so a sort is needed
    QStringList expected;
};

// `b` with the shop's quantity of it.
ReplacementCandidate stocked(ReplacementCandidate b, std::optional<int> quantity)
{
    b.stock = quantity;
    return b;
}

OldBattery without(void (*change)(OldBattery &))
{
    OldBattery old = customerBattery();
    change(old);
    return old;
}

TEST(ReplacementRanking, EachRuleDecidesWhenTheOnesBeforeItTie)
{
    // In every case the battery expected second would win on every later rule.
    const RankCase cases[] = {
        {"same polarity first, before any spare space",
         customerBattery(),
         {battery("SX0", "242", "175", "190", "SX"), battery("DX12", "230", "175", "190", "DX")},
         {"DX12", "SX0"}},
        {"polarity compared without case or blanks",
         customerBattery(),
         {battery("SX0", "242", "175", "190", "SX"), battery("dx12", "230", "175", "190", " dx ")},
         {"dx12", "SX0"}},
        {"polarity field empty: no polarity rule",
         without([](OldBattery &o) { o.polarity.clear(); }),
         {battery("DX12", "230", "175", "190", "DX"), battery("SX0", "242", "175", "190", "SX")},
         {"SX0", "DX12"}},
        {"same hold-down first, before the ratings",
         customerBattery(),
         {battery("B0", "242", "175", "190", "DX", "B0", "70", "600"),
          battery("B13weak", "242", "175", "190", "DX", "B13", "50", "400")},
         {"B13weak", "B0"}},
        {"like for like or better first, before spare space",
         customerBattery(),
         {battery("weak", "242", "175", "190", "DX", "B13", "56", "540"),
          battery("equal", "230", "170", "180", "DX", "B13", "60", "540")},
         {"equal", "weak"}},
        {"less discharge is not like for like",
         customerBattery(),
         {battery("weak", "242", "175", "190", "DX", "B13", "70", "500"),
          battery("better", "230", "175", "190", "DX", "B13", "61", "541")},
         {"better", "weak"}},
        {"ratings empty: no like-for-like rule",
         without([](OldBattery &o) {
             o.capacity.reset();
             o.discharge.reset();
         }),
         {battery("strong", "230", "175", "190", "DX", "B13", "90", "900"),
          battery("weak", "242", "175", "190", "DX", "B13", "40", "300")},
         {"weak", "strong"}},
        {"like for like or better first, before the shop's stock",
         customerBattery(),
         {stocked(battery("weak", "242", "175", "190", "DX", "B13", "56", "540"), 4),
          stocked(battery("equal", "230", "170", "180", "DX", "B13", "60", "540"), 0)},
         {"equal", "weak"}},
        {"in stock first, before spare space",
         customerBattery(),
         {stocked(battery("tight", "242", "175", "190"), 0), stocked(battery("roomy", "230", "170", "180"), 1)},
         {"roomy", "tight"}},
        {"a negative quantity is none",
         customerBattery(),
         {stocked(battery("owed", "242", "175", "190"), -2), stocked(battery("roomy", "230", "170", "180"), 2)},
         {"roomy", "owed"}},
        {"stock not known: no stock rule",
         customerBattery(),
         {battery("roomy", "230", "170", "180"), battery("tight", "242", "175", "190")},
         {"tight", "roomy"}},
        {"least spare space first, before ORDINE",
         customerBattery(),
         {battery("spare3", "241", "174", "189", "DX", "B13", "60", "540", "1"),
          battery("spare2", "240", "175", "190", "DX", "B13", "60", "540", "9")},
         {"spare2", "spare3"}},
        {"ORDINE as numbers, before CODICE",
         customerBattery(),
         {battery("A10", "242", "175", "190", "DX", "B13", "60", "540", "10"),
          battery("Z9", "242", "175", "190", "DX", "B13", "60", "540", "9")},
         {"Z9", "A10"}},
        {"CODICE last",
         customerBattery(),
         {battery("KB", "242", "175", "190", "DX", "B13", "60", "540", "5"),
          battery("ka", "242", "175", "190", "DX", "B13", "60", "540", "5")},
         {"ka", "KB"}},
    };
    for (const RankCase &c : cases) {
        const catalog::ReplacementResult result = catalog::rankReplacements(c.batteries, c.old);
        EXPECT_EQ(codesOf(result), c.expected) << c.name;
        EXPECT_EQ(result.unmeasured, 0) << c.name;
    }
}

TEST(ReplacementRanking, MarksWhatDiffersFromTheOldBattery)
{
    const auto result =
        catalog::rankReplacements({battery("X", "240", "175", "185", "SX", "B0", "56", "600")}, customerBattery());
    ASSERT_EQ(result.fits.size(), 1u);
    const catalog::RankedReplacement &r = result.fits[0];
    EXPECT_TRUE(r.polarityDiffers);
    EXPECT_TRUE(r.holdDownDiffers);
    EXPECT_TRUE(r.weakerCapacity);
    EXPECT_FALSE(r.weakerDischarge);
    EXPECT_DOUBLE_EQ(r.spareSpace, 2 + 0 + 5);
}

struct FitCase {
    const char *name;
    OldBattery old;
    ReplacementCandidate candidate;
    bool listed;
    int unmeasured;
};

TEST(ReplacementRanking, FitsAtTheBoundaryAndReadsMeasuresAsNumbers)
{
    const OldBattery old = customerBattery();
    const OldBattery tolerant = without([](OldBattery &o) { o.heightTolerance = 5; });
    const OldBattery noLength = without([](OldBattery &o) { o.length.reset(); });
    const OldBattery nothingKnown = without([](OldBattery &o) {
        o.length.reset();
        o.width.reset();
        o.height.reset();
    });
    ReplacementCandidate pointer = battery("KP074", "", "", "");
    pointer.oldCode = QStringLiteral("KP072");
    ReplacementCandidate measuredOldCode = battery("KP075", "242", "175", "190");
    measuredOldCode.oldCode = QStringLiteral("KP073");
    const FitCase cases[] = {
        {"equal measures fit", old, battery("A", "242", "175", "190"), true, 0},
        {"1 mm longer does not", old, battery("A", "243", "175", "190"), false, 0},
        {"1 mm wider does not", old, battery("A", "242", "176", "190"), false, 0},
        {"1 mm taller does not", old, battery("A", "242", "175", "191"), false, 0},
        {"taller by the tolerance fits", tolerant, battery("A", "242", "175", "195"), true, 0},
        {"taller than the tolerance does not", tolerant, battery("A", "242", "175", "196"), false, 0},
        {"blanks around a measure", old, battery("A", " 242", "175 ", " 190 "), true, 0},
        {"decimal comma", old, battery("A", "242,0", "174,5", "190"), true, 0},
        {"decimal point over the limit", old, battery("A", "242.1", "175", "190"), false, 0},
        {"a unit after the number is no number", old, battery("A", "242 mm", "175", "190"), false, 1},
        {"an empty measure is no number", old, battery("A", "242", "", "190"), false, 1},
        {"an empty length field does not restrict", noLength, battery("A", "999", "175", "190"), true, 0},
        {"nor does it need the battery's length", noLength, battery("A", "n/d", "175", "190"), true, 0},
        {"no measure known: every battery", nothingKnown, battery("A", "?", "?", "?"), true, 0},
        {"a row that only names a former code", old, pointer, false, 0},
        {"an old-code row with measures is a battery", old, measuredOldCode, true, 0},
    };
    for (const FitCase &c : cases) {
        const catalog::ReplacementResult result = catalog::rankReplacements({c.candidate}, c.old);
        EXPECT_EQ(result.fits.size(), c.listed ? 1u : 0u) << c.name;
        EXPECT_EQ(result.unmeasured, c.unmeasured) << c.name;
    }
}

TEST(ReplacementRanking, CountsEveryUnmeasuredBatteryAndListsTheRest)
{
    const auto result = catalog::rankReplacements({battery("A", "x", "175", "190"), battery("B", "242", "175", "190"),
                                                   battery("C", "242", "-", "190"), battery("D", "300", "175", "190")},
                                                  customerBattery());
    EXPECT_EQ(codesOf(result), QStringList{"B"});
    EXPECT_EQ(result.unmeasured, 2);
}

TEST(ReplacementRanking, ParsesNumbersAsWritten)
{
    const std::pair<const char *, std::optional<double>> cases[] = {
        {"242", 242},  {" 242 ", 242}, {"242,0", 242}, {"62.5", 62.5}, {",5", 0.5}, {"-3", -3},
        {"+4", 4},     {"", {}},       {"  ", {}},     {"abc", {}},    {"2e2", {}}, {"1,2,3", {}},
        {"1.2,3", {}}, {".", {}},      {"24 2", {}},   {"inf", {}},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(catalog::parseNumber(QString::fromUtf8(text)), expected) << '"' << text << '"';
}

TEST(ReplacementRanking, WritesTheDifferenceFromTheOldValue)
{
    const struct {
        const char *shown;
        std::optional<double> value, old;
        const char *expected;
    } cases[] = {
        {"64", 64, 60, "64 (+4)"},    {"240", 240, 242, "240 (\u22122)"},
        {"242", 242, 242, "242 (=)"}, {"62.5", 62.5, 60.1, "62.5 (+2.4)"},
        {"60", 60, {}, "60"},         {"n/d", {}, 60, "n/d"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(catalog::withDifference(QString::fromUtf8(c.shown), c.value, c.old), QString::fromUtf8(c.expected))
            << c.shown;
}

} // namespace
