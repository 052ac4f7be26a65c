// Inside the data grid: cell storage, sizes, the current row, appearance and the marker
// picture cache. Read only by the grid's own source files and its tests.
#pragma once

#include "widgets/data_grid.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QStaticText>
#include <QString>
#include <array>
#include <vector>

class QPainter;

struct DataGridPrivate {
    explicit DataGridPrivate(DataGrid *grid) : q(grid) {}

    // Rows are stored one vector of cells each, so growing by whole rows (the reader does
    // it 1000 at a time) never touches existing rows. A row may hold more cells than
    // ColCount: the reader writes a line's cells before it widens the grid.
    std::vector<std::vector<QString>> cells;
    std::vector<int> rowHeights;
    std::vector<int> colWidths;
    int colCount = 5;
    int defaultRowHeight = 24;
    int defaultColWidth = 64;

    static constexpr int kHideableColumns = 512;
    std::array<bool, kHideableColumns + 1> columnHidden{};
    std::array<int, kHideableColumns + 1> hiddenWidth{};
    struct HiddenRow {
        int index;
        std::vector<QString> cells;
        int height;
    };
    std::vector<HiddenRow> hiddenRows; // in the order they were hidden

    int currentRow = 0;
    int currentCol = 0;
    int lastReportedRow = 0; // the row OnRowUpdate last announced
    int topRow = 0;
    int leftCol = 0;
    int lockCount = 0;
    bool autoSize = false;
    QChar fieldSeparator = QLatin1Char('|');

    QColor color = Qt::white;
    QColor fontColor = Qt::black;
    QColor selectionColor = QColor(182, 202, 234);
    QColor selectionTextColor = Qt::black;
    QImage background;
    Qt::Alignment verticalAlignment = Qt::AlignVCenter;
    bool wordWrap = false;
    int gridLineWidth = 1;
    unsigned options = DataGrid::goVertLine | DataGrid::goHorzLine | DataGrid::goRowSelect;
    DataGrid::ScrollStyle scrollBars = DataGrid::ssBoth;
    int scrollWidth = 16;
    DataGrid::BorderStyleKind borderStyle = DataGrid::bsSingle;
    bool doubleBuffered = false;
    bool enableMarkup = true;

    // Marker pictures by src, loaded once each; a null image for a file that could not
    // be read, so it is not tried again.
    QHash<QString, QImage> pictures;
    int pictureLoads = 0; // how many times a file was read, for the tests

    // Plain one-line cell texts laid out once per font: every click repaints the grids,
    // and laying the same texts out again was most of the painting. A few fonts at most
    // (the grid's and the ones OnGetCellColor picks); each is emptied when it grows large.
    struct LaidOutTexts {
        QFont font;
        QHash<QString, QStaticText> texts;
    };
    std::vector<LaidOutTexts> laidOut;
    const QStaticText &laidOutText(const QFont &font, const QString &text);

    bool painting = false;
    bool changedWhilePainting = false;

    // Column sizing by dragging a border, where the sizing cursor shows. A press there
    // that is released without moving is a click like any other.
    int sizingCol = -1;
    int sizingStartX = 0;
    int sizingStartWidth = 0;
    bool sizingMoved = false;
    QPoint sizingPress;

    DataGrid *q;

    int rowCount() const { return static_cast<int>(rowHeights.size()); }
    // The cell at `pos` becomes current and OnClickCell runs, as a click does.
    void clickAt(QPoint pos);
    int lineWidth(unsigned lineOption) const { return (options & lineOption) ? gridLineWidth : 0; }
    // The row shown at the top, and the largest top row that still fills the view.
    int maxTopRow() const;
    int maxLeftCol() const;
    // Rows and columns on screen from the current scroll position, as rectangles in
    // viewport coordinates (only the ones in view are visited).
    QRect cellRect(int col, int row) const;
    int rowAt(int y) const;
    int colAt(int x) const;
    void updateScrollBars();
    void relayout(); // sizes changed: scroll ranges and a repaint
    void scrollIntoView(int row);
    void repaintRow(int row);

    const QImage &picture(const QString &source);
    // The width a cell's text takes in a font (markup measured as drawn).
    int textWidth(const QString &text, const QFont &font);
    void drawCell(QPainter &painter, int col, int row, const QRect &rect);
    void drawMarkup(QPainter &painter, const QRect &area, const QString &text, const ColoredFont &font);
    void resolveCell(int col, int row, GridDrawState state, QBrush &brush, ColoredFont &font, bool guarded);
};
