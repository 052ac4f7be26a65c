// The catalogue's statements: their exact texts, how values are put in (quotes doubled,
// bare values checked), and what they return when run through the database layer on the
// demo catalogue and on the independently written small catalogue.
#include "catalog/catalog_error.h"
#include "catalog/window/statements.h"
#include "db/connection.h"
#include "db/query.h"
#include "tests/common/test_support.h"

#include <QFileInfo>
#include <algorithm>
#include <gtest/gtest.h>

using namespace catalog;

// Failures print values as text rather than as bytes.
static void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

using Rows = std::vector<std::vector<QString>>;

// Every statement of the window in the form the window sends it for ordinary values.
struct ExactCase {
    const char *name;
    QString produced;
    const char *expected;
};

TEST(Statements, TextsAreExactlyTheWindowsOwn)
{
    const ExactCase
        cases
            [] =
                {
                    {"price lists, blank ones left out", priceListStatement(),
                     R"(select distinct Listino from TabTechInfo WHERE not Listino is null and trim(Listino) <> "" ORDER BY Listino )"},
                    {"make list at start-up", makeListStatement(),
                     "SELECT DISTINCT '', idMarca, Marca FROM CP_Veicoli INNER JOIN CP_Veicoli_Rel_Korva_Master ON "
                     "CP_Veicoli.idVeicolo = CP_Veicoli_Rel_Korva_Master.idVeicolo ORDER BY Marca"},
                    {"make list on leaving the mode", makeListLeavingModeStatement(),
                     R"(SELECT DISTINCT "", idMarca, Marca FROM CP_Veicoli INNER JOIN CP_Veicoli_Rel_Korva_Master ON CP_Veicoli.idVeicolo = CP_Veicoli_Rel_Korva_Master.idVeicolo ORDER BY Marca)"},
                    {"makes for a battery", makeListForBatteryStatement("KS060"),
                     R"(SELECT DISTINCT "" AS Espr1, CP_Veicoli.idMarca, CP_Veicoli.marca  FROM (CP_Veicoli_Rel_Korva_Master INNER JOIN CP_Veicoli ON CP_Veicoli_Rel_Korva_Master.idVeicolo = CP_Veicoli.idVeicolo)  INNER JOIN TabDistintaBatterie ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr  WHERE (((TabDistintaBatterie.codice)="KS060"))  ORDER BY CP_Veicoli.marca; )"},
                    {"models", modelListStatement("ALV"),
                     R"(SELECT DISTINCT "", Modello FROM CP_Veicoli INNER JOIN CP_Veicoli_Rel_Korva_Master ON CP_Veicoli.idVeicolo = CP_Veicoli_Rel_Korva_Master.idVeicolo WHERE idMarca = "ALV" ORDER BY Modello)"},
                    {"models for a battery", modelListForBatteryStatement("ALV", "KS060"),
                     R"(SELECT DISTINCT "" AS Espr1, CP_Veicoli.Modello  FROM (CP_Veicoli_Rel_Korva_Master INNER JOIN CP_Veicoli ON CP_Veicoli_Rel_Korva_Master.idVeicolo = CP_Veicoli.idVeicolo)  INNER JOIN TabDistintaBatterie ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr  WHERE (((CP_Veicoli.idMarca)="ALV")  AND ((TabDistintaBatterie.codice)="KS060"))  ORDER BY CP_Veicoli.Modello; )"},
                    {"versions", versionListStatement("ALV", "Arno"),
                     R"(SELECT [CP_Veicoli].idVeicolo, Versione, Alimentazione, left([Dal],4), left([Al],4), cm3, cv, kw FROM CP_Veicoli INNER JOIN CP_Veicoli_Rel_Korva_Master ON CP_Veicoli.idVeicolo = CP_Veicoli_Rel_Korva_Master.idVeicolo  WHERE idMarca = "ALV" AND Modello = "Arno" ORDER BY Versione )"},
                    {"versions for a battery", versionListForBatteryStatement("ALV", "Arno", "KS060"), R"(SELECT CP_Veicoli.idVeicolo, CP_Veicoli.Versione, CP_Veicoli.Alimentazione,  Left([Dal],4) AS Espr1, Left([Al],4) AS Espr2, CP_Veicoli.Cm3, CP_Veicoli.Cv, CP_Veicoli.Kw  FROM (CP_Veicoli INNER JOIN CP_Veicoli_Rel_Korva_Master ON CP_Veicoli.idVeicolo = CP_Veicoli_Rel_Korva_Master.idVeicolo)  INNER JOIN TabDistintaBatterie ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr  WHERE (((CP_Veicoli.idMarca)="ALV")  AND ((CP_Veicoli.Modello)="Arno")  AND ((TabDistintaBatterie.codice)="KS060"))  ORDER BY CP_Veicoli.Versione; )"},
                    {"tallest batteries per range, heights as numbers", batteryListStatement("KORVA", "1001"),
                     R"(SELECT batterieTutte.LISTINO, batterieTutte.Espr1, batterieTutte.GAMMA, batterieTutte.CODICE, batterieTutte.CAPACITA,  batterieTutte.SCARICA, batterieTutte.POLO_POSITIVO, batterieTutte.LUNGHEZZA, batterieTutte.LARGHEZZA, batterieTutte.ALTEZZA, batterieTutte.ATTACCHI_BASE, batterieTutte.MONOBLOCCO, batterieTutte.FOTO, batterieTutte.NOTE, batterieTutte.Ordine  FROM [SELECT DISTINCT TabTechInfo.LISTINO, " " AS Espr1, TabTechInfo.GAMMA, TabTechInfo.CODICE, TabTechInfo.CAPACITA, TabTechInfo.SCARICA, TabTechInfo.POLO_POSITIVO, TabTechInfo.LUNGHEZZA, TabTechInfo.LARGHEZZA, TabTechInfo.ALTEZZA,  TabTechInfo.ATTACCHI_BASE, TabTechInfo.MONOBLOCCO, TabTechInfo.FOTO, TabTechInfo.NOTE, TabTechInfo.ORDINE  FROM (CP_Veicoli_Rel_Korva_Master INNER JOIN TabDistintaBatterie ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr) INNER JOIN TabTechInfo ON TabDistintaBatterie.codice = TabTechInfo.CODICE  WHERE (((TabTechInfo.LISTINO)="KORVA") AND ((CP_Veicoli_Rel_Korva_Master.idVeicolo)=1001))  ORDER BY TabTechInfo.ORDINE]. AS batterieTutte INNER JOIN [SELECT DISTINCT TabTechInfo.LISTINO, " " AS Espr1, TabTechInfo.GAMMA, Max(Val(TabTechInfo.ALTEZZA)) AS h  FROM (CP_Veicoli_Rel_Korva_Master INNER JOIN TabDistintaBatterie ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr) INNER JOIN TabTechInfo ON TabDistintaBatterie.codice = TabTechInfo.CODICE  GROUP BY TabTechInfo.LISTINO, " ", TabTechInfo.GAMMA, CP_Veicoli_Rel_Korva_Master.idVeicolo  HAVING (((TabTechInfo.LISTINO)="KORVA") AND ((CP_Veicoli_Rel_Korva_Master.idVeicolo)=1001))]. AS batterieAlte ON (Val(batterieTutte.ALTEZZA) = batterieAlte.h) AND (batterieTutte.LISTINO = batterieAlte.LISTINO) AND (batterieTutte.GAMMA = batterieAlte.GAMMA)  ORDER BY batterieTutte.ORDINE; )"},
                    {"old-code lookup", oldCodeStatement("KP072", "KORVA"),
                     R"(SELECT TabTechInfo.OLD_CODICE, TabTechInfo.CODICE, TabTechInfo.GAMMA  FROM TabTechInfo  WHERE (((TabTechInfo.OLD_CODICE)= "KP072")  AND ((TabTechInfo.LISTINO)="KORVA" ) ))"},
                    {"search, capacity bare and polarity quoted",
                     batterySearchStatement("KORVA", SearchGroup::Ratings, {.capacita = "60", .polarita = "0"}),
                     R"(SELECT DISTINCT TabTechInfo.LISTINO, " " AS Espr1, TabTechInfo.GAMMA, TabTechInfo.CODICE,  TabTechInfo.CAPACITA, TabTechInfo.SCARICA, TabTechInfo.POLO_POSITIVO, TabTechInfo.LUNGHEZZA, TabTechInfo.LARGHEZZA,  TabTechInfo.ALTEZZA, TabTechInfo.ATTACCHI_BASE, TabTechInfo.MONOBLOCCO, TabTechInfo.FOTO, TabTechInfo.NOTE, TabTechInfo.ORDINE  FROM TabTechInfo  WHERE LISTINO ="KORVA"  AND CAPACITA = 60  AND POLO_POSITIVO = "0"  ORDER BY TabTechInfo.ORDINE, TabTechInfo.CODICE;)"},
                    {"blank version row", blankVersionRowStatement(),
                     R"(SELECT "","","","","","","","","","" FROM [Tab1riga])"},
                };
    for (const ExactCase &c : cases)
        EXPECT_EQ(c.produced.toStdString(), std::string(c.expected)) << c.name;
}

// The condition part of a search: between the fixed select list and the order clause.
QString searchCondition(SearchGroup group, const SearchFields &fields, const QString &list = "KORVA")
{
    const QString sql = batterySearchStatement(list, group, fields);
    const QString select = "TabTechInfo.ORDINE  FROM TabTechInfo ";
    const qsizetype from = sql.indexOf(select) + select.size();
    const qsizetype to = sql.lastIndexOf(" ORDER BY TabTechInfo.ORDINE, TabTechInfo.CODICE;");
    return sql.mid(from, to - from);
}

TEST(Statements, SearchReadsOnlyTheFilledFieldsOfItsGroup)
{
    const SearchFields all{"G", "C", "44", "360", "DX", "207", "175", "190", "B13", "L1"};
    struct Case {
        const char *name;
        SearchGroup group;
        SearchFields fields;
        const char *condition;
    } cases[] = {
        {"range and code", SearchGroup::RangeAndCode, all,
         R"( WHERE LISTINO ="KORVA"  AND GAMMA = "G"  AND CODICE = "C" )"},
        {"ratings", SearchGroup::Ratings, all,
         R"( WHERE LISTINO ="KORVA"  AND CAPACITA = 44  AND SCARICA = 360  AND POLO_POSITIVO = "DX" )"},
        {"dimensions", SearchGroup::Dimensions, all,
         R"( WHERE LISTINO ="KORVA"  AND LUNGHEZZA = "207"  AND LARGHEZZA = "175"  AND ALTEZZA = "190"  AND ATTACCHI_BASE = "B13" )"},
        {"container", SearchGroup::Container, all, R"( WHERE LISTINO ="KORVA"  AND MONOBLOCCO = "L1" )"},
        {"all empty", SearchGroup::Ratings, {}, R"( WHERE LISTINO ="KORVA" )"},
        {"blanks are a value",
         SearchGroup::RangeAndCode,
         {.codice = "  "},
         R"( WHERE LISTINO ="KORVA"  AND CODICE = "  " )"},
        {"decimal comma written as point",
         SearchGroup::Ratings,
         {.capacita = "60,5"},
         R"( WHERE LISTINO ="KORVA"  AND CAPACITA = 60.5 )"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(searchCondition(c.group, c.fields).toStdString(), std::string(c.condition)) << c.name;
}

TEST(Statements, BareValuesMustBeNumbers)
{
    const std::pair<const char *, const char *> accepted[] = {
        {"60", "60"},  {"60,5", "60.5"}, {"60.5", "60.5"}, {"-3", "-3"},     {"+7", "7"},
        {".5", "0.5"}, {"5.", "5"},      {"007", "007"},   {"1001", "1001"},
    };
    for (const auto &[typed, written] : accepted) {
        EXPECT_EQ(numberLiteral("CAPACITA", typed).toStdString(), written) << typed;
        EXPECT_EQ(bareNumber(typed), QString::fromLatin1(written)) << typed;
    }

    const char *refused[] = {"",  " ", "60 ", " 60",  "6O",  "1e3",       "1.2.3",        "1,2.5",           "--1",
                             "+", ".", "-",   "0x10", "60;", "60 OR 1=1", "1)) OR ((1=1", "\xd9\xa1\xd9\xa2"};
    for (const char *typed : refused) {
        const QString value = QString::fromUtf8(typed);
        EXPECT_FALSE(bareNumber(value).has_value()) << typed;
        testsupport::expectThrowCode<CatalogError>(
            [&] { numberLiteral("SCARICA", value); }, CatalogErrc::NotANumber,
            ("Il valore \"" + value + "\" di SCARICA non è un numero").toStdString());
    }
    // Every statement with a bare value refuses before building anything.
    testsupport::expectThrowCode<CatalogError>([] { batteryListStatement("KORVA", "12 OR 1=1"); },
                                               CatalogErrc::NotANumber, "\"12 OR 1=1\" di idVeicolo");
    testsupport::expectThrowCode<CatalogError>(
        [] { batterySearchStatement("KORVA", SearchGroup::Ratings, {.scarica = "540A"}); }, CatalogErrc::NotANumber,
        "\"540A\" di SCARICA");
    // Fields of other groups are not read, so a bad capacity there is no error.
    EXPECT_NO_THROW(batterySearchStatement("KORVA", SearchGroup::Container, {.capacita = "x"}));
}

// Values that would end or change a statement if they were put in as they stand.
const QString kHostile[] = {
    "5\"",
    "\"",
    "\"\"",
    "KS060\" OR \"1\"=\"1",
    "a|b|c",
    "x; DROP TABLE TabTechInfo; --",
    "SELECT * FROM CP_Veicoli",
    "]. AS batterieTutte INNER JOIN [",
    "%1 %2 %3",
    "'",
    "dbo.x N''",
    QString(10000, QChar('"')) + QString(10000, QChar('x')),
};

TEST(Statements, TextValuesHaveTheirQuotesDoubled)
{
    for (const QString &value : kHostile) {
        QString doubled = value;
        doubled.replace("\"", "\"\"");
        const QString literal = "\"" + doubled + "\"";
        EXPECT_EQ(textLiteral(value), literal);
        EXPECT_NE(modelListStatement(value).indexOf("WHERE idMarca = " + literal + " ORDER BY Modello"), -1);
        EXPECT_NE(makeListForBatteryStatement(value).indexOf("codice)=" + literal + "))  ORDER BY"), -1);
        EXPECT_EQ(batteryListStatement(value, "1").count("LISTINO)=" + literal + ")"), 2);
    }
}

// One open catalogue for a whole group of tests: opening reads every table.
class Catalogue {
public:
    explicit Catalogue(const QString &mdb)
    {
        QString password;
        for (ushort code = 1; code <= 20; ++code)
            password += QChar(code);
        const QString dir = QFileInfo(mdb).absolutePath();
        m_connection.setProvider("Microsoft.Jet.OLEDB.4.0");
        m_connection.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mdb
                                         + ";Jet OLEDB:Database Password='" + password
                                         + "';Jet OLEDB:System database=\"" + dir + "/system.mdw\"");
        m_connection.Open();
    }

    Rows rows(const QString &sql)
    {
        db::Query query(m_connection);
        query.ClearSQL();
        query.AddSQL(sql);
        query.Open();
        Rows out;
        for (; !query.Eof(); query.Next()) {
            std::vector<QString> row;
            for (int i = 0; i < query.FieldCount(); ++i)
                row.push_back(query.AsString(i));
            out.push_back(row);
        }
        query.Close();
        return out;
    }

    std::vector<QString> column(const QString &sql, int index)
    {
        std::vector<QString> out;
        for (const auto &row : rows(sql))
            out.push_back(row.at(std::size_t(index)));
        return out;
    }

private:
    db::Connection m_connection;
};

using Texts = std::vector<QString>;

// Battery codes (column 3 of the battery row) of a battery statement.
Texts codes(Catalogue &c, const QString &sql) { return c.column(sql, 3); }

class DemoCatalogue : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_catalogue = new Catalogue(testsupport::appDir() + "/db/vc_korva.mdb"); }
    static void TearDownTestSuite()
    {
        delete s_catalogue;
        s_catalogue = nullptr;
    }
    Catalogue &c() { return *s_catalogue; }
    static Catalogue *s_catalogue;
};
Catalogue *DemoCatalogue::s_catalogue = nullptr;

TEST_F(DemoCatalogue, PriceListsAreTheFiveBrandsWithoutBlankOnes)
{
    EXPECT_EQ(c().column(priceListStatement(), 0), (Texts{"BRASK", "FENU", "KORVA", "QUIB", "ZELKAR"}));
}

TEST_F(DemoCatalogue, MakeListsHoldOnlyMakesWithARelatedVehicle)
{
    const Rows start = c().rows(makeListStatement());
    EXPECT_EQ(start, c().rows(makeListLeavingModeStatement()));
    ASSERT_EQ(start.size(), 25u);
    EXPECT_EQ(start[0], (std::vector<QString>{"", "ALV", "Alvena"}));
    for (const auto &row : start)
        EXPECT_NE(row[1], "OMB") << "a make without relation rows is listed";
}

TEST_F(DemoCatalogue, ModelsAndVersionsOfTheHandMadeMake)
{
    // "Lesina" has only a vehicle without relation rows; the double quote lists its versions.
    EXPECT_EQ(c().column(modelListStatement("ALV"), 1), (Texts{"Arno", "Tarvo 5\"", "Volano"}));
    const Rows arno = c().rows(versionListStatement("ALV", "Arno"));
    Texts ids;
    for (const auto &row : arno)
        ids.push_back(row[0]);
    EXPECT_EQ(ids, (Texts{"1", "2", "2", "3", "5", "6"})) << "vehicle 2 twice, vehicle 4 never";
    EXPECT_EQ(arno[0], (std::vector<QString>{"1", "1.0 12V", "Benzina", "1999", "2005", "999", "60", "44"}));
    EXPECT_EQ(arno[3][4], "") << "an open-ended version has no end year";
    EXPECT_EQ(c().column(versionListStatement("ALV", "Tarvo 5\""), 1), (Texts{"1.2 \"City\"", "1.4 | Van"}));
}

TEST_F(DemoCatalogue, TallestBatteriesPerRange)
{
    const struct {
        const char *list;
        const char *vehicle;
        Texts expected;
        const char *why;
    } cases[] = {
        {"KORVA", "1", {"KS060", "KS062", "KP074"}, "equal greatest heights both kept, 175 dropped"},
        {"KORVA", "2", {"KS060", "KA080", "KV012"}, "two relation rows, each battery once"},
        {"KORVA", "3", {"KS044", "KV035"}, "175 beats 90 as a number"},
        {"KORVA", "5", {"KS060"}, "codes without a row in the price list are not listed"},
        {"QUIB", "5", {"QC060"}, "the same vehicle in another price list"},
        {"KORVA", "6", {}, "a vehicle without fitments"},
        {"QUIB", "7", {"QM12\""}, "a code with a double quote"},
        {"QUIB", "1", {"QC060"}, "QC045 is lower in its range"},
        {"BRASK", "1", {"BS060"}, ""},
        {"FENU", "1", {"FE060"}, ""},
        {"ZELKAR", "1", {"ZP-60"}, ""},
    };
    for (const auto &t : cases)
        EXPECT_EQ(codes(c(), batteryListStatement(t.list, t.vehicle)), t.expected)
            << t.list << " " << t.vehicle << ": " << t.why;
}

TEST_F(DemoCatalogue, ApplicationsModeListsTheVehiclesABatteryFits)
{
    EXPECT_TRUE(c().rows(makeListForBatteryStatement("KS095")).empty()) << "KS095 fits no vehicle";
    EXPECT_EQ(c().column(makeListForBatteryStatement("QM12\""), 1), (Texts{"ALV"}));
    EXPECT_EQ(c().column(modelListForBatteryStatement("ALV", "QM12\""), 1), (Texts{"Tarvo 5\""}));
    EXPECT_EQ(c().column(versionListForBatteryStatement("ALV", "Tarvo 5\"", "QM12\""), 0), (Texts{"7"}));
    EXPECT_EQ(c().column(versionListForBatteryStatement("ALV", "Arno", "KS060"), 0), (Texts{"1", "2", "2", "5"}));
    EXPECT_EQ(c().column(makeListForBatteryStatement("KS060"), 1), (Texts{"ALV"}));
}

TEST_F(DemoCatalogue, OldCodesAndSearches)
{
    EXPECT_EQ(c().rows(oldCodeStatement("KP072", "KORVA")), (Rows{{"KP072", "KP074", "Korva Power"}}));
    EXPECT_EQ(c().rows(oldCodeStatement("KS041", "KORVA")), (Rows{{"KS041", "ESAURIMENTO", "Korva Start"}}));
    EXPECT_TRUE(c().rows(oldCodeStatement("KP072", "QUIB")).empty());

    EXPECT_EQ(codes(c(), batterySearchStatement("KORVA", SearchGroup::Ratings, {.capacita = "62,5"})),
              (Texts{"KS062"}));
    EXPECT_EQ(codes(c(), batterySearchStatement("QUIB", SearchGroup::RangeAndCode, {.codice = "QM12\""})),
              (Texts{"QM12\""}));
    const Rows l2 = c().rows(batterySearchStatement("KORVA", SearchGroup::Container, {.monoblocco = "L2"}));
    EXPECT_FALSE(l2.empty());
    for (const auto &row : l2)
        EXPECT_EQ(row[11], "L2");
    // Every field of the group empty: the whole price list, once each, by ORDINE.
    const Rows all = c().rows(batterySearchStatement("KORVA", SearchGroup::Dimensions, {}));
    EXPECT_GT(all.size(), 150u);
    for (std::size_t i = 1; i < all.size(); ++i)
        EXPECT_LT(all[i - 1][14].toInt(), all[i][14].toInt());
    EXPECT_EQ(c().rows(blankVersionRowStatement()), (Rows{Texts(10, "")}));

    // The replacement finder's rows: every battery of the price list and the rows naming a
    // successor (CODICE, then OLD_CODICE last), never a run-out mark.
    const Rows candidates = c().rows(replacementCandidatesStatement("KORVA"));
    const auto runOut = std::count_if(all.begin(), all.end(), [](const Texts &row) { return row[3] == "ESAURIMENTO"; });
    EXPECT_GT(runOut, 0);
    EXPECT_EQ(qsizetype(candidates.size()), qsizetype(all.size()) - runOut)
        << "the price list's rows but the run-out marks";
    EXPECT_TRUE(std::any_of(candidates.begin(), candidates.end(),
                            [](const Texts &row) { return row[1] == "KP074" && row[10] == "KP072"; }));
    EXPECT_TRUE(
        std::none_of(candidates.begin(), candidates.end(), [](const Texts &row) { return row[1] == "ESAURIMENTO"; }));
}

TEST_F(DemoCatalogue, HostileValuesFindNothingAndBreakNothing)
{
    for (const QString &v : kHostile) {
        EXPECT_TRUE(c().rows(modelListStatement(v)).empty());
        EXPECT_TRUE(c().rows(versionListStatement(v, v)).empty());
        EXPECT_TRUE(c().rows(versionListForBatteryStatement(v, v, v)).empty());
        EXPECT_TRUE(c().rows(batteryListStatement(v, "1")).empty());
        EXPECT_TRUE(c().rows(makeListForBatteryStatement(v)).empty());
        EXPECT_TRUE(c().rows(oldCodeStatement(v, v)).empty());
        EXPECT_TRUE(c().rows(replacementCandidatesStatement(v)).empty());
        EXPECT_TRUE(c().rows(batterySearchStatement(v, SearchGroup::RangeAndCode, {.gamma = v, .codice = v})).empty());
    }
}

class SmallCatalogue : public DemoCatalogue {
protected:
    static void SetUpTestSuite() { s_catalogue = new Catalogue(testsupport::fixture("catalogue-small/vc_korva.mdb")); }
};

TEST_F(SmallCatalogue, ListsFollowTheRelationRows)
{
    EXPECT_EQ(c().column(priceListStatement(), 0), (Texts{"BRASK", "FENU", "KORVA", "QUIB", "ZELKAR"}));
    EXPECT_EQ(c().column(makeListStatement(), 1), (Texts{"AUR", "BRE", "CAS", "DOL"}));
    EXPECT_EQ(c().column(modelListStatement("AUR"), 1), (Texts{"Pràtola", "Vesta"}));
    EXPECT_EQ(c().column(versionListStatement("CAS", "Torre"), 0), (Texts{"1010"})) << "1011 has no relation row";
    EXPECT_EQ(c().column(versionListStatement("BRE", "Lido"), 0), (Texts{"1006", "1006", "1007"}));
}

TEST_F(SmallCatalogue, TallestBatteriesPerRange)
{
    EXPECT_EQ(codes(c(), batteryListStatement("KORVA", "1001")), (Texts{"KS060", "KS062"}));
    EXPECT_EQ(codes(c(), batteryListStatement("FENU", "1006")), (Texts{"FE035"})) << "175 is taller than 90";
    EXPECT_EQ(codes(c(), batteryListStatement("KORVA", "1006")), (Texts{"KS044"}));
    EXPECT_EQ(codes(c(), batteryListStatement("KORVA", "1014")), (Texts{"KP074", "KA095"})) << "KS999 has no row";
}

TEST_F(SmallCatalogue, QuotesOldCodesAndDecimals)
{
    EXPECT_EQ(c().column(versionListStatement("AUR", "Vesta"), 1), (Texts{"1.2 8V", "1.4 16V \"Sport\"", "1.9 JTD"}));
    EXPECT_EQ(c().rows(oldCodeStatement("ZP-90", "ZELKAR")), (Rows{{"ZP-90", "ZP-100", "Zelkar Pro"}}));
    EXPECT_EQ(c().rows(oldCodeStatement("KS041", "KORVA")), (Rows{{"KS041", "ESAURIMENTO", "Korva Start"}}));
    EXPECT_EQ(codes(c(), batterySearchStatement("KORVA", SearchGroup::Ratings, {.capacita = "60,5"})),
              (Texts{"KS062"}));
    EXPECT_EQ(c().column(makeListForBatteryStatement("FE035"), 1), (Texts{"AUR", "BRE", "CAS"}));
}

} // namespace
