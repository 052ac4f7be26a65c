// The benchmark scales of the demo generator, checked on the rows in memory (the huge
// scale's sources are over 80 MB): exact totals, keys that join, codes that resolve, and
// growth in makes rather than in the length of what one click lists.
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
    std::set<std::string> makeNames;
    for (const auto &[key, name] : makeOfKey)
        EXPECT_TRUE(makeNames.insert(name).second) << "make " << name << " under two keys";
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
    // Photos: the range's, or one a battery named after it (the benchmark links each name
    // to its range's picture).
    std::set<std::string> rangePhotos;
    for (const demo::PriceList &list : demo::kPriceLists) {
        EXPECT_NEAR(perList[list.name], k.scale.batteriesPerList, 10) << list.name;
        for (const demo::Range &range : list.ranges)
            rangePhotos.insert(range.photo);
    }
    for (const std::string &photo : photos) {
        const std::string range = k.scale.ownPhotos ? photo.substr(0, photo.rfind('_')) : photo;
        EXPECT_TRUE(rangePhotos.count(range) || rangePhotos.count(photo)) << "photo of no range: " << photo;
    }
    const std::size_t batteries = std::size_t(5 * k.scale.batteriesPerList);
    if (k.scale.ownPhotos)
        EXPECT_GT(photos.size(), batteries * 9 / 10) << "most batteries have a photo of their own";
    else
        EXPECT_EQ(photos.size(), rangePhotos.size());

    // Every fitted code is a battery, an old code, or the one code kept without a row; and
    // no battery fits more vehicle types than the busiest at the large scale (5,676), so
    // the applications list of one battery does not grow with the catalogue.
    std::map<std::string, int> fitted;
    for (const demo::Fitment &f : c.fitments) {
        ASSERT_TRUE(codes.count(f.code) || oldCodes.count(f.code) || f.code == "KX999") << f.code;
        ++fitted[f.code];
    }
    int busiest = 0;
    for (const auto &[code, n] : fitted)
        busiest = std::max(busiest, n);
    EXPECT_LT(busiest, 6000);
}

INSTANTIATE_TEST_SUITE_P(BenchmarkScales, DemoScale,
                         testing::Values(ScaleCase{"large", demo::kLargeScale, 26},
                                         ScaleCase{"huge", demo::kHugeScale, 2 + 240}),
                         [](const testing::TestParamInfo<ScaleCase> &info) { return std::string(info.param.name); });

} // namespace
