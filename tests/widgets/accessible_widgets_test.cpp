// What assistive tools read off a real data grid and bitmap button: the table of visible
// rows and cells with the current row, what a load changes, the button's name from its hint,
// and the keyboard click of a focused button.
#include "widgets/accessible_widgets.h"
#include "widgets/bitmap_button.h"
#include "widgets/data_grid.h"
#include "widgets/design_pictures.h"

#include "tests/widgets/widget_events.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

using namespace testsupport;

namespace {

// A grid laid out as the screens leave it after a load: row 0 holds the result's column
// names and is hidden, column 0 carries the marker markup, column 1 is a hidden key.
struct LoadedGrid {
    DataGrid grid;
    LoadedGrid()
    {
        InstallAccessibleWidgets();
        grid.setObjectName("gridMarca");
        grid.resize(300, 200);
        grid.setColCount(3);
        grid.setRowCount(4);
        const char *rows[][3] = {{"", "idMarca", "Marca"}, {"", "7", "ALFA"}, {"", "3", "BETA"}, {"", "9", "GAMMA"}};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c)
                grid.setCells(c, r, QString::fromLatin1(rows[r][c]));
        grid.setCells(0, 2, R"(<IMG src="file:///nowhere/BALL.bmp" align="middle" width="15" height="15">)");
        grid.setDefaultRowHeight(20);
        grid.setRowHeights(0, 0);
        grid.setColWidths(0, 20);
        grid.setColWidths(1, 0);
        grid.setColWidths(2, 150);
        grid.setCurrentRow(1);
        grid.show();
    }
    QAccessibleInterface *iface() { return QAccessible::queryAccessibleInterface(&grid); }
    QAccessibleTableInterface *table() { return iface()->tableInterface(); }
};

QString cellName(QAccessibleTableInterface *table, int row, int col)
{
    QAccessibleInterface *cell = table->cellAt(row, col);
    return cell ? cell->text(QAccessible::Name) : QStringLiteral("<none>");
}

} // namespace

TEST(DataGridAccessible, TableOfTheVisibleRowsAndColumns)
{
    LoadedGrid g;
    QAccessibleInterface *iface = g.iface();
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Table);
    EXPECT_EQ(iface->text(QAccessible::Name), "gridMarca") << "without an accessible name the object name serves";
    g.grid.setAccessibleName("Marche");
    EXPECT_EQ(iface->text(QAccessible::Name), "Marche");

    QAccessibleTableInterface *table = g.table();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 3) << "row 0 (height 0) is left out";
    EXPECT_EQ(table->columnCount(), 2) << "the key column (width 0) is left out";
    EXPECT_EQ(iface->childCount(), 6);

    struct { int row, col; const char *name; } cells[] = {
        {0, 1, "ALFA"}, {1, 1, "BETA"}, {2, 1, "GAMMA"},
        {0, 0, ""}, {1, 0, ""}, // the marker markup is a picture, not text
    };
    for (const auto &c : cells)
        EXPECT_EQ(cellName(table, c.row, c.col), c.name) << c.row << "," << c.col;
    EXPECT_EQ(table->cellAt(3, 0), nullptr);
    EXPECT_EQ(table->cellAt(0, 2), nullptr);
    EXPECT_EQ(table->columnDescription(1), "Marca") << "the result column name of hidden row 0";
    EXPECT_EQ(table->rowDescription(2), "3") << "the grid's own row number";

    // Cells are children in row order, and come back as the same interface.
    QAccessibleInterface *gamma = table->cellAt(2, 1);
    EXPECT_EQ(iface->child(5), gamma);
    EXPECT_EQ(iface->indexOfChild(gamma), 5);
    EXPECT_EQ(gamma->parent(), iface);
    EXPECT_EQ(gamma->role(), QAccessible::Cell);
    EXPECT_EQ(gamma->tableCellInterface()->rowIndex(), 2);
    EXPECT_EQ(iface->childAt(gamma->rect().center().x(), gamma->rect().center().y()), gamma);

    // Cells read the grid as it is now: a reload shows through the same interfaces.
    g.grid.setCells(2, 3, "DELTA");
    EXPECT_EQ(gamma->text(QAccessible::Name), "DELTA");
    g.grid.setRowCount(2);
    EXPECT_EQ(table->rowCount(), 1);
    EXPECT_FALSE(gamma->isValid());
}

TEST(DataGridAccessible, CurrentRowIsTheSelectionAndTheFocus)
{
    LoadedGrid g;
    QAccessibleTableInterface *table = g.table();
    g.grid.setCurrentRow(3);
    EXPECT_EQ(table->selectedRows(), QList<int>{2});
    EXPECT_TRUE(table->isRowSelected(2));
    EXPECT_FALSE(table->isRowSelected(0));
    EXPECT_EQ(table->selectedCellCount(), 2);
    EXPECT_TRUE(table->cellAt(2, 1)->state().selected);
    EXPECT_FALSE(table->cellAt(0, 1)->state().selected);

    g.grid.activateWindow();
    QApplication::setActiveWindow(&g.grid);
    g.grid.setFocus();
    ASSERT_TRUE(g.grid.hasFocus());
    // The current column is the hidden key, so the row's first visible cell has the focus.
    QAccessibleInterface *focused = g.iface()->focusChild();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused, table->cellAt(2, 0));
    EXPECT_TRUE(focused->state().focused);

    // The hidden row 0 as current row: nothing visible is selected.
    g.grid.setCurrentRow(0);
    EXPECT_TRUE(table->selectedRows().isEmpty());
    EXPECT_EQ(g.iface()->focusChild(), nullptr);

    // Selecting a table row moves the grid's current row; nothing can be unselected.
    EXPECT_TRUE(table->selectRow(1));
    EXPECT_EQ(g.grid.CurrentRow(), 2);
    EXPECT_FALSE(table->unselectRow(1));
    EXPECT_FALSE(table->selectRow(7));
}

TEST(DataGridAccessible, PressOnACellClicksItLikeTheMouse)
{
    LoadedGrid g;
    std::vector<std::pair<int, int>> clicks;
    g.grid.OnClickCell = [&](QObject *, int row, int col) { clicks.emplace_back(row, col); };
    QAccessibleInterface *cell = g.table()->cellAt(2, 1);
    ASSERT_TRUE(cell->actionInterface());
    cell->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(g.grid.CurrentRow(), 3);
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{3, 2}}));
}

TEST(DataGridAccessible, ALoadShowsThroughTheTable)
{
    LoadedGrid g;
    QTemporaryDir dir;
    const QString path = dir.filePath("grid.tmp");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("|idMarca|Marca\r\n|4|DELTA\r\n|5|EPSILON\r\n");
    file.close();
    QAccessibleInterface *first = g.table()->cellAt(0, 1);
    g.grid.ImportFromTextFile(path, -1);
    g.grid.setRowHeights(0, 0);
    EXPECT_EQ(g.table()->rowCount(), 2);
    EXPECT_EQ(cellName(g.table(), 0, 1), "DELTA");
    EXPECT_EQ(cellName(g.table(), 1, 1), "EPSILON");
    EXPECT_EQ(first->text(QAccessible::Name), "DELTA") << "a cell held across the load reads the new rows";
}

TEST(BitmapButtonAccessible, NamedByItsHintUnlessNamed)
{
    InstallAccessibleWidgets();
    BitmapButton button;
    button.setGlyph(DrawDesignPicture(DesignPicture::MagnifierGlyph));
    button.setHint("Usa il tasto [Lente] per cercare i valori inseriti.\rSe premi [Invio] azzeri gli altri campi di ricerca.");
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&button);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Button);
    EXPECT_EQ(iface->text(QAccessible::Name),
              "Usa il tasto [Lente] per cercare i valori inseriti. Se premi [Invio] azzeri gli altri campi di ricerca.");
    button.setAccessibleName("Cerca");
    EXPECT_EQ(iface->text(QAccessible::Name), "Cerca");

    int clicks = 0;
    QObject::connect(&button, &BitmapButton::clicked, [&] { ++clicks; });
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 1);
    button.setEnabled(false);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 1) << "a disabled button is not pressed";
}

TEST(BitmapButton, FocusedButtonIsClickedByEnterAndSpace)
{
    struct KeyCase { const char *name; int key; Qt::KeyboardModifiers mods; bool repeat; int clicks; };
    const KeyCase cases[] = {
        {"Enter", Qt::Key_Return, Qt::NoModifier, false, 1},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, false, 1},
        {"Space", Qt::Key_Space, Qt::NoModifier, false, 1},
        {"held Enter repeating", Qt::Key_Return, Qt::NoModifier, true, 0},
        {"Ctrl+Enter", Qt::Key_Return, Qt::ControlModifier, false, 0},
        {"a letter", Qt::Key_A, Qt::NoModifier, false, 0},
    };
    for (const KeyCase &c : cases) {
        QWidget window;
        BitmapButton button(&window);
        button.setGlyph(DrawDesignPicture(DesignPicture::ExitGlyph));
        button.resize(35, 35);
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(button.focusPolicy() & Qt::TabFocus);
        EXPECT_FALSE(button.focusPolicy() & Qt::ClickFocus) << "a click leaves the focus in the field";
        button.setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(button.hasFocus()) << c.name;
        int clicks = 0;
        QObject::connect(&button, &BitmapButton::clicked, [&] { ++clicks; });
        QKeyEvent e(QEvent::KeyPress, c.key, c.mods, QString(), c.repeat);
        QApplication::sendEvent(QApplication::focusWidget(), &e);
        EXPECT_EQ(clicks, c.clicks) << c.name;
    }
}
