// The system's default paper: the variable first, then the file it names, then the
// system-wide file; comments and letter case do not matter.
#include "platform/paper.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(SystemPaper, VariableThenNamedFile)
{
    QTemporaryDir dir;
    const QString conf = dir.filePath("papersize");
    QFile file(conf);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# the paper of this machine\n\n  Letter  \n");
    file.close();

    const struct {
        const char *name;
        const char *papersize; // nullptr: unset
        QString papercConf;
        const char *expected;
    } cases[] = {
        {"variable wins over the file", "A4", conf, "a4"},
        {"named file, comment and blanks skipped", nullptr, conf, "letter"},
        {"blank variable falls through to the file", "  ", conf, "letter"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.papersize)
            qputenv("PAPERSIZE", c.papersize);
        else
            qunsetenv("PAPERSIZE");
        qputenv("PAPERCONF", c.papercConf.toLocal8Bit());
        EXPECT_EQ(SystemPaperName(), c.expected);
    }
    qunsetenv("PAPERSIZE");
    qunsetenv("PAPERCONF");
}

} // namespace
