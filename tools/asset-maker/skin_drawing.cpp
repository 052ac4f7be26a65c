// Helpers shared by the brand screen and the catalogue skin.
#include "tools/asset-maker/skin_drawing.h"

#include "widgets/fonts.h"
#include "widgets/picture_palette.h"

#include <QPainterPath>

using namespace palette;

void DrawCard(QPainter &p, const QRectF &r, qreal radius)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 40, 70, 18));
    p.drawRoundedRect(r.adjusted(-2, 0, 2, 4), radius + 2, radius + 2);
    p.setPen(QPen(kLine, 1));
    p.setBrush(kCard);
    p.drawRoundedRect(r.adjusted(-1.5, -1.5, 1.5, 1.5), radius, radius);
    p.restore();
}

void DrawCaption(QPainter &p, const QRectF &r, const QString &text, int flags, int pixelHeight)
{
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(PictureFont(pixelHeight, true, true));
    p.setPen(kInk);
    p.drawText(r, flags, text);
    p.restore();
}

void DrawWordmark(QPainter &p, QPointF at, qreal scale)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(at);
    p.scale(scale, scale);
    // A stylised battery as the mark: rounded box with two terminals and a spark.
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(0, 8, 40, 28), 5, 5);
    p.drawRect(QRectF(7, 3, 8, 6));
    p.drawRect(QRectF(25, 3, 8, 6));
    p.setBrush(Qt::white);
    QPainterPath bolt;
    bolt.moveTo(23, 11);
    bolt.lineTo(14, 24);
    bolt.lineTo(20, 24);
    bolt.lineTo(17, 33);
    bolt.lineTo(27, 19);
    bolt.lineTo(21, 19);
    bolt.closeSubpath();
    p.drawPath(bolt);
    p.setPen(kInk);
    p.setFont(PictureFont(30, true));
    p.drawText(QPointF(52, 32), QStringLiteral("Dazozizizavuv"));
    p.restore();
}
