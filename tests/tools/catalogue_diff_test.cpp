// catalogue-diff run as a catalogue maker runs it, on two catalogues built from sources
// that differ by one change of each kind: the CSV row for row, the text's summary and
// per-vehicle codes, the page's self-containment, and the ways it refuses to run.
#include "tests/tools/catalogue_build_support.h"
#include "tests/tools/report_sources.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using buildtest::runTool;
using namespace reporttest;

namespace {

class CatalogueDiffTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        const Sources before = smallSources();
        Sources after = before;
        const QString techHead = "\"KORVA\",\"Korva Start\",";
        setLine(after, "CP_Veicoli", "1001,",
                R"(1001,"AUR","Aurelia Motori","Vesta","1.2 8v","Benzina","199503","200112",1242,65,44)");
        setLine(after, "CP_Veicoli", "1002,", "");
        setLine(after, "CP_Veicoli", "1003,",
                R"(1003,"AUR","Aurelia Motori","Vesta","1.4 16V ""Sport""","Benzina","200201","200512",1368,95,70)");
        addLine(after, "CP_Veicoli",
                R"(1099,"AUR","Aurelia Motori","Vesta","1.6 Nuova","Benzina","202401",,1598,110,81)");
        setLine(after, "TabDistintaBatterie", "20001,\"KS044\"", "");
        addLine(after, "TabDistintaBatterie", "20003,\"KP070\"");
        setLine(after, "TabTechInfo", techHead + "\"KS060\"",
                techHead
                    + R"("KS060",,62,540,"DX","242","175","190","B13","L2","korva_start.jpg","<B>Più venduta</B>",20)");
        addLine(after, "TabTechInfo",
                techHead + R"("KS075",,75,700,"DX","278","175","190","B13","L3","korva_start.jpg",,25)");
        setLine(after, "TabTechInfo", "\"QUIB\",\"Quib Plus\",\"QP72\"", "");
        setLine(after, "TabTechInfo", "\"KORVA\",\"Korva Power\",\"KP074\",\"KP072\"",
                R"("KORVA","Korva Power","ESAURIMENTO","KP072",,,,,,,,,,,70)");
        setLine(after, "TabTechInfo", "\"ZELKAR\",\"Zelkar Pro\",\"ZP-100\",\"ZP-90\"", "");
        addLine(after, "TabTechInfo", R"("QUIB","Quib Classic","QC60","QC50",,,,,,,,,,,30)");
        oldMdb = new QString(build(before, dir->path() + "/old"));
        newMdb = new QString(build(after, dir->path() + "/new"));
    }
    static void TearDownTestSuite()
    {
        delete oldMdb;
        delete newMdb;
        delete dir;
    }
    static QTemporaryDir *dir;
    static QString *oldMdb;
    static QString *newMdb;
};
QTemporaryDir *CatalogueDiffTest::dir = nullptr;
QString *CatalogueDiffTest::oldMdb = nullptr;
QString *CatalogueDiffTest::newMdb = nullptr;

TEST_F(CatalogueDiffTest, CsvListsEachChangeOnceInSubjectAndKeyOrder)
{
    const auto r = runTool("catalogue-diff", {*oldMdb, *newMdb, "--format", "csv"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList expected = {
        "change,subject,key,field,old,new",
        "changed,vehicle,1001,Versione,1.2 8V,1.2 8v", // a changed letter case is a change
        "changed,vehicle,1001,Cv,60,65",
        "removed,vehicle,1002,,,",
        "changed,vehicle,1003,Al,,200512", // Null before: an empty old value
        "added,vehicle,1099,,,",
        "removed,fitment,20001/KS044,,,",
        "added,fitment,20003/KP070,,,",
        "changed,battery,KORVA/KS060,CAPACITA,60,62",
        "added,battery,KORVA/KS075,,,",
        "removed,battery,QUIB/QP72,,,",
        "changed,old-code,KORVA/KP072,CODICE,KP074,ESAURIMENTO",
        "added,old-code,QUIB/QC50,,,",
        "removed,old-code,ZELKAR/ZP-90,,,",
        "",
    };
    EXPECT_EQ(r.out.split("\r\n"), expected);
}

TEST_F(CatalogueDiffTest, TextSummarisesThenNamesVehiclesAndTheirCodes)
{
    const auto r = runTool("catalogue-diff", {*oldMdb, *newMdb});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[3],
              "1 veicolo aggiunto, 1 tolto, 2 modificati; 1 abbinamento aggiunto, 1 tolto; "
              "1 batteria aggiunta, 1 tolta, 1 modificata; 1 vecchio codice aggiunto, 1 tolto, 1 modificato.");
    for (const char *part :
         {"VEICOLI AGGIUNTI\n  1099  Aurelia Motori Vesta 1.6 Nuova\n",
          "  1001  Aurelia Motori Vesta 1.2 8v\n      Versione: 1.2 8V -> 1.2 8v\n      Cv: 60 -> 65\n",
          "      Al: (Null) -> 200512\n",
          "BATTERIE PER VEICOLO\n  1001  Aurelia Motori Vesta 1.2 8v\n      tolte: KS044\n"
          "  1003  Aurelia Motori Vesta 1.4 16V \"Sport\"\n      nuove: KP070\n",
          "  KORVA/KP072  in esaurimento\n      CODICE: KP074 -> ESAURIMENTO (in esaurimento)\n"})
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(part))) << part << "\nin:\n" << r.out.toStdString();
}

TEST_F(CatalogueDiffTest, HtmlIsOneSelfContainedPage)
{
    QTemporaryDir out;
    const QString page = out.filePath("diff.html");
    const auto r = runTool("catalogue-diff", {"--format", "html", "--output", page, *oldMdb, *newMdb});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    const QString html = QString::fromUtf8(buildtest::readFile(page));
    EXPECT_TRUE(html.startsWith("<!DOCTYPE html>"));
    EXPECT_TRUE(html.contains("@media print"));
    for (const char *outside : {"<script", "src=", "href=", "url(", "@import"})
        EXPECT_FALSE(html.contains(outside, Qt::CaseInsensitive)) << outside;
    EXPECT_TRUE(html.contains("<td>Versione</td><td>1.2 8V</td><td>1.2 8v</td>"));
    EXPECT_TRUE(html.contains("<td>1.4 16V &quot;Sport&quot;</td>") || html.contains("1.4 16V &quot;Sport&quot;"));
    EXPECT_EQ(html.count("<table>"), html.count("</table>"));
}

TEST_F(CatalogueDiffTest, SameCatalogueHasNoChanges)
{
    const auto r = runTool("catalogue-diff", {"--format", "csv", *oldMdb, *oldMdb});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "change,subject,key,field,old,new\r\n");
}

TEST_F(CatalogueDiffTest, MissingTableIsReportedNotCompared)
{
    Sources partial = smallSources();
    partial.erase("TabTechInfo");
    std::map<QString, QByteArray> files;
    for (const auto &[table, text] : partial)
        files[table + ".csv"] = text.toUtf8();
    const QString where = dir->path() + "/partial";
    buildtest::writeFiles(where + "/src", files);
    ASSERT_EQ(buildtest::runBuild({"--schema", "none", where + "/src", where}).exitCode, 0);

    const auto r = runTool("catalogue-diff", {"--format", "csv", *newMdb, where + "/vc_korva.mdb"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("TabTechInfo is missing in the new catalogue")) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains(",battery,"));
    EXPECT_TRUE(r.out.contains("changed,vehicle,1001,Cv,65,60"));
}

TEST_F(CatalogueDiffTest, UsageAndOpeningErrorsExitWithTwo)
{
    QTemporaryDir scratch;
    const QString notJet = scratch.filePath("text.mdb");
    buildtest::writeFiles(scratch.path(), {{"text.mdb", QByteArray("just some text, not a database\n").repeated(200)}});
    const struct {
        const char *name;
        QStringList args;
        const char *err;
    } cases[] = {
        {"one catalogue", {*oldMdb}, "two catalogues"},
        {"unknown format", {"--format", "xml", *oldMdb, *newMdb}, "unknown format"},
        {"unknown option", {"--colour", *oldMdb, *newMdb}, "unknown option"},
        {"missing file", {*oldMdb, scratch.filePath("none.mdb")}, "Could not find"},
        {"not a Jet file", {notJet, *newMdb}, "catalogue-diff: "},
        {"wrong password", {"--password", "x", *oldMdb, *newMdb}, "password"},
    };
    for (const auto &c : cases) {
        const auto r = runTool("catalogue-diff", c.args);
        EXPECT_EQ(r.exitCode, 2) << c.name;
        EXPECT_TRUE(r.err.contains(c.err)) << c.name << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.name;
    }
}

} // namespace
