// The benchmark scales of the demo generator, checked on the rows in memory (the huge
// scale's sources are over 80 MB): exact totals, keys that join, codes that resolve, and
// growth in makes and models rather than in the length of one model's version list.
#include "tools/catalogue-demo/brands.h"
#include "tools/catalogue-demo/catalogue.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

namespace {

struct ScaleCase {
    const char *name;
    demo::Scale scale;
    std::size_t makes; // listed makes, the two hand-made ones included
};

class DemoScale : public testing::TestWithParam<ScaleCase> {};

demo::Catalogue generate(const demo::Scale &scale)
{
    demo::Catalogue c;
    demo::addFixedCases(c);
    demo::addGeneratedRows(c, scale);
    demo::numberDisplayOrders(c);
    return c;
}

TEST_P(DemoScale, TotalsKeysAndCodesHold)
{
    const ScaleCase &k = GetParam();
    const demo::Catalogue c = generate(k.scale);
    EXPECT_EQ(c.vehicles.size(), std::size_t(k.scale.vehicles));
    EXPECT_EQ(c.relations.size(), std::size_t(k.scale.relationRows));
    EXPECT_EQ(c.fitments.size(), std::size_t(k.scale.fitments));

    // Vehicles: unique keys, and every make's key names one make only.
    std::set<long> vehicleIds;
    std::map<std::string, std::string> makeOfKey;
    std::map<std::pair<std::string, std::string>, int> versionsOfModel;
    std::map<std::string, std::set<std::string>> modelsOfMake;
    for (const demo::Vehicle &v : c.vehicles) {
        ASSERT_TRUE(vehicleIds.insert(v.id).second) << "vehicle key twice: " << v.id;
        const auto [at, added] = makeOfKey.emplace(v.makeKey, v.make);
        ASSERT_EQ(at->second, v.make) << "make key " << v.makeKey << " names two makes";
        EXPECT_LE(v.makeKey.size(), 10u);
        EXPECT_LE(v.make.size(), 50u);
        ++versionsOfModel[{v.makeKey, v.model}];
        modelsOfMake[v.makeKey].insert(v.model);
    }
    EXPECT_EQ(makeOfKey.size(), k.makes);
    for (const auto &[make, models] : modelsOfMake)
        EXPECT_LE(models.size(), std::size_t(k.scale.modelsPerMake)) << make;
    // A model's version list stays about as long as at the large scale (26-27 versions).
    int longest = 0;
    for (const auto &[model, n] : versionsOfModel)
        longest = std::max(longest, n);
    EXPECT_LE(longest, 30) << "a model lists more versions than the window's lists are sized for";

    // Relations point at vehicles; type numbers are unique.
    std::set<long> types;
    for (const demo::Relation &r : c.relations) {
        EXPECT_TRUE(vehicleIds.count(r.vehicle)) << "relation of a missing vehicle " << r.vehicle;
        EXPECT_TRUE(types.insert(r.ktypnr).second) << "type number twice: " << r.ktypnr;
    }

    // Batteries: codes unique over every list, the lists even, photo names per range.
    std::set<std::string> codes, oldCodes, photos;
    std::map<std::string, int> perList;
    for (const demo::Battery &b : c.batteries) {
        EXPECT_LE(b.code.size(), 30u) << b.code;
        if (b.oldCode) {
            oldCodes.insert(*b.oldCode);
            continue;
        }
        EXPECT_TRUE(codes.insert(b.code).second) << "code twice: " << b.code;
        ++perList[b.priceList.value_or("(null)")];
        if (b.photo)
            photos.insert(*b.photo);
    }
    std::set<std::string> photoNames; // what the pictures are drawn for
    for (const demo::PriceList &list : demo::kPriceLists) {
        EXPECT_NEAR(perList[list.name], k.scale.batteriesPerList, 10) << list.name;
        for (const demo::Range &range : list.ranges) {
            photoNames.insert(range.photo);
            for (int n = 0; k.scale.photosPerRange > 1 && n < k.scale.photosPerRange; ++n)
                photoNames.insert(range.photo + ("_" + std::to_string(n)));
        }
    }
    for (const std::string &photo : photos)
        EXPECT_TRUE(photoNames.count(photo)) << "photo of no range: " << photo;
    EXPECT_GE(photos.size(), std::size_t(30 * k.scale.photosPerRange));

    // Every fitted code is a battery, an old code, or the one code kept without a row.
    for (const demo::Fitment &f : c.fitments)
        ASSERT_TRUE(codes.count(f.code) || oldCodes.count(f.code) || f.code == "KX999") << f.code;
}

INSTANTIATE_TEST_SUITE_P(
    BenchmarkScales, DemoScale,
    testing::Values(ScaleCase{"large", demo::kLargeScale, 26},
                    ScaleCase{"huge", demo::kHugeScale, 2 + demo::kMostMakes}),
    [](const testing::TestParamInfo<ScaleCase> &info) { return std::string(info.param.name); });

TEST(DemoScale, RefusesMoreMakesThanItHasNames)
{
    demo::Scale tooMany = demo::kLargeScale;
    tooMany.makes = demo::kMostMakes + 1;
    demo::Catalogue c;
    EXPECT_THROW(demo::addGeneratedRows(c, tooMany), std::runtime_error);
}

} // namespace
