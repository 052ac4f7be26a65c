// What assistive tools read off the real widgets: the grid's table of visible rows and
// cells with its column headers and the current row, what a load changes, the button's
// name from its hint and its toggle state, the link, note, picture and combo box; the
// keyboard click of a focused button or link, and the focus frame every control draws.
#include "widgets/accessible_widgets.h"
#include "widgets/bitmap_button.h"
#include "widgets/column_combo_box.h"
#include "widgets/data_grid.h"
#include "widgets/data_grid_accessible.h"
#include "widgets/design_pictures.h"
#include "widgets/hyperlink_label.h"
#include "widgets/image_view.h"
#include "widgets/keyboard_focus.h"
#include "widgets/note_label.h"

#include "tests/widgets/widget_events.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
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

    struct {
        int row, col;
        const char *name;
    } cells[] = {
        {0, 1, "ALFA"}, {1, 1, "BETA"}, {2, 1, "GAMMA"},
        {0, 0, ""},     {1, 0, ""}, // the marker markup is a picture, not text
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
    EXPECT_TRUE(clicks.empty()) << "the reader's call returns before the click runs";
    QCoreApplication::processEvents();
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
    button.setHint(
        "Usa il tasto [Lente] per cercare i valori inseriti.\rSe premi [Invio] azzeri gli altri campi di ricerca.");
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&button);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Button);
    EXPECT_EQ(
        iface->text(QAccessible::Name),
        "Usa il tasto [Lente] per cercare i valori inseriti. Se premi [Invio] azzeri gli altri campi di ricerca.");
    button.setAccessibleName("Cerca");
    EXPECT_EQ(iface->text(QAccessible::Name), "Cerca");

    int clicks = 0;
    QObject::connect(&button, &BitmapButton::clicked, [&] { ++clicks; });
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 0) << "the reader's call returns before the click runs";
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 1);
    button.setEnabled(false);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 1) << "a disabled button is not pressed";
}

TEST(BitmapButton, FocusedButtonIsClickedByEnterAndSpace)
{
    struct KeyCase {
        const char *name;
        int key;
        Qt::KeyboardModifiers mods;
        bool repeat;
        int clicks;
    };
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

TEST(DataGridAccessible, ColumnsNamedInWordsAndTheRowByItsName)
{
    LoadedGrid g;
    SetAccessibleColumns(&g.grid, {"", "Codice marca", "Marca"}, 2);
    QAccessibleTableInterface *table = g.table();
    EXPECT_EQ(table->columnCount(), 1) << "the marker decorates and the key is hidden";
    EXPECT_EQ(table->columnDescription(0), "Marca");
    EXPECT_EQ(cellName(table, 1, 0), "BETA");
    const QList<QAccessibleInterface *> headers = table->cellAt(1, 0)->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(headers.size(), 1);
    EXPECT_EQ(headers[0]->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(headers[0]->text(QAccessible::Name), "Marca");
    EXPECT_EQ(headers[0]->parent(), g.iface());

    // The current row is announced by its name, whatever column the grid calls current.
    g.grid.activateWindow();
    QApplication::setActiveWindow(&g.grid);
    g.grid.setFocus();
    ASSERT_TRUE(g.grid.hasFocus());
    g.grid.setCurrentRow(3);
    QAccessibleInterface *focused = g.iface()->focusChild();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->text(QAccessible::Name), "GAMMA");

    // A wider layout with the naming column in the middle: columns past the names keep
    // their result names.
    SetAccessibleColumns(&g.grid, {"", ""}, 2);
    EXPECT_EQ(table->columnCount(), 1);
    g.grid.setRowHeights(0, 20);
    EXPECT_EQ(table->columnDescription(0), "") << "row 0 is shown, so no result name heads it";
    g.grid.setRowHeights(0, 0);
    EXPECT_EQ(table->columnDescription(0), "Marca");
    EXPECT_EQ(g.iface()->focusChild()->text(QAccessible::Name), "GAMMA");
}

TEST(BitmapButtonAccessible, ACheckableButtonIsAToggleWithItsState)
{
    InstallAccessibleWidgets();
    BitmapButton button;
    button.setAccessibleName("Mostra veicoli montanti");
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&button);
    EXPECT_FALSE(iface->state().checkable);
    button.setChecked(true);
    EXPECT_FALSE(button.isChecked()) << "only a checkable button takes the state";
    button.setCheckable(true);
    struct {
        bool on;
    } steps[] = {{true}, {false}, {true}};
    for (const auto &step : steps) {
        button.setChecked(step.on);
        EXPECT_TRUE(iface->state().checkable);
        EXPECT_EQ(bool(iface->state().checked), step.on);
    }
    button.setCheckable(false);
    EXPECT_FALSE(iface->state().checked);
}

TEST(WidgetAccessible, RolesNamesAndValuesOfTheOtherControls)
{
    InstallAccessibleWidgets();
    HyperlinkLabel link;
    link.setCaption("Chiudi");
    NoteLabel note;
    note.setHTMLText({"<B>Attenzione:</B> solo per", "<BR>veicoli &amp; <FONT COLOR=\"clred\">Start&amp;Stop</FONT>"});
    ImageView photo, skin;
    photo.setAccessibleName("Foto della batteria");
    photo.setAccessibleDescription("Gamma X, codice Y");
    ColumnComboBox combo;
    for (const char *brand : {"BRASK", "KORVA", "QUIB"})
        combo.AddItem().setStrings({QString::fromLatin1(brand), "ignored"});
    combo.setEditColumn(0);
    combo.setItemIndex(1);

    struct Case {
        const char *what;
        QWidget *widget;
        QAccessible::Role role;
        const char *name;
        const char *value;
    } cases[] = {
        {"link", &link, QAccessible::Link, "Chiudi", ""},
        {"note", &note, QAccessible::StaticText, "Attenzione: solo per veicoli & Start&Stop", ""},
        {"named picture", &photo, QAccessible::Graphic, "Foto della batteria", ""},
        {"skin", &skin, QAccessible::Client, "", ""},
        {"combo box", &combo, QAccessible::ComboBox, "", "KORVA"},
    };
    for (const Case &c : cases) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(c.widget);
        ASSERT_NE(iface, nullptr) << c.what;
        EXPECT_EQ(iface->role(), c.role) << c.what;
        EXPECT_EQ(iface->text(QAccessible::Name), QString::fromUtf8(c.name)) << c.what;
        EXPECT_EQ(iface->text(QAccessible::Value), QString::fromUtf8(c.value)) << c.what;
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&photo)->text(QAccessible::Description), "Gamma X, codice Y");
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(&link)->state().focusable);

    // The open list's items are named by their texts.
    combo.setEditColumn(-1);
    combo.ShowDropDown();
    auto *list = qobject_cast<QListWidget *>(QApplication::activePopupWidget());
    ASSERT_NE(list, nullptr);
    QAccessibleInterface *listIface = QAccessible::queryAccessibleInterface(list);
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    EXPECT_EQ(names, (QStringList{"BRASK ignored", "KORVA ignored", "QUIB ignored"}));
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(&combo)->state().expanded);
    ASSERT_NE(listIface, nullptr);
    combo.HideDropDown();
}

// The price-list box read as a reader reads it: its name, then the price list it shows
// as its value and as its text, and its items as its children with the shown one
// selected; all of it follows a new choice and a new list.
TEST(WidgetAccessible, ComboBoxReadsItsShownItemAndHasItsItemsAsChildren)
{
    InstallAccessibleWidgets();
    ColumnComboBox combo;
    combo.setAccessibleName("Listino");
    for (const char *list : {"BRASK", "KORVA", "QUIB"})
        combo.AddItem().setStrings({QString::fromLatin1(list), "second column"});
    combo.setEditColumn(0);
    combo.setItemIndex(1);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&combo);
    ASSERT_NE(iface, nullptr);

    auto expectShown = [&](const QString &shown, const QStringList &items, int selected) {
        EXPECT_EQ(iface->text(QAccessible::Name), "Listino");
        EXPECT_EQ(iface->text(QAccessible::Value), shown);
        QAccessibleTextInterface *text = iface->textInterface();
        ASSERT_NE(text, nullptr) << "no text to read";
        EXPECT_EQ(text->characterCount(), shown.size());
        EXPECT_EQ(text->text(0, text->characterCount()), shown);
        ASSERT_EQ(iface->childCount(), items.size());
        for (int i = 0; i < iface->childCount(); ++i) {
            SCOPED_TRACE(i);
            QAccessibleInterface *item = iface->child(i);
            ASSERT_NE(item, nullptr);
            EXPECT_TRUE(item->isValid());
            EXPECT_EQ(item->role(), QAccessible::ListItem);
            EXPECT_EQ(item->text(QAccessible::Name), items[i]);
            EXPECT_EQ(item->state().selected, i == selected);
            EXPECT_EQ(item->parent(), iface);
            EXPECT_EQ(iface->indexOfChild(item), i);
            EXPECT_EQ(iface->child(i), item) << "the same item is one interface";
        }
        EXPECT_EQ(iface->child(int(items.size())), nullptr);
    };
    expectShown("KORVA", {"BRASK", "KORVA", "QUIB"}, 1);

    combo.setItemIndex(2);
    expectShown("QUIB", {"BRASK", "KORVA", "QUIB"}, 2);

    // All columns shown: the value is what the closed box shows.
    combo.setEditColumn(-1);
    expectShown("QUIB second column", {"BRASK second column", "KORVA second column", "QUIB second column"}, 2);

    // The price lists of another brand.
    combo.ClearItems();
    combo.AddItem().setStrings({"FENU"});
    combo.setItemIndex(0);
    expectShown("FENU", {"FENU"}, 0);
    combo.setItemIndex(-1);
    expectShown("", {"FENU"}, -1);
}

TEST(HyperlinkLabel, FocusedLinkIsFollowedByEnterAndSpace)
{
    QWidget window;
    HyperlinkLabel link(&window);
    link.setCaption("Chiudi");
    link.resize(37, 15);
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    EXPECT_FALSE(link.focusPolicy() & Qt::ClickFocus);
    link.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(link.hasFocus());
    int clicks = 0;
    QObject::connect(&link, &HyperlinkLabel::clicked, [&] { ++clicks; });
    for (int key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_A})
        typeKey(link, key);
    EXPECT_EQ(clicks, 2);
}

namespace {

double luminance(QColor c)
{
    const auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

// On each side, half-way along, the focused picture must differ from the unfocused one
// in at least 2 of the frame's pixels in from the edge, and the focus ink must stand out 3:1 from what
// was there before it. A grid frames its view of the cells, beside its scroll bar.
TEST(FocusFrame, EveryControlShowsItsFocusTwoPixelsWideAndInContrast)
{
    InstallAccessibleWidgets();
    struct Case {
        const char *what;
        std::function<QWidget *(QWidget *)> make;
    } cases[] = {
        {"grid",
         [](QWidget *parent) {
             auto *grid = new DataGrid(parent);
             grid->setColCount(2);
             grid->setRowCount(6);
             grid->setColor(Qt::white);
             grid->setSelectionColor(Qt::red);
             grid->setCurrentRow(1);
             grid->setBorderStyle(DataGrid::bsNone);
             grid->resize(160, 120);
             return grid;
         }},
        {"round button",
         [](QWidget *parent) {
             auto *button = new BitmapButton(parent);
             button->setGlyph(DrawDesignPicture(DesignPicture::MagnifierGlyph));
             button->resize(35, 35);
             return button;
         }},
        {"link",
         [](QWidget *parent) {
             auto *link = new HyperlinkLabel(parent);
             link->setCaption("Chiudi");
             link->resize(37, 15);
             return link;
         }},
        {"combo box",
         [](QWidget *parent) {
             auto *combo = new ColumnComboBox(parent);
             combo->AddItem().setStrings({"KORVA"});
             combo->setItemIndex(0);
             combo->resize(81, 22);
             return combo;
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QWidget window;
        QPalette skin = window.palette();
        skin.setColor(QPalette::Window, QColor(222, 223, 202));
        window.setPalette(skin);
        window.setAutoFillBackground(true);
        QWidget *control = c.make(&window);
        control->move(10, 10);
        window.resize(control->width() + 20, control->height() + 20);
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        auto *scrolling = qobject_cast<QAbstractScrollArea *>(control);
        QWidget &framed = scrolling ? *scrolling->viewport() : *control;
        control->clearFocus(); // the window's activation may have given it the focus
        const QImage before = renderWidget(framed);
        control->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(control->hasFocus());
        const QImage after = renderWidget(framed);
        const int w = framed.width(), h = framed.height();
        struct Side {
            const char *name;
            QPoint edge;
            QPoint inward;
        } sides[] = {
            {"left", {0, h / 2}, {1, 0}},
            {"right", {w - 1, h / 2}, {-1, 0}},
            {"top", {w / 2, 0}, {0, 1}},
            {"bottom", {w / 2, h - 1}, {0, -1}},
        };
        for (const Side &side : sides) {
            int changed = 0;
            double best = 0;
            QPoint p = side.edge;
            for (int i = 0; i < kFocusFrameWidth; ++i, p += side.inward) {
                changed += after.pixel(p) != before.pixel(p);
                best = std::max(best, contrast(after.pixelColor(p), before.pixelColor(p)));
            }
            EXPECT_GE(changed, 2) << side.name;
            EXPECT_GE(best, 3.0) << side.name;
        }
        control->clearFocus();
        EXPECT_EQ(renderWidget(framed), before) << "the frame goes with the focus";
    }
}
