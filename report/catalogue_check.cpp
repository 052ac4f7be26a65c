// The checks, one function each, in the order catalogue-check(1) lists them. Code lookups
// ignore letter case as the database's joins do: a fitment naming "ks060" finds the
// battery "KS060" in the program, so it is no fault here either.
#include "report/catalogue_check.h"
#include "report/report_format.h"
#include "report/schema.h"
#include "platform/files.h"
#include "widgets/markup/note_markup_syntax.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <functional>

namespace catalog::report {

namespace {

using namespace schema;

QString name(const char *column) { return QString::fromLatin1(column); }
QString text(const Value &v) { return v ? *v : QString(); }
QString folded(const Value &v) { return text(v).trimmed().toCaseFolded(); }

class Checker {
public:
    Checker(const Catalogue &c, const CheckOptions &o) : m_c(c), m_options(o) {}

    std::vector<Finding> run()
    {
        for (const Table *t : m_c.all()) {
            if (!t->present)
                add(Severity::Error, "missing-table", *t, {},
                    QStringLiteral("the catalogue has no table %1").arg(t->name));
        }
        fitmentWithoutBattery();
        notANumber();
        vehicleWithoutRelation();
        relationWithoutVehicle();
        if (!m_options.photoFolder.isEmpty())
            photoMissing();
        oldCodes();
        duplicateRows();
        unknownPriceList();
        noteMarkup();
        if (m_options.technologies.present)
            technologyTable();
        if (m_options.registrations.present)
            registrationTable();
        return std::move(m_findings);
    }

private:
    void add(Severity s, const char *check, const Table &t, const QString &key, const QString &detail)
    {
        m_findings.push_back({s, QString::fromLatin1(check), t.name, key, detail});
    }

    // The columns a check needs, or none (reported once) when the table lacks one.
    std::vector<int> columns(const Table &t, std::initializer_list<const char *> names)
    {
        if (!t.present)
            return {};
        std::vector<int> out;
        for (const char *n : names) {
            out.push_back(t.column(name(n)));
            if (out.back() < 0) {
                if (!m_reportedColumns.contains(t.name + u'.' + name(n))) {
                    m_reportedColumns.insert(t.name + u'.' + name(n));
                    add(Severity::Error, "missing-column", t, {},
                        QStringLiteral("the table has no column %1").arg(name(n)));
                }
                return {};
            }
        }
        return out;
    }

    static const Value &at(const Row &row, int c) { return row[size_t(c)]; }

    static QSet<QString> valuesOf(const Table &t, int column)
    {
        QSet<QString> values;
        for (const Row &row : t.rows)
            values.insert(text(at(row, column)));
        return values;
    }

    // LISTINO/CODICE of a battery row, LISTINO/OLD_CODICE of an old-code row.
    QString batteryKey(const Row &row) const
    {
        const Table &t = m_c.batteries;
        const int list = t.column(name(batteries::LISTINO));
        const int code = t.column(name(IsOldCodeRow(t, row) ? batteries::OLD_CODICE : batteries::CODICE));
        return KeyText({list >= 0 ? &at(row, list) : nullptr, code >= 0 ? &at(row, code) : nullptr});
    }

    void fitmentWithoutBattery()
    {
        const auto f = columns(m_c.fitments, {fitments::ktypnr, fitments::codice});
        const auto b = columns(m_c.batteries, {batteries::CODICE});
        if (f.empty() || b.empty())
            return;
        QSet<QString> codes;
        for (const Row &row : m_c.batteries.rows)
            codes.insert(folded(at(row, b[0])));
        // A few thousand codes serve a quarter of a million fitments: each is folded once.
        QHash<QString, bool> known;
        QSet<QString> reported;
        for (const Row &row : m_c.fitments.rows) {
            const QString code = text(at(row, f[1]));
            auto it = known.constFind(code);
            if (it == known.cend())
                it = known.insert(code, codes.contains(folded(at(row, f[1]))));
            if (*it)
                continue;
            const QString key = KeyText({&at(row, f[0]), &at(row, f[1])});
            if (!reported.contains(key)) {
                reported.insert(key);
                add(Severity::Warning, "fitment-without-battery", m_c.fitments, key,
                    QStringLiteral("no %1 row in any price list has CODICE \"%2\"")
                        .arg(m_c.batteries.name, text(at(row, f[1]))));
            }
        }
    }

    void notANumber()
    {
        const auto c = columns(m_c.batteries, {batteries::ALTEZZA, batteries::LUNGHEZZA, batteries::LARGHEZZA,
                                               batteries::CAPACITA, batteries::SCARICA});
        if (c.empty())
            return;
        static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]+$"));
        for (const Row &row : m_c.batteries.rows) {
            if (IsOldCodeRow(m_c.batteries, row))
                continue;
            for (size_t i = 0; i < 3; ++i) {
                const Value &v = at(row, c[i]);
                if (!v || !whole.match(v->trimmed()).hasMatch())
                    add(Severity::Error, "not-a-number", m_c.batteries, batteryKey(row),
                        v ? QStringLiteral("%1 \"%2\" is not a whole number").arg(m_c.batteries.columns[c[i]], *v)
                          : QStringLiteral("%1 is Null").arg(m_c.batteries.columns[c[i]]));
            }
            for (size_t i = 3; i < 5; ++i) {
                if (!at(row, c[i]))
                    add(Severity::Error, "not-a-number", m_c.batteries, batteryKey(row),
                        QStringLiteral("%1 is Null").arg(m_c.batteries.columns[c[i]]));
            }
        }
    }

    void vehicleWithoutRelation()
    {
        const auto v = columns(m_c.vehicles, {vehicles::idVeicolo});
        const auto r = columns(m_c.relations, {relations::idVeicolo});
        if (v.empty() || r.empty())
            return;
        const QSet<QString> related = valuesOf(m_c.relations, r[0]);
        for (const Row &row : m_c.vehicles.rows) {
            if (!related.contains(text(at(row, v[0]))))
                add(Severity::Warning, "vehicle-without-relation", m_c.vehicles, text(at(row, v[0])),
                    QStringLiteral("%1 has no relation row: the program never lists it")
                        .arg(VehicleName(m_c.vehicles, row)));
        }
    }

    void relationWithoutVehicle()
    {
        const auto v = columns(m_c.vehicles, {vehicles::idVeicolo});
        const auto r = columns(m_c.relations, {relations::idVeicolo, relations::ktypnr});
        if (v.empty() || r.empty())
            return;
        const QSet<QString> ids = valuesOf(m_c.vehicles, v[0]);
        for (const Row &row : m_c.relations.rows) {
            if (!ids.contains(text(at(row, r[0]))))
                add(Severity::Error, "relation-without-vehicle", m_c.relations,
                    KeyText({&at(row, r[0]), &at(row, r[1])}),
                    QStringLiteral("idVeicolo %1 is not in %2").arg(text(at(row, r[0])), m_c.vehicles.name));
        }
    }

    void photoMissing()
    {
        const auto c = columns(m_c.batteries, {batteries::FOTO});
        if (c.empty())
            return;
        const QString folder = QDir(m_options.photoFolder).absolutePath() + u'/';
        QHash<QString, bool> found; // the folder is listed once per name, not once per row
        for (const Row &row : m_c.batteries.rows) {
            const Value &photo = at(row, c[0]);
            if (!photo || photo->isEmpty() || IsOldCodeRow(m_c.batteries, row))
                continue; // the program shows the placeholder, as it should
            auto it = found.find(*photo);
            if (it == found.end())
                it = found.insert(*photo, !PhotoFile(folder, *photo).isEmpty());
            if (!*it)
                add(Severity::Error, "photo-missing", m_c.batteries, batteryKey(row),
                    QStringLiteral("no %1.JPG in %2").arg(*photo, m_options.photoFolder));
        }
    }

    void oldCodes()
    {
        const auto c = columns(m_c.batteries, {batteries::LISTINO, batteries::CODICE, batteries::OLD_CODICE});
        if (c.empty())
            return;
        const QString runOut = QString::fromLatin1(batteries::runOutCode).toCaseFolded();
        auto in = [](const Value &list, const Value &code) { return folded(list) + u'\x1f' + folded(code); };
        QSet<QString> batteryCodes; // list + code of the battery rows
        Successors next;            // list + old code → its successors, as written
        for (const Row &row : m_c.batteries.rows) {
            if (IsOldCodeRow(m_c.batteries, row))
                next[in(at(row, c[0]), at(row, c[2]))] << text(at(row, c[1])).trimmed();
            else
                batteryCodes.insert(in(at(row, c[0]), at(row, c[1])));
        }
        for (const Row &row : m_c.batteries.rows) {
            if (!IsOldCodeRow(m_c.batteries, row))
                continue;
            const QString key = batteryKey(row);
            if (folded(at(row, c[1])) != runOut && !batteryCodes.contains(in(at(row, c[0]), at(row, c[1]))))
                add(Severity::Error, "old-code-missing-successor", m_c.batteries, key,
                    QStringLiteral("successor \"%1\" has no battery row in price list %2")
                        .arg(text(at(row, c[1])), text(at(row, c[0]))));
            const QString list = folded(at(row, c[0])) + u'\x1f';
            if (const QStringList loop = loopFrom(next, list, text(at(row, c[2])).trimmed()); !loop.isEmpty())
                add(Severity::Error, "old-code-loop", m_c.batteries, key,
                    QStringLiteral("successors lead back to the old code: %1").arg(loop.join(QStringLiteral(" -> "))));
        }
    }

    using Successors = QHash<QString, QStringList>;

    // The successor chain from the old code `start` of a price list back to it, or empty
    // when it never returns. Codes compare without regard to case.
    static QStringList loopFrom(const Successors &next, const QString &list, const QString &start)
    {
        QStringList path{start};
        QSet<QString> visited;
        std::function<bool(const QString &)> walk = [&](const QString &code) {
            for (const QString &s : next.value(list + code.toCaseFolded())) {
                path << s;
                if (s.compare(start, Qt::CaseInsensitive) == 0)
                    return true;
                if (!visited.contains(s.toCaseFolded())) {
                    visited.insert(s.toCaseFolded());
                    if (walk(s))
                        return true;
                }
                path.removeLast();
            }
            return false;
        };
        return walk(start) ? path : QStringList();
    }

    // Rows are grouped by a hash of their values and compared whole only within a group,
    // so no text is built per row. Each set of identical rows is reported once, at its
    // second row, with how many there are.
    void duplicateRows()
    {
        for (const Table *t : m_c.all()) {
            std::vector<std::pair<size_t, size_t>> byHash; // (hash, row), in the hash's order
            byHash.reserve(t->rows.size());
            for (size_t i = 0; i < t->rows.size(); ++i)
                byHash.emplace_back(rowHash(t->rows[i]), i);
            std::sort(byHash.begin(), byHash.end());
            std::vector<std::pair<size_t, int>> repeated; // (second row, count)
            for (size_t start = 0; start < byHash.size();) {
                size_t end = start + 1;
                while (end < byHash.size() && byHash[end].first == byHash[start].first)
                    ++end;
                if (end - start > 1)
                    identicalIn(*t, byHash, start, end, repeated);
                start = end;
            }
            std::sort(repeated.begin(), repeated.end());
            for (const auto &[row, count] : repeated)
                add(Severity::Warning, "duplicate-row", *t, rowKey(*t, t->rows[row]),
                    QStringLiteral("%1 identical rows").arg(count));
        }
    }

    static size_t rowHash(const Row &row)
    {
        size_t h = 0;
        for (const Value &v : row)
            h = h * 1000003u ^ (v ? qHash(*v) : size_t(0x9e3779b9u));
        return h;
    }

    // The rows of one hash (rows in file order) split into sets of identical rows.
    static void identicalIn(const Table &t, const std::vector<std::pair<size_t, size_t>> &byHash, size_t start,
                            size_t end, std::vector<std::pair<size_t, int>> &repeated)
    {
        std::vector<bool> taken(end - start, false);
        for (size_t i = start; i < end; ++i) {
            if (taken[i - start])
                continue;
            const Row &first = t.rows[byHash[i].second];
            size_t second = 0;
            int count = 1;
            for (size_t j = i + 1; j < end; ++j) {
                if (!taken[j - start] && t.rows[byHash[j].second] == first) {
                    taken[j - start] = true;
                    if (++count == 2)
                        second = byHash[j].second;
                }
            }
            if (count > 1)
                repeated.emplace_back(second, count);
        }
    }

    // The key a row is named by in the reports; a table without one is named by its values.
    QString rowKey(const Table &t, const Row &row) const
    {
        if (&t == &m_c.batteries)
            return batteryKey(row);
        std::vector<const char *> names;
        if (&t == &m_c.vehicles)
            names = {vehicles::idVeicolo};
        else if (&t == &m_c.relations)
            names = {relations::idVeicolo, relations::ktypnr};
        else if (&t == &m_c.fitments)
            names = {fitments::ktypnr, fitments::codice};
        QStringList parts;
        for (const char *n : names) {
            if (const int c = t.column(name(n)); c >= 0)
                parts << text(at(row, c));
        }
        if (names.empty()) {
            for (const Value &v : row)
                parts << text(v);
        }
        return parts.join(u'/');
    }

    void unknownPriceList()
    {
        const auto c = columns(m_c.batteries, {batteries::LISTINO});
        if (c.empty())
            return;
        static const QStringList brands = {"KORVA", "QUIB", "BRASK", "FENU", "ZELKAR"};
        QHash<QString, int> unknown;
        QStringList order;
        for (const Row &row : m_c.batteries.rows) {
            const QString list = text(at(row, c[0]));
            if (brands.contains(list))
                continue;
            if (!unknown.contains(list))
                order << list;
            ++unknown[list];
        }
        for (const QString &list : order)
            add(Severity::Warning, "unknown-price-list", m_c.batteries, list,
                QStringLiteral("%1 rows in price list \"%2\", which is none of %3")
                    .arg(unknown.value(list))
                    .arg(list, brands.join(QStringLiteral(", "))));
    }

    void noteMarkup()
    {
        const auto c = columns(m_c.batteries, {batteries::NOTE});
        if (c.empty())
            return;
        for (const Row &row : m_c.batteries.rows) {
            if (!at(row, c[0]))
                continue;
            if (const QStringList faults = NoteMarkupFaults(*at(row, c[0])); !faults.isEmpty())
                add(Severity::Warning, "note-markup", m_c.batteries, batteryKey(row),
                    faults.join(QStringLiteral("; ")));
        }
    }

    // A maker's table is named by its file and each finding by its line.
    void addLine(Severity s, const char *check, const QString &path, int line, const QString &detail)
    {
        m_findings.push_back({s, QString::fromLatin1(check), QFileInfo(path).fileName(),
                              line > 0 ? QString::number(line) : QString(), detail});
    }

    template <class Table>
    void tableProblems(const char *check, const Table &table)
    {
        for (const TableProblem &p : table.problems)
            addLine(Severity::Error, check, table.path, p.line, problemDetail(p));
    }

    static QString problemDetail(const TableProblem &p)
    {
        switch (p.fault) {
        case TableFault::Unreadable: return QStringLiteral("the file cannot be read: %1").arg(p.value);
        case TableFault::NotUtf8: return QStringLiteral("the line is not UTF-8 text");
        case TableFault::Header: return QStringLiteral("header \"%1\" not recognised: nothing was read").arg(p.value);
        case TableFault::Fields: return QStringLiteral("%1 fields").arg(p.value);
        case TableFault::NoRange: return QStringLiteral("neither GAMMA nor CODICE");
        case TableFault::NoMake: return QStringLiteral("idMarca is empty");
        case TableFault::NoText: return QStringLiteral("TESTO is empty");
        case TableFault::Technology:
            return QStringLiteral("TECNOLOGIA \"%1\" is none of AGM, EFB, GEL, TRADIZIONALE").arg(p.value);
        case TableFault::Rule:
            return QStringLiteral("REGOLA \"%1\" is none of autoapprendimento, diagnosi").arg(p.value);
        case TableFault::Repeated:
            return QStringLiteral("\"%1\" already on line %2, which holds").arg(p.value).arg(p.firstLine);
        }
        return {};
    }

    // Each line of the technology table names a range or a code the catalogue has: a
    // misspelt one is silently of no use to the program.
    void technologyTable()
    {
        const TechnologyTable &table = m_options.technologies;
        tableProblems("technology-table", table);
        const auto c = columns(m_c.batteries, {batteries::GAMMA, batteries::CODICE});
        if (c.empty())
            return;
        QSet<QString> ranges, codes;
        for (const Row &row : m_c.batteries.rows) {
            if (IsOldCodeRow(m_c.batteries, row))
                continue;
            ranges.insert(folded(at(row, c[0])));
            codes.insert(folded(at(row, c[1])));
        }
        for (const TechnologyEntry &e : table.entries) {
            if (!e.code.isEmpty() && !codes.contains(e.code.toCaseFolded()))
                addLine(Severity::Warning, "technology-unknown-code", table.path, e.line,
                        QStringLiteral("CODICE \"%1\" is no battery of %2").arg(e.code, m_c.batteries.name));
            else if (e.code.isEmpty() && !ranges.contains(e.range.toCaseFolded()))
                addLine(Severity::Warning, "technology-unknown-range", table.path, e.line,
                        QStringLiteral("GAMMA \"%1\" is no range of %2").arg(e.range, m_c.batteries.name));
        }
    }

    void registrationTable()
    {
        const RegistrationTable &table = m_options.registrations;
        tableProblems("registration-table", table);
        const auto c = columns(m_c.vehicles, {vehicles::idMarca});
        if (c.empty())
            return;
        QSet<QString> makes;
        for (const Row &row : m_c.vehicles.rows)
            makes.insert(folded(at(row, c[0])));
        for (const RegistrationEntry &e : table.entries) {
            if (!makes.contains(e.makeKey.toCaseFolded()))
                addLine(Severity::Warning, "registration-unknown-make", table.path, e.line,
                        QStringLiteral("idMarca \"%1\" is no make of %2").arg(e.makeKey, m_c.vehicles.name));
        }
    }

    const Catalogue &m_c;
    const CheckOptions &m_options;
    std::vector<Finding> m_findings;
    QSet<QString> m_reportedColumns;
};

} // namespace

std::vector<Finding> CheckCatalogue(const Catalogue &catalogue, const CheckOptions &options)
{
    std::vector<Finding> findings = Checker(catalogue, options).run();
    static const QStringList order = {"missing-table",
                                      "missing-column",
                                      "fitment-without-battery",
                                      "not-a-number",
                                      "vehicle-without-relation",
                                      "relation-without-vehicle",
                                      "photo-missing",
                                      "old-code-missing-successor",
                                      "old-code-loop",
                                      "duplicate-row",
                                      "unknown-price-list",
                                      "note-markup",
                                      "technology-table",
                                      "technology-unknown-range",
                                      "technology-unknown-code",
                                      "registration-table",
                                      "registration-unknown-make"};
    // What the order compares is worked out once per finding, not once per comparison.
    struct Place {
        qsizetype check;
        QStringList key;
        size_t index;
    };
    std::vector<Place> places;
    places.reserve(findings.size());
    for (size_t i = 0; i < findings.size(); ++i)
        places.push_back({order.indexOf(findings[i].check), findings[i].key.split(u'/'), i});
    std::stable_sort(places.begin(), places.end(), [&](const Place &a, const Place &b) {
        if (a.check != b.check)
            return a.check < b.check;
        if (const QString &x = findings[a.index].table, &y = findings[b.index].table; x != y)
            return x < y;
        return CompareKeys(a.key, b.key) < 0;
    });
    std::vector<Finding> sorted;
    sorted.reserve(findings.size());
    for (const Place &p : places)
        sorted.push_back(std::move(findings[p.index]));
    return sorted;
}

QString CheckCsv(const std::vector<Finding> &findings)
{
    QString out = CsvRecord({"severity", "check", "table", "key", "detail"});
    for (const Finding &f : findings)
        out += CsvRecord({f.severity == Severity::Error ? QStringLiteral("error") : QStringLiteral("warning"), f.check,
                          f.table, f.key, f.detail});
    return out;
}

QString CheckText(const std::vector<Finding> &findings)
{
    QString out;
    int errors = 0;
    for (const Finding &f : findings) {
        errors += f.severity == Severity::Error;
        out += QStringLiteral("%1: %2: %3 %4: %5\n")
                   .arg(f.severity == Severity::Error ? QStringLiteral("error") : QStringLiteral("warning"), f.check,
                        f.table, f.key, f.detail);
    }
    return out + QStringLiteral("%1 errors, %2 warnings\n").arg(errors).arg(int(findings.size()) - errors);
}

} // namespace catalog::report
