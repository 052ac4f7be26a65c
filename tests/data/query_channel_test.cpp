// The query channel: normalisation outside literals, counts, the busy message after a
// forgotten close, and the failure message with the normalised text.
#include "data/connect_database.h"
#include "data/data_module.h"
#include "data/query_channel.h"
#include "platform/messages.h"
#include "platform/settings.h"
#include "tests/common/test_support.h"
#include "tests/data/catalogue_copy.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(NormalizeSql, RemovesSqlServerSyntaxOnlyOutsideLiterals)
{
    struct Case {
        const char *name, *in, *out;
    } cases[] = {
        {"schema prefix any case", "SELECT * FROM dbo.TabTechInfo, DBO.CP_Veicoli",
         "SELECT * FROM TabTechInfo, CP_Veicoli"},
        {"unicode empty literal", "WHERE x = N'' or y = n''", "WHERE x = '' or y = ''"},
        {"value in double quotes", "WHERE CODICE = \"Adbo.5\"", "WHERE CODICE = \"Adbo.5\""},
        {"value in single quotes", "WHERE CODICE = 'xDBO.y' and z = dbo.t", "WHERE CODICE = 'xDBO.y' and z = t"},
        {"doubled quote inside", "WHERE a = \"5\"\"dbo.\" and dbo.b", "WHERE a = \"5\"\"dbo.\" and b"},
        {"N'' inside a literal", "WHERE a = \"N''\"", "WHERE a = \"N''\""},
        {"unterminated literal", "WHERE a = \"dbo.", "WHERE a = \"dbo."},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NormalizeSql(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.name;
}

TEST(NormalizeSql, KeepsCodePageCharactersAndReplacesOthers)
{
    EXPECT_EQ(NormalizeSql(QString::fromUtf8("\"Città €\"")), QString::fromUtf8("\"Città €\""));
    EXPECT_EQ(NormalizeSql(QString::fromUtf8("\"\u4e2d\"")), QString::fromUtf8("\"?\""));
}

namespace {

class QueryChannelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppDir = copy.appDir();
        ASSERT_TRUE(ConnectDatabase("SQL", "", "vc_korva", "", ""));
    }
    CatalogueCopy copy{testsupport::fixture("catalogue-small")};
    TDM dm;
    ScopedRecordingMessages rec;
};

const char *const kPriceLists = "SELECT DISTINCT Listino FROM TabTechInfo WHERE not Listino is null ORDER BY Listino";

} // namespace

TEST_F(QueryChannelTest, CountsAndLeavesTheChannelOpenOnTheFirstRecord)
{
    const int n = ApriQRY(kPriceLists);
    EXPECT_GT(n, 0);
    EXPECT_TRUE(dm.ADOQuery1.Active());
    EXPECT_FALSE(dm.ADOQuery1.FieldAsString("listino").isEmpty());
    dm.ADOQuery1.Close();
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(QueryChannelTest, EmptyResultStillNeedsTheCallersClose)
{
    EXPECT_EQ(ApriQRY("SELECT CODICE FROM TabTechInfo WHERE CODICE = \"no such code\""), 0);
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_GE(ApriQRY(kPriceLists), 0);
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].kind, "message");
    EXPECT_EQ(rec.shown[0].text, "Canale QUERY occupato!");
    dm.ADOQuery1.Close();
    rec.clear();
    EXPECT_GE(ApriQRY(kPriceLists), 0);
    dm.ADOQuery1.Close();
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(QueryChannelTest, FailureShowsTheNormalisedTextAndClosesTheChannel)
{
    EXPECT_EQ(ApriQRY("SELECT * FROM dbo.NoSuchTable"), -1);
    EXPECT_FALSE(dm.ADOQuery1.Active());
    ASSERT_EQ(rec.shown.size(), 1u);
    const QString text = rec.shown[0].text;
    const QString head =
        QString::fromUtf8("ApriQRY: Non è stato possibile eseguire il comando: \rSELECT * FROM NoSuchTable\r\r");
    EXPECT_TRUE(text.startsWith(head)) << text.toStdString();
    EXPECT_GT(text.size(), head.size()) << "the engine's own text follows";
    rec.clear();
    EXPECT_GE(ApriQRY(kPriceLists), 0);
    dm.ADOQuery1.Close();
    EXPECT_TRUE(rec.shown.empty()) << "no busy message after a failure";
}

TEST(QueryChannelWithoutConnection, FailedOpenIsSilentAndTheNextQueryReports)
{
    CatalogueCopy copy(testsupport::fixture("catalogue-small"));
    QFile::remove(copy.mdwPath());
    AppDir = copy.appDir();
    TDM dm;
    ScopedRecordingMessages rec;
    EXPECT_FALSE(ConnectDatabase("SQL", "", "vc_korva", "", ""));
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(ApriQRY(kPriceLists), -1);
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_TRUE(
        rec.shown[0].text.startsWith(QString::fromUtf8("ApriQRY: Non è stato possibile eseguire il comando: \r")));
}
