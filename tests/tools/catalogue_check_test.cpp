// catalogue-check on catalogues built from sources: a clean catalogue has no finding, and
// each fault put into it gives exactly its findings (CSV rows) and the exit status its
// severity calls for.
#include "tests/tools/catalogue_build_support.h"
#include "tests/tools/report_sources.h"

#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using buildtest::runTool;
using namespace reporttest;

namespace {

const QString kHeader = "severity,check,table,key,detail";

// The small catalogue without its deliberate faults; a few values carry blanks and letter
// cases that must not count as faults.
Sources cleanSources()
{
    Sources s = smallSources();
    for (const char *fitment : {"20011,\"KP072\"", "20012,\"KS041\"", "20013,\"ZP-90\"", "20014,\"KS999\""})
        setLine(s, "TabDistintaBatterie", fitment, "");
    addLine(s, "TabDistintaBatterie", "20015,\"qc60\""); // joins ignore letter case
    addLine(s, "CP_Veicoli_Rel_Korva_Master", "1011,20017");
    setLine(s, "TabTechInfo", "\"KORVA\",\"Korva Start\",\"KS044\"",
            R"("KORVA","Korva Start","KS044",,44,360,"DX"," 207","175 ","175","B13","L1","korva_start.jpg",,10)");
    return s;
}

QStringList rows(const QString &csv) { return csv.split("\r\n", Qt::SkipEmptyParts); }

TEST(CatalogueCheckTest, CleanCatalogueHasNoFinding)
{
    QTemporaryDir dir;
    const auto r = runTool("catalogue-check", {build(cleanSources(), dir.path()), "--format", "csv"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(rows(r.out), QStringList{kHeader});
}

TEST(CatalogueCheckTest, EachFaultGivesItsFindings)
{
    const QString korva = R"("KORVA","Korva Start",)";
    const struct {
        const char *name;
        std::function<void(Sources &)> fault;
        QStringList findings;
        int exit;
    } cases[] = {
        {"fitment without battery",
         [](Sources &s) { addLine(s, "TabDistintaBatterie", "20001,\"KX999\""); },
         {R"(warning,fitment-without-battery,TabDistintaBatterie,20001/KX999,"no TabTechInfo row in any price list has CODICE ""KX999""")"},
         0},
        {"height not a number",
         [&](Sources &s) {
             setLine(s, "TabTechInfo", korva + "\"KS062\"",
                     korva + R"("KS062",,60.5,540,"SX","242","175","19 0","B13","L2","korva_start.jpg",,30)");
         },
         {R"(error,not-a-number,TabTechInfo,KORVA/KS062,"ALTEZZA ""19 0"" is not a whole number")"},
         1},
        {"discharge Null",
         [](Sources &s) {
             setLine(s, "TabTechInfo", "\"BRASK\",\"Brask Silver\"",
                     R"("BRASK","Brask Silver","BS063",,63,,"DX","242","175","190","B13","L2",,,20)");
         },
         {"error,not-a-number,TabTechInfo,BRASK/BS063,SCARICA is Null"},
         1},
        {"vehicle without relation",
         [](Sources &s) { setLine(s, "CP_Veicoli_Rel_Korva_Master", "1016,", ""); },
         {"warning,vehicle-without-relation,CP_Veicoli,1016,Dolomia Brina has no relation row: the program never lists "
          "it"},
         0},
        {"relation without vehicle",
         [](Sources &s) { addLine(s, "CP_Veicoli_Rel_Korva_Master", "1099,20001"); },
         {"error,relation-without-vehicle,CP_Veicoli_Rel_Korva_Master,1099/20001,idVeicolo 1099 is not in CP_Veicoli"},
         1},
        {"successor without battery",
         [](Sources &s) {
             setLine(s, "TabTechInfo", "\"KORVA\",\"Korva Power\",\"KP074\",\"KP072\"",
                     R"("KORVA","Korva Power","KP099","KP072",,,,,,,,,,,70)");
         },
         {R"(error,old-code-missing-successor,TabTechInfo,KORVA/KP072,"successor ""KP099"" has no battery row in price list KORVA")"},
         1},
        {"successors in a loop",
         [](Sources &s) {
             addLine(s, "TabTechInfo", R"("QUIB","Quib Classic","QC60","QC45",,,,,,,,,,,40)");
             addLine(s, "TabTechInfo", R"("QUIB","Quib Classic","QC45","QC60",,,,,,,,,,,50)");
         },
         {"error,old-code-loop,TabTechInfo,QUIB/QC45,successors lead back to the old code: QC45 -> QC60 -> QC45",
          "error,old-code-loop,TabTechInfo,QUIB/QC60,successors lead back to the old code: QC60 -> QC45 -> QC60"},
         1},
        {"duplicate fitment",
         [](Sources &s) { addLine(s, "TabDistintaBatterie", "20002,\"KP070\""); },
         {"warning,duplicate-row,TabDistintaBatterie,20002/KP070,2 identical rows"},
         0},
        {"one row thrice, another twice",
         [](Sources &s) {
             for (const char *row : {"20002,\"KP070\"", "20001,\"KS044\"", "20002,\"KP070\""})
                 addLine(s, "TabDistintaBatterie", row);
         },
         {"warning,duplicate-row,TabDistintaBatterie,20001/KS044,2 identical rows",
          "warning,duplicate-row,TabDistintaBatterie,20002/KP070,3 identical rows"},
         0},
        {"unknown price list",
         [](Sources &s) {
             setLine(s, "TabTechInfo", "\"FENU\",\"Fenu Eco\",\"FE012\"",
                     R"("FENNU","Fenu Eco","FE012",,12,200,"SX","150","87","90","B0",,"fenu_eco.jpg",,20)");
         },
         {R"(warning,unknown-price-list,TabTechInfo,FENNU,"1 rows in price list ""FENNU"", which is none of KORVA, QUIB, BRASK, FENU, ZELKAR")"},
         0},
        {"note with an unclosed tag",
         [](Sources &s) {
             setLine(
                 s, "TabTechInfo", "\"QUIB\",\"Quib Classic\",\"QC60\"",
                 R"("QUIB","Quib Classic","QC60",,60,510,"DX","242","175","190","B13","L2","quib_classic.jpg","<B>Nuovo formato",20)");
         },
         {"warning,note-markup,TabTechInfo,QUIB/QC60,unclosed tag <B>"},
         0},
        {"note with an unknown tag",
         [](Sources &s) {
             setLine(
                 s, "TabTechInfo", "\"BRASK\",\"Brask Heavy\"",
                 R"("BRASK","Brask Heavy","BH140",,140,800,"SX","513","189","223","B00",,"brask_heavy.jpg","<BLINK>Solo</BLINK> veicoli",10)");
         },
         {"warning,note-markup,TabTechInfo,BRASK/BH140,unknown tag <BLINK>; unknown tag </BLINK>"},
         0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Sources s = cleanSources();
        c.fault(s);
        QTemporaryDir dir;
        const auto r = runTool("catalogue-check", {"--format", "csv", build(s, dir.path())});
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
        EXPECT_EQ(rows(r.out), QStringList{kHeader} + c.findings);
    }
}

// Photos are looked up as the program does: <FOTO>.JPG, the exact name first, then any
// letter case.
TEST(CatalogueCheckTest, PhotosFoundInAnyCase)
{
    QTemporaryDir dir;
    const QString mdb = build(cleanSources(), dir.path() + "/cat");
    const QString photos = dir.path() + "/foto";
    std::map<QString, QByteArray> files;
    for (const char *name : {"korva_start.jpg.JPG", "KORVA_POWER.JPG.JPG", "korva_agm.jpg.jpg", "quib_classic.jpg.JPG",
                             "quib_plus.jpg.JPG", "brask_heavy.jpg.JPG", "fenu_eco.jpg.JPG"})
        files[name] = "not decoded";
    buildtest::writeFiles(photos, files);

    const auto r = runTool("catalogue-check", {mdb, "--photos", photos, "--format", "csv"});
    EXPECT_EQ(r.exitCode, 1);
    QStringList expected{kHeader};
    for (const char *code : {"ZP-100", "ZP-55", "ZP-80"})
        expected << QString("error,photo-missing,TabTechInfo,ZELKAR/%1,no zelkar_pro.jpg.JPG in %2").arg(code, photos);
    EXPECT_EQ(rows(r.out), expected);

    const auto text = runTool("catalogue-check", {mdb, "--photos", photos});
    EXPECT_TRUE(text.out.endsWith("3 errors, 0 warnings\n")) << text.out.toStdString();
}

// The maker's tables beside the catalogue: faulty lines are errors (the program skips
// them), names the catalogue does not have are warnings (the program finds no use for them).
TEST(CatalogueCheckTest, TheMakersTablesBesideTheCatalogue)
{
    QTemporaryDir dir;
    const QString mdb = build(cleanSources(), dir.path());
    buildtest::writeFiles(dir.path(), {{"tecnologie.csv", "GAMMA;TECNOLOGIA;CODICE\r\n"
                                                          "Korva Start;TRADIZIONALE;\r\n"
                                                          "korva power;EFB;KP070\r\n"
                                                          "Korva Turbo;EFB;\r\n"
                                                          "Korva Start;AGM;KS777\r\n"
                                                          "Korva AGM;LITIO;\r\n"
                                                          "Korva Start;EFB;\r\n"},
                                       {"registrazione.csv", "idMarca;REGOLA;TESTO\n"
                                                             "aur;diagnosi;Con la diagnosi\n"
                                                             "XYZ;autoapprendimento;Da sola\n"
                                                             "BRE;manuale;Niente\n"}});
    const auto r = runTool("catalogue-check", {mdb, "--format", "csv"});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_EQ(
        rows(r.out),
        (QStringList{
            kHeader,
            R"(error,technology-table,tecnologie.csv,6,"TECNOLOGIA ""LITIO"" is none of AGM, EFB, GEL, TRADIZIONALE")",
            R"(error,technology-table,tecnologie.csv,7,"""Korva Start"" already on line 2, which holds")",
            R"(warning,technology-unknown-range,tecnologie.csv,4,"GAMMA ""Korva Turbo"" is no range of TabTechInfo")",
            R"(warning,technology-unknown-code,tecnologie.csv,5,"CODICE ""KS777"" is no battery of TabTechInfo")",
            R"(error,registration-table,registrazione.csv,4,"REGOLA ""manuale"" is none of autoapprendimento, diagnosi")",
            R"(warning,registration-unknown-make,registrazione.csv,3,"idMarca ""XYZ"" is no make of CP_Veicoli")"}));
}

TEST(CatalogueCheckTest, UsageAndOpeningErrorsExitWithTwo)
{
    QTemporaryDir dir;
    const QString mdb = build(cleanSources(), dir.path());
    const struct {
        const char *name;
        QStringList args;
        const char *err;
    } cases[] = {
        {"no catalogue", {}, "one catalogue is needed"},
        {"html is not a check format", {mdb, "--format", "html"}, "unknown format"},
        {"photo folder missing", {mdb, "--photos", dir.filePath("none")}, "is not a folder"},
        {"missing file", {dir.filePath("none.mdb")}, "Could not find"},
        {"bad password codes", {"--password-codes", "1,x", mdb}, "not a character code"},
    };
    for (const auto &c : cases) {
        const auto r = runTool("catalogue-check", c.args);
        EXPECT_EQ(r.exitCode, 2) << c.name;
        EXPECT_TRUE(r.err.contains(c.err)) << c.name << ": " << r.err.toStdString();
    }
}

} // namespace
