// The diff's fitments and per-vehicle codes held against a plain reckoning: two generated
// catalogues whose fitments and relations differ in many ways at once (rows added,
// removed, repeated, moved between vehicles; Null beside the empty text; equal values
// that share their text and values that only equal it), compared once by the diff and
// once here, by brute force over every vehicle with ordered sets of texts. Type numbers
// include texts that read as the same whole number but are not the same text.
#include "report/catalogue_diff.h"
#include "report/schema.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>

namespace {

using namespace catalog::report;
namespace schema = catalog::schema;

Table table(const char *name, QStringList columns)
{
    Table t;
    t.name = QString::fromLatin1(name);
    t.present = true;
    t.columns = std::move(columns);
    return t;
}

// Two catalogues from one seed: the new one is the old one with some fitments and
// relation rows dropped, some added, some vehicles withdrawn and some new.
struct Generated {
    Catalogue before, after;

    explicit Generated(unsigned seed)
    {
        std::mt19937 random(seed);
        auto chance = [&](int percent) { return int(random() % 100) < percent; };
        // A pool of shared texts; a value is taken from it, or made afresh with equal text.
        std::vector<Value> types, codes;
        for (int i = 0; i < 120; ++i)
            types.emplace_back(QString::number(20000 + i));
        for (int i = 0; i < 25; ++i)
            codes.emplace_back(QStringLiteral("K%1").arg(i, 3, 10, QLatin1Char('0')));
        // Texts a whole number reads from but that are not its plain text: never the same type.
        for (const char *other : {"020005", "+20006", "0", "00", "4294967296"})
            types.emplace_back(QString::fromLatin1(other));
        types.emplace_back(std::nullopt);
        types.emplace_back(QString());
        codes.emplace_back(std::nullopt);
        codes.emplace_back(QString());
        auto pick = [&](const std::vector<Value> &pool) {
            const Value &v = pool[random() % pool.size()];
            return chance(30) && v ? Value(QString(v->constData(), v->size())) : v;
        };

        for (Catalogue *c : {&before, &after}) {
            c->vehicles = table(schema::vehicles::table, {"idVeicolo", "Marca", "Modello", "Versione"});
            c->relations = table(schema::relations::table, {"idVeicolo", "ktypnr"});
            c->fitments = table(schema::fitments::table, {"ktypnr", "codice"});
            c->batteries = table(schema::batteries::table, {"LISTINO", "CODICE", "OLD_CODICE", "GAMMA"});
            c->oneRow = table(schema::oneRow::table, {"id"});
        }
        for (int id = 1; id <= 150; ++id) {
            const Row vehicle{QString::number(id), QStringLiteral("Marca"), QStringLiteral("M%1").arg(id % 7), {}};
            if (id <= 140)
                before.vehicles.rows.push_back(vehicle);
            if (id > 5)
                after.vehicles.rows.push_back(vehicle);
            for (int r = int(random() % 4); r > 0; --r) {
                const Row relation{QString::number(id), pick(types)};
                if (id <= 140)
                    before.relations.rows.push_back(relation);
                if (id > 5 && !chance(8))
                    after.relations.rows.push_back(relation);
                if (chance(5))
                    after.relations.rows.push_back({QString::number(id), pick(types)});
            }
        }
        for (int i = 0; i < 900; ++i) {
            const Row fitment{pick(types), pick(codes)};
            before.fitments.rows.push_back(fitment);
            if (!chance(6))
                after.fitments.rows.push_back(fitment);
            if (chance(6))
                after.fitments.rows.push_back({pick(types), pick(codes)});
            if (chance(4))
                before.fitments.rows.push_back(fitment); // the same pair twice counts once
        }
    }
};

QString text(const Value &v) { return v ? *v : QString(); }

// Null stays apart from the empty text in the pair; the key shows both as empty.
using Pair = std::pair<Value, Value>;
std::set<Pair> pairsOf(const Table &t)
{
    std::set<Pair> pairs;
    for (const Row &row : t.rows)
        pairs.insert({row[0], row[1]});
    return pairs;
}

std::multiset<QStringList> fitmentChanges(const std::set<Pair> &from, const std::set<Pair> &to)
{
    std::multiset<QStringList> keys;
    for (const Pair &p : from) {
        if (!to.count(p))
            keys.insert({text(p.first), text(p.second)});
    }
    return keys;
}

// A vehicle's codes gathered from every one of its relation rows, Null read as empty.
std::set<QString> codesOf(const Catalogue &c, const QString &vehicle)
{
    std::set<QString> codes;
    for (const Row &relation : c.relations.rows) {
        if (text(relation[0]) != vehicle)
            continue;
        for (const Row &fitment : c.fitments.rows) {
            if (text(fitment[0]) == text(relation[1]))
                codes.insert(text(fitment[1]));
        }
    }
    return codes;
}

QStringList listOf(const std::set<QString> &a, const std::set<QString> &without)
{
    QStringList out;
    for (const QString &s : a) {
        if (!without.count(s))
            out << s;
    }
    return out;
}

TEST(CatalogueDiffSetsTest, FitmentsAndVehicleCodesMatchAPlainReckoning)
{
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
        SCOPED_TRACE(seed);
        const Generated g(seed);
        const CatalogueDiff diff = DiffCatalogues(g.before, g.after);

        std::multiset<QStringList> added, removed;
        const Change *last = nullptr;
        for (const Change &c : diff.changes) {
            if (c.subject != Subject::Fitment)
                continue;
            (c.change == ChangeKind::Added ? added : removed).insert(c.key);
            if (last) {
                EXPECT_LE(CompareKeys(last->key, c.key), 0) << "fitments in key order";
            }
            last = &c;
        }
        const auto was = pairsOf(g.before.fitments), is = pairsOf(g.after.fitments);
        EXPECT_EQ(added, fitmentChanges(is, was));
        EXPECT_EQ(removed, fitmentChanges(was, is));
        EXPECT_FALSE(added.empty());
        EXPECT_FALSE(removed.empty());

        std::vector<VehicleCodes> expected;
        for (const Row &vehicle : g.after.vehicles.rows) {
            const QString id = text(vehicle[0]);
            if (id.toInt() > 140)
                continue; // new: listed as an added vehicle, not by its codes
            const auto before = codesOf(g.before, id), after = codesOf(g.after, id);
            if (before != after)
                expected.push_back({id, "Marca " + text(vehicle[2]), listOf(after, before), listOf(before, after)});
        }
        ASSERT_EQ(diff.vehicleCodes.size(), expected.size());
        EXPECT_GT(expected.size(), 10u);
        for (size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE(expected[i].idVeicolo.toStdString());
            EXPECT_EQ(diff.vehicleCodes[i].idVeicolo, expected[i].idVeicolo);
            EXPECT_EQ(diff.vehicleCodes[i].name, expected[i].name);
            EXPECT_EQ(diff.vehicleCodes[i].gained, expected[i].gained);
            EXPECT_EQ(diff.vehicleCodes[i].lost, expected[i].lost);
        }
    }
}

} // namespace
