// catalogue-demo as a black box: the same scale gives the same bytes, the large scale has
// the benchmark's row counts, and every generated value fits the column the header gives
// it, so the builder never refuses the sources.
#include "tests/common/test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <set>

namespace {

using Field = std::optional<QString>; // nullopt is Null
using Row = std::vector<Field>;

struct Table {
    QStringList names;
    QStringList types;
    std::vector<Row> rows;
    int column(const QString &name) const { return int(names.indexOf(name)); }
};

// An RFC 4180 reader as strict as the builder: quoted fields, doubled quotes, CRLF.
Table readCsv(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QString text = QString::fromUtf8(file.readAll());
    std::vector<Row> lines;
    Row row;
    QString value;
    bool quoted = false, inQuotes = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                value += c;
                ++i;
            } else if (c == '"') {
                inQuotes = false;
            } else {
                value += c;
            }
        } else if (c == '"') {
            inQuotes = quoted = true;
        } else if (c == ',' || c == '\r') {
            row.push_back(quoted || !value.isEmpty() ? Field(value) : std::nullopt);
            value.clear();
            quoted = false;
            if (c == '\r') {
                EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "line end in " << path.toStdString();
                ++i;
                lines.push_back(row);
                row.clear();
            }
        } else {
            value += c;
        }
    }
    EXPECT_TRUE(value.isEmpty() && row.empty()) << "last line of " << path.toStdString() << " has no CRLF";
    Table table;
    for (const Field &h : lines.at(0)) {
        table.names << h->section(':', 0, 0);
        table.types << h->section(':', 1);
    }
    table.rows.assign(lines.begin() + 1, lines.end());
    return table;
}

const QStringList kTables = {"CP_Veicoli", "CP_Veicoli_Rel_Korva_Master", "TabDistintaBatterie", "TabTechInfo",
                             "Tab1riga"};

QString generate(const QStringList &args, const QString &out)
{
    QProcess p;
    p.start(testsupport::binDir() + "/tools/catalogue-demo/catalogue-demo", args + QStringList{out});
    EXPECT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return out;
}

std::map<QString, Table> readAll(const QString &dir)
{
    std::map<QString, Table> tables;
    for (const QString &t : kTables)
        tables[t] = readCsv(dir + "/" + t + ".csv");
    return tables;
}

QByteArray bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Values the builder and the statements rely on, checked for one scale.
void checkSources(const std::map<QString, Table> &t)
{
    static const QRegularExpression textType("^text\\((\\d+)\\)$");
    static const QRegularExpression wholeNumber("^-?\\d+$");
    static const QRegularExpression decimal("^-?\\d+(\\.\\d+)?$");
    for (const auto &[name, table] : t) {
        for (const Row &row : table.rows) {
            ASSERT_EQ(row.size(), std::size_t(table.names.size())) << name.toStdString();
            for (int i = 0; i < table.names.size(); ++i) {
                if (!row[std::size_t(i)])
                    continue;
                const QString &v = *row[std::size_t(i)];
                const QString &type = table.types[i];
                const auto m = textType.match(type);
                if (m.hasMatch())
                    EXPECT_LE(v.size(), m.captured(1).toInt())
                        << name.toStdString() << "." << table.names[i].toStdString() << " " << v.toStdString();
                else if (type == "long")
                    EXPECT_TRUE(wholeNumber.match(v).hasMatch()) << v.toStdString();
                else if (type == "double")
                    EXPECT_TRUE(decimal.match(v).hasMatch()) << v.toStdString();
                else
                    ADD_FAILURE() << "unexpected type " << type.toStdString();
            }
        }
    }
    const Table &vehicles = t.at("CP_Veicoli");
    std::set<QString> ids;
    static const QRegularExpression yyyymm("^(19|20)\\d\\d(0[1-9]|1[0-2])$");
    for (const Row &v : vehicles.rows) {
        EXPECT_TRUE(ids.insert(*v[0]).second) << "vehicle key twice: " << v[0]->toStdString();
        EXPECT_TRUE(yyyymm.match(*v[6]).hasMatch()) << v[6]->toStdString();
        if (v[7]) {
            EXPECT_TRUE(yyyymm.match(*v[7]).hasMatch()) << v[7]->toStdString();
            EXPECT_LT(*v[6], *v[7]);
        }
    }
    for (const Row &r : t.at("CP_Veicoli_Rel_Korva_Master").rows)
        EXPECT_TRUE(ids.count(*r[0])) << "relation row of a missing vehicle " << r[0]->toStdString();

    // Codes are unique within a price list; old-code rows carry a former code.
    const Table &tech = t.at("TabTechInfo");
    std::set<QString> codes, oldCodes, seen;
    static const QRegularExpression photo("^[a-z_]+$");
    for (const Row &b : tech.rows) {
        const QString list = b[0].value_or("(null)");
        if (b[3]) {
            oldCodes.insert(*b[3]);
            continue;
        }
        codes.insert(*b[2]);
        EXPECT_TRUE(seen.insert(list + "|" + *b[2]).second)
            << "code twice in " << list.toStdString() << ": " << b[2]->toStdString();
        EXPECT_TRUE(wholeNumber.match(b[9].value_or("")).hasMatch()) << "height " << b[2]->toStdString();
        if (b[12]) {
            EXPECT_TRUE(photo.match(*b[12]).hasMatch()) << b[12]->toStdString();
        }
    }
    // Every fitted code is a battery, an old code, or the one code kept without a row.
    for (const Row &f : t.at("TabDistintaBatterie").rows)
        EXPECT_TRUE(codes.count(*f[1]) || oldCodes.count(*f[1]) || *f[1] == "KX999") << f[1]->toStdString();
    EXPECT_EQ(t.at("Tab1riga").rows.size(), 1u);
}

TEST(CatalogueDemo, DemoSourcesAreDeterministicAndValid)
{
    QTemporaryDir a, b;
    generate({}, a.path());
    generate({"--scale", "demo"}, b.path());
    for (const QString &table : kTables) {
        const QByteArray first = bytes(a.path() + "/" + table + ".csv");
        EXPECT_FALSE(first.isEmpty()) << table.toStdString();
        EXPECT_EQ(first, bytes(b.path() + "/" + table + ".csv")) << table.toStdString();
    }
    const auto tables = readAll(a.path());
    checkSources(tables);
    EXPECT_EQ(tables.at("CP_Veicoli").rows.size(), 2000u);
    std::map<QString, int> perList;
    std::set<QString> makes;
    for (const Row &b : tables.at("TabTechInfo").rows)
        if (!b[3])
            ++perList[b[0].value_or("(null)")];
    for (const QString list : {"KORVA", "QUIB", "BRASK", "FENU", "ZELKAR"})
        EXPECT_NEAR(perList[list], 150, 10) << list.toStdString();
    for (const Row &v : tables.at("CP_Veicoli").rows)
        makes.insert(*v[1]);
    EXPECT_EQ(makes.size(), 26u) << "25 listed makes and one without relation rows";
}

// The maker's tables the demo ships name only ranges, codes and makes it has, in the
// words the program reads; every line is the same whatever the run.
TEST(CatalogueDemo, MakerTablesNameWhatTheCatalogueHas)
{
    QTemporaryDir a, b;
    generate({}, a.path());
    generate({}, b.path());
    const auto tables = readAll(a.path());
    std::set<QString> ranges, codes, makes;
    for (const Row &row : tables.at("TabTechInfo").rows) {
        ranges.insert(row[1].value_or(""));
        codes.insert(row[2].value_or(""));
    }
    for (const Row &v : tables.at("CP_Veicoli").rows)
        makes.insert(*v[1]);
    const auto lines = [&](const char *file) {
        const QByteArray text = bytes(a.path() + "/maker-tables/" + file);
        EXPECT_EQ(text, bytes(b.path() + "/maker-tables/" + file)) << file;
        QStringList out = QString::fromUtf8(text).split("\r\n");
        EXPECT_EQ(out.takeLast(), "") << file << " ends with CRLF";
        return out;
    };
    QStringList technology = lines("tecnologie.csv");
    ASSERT_FALSE(technology.isEmpty());
    EXPECT_EQ(technology.takeFirst(), "GAMMA;TECNOLOGIA;CODICE");
    std::set<QString> words;
    for (const QString &line : technology) {
        const QStringList f = line.split(';');
        ASSERT_EQ(f.size(), 3) << line.toStdString();
        EXPECT_TRUE(ranges.count(f[0])) << line.toStdString();
        EXPECT_TRUE(f[2].isEmpty() || codes.count(f[2])) << line.toStdString();
        words.insert(f[1]);
    }
    EXPECT_EQ(words, (std::set<QString>{"AGM", "EFB", "GEL", "TRADIZIONALE"})) << "every word shown";
    QStringList registration = lines("registrazione.csv");
    ASSERT_FALSE(registration.isEmpty());
    EXPECT_EQ(registration.takeFirst(), "idMarca;REGOLA;TESTO");
    std::set<QString> rules;
    for (const QString &line : registration) {
        const QStringList f = line.split(';');
        ASSERT_EQ(f.size(), 3) << line.toStdString();
        EXPECT_TRUE(makes.count(f[0])) << line.toStdString();
        rules.insert(f[1]);
    }
    EXPECT_EQ(rules, (std::set<QString>{"autoapprendimento", "diagnosi"}));
}

TEST(CatalogueDemo, LargeScaleHasTheBenchmarkSizes)
{
    QTemporaryDir dir;
    const auto tables = readAll(generate({"--scale", "large"}, dir.path()));
    checkSources(tables);
    EXPECT_EQ(tables.at("CP_Veicoli").rows.size(), 40000u);
    EXPECT_EQ(tables.at("CP_Veicoli_Rel_Korva_Master").rows.size(), 80000u);
    EXPECT_EQ(tables.at("TabDistintaBatterie").rows.size(), 250000u);
    EXPECT_NEAR(double(tables.at("TabTechInfo").rows.size()), 3000, 50);
}

TEST(CatalogueDemo, RefusesUnknownArguments)
{
    QTemporaryDir dir;
    for (const QStringList &args :
         {QStringList{"--scale", "giant", dir.path()}, QStringList{}, QStringList{"--bogus", dir.path()}}) {
        QProcess p;
        p.start(testsupport::binDir() + "/tools/catalogue-demo/catalogue-demo", args);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().contains("usage: catalogue-demo"));
    }
}

} // namespace
