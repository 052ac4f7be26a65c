// The generated bulk of the demo catalogue: invented makes, models and versions, their
// type numbers and fitments, and the batteries of the five price lists, all drawn from
// one fixed-seed sequence so every run gives the same rows.
#include "tools/catalogue-demo/brands.h"
#include "tools/catalogue-demo/catalogue.h"
#include "tools/catalogue-demo/random.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>

namespace demo {

namespace {

// Listed after "Alvena", the hand-made first make.
const std::vector<std::pair<const char *, const char *>> kMakes = {
    {"BOR", "Borsani"}, {"CAS", "Castellan"}, {"DRV", "Dravona"},       {"ELM", "Elmira Auto"}, {"FIO", "Fiordalba"},
    {"GAV", "Gavia"},   {"HAL", "Haldera"},   {"ISA", "Isarco Motori"}, {"JON", "Jonica"},      {"KAR", "Karsten"},
    {"LIR", "Lirena"},  {"MAR", "Marvolo"},   {"NER", "Nerosa"},        {"ORV", "Orvalle"},     {"PEL", "Pelago"},
    {"QUA", "Quarna"},  {"ROV", "Roverna"},   {"SOL", "Solvano"},       {"TIR", "Tirsa"},       {"ULM", "Ulmea"},
    {"VAR", "Varesco"}, {"WEN", "Wendal"},    {"YPS", "Ypsor"},         {"ZEF", "Zefira"},
};

const std::vector<std::string> kSyllables = {"ba", "ce", "di", "fo", "ga", "le", "mi", "no", "pa", "re", "si", "ta",
                                             "vo", "ze", "lu", "ri", "sa", "te", "ro", "va", "ni", "da", "mo", "ca"};
const std::vector<std::string> kBodies = {"", "", "", " SW", " Van", " Coupé", " Cabrio", " 4x4"};

struct Engine {
    const char *fuel;
    std::vector<int> cm3;
    std::vector<std::string> tags;
};

const std::vector<Engine> kEngines = {
    {"Benzina",
     {999, 1108, 1197, 1242, 1368, 1398, 1598, 1798, 1984, 2497, 2995},
     {"8V", "12V", "16V", "Turbo", "GT", "Sport"}},
    {"Diesel", {1248, 1461, 1560, 1598, 1870, 1968, 2179, 2487, 2993}, {"D", "TD", "TD 16V", "Turbo D"}},
    {"GPL", {1242, 1368, 1598}, {"GPL", "Bi-Fuel GPL"}},
    {"Metano", {1368, 1398, 1598}, {"Metano", "Bi-Fuel Metano"}},
    {"Ibrida", {1332, 1498, 1798, 2487}, {"Hybrid", "Hybrid Plug-in"}},
    {"Elettrica", {}, {}},
};

const std::vector<std::string> kNotes = {
    "<B>Più venduta</B>",
    "<FONT COLOR=clblue>Tecnologia EFB</FONT> per Start&amp;Stop",
    "<B>Attenzione:</B> verificare l'altezza<BR>prima del montaggio",
    "<I>Esente da manutenzione</I>",
    "Polo positivo a <U>sinistra</U>",
    "<FONT COLOR=clgreen><B>Novità</B></FONT><BR>Disponibile da marzo",
    "Per veicoli commerciali<BR><FONT COLOR=clred>uso intensivo</FONT>",
    "Carica secca: attivare prima dell'uso",
};

std::string number(int n) { return std::to_string(n); }

std::string yyyymm(int year, int month)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04d%02d", year, month);
    return text;
}

std::string capitalised(std::string word)
{
    word[0] = char(word[0] - 'a' + 'A');
    return word;
}

struct Make {
    std::string key, name;
};

// The first `count` makes: the named ones, then invented names keyed "M025" on, for the
// scales with more makes than names. The names are drawn from a sequence of their own,
// so the rows of the scales that need none stay as they are.
std::vector<Make> makesOf(int count)
{
    if (count < 1 || count > 999)
        throw std::runtime_error("a scale has 1 to 999 generated makes");
    std::vector<Make> makes;
    std::set<std::string> names;
    for (std::size_t m = 0; m < kMakes.size() && int(makes.size()) < count; ++m) {
        makes.push_back({kMakes[m].first, kMakes[m].second});
        names.insert(kMakes[m].second);
    }
    static const std::vector<std::string> kWords = {"", "", " Motori", " Veicoli", " Auto"};
    Random random(0x4D4152434845ull);
    while (int(makes.size()) < count) {
        const std::string name =
            capitalised(random.pick(kSyllables) + random.pick(kSyllables) + random.pick(kSyllables))
            + random.pick(kWords);
        if (!names.insert(name).second)
            continue;
        char key[16];
        std::snprintf(key, sizeof key, "M%03d", int(makes.size()) + 1);
        makes.push_back({key, name});
    }
    return makes;
}

// Capacities (Ah) each kind of range is made in, smallest first.
std::vector<int> capacities(RangeKind kind)
{
    switch (kind) {
    case RangeKind::Start: return {35, 40, 41, 44, 45, 50, 52, 55, 56, 60, 62, 63, 66, 70, 72, 74, 75};
    case RangeKind::Power: return {55, 60, 62, 64, 68, 70, 72, 74, 77, 80, 85, 88, 90, 95, 100};
    case RangeKind::Efb: return {50, 55, 60, 65, 70, 75, 80, 85, 90, 95};
    case RangeKind::Agm: return {60, 65, 70, 75, 80, 82, 90, 92, 95, 105};
    case RangeKind::Heavy: return {100, 110, 120, 125, 135, 140, 143, 155, 170, 180, 190, 200, 225};
    case RangeKind::Service: return {4, 5, 7, 9, 10, 12, 14, 16, 18, 20, 24, 28, 30, 35, 40};
    }
    return {};
}

struct CaseSize {
    int length, width, height;
    const char *container;
    const char *fittings;
};

// The case a battery of this capacity comes in; `asian` picks the narrow, tall cases.
CaseSize caseFor(RangeKind kind, int ah, bool asian)
{
    if (kind == RangeKind::Service) {
        if (ah <= 5)
            return {113, 70, 90, "M1", "B0"};
        if (ah <= 9)
            return {137, 76, 134, "M2", "B0"};
        if (ah <= 14)
            return {150, 87, 93, "M3", "B0"};
        if (ah <= 20)
            return {175, 87, 155, "M4", "B0"};
        if (ah <= 30)
            return {165, 175, 125, "M5", "B0"};
        return {187, 127, 175, "B19", "B0"};
    }
    if (kind == RangeKind::Heavy)
        return ah <= 155 ? CaseSize{513, 189, 223, "A", "B00"} : CaseSize{513, 223, 223, "B", "B00"};
    if (asian)
        return ah <= 50 ? CaseSize{187, 127, 227, "B20", "B1"} : CaseSize{230, 173, 225, "D23", "B1"};
    const bool tall = kind != RangeKind::Start;
    if (ah <= 40)
        return {175, 175, 175, "L0", "B13"};
    if (ah <= 50)
        return {207, 175, tall ? 190 : 175, "L1", "B13"};
    if (ah <= 63)
        return {242, 175, tall ? 190 : 175, "L2", "B13"};
    if (ah <= 74)
        return {278, 175, 190, "L3", "B13"};
    if (ah <= 85)
        return {315, 175, 190, "L4", "B13"};
    if (ah <= 100)
        return {353, 175, 190, "L5", "B13"};
    return {393, 175, 190, "L6", "B13"};
}

int crankingFactor(RangeKind kind)
{
    switch (kind) {
    case RangeKind::Agm: return 10;
    case RangeKind::Efb: return 9;
    case RangeKind::Heavy: return 6;
    case RangeKind::Service: return 13;
    default: return 8;
    }
}

class Generator {
public:
    Generator(Catalogue &catalogue, const Scale &scale) : m_c(catalogue), m_scale(scale), m_random(0x4B4F525641ull)
    {
        for (const Battery &b : m_c.batteries)
            m_usedCodes.insert(b.code);
        for (const Fitment &f : m_c.fitments)
            m_usedCodes.insert(f.code); // KX999 and the old codes stay unused
    }

    void run()
    {
        makeBatteries();
        makeVehicles();
        makeRelationsAndFitments();
    }

private:
    struct Offer {
        int ah;
        std::string code;
    };

    std::string codeFor(const PriceList &list, const Range &range, int ah, int variant)
    {
        static const char kVariants[] = "SHBCDFGJLMNRTUWYZ";
        char text[32];
        if (list.dashedCodes)
            std::snprintf(text, sizeof text, "%s-%d", range.prefix, ah);
        else
            std::snprintf(text, sizeof text, "%s%03d", range.prefix, ah);
        std::string code = text;
        if (variant > 0)
            code += kVariants[(variant - 1) % 17];
        if (variant > 17)
            code += std::to_string((variant - 1) / 17);
        return code;
    }

    void makeBatteries()
    {
        const int perRange = m_scale.batteriesPerList / 6;
        for (std::size_t li = 0; li < kPriceLists.size(); ++li) {
            const PriceList &list = kPriceLists[li];
            const std::size_t listStart = m_c.batteries.size();
            for (std::size_t ri = 0; ri < list.ranges.size(); ++ri) {
                const Range &range = list.ranges[ri];
                const std::vector<int> ladder = capacities(range.kind);
                std::vector<Offer> &offers = m_offers[{li, ri}];
                for (int j = 0; j < perRange; ++j) {
                    const int ah = ladder[std::size_t(j) % ladder.size()];
                    int variant = j / int(ladder.size());
                    std::string code = codeFor(list, range, ah, variant);
                    while (m_usedCodes.count(code))
                        code = codeFor(list, range, ah, ++variant);
                    m_usedCodes.insert(code);
                    const bool asian = variant % 3 == 2;
                    const CaseSize size = caseFor(range.kind, ah, asian);
                    Battery b;
                    b.priceList = list.name;
                    b.range = range.name;
                    b.code = code;
                    b.capacity = ah;
                    b.discharge = (ah * crankingFactor(range.kind) + 5) / 10 * 10;
                    b.polarity = variant % 2 == 1 ? "SX" : "DX";
                    b.length = number(size.length);
                    b.width = number(size.width);
                    b.height = number(size.height);
                    b.fittings = size.fittings;
                    b.container = size.container;
                    if (m_random.between(0, 16) != 0)
                        b.photo = m_scale.ownPhotos ? range.photo + ("_" + number(j)) : std::string(range.photo);
                    if (m_random.percent(20))
                        b.note = m_random.pick(kNotes);
                    m_c.batteries.push_back(b);
                    offers.push_back({ah, code});
                }
                std::stable_sort(offers.begin(), offers.end(),
                                 [](const Offer &a, const Offer &b) { return a.ah < b.ah; });
            }
            // A few codes that were replaced, each pointing at a battery of the list.
            for (std::size_t k = 0; k < 3; ++k) {
                const Battery successor = m_c.batteries[listStart + k * std::size_t(perRange) + 3];
                Battery old;
                old.priceList = list.name;
                old.range = successor.range;
                old.code = successor.code;
                old.oldCode = successor.code + "V";
                m_oldCodes.push_back(*old.oldCode);
                m_c.batteries.push_back(old);
            }
        }
    }

    std::string modelName(std::set<std::string> &taken)
    {
        for (;;) {
            std::string name = m_random.pick(kSyllables) + m_random.pick(kSyllables);
            if (m_random.percent(40))
                name += m_random.pick(kSyllables);
            name = capitalised(name) + m_random.pick(kBodies);
            if (m_random.percent(15))
                name += " " + number(m_random.between(1, 9) * 100);
            if (taken.insert(name).second)
                return name;
        }
    }

    Vehicle version(long id, const Make &make, const std::string &model)
    {
        const int e = m_random.between(0, 99);
        const Engine &engine = kEngines[e < 45 ? 0 : e < 80 ? 1 : e < 86 ? 2 : e < 90 ? 3 : e < 96 ? 4 : 5];
        Vehicle v{id, make.key, make.name, model, {}, engine.fuel, {}, {}, {}, 0, 0};
        const int year = engine.cm3.empty() ? m_random.between(2012, 2024) : m_random.between(1985, 2023);
        v.from = yyyymm(year, m_random.between(1, 12));
        const int end = year + m_random.between(2, 10);
        if (end <= 2024 && !m_random.percent(12))
            v.to = yyyymm(end, m_random.between(1, 12));
        if (engine.cm3.empty()) {
            const int kwh = m_random.between(3, 10) * 10;
            v.version = "Elettrica " + number(kwh) + " kWh";
            v.kw = m_random.between(60, 220);
            v.cv = int(std::lround(v.kw / 0.7355));
        } else {
            const int cc = m_random.pick(engine.cm3);
            char litres[8];
            std::snprintf(litres, sizeof litres, "%.1f", cc / 1000.0);
            v.version = std::string(litres) + " " + m_random.pick(engine.tags);
            if (m_random.percent(25))
                v.version =
                    *v.version + m_random.pick(std::vector<std::string>{" 3 porte", " 5 porte", " 4x4", " Van"});
            v.cm3 = cc;
            v.cv = cc * m_random.between(45, 95) / 1000;
            v.kw = int(std::lround(v.cv * 0.7355));
        }
        return v;
    }

    void makeVehicles()
    {
        const long fixed = long(m_c.vehicles.size());
        const long bulk = m_scale.vehicles - fixed;
        long id = 1001;
        const std::vector<Make> makes = makesOf(m_scale.makes);
        for (int m = 0; m < m_scale.makes; ++m) {
            const Make &make = makes[std::size_t(m)];
            const int count = evenShare(bulk, m_scale.makes, m);
            const int models = std::clamp(count / 13, 3, m_scale.modelsPerMake);
            std::set<std::string> taken;
            for (int k = 0; k < models; ++k) {
                const std::string model = modelName(taken);
                const int versions = evenShare(count, models, k);
                for (int i = 0; i < versions; ++i)
                    m_c.vehicles.push_back(version(id++, make, model));
            }
        }
    }

    // The capacity a vehicle's starter battery needs, from its engine.
    static int neededAh(const Vehicle &v)
    {
        if (!v.cm3)
            return 12;
        const int cc = int(*v.cm3);
        return std::clamp(30 + cc / 40 + (*v.fuel == "Diesel" ? 15 : 0), 35, 110);
    }

    void pickFitments(long ktypnr, const Vehicle &v, int count)
    {
        std::set<std::string> chosen;
        const int need = neededAh(v);
        const bool electric = !v.cm3;
        const bool heavy = v.cm3 && *v.cm3 > 2400 && *v.fuel == "Diesel";
        const std::size_t firstList = std::size_t(m_random.between(0, 4));
        for (int j = 0; j < count; ++j) {
            if (j > 0 && j % 37 == 0 && !m_oldCodes.empty()) {
                // Catalogues still carry fitments under replaced codes.
                m_c.fitments.push_back({ktypnr, m_random.pick(m_oldCodes)});
                continue;
            }
            const std::size_t li = (firstList + std::size_t(j)) % kPriceLists.size();
            std::size_t ri = electric ? 5 : heavy && m_random.percent(50) ? 4 : std::size_t(m_random.between(0, 3));
            const std::vector<Offer> &offers = m_offers[{li, ri}];
            const int wanted = electric ? need : need + (j / 5) * 5;
            auto it = std::lower_bound(offers.begin(), offers.end(), wanted,
                                       [](const Offer &o, int ah) { return o.ah < ah; });
            std::size_t at = std::size_t(it - offers.begin());
            if (m_scale.fittedVariants > 1) {
                // One of the first batteries of that capacity (past the largest, the
                // smallest), not always the first.
                at %= offers.size();
                const auto from = offers.begin() + long(at);
                const auto same =
                    std::upper_bound(from, offers.end(), from->ah, [](int ah, const Offer &o) { return ah < o.ah; });
                at += std::size_t(m_random.between(0, int(std::min<long>(same - from, m_scale.fittedVariants)) - 1));
            }
            for (std::size_t tries = 0; tries < offers.size(); ++tries) {
                const std::string &code = offers[(at + tries) % offers.size()].code;
                if (chosen.insert(code).second) {
                    m_c.fitments.push_back({ktypnr, code});
                    break;
                }
            }
        }
    }

    void makeRelationsAndFitments()
    {
        std::vector<const Vehicle *> related;
        for (const Vehicle &v : m_c.vehicles)
            if (v.id > 1000 && v.id % 211 != 0) // every 211th generated vehicle has none
                related.push_back(&v);
        const long rows = m_scale.relationRows - long(m_c.relations.size());
        const long fitments = m_scale.fitments - long(m_c.fitments.size());
        if (rows < long(related.size()))
            throw std::runtime_error("scale has fewer relation rows than listed vehicles");
        long ktypnr = 100001;
        long k = 0;
        for (std::size_t i = 0; i < related.size(); ++i) {
            const int share = evenShare(rows, long(related.size()), long(i));
            for (int r = 0; r < share; ++r, ++ktypnr, ++k) {
                m_c.relations.push_back({related[i]->id, ktypnr});
                pickFitments(ktypnr, *related[i], evenShare(fitments, rows, k));
            }
        }
    }

    Catalogue &m_c;
    Scale m_scale;
    Random m_random;
    std::set<std::string> m_usedCodes;
    std::map<std::pair<std::size_t, std::size_t>, std::vector<Offer>> m_offers;
    std::vector<std::string> m_oldCodes;
};

} // namespace

void addGeneratedRows(Catalogue &catalogue, const Scale &scale) { Generator(catalogue, scale).run(); }

void numberDisplayOrders(Catalogue &catalogue)
{
    // Batteries by range and capacity within each price list, old-code rows last; the
    // rows themselves are grouped by price list in the brands' order.
    auto listIndex = [](const Text &list) {
        for (std::size_t i = 0; i < kPriceLists.size(); ++i)
            if (list && *list == kPriceLists[i].name)
                return int(i);
        return int(kPriceLists.size());
    };
    auto rangeIndex = [&](const Battery &b) {
        const int li = listIndex(b.priceList);
        if (li < int(kPriceLists.size()))
            for (std::size_t i = 0; i < 6; ++i)
                if (b.range && *b.range == kPriceLists[std::size_t(li)].ranges[i].name)
                    return int(i);
        return 6;
    };
    std::stable_sort(catalogue.batteries.begin(), catalogue.batteries.end(), [&](const Battery &a, const Battery &b) {
        const auto ka = std::make_tuple(listIndex(a.priceList), a.oldCode.has_value(), rangeIndex(a),
                                        a.capacity.value_or(0), a.code);
        const auto kb = std::make_tuple(listIndex(b.priceList), b.oldCode.has_value(), rangeIndex(b),
                                        b.capacity.value_or(0), b.code);
        return ka < kb;
    });
    std::map<int, long> next;
    for (Battery &b : catalogue.batteries)
        b.order = (next[listIndex(b.priceList)] += 10);
}

} // namespace demo
