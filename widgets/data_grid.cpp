// The data grid's table: cells, sizes, hiding, the current row, scrolling, input and the
// reading of the exchange file. Painting is in data_grid_paint.cpp.
#include "widgets/data_grid.h"

#include "platform/error_guard.h"
#include "widgets/data_grid_accessible.h"
#include "widgets/data_grid_p.h"
#include "widgets/exchange_file.h"
#include "widgets/widget_error.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

namespace {

// "Grid index out of range", the one text for any row or column outside the table.
[[noreturn]] void raiseGridIndexError()
{
    raiseWidgetError(WidgetErrc::Index, QStringLiteral("Grid index out of range"));
}

} // namespace

DataGrid::DataGrid(QWidget *parent) : QAbstractScrollArea(parent), d(std::make_unique<DataGridPrivate>(this))
{
    d->rowHeights.assign(5, d->defaultRowHeight);
    d->colWidths.assign(d->colCount, d->defaultColWidth);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
    setScrollBars(d->scrollBars);
    setBorderStyle(d->borderStyle);
    setOptions(d->options);
    d->updateScrollBars();
}

DataGrid::~DataGrid() = default;

// ---------------------------------------------------------------------------- cells

QString DataGrid::Cells(int col, int row) const
{
    if (row < 0 || col < 0 || row >= static_cast<int>(d->cells.size()))
        return {};
    const auto &cells = d->cells[row];
    return col < static_cast<int>(cells.size()) ? cells[col] : QString();
}

void DataGrid::setCells(int col, int row, const QString &text)
{
    if (row < 0 || col < 0)
        raiseGridIndexError();
    if (row >= static_cast<int>(d->cells.size()))
        d->cells.resize(row + 1);
    auto &cells = d->cells[row];
    if (col >= static_cast<int>(cells.size())) {
        if (text.isEmpty())
            return; // an absent cell is already empty
        cells.resize(col + 1);
    } else if (cells[col] == text) {
        return;
    }
    cells[col] = text;
    if (!isVisible() || d->lockCount > 0)
        return;
    if (d->painting) {
        d->changedWhilePainting = true; // an OnGetCellColor handler wrote a cell
        return;
    }
    const QRect rect = d->cellRect(col, row);
    if (rect.isValid())
        viewport()->update(rect);
}

int DataGrid::RowCount() const { return d->rowCount(); }

void DataGrid::setRowCount(int rows)
{
    rows = std::max(rows, 1); // a grid always has one row, as the stock grids have
    d->rowHeights.resize(rows, d->defaultRowHeight);
    if (static_cast<int>(d->cells.size()) > rows)
        d->cells.resize(rows);
    d->currentRow = std::min(d->currentRow, rows - 1);
    d->relayout();
}

int DataGrid::ColCount() const { return d->colCount; }

void DataGrid::setColCount(int cols)
{
    cols = std::max(cols, 1);
    d->colWidths.resize(cols, d->defaultColWidth);
    d->colCount = cols;
    d->currentCol = std::min(d->currentCol, cols - 1);
    d->relayout();
}

int DataGrid::ColWidths(int col) const { return col >= 0 && col < d->colCount ? d->colWidths[col] : 0; }

void DataGrid::setColWidths(int col, int width)
{
    if (col < 0 || col >= d->colCount)
        raiseGridIndexError();
    d->colWidths[col] = std::max(width, 0);
    d->relayout();
}

int DataGrid::RowHeights(int row) const { return row >= 0 && row < d->rowCount() ? d->rowHeights[row] : 0; }

void DataGrid::setRowHeights(int row, int height)
{
    if (row < 0 || row >= d->rowCount())
        raiseGridIndexError();
    d->rowHeights[row] = std::max(height, 0);
    d->relayout();
}

int DataGrid::DefaultRowHeight() const { return d->defaultRowHeight; }

void DataGrid::setDefaultRowHeight(int height)
{
    d->defaultRowHeight = std::max(height, 0);
    std::fill(d->rowHeights.begin(), d->rowHeights.end(), d->defaultRowHeight);
    d->relayout();
}

int DataGrid::DefaultColWidth() const { return d->defaultColWidth; }

void DataGrid::setDefaultColWidth(int width)
{
    d->defaultColWidth = std::max(width, 0);
    std::fill(d->colWidths.begin(), d->colWidths.end(), d->defaultColWidth);
    d->relayout();
}

void DataGrid::ClearRowCells(int first, int count)
{
    if (count <= 0 || d->rowCount() == 0 || d->colCount == 0)
        return;
    const int end = static_cast<int>(std::min<long long>(static_cast<long long>(first) + count, d->cells.size()));
    for (int r = std::max(first, 0); r < end; ++r)
        d->cells[r].clear();
    viewport()->update();
}

// ---------------------------------------------------------------------------- hiding

void DataGrid::HideColumn(int col)
{
    if (col < 0 || col >= d->colCount || col > DataGridPrivate::kHideableColumns)
        raiseGridIndexError();
    if (d->columnHidden[col])
        return;
    d->columnHidden[col] = true;
    d->hiddenWidth[col] = d->colWidths[col];
    setColWidths(col, 0);
}

bool DataGrid::IsColumnHidden(int col) const
{
    return col >= 0 && col < DataGridPrivate::kHideableColumns && d->columnHidden[col];
}

void DataGrid::ShowAllColumns()
{
    for (int c = 0; c <= DataGridPrivate::kHideableColumns; ++c) {
        if (!d->columnHidden[c])
            continue;
        d->columnHidden[c] = false;
        if (c < d->colCount)
            d->colWidths[c] = d->hiddenWidth[c];
    }
    d->relayout();
}

void DataGrid::HideRow(int row)
{
    if (row < 0 || row >= d->rowCount() || d->rowCount() == 1)
        raiseGridIndexError();
    DataGridPrivate::HiddenRow hidden{row, {}, d->rowHeights[row]};
    if (row < static_cast<int>(d->cells.size())) {
        hidden.cells = std::move(d->cells[row]);
        d->cells.erase(d->cells.begin() + row);
    }
    d->rowHeights.erase(d->rowHeights.begin() + row);
    d->hiddenRows.push_back(std::move(hidden));
    d->currentRow = std::min(d->currentRow, d->rowCount() - 1);
    d->relayout();
}

void DataGrid::ShowAllRows()
{
    // Put back in the reverse order of hiding, so each index means what it meant then.
    for (auto it = d->hiddenRows.rbegin(); it != d->hiddenRows.rend(); ++it) {
        const int at = std::min(it->index, d->rowCount());
        if (static_cast<int>(d->cells.size()) < at)
            d->cells.resize(at);
        d->cells.insert(d->cells.begin() + at, std::move(it->cells));
        d->rowHeights.insert(d->rowHeights.begin() + at, it->height);
    }
    if (d->hiddenRows.empty())
        return;
    d->hiddenRows.clear();
    d->relayout();
}

// ---------------------------------------------------------------------------- updates

void DataGrid::LockUpdates()
{
    if (!isVisible())
        return;
    if (d->lockCount++ == 0)
        setUpdatesEnabled(false);
}

void DataGrid::UnlockUpdates()
{
    if (!isVisible() || d->lockCount == 0)
        return;
    if (--d->lockCount > 0)
        return;
    setUpdatesEnabled(true);
    d->updateScrollBars();
    viewport()->update(); // queued: the repaint happens when the GUI thread is idle
}

int DataGrid::UpdateLockCount() const { return d->lockCount; }

bool DataGrid::AutoSize() const { return d->autoSize; }

void DataGrid::setAutoSize(bool on)
{
    d->autoSize = on;
    if (!on)
        return;
    const int extra = 2 * d->gridLineWidth + 2 + 2 + 10; // lines, cell margin, padding
    for (int c = 0; c < d->colCount; ++c) {
        int widest = 0;
        for (int r = 0; r < d->rowCount(); ++r) {
            QBrush brush(d->color);
            ColoredFont font{this->font(), d->fontColor};
            d->resolveCell(c, r, GridDrawState{}, brush, font, false);
            widest = std::max(widest, d->textWidth(Cells(c, r), font.font));
        }
        d->colWidths[c] = widest + extra;
    }
    d->relayout();
}

// ---------------------------------------------------------------------------- selection

int DataGrid::CurrentRow() const { return d->currentRow; }

void DataGrid::setCurrentRow(int row)
{
    if (row == d->currentRow)
        return;
    if (row < 0 || row >= d->rowCount())
        raiseGridIndexError();
    const int old = d->currentRow;
    d->currentRow = row;
    d->scrollIntoView(row);
    d->repaintRow(old);
    d->repaintRow(row);
    NotifyAccessibleCurrentRow(this);
    if (row != d->lastReportedRow) {
        const int reported = d->lastReportedRow;
        d->lastReportedRow = row;
        if (OnRowUpdate)
            OnRowUpdate(this, reported, row);
    }
}

int DataGrid::CurrentCol() const { return d->currentCol; }

GridRect DataGrid::SelectionRect() const
{
    if (d->options & goRowSelect)
        return {0, d->currentRow, d->colCount - 1, d->currentRow};
    return {d->currentCol, d->currentRow, d->currentCol, d->currentRow};
}

int DataGrid::TopRow() const { return d->topRow; }

void DataGrid::setTopRow(int row)
{
    row = std::clamp(row, 0, d->maxTopRow());
    d->topRow = row;
    verticalScrollBar()->setValue(row);
    viewport()->update();
}

int DataGrid::LeftCol() const { return d->leftCol; }

int DataGrid::VisibleRowCount() const
{
    const int height = ClientHeight();
    const int line = d->lineWidth(goHorzLine);
    int y = 0;
    int count = 0;
    for (int r = d->topRow; r < d->rowCount(); ++r) {
        const int h = d->rowHeights[r];
        if (h > 0 && y + h > height)
            break;
        if (h > 0)
            y += h + line;
        ++count;
    }
    return count;
}

int DataGrid::ClientWidth() const { return viewport()->width(); }

int DataGrid::ClientHeight() const { return viewport()->height(); }

QRect DataGrid::CellRect(int col, int row) const { return d->cellRect(col, row); }

int DataGrid::RowAt(int y) const { return d->rowAt(y); }

int DataGrid::ColAt(int x) const { return d->colAt(x); }

// ---------------------------------------------------------------------------- exchange

QChar DataGrid::FieldSeparator() const { return d->fieldSeparator; }

void DataGrid::setFieldSeparator(QChar separator) { d->fieldSeparator = separator; }

void DataGrid::ImportFromTextFile(const QString &path, int maxLines)
{
    ExchangeReader reader(path, d->fieldSeparator);
    ExchangeLine values;
    int row = 0;
    while ((maxLines <= 0 || row < maxLines) && reader.ReadLine(values)) {
        if (row >= RowCount())
            setRowCount(row + 1000); // grow in steps, not once per line
        for (size_t c = 0; c < values.size(); ++c) {
            if (values[c])
                setCells(static_cast<int>(c), row, *values[c]);
        }
        if (static_cast<int>(values.size()) > d->colCount)
            setColCount(static_cast<int>(values.size()));
        ++row;
    }
    setRowCount(row);
    NotifyAccessibleContentsReset(this);
}

// ---------------------------------------------------------------------------- appearance

QColor DataGrid::Color() const { return d->color; }
void DataGrid::setColor(const QColor &color)
{
    d->color = color;
    viewport()->update();
}
QColor DataGrid::FontColor() const { return d->fontColor; }
void DataGrid::setFontColor(const QColor &color)
{
    d->fontColor = color;
    viewport()->update();
}
QColor DataGrid::SelectionColor() const { return d->selectionColor; }
void DataGrid::setSelectionColor(const QColor &color)
{
    d->selectionColor = color;
    viewport()->update();
}
QColor DataGrid::SelectionTextColor() const { return d->selectionTextColor; }
void DataGrid::setSelectionTextColor(const QColor &color)
{
    d->selectionTextColor = color;
    viewport()->update();
}
QImage DataGrid::BackGround() const { return d->background; }
void DataGrid::setBackGround(const QImage &picture)
{
    d->background = picture;
    viewport()->update();
}
Qt::Alignment DataGrid::VerticalAlignment() const { return d->verticalAlignment; }

void DataGrid::setVerticalAlignment(Qt::Alignment alignment)
{
    d->verticalAlignment = alignment & Qt::AlignVertical_Mask;
    viewport()->update();
}

bool DataGrid::WordWrap() const { return d->wordWrap; }
void DataGrid::setWordWrap(bool on)
{
    d->wordWrap = on;
    viewport()->update();
}
int DataGrid::GridLineWidth() const { return d->gridLineWidth; }

void DataGrid::setGridLineWidth(int width)
{
    d->gridLineWidth = std::max(width, 0);
    d->relayout();
}

unsigned DataGrid::Options() const { return d->options; }

void DataGrid::setOptions(unsigned options)
{
    d->options = options;
    // The sizing cursor follows the mouse over the column borders.
    viewport()->setMouseTracking(options & goColSizing);
    if (!(options & goColSizing))
        viewport()->unsetCursor();
    verticalScrollBar()->setTracking(options & goThumbTracking);
    horizontalScrollBar()->setTracking(options & goThumbTracking);
    d->relayout();
}

DataGrid::ScrollStyle DataGrid::ScrollBars() const { return d->scrollBars; }

void DataGrid::setScrollBars(ScrollStyle bars)
{
    d->scrollBars = bars;
    const bool vertical = bars == ssVertical || bars == ssBoth;
    const bool horizontal = bars == ssHorizontal || bars == ssBoth;
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

int DataGrid::ScrollWidth() const { return d->scrollWidth; }
void DataGrid::setScrollWidth(int width) { d->scrollWidth = width; }
DataGrid::BorderStyleKind DataGrid::BorderStyle() const { return d->borderStyle; }

void DataGrid::setBorderStyle(BorderStyleKind style)
{
    d->borderStyle = style;
    setFrameShape(style == bsNone ? QFrame::NoFrame : QFrame::Box);
    setLineWidth(1);
}

// Qt paints every widget through a back buffer already; the flag is kept for the
// screens that ask for it.
bool DataGrid::DoubleBuffered() const { return d->doubleBuffered; }
void DataGrid::setDoubleBuffered(bool on) { d->doubleBuffered = on; }
bool DataGrid::EnableMarkup() const { return d->enableMarkup; }
void DataGrid::setEnableMarkup(bool on)
{
    d->enableMarkup = on;
    viewport()->update();
}

// ---------------------------------------------------------------------------- input

void DataGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    d->updateScrollBars();
}

void DataGrid::scrollContentsBy(int, int)
{
    d->topRow = verticalScrollBar()->value();
    d->leftCol = horizontalScrollBar()->value();
    viewport()->update();
}

namespace {

// The column whose right border lies within a few pixels of x, for column sizing.
int borderColumnAt(const DataGridPrivate &d, int x)
{
    int right = 0;
    for (int c = d.leftCol; c < d.colCount && right <= x + 3; ++c) {
        if (d.colWidths[c] <= 0)
            continue;
        right += d.colWidths[c];
        if (std::abs(x - right) <= 2)
            return c;
        right += d.lineWidth(DataGrid::goVertLine);
    }
    return -1;
}

} // namespace

void DataGridPrivate::clickAt(QPoint pos)
{
    const int row = rowAt(pos.y());
    const int col = colAt(pos.x());
    if (row < 0 || col < 0)
        return;
    Guarded([&] {
        const int oldCol = currentCol;
        currentCol = col;
        if (row == currentRow && col != oldCol)
            repaintRow(row);
        q->setCurrentRow(row);
        if (q->OnClickCell)
            q->OnClickCell(q, row, col);
    });
}

void DataGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    if (d->options & goColSizing) {
        const int border = borderColumnAt(*d, pos.x());
        if (border >= 0) {
            d->sizingCol = border;
            d->sizingStartX = pos.x();
            d->sizingStartWidth = d->colWidths[border];
            d->sizingMoved = false;
            d->sizingPress = pos;
            return;
        }
    }
    d->clickAt(pos);
}

void DataGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (d->sizingCol < 0) {
        if ((d->options & goColSizing) && !(event->buttons() & Qt::LeftButton)) {
            if (borderColumnAt(*d, pos.x()) >= 0)
                viewport()->setCursor(Qt::SplitHCursor);
            else
                viewport()->unsetCursor();
        }
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    const int dx = pos.x() - d->sizingStartX;
    d->sizingMoved = d->sizingMoved || dx != 0;
    if (d->sizingMoved)
        setColWidths(d->sizingCol, std::max(d->sizingStartWidth + dx, 1));
}

void DataGrid::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = d->sizingCol >= 0 && !d->sizingMoved && event->button() == Qt::LeftButton;
    d->sizingCol = -1;
    if (click)
        d->clickAt(d->sizingPress);
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void DataGrid::keyPressEvent(QKeyEvent *event)
{
    const int last = d->rowCount() - 1;
    const int page = std::max(VisibleRowCount() - 1, 1);
    int target = -1;
    switch (event->key()) {
    case Qt::Key_Up: target = std::max(d->currentRow - 1, 0); break;
    case Qt::Key_Down: target = std::min(d->currentRow + 1, last); break;
    case Qt::Key_PageUp: target = std::max(d->currentRow - page, 0); break;
    case Qt::Key_PageDown: target = std::min(d->currentRow + page, last); break;
    case Qt::Key_Home: target = (event->modifiers() & Qt::ControlModifier) ? 0 : -1; break;
    case Qt::Key_End: target = (event->modifiers() & Qt::ControlModifier) ? last : -1; break;
    default: break;
    }
    if (target < 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    Guarded([&] { setCurrentRow(target); });
}

void DataGrid::keyReleaseEvent(QKeyEvent *event)
{
    // A held key repeats its press on every platform but its release only here; the
    // screens reload the lists below on each release, so only the real one counts.
    if (event->isAutoRepeat())
        return;
    Guarded([&] {
        if (OnKeyUp)
            OnKeyUp(this, event->key(), event->modifiers());
    });
}

// ---------------------------------------------------------------------------- geometry

int DataGridPrivate::maxTopRow() const
{
    const int height = q->ClientHeight();
    const int line = lineWidth(DataGrid::goHorzLine);
    int used = 0;
    int top = rowCount();
    while (top > 0) {
        const int h = rowHeights[top - 1];
        if (h > 0) {
            if (used + h > height)
                break;
            used += h + line;
        }
        --top;
    }
    return std::min(top, rowCount() - 1);
}

int DataGridPrivate::maxLeftCol() const
{
    const int width = q->ClientWidth();
    const int line = lineWidth(DataGrid::goVertLine);
    int used = 0;
    int left = colCount;
    while (left > 0) {
        const int w = colWidths[left - 1];
        if (w > 0 && used + w > width)
            break;
        used += w > 0 ? w + line : 0;
        --left;
    }
    return std::min(left, colCount - 1);
}

QRect DataGridPrivate::cellRect(int col, int row) const
{
    if (row < topRow || col < leftCol || row >= rowCount() || col >= colCount)
        return {};
    if (rowHeights[row] <= 0 || colWidths[col] <= 0)
        return {};
    const int height = q->ClientHeight();
    const int width = q->ClientWidth();
    const int hLine = lineWidth(DataGrid::goHorzLine);
    const int vLine = lineWidth(DataGrid::goVertLine);
    int y = 0;
    for (int r = topRow; r < row && y < height; ++r)
        y += rowHeights[r] > 0 ? rowHeights[r] + hLine : 0;
    int x = 0;
    for (int c = leftCol; c < col && x < width; ++c)
        x += colWidths[c] > 0 ? colWidths[c] + vLine : 0;
    if (y >= height || x >= width)
        return {};
    return QRect(x, y, colWidths[col], rowHeights[row]);
}

int DataGridPrivate::rowAt(int y) const
{
    const int hLine = lineWidth(DataGrid::goHorzLine);
    int top = 0;
    for (int r = topRow; r < rowCount() && top <= y; ++r) {
        const int h = rowHeights[r];
        if (h <= 0)
            continue;
        if (y < top + h + hLine)
            return r;
        top += h + hLine;
    }
    return -1;
}

int DataGridPrivate::colAt(int x) const
{
    const int vLine = lineWidth(DataGrid::goVertLine);
    int left = 0;
    for (int c = leftCol; c < colCount && left <= x; ++c) {
        const int w = colWidths[c];
        if (w <= 0)
            continue;
        if (x < left + w + vLine)
            return c;
        left += w + vLine;
    }
    return -1;
}

void DataGridPrivate::relayout()
{
    updateScrollBars();
    q->viewport()->update();
}

void DataGridPrivate::updateScrollBars()
{
    QScrollBar *vertical = q->verticalScrollBar();
    const int maxTop = maxTopRow();
    vertical->setRange(0, maxTop);
    vertical->setPageStep(std::max(q->VisibleRowCount(), 1));
    QScrollBar *horizontal = q->horizontalScrollBar();
    horizontal->setRange(0, maxLeftCol());
    horizontal->setPageStep(1);
    topRow = std::min(topRow, maxTop);
    leftCol = std::min(leftCol, horizontal->maximum());
}

void DataGridPrivate::scrollIntoView(int row)
{
    if (row < topRow) {
        q->setTopRow(row);
        return;
    }
    // The top row that shows `row` as the last fully visible one.
    const int height = q->ClientHeight();
    const int hLine = lineWidth(DataGrid::goHorzLine);
    int used = rowHeights[row];
    int top = row;
    while (top > topRow) {
        const int h = rowHeights[top - 1];
        const int step = h > 0 ? h + hLine : 0;
        if (used + step > height)
            break;
        used += step;
        --top;
    }
    if (top > topRow)
        q->setTopRow(top);
}

void DataGridPrivate::repaintRow(int row)
{
    if (!q->isVisible() || lockCount > 0 || row < topRow)
        return;
    int y = 0;
    const int hLine = lineWidth(DataGrid::goHorzLine);
    for (int r = topRow; r < row && y < q->ClientHeight(); ++r)
        y += rowHeights[r] > 0 ? rowHeights[r] + hLine : 0;
    if (y < q->ClientHeight() && rowHeights[row] > 0)
        q->viewport()->update(QRect(0, y, q->ClientWidth(), rowHeights[row]));
}
