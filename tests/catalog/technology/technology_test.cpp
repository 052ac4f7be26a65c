// The technology rules on small tables: which technology a battery is, what a vehicle
// listed with some batteries needs, and what the strip's line says about both.
#include "catalog/technology/technology.h"

#include <gtest/gtest.h>

namespace {

using catalog::Technology;
using enum catalog::Technology;

catalog::report::TechnologyEntry rangeLine(const char *range, Technology t) { return {1, range, {}, t}; }
catalog::report::TechnologyEntry codeLine(const char *range, const char *code, Technology t)
{
    return {1, range, code, t};
}

TEST(TechnologyRule, RangeWordsAreWholeWordsInAnyCase)
{
    const struct {
        const char *range;
        Technology expected;
    } cases[] = {
        {"Korva AGM", Agm},
        {"quib efb", Efb},
        {"Brask Gel Marine", Gel},
        {"AGM-Plus", Agm},
        {"Start&Stop/EFB", Efb},
        {"Agmotor", Unknown},
        {"EFB2", Unknown},
        {"Korva Start&Stop", Unknown},
        {"Tradizionale", Unknown},  // only the maker's table says flooded
        {"Korva AGM GEL", Agm},     // the same rank twice: still sure
        {"Korva EFB AGM", Unknown}, // two ranks: not sure
        {"", Unknown},
    };
    for (const auto &c : cases)
        EXPECT_EQ(catalog::TechnologyFromRangeName(QString::fromUtf8(c.range)), c.expected) << c.range;
}

TEST(TechnologyRule, MakerTableOverRangeWordsOverUnknown)
{
    const catalog::TechnologyRule rule({
        rangeLine("Korva Power", Efb),
        rangeLine("Korva AGM", Flooded), // the maker knows better than the name
        codeLine("Korva Power", "KP074", Agm),
        codeLine("", "ZX001", Gel),
    });
    const struct {
        const char *range, *code;
        Technology expected;
    } cases[] = {
        {"Korva Power", "KP060", Efb},                                      // the range's line
        {"korva power ", "kp074", Agm},                                     // the code's line wins, any case, blanks
        {"Korva AGM", "KA080", Flooded},                                    // the table over the name
        {"Korva EFB", "KE060", Efb},                                        // no line: the name
        {"Korva Service", "KV012", Unknown}, {"Zelkar Mini", "ZX001", Gel}, // a code line without its range
    };
    for (const auto &c : cases)
        EXPECT_EQ(rule.Of(c.range, c.code), c.expected) << c.range << " " << c.code;
    EXPECT_EQ(catalog::TechnologyRule().Of("Korva Power", "KP074"), Unknown) << "no table: the name alone";
}

TEST(TechnologyRule, LowerAndHigher)
{
    EXPECT_TRUE(catalog::IsLowerTechnology(Efb, Agm));
    EXPECT_TRUE(catalog::IsLowerTechnology(Flooded, Efb));
    EXPECT_TRUE(catalog::IsLowerTechnology(Efb, Gel)) << "GEL ranks as AGM";
    EXPECT_FALSE(catalog::IsLowerTechnology(Gel, Agm));
    EXPECT_FALSE(catalog::IsLowerTechnology(Agm, Efb));
    EXPECT_FALSE(catalog::IsLowerTechnology(Unknown, Agm)) << "unknown is never a downgrade";
    EXPECT_FALSE(catalog::IsLowerTechnology(Flooded, Unknown));
    EXPECT_EQ(catalog::HigherTechnology(Unknown, Efb), Efb);
    EXPECT_EQ(catalog::HigherTechnology(Agm, Efb), Agm);
}

TEST(VehicleNeed, TheLowestWhenAllAreEfbOrBetter)
{
    const struct {
        const char *name;
        std::vector<Technology> listed;
        std::optional<Technology> need;
    } cases[] = {
        {"EFB and AGM", {Agm, Efb, Agm}, Efb},
        {"only AGM", {Agm, Agm}, Agm},
        {"AGM and GEL", {Gel, Agm}, Agm},
        {"a flooded one listed", {Agm, Flooded, Efb}, std::nullopt},
        {"an ordinary car with one AGM upgrade", {Flooded, Agm}, std::nullopt},
        {"an unknown one listed", {Efb, Unknown}, std::nullopt},
        {"only unknown", {Unknown}, std::nullopt},
        {"nothing listed", {}, std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(catalog::VehicleNeed(c.listed), c.need) << c.name;
}

TEST(VehicleNeed, StripLines)
{
    using catalog::StripText;
    const struct {
        Technology battery;
        std::optional<Technology> need;
        StripText line;
    } cases[] = {
        {Agm, std::nullopt, {"Tecnologia AGM", false}},
        {Flooded, std::nullopt, {"Tecnologia tradizionale", false}},
        {Unknown, std::nullopt, {"Tecnologia non indicata", false}},
        {Agm, Efb, {"AGM \u2013 adatta \u00b7 Richiede EFB o superiore", false}},
        {Gel, Agm, {"GEL \u2013 adatta \u00b7 Richiede AGM", false}},
        {Efb, Agm, {"EFB \u2013 tecnologia inferiore a quella richiesta (AGM)", true}},
        {Flooded, Efb, {"tradizionale \u2013 tecnologia inferiore a quella richiesta (EFB o superiore)", true}},
        {Unknown, Agm, {"Tecnologia non indicata \u00b7 Richiede AGM", false}},
    };
    for (const auto &c : cases) {
        const StripText line = catalog::TechnologyLine(c.battery, c.need);
        EXPECT_EQ(line.text, c.line.text);
        EXPECT_EQ(line.warning, c.line.warning) << line.text.toStdString();
    }
}

TEST(RegistrationRule, ByMakeWithoutRegardToCase)
{
    const catalog::RegistrationRule rule(
        {{2, "ALV", true, "Registrare con la diagnosi"}, {3, "BOR", false, "Si registra da sola"}});
    EXPECT_EQ(rule.For("alv"), (catalog::StripText{"Registrare con la diagnosi", true}));
    EXPECT_EQ(rule.For("BOR"), (catalog::StripText{"Si registra da sola", false}));
    EXPECT_EQ(rule.For("CAS"), catalog::StripText{});
    EXPECT_EQ(catalog::RegistrationRule().For("ALV"), catalog::StripText{}) << "without the table nothing is said";
}

} // namespace
