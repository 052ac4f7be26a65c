// Grid and list loading on a real catalogue: the layout a load leaves, the failure path,
// the exchange file's lifetime and safety, the column arithmetic and the combo's items.
#include "data/connect_database.h"
#include "data/data_error.h"
#include "data/data_module.h"
#include "data/desk_form.h"
#include "data/grid_loading.h"
#include "data/text_util.h"
#include "platform/messages.h"
#include "platform/os_faults.h"
#include "platform/settings.h"
#include "tests/common/test_support.h"
#include "tests/data/catalogue_copy.h"
#include "widgets/column_combo_box.h"
#include "widgets/data_grid.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iostream>
#include <stdexcept>
#include <sys/file.h>
#include <unistd.h>

namespace {

class GridLoadingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppDir = copy.appDir();
        TempDir = EnsureTrailingBackslash(temp.path());
        MachineTag = "COUNTER_1";
        ASSERT_TRUE(ConnectDatabase("SQL", "", "vc_korva", "", ""));
        grid.resize(300, 200);
    }
    QString exchangeFolder() const { return TempDir + "kelpStone"; }
    QStringList exchangeFiles() const
    {
        QStringList files = QDir(exchangeFolder()).entryList(QDir::Files | QDir::Hidden);
        files.removeAll(MachineTag + "~mdbgrid.tmp.lock");
        return files;
    }

    CatalogueCopy copy{testsupport::fixture("catalogue-small")};
    QTemporaryDir temp;
    TDM dm;
    Tfrm_desk desk;
    ScopedRecordingMessages rec;
    DataGrid grid;
};

const char *const kPriceLists = "SELECT DISTINCT Listino FROM TabTechInfo WHERE not Listino is null ORDER BY Listino";

} // namespace

TEST_F(GridLoadingTest, LoadPutsNamesInRowZeroAndRecordsBelow)
{
    const int n = LoadGridFromMdb(&grid, "SELECT LISTINO, CODICE, CAPACITA FROM TabTechInfo ORDER BY CODICE", false);
    ASSERT_GT(n, 0);
    EXPECT_EQ(grid.RowCount(), n + 1);
    EXPECT_EQ(grid.ColCount(), 3);
    EXPECT_EQ(grid.Cells(0, 0), "LISTINO");
    EXPECT_EQ(grid.Cells(1, 0), "CODICE");
    EXPECT_FALSE(grid.Cells(1, 1).isEmpty());
    EXPECT_EQ(grid.RowHeights(1), 21);
    EXPECT_TRUE(exchangeFiles().isEmpty()) << exchangeFiles().join(",").toStdString();
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(GridLoadingTest, EmptyResultLeavesOneEmptyRow)
{
    grid.setRowCount(5);
    grid.setCells(0, 3, "old");
    EXPECT_EQ(LoadGridFromMdb(&grid, "SELECT CODICE, GAMMA FROM TabTechInfo WHERE CODICE = \"none\"", false), 0);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Cells(0, 0), "CODICE");
    EXPECT_EQ(grid.Cells(0, 1), "");
    EXPECT_EQ(grid.Cells(1, 1), "");
}

TEST_F(GridLoadingTest, FailingQueryShowsOneBoxAndLeavesTheGridAlone)
{
    LoadGridFromMdb(&grid, kPriceLists, false);
    const int rows = grid.RowCount();
    const QString first = grid.Cells(0, 1);
    EXPECT_EQ(LoadGridFromMdb(&grid, "SELECT nonsense FROM NoSuchTable", false), -1);
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].kind, "box");
    EXPECT_EQ(rec.shown[0].caption, "Attenzione");
    EXPECT_EQ(rec.shown[0].style, 48);
    EXPECT_TRUE(rec.shown[0].text.startsWith("LoadGridFromMdb: La query ha generato un errore!\r\r"));
    EXPECT_GT(rec.shown[0].text.size(), QString("LoadGridFromMdb: La query ha generato un errore!\r\r").size());
    EXPECT_EQ(grid.RowCount(), rows);
    EXPECT_EQ(grid.Cells(0, 1), first);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(GridLoadingTest, EmptyMachineTagNamesTheFileBySuffixAlone)
{
    MachineTag.clear();
    EXPECT_TRUE(ExchangeFilePath().endsWith("kelpStone/~mdbgrid.tmp"));
    EXPECT_GT(LoadGridFromMdb(&grid, kPriceLists, false), 0);
    EXPECT_TRUE(exchangeFiles().isEmpty());
}

TEST_F(GridLoadingTest, AutoSizeSizesColumnsOnlyWhenAsked)
{
    LoadGridFromMdb(&grid, "SELECT NOTE FROM TabTechInfo", false);
    const int before = grid.ColWidths(0);
    LoadGridFromMdb(&grid, "SELECT NOTE FROM TabTechInfo", true);
    EXPECT_NE(grid.ColWidths(0), before);
}

TEST_F(GridLoadingTest, ExchangeFolderIsPrivateAndLinksAreRefused)
{
    LoadGridFromMdb(&grid, kPriceLists, false);
    EXPECT_EQ(QFile::permissions(exchangeFolder()) & (QFile::ReadOther | QFile::ReadGroup | QFile::WriteOther), 0);

    // A link at the exchange file's place must not be written through.
    const QString victim = temp.filePath("victim.txt");
    QFile v(victim);
    ASSERT_TRUE(v.open(QIODevice::WriteOnly));
    v.write("keep");
    v.close();
    ASSERT_TRUE(QFile::link(victim, ExchangeFilePath()));
    testsupport::expectThrowText<DataError>([&] { LoadGridFromMdb(&grid, kPriceLists, false); }, "Cannot Create file ");
    ASSERT_TRUE(v.open(QIODevice::ReadOnly));
    EXPECT_EQ(v.readAll(), "keep");
    EXPECT_EQ(grid.UpdateLockCount(), 0) << "the grid's update lock is released on the error path";
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(GridLoadingTest, SymlinkedExchangeFolderIsRefused)
{
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), exchangeFolder()));
    testsupport::expectThrowText<DataError>([&] { LoadGridFromMdb(&grid, kPriceLists, false); }, "symbolic link");
    EXPECT_TRUE(QDir(elsewhere.path()).entryList(QDir::Files).isEmpty());
}

// Another user's kelpStone under TEMP (made first in a TEMP all users share) is never
// entered: the load goes through the kelpStone of the user's own temporary folder.
TEST_F(GridLoadingTest, ForeignExchangeFolderIsNeverUsed)
{
    QTemporaryDir runtime;
    const testsupport::ScopedEnv env("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString own = runtime.path() + "/kelpStone";
    const struct {
        const char *name;
        bool needsRoot;
    } cases[] = {{"as the system reports it", false}, {"made by another user", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && ::geteuid() != 0) {
            std::cout << "[  SKIPPED ] a folder of another user needs the superuser to make it\n";
            continue;
        }
        QDir(exchangeFolder()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(exchangeFolder()));
        if (c.needsRoot)
            ASSERT_EQ(::chown(QFile::encodeName(exchangeFolder()).constData(), 65534, 65534), 0);
        else
            platform::os::FaultInjection::failNext(platform::os::Op::OwnerCheck, EPERM, 1000, 0, exchangeFolder());
        rec.clear();
        EXPECT_EQ(ExchangeFilePath(), own + "/COUNTER_1~mdbgrid.tmp");
        EXPECT_GT(LoadGridFromMdb(&grid, kPriceLists, false), 0);
        EXPECT_EQ(grid.Cells(0, 1), "BRASK");
        EXPECT_TRUE(rec.shown.empty());
        EXPECT_TRUE(QDir(exchangeFolder()).isEmpty()) << "written into another user's folder";
        EXPECT_TRUE(QDir(own).exists());
        platform::os::FaultInjection::clear();
    }
    QDir(exchangeFolder()).removeRecursively();
    EXPECT_EQ(ExchangeFilePath(), exchangeFolder() + "/COUNTER_1~mdbgrid.tmp") << "TEMP's own once it is free";
}

TEST_F(GridLoadingTest, LoadWaitsForAnotherCopysLoadAndGivesUp)
{
    // Another copy of the program holds the lock for its whole load.
    QDir().mkpath(exchangeFolder());
    const int fd = ::open(QFile::encodeName(ExchangeFilePath() + ".lock").constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    testsupport::expectThrowText<DataError>([&] { LoadGridFromMdb(&grid, kPriceLists, false); },
                                            "another copy of the program");
    ::close(fd);
    EXPECT_GT(LoadGridFromMdb(&grid, kPriceLists, false), 0);
}

namespace {

// The system refusing a call behind the exchange folder or its lock, on a real load.
class ExchangeFaults : public GridLoadingTest {
protected:
    void TearDown() override { platform::os::FaultInjection::clear(); }
};

} // namespace

// Each refusal ends the load with "Cannot Create file" and the reason the person can act
// on, releases the grid and the cursor, and leaves the next load to work.
TEST_F(ExchangeFaults, EachRefusalEndsTheLoadWithItsReason)
{
    using platform::os::Op;
    const struct {
        const char *name;
        Op op;
        int error;
        int count;
        bool folderOpenToOthers; // made beforehand, readable by everyone
        const char *reason;
        DataErrc code;
    } cases[] = {
        // Looked at twice: once to choose the folder, once to check it.
        {"folder unreadable", Op::Status, EACCES, 2, false, "the exchange folder cannot be read",
         DataErrc::ExchangeFile},
        {"folder cannot be made", Op::MakeFolder, EROFS, 1, false, "the exchange folder cannot be made",
         DataErrc::ExchangeFile},
        // Made now, it is seen as another user's once made.
        {"folder of another user", Op::OwnerCheck, EPERM, 1, false, "the exchange folder belongs to another user",
         DataErrc::ExchangeFile},
        {"folder cannot be made private", Op::MakePrivate, EPERM, 1, true, "the exchange folder cannot be made private",
         DataErrc::ExchangeFile},
        {"lock file cannot be made", Op::Open, EACCES, 1, false, "its lock cannot be made", DataErrc::ExchangeFile},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(exchangeFolder()).removeRecursively();
        if (c.folderOpenToOthers) {
            ASSERT_TRUE(QDir().mkdir(exchangeFolder()));
            ASSERT_TRUE(QFile::setPermissions(exchangeFolder(), QFile::permissions(exchangeFolder()) | QFile::ReadOther
                                                                    | QFile::ExeOther));
        }
        rec.clear();
        const std::string expected =
            std::string("Cannot Create file ") + ExchangeFilePath().toStdString() + " (" + c.reason + ")";
        platform::os::FaultInjection::failNext(c.op, c.error, c.count);
        testsupport::expectThrowCode<DataError>([&] { LoadGridFromMdb(&grid, kPriceLists, false); }, c.code, expected);
        EXPECT_EQ(platform::os::FaultInjection::pending(c.op), 0) << "the refused call was made";
        EXPECT_EQ(grid.UpdateLockCount(), 0);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_GT(LoadGridFromMdb(&grid, kPriceLists, false), 0) << "the load after the fault";
        EXPECT_TRUE(exchangeFiles().isEmpty());
    }
}

// A lock refused for a moment (not held by anyone) is waited out, as one held by another
// copy is, and the load goes through.
TEST_F(ExchangeFaults, LockRefusedForAMomentIsWaitedOut)
{
    platform::os::FaultInjection::failNext(platform::os::Op::Lock, ENOLCK, 3);
    EXPECT_GT(LoadGridFromMdb(&grid, kPriceLists, false), 0);
    EXPECT_EQ(platform::os::FaultInjection::pending(platform::os::Op::Lock), 0);
    EXPECT_TRUE(exchangeFiles().isEmpty());
}

TEST(FitColumnToGrid, StretchesTheColumnWithAndWithoutScrollBar)
{
    DataGrid grid;
    grid.setBorderStyle(DataGrid::bsNone);
    grid.setOptions(DataGrid::goVertLine | DataGrid::goHorzLine);
    grid.setGridLineWidth(1);
    grid.setScrollBars(DataGrid::ssVertical);
    grid.setScrollWidth(16);
    grid.resize(166, 100);
    grid.setColCount(3);
    grid.setRowCount(2);
    grid.setDefaultRowHeight(21);
    grid.setColWidths(0, 20);
    grid.setColWidths(1, 0);
    grid.setColWidths(2, 10);
    FitColumnToGrid(&grid, 2);
    EXPECT_EQ(grid.ColWidths(2), 140);

    grid.setColWidths(2, 10);
    grid.setRowCount(40);
    FitColumnToGrid(&grid, 2);
    EXPECT_EQ(grid.ColWidths(2), 124);
}

TEST(FindColumnByHeader, IgnoresLetterCaseAndTakesTheFirst)
{
    DataGrid grid;
    grid.setColCount(4);
    grid.setCells(0, 0, "");
    grid.setCells(1, 0, "idMarca");
    grid.setCells(2, 0, "Marca");
    grid.setCells(3, 0, "IDMARCA");
    EXPECT_EQ(FindColumnByHeader(&grid, "IDMARCA"), 1);
    EXPECT_EQ(FindColumnByHeader(&grid, "idmarca"), 1);
    EXPECT_EQ(FindColumnByHeader(&grid, "Modello"), -1);
}

TEST_F(GridLoadingTest, ComboGetsOneItemPerRecordAndTheDefaultOnTop)
{
    ColumnComboBox combo;
    const char *three = "SELECT DISTINCT Listino, Listino FROM TabTechInfo WHERE not Listino is null ORDER BY Listino";
    LoadComboFromQuery(&combo, three, "");
    const int records = combo.ItemCount();
    ASSERT_GT(records, 0);
    EXPECT_EQ(combo.ItemIndex(), 0);

    LoadComboFromQuery(&combo, three, "ALL|Tutti i listini");
    ASSERT_EQ(combo.ItemCount(), records + 1);
    EXPECT_EQ(combo.ItemIndex(), 0);
    EXPECT_EQ(combo.ItemText(0, 0), "ALL");
    EXPECT_EQ(combo.ItemText(0, 1), "Tutti i listini");

    LoadComboFromQuery(&combo, three, "   ");
    EXPECT_EQ(combo.ItemCount(), records) << "blanks only count as no default item";

    LoadComboFromQuery(&combo, three, "no bar");
    EXPECT_EQ(combo.ItemText(0, 0), "");
    EXPECT_EQ(combo.ItemText(0, 1), "no bar");
}

TEST_F(GridLoadingTest, ComboWithFailingQueryKeepsOnlyTheDefault)
{
    ColumnComboBox combo;
    LoadComboFromQuery(&combo, "SELECT x FROM NoSuchTable", "A|B");
    EXPECT_EQ(combo.ItemCount(), 1);
    EXPECT_EQ(combo.ItemIndex(), 0);
    LoadComboFromQuery(&combo, "SELECT x FROM NoSuchTable", "");
    EXPECT_EQ(combo.ItemCount(), 0);
    EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST(WaitForFile, HeldMissingAndFreeFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("f.tmp");
    EXPECT_FALSE(WaitForFile(path, 0));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(WaitForFile(path, 0));
    EXPECT_FALSE(WaitForFile(path, -1));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_FALSE(WaitForFile(path, 0));
    ::close(fd);
    EXPECT_TRUE(WaitForFile(path, 0));
}

TEST(TrimSpaces, OnlyBlanksAreTrimmed)
{
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TrimSpaces("\ta "), "\ta");
    EXPECT_EQ(TrimSpaces("    "), "");
}
