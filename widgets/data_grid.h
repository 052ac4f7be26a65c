// The data grid: a read-only scrolling table of text cells, addressed column first, that
// shows the catalogue's lists. Painting visits only the rows in view, so a grid of 100,000
// rows scrolls like one of 10. Cells that hold the marker markup (an IMG tag) draw its
// picture. Details of storage and painting live in data_grid_p.h.
#pragma once

#include "widgets/colored_font.h"

#include <QAbstractScrollArea>
#include <QBrush>
#include <QColor>
#include <QImage>
#include <functional>
#include <memory>

struct DataGridPrivate;

// The drawing state of a cell as OnGetCellColor receives it; all false when the grid only
// measures (the AutoSize pass).
struct GridDrawState {
    bool selected = false;
    bool focused = false;
    bool fixed = false;
};

// A range of cells, normalised: Left <= Right, Top <= Bottom.
struct GridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

class DataGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    enum ScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
    enum BorderStyleKind { bsNone, bsSingle };
    // Grid options; combine with |.
    enum Option : unsigned {
        goVertLine = 1u << 0, // lines between columns
        goHorzLine = 1u << 1, // lines between rows
        goFixedVertLine = 1u << 2,
        goFixedHorzLine = 1u << 3,
        goRowSelect = 1u << 4,         // the selection is the whole current row
        goDrawFocusSelected = 1u << 5, // the focused cell is drawn selected too
        goThumbTracking = 1u << 6,     // scroll while the thumb is dragged
        goColSizing = 1u << 7,         // the user may drag column borders
    };

    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    // --- cells and size. Reading a cell never fails: outside the table it is empty.
    QString Cells(int col, int row) const;
    // Stores the text (also beyond ColCount, which the reader relies on) and repaints the
    // cell. A negative index raises "Grid index out of range".
    void setCells(int col, int row, const QString &text);
    int RowCount() const;
    void setRowCount(int rows); // at least 1; new rows take DefaultRowHeight
    int ColCount() const;
    void setColCount(int cols); // at least 1; new columns take DefaultColWidth
    // Widths and heights in pixels; 0 hides the column or row (its cells stay readable).
    // Writing at or beyond ColCount / RowCount raises "Grid index out of range".
    int ColWidths(int col) const;
    void setColWidths(int col, int width);
    int RowHeights(int row) const;
    void setRowHeights(int row, int height);
    // Every row, existing and future, takes this height; single heights are discarded.
    int DefaultRowHeight() const;
    void setDefaultRowHeight(int height);
    int DefaultColWidth() const;
    void setDefaultColWidth(int width);
    // Empties rows first..first+count-1 in every column; RowCount stays.
    void ClearRowCells(int first, int count);

    // Column hiding by real index (0..511), kept apart from width 0.
    void HideColumn(int col);
    bool IsColumnHidden(int col) const; // false for any column above 511
    void ShowAllColumns();
    // Rows taken out of view with their cells and heights; ShowAllRows puts them back.
    void HideRow(int row);
    void ShowAllRows();

    // Suspends drawing while visible (counted); the last unlock marks the whole grid for
    // a repaint when idle. Both do nothing on a hidden grid.
    void LockUpdates();
    void UnlockUpdates();
    int UpdateLockCount() const;

    // Setting true sizes every column to its widest cell at once (raising OnGetCellColor
    // for every cell, width-0 columns included); false only stores the flag.
    bool AutoSize() const;
    void setAutoSize(bool on);

    // --- current row and selection
    int CurrentRow() const;
    // No effect when unchanged; "Grid index out of range" outside 0..RowCount-1; scrolls
    // the row into view, raises OnRowUpdate. Never raises OnClickCell.
    void setCurrentRow(int row);
    int CurrentCol() const;
    GridRect SelectionRect() const;
    int TopRow() const; // first row in view
    void setTopRow(int row);
    int LeftCol() const;
    int VisibleRowCount() const; // rows fully in view from TopRow
    int ClientWidth() const;
    int ClientHeight() const;
    // Where a cell lies in the viewport; empty when it is hidden or out of view. RowAt and
    // ColAt give the row and column under a viewport position, -1 for none.
    QRect CellRect(int col, int row) const;
    int RowAt(int y) const;
    int ColAt(int x) const;

    // --- exchange file (format in exchange_file.h)
    QChar FieldSeparator() const;
    void setFieldSeparator(QChar separator);
    // Reads the file into the cells from row 0; maxLines <= 0 reads every line. Raises
    // "Cannot open file <path>" and leaves the grid as it was when it cannot be opened.
    void ImportFromTextFile(const QString &path, int maxLines);

    // --- appearance, fixed per grid at design time
    QColor Color() const;
    void setColor(const QColor &color);
    QColor FontColor() const; // the font itself is QWidget::font()
    void setFontColor(const QColor &color);
    QColor SelectionColor() const;
    void setSelectionColor(const QColor &color);
    QColor SelectionTextColor() const;
    void setSelectionTextColor(const QColor &color);
    // A picture anchored at the top left of the client area that does not scroll.
    QImage BackGround() const;
    void setBackGround(const QImage &picture);
    Qt::Alignment VerticalAlignment() const; // Qt::AlignTop or Qt::AlignVCenter
    void setVerticalAlignment(Qt::Alignment alignment);
    bool WordWrap() const;
    void setWordWrap(bool on);
    int GridLineWidth() const;
    void setGridLineWidth(int width);
    unsigned Options() const;
    void setOptions(unsigned options);
    ScrollStyle ScrollBars() const;
    void setScrollBars(ScrollStyle bars);
    int ScrollWidth() const;
    void setScrollWidth(int width);
    BorderStyleKind BorderStyle() const;
    void setBorderStyle(BorderStyleKind style);
    bool DoubleBuffered() const;
    void setDoubleBuffered(bool on);
    bool EnableMarkup() const; // markup in cells, on by default
    void setEnableMarkup(bool on);

    // --- events: stored handlers, also callable directly by the screens with their own
    // sender. Exceptions thrown by a handler run from mouse, key or paint events reach
    // the general error report through Guarded().
    std::function<void(QObject *Sender, int ARow, int ACol)> OnClickCell;
    std::function<void(QObject *Sender, int ARow, int ACol, GridDrawState AState, QBrush &ABrush, ColoredFont &AFont)>
        OnGetCellColor;
    std::function<void(QObject *Sender, int Key, Qt::KeyboardModifiers Shift)> OnKeyUp;
    std::function<void(QObject *Sender, int OldRow, int NewRow)> OnRowUpdate;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend struct DataGridPrivate;
    std::unique_ptr<DataGridPrivate> d;
};
