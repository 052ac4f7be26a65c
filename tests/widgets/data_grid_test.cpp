// The data grid on the offscreen platform: sizes and their range errors, clearing,
// hiding, the current row and its events, clicks and keys, the AutoSize pass, painting
// only what is in view, the fixed background and the marker markup.
#include "widgets/data_grid.h"
#include "widgets/widget_error.h"

#include "platform/messages.h"
#include "tests/common/test_support.h"
#include "tests/widgets/widget_events.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <functional>
#include <set>
#include <stdexcept>

namespace {

using testsupport::expectThrowCode;

// The pixels of the grid's client area as drawn now.
QImage drawn(DataGrid &grid) { return grid.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Whether every pixel of `rect` in `image` is `color`.
bool allOf(const QImage &image, const QRect &rect, QColor color)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixelColor(x, y) != color)
                return false;
    return true;
}

void press(DataGrid &grid, QPoint at)
{
    QMouseEvent event(QEvent::MouseButtonPress, at, grid.viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &event);
}

void key(DataGrid &grid, int code)
{
    QKeyEvent down(QEvent::KeyPress, code, Qt::NoModifier);
    QApplication::sendEvent(&grid, &down);
    QKeyEvent up(QEvent::KeyRelease, code, Qt::NoModifier);
    QApplication::sendEvent(&grid, &up);
}

// A plain grid as the catalogue sets one up: no lines, 20-pixel rows, three columns.
struct CatalogueGrid : DataGrid {
    CatalogueGrid(int rows, int cols = 3)
    {
        resize(200, 210);
        setBorderStyle(bsNone);
        setScrollBars(ssVertical);
        setOptions(goRowSelect | goDrawFocusSelected | goThumbTracking);
        setColCount(cols);
        setRowCount(rows);
        setDefaultRowHeight(20);
        for (int c = 0; c < cols; ++c)
            setColWidths(c, 50);
        for (int r = 0; r < rows; ++r)
            setCells(0, r, QString("r%1").arg(r));
    }
};

TEST(DataGridTest, IndexesOutsideTheTableRaiseAndChangeNothing)
{
    CatalogueGrid grid(4, 3);
    struct Case {
        const char *name;
        std::function<void()> call;
    } cases[] = {
        {"ColWidths at ColCount", [&] { grid.setColWidths(3, 10); }},
        {"ColWidths negative", [&] { grid.setColWidths(-1, 10); }},
        {"RowHeights at RowCount", [&] { grid.setRowHeights(4, 10); }},
        {"CurrentRow at RowCount", [&] { grid.setCurrentRow(4); }},
        {"CurrentRow negative", [&] { grid.setCurrentRow(-1); }},
        {"cell at a negative column", [&] { grid.setCells(-1, 0, "x"); }},
    };
    int events = 0;
    grid.OnRowUpdate = [&](QObject *, int, int) { ++events; };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        expectThrowCode<WidgetError>(c.call, WidgetErrc::Index, "Grid index out of range");
    }
    EXPECT_EQ(grid.ColWidths(2), 50);
    EXPECT_EQ(grid.RowHeights(3), 20);
    EXPECT_EQ(grid.CurrentRow(), 0);
    EXPECT_EQ(events, 0);
    EXPECT_EQ(grid.Cells(-1, 0), "") << "reading never fails";
    EXPECT_EQ(grid.Cells(2, 99), "");
}

TEST(DataGridTest, ClearRowCellsEmptiesOnlyTheNamedRows)
{
    CatalogueGrid grid(2, 3);
    grid.setCells(2, 1, "x");
    grid.setCells(7, 1, "beyond ColCount");
    grid.ClearRowCells(1, grid.RowCount() - 1);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Cells(0, 0), "r0");
    EXPECT_EQ(grid.Cells(0, 1), "");
    EXPECT_EQ(grid.Cells(2, 1), "");
    EXPECT_EQ(grid.Cells(7, 1), "");
    grid.setCells(0, 1, "y");
    grid.ClearRowCells(1, 0);
    grid.ClearRowCells(1, -3);
    EXPECT_EQ(grid.Cells(0, 1), "y");
}

TEST(DataGridTest, DefaultRowHeightDiscardsSingleHeights)
{
    CatalogueGrid grid(3);
    grid.setRowHeights(0, 0);
    grid.setDefaultRowHeight(21);
    EXPECT_EQ(grid.RowHeights(0), 21);
    grid.setRowCount(6);
    EXPECT_EQ(grid.RowHeights(5), 21);
}

TEST(DataGridTest, HidingKeepsCellsAndComesBack)
{
    CatalogueGrid grid(4);
    EXPECT_FALSE(grid.IsColumnHidden(600));
    grid.HideColumn(1);
    EXPECT_TRUE(grid.IsColumnHidden(1));
    EXPECT_EQ(grid.ColWidths(1), 0);
    grid.ShowAllColumns();
    EXPECT_FALSE(grid.IsColumnHidden(1));
    EXPECT_EQ(grid.ColWidths(1), 50);

    grid.setRowHeights(2, 33);
    grid.HideRow(2);
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.Cells(0, 2), "r3");
    grid.ShowAllRows();
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.Cells(0, 2), "r2");
    EXPECT_EQ(grid.RowHeights(2), 33);
}

TEST(DataGridTest, LockUpdatesCountsOnlyWhileVisible)
{
    CatalogueGrid grid(3);
    grid.LockUpdates();
    grid.UnlockUpdates();
    EXPECT_EQ(grid.UpdateLockCount(), 0);
    grid.LockUpdates();
    EXPECT_EQ(grid.UpdateLockCount(), 0) << "a hidden grid does not count";
    grid.show();
    grid.LockUpdates();
    grid.LockUpdates();
    EXPECT_EQ(grid.UpdateLockCount(), 2);
    EXPECT_FALSE(grid.updatesEnabled());
    grid.UnlockUpdates();
    grid.UnlockUpdates();
    grid.UnlockUpdates();
    EXPECT_EQ(grid.UpdateLockCount(), 0);
    EXPECT_TRUE(grid.updatesEnabled());
}

TEST(DataGridTest, CurrentRowMovesSelectionScrollsAndReportsOnce)
{
    CatalogueGrid grid(1000);
    grid.show();
    std::vector<std::pair<int, int>> updates;
    grid.OnRowUpdate = [&](QObject *, int oldRow, int newRow) { updates.push_back({oldRow, newRow}); };
    bool clicked = false;
    grid.OnClickCell = [&](QObject *, int, int) { clicked = true; };

    grid.setCurrentRow(0);
    EXPECT_TRUE(updates.empty()) << "unchanged row: no event";
    grid.setCurrentRow(500);
    EXPECT_EQ(grid.CurrentRow(), 500);
    EXPECT_LE(grid.TopRow(), 500);
    EXPECT_GT(grid.TopRow() + grid.VisibleRowCount(), 500) << "row 500 is in view";
    const GridRect sel = grid.SelectionRect();
    EXPECT_EQ(sel.Left, 0);
    EXPECT_EQ(sel.Right, 2);
    EXPECT_EQ(sel.Top, 500);
    EXPECT_EQ(sel.Bottom, 500);
    const int top = grid.TopRow();
    grid.setCurrentRow(500);
    EXPECT_EQ(grid.TopRow(), top);
    grid.setRowHeights(0, 0);
    grid.setCurrentRow(0);
    EXPECT_EQ(grid.CurrentRow(), 0) << "an invisible row can be current";
    EXPECT_EQ(updates, (std::vector<std::pair<int, int>>{{0, 500}, {500, 0}}));
    EXPECT_FALSE(clicked);
}

TEST(DataGridTest, ClickMakesTheCellCurrentBeforeTheHandlerRuns)
{
    CatalogueGrid grid(10);
    grid.show();
    grid.setRowHeights(0, 0);
    int seenRow = -1, seenCol = -1, currentInHandler = -1, top = -1;
    QObject *sender = nullptr;
    grid.OnClickCell = [&](QObject *s, int ARow, int ACol) {
        sender = s;
        seenRow = ARow;
        seenCol = ACol;
        currentInHandler = grid.CurrentRow();
        top = grid.SelectionRect().Top;
    };
    press(grid, QPoint(60, 25)); // second visible row (row 0 takes no space), column 1
    EXPECT_EQ(sender, &grid);
    EXPECT_EQ(seenRow, 2);
    EXPECT_EQ(seenCol, 1);
    EXPECT_EQ(currentInHandler, 2);
    EXPECT_EQ(top, 2);
}

// Where columns can be sized, the sizing cursor shows over a border; a press there that
// is released where it was is a click on the row like any other, and only a drag sizes.
TEST(DataGridTest, APressOnAColumnBorderClicksTheRowUnlessItDrags)
{
    CatalogueGrid grid(10);
    grid.setOptions(grid.Options() | DataGrid::goColSizing);
    grid.show();
    QWidget &view = *grid.viewport();
    std::vector<std::pair<int, int>> clicks;
    grid.OnClickCell = [&](QObject *, int row, int col) { clicks.push_back({row, col}); };

    testsupport::sendMouse(view, QEvent::MouseMove, QPoint(51, 25), Qt::NoButton); // border of column 0
    EXPECT_EQ(view.cursor().shape(), Qt::SplitHCursor);
    testsupport::sendMouse(view, QEvent::MouseMove, QPoint(25, 25), Qt::NoButton);
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);

    const struct {
        const char *name;
        int x, y, dragTo;
        int row;   // current afterwards
        int width; // of column 0 afterwards
        size_t clicks;
    } cases[] = {
        {"click on a border, second row", 51, 25, 51, 1, 50, 1},
        {"click beside a border, third row", 40, 45, 40, 2, 50, 2},
        {"drag of a border, fourth row", 50, 65, 70, 2, 70, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::press(view, QPoint(c.x, c.y));
        testsupport::moveTo(view, QPoint(c.dragTo, c.y));
        testsupport::release(view, QPoint(c.dragTo, c.y));
        EXPECT_EQ(grid.CurrentRow(), c.row);
        EXPECT_EQ(grid.ColWidths(0), c.width);
        EXPECT_EQ(clicks.size(), c.clicks);
    }
    EXPECT_EQ(clicks.front(), std::make_pair(1, 1));
}

TEST(DataGridTest, AHandlerErrorFromAnEventReachesTheErrorReport)
{
    ScopedRecordingMessages recorded;
    CatalogueGrid grid(5);
    grid.show();
    grid.OnClickCell = [](QObject *, int, int) { throw std::runtime_error("handler failed"); };
    grid.OnKeyUp = [](QObject *, int, Qt::KeyboardModifiers) { throw std::runtime_error("key failed"); };
    press(grid, QPoint(10, 10));
    key(grid, Qt::Key_Down);
    EXPECT_EQ(recorded.texts(), (QStringList{"handler failed", "key failed"}));
}

TEST(DataGridTest, KeyUpFollowsTheArrowMove)
{
    CatalogueGrid grid(5);
    grid.show();
    grid.setCurrentRow(1);
    std::vector<int> rowsAtKeyUp;
    grid.OnKeyUp = [&](QObject *, int, Qt::KeyboardModifiers) { rowsAtKeyUp.push_back(grid.CurrentRow()); };
    key(grid, Qt::Key_Down);
    key(grid, Qt::Key_Down);
    key(grid, Qt::Key_Up);
    key(grid, Qt::Key_A);
    EXPECT_EQ(rowsAtKeyUp, (std::vector<int>{2, 3, 2, 2}));
}

TEST(DataGridTest, AutoSizeAsksForEveryCellAndSizesToTheWidest)
{
    CatalogueGrid grid(4, 3);
    grid.setColWidths(1, 0);
    grid.setCells(2, 3, "a much longer make name");
    std::set<std::pair<int, int>> asked;
    grid.OnGetCellColor = [&](QObject *, int ARow, int ACol, GridDrawState state, QBrush &, ColoredFont &) {
        asked.insert({ACol, ARow});
        EXPECT_FALSE(state.selected || state.focused || state.fixed);
        if (ACol == 1 && grid.Cells(1, ARow).isEmpty())
            grid.setCells(1, ARow, "m"); // handlers may write cells
    };
    grid.setAutoSize(true);
    EXPECT_EQ(asked.size(), 12u) << "every cell of every column, width-0 included";
    const QFontMetrics metrics(grid.font());
    const int extra = 2 * grid.GridLineWidth() + 2 + 2 + 10;
    EXPECT_EQ(grid.ColWidths(2), metrics.horizontalAdvance("a much longer make name") + extra);
    EXPECT_EQ(grid.ColWidths(1), metrics.horizontalAdvance("m") + extra);
    EXPECT_EQ(grid.Cells(1, 2), "m");
}

TEST(DataGridTest, PaintingVisitsOnlyTheCellsInView)
{
    CatalogueGrid grid(100000);
    grid.setColWidths(1, 0);
    grid.show();
    grid.setCurrentRow(60000);
    std::set<int> rows;
    bool hiddenColumnAsked = false;
    grid.OnGetCellColor = [&](QObject *, int ARow, int ACol, GridDrawState, QBrush &, ColoredFont &) {
        rows.insert(ARow);
        hiddenColumnAsked |= ACol == 1;
    };
    drawn(grid);
    EXPECT_FALSE(hiddenColumnAsked);
    ASSERT_FALSE(rows.empty());
    EXPECT_LE(rows.size(), size_t(grid.VisibleRowCount() + 1));
    EXPECT_TRUE(rows.count(60000));
}

TEST(DataGridTest, SelectedRowTakesTheSelectionColoursWithoutFocus)
{
    CatalogueGrid grid(5);
    grid.setColor(Qt::white);
    grid.setSelectionColor(QColor(166, 202, 240));
    grid.OnGetCellColor = [](QObject *, int, int, GridDrawState, QBrush &brush, ColoredFont &) {
        brush = QBrush(Qt::green); // the selection wins over the handler
    };
    grid.setCurrentRow(2);
    const QImage image = drawn(grid);
    EXPECT_FALSE(grid.hasFocus());
    EXPECT_EQ(image.pixelColor(140, 45), QColor(166, 202, 240));
    EXPECT_EQ(image.pixelColor(140, 25), QColor(Qt::green));
}

TEST(DataGridTest, BackgroundPictureStaysFixedWhileRowsScroll)
{
    CatalogueGrid grid(50);
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(QColor(10, 20, 30));
    for (int y = 0; y < 100; ++y)
        picture.setPixelColor(120, y, QColor(0, 0, 255)); // one blue vertical rule
    grid.setBackGround(picture);
    grid.setCurrentRow(49); // scrolls; the rows in view are unselected except the last
    ASSERT_GT(grid.TopRow(), 0);
    const QImage image = drawn(grid);
    EXPECT_EQ(image.pixelColor(120, 10), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(100, 50), QColor(10, 20, 30));
    EXPECT_EQ(image.pixelColor(120, 150), QColor(Qt::white)) << "below the picture: the brush";
}

class MarkerTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    CatalogueGrid grid{3, 2};

    QString bitmap(QColor color)
    {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(color);
        const QString path = dir.filePath("img/BALL.bmp");
        QDir().mkpath(dir.filePath("img"));
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }
    // The marker as the screens write it: the program folder ends in a separator and
    // the picture path is appended with backslashes.
    QString marker(const QString &tag = "IMG")
    {
        return "<" + tag + " src=\"file://" + dir.path()
               + "/\\img\\BALL.bmp\" align=\"middle\" width=\"15\" height=\"15\">";
    }
    QRect cell0() const { return QRect(0, 20, 50, 20); }
};

TEST_F(MarkerTest, MarkerDrawsItsPictureAtTheRequestedSizeLoadedOnce)
{
    bitmap(Qt::red);
    grid.setCells(0, 1, marker());
    QImage image = drawn(grid);
    EXPECT_EQ(image.pixelColor(2 + 7, 20 + 10), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(2 + 16, 20 + 10), QColor(Qt::white)) << "stretched to 15, no wider";
    grid.setCells(0, 2, marker());
    QFile::remove(dir.filePath("img/BALL.bmp"));
    image = drawn(grid);
    EXPECT_EQ(image.pixelColor(2 + 7, 40 + 10), QColor(Qt::red)) << "kept after the first load";
}

TEST_F(MarkerTest, MissingPictureDrawsNothingAndLowerCaseTagsAreText)
{
    grid.setCells(0, 1, marker());
    grid.setCells(0, 2, marker("img"));
    const QImage image = drawn(grid);
    EXPECT_TRUE(allOf(image, cell0(), Qt::white)) << "missing file: empty cell, no error";
    EXPECT_FALSE(allOf(image, cell0().translated(0, 20), Qt::white)) << "lower-case tag drawn as text";
}

} // namespace

// The pixels of `text` drawn by QPainter in a white `size` cell, within its 2-pixel
// margin, as one left-aligned line centred upright.
QImage referenceCell(QSize size, const QFont &font, const QString &text)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(QPoint(0, 0), size).adjusted(2, 2, -2, -2), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               text);
    return image;
}

TEST(DataGridTest, OneLineTextsLookAsQPainterDrawsThemAfterTextAndFontChanges)
{
    // Cell (1, 2) of the plain grid: 50 x 20 pixels at (50, 40), never selected.
    CatalogueGrid grid(4, 3);
    grid.show();
    const QRect cell(50, 40, 50, 20);
    QFont bold = grid.font();
    bold.setBold(true);
    bool boldCell = false;
    grid.OnGetCellColor = [&](QObject *, int row, int col, GridDrawState, QBrush &, ColoredFont &font) {
        if (boldCell && row == 2 && col == 1)
            font.font = bold;
    };
    const QString texts[] = {QString::fromUtf8("Più venduta"), "Benzina 1.6 16V", " spazi ", "KS044"};
    for (const QString &text : texts) {
        for (bool isBold : {false, true, false}) {
            SCOPED_TRACE((text + (isBold ? " bold" : "")).toStdString());
            boldCell = isBold;
            grid.setCells(1, 2, text);
            grid.viewport()->update();
            const QImage shown = drawn(grid).copy(cell);
            EXPECT_EQ(shown, referenceCell(cell.size(), isBold ? bold : grid.font(), text));
        }
    }
}
