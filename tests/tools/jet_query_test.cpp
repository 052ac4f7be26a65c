// The jet-query tool run as a user runs it: the result on standard output, '|' between
// values, quoting where a value needs it; failures on standard error with a non-zero exit.
#include "tests/common/test_support.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun jetQuery(const QStringList &args)
{
    QTemporaryDir cache;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CATALOG_CACHE_DIR", cache.path());
    p.setProcessEnvironment(env);
    p.start(testsupport::binDir() + "/tools/jet-query/jet-query", args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString smallCatalogue() { return testsupport::fixture("catalogue-small/vc_korva.mdb"); }

TEST(JetQueryTest, PrintsHeaderAndQuotedValues)
{
    const ToolRun r =
        jetQuery({smallCatalogue(),
                  "SELECT idVeicolo, Versione, Al FROM CP_Veicoli WHERE idVeicolo IN (1001, 1003, 1006) ORDER BY 1"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(), "idVeicolo|Versione|Al\n"
                                   "1001|1.2 8V|200112\n"
                                   "1003|\"1.4 16V \"\"Sport\"\"\"|\n"
                                   "1006|\"1.0 | 3 porte\"|200310\n");
}

TEST(JetQueryTest, LineBreaksStayInsideQuotes)
{
    const ToolRun r = jetQuery({smallCatalogue(), "SELECT NOTE FROM TabTechInfo WHERE CODICE = 'KA095'"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(), "NOTE\n\"Per veicoli con Start&Stop.\r\nNon aprire i tappi.\"\n");
}

TEST(JetQueryTest, PasswordOptions)
{
    QStringList codes;
    for (int c = 1; c <= 20; ++c)
        codes << QString::number(c);
    const struct {
        QStringList args;
        int exit;
        const char *err;
    } cases[] = {
        {{"--password-codes", codes.join(','), smallCatalogue(), "SELECT id FROM Tab1riga"}, 0, ""},
        {{"--password", "secret", smallCatalogue(), "SELECT id FROM Tab1riga"}, 1, "wrong password"},
        {{"--password-codes", "1,2,x", smallCatalogue(), "SELECT 1"}, 2, "not a character code"},
        {{smallCatalogue(), "SELECT 1", "--workgroup"}, 2, "--workgroup needs a value"},
    };
    for (const auto &c : cases) {
        const ToolRun r = jetQuery(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
        if (c.exit == 0)
            EXPECT_EQ(r.out.toStdString(), "id\n1\n");
        else
            EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST(JetQueryTest, FailuresGoToStandardError)
{
    const struct {
        QStringList args;
        const char *err;
    } cases[] = {
        {{smallCatalogue(), "SELEC 1"}, "syntax error"},
        {{smallCatalogue(), "UPDATE Tab1riga SET id = 2"}, "reading only"},
        {{testsupport::fixture("catalogue-small/none.mdb"), "SELECT 1"}, "Could not find"},
        {{"--workgroup", testsupport::fixture("catalogue-small/none.mdw"), smallCatalogue(), "SELECT 1"}, "workgroup"},
    };
    for (const auto &c : cases) {
        const ToolRun r = jetQuery(c.args);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_TRUE(r.err.startsWith("jet-query: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

} // namespace
