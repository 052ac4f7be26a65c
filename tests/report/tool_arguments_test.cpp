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

TEST(ToolArguments, AReportThatCannotBeWrittenIsAnOutputError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("no such folder/report.csv");
    testsupport::expectThrowCode<ReportError>([&] { WriteReport(QStringLiteral("x"), path); }, ReportErrc::Output,
                                               ("cannot write " + path).toStdString());
}

} // namespace
