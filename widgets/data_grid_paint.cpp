// Painting the data grid: only the rows and columns in view are visited, each cell asks
// its owner for brush and font, the selected row takes the selection colours, the fixed
// background picture shows through unselected cells, and marker markup draws pictures;
// a focused grid is framed.
#include "widgets/data_grid.h"

#include "platform/error_guard.h"
#include "platform/files.h"
#include "widgets/cell_markup.h"
#include "widgets/data_grid_p.h"
#include "widgets/keyboard_focus.h"
#include "widgets/picture_loader.h"
#include "widgets/widget_error.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace {

const QColor kLineColor(192, 192, 192);
constexpr int kCellMargin = 2;

QFont pieceFont(const QFont &base, const MarkupPiece &piece)
{
    QFont font = base;
    if (piece.bold)
        font.setBold(true);
    if (piece.italic)
        font.setItalic(true);
    return font;
}

} // namespace

void DataGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    // Markers and backgrounds drawn at another ratio than the screen's are blended.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect client = viewport()->rect();
    painter.fillRect(client, d->color);
    if (!d->background.isNull())
        painter.drawImage(QPoint(0, 0), d->background); // fixed: it never scrolls

    d->painting = true;
    const int hLine = d->lineWidth(goHorzLine);
    const int vLine = d->lineWidth(goVertLine);
    int y = 0;
    for (int r = d->topRow; r < d->rowCount() && y < client.height(); ++r) {
        const int h = d->rowHeights[r];
        if (h <= 0)
            continue;
        int x = 0;
        for (int c = d->leftCol; c < d->colCount && x < client.width(); ++c) {
            const int w = d->colWidths[c];
            if (w <= 0)
                continue;
            const QRect rect(x, y, w, h);
            if (event->rect().intersects(rect))
                d->drawCell(painter, c, r, rect);
            x += w;
            if (vLine > 0) {
                painter.fillRect(QRect(x, y, vLine, h + hLine), kLineColor);
                x += vLine;
            }
        }
        y += h;
        if (hLine > 0) {
            painter.fillRect(QRect(0, y, x, hLine), kLineColor);
            y += hLine;
        }
    }
    d->painting = false;
    // Round the whole view, not the current row: the row may be scrolled away or hidden.
    if (hasFocus())
        DrawFocusFrame(painter, QRectF(client));
    if (d->changedWhilePainting) {
        d->changedWhilePainting = false;
        viewport()->update();
    }
}

void DataGridPrivate::resolveCell(int col, int row, GridDrawState state, QBrush &brush, ColoredFont &font, bool guarded)
{
    if (!q->OnGetCellColor)
        return;
    if (guarded)
        Guarded([&] { q->OnGetCellColor(q, row, col, state, brush, font); });
    else
        q->OnGetCellColor(q, row, col, state, brush, font);
}

void DataGridPrivate::drawCell(QPainter &painter, int col, int row, const QRect &rect)
{
    GridDrawState state;
    state.selected = (options & DataGrid::goRowSelect) ? row == currentRow : row == currentRow && col == currentCol;
    state.focused = q->hasFocus() && row == currentRow && col == currentCol;
    QBrush brush(color);
    ColoredFont font{q->font(), fontColor};
    resolveCell(col, row, state, brush, font, true);

    const bool drawSelected = state.selected && (!state.focused || (options & DataGrid::goDrawFocusSelected));
    if (drawSelected) {
        brush = QBrush(selectionColor);
        font.color = selectionTextColor;
    }
    painter.fillRect(rect, brush);
    if (!drawSelected && !background.isNull()) {
        // The source rectangle is the picture's own pixels (twice the window's for a
        // double-resolution background).
        const qreal ratio = background.devicePixelRatio();
        const QRect under = rect & QRect(QPoint(), background.deviceIndependentSize().toSize());
        if (!under.isEmpty())
            painter.drawImage(
                QRectF(under), background,
                QRectF(under.x() * ratio, under.y() * ratio, under.width() * ratio, under.height() * ratio));
    }

    const QString text = q->Cells(col, row);
    if (text.isEmpty())
        return;
    const QRect area = rect.adjusted(kCellMargin, kCellMargin, -kCellMargin, -kCellMargin);
    painter.save();
    painter.setClipRect(rect);
    if (enableMarkup && IsCellMarkup(text)) {
        drawMarkup(painter, area, text, font);
    } else {
        painter.setFont(font.font);
        painter.setPen(font.color);
        if (!wordWrap && std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20; })) {
            // Placed and clipped as drawText places and clips one line in `area`: left,
            // and up, down or centred by the line's height.
            const QStaticText &laid = laidOutText(font.font, text);
            painter.setClipRect(area, Qt::IntersectClip);
            qreal y = area.top();
            const qreal spare = area.height() - laid.size().height();
            if (verticalAlignment & Qt::AlignVCenter)
                y += spare / 2;
            else if (verticalAlignment & Qt::AlignBottom)
                y += spare;
            painter.drawStaticText(QPointF(area.left(), y), laid);
        } else {
            const int flags =
                Qt::AlignLeft | int(verticalAlignment) | (wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
            painter.drawText(area, flags, text);
        }
    }
    painter.restore();
}

const QStaticText &DataGridPrivate::laidOutText(const QFont &font, const QString &text)
{
    constexpr qsizetype kMostTexts = 4096;
    auto cache = std::find_if(laidOut.begin(), laidOut.end(), [&](const LaidOutTexts &c) { return c.font == font; });
    if (cache == laidOut.end()) {
        if (laidOut.size() >= 8)
            laidOut.clear();
        laidOut.push_back({font, {}});
        cache = laidOut.end() - 1;
    }
    auto found = cache->texts.constFind(text);
    if (found != cache->texts.constEnd())
        return *found;
    if (cache->texts.size() >= kMostTexts)
        cache->texts.clear();
    QStaticText laid(text);
    laid.setTextFormat(Qt::PlainText);
    laid.prepare(QTransform(), font);
    return *cache->texts.insert(text, laid);
}

void DataGridPrivate::drawMarkup(QPainter &painter, const QRect &area, const QString &text, const ColoredFont &font)
{
    struct Placed {
        const MarkupPiece *piece;
        const QImage *image;
        QSize size;
    };
    const std::vector<MarkupPiece> pieces = ParseCellMarkup(text);
    std::vector<Placed> placed;
    int lineHeight = QFontMetrics(font.font).height();
    for (const MarkupPiece &piece : pieces) {
        if (piece.imageSource.isEmpty()) {
            placed.push_back({&piece, nullptr, QSize()});
            continue;
        }
        const QImage &image = picture(piece.imageSource);
        if (image.isNull())
            continue; // a missing picture draws nothing
        const QSize size = piece.width >= 1 && piece.height >= 1 ? QSize(piece.width, piece.height)
                                                                 : image.deviceIndependentSize().toSize();
        lineHeight = std::max(lineHeight, size.height());
        placed.push_back({&piece, &image, size});
    }
    const int top = (verticalAlignment & Qt::AlignVCenter) ? area.top() + (area.height() - lineHeight) / 2 : area.top();
    int x = area.left();
    for (const Placed &p : placed) {
        if (p.image) {
            const QRect target(QPoint(x, top + (lineHeight - p.size.height()) / 2), p.size);
            painter.drawImage(target, *p.image);
            x += p.size.width();
            continue;
        }
        const QFont f = pieceFont(font.font, *p.piece);
        painter.setFont(f);
        painter.setPen(font.color);
        painter.drawText(QRect(x, top, std::max(area.right() - x + 1, 0), lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, p.piece->text);
        x += QFontMetrics(f).horizontalAdvance(p.piece->text);
    }
}

const QImage &DataGridPrivate::picture(const QString &source)
{
    auto it = pictures.find(source);
    if (it != pictures.end())
        return *it;
    QImage image;
    const QString path = MarkupFilePath(source);
    if (!path.isEmpty() && FileExistsAnyCase(path)) {
        ++pictureLoads;
        try {
            image = LoadPictureFile(path);
        } catch (const WidgetError &) {
            // An unreadable marker picture is skipped; the cell stays empty.
        }
    }
    return *pictures.insert(source, image);
}

int DataGridPrivate::textWidth(const QString &text, const QFont &font)
{
    if (text.isEmpty())
        return 0;
    if (!enableMarkup || !IsCellMarkup(text))
        return QFontMetrics(font).horizontalAdvance(text);
    int width = 0;
    for (const MarkupPiece &piece : ParseCellMarkup(text)) {
        if (piece.imageSource.isEmpty()) {
            width += QFontMetrics(pieceFont(font, piece)).horizontalAdvance(piece.text);
            continue;
        }
        const QImage &image = picture(piece.imageSource);
        if (!image.isNull())
            width += piece.width >= 1 && piece.height >= 1 ? piece.width : int(image.deviceIndependentSize().width());
    }
    return width;
}
