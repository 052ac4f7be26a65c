// The Jet dialect: the translator's output for each construct, and the catalogue's own
// statements run on the small fixture with the results its contents imply.
#include "db/db_error.h"
#include "db/jet_sql_p.h"
#include "db/jet_text_p.h"
#include "tests/common/test_support.h"
#include "tests/db/db_test_support.h"

#include <gtest/gtest.h>

using db::DbErrc;
using db::DbError;

namespace {

struct TranslateCase {
    const char *name;
    QString jet;
    QString sqlite;
};

TEST(JetSqlTest, TranslatesEachConstruct)
{
    const TranslateCase cases[] = {
        {"double-quoted string is a literal", R"(WHERE a = "x")", "WHERE a = 'x'"},
        {"double-quoted name stays a literal", R"(SELECT "idMarca")", "SELECT 'idMarca'"},
        {"doubled double quote", R"("a""b")", "'a\"b'"},
        {"single quote inside double quotes", R"("it's")", "'it''s'"},
        {"single-quoted empty", "SELECT ''", "SELECT ''"},
        {"bracketed name", "[CP_Veicoli].[Dal]", R"("CP_Veicoli"."Dal")"},
        {"derived table", "FROM [SELECT a FROM t]. AS x", "FROM (SELECT a FROM t) AS x"},
        {"derived table with a bracket in a text", R"([SELECT "]" AS a FROM t]. AS x)",
         "(SELECT ']' AS a FROM t) AS x"},
        {"functions go to the jet_ versions", "Left([Dal],4), trim(x), IIf(a,b,c)",
         R"(jet_left("Dal",4), jet_trim(x), jet_iif(a,b,c))"},
        {"a column named like a function", "SELECT t.left, left FROM t", "SELECT t.left, left FROM t"},
        {"ampersand", "a & 'b'", "a  ||  'b'"},
        {"True and False", "x = True OR y = False", "x = (-1) OR y = 0"},
        {"trailing semicolon and blanks", "SELECT 1;  \r\n", "SELECT 1"},
        {"no comment opened by --", "SELECT 5--3", "SELECT 5- -3"},
        {"decimal number", "x = 60.5", "x = 60.5"},
        {"colon is an ordinary character", "'a:b'", "'a:b'"},
    };
    for (const TranslateCase &c : cases)
        EXPECT_EQ(db::detail::translateJetSql(c.jet), c.sqlite) << c.name;
}

TEST(JetSqlTest, RefusesWhatIsNotOneStatement)
{
    const struct {
        const char *sql;
        const char *message;
    } cases[] = {
        {"SELECT 1; SELECT 2", "only one statement"},
        {"SELECT 1;;x", "only one statement"},
        {"SELECT \"abc", "not closed"},
        {"SELECT [abc", "no closing"},
        {"  ;  ", "empty"},
    };
    for (const auto &c : cases) {
        try {
            db::detail::translateJetSql(c.sql);
            ADD_FAILURE() << c.sql;
        } catch (const DbError &e) {
            EXPECT_EQ(e.code(), DbErrc::Sql) << c.sql;
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(JetTextTest, GeneralOrderIgnoresCaseAndAccents)
{
    using db::detail::compareGeneral;
    EXPECT_EQ(compareGeneral("Pràtola", "PRATOLA"), 0);
    EXPECT_EQ(compareGeneral("città", "Citta"), 0);
    EXPECT_LT(compareGeneral("Falò", "fenu"), 0);
    EXPECT_LT(compareGeneral("abc", "abcd"), 0);
    EXPECT_GT(compareGeneral("b", "À"), 0);
    EXPECT_LT(compareGeneral("175", "90"), 0) << "heights are text";
    const struct {
        const char *pattern;
        const char *text;
        bool match;
    } likes[] = {
        {"K*", "korva", true},
        {"*ò", "Falo", true},
        {"?S0#0", "KS060", true},
        {"KS0#0", "KS0x0", false},
        {"[KQ]*", "Quib", true},
        {"[!KQ]*", "Quib", false},
        {"[a-c]*", "Brenta", true},
        {"*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
        {"", "", true},
        {"a", "ab", false},
    };
    for (const auto &l : likes)
        EXPECT_EQ(db::detail::likeGeneral(l.pattern, l.text), l.match) << l.pattern << " ~ " << l.text;
}

QString tallestPerRange(const QString &priceList, const QString &vehicle)
{
    return QStringLiteral(
               "SELECT batterieTutte.LISTINO, batterieTutte.Espr1, batterieTutte.GAMMA, batterieTutte.CODICE, "
               "batterieTutte.CAPACITA,  batterieTutte.SCARICA, batterieTutte.POLO_POSITIVO, batterieTutte.LUNGHEZZA, "
               "batterieTutte.LARGHEZZA, batterieTutte.ALTEZZA, batterieTutte.ATTACCHI_BASE, batterieTutte.MONOBLOCCO, "
               "batterieTutte.FOTO, batterieTutte.NOTE, batterieTutte.Ordine  FROM [SELECT DISTINCT "
               "TabTechInfo.LISTINO, \" \" AS Espr1, TabTechInfo.GAMMA, TabTechInfo.CODICE, TabTechInfo.CAPACITA, "
               "TabTechInfo.SCARICA, TabTechInfo.POLO_POSITIVO, TabTechInfo.LUNGHEZZA, TabTechInfo.LARGHEZZA, "
               "TabTechInfo.ALTEZZA,  TabTechInfo.ATTACCHI_BASE, TabTechInfo.MONOBLOCCO, TabTechInfo.FOTO, "
               "TabTechInfo.NOTE, TabTechInfo.ORDINE  FROM (CP_Veicoli_Rel_Korva_Master INNER JOIN TabDistintaBatterie "
               "ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr) INNER JOIN TabTechInfo ON "
               "TabDistintaBatterie.codice = TabTechInfo.CODICE  WHERE (((TabTechInfo.LISTINO)=\"%1\") AND "
               "((CP_Veicoli_Rel_Korva_Master.idVeicolo)=%2))  ORDER BY TabTechInfo.ORDINE]. AS batterieTutte INNER "
               "JOIN [SELECT DISTINCT TabTechInfo.LISTINO, \" \" AS Espr1, TabTechInfo.GAMMA, Max(TabTechInfo.ALTEZZA) "
               "AS h  FROM (CP_Veicoli_Rel_Korva_Master INNER JOIN TabDistintaBatterie ON "
               "CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr) INNER JOIN TabTechInfo ON "
               "TabDistintaBatterie.codice = TabTechInfo.CODICE  GROUP BY TabTechInfo.LISTINO, \" \", "
               "TabTechInfo.GAMMA, CP_Veicoli_Rel_Korva_Master.idVeicolo  HAVING (((TabTechInfo.LISTINO)=\"%1\") AND "
               "((CP_Veicoli_Rel_Korva_Master.idVeicolo)=%2))]. AS batterieAlte ON (batterieTutte.ALTEZZA = "
               "batterieAlte.h) AND (batterieTutte.LISTINO = batterieAlte.LISTINO) AND (batterieTutte.GAMMA = "
               "batterieAlte.GAMMA)  ORDER BY batterieTutte.ORDINE; ")
        .arg(priceList, vehicle);
}

QString batterySearch(const QString &condition)
{
    return QStringLiteral(
               "SELECT DISTINCT TabTechInfo.LISTINO, \" \" AS Espr1, TabTechInfo.GAMMA, TabTechInfo.CODICE,  "
               "TabTechInfo.CAPACITA, TabTechInfo.SCARICA, TabTechInfo.POLO_POSITIVO, TabTechInfo.LUNGHEZZA, "
               "TabTechInfo.LARGHEZZA,  TabTechInfo.ALTEZZA, TabTechInfo.ATTACCHI_BASE, TabTechInfo.MONOBLOCCO, "
               "TabTechInfo.FOTO, TabTechInfo.NOTE, TabTechInfo.ORDINE  FROM TabTechInfo ")
           + condition + QStringLiteral(" ORDER BY TabTechInfo.ORDINE, TabTechInfo.CODICE;");
}

QString makesOfBattery(const QString &code)
{
    return QStringLiteral(
               "SELECT DISTINCT \"\" AS Espr1, CP_Veicoli.idMarca, CP_Veicoli.marca  FROM (CP_Veicoli_Rel_Korva_Master "
               "INNER JOIN CP_Veicoli ON CP_Veicoli_Rel_Korva_Master.idVeicolo = CP_Veicoli.idVeicolo)  INNER JOIN "
               "TabDistintaBatterie ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr  WHERE "
               "(((TabDistintaBatterie.codice)=\"%1\"))  ORDER BY CP_Veicoli.marca; ")
        .arg(code);
}

struct StatementCase {
    const char *name;
    QString sql;
    QStringList rows;
};

TEST(JetSqlTest, CatalogueStatementsGiveTheListedAnswers)
{
    const StatementCase cases[] = {
        {"price lists",
         "select distinct Listino from TabTechInfo WHERE not Listino is null or trim(Listino) <> \"\" ORDER BY "
         "Listino ",
         {"BRASK", "FENU", "KORVA", "QUIB", "ZELKAR"}},
        {"all makes, single-quoted empty constant",
         "SELECT DISTINCT '', idMarca, Marca FROM CP_Veicoli INNER JOIN CP_Veicoli_Rel_Korva_Master ON "
         "CP_Veicoli.idVeicolo = CP_Veicoli_Rel_Korva_Master.idVeicolo ORDER BY Marca",
         {"|AUR|Aurelia Motori", "|BRE|Brenta", "|CAS|Casoni", "|DOL|Dolomia"}},
        {"models of a make",
         "SELECT DISTINCT \"\", Modello FROM CP_Veicoli INNER JOIN CP_Veicoli_Rel_Korva_Master ON CP_Veicoli.idVeicolo "
         "= CP_Veicoli_Rel_Korva_Master.idVeicolo WHERE idMarca = \"BRE\" ORDER BY Modello",
         {"|Falò", "|Lido", "|Sestiere"}},
        {"versions, a vehicle with two relation rows listed twice",
         "SELECT [CP_Veicoli].idVeicolo, Versione, Alimentazione, left([Dal],4), left([Al],4), cm3, cv, kw FROM "
         "CP_Veicoli INNER JOIN CP_Veicoli_Rel_Korva_Master ON CP_Veicoli.idVeicolo = "
         "CP_Veicoli_Rel_Korva_Master.idVeicolo  WHERE idMarca = \"BRE\" AND Modello = \"Lido\" ORDER BY Versione ",
         {"1006|1.0 | 3 porte|Benzina|1997|2003|999|54|40", "1006|1.0 | 3 porte|Benzina|1997|2003|999|54|40",
          "1007|1.5 dCi|Diesel|2001|<NULL>|1461|65|48"}},
        {"a vehicle without relation rows is in no list",
         "SELECT [CP_Veicoli].idVeicolo, Versione FROM CP_Veicoli INNER JOIN CP_Veicoli_Rel_Korva_Master ON "
         "CP_Veicoli.idVeicolo = CP_Veicoli_Rel_Korva_Master.idVeicolo  WHERE idMarca = \"CAS\" AND Modello = "
         "\"Torre\" ORDER BY Versione ",
         {"1010|1.8 TDI 4x4"}},
        {"tallest per range, two of equal height",
         tallestPerRange("KORVA", "1001"),
         {"KORVA| |Korva Start|KS060|60|540|DX|242|175|190|B13|L2|korva_start.jpg|<B>Più venduta</B>|20",
          "KORVA| |Korva Start|KS062|60.5|540|SX|242|175|190|B13|L2|korva_start.jpg|<NULL>|30"}},
        {"tallest per range compares heights as text",
         tallestPerRange("FENU", "1006"),
         {"FENU| |Fenu Eco|FE012|12|200|SX|150|87|90|B0|<NULL>|fenu_eco.jpg|Può essere usata come batteria "
          "ausiliaria|20"}},
        {"tallest per range, codes without data in the list are left out",
         tallestPerRange("KORVA", "1014"),
         {"KORVA| |Korva Power|KP074|74|680|DX|278|175|190|B13|L3|korva_power.jpg|Batteria già carica: è pronta "
          "all'uso.|60",
          "KORVA| |Korva AGM|KA095|95|850|DX|353|175|190|B13|L5|korva_agm.jpg|Per veicoli con Start&Stop.\r\nNon "
          "aprire i tappi.|80"}},
        {"battery search by range and code",
         batterySearch(" WHERE LISTINO =\"KORVA\"  AND GAMMA = \"Korva Start\"  AND CODICE = \"KS044\" "),
         {"KORVA| |Korva Start|KS044|44|360|DX|207|175|175|B13|L1|korva_start.jpg|<NULL>|10"}},
        {"battery search by capacity, discharge and polarity",
         batterySearch(
             " WHERE LISTINO =\"KORVA\"  AND CAPACITA = 60.5  AND SCARICA = 540  AND POLO_POSITIVO = \"SX\" "),
         {"KORVA| |Korva Start|KS062|60.5|540|SX|242|175|190|B13|L2|korva_start.jpg|<NULL>|30"}},
        {"battery search of a whole price list",
         batterySearch(" WHERE LISTINO =\"FENU\" "),
         {"FENU| |Fenu Eco|FE035|35|300|DX|187|127|175|B0|B19|fenu_eco.jpg|<NULL>|10",
          "FENU| |Fenu Eco|FE012|12|200|SX|150|87|90|B0|<NULL>|fenu_eco.jpg|Può essere usata come batteria "
          "ausiliaria|20"}},
        {"old-code lookup",
         "SELECT TabTechInfo.OLD_CODICE, TabTechInfo.CODICE, TabTechInfo.GAMMA  FROM TabTechInfo  WHERE "
         "(((TabTechInfo.OLD_CODICE)= \"KP072\")  AND ((TabTechInfo.LISTINO)=\"KORVA\" ) )",
         {"KP072|KP074|Korva Power"}},
        {"makes fitting a battery", makesOfBattery("KS044"), {"|AUR|Aurelia Motori", "|BRE|Brenta"}},
        {"ten empty columns",
         "SELECT \"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\" FROM [Tab1riga]",
         {"|||||||||"}},
        {"letters compare without case or accents",
         "SELECT idVeicolo FROM CP_Veicoli WHERE Modello = \"PRATOLA\" ORDER BY 1",
         {"1004", "1005"}},
        {"sorting ignores case and accents",
         "SELECT DISTINCT Modello FROM CP_Veicoli WHERE idMarca = 'cas' OR Modello Like 'f*' ORDER BY Modello",
         {"Città", "Falò", "Torre"}},
        {"Like with ? and #", "SELECT CODICE FROM TabTechInfo WHERE CODICE Like \"?P-#0\"", {"ZP-80"}},
        {"functions and concatenation",
         "SELECT Mid(Marca, 2, 3) & '-' & Right(Marca, 2), Len(Marca), UCase(idMarca), LCase(Marca), Val(' 12 5x'), "
         "LTrim('  a ') & '|', RTrim('  a ') & '|', IIf(Cm3 > 1000, 'big', 'small'), Nz(Al, 'open'), IsNull(Al), "
         "True, False FROM CP_Veicoli WHERE idVeicolo = 1003",
         {"ure-ri|14|AUR|aurelia motori|125|a ||  a||big|open|-1|-1|0"}},
    };
    auto conn = dbtest::openSmall();
    for (const StatementCase &c : cases) {
        SCOPED_TRACE(c.name);
        try {
            EXPECT_EQ(dbtest::rowsOf(*conn, c.sql).join(u'\n').toStdString(), c.rows.join(u'\n').toStdString());
        } catch (const DbError &e) {
            ADD_FAILURE() << e.what();
        }
    }
}

TEST(JetSqlTest, EngineErrorsAndChangesFailClearly)
{
    const struct {
        const char *sql;
        DbErrc code;
        const char *message;
    } cases[] = {
        {"SELEC * FROM TabTechInfo", DbErrc::Sql, "syntax error"},
        {"SELECT * FROM NoSuchTable", DbErrc::Sql, "no such table"},
        {"SELECT [nothing] FROM Tab1riga", DbErrc::Sql, "no such column"},
        {"SELECT * FROM Tab1riga; SELECT 2", DbErrc::Sql, "only one statement"},
        {"SELECT * FROM Tab1riga WHERE id = :x", DbErrc::Sql, "No value given"},
        {"UPDATE Tab1riga SET id = 2", DbErrc::ReadOnly, "reading only"},
        {"DELETE FROM TabTechInfo", DbErrc::ReadOnly, "reading only"},
        {"INSERT INTO Tab1riga VALUES (5)", DbErrc::ReadOnly, "reading only"},
        {"CREATE TABLE x (a)", DbErrc::ReadOnly, "reading only"},
        {"DROP TABLE Tab1riga", DbErrc::ReadOnly, "reading only"},
        {"ATTACH '/tmp/x.sqlite' AS x", DbErrc::ReadOnly, "reading only"},
        {"PRAGMA query_only=0", DbErrc::ReadOnly, "reading only"},
    };
    auto conn = dbtest::openSmall();
    // A streamed statement goes through the same checks as an opened one.
    for (const bool streamed : {false, true}) {
        for (const auto &c : cases) {
            db::Query q(*conn);
            q.AddSQL(c.sql);
            bool reached = false;
            try {
                if (streamed)
                    q.Stream([&](const QStringList &) { reached = true; }, [&](db::RecordTexts &) { reached = true; });
                else
                    q.Open();
                ADD_FAILURE() << "ran: " << c.sql;
            } catch (const DbError &e) {
                EXPECT_EQ(e.code(), c.code) << c.sql;
                EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
            }
            EXPECT_FALSE(q.Active());
            EXPECT_FALSE(reached) << c.sql;
        }
    }
    EXPECT_EQ(dbtest::rowsOf(*conn, "SELECT id FROM Tab1riga"), QStringList{"1"}) << "nothing changed";
}

TEST(QueryTest, MovesThroughTheWholeResult)
{
    auto conn = dbtest::openSmall();
    db::Query q(*conn);
    q.AddSQL("SELECT ktypnr FROM TabDistintaBatterie WHERE codice = 'KS044' ORDER BY ktypnr");
    q.Open();
    ASSERT_EQ(q.RecordCount(), 5);
    q.MoveTo(3);
    EXPECT_EQ(q.AsString(0), "20007");
    q.Next();
    q.Next();
    EXPECT_TRUE(q.Eof());
    testsupport::expectThrowText<DbError>([&] { q.AsString(0); }, "no current record");
    q.First();
    EXPECT_EQ(q.AsString(0), "20001");
    testsupport::expectThrowText<DbError>([&] { q.MoveTo(5); }, "There is no record 5");
    q.setFilter("ktypnr > 20006");
    q.setFiltered(true);
    q.Open();
    EXPECT_EQ(q.RecordCount(), 2);
    q.Close();
    EXPECT_FALSE(q.Active());
    EXPECT_EQ(q.RecordCount(), 0);
}

} // namespace
