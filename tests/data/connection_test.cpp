// ConnectDatabase: the three kinds' connection strings, the redirection of "SQL" to the
// local catalogue, and the reuse test that keeps one connection for every window.
#include "data/connect_database.h"
#include "data/data_module.h"
#include "platform/settings.h"
#include "tests/common/test_support.h"
#include "tests/data/catalogue_copy.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class ConnectDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override { AppDir = copy.appDir(); }
    CatalogueCopy copy{testsupport::fixture("catalogue-small")};
    TDM dm;
};

} // namespace

TEST_F(ConnectDatabaseTest, ProgramCallOpensTheLocalCatalogueAndReusesIt)
{
    ASSERT_TRUE(ConnectDatabase("SQL", "", "vc_korva", "", ""));
    EXPECT_TRUE(dm.ADOConnection1.Connected());
    EXPECT_EQ(dm.ADOConnection1.Provider(), "Microsoft.Jet.OLEDB.4.0");
    const QString cs = dm.ADOConnection1.ConnectionString();
    EXPECT_TRUE(cs.toLower().contains(("data source=" + copy.mdbPath() + ";").toLower())) << cs.toStdString();
    EXPECT_FALSE(cs.contains(QChar(1))) << "the password must never be read back";

    // The second call must not reopen: removing the file shows whether it tried.
    QFile::remove(copy.mdbPath());
    EXPECT_TRUE(ConnectDatabase("SQL", "", "vc_korva", "", ""));
    EXPECT_TRUE(dm.ADOConnection1.Connected());
}

TEST_F(ConnectDatabaseTest, LowerCaseSqlSelectsNoKindAndClosesTheConnection)
{
    ASSERT_TRUE(ConnectDatabase("SQL", "", "vc_korva", "", ""));
    EXPECT_FALSE(ConnectDatabase("sql", "", "vc_korva", "", ""));
    EXPECT_FALSE(dm.ADOConnection1.Connected());
    // The next program call opens again.
    EXPECT_TRUE(ConnectDatabase("SQL", "", "vc_korva", "", ""));
}

TEST_F(ConnectDatabaseTest, JetKindUsesThePathAsGivenAndIgnoresUserAndPassword)
{
    EXPECT_TRUE(ConnectDatabase("JET", "", copy.mdbPath(), "someone", "secret"));
    const QString cs = dm.ADOConnection1.ConnectionString();
    EXPECT_FALSE(cs.contains("someone"));
    EXPECT_FALSE(cs.contains("secret"));
    // The reuse test ignores letter case of the path: a name that differs only in case
    // (and does not exist on this file system) is taken as the open database.
    QString otherCase = copy.mdbPath();
    otherCase.replace("vc_korva.mdb", "VC_KORVA.mdb");
    EXPECT_TRUE(ConnectDatabase("JET", "", otherCase, "", ""));
    EXPECT_TRUE(dm.ADOConnection1.Connected());
}

TEST_F(ConnectDatabaseTest, ShortPartOfSqlSelectsTheServerKindWhichHasNoProvider)
{
    EXPECT_FALSE(ConnectDatabase("S", "INST", "cat", "user", "pw"));
    EXPECT_FALSE(dm.ADOConnection1.Connected());
    EXPECT_EQ(dm.ADOConnection1.ConnectionString(),
              "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=user;Password=pw;"
              "Initial Catalog=cat;Data Source=INST");
}

TEST_F(ConnectDatabaseTest, MissingCatalogueFailsSilently)
{
    QFile::remove(copy.mdbPath());
    EXPECT_FALSE(ConnectDatabase("SQL", "", "vc_korva", "", ""));
    EXPECT_FALSE(dm.ADOConnection1.Connected());
}

TEST(DatabasePassword, IsTwentyControlCharactersInQuotes)
{
    const QString literal = DatabasePasswordLiteral();
    ASSERT_EQ(literal.size(), 22);
    EXPECT_EQ(literal.front(), QChar('\''));
    EXPECT_EQ(literal.back(), QChar('\''));
    for (int i = 1; i <= 20; ++i)
        EXPECT_EQ(literal.at(i).unicode(), i);
}
