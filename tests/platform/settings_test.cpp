// Global settings: trailing separators, TEMP fallbacks, machine tags, ANSI conversion,
// case-insensitive file names, and the recording messages tests rely on.
#include "platform/ansi_codepage.h"
#include "platform/error_guard.h"
#include "platform/files.h"
#include "platform/own_folders.h"
#include "platform/settings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/time.h>

TEST(Settings, TrailingSeparatorAddedOnce)
{
    EXPECT_EQ(EnsureTrailingBackslash("/tmp"), "/tmp/");
    EXPECT_EQ(EnsureTrailingBackslash("/tmp/"), "/tmp/");
    EXPECT_EQ(EnsureTrailingBackslash(""), "/");
}

TEST(Settings, MachineTagReplacesTheSixCharacters)
{
    struct Case {
        const char *name, *tag;
    } cases[] = {
        {"PC-01.SALES", "PC_01_SALES"},
        {"A B,C;D", "A_B_C_D"},
        {"user@host", "user_host"},
        {"Counter7", "Counter7"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MachineTagFrom(c.name), c.tag) << c.name;
}

TEST(Settings, TemporaryFolderPrefersTempThenTmpdir)
{
    const QByteArray oldTemp = qgetenv("TEMP"), oldTmpdir = qgetenv("TMPDIR");
    qputenv("TEMP", "/var/t1");
    qputenv("TMPDIR", "/var/t2");
    EXPECT_EQ(TemporaryFolderFromEnvironment(), "/var/t1");
    qunsetenv("TEMP");
    EXPECT_EQ(TemporaryFolderFromEnvironment(), "/var/t2");
    qunsetenv("TMPDIR");
    EXPECT_EQ(TemporaryFolderFromEnvironment(), platform::UserTemporaryFolder()) << "never the /tmp of all users";
    EXPECT_NE(TemporaryFolderFromEnvironment(), "/tmp");
    if (!oldTemp.isNull())
        qputenv("TEMP", oldTemp);
    if (!oldTmpdir.isNull())
        qputenv("TMPDIR", oldTmpdir);
}

TEST(AnsiCodePage, RoundTripsAndReplacesWhatItCannotHold)
{
    const QString text = QString::fromUtf8("àèìòù €‘’ ¿ ÿ");
    EXPECT_EQ(FromAnsi(ToAnsi(text)), text);
    EXPECT_EQ(ToAnsi(QString::fromUtf8("€")), QByteArray("\x80"));
    EXPECT_EQ(ToAnsi(QString::fromUtf8("a\u4e2db")), QByteArray("a?b"));
    EXPECT_EQ(ToAnsi(QString::fromUtf8("x\U0001F600y")), QByteArray("x?y"));
}

TEST(Files, ResolvesNamesIgnoringCaseOnlyWhenTheExactOneIsMissing)
{
    QTemporaryDir dir;
    QFile f(dir.filePath("B123.jpg"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(ResolveFileName(dir.filePath("B123.JPG")), dir.filePath("B123.jpg"));
    EXPECT_EQ(ResolveFileName(dir.filePath("B123.jpg")), dir.filePath("B123.jpg"));
    EXPECT_EQ(ResolveFileName(dir.filePath("nothing.JPG")), dir.filePath("nothing.JPG"));
    EXPECT_TRUE(FileExistsAnyCase(dir.filePath("b123.JPG")));
    EXPECT_FALSE(FileExistsAnyCase(dir.filePath("b124.JPG")));
}

TEST(ErrorGuard, ReportsAnErrorOnceAndStopsTheHandler)
{
    ScopedRecordingMessages rec;
    bool after = false;
    EXPECT_FALSE(Guarded([&] {
        throw std::runtime_error("Cannot open file x");
        after = true;
    }));
    EXPECT_FALSE(after);
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].kind, "error");
    EXPECT_EQ(rec.shown[0].caption, kApplicationTitle);
    EXPECT_EQ(rec.shown[0].text, "Cannot open file x");
    EXPECT_TRUE(Guarded([] {}));
    EXPECT_EQ(rec.shown.size(), 1u);
}

// The folder's names are read once and kept while its modification time stays; a change
// of that time (a photo added, removed or renamed) reads them again, and so does every
// look-up while the folder has only just changed.
TEST(Files, KeepsAFoldersNamesWhileTheFolderIsUnchanged)
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    auto setFolderTime = [&](int secondsAgo) {
        const timeval when{QDateTime::currentSecsSinceEpoch() - secondsAgo, 0};
        const timeval times[2] = {when, when};
        ASSERT_EQ(::utimes(folder.constData(), times), 0);
    };
    QFile(dir.filePath("b123.jpg")).open(QIODevice::WriteOnly);
    setFolderTime(60);
    EXPECT_EQ(ResolveFileName(dir.filePath("B123.JPG")), dir.filePath("b123.jpg"));

    ASSERT_TRUE(QFile::rename(dir.filePath("b123.jpg"), dir.filePath("B123.Jpg")));
    setFolderTime(60);
    EXPECT_EQ(ResolveFileName(dir.filePath("B123.JPG")), dir.filePath("b123.jpg")) << "the folder was listed again";

    setFolderTime(30);
    EXPECT_EQ(ResolveFileName(dir.filePath("B123.JPG")), dir.filePath("B123.Jpg"));

    // Changed just now: each look-up lists the folder, so a second change within the same
    // tick of the clock is seen too.
    QFile(dir.filePath("c9.jpg")).open(QIODevice::WriteOnly);
    EXPECT_EQ(ResolveFileName(dir.filePath("C9.JPG")), dir.filePath("c9.jpg"));
    ASSERT_TRUE(QFile::rename(dir.filePath("c9.jpg"), dir.filePath("C9.jpg")));
    EXPECT_EQ(ResolveFileName(dir.filePath("C9.JPG")), dir.filePath("C9.jpg"));
}
