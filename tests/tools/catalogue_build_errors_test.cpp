// Bad sources: every problem stops the build with "file:line: reason", a non-zero exit
// and no output, even where an older build's files are in the way.
#include "tests/tools/catalogue_build_support.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

using namespace buildtest;

namespace {

const QString kSmallSources = smallCatalogueSources();

struct BadSource {
    const char *name;
    bool catalogue;                                     // start from the small catalogue
    std::map<QString, std::optional<QByteArray>> files; // replaced, added, or removed (nullopt)
    QString where;                                      // "<file>:<line>"
    QString reason;                                     // part of the reason
};

const QByteArray kTechHeader =
    "LISTINO:text(20),GAMMA:text(40),CODICE:text(30),OLD_CODICE:text(30),CAPACITA:double,SCARICA:long,"
    "POLO_POSITIVO:text(10),LUNGHEZZA:text(10),LARGHEZZA:text(10),ALTEZZA:text(10),ATTACCHI_BASE:text(10),"
    "MONOBLOCCO:text(20),FOTO:text(40),NOTE:text(255),ORDINE:long\n";

} // namespace

TEST(CatalogueBuildErrors, StopAtTheFileAndLineWithNoOutput)
{
    const std::vector<BadSource> cases = {
        {"unknown type", false, {{"T.csv", "a:long,b:varchar(3)\n1,x\n"}}, "T.csv:1", "unknown type \"varchar(3)\""},
        {"column without type", false, {{"T.csv", "a\n1\n"}}, "T.csv:1", "has no type"},
        {"text size out of range", false, {{"T.csv", "a:text(300)\n"}}, "T.csv:1", "text size must be 1 to 255"},
        {"too few fields", false, {{"T.csv", "a:long,b:long\n1,2\n3\n"}}, "T.csv:3", "1 fields where the header has 2"},
        {"too many fields", false, {{"T.csv", "a:long\n1,2\n"}}, "T.csv:2", "2 fields where the header has 1"},
        {"line counted after a quoted line break",
         false,
         {{"T.csv", "a:text,b:long\n\"x\r\ny\",1\n\"z\",oops\n"}},
         "T.csv:4",
         "\"oops\" is not a whole number"},
        {"long that is not a number", false, {{"T.csv", "a:long\n12x\n"}}, "T.csv:2", "\"12x\" is not a whole number"},
        {"double with a comma", false, {{"T.csv", "a:double\n\"1,5\"\n"}}, "T.csv:2", "\"1,5\" is not a number"},
        {"double that is not finite", false, {{"T.csv", "a:double\ninf\n"}}, "T.csv:2", "\"inf\" is not a number"},
        {"quoted empty number", false, {{"T.csv", "a:long\n\"\"\n"}}, "T.csv:2", "\"\" is not a whole number"},
        {"long out of range", false, {{"T.csv", "a:long\n2147483648\n"}}, "T.csv:2", "out of range"},
        {"byte out of range", false, {{"T.csv", "a:byte\n256\n"}}, "T.csv:2", "out of range"},
        {"bool word", false, {{"T.csv", "a:bool\nyes\n"}}, "T.csv:2", "is not a bool"},
        {"impossible date", false, {{"T.csv", "a:datetime\n2023-02-29\n"}}, "T.csv:2", "is not a date"},
        {"decimal without precision",
         false,
         {{"T.csv", "\"a:decimal(,2)\"\n"}},
         "T.csv:1",
         "a decimal needs a precision of 1 to 28"},
        {"decimal scale above precision",
         false,
         {{"T.csv", "\"a:decimal(4,5)\"\n"}},
         "T.csv:1",
         "a decimal needs a precision of 1 to 28"},
        {"decimal precision above 28",
         false,
         {{"T.csv", "a:decimal(29)\n"}},
         "T.csv:1",
         "a decimal needs a precision of 1 to 28"},
        {"decimal with more decimals than its scale",
         false,
         {{"T.csv", "\"a:decimal(6,2)\"\n1.5\n1.505\n"}},
         "T.csv:3",
         "holds at most 4 digits before the point and 2 after it"},
        {"decimal with more digits than its precision",
         false,
         {{"T.csv", "\"a:decimal(6,2)\"\n-9999.99\n10000\n"}},
         "T.csv:3",
         "holds at most 4 digits before the point"},
        {"decimal with an exponent",
         false,
         {{"T.csv", "a:decimal\n1e3\n"}},
         "T.csv:2",
         "\"1e3\" is not a decimal number"},
        {"single beyond its range", false, {{"T.csv", "a:single\n1e39\n"}}, "T.csv:2", "within the range of a single"},
        {"guid without braces",
         false,
         {{"T.csv", "a:guid\n8E39276A-BCA8-4AC4-891E-49911D8438DD\n"}},
         "T.csv:2",
         "is not a GUID"},
        {"guid grouped wrongly",
         false,
         {{"T.csv", "a:guid\n{8E39276A-BCA8-4AC4-891E49911D8438DD-}\n"}},
         "T.csv:2",
         "is not a GUID"},
        {"guid with a letter beyond F",
         false,
         {{"T.csv", "a:guid\n{8E39276A-BCA8-4AC4-891E-49911D8438DG}\n"}},
         "T.csv:2",
         "is not a GUID"},
        {"text longer than its size",
         false,
         {{"T.csv", "a:long,b:text(3)\n1,abc\n2,\"abcd\"\n"}},
         "T.csv:3",
         "text of 4 characters is longer than the column's 3"},
        {"accents count as characters", false, {{"T.csv", "a:text(3)\nàèì\nàèìò\n"}}, "T.csv:3", "longer"},
        {"unclosed quote", false, {{"T.csv", "a:text\n\"open\n\nmore\n"}}, "T.csv:2", "quoted field is not closed"},
        {"text after a closing quote", false, {{"T.csv", "a:text\n\"x\"y\n"}}, "T.csv:2", "after the closing quote"},
        {"invalid UTF-8", false, {{"T.csv", "a:text\n\"\xC3\x28\"\n"}}, "T.csv:2", "not valid UTF-8"},
        {"duplicate column", false, {{"T.csv", "a:long,A:long\n"}}, "T.csv:1", "two columns named"},
        {"empty file", false, {{"T.csv", ""}}, "T.csv:1", "no header line"},
        {"row too long",
         false,
         {{"T.csv", "a:text,b:text,c:text,d:text,e:text,f:text,g:text,h:text,i:text\n"
                        + QByteArray("\"" + QString(255, QChar(0x416)).toUtf8() + "\",").repeated(8) + "x\n"}},
         "T.csv:2",
         "a row can hold at most 4060"},
        {"missing table", true, {{"Tab1riga.csv", std::nullopt}}, "Tab1riga.csv:1", "needs the table Tab1riga"},
        {"missing column",
         true,
         {{"TabTechInfo.csv", QByteArray(kTechHeader).replace("NOTE:text(255),", "")}},
         "TabTechInfo.csv:1",
         "needs a column NOTE"},
        {"note as memo",
         true,
         {{"TabTechInfo.csv", QByteArray(kTechHeader).replace("NOTE:text(255)", "NOTE:memo")}},
         "TabTechInfo.csv:1",
         "column NOTE must be text, not memo"},
        {"capacity as text",
         true,
         {{"TabTechInfo.csv", QByteArray(kTechHeader).replace("CAPACITA:double", "CAPACITA:text")}},
         "TabTechInfo.csv:1",
         "column CAPACITA must be a number"},
        {"vehicle key as double",
         true,
         {{"CP_Veicoli_Rel_Korva_Master.csv", "idVeicolo:double,ktypnr:long\n"}},
         "CP_Veicoli_Rel_Korva_Master.csv:1",
         "column idVeicolo must be a whole number"},
        {"ambiguous join column",
         true,
         {{"TabDistintaBatterie.csv", "ktypnr:long,codice:text(30),dal:text\n"}},
         "TabDistintaBatterie.csv:1",
         "column Dal may not be in TabDistintaBatterie"},
        {"type numbers of two types",
         true,
         {{"TabDistintaBatterie.csv", "ktypnr:text(10),codice:text(30)\n"}},
         "CP_Veicoli_Rel_Korva_Master.csv:1",
         "must have the type of TabDistintaBatterie.ktypnr (text), not long"},
        {"one-row table with two",
         true,
         {{"Tab1riga.csv", "id:long\n1\n2\n"}},
         "Tab1riga.csv:3",
         "exactly one row, not 2"},
        {"one-row table empty", true, {{"Tab1riga.csv", "id:long\n"}}, "Tab1riga.csv:1", "exactly one row, not 0"},
    };
    for (const BadSource &c : cases) {
        QTemporaryDir dir;
        const QString src = dir.path() + "/src";
        QDir().mkpath(src);
        if (c.catalogue) {
            for (const QString &f : QDir(kSmallSources).entryList({"*.csv"})) {
                ASSERT_TRUE(QFile::copy(kSmallSources + "/" + f, src + "/" + f));
            }
        }
        for (const auto &[name, content] : c.files) {
            QFile::remove(src + "/" + name);
            if (content)
                writeFiles(src, {{name, *content}});
        }
        // An earlier build's files must survive a failed one untouched.
        const QString out = dir.path() + "/out";
        writeFiles(out, {{"vc_korva.mdb", "earlier"}});
        QStringList args{"--date", "2024-01-15", src, out};
        if (!c.catalogue)
            args = QStringList{"--schema", "none"} + args;
        const RunResult r = runBuild(args);
        EXPECT_NE(r.exitCode, 0) << c.name;
        EXPECT_TRUE(r.err.startsWith(src + "/" + c.where + ": ")) << c.name << "\nstderr: " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.reason)) << c.name << "\nstderr: " << r.err.toStdString();
        EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList{"vc_korva.mdb"}) << c.name;
        EXPECT_EQ(readFile(out + "/vc_korva.mdb"), "earlier") << c.name;
    }
}

TEST(CatalogueBuildErrors, BadOptionsAreRefusedBeforeAnyWork)
{
    QTemporaryDir dir;
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"--password-codes", "1,x", dir.path(), dir.path() + "/out"}, "\"x\" is not a character code"},
        {{"--password-codes", QString("1,").repeated(20) + "1", dir.path(), dir.path() + "/out"}, "at most 20"},
        {{"--date", "2024-13-01", dir.path(), dir.path() + "/out"}, "is not a date"},
        {{"--schema", "maybe", dir.path(), dir.path() + "/out"}, "catalogue or none"},
        {{dir.path()}, "give SOURCE_DIR and OUT_DIR"},
        {{"--frobnicate", dir.path(), dir.path() + "/out"}, "unknown option"},
    };
    for (const auto &[args, reason] : cases) {
        const RunResult r = runBuild(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(reason)) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(dir.path() + "/out"));
    }
}
