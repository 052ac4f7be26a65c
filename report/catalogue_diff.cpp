// Comparing two catalogues in memory: each keyed table is indexed by its key once (hash
// maps; a key given twice counts by its first row, as a duplicate is the check's
// business), then walked once. The large catalogue's 250,000 fitments compare as sets of
// pairs; only the vehicles whose type numbers or relation rows moved have their codes
// gathered, so the per-vehicle list costs little when little changed.
#include "report/catalogue_diff.h"
#include "report/value_pairs.h"
#include "report/schema.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <iterator>

namespace catalog::report {

namespace {

QString name(const char *column) { return QString::fromLatin1(column); }

const Value kNull;
const Value &at(const Row &row, int column) { return column >= 0 ? row[size_t(column)] : kNull; }
QString text(const Value &v) { return v ? *v : QString(); }

// One text per key: Null and the empty text stay apart.
QString hashKey(const Row &row, const std::vector<int> &columns)
{
    QString key;
    for (int c : columns) {
        const Value &v = at(row, c);
        key += v ? *v : QStringLiteral("\x1e");
        key += u'\x1f';
    }
    return key;
}

// The fitments of the two catalogues as pair sets (both empty when they were not compared).
struct FitmentPairs {
    PairSet was;
    PairSet is;
};

struct Keyed {
    Subject subject;
    std::vector<const char *> key;
    bool oldCodeRows = false; // batteries only: the old-code rows, or the others
    const char *labelColumn = nullptr;
};

// Rows of a keyed table that belong to the subject.
bool belongs(const Keyed &k, const Table &t, const Row &row)
{
    if (k.subject != Subject::Battery && k.subject != Subject::OldCode)
        return true;
    return IsOldCodeRow(t, row) == k.oldCodeRows;
}

QString labelOf(const Keyed &k, const Table &t, const Row &row)
{
    if (k.subject == Subject::Vehicle)
        return VehicleName(t, row);
    if (k.subject == Subject::OldCode) {
        const QString successor = text(at(row, t.column(name(schema::batteries::CODICE)))).trimmed();
        return successor == QLatin1String(schema::batteries::runOutCode) ? QStringLiteral("in esaurimento")
                                                                         : QStringLiteral("sostituito da ") + successor;
    }
    return k.labelColumn ? text(at(row, t.column(name(k.labelColumn)))) : QString();
}

void diffKeyed(const Keyed &k, const Table &o, const Table &n, CatalogueDiff &out)
{
    std::vector<int> oldKey, newKey;
    for (const char *c : k.key) {
        oldKey.push_back(o.column(name(c)));
        newKey.push_back(n.column(name(c)));
        if (oldKey.back() < 0 || newKey.back() < 0) {
            out.notes << QStringLiteral("%1: column %2 missing in the %3 catalogue; not compared")
                             .arg(n.name, name(c), oldKey.back() < 0 ? QStringLiteral("old") : QStringLiteral("new"));
            return;
        }
    }
    std::vector<std::pair<int, int>> common; // (old column, new column), in the new table's order
    for (qsizetype c = 0; c < n.columns.size(); ++c) {
        if (const int oc = o.column(n.columns[c]); oc >= 0)
            common.emplace_back(oc, int(c));
    }
    auto keyParts = [](const Row &row, const std::vector<int> &cols) {
        QStringList parts;
        for (int c : cols)
            parts << text(at(row, c));
        return parts;
    };

    QHash<QString, const Row *> oldRows;
    // The first row of a key wins: inserted last, it is the one kept.
    for (auto it = o.rows.rbegin(); it != o.rows.rend(); ++it) {
        if (belongs(k, o, *it))
            oldRows.insert(hashKey(*it, oldKey), &*it);
    }

    QSet<QString> seen;
    for (const Row &row : n.rows) {
        if (!belongs(k, n, row))
            continue;
        const QString key = hashKey(row, newKey);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        const auto found = oldRows.constFind(key);
        if (found == oldRows.cend()) {
            out.changes.push_back(
                {ChangeKind::Added, k.subject, keyParts(row, newKey), {}, {}, {}, labelOf(k, n, row)});
            continue;
        }
        const Row &before = **found;
        for (const auto &[oc, nc] : common) {
            if (at(before, oc) != at(row, nc))
                out.changes.push_back({ChangeKind::Changed, k.subject, keyParts(row, newKey), n.columns[nc],
                                       at(before, oc), at(row, nc), labelOf(k, n, row)});
        }
    }
    for (auto it = oldRows.cbegin(); it != oldRows.cend(); ++it) {
        if (!seen.contains(it.key()))
            out.changes.push_back(
                {ChangeKind::Removed, k.subject, keyParts(**it, oldKey), {}, {}, {}, labelOf(k, o, **it)});
    }
}

// Columns only in one of the two tables; the values of the others are compared.
void noteColumns(const Table &o, const Table &n, CatalogueDiff &out)
{
    for (const QString &c : n.columns) {
        if (o.column(c) < 0)
            out.notes << QStringLiteral("%1: column %2 only in the new catalogue").arg(n.name, c);
    }
    for (const QString &c : o.columns) {
        if (n.column(c) < 0)
            out.notes << QStringLiteral("%1: column %2 only in the old catalogue").arg(o.name, c);
    }
}

// What the per-vehicle codes are gathered from, in one catalogue: its fitments (ktypnr,
// codice) and its relations (idVeicolo, ktypnr), Null taken as the empty text.
struct Chain {
    PairSet codesOfType;
    PairSet typesOfVehicle;

    Chain(const Catalogue &c, const PairSet &fitments, ValueNumbers &numbers)
        : codesOfType(NullAsEmpty(fitments, numbers)),
          typesOfVehicle(NullAsEmpty(PairsOf(c.relations, c.relations.column(name(schema::relations::idVeicolo)),
                                             c.relations.column(name(schema::relations::ktypnr)), numbers),
                                     numbers))
    {}

    // The codes of the vehicle, sorted, each once.
    std::vector<uint32_t> codesOf(uint32_t vehicle) const
    {
        std::vector<uint32_t> types, codes;
        AppendSeconds(typesOfVehicle, vehicle, types);
        for (uint32_t type : types)
            AppendSeconds(codesOfType, type, codes);
        std::sort(codes.begin(), codes.end());
        codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
        return codes;
    }
};

QStringList sortedTexts(const std::vector<uint32_t> &codes, const ValueNumbers &numbers)
{
    QStringList list;
    for (uint32_t code : codes)
        list << numbers.text(code);
    list.sort();
    return list;
}

// A vehicle's codes are gathered again only where they can have changed: its relation
// rows differ, or one of its type numbers gained or lost a fitment.
void diffVehicleCodes(const Catalogue &o, const Catalogue &n, const FitmentPairs &fitments,
                      const std::vector<Change> &fitmentChanges, ValueNumbers &numbers, CatalogueDiff &out)
{
    const Chain before(o, fitments.was, numbers), after(n, fitments.is, numbers);
    std::vector<uint32_t> changedTypes;
    for (const Change &c : fitmentChanges)
        changedTypes.push_back(numbers.of(c.key.value(0)));
    std::sort(changedTypes.begin(), changedTypes.end());
    std::vector<uint32_t> vehicles;
    for (const Chain *chain : {&before, &after}) {
        for (ValuePair p : chain->typesOfVehicle) {
            if (std::binary_search(changedTypes.begin(), changedTypes.end(), secondOf(p)))
                vehicles.push_back(firstOf(p));
        }
    }
    for (const PairSet &moved :
         {Without(after.typesOfVehicle, before.typesOfVehicle), Without(before.typesOfVehicle, after.typesOfVehicle)}) {
        for (ValuePair p : moved)
            vehicles.push_back(firstOf(p));
    }
    if (vehicles.empty())
        return;
    std::sort(vehicles.begin(), vehicles.end());
    vehicles.erase(std::unique(vehicles.begin(), vehicles.end()), vehicles.end());

    // Only vehicles in both catalogues: a new or withdrawn vehicle is listed as such.
    auto rowsById = [](const Table &t) {
        QHash<QString, const Row *> rows;
        const int id = t.column(name(schema::vehicles::idVeicolo));
        if (id >= 0) {
            for (auto it = t.rows.rbegin(); it != t.rows.rend(); ++it)
                rows.insert(text((*it)[size_t(id)]), &*it);
        }
        return rows;
    };
    const auto oldVehicles = rowsById(o.vehicles), newVehicles = rowsById(n.vehicles);
    for (uint32_t vehicle : vehicles) {
        const QString id = numbers.text(vehicle);
        const auto row = newVehicles.constFind(id);
        if (row == newVehicles.cend() || !oldVehicles.contains(id))
            continue;
        const std::vector<uint32_t> was = before.codesOf(vehicle), is = after.codesOf(vehicle);
        if (was == is)
            continue;
        std::vector<uint32_t> gained, lost;
        std::set_difference(is.begin(), is.end(), was.begin(), was.end(), std::back_inserter(gained));
        std::set_difference(was.begin(), was.end(), is.begin(), is.end(), std::back_inserter(lost));
        out.vehicleCodes.push_back(
            {id, VehicleName(n.vehicles, **row), sortedTexts(gained, numbers), sortedTexts(lost, numbers)});
    }
    std::sort(out.vehicleCodes.begin(), out.vehicleCodes.end(), [](const VehicleCodes &a, const VehicleCodes &b) {
        return CompareKeys({a.idVeicolo}, {b.idVeicolo}) < 0;
    });
}

// Fitments compare as sets of (ktypnr, codice) pairs; a pair given twice counts once.
FitmentPairs diffFitments(const Table &o, const Table &n, ValueNumbers &numbers, CatalogueDiff &out)
{
    using namespace schema::fitments;
    const int oldType = o.column(name(ktypnr)), oldCode = o.column(name(codice));
    const int newType = n.column(name(ktypnr)), newCode = n.column(name(codice));
    if (oldType < 0 || oldCode < 0 || newType < 0 || newCode < 0) {
        out.notes << QStringLiteral("%1: ktypnr or codice missing; fitments not compared").arg(n.name);
        return {};
    }
    FitmentPairs pairs{PairsOf(o, oldType, oldCode, numbers), PairsOf(n, newType, newCode, numbers)};
    const std::pair<ChangeKind, PairSet> kinds[] = {{ChangeKind::Added, Without(pairs.is, pairs.was)},
                                                    {ChangeKind::Removed, Without(pairs.was, pairs.is)}};
    for (const auto &[kind, changed] : kinds) {
        for (ValuePair p : changed)
            out.changes.push_back(
                {kind, Subject::Fitment, {numbers.text(firstOf(p)), numbers.text(secondOf(p))}, {}, {}, {}, {}});
    }
    return pairs;
}

} // namespace

int CatalogueDiff::count(Subject subject, ChangeKind change) const
{
    int n = 0;
    const Change *last = nullptr;
    for (const Change &c : changes) {
        if (c.subject != subject || c.change != change)
            continue;
        if (change != ChangeKind::Changed || !last || last->key != c.key)
            ++n;
        last = &c;
    }
    return n;
}

CatalogueDiff DiffCatalogues(const Catalogue &o, const Catalogue &n)
{
    CatalogueDiff out;
    out.oldPath = o.path;
    out.newPath = n.path;
    const std::vector<const Table *> olds = o.all(), news = n.all();
    for (size_t i = 0; i < olds.size(); ++i) {
        if (!olds[i]->present || !news[i]->present) {
            out.notes << QStringLiteral("%1 is missing in the %2 catalogue; not compared")
                             .arg(news[i]->name, olds[i]->present ? QStringLiteral("new") : QStringLiteral("old"));
        } else if (olds[i] != &o.relations && olds[i] != &o.oneRow) {
            noteColumns(*olds[i], *news[i], out);
        }
    }
    using namespace schema;
    if (o.vehicles.present && n.vehicles.present)
        diffKeyed({Subject::Vehicle, {vehicles::idVeicolo}}, o.vehicles, n.vehicles, out);
    if (o.fitments.present && n.fitments.present) {
        ValueNumbers numbers;
        const size_t first = out.changes.size();
        const FitmentPairs pairs = diffFitments(o.fitments, n.fitments, numbers, out);
        const std::vector<Change> fitments(out.changes.begin() + qsizetype(first), out.changes.end());
        if (o.relations.present && n.relations.present && o.vehicles.present && n.vehicles.present)
            diffVehicleCodes(o, n, pairs, fitments, numbers, out);
    }
    if (o.batteries.present && n.batteries.present) {
        diffKeyed({Subject::Battery, {batteries::LISTINO, batteries::CODICE}, false, batteries::GAMMA}, o.batteries,
                  n.batteries, out);
        diffKeyed({Subject::OldCode, {batteries::LISTINO, batteries::OLD_CODICE}, true}, o.batteries, n.batteries, out);
    }
    std::stable_sort(out.changes.begin(), out.changes.end(), [](const Change &a, const Change &b) {
        if (a.subject != b.subject)
            return a.subject < b.subject;
        return CompareKeys(a.key, b.key) < 0;
    });
    return out;
}

} // namespace catalog::report
