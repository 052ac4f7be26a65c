// The grid's table for assistive tools: the mapping between what a user sees (rows and
// columns with a size) and the grid's own indexes, the cells, and the change events.
#include "widgets/data_grid_accessible.h"
#include "widgets/data_grid_accessible_p.h"

#include "platform/error_guard.h"
#include "widgets/accessible_widgets.h"
#include "widgets/cell_markup.h"

#include <QVariant>

namespace {

// Where SetAccessibleColumns keeps its names on the grid: the widget layer's grid knows
// nothing of who reads it.
const char kColumnNames[] = "catalogAccessibleColumnNames";
const char kNameColumn[] = "catalogAccessibleNameColumn";

// The text a cell shows: markup cells lose their tags (the marker is a picture only).
QString shownText(const QString &text)
{
    if (!IsCellMarkup(text))
        return text;
    QString plain;
    for (const MarkupPiece &piece : ParseCellMarkup(text))
        plain += piece.text;
    return plain;
}

// The n-th index with a size above 0 (n = -1 counts them all), or the position of
// `index` among them.
template <class SizeOf>
int nthShown(int count, SizeOf size, int n)
{
    int seen = 0;
    for (int i = 0; i < count; ++i) {
        if (size(i) <= 0)
            continue;
        if (seen == n)
            return i;
        ++seen;
    }
    return n < 0 ? seen : -1;
}

template <class SizeOf>
int positionAmongShown(int count, SizeOf size, int index)
{
    if (index < 0 || index >= count || size(index) <= 0)
        return -1;
    int seen = 0;
    for (int i = 0; i < index; ++i)
        seen += size(i) > 0 ? 1 : 0;
    return seen;
}

} // namespace

// ---------------------------------------------------------------------------- table

DataGridAccessible::DataGridAccessible(DataGrid *grid) : QAccessibleWidget(grid, QAccessible::Table) {}

DataGridAccessible::~DataGridAccessible() { forgetCells(); }

void DataGridAccessible::forgetCells()
{
    for (const auto &[key, id] : m_cells)
        QAccessible::deleteAccessibleInterface(id);
    m_cells.clear();
    for (const auto &[column, id] : m_headers)
        QAccessible::deleteAccessibleInterface(id);
    m_headers.clear();
}

std::function<int(int)> DataGridAccessible::columnSizes() const
{
    return [this](int c) { return columnShown(c) ? 1 : 0; };
}

bool DataGridAccessible::columnShown(int gridColumn) const
{
    if (grid()->ColWidths(gridColumn) <= 0)
        return false;
    const QStringList names = grid()->property(kColumnNames).toStringList();
    return gridColumn >= names.size() || !names[gridColumn].isEmpty();
}

DataGrid *DataGridAccessible::grid() const { return static_cast<DataGrid *>(widget()); }

void *DataGridAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString DataGridAccessible::text(QAccessible::Text t) const
{
    const QString own = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && own.isEmpty())
        return grid()->objectName();
    return own;
}

int DataGridAccessible::gridRow(int row) const
{
    const DataGrid *g = grid();
    return row < 0 ? -1
                   : nthShown(
                       g->RowCount(), [g](int r) { return g->RowHeights(r); }, row);
}

int DataGridAccessible::gridColumn(int column) const
{
    return column < 0 ? -1 : nthShown(grid()->ColCount(), columnSizes(), column);
}

int DataGridAccessible::tableRow(int gridRow) const
{
    const DataGrid *g = grid();
    return positionAmongShown(
        g->RowCount(), [g](int r) { return g->RowHeights(r); }, gridRow);
}

int DataGridAccessible::tableColumn(int gridColumn) const
{
    return positionAmongShown(grid()->ColCount(), columnSizes(), gridColumn);
}

int DataGridAccessible::rowCount() const
{
    const DataGrid *g = grid();
    return nthShown(
        g->RowCount(), [g](int r) { return g->RowHeights(r); }, -1);
}

int DataGridAccessible::columnCount() const { return nthShown(grid()->ColCount(), columnSizes(), -1); }

int DataGridAccessible::childCount() const { return rowCount() * columnCount(); }

QAccessibleInterface *DataGridAccessible::cellAt(int row, int column) const
{
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return nullptr;
    const auto key = std::make_pair(row, column);
    if (const auto found = m_cells.find(key); found != m_cells.end())
        return QAccessible::accessibleInterface(found->second);
    auto *cell = new DataGridCellAccessible(const_cast<DataGridAccessible *>(this), row, column);
    m_cells[key] = QAccessible::registerAccessibleInterface(cell);
    return cell;
}

QAccessibleInterface *DataGridAccessible::child(int index) const
{
    const int columns = columnCount();
    if (index < 0 || columns == 0)
        return nullptr;
    return cellAt(index / columns, index % columns);
}

int DataGridAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    // Qt's interface getters are not const, though they change nothing.
    auto *iface = const_cast<QAccessibleInterface *>(child);
    if (!iface || iface->parent() != this || !iface->tableCellInterface())
        return -1;
    auto *cell = iface->tableCellInterface();
    return cell->rowIndex() * columnCount() + cell->columnIndex();
}

QAccessibleInterface *DataGridAccessible::childAt(int x, int y) const
{
    const DataGrid *g = grid();
    const QPoint at = g->viewport()->mapFromGlobal(QPoint(x, y));
    const int row = tableRow(g->RowAt(at.y())), column = tableColumn(g->ColAt(at.x()));
    return row < 0 || column < 0 ? nullptr : cellAt(row, column);
}

int DataGridAccessible::currentCellIndex() const
{
    const DataGrid *g = grid();
    const int row = tableRow(g->CurrentRow());
    if (row < 0 || columnCount() == 0)
        return -1;
    // The naming column when the grid has one; else the current column, and when that
    // has width 0 (the screens hide their id columns) the row's first cell in view.
    bool named = false;
    const int nameColumn = g->property(kNameColumn).toInt(&named);
    const int shownName = named ? tableColumn(nameColumn) : -1;
    const int column = shownName >= 0 ? shownName : std::max(tableColumn(g->CurrentCol()), 0);
    return row * columnCount() + column;
}

QAccessibleInterface *DataGridAccessible::focusChild() const
{
    if (!grid()->hasFocus())
        return nullptr;
    const int index = currentCellIndex();
    return index < 0 ? nullptr : child(index);
}

bool DataGridAccessible::isRowSelected(int row) const
{
    return row >= 0 && row == tableRow(grid()->SelectionRect().Top);
}

QList<int> DataGridAccessible::selectedRows() const
{
    const int row = tableRow(grid()->SelectionRect().Top);
    return row < 0 ? QList<int>{} : QList<int>{row};
}

int DataGridAccessible::selectedRowCount() const { return int(selectedRows().size()); }

QList<QAccessibleInterface *> DataGridAccessible::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    const GridRect selection = grid()->SelectionRect();
    const int row = tableRow(selection.Top);
    for (int c = selection.Left; row >= 0 && c <= selection.Right; ++c) {
        if (const int column = tableColumn(c); column >= 0)
            cells << cellAt(row, column);
    }
    return cells;
}

int DataGridAccessible::selectedCellCount() const { return int(selectedCells().size()); }

QString DataGridAccessible::columnDescription(int column) const
{
    const DataGrid *g = grid();
    const int c = gridColumn(column);
    if (c < 0)
        return QString();
    const QStringList names = g->property(kColumnNames).toStringList();
    if (c < names.size())
        return names[c];
    return g->RowHeights(0) > 0 ? QString() : g->Cells(c, 0);
}

QAccessibleInterface *DataGridAccessible::columnHeader(int column) const
{
    if (column < 0 || column >= columnCount() || columnDescription(column).isEmpty())
        return nullptr;
    if (const auto found = m_headers.find(column); found != m_headers.end())
        return QAccessible::accessibleInterface(found->second);
    auto *header = new DataGridHeaderAccessible(const_cast<DataGridAccessible *>(this), column);
    m_headers[column] = QAccessible::registerAccessibleInterface(header);
    return header;
}

QString DataGridAccessible::rowDescription(int row) const
{
    const int r = gridRow(row);
    return r < 0 ? QString() : QString::number(r);
}

bool DataGridAccessible::selectRow(int row)
{
    const int r = gridRow(row);
    if (r < 0)
        return false;
    return Guarded([&] { grid()->setCurrentRow(r); });
}

void DataGridAccessible::modelChange(QAccessibleTableModelChangeEvent *) { forgetCells(); }

// ---------------------------------------------------------------------------- cells

DataGridCellAccessible::DataGridCellAccessible(DataGridAccessible *table, int row, int column)
    : DataGridPartAccessible(table), m_row(row), m_column(column)
{}

void *DataGridCellAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface *>(this);
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

bool DataGridCellAccessible::isValid() const
{
    return m_row < m_table->rowCount() && m_column < m_table->columnCount();
}

QString DataGridCellAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !isValid())
        return QString();
    return shownText(m_table->grid()->Cells(m_table->gridColumn(m_column), m_table->gridRow(m_row)));
}

QRect DataGridCellAccessible::rect() const
{
    const DataGrid *grid = m_table->grid();
    const QRect r = grid->CellRect(m_table->gridColumn(m_column), m_table->gridRow(m_row));
    return r.isEmpty() ? QRect() : QRect(grid->viewport()->mapToGlobal(r.topLeft()), r.size());
}

QAccessible::State DataGridCellAccessible::state() const
{
    QAccessible::State s;
    if (!isValid())
        return s;
    s.selectable = true;
    s.focusable = true;
    s.selected = isSelected();
    s.focused = m_table->grid()->hasFocus() && m_table->currentCellIndex() == m_row * m_table->columnCount() + m_column;
    s.invisible = rect().isEmpty(); // scrolled out of view
    s.readOnly = true;
    return s;
}

QList<QAccessibleInterface *> DataGridCellAccessible::columnHeaderCells() const
{
    QAccessibleInterface *header = m_table->columnHeader(m_column);
    return header ? QList<QAccessibleInterface *>{header} : QList<QAccessibleInterface *>{};
}

bool DataGridCellAccessible::isSelected() const { return m_table->isRowSelected(m_row); }

QStringList DataGridCellAccessible::actionNames() const { return {pressAction()}; }

void DataGridCellAccessible::doAction(const QString &actionName)
{
    if (actionName != pressAction() || !isValid())
        return;
    const int row = m_table->gridRow(m_row), column = m_table->gridColumn(m_column);
    DataGrid *grid = m_table->grid();
    PressLater(grid, [grid, row, column] {
        if (row >= grid->RowCount())
            return; // reloaded with fewer rows before the press came round
        grid->setCurrentRow(row);
        if (grid->OnClickCell)
            grid->OnClickCell(grid, row, column);
    });
}

// ---------------------------------------------------------------------------- headers

QString DataGridHeaderAccessible::text(QAccessible::Text t) const
{
    return t == QAccessible::Name && isValid() ? m_table->columnDescription(m_column) : QString();
}

QAccessible::State DataGridHeaderAccessible::state() const
{
    QAccessible::State s;
    s.readOnly = true;
    s.invisible = true; // named for readers, never drawn
    return s;
}

// ---------------------------------------------------------------------------- events

void NotifyAccessibleCurrentRow(DataGrid *grid)
{
    if (!QAccessible::isActive())
        return;
    // Without the widget factory the grid has Qt's plain interface and no cells to name.
    auto *table = dynamic_cast<DataGridAccessible *>(QAccessible::queryAccessibleInterface(grid));
    const int index = table ? table->currentCellIndex() : -1;
    if (index < 0)
        return;
    QAccessibleEvent selection(grid, QAccessible::Selection);
    selection.setChild(index);
    QAccessible::updateAccessibility(&selection);
    if (grid->hasFocus()) {
        QAccessibleEvent focus(grid, QAccessible::Focus);
        focus.setChild(index);
        QAccessible::updateAccessibility(&focus);
    }
}

void SetAccessibleColumns(DataGrid *grid, const QStringList &names, int nameColumn)
{
    grid->setProperty(kColumnNames, names);
    grid->setProperty(kNameColumn, nameColumn);
    NotifyAccessibleContentsReset(grid);
}

void NotifyAccessibleContentsReset(DataGrid *grid)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTableModelChangeEvent reset(grid, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&reset);
}
