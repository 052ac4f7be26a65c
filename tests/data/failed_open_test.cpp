// When the catalogue cannot be opened, ConnectDatabase says nothing and the messages of
// the queries that follow are the designed ones; the error text they carry is the reason
// the connection could not be opened, so that the first of them already says what to do.
#include "data/connect_database.h"
#include "data/data_module.h"
#include "data/desk_form.h"
#include "data/grid_loading.h"
#include "data/query_channel.h"
#include "data/text_util.h"
#include "platform/messages.h"
#include "platform/settings.h"
#include "tests/common/test_support.h"
#include "tests/data/catalogue_copy.h"
#include "widgets/data_grid.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(FailedOpen, TheMessagesThatFollowCarryTheReasonTheCatalogueCouldNotBeOpened)
{
    CatalogueCopy copy(testsupport::fixture("catalogue-small"));
    QFile::remove(copy.mdwPath());
    QTemporaryDir temp;
    AppDir = copy.appDir();
    TempDir = EnsureTrailingBackslash(temp.path());
    TDM dm;
    Tfrm_desk desk;
    DataGrid grid;
    ScopedRecordingMessages rec;
    EXPECT_FALSE(ConnectDatabase("SQL", "", "vc_korva", "", ""));
    EXPECT_TRUE(rec.shown.empty());
    const QString reason = dm.ADOConnection1.LastOpenError();
    EXPECT_EQ(reason, QStringLiteral("Could not find the workgroup information file \"%1\".").arg(copy.mdwPath()));

    const QString sql = "SELECT DISTINCT Listino FROM TabTechInfo";
    EXPECT_EQ(ApriQRY(sql), -1);
    EXPECT_EQ(LoadGridFromMdb(&grid, sql, false), -1);
    ASSERT_EQ(rec.shown.size(), 2u);
    EXPECT_EQ(rec.shown[0].text,
              QString::fromUtf8("ApriQRY: Non è stato possibile eseguire il comando: \r") + sql + "\r\r" + reason);
    EXPECT_EQ(rec.shown[1].text, "LoadGridFromMdb: La query ha generato un errore!\r\r" + reason);
}
