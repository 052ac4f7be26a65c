// Comparing two catalogues in memory: each keyed table is indexed by its key once (hash
// maps; a key given twice counts by its first row, as a duplicate is the check's
// business), then walked once. The large catalogue's 250,000 fitments compare as sets of
// pairs; only the vehicles whose type numbers or relation rows moved have their codes
// gathered, so the per-vehicle list costs little when little changed.
#include "catalog/report/catalogue_diff.h"
#include "catalog/schema.h"

#include <QHash>
#include <QSet>
#include <algorithm>

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
            out.changes.push_back({ChangeKind::Added, k.subject, keyParts(row, newKey), {}, {}, {}, labelOf(k, n, row)});
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

using CodeSets = QHash<QString, QSet<QString>>;

// ktypnr → codes, and idVeicolo → ktypnr, for one catalogue.
struct Chain {
    CodeSets codesOfType;
    CodeSets typesOfVehicle;

    explicit Chain(const Catalogue &c)
    {
        const int fk = c.fitments.column(name(schema::fitments::ktypnr));
        const int fc = c.fitments.column(name(schema::fitments::codice));
        if (fk >= 0 && fc >= 0) {
            for (const Row &row : c.fitments.rows)
                codesOfType[text(row[size_t(fk)])].insert(text(row[size_t(fc)]));
        }
        const int rv = c.relations.column(name(schema::relations::idVeicolo));
        const int rk = c.relations.column(name(schema::relations::ktypnr));
        if (rv >= 0 && rk >= 0) {
            for (const Row &row : c.relations.rows)
                typesOfVehicle[text(row[size_t(rv)])].insert(text(row[size_t(rk)]));
        }
    }

    QSet<QString> codesOf(const QString &vehicle) const
    {
        QSet<QString> codes;
        for (const QString &type : typesOfVehicle.value(vehicle))
            codes.unite(codesOfType.value(type));
        return codes;
    }
};

QStringList sorted(const QSet<QString> &set)
{
    QStringList list(set.begin(), set.end());
    list.sort();
    return list;
}

void diffVehicleCodes(const Catalogue &o, const Catalogue &n, const std::vector<Change> &fitments, CatalogueDiff &out)
{
    const Chain before(o), after(n);
    QSet<QString> types;
    for (const Change &c : fitments)
        types.insert(c.key.value(0));
    QSet<QString> vehicles;
    for (const Chain *chain : {&before, &after}) {
        for (auto it = chain->typesOfVehicle.cbegin(); it != chain->typesOfVehicle.cend(); ++it) {
            if (it->intersects(types))
                vehicles.insert(it.key());
        }
    }
    for (auto it = after.typesOfVehicle.cbegin(); it != after.typesOfVehicle.cend(); ++it) {
        if (before.typesOfVehicle.value(it.key()) != *it)
            vehicles.insert(it.key());
    }
    for (auto it = before.typesOfVehicle.cbegin(); it != before.typesOfVehicle.cend(); ++it) {
        if (!after.typesOfVehicle.contains(it.key()))
            vehicles.insert(it.key());
    }
    if (vehicles.isEmpty())
        return;

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
    for (const QString &id : vehicles) {
        const auto row = newVehicles.constFind(id);
        if (row == newVehicles.cend() || !oldVehicles.contains(id))
            continue;
        const QSet<QString> was = before.codesOf(id), is = after.codesOf(id);
        if (was == is)
            continue;
        out.vehicleCodes.push_back(
            {id, VehicleName(n.vehicles, **row), sorted(QSet<QString>(is).subtract(was)), sorted(QSet<QString>(was).subtract(is))});
    }
    std::sort(out.vehicleCodes.begin(), out.vehicleCodes.end(), [](const VehicleCodes &a, const VehicleCodes &b) {
        return CompareKeys({a.idVeicolo}, {b.idVeicolo}) < 0;
    });
}

void diffFitments(const Table &o, const Table &n, CatalogueDiff &out)
{
    const std::vector<int> oldKey{o.column(name(schema::fitments::ktypnr)), o.column(name(schema::fitments::codice))};
    const std::vector<int> newKey{n.column(name(schema::fitments::ktypnr)), n.column(name(schema::fitments::codice))};
    if (std::count(oldKey.begin(), oldKey.end(), -1) || std::count(newKey.begin(), newKey.end(), -1)) {
        out.notes << QStringLiteral("%1: ktypnr or codice missing; fitments not compared").arg(n.name);
        return;
    }
    auto pairs = [](const Table &t, const std::vector<int> &key) {
        QHash<QString, QStringList> set;
        for (const Row &row : t.rows)
            set.insert(hashKey(row, key), {text(at(row, key[0])), text(at(row, key[1]))});
        return set;
    };
    const auto was = pairs(o, oldKey), is = pairs(n, newKey);
    for (auto it = is.cbegin(); it != is.cend(); ++it) {
        if (!was.contains(it.key()))
            out.changes.push_back({ChangeKind::Added, Subject::Fitment, *it, {}, {}, {}, {}});
    }
    for (auto it = was.cbegin(); it != was.cend(); ++it) {
        if (!is.contains(it.key()))
            out.changes.push_back({ChangeKind::Removed, Subject::Fitment, *it, {}, {}, {}, {}});
    }
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
        const size_t first = out.changes.size();
        diffFitments(o.fitments, n.fitments, out);
        const std::vector<Change> fitments(out.changes.begin() + qsizetype(first), out.changes.end());
        if (o.relations.present && n.relations.present && o.vehicles.present && n.vehicles.present)
            diffVehicleCodes(o, n, fitments, out);
    }
    if (o.batteries.present && n.batteries.present) {
        diffKeyed({Subject::Battery, {batteries::LISTINO, batteries::CODICE}, false, batteries::GAMMA}, o.batteries,
                  n.batteries, out);
        diffKeyed({Subject::OldCode, {batteries::LISTINO, batteries::OLD_CODICE}, true},
                  o.batteries, n.batteries, out);
    }
    std::stable_sort(out.changes.begin(), out.changes.end(), [](const Change &a, const Change &b) {
        if (a.subject != b.subject)
            return a.subject < b.subject;
        return CompareKeys(a.key, b.key) < 0;
    });
    return out;
}

} // namespace catalog::report
