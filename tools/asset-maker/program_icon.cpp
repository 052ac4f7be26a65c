// The program's desktop icon: a battery seen from the front on a rounded blue tile, with
// the two terminals and a white plus and minus, drawn as vectors so every size is sharp.
#include "tools/asset-maker/pictures.h"

#include "widgets/picture_palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

using namespace palette;

QImage DrawProgramIcon(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Every measure below is on a 256-unit square, so the picture is the same at each size.
    p.scale(size / 256.0, size / 256.0);

    QLinearGradient tile(0, 8, 0, 248);
    tile.setColorAt(0, kBlueLight);
    tile.setColorAt(0.6, kBlue);
    tile.setColorAt(1, kBlueDark);
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);

    // Terminals first, so the casing's top edge covers their feet.
    p.setBrush(kGreyDark);
    p.drawRoundedRect(QRectF(62, 62, 36, 30), 6, 6);
    p.drawRoundedRect(QRectF(158, 62, 36, 30), 6, 6);

    QLinearGradient casing(0, 84, 0, 204);
    casing.setColorAt(0, QColor(58, 62, 70));
    casing.setColorAt(1, QColor(22, 24, 28));
    p.setBrush(casing);
    p.drawRoundedRect(QRectF(36, 84, 184, 124), 14, 14);

    // The label band across the front.
    p.setBrush(kRed);
    p.drawRect(QRectF(36, 150, 184, 26));

    QPen sign(Qt::white, 13, Qt::SolidLine, Qt::RoundCap);
    p.setPen(sign);
    p.drawLine(QPointF(64, 118), QPointF(96, 118));
    p.drawLine(QPointF(80, 102), QPointF(80, 134));
    p.drawLine(QPointF(160, 118), QPointF(192, 118));
    p.end();
    return img;
}
