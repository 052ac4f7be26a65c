// The accessibility interfaces of the data grid and its cells, created by the factory
// that InstallAccessibleWidgets installs. Read by the widget layer and its tests only.
#pragma once

#include "widgets/data_grid.h"

#include <QAccessibleWidget>
#include <functional>
#include <map>

class DataGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit DataGridAccessible(DataGrid *grid);
    ~DataGridAccessible() override;

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    // The column's name in words when the grid has them, else the result column name
    // kept in the hidden row 0, when that row is hidden.
    QString columnDescription(int column) const override;
    // The grid's own row number, so a reader of this table can address the grid.
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    // Makes the row current, as the arrow keys do; the grid always has one selected row,
    // so nothing can be unselected.
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

    DataGrid *grid() const;
    // Grid row and column of a table position; -1 outside the table.
    int gridRow(int row) const;
    int gridColumn(int column) const;
    // Table position of a grid row or column; -1 when it is hidden.
    int tableRow(int gridRow) const;
    int tableColumn(int gridColumn) const;
    // The table index of the current row's focused cell, -1 when the row is hidden.
    int currentCellIndex() const;
    // The header of a table column, nullptr when it has no name.
    QAccessibleInterface *columnHeader(int column) const;

private:
    void forgetCells();
    // A grid column is in the table when it has a width and is not a decoration.
    bool columnShown(int gridColumn) const;
    std::function<int(int)> columnSizes() const; // columnShown as 1 or 0, for the counting

    mutable std::map<std::pair<int, int>, QAccessible::Id> m_cells; // (row, column) -> cell
    mutable std::map<int, QAccessible::Id> m_headers;               // column -> header
};

// What the table's cells and headers share: each is a leaf of the table, which owns it
// and deletes it before it goes, so `table` outlives it.
class DataGridPartAccessible : public QAccessibleInterface {
public:
    explicit DataGridPartAccessible(DataGridAccessible *table) : m_table(table) {}

    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_table->window(); }
    QAccessibleInterface *parent() const override { return m_table; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override {}

protected:
    DataGridAccessible *m_table;
};

// A column's header: named by the column, it belongs to the table without being one of
// its children (a reader reaches it from the cells).
class DataGridHeaderAccessible : public DataGridPartAccessible {
public:
    DataGridHeaderAccessible(DataGridAccessible *table, int column) : DataGridPartAccessible(table), m_column(column) {}

    bool isValid() const override { return m_column < m_table->columnCount(); }
    QString text(QAccessible::Text t) const override;
    QRect rect() const override { return QRect(); } // the grids draw no header row
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override;

private:
    int m_column;
};

class DataGridCellAccessible : public DataGridPartAccessible,
                               public QAccessibleTableCellInterface,
                               public QAccessibleActionInterface {
public:
    DataGridCellAccessible(DataGridAccessible *table, int row, int column);

    void *interface_cast(QAccessible::InterfaceType type) override;
    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override;

    bool isSelected() const override;
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    // "Press" clicks the cell as the mouse does: it becomes current and the grid's click
    // handler runs, so a screen reader user can drive the drill-down.
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    int m_row;
    int m_column;
};
