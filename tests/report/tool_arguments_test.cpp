// The catalogue tools' command lines and report output: a line that cannot be used and a
// report that cannot be written raise the layer's error of their family, with the words
// the tools print.
#include "report/report_error.h"
#include "report/report_format.h"
#include "report/tool_arguments.h"
#include "tests/common/test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace catalog;
using namespace catalog::report;

namespace {

TEST(ToolArguments, UnusableLinesAreUsageErrors)
{
    const struct {
        const char *name;
        QStringList args;
        const char *message;
    } cases[] = {
        {"unknown option", {"--colour", "a.mdb"}, "unknown option --colour"},
        {"tool option without its value", {"a.mdb", "--output"}, "--output needs a value"},
        {"opening option without its value", {"a.mdb", "--password"}, "--password needs a value"},
        {"password code not a number", {"--password-codes", "1,x", "a.mdb"}, "\"x\" is not a character code"},
        {"password code out of range", {"--password-codes", "65536", "a.mdb"}, "\"65536\" is not a character code"},
        {"unknown option with a value", {"--colour=red", "a.mdb"}, "unknown option --colour=red"},
        {"value given to --help", {"--help=yes", "a.mdb"}, "unknown option --help=yes"},
        {"a lone --", {"a.mdb", "--", "b.mdb"}, "unknown option --"},
        {"unknown option after a good one", {"--output", "r.csv", "-colour", "a.mdb"}, "unknown option -colour"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::expectThrowCode<ReportError>([&] { ParseToolArguments(c.args, {QStringLiteral("--output")}); },
                                                  ReportErrc::Usage, c.message);
    }
    const ToolArguments good =
        ParseToolArguments({"--password-codes", "65,66", "--output", "r.csv", "a.mdb"}, {QStringLiteral("--output")});
    EXPECT_EQ(good.open.password, "AB");
    EXPECT_EQ(good.values.value("--output"), "r.csv");
    EXPECT_EQ(good.files, QStringList{"a.mdb"});
}

TEST(ToolArguments, ValuesAsGivenTheLastHolding)
{
    const QStringList output{QStringLiteral("--output")};
    const ToolArguments joined = ParseToolArguments({"a.mdb", "--output=r.csv", "-h", "b.mdb"}, output);
    EXPECT_EQ(joined.values.value("--output"), "r.csv");
    EXPECT_EQ(joined.files, (QStringList{"a.mdb", "b.mdb"}));
    EXPECT_TRUE(joined.help);
    // A value that looks like an option is still the value.
    EXPECT_EQ(ParseToolArguments({"--output", "--", "a.mdb"}, output).values.value("--output"), "--");
    EXPECT_EQ(ParseToolArguments({"--password", "-x", "a.mdb"}, output).open.password, "-x");
    // The later of the two password options holds, whichever it is.
    EXPECT_EQ(ParseToolArguments({"--password-codes", "65", "--password", "x", "a.mdb"}, output).open.password, "x");
    EXPECT_EQ(ParseToolArguments({"--password", "x", "--password-codes", "66,67", "a.mdb"}, output).open.password,
              "BC");
    EXPECT_EQ(ParseToolArguments({"a.mdb"}, output).open.password, OpenOptions::DefaultPassword());
    EXPECT_FALSE(ParseToolArguments({"a.mdb"}, output).help);
}

TEST(ToolArguments, AReportThatCannotBeWrittenIsAnOutputError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("no such folder/report.csv");
    testsupport::expectThrowCode<ReportError>([&] { WriteReport(QStringLiteral("x"), path); }, ReportErrc::Output,
                                              ("cannot write " + path).toStdString());
}

} // namespace
