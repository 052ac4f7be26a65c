// The battery photos: a studio shot drawn in a fixed 1000 x 750 scene and fitted,
// centred, into whatever size the photo has, so every size shows the same battery. The
// name "brand_range" picks the label colours and the lettering.
#include "tools/asset-maker/pictures.h"

#include "widgets/fonts.h"
#include "widgets/picture_palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

using namespace palette;

constexpr qreal kSceneW = 1000, kSceneH = 750;

struct Look {
    QString brand;
    QString range;
    QColor band;   // label colour
    QColor accent; // stripe on the label
    QColor casing; // top and body of the box
};

Look lookFor(const QString &name)
{
    Look l;
    const QString lower = name.toLower();
    l.brand = lower.section(QLatin1Char('_'), 0, 0).toUpper();
    l.range = lower.section(QLatin1Char('_'), 1).replace(QLatin1Char('_'), QLatin1Char(' ')).toUpper();
    if (l.range.isEmpty())
        l.range = QStringLiteral("START");
    l.range.remove(QStringLiteral(".JPG"));
    const bool red = l.brand == QLatin1String("QUIB") || l.brand == QLatin1String("ZELKAR");
    l.band = red ? kRed : kBlue;
    l.accent = red ? kRedLight : kBlueLight;
    // Dark ranges (AGM, heavy duty) get a graphite casing, the others the usual black.
    const bool graphite = l.range.contains(QLatin1String("AGM")) || l.range.contains(QLatin1String("HEAVY"))
                          || l.range.contains(QLatin1String("TRUCK"));
    l.casing = graphite ? QColor(70, 74, 82) : QColor(38, 40, 44);
    return l;
}

void terminal(QPainter &p, QPointF base, const QColor &cap)
{
    QLinearGradient metal(base.x() - 32, 0, base.x() + 32, 0);
    metal.setColorAt(0, QColor(120, 120, 118));
    metal.setColorAt(0.5, QColor(215, 214, 208));
    metal.setColorAt(1, QColor(110, 110, 108));
    p.setPen(Qt::NoPen);
    p.setBrush(metal);
    p.drawRect(QRectF(base.x() - 28, base.y() - 44, 56, 44));
    p.drawEllipse(QRectF(base.x() - 28, base.y() - 56, 56, 24));
    p.setBrush(cap);
    p.drawEllipse(QRectF(base.x() - 40, base.y() - 14, 80, 30));
}

void drawScene(QPainter &p, const Look &look)
{
    // Studio backdrop: white fading to a soft grey floor.
    QLinearGradient back(0, 0, 0, kSceneH);
    back.setColorAt(0, QColor(255, 255, 255));
    back.setColorAt(0.7, QColor(244, 246, 249));
    back.setColorAt(1, QColor(226, 230, 236));
    // Past the scene's edges (wide or tall photos) the backdrop simply continues.
    p.fillRect(QRectF(-4 * kSceneW, -4 * kSceneH, 9 * kSceneW, 9 * kSceneH), back);
    QRadialGradient shadow(QPointF(500, 655), 400);
    shadow.setColorAt(0, QColor(0, 0, 0, 90));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QRectF(110, 610, 780, 90));

    // The box in a slight three-quarter view: front face, top, right side.
    const QRectF front(170, 250, 560, 390);
    const QPointF depth(100, -70);
    QPainterPath top;
    top.moveTo(front.topLeft());
    top.lineTo(front.topLeft() + depth);
    top.lineTo(front.topRight() + depth);
    top.lineTo(front.topRight());
    top.closeSubpath();
    QPainterPath side;
    side.moveTo(front.topRight());
    side.lineTo(front.topRight() + depth);
    side.lineTo(front.bottomRight() + depth);
    side.lineTo(front.bottomRight());
    side.closeSubpath();
    p.setBrush(look.casing.lighter(135));
    p.drawPath(top);
    p.setBrush(look.casing.darker(125));
    p.drawPath(side);
    QLinearGradient body(front.left(), 0, front.right(), 0);
    body.setColorAt(0, look.casing.lighter(115));
    body.setColorAt(1, look.casing);
    p.setBrush(body);
    p.drawRect(front);

    // Lid details: vent strip and handle groove.
    p.setBrush(look.casing.lighter(160));
    p.drawRect(QRectF(front.left() + 70, front.top() - 40, 420, 10));
    terminal(p, QPointF(front.left() + 110, front.top() - 20), kRed);
    terminal(p, QPointF(front.right() - 30, front.top() - 20), QColor(30, 30, 30));

    // The label: brand band, range, a thin accent stripe and the rating boxes.
    const QRectF label(front.left() + 30, front.top() + 40, front.width() - 60, front.height() - 80);
    p.setBrush(Qt::white);
    p.drawRoundedRect(label, 14, 14);
    const QRectF band(label.left(), label.top(), label.width(), 120);
    QPainterPath bandPath;
    bandPath.setFillRule(Qt::WindingFill);
    bandPath.addRoundedRect(band, 14, 14);
    bandPath.addRect(QRectF(band.left(), band.top() + 60, band.width(), 60));
    QLinearGradient bandFill(0, band.top(), 0, band.bottom());
    bandFill.setColorAt(0, look.accent);
    bandFill.setColorAt(1, look.band);
    p.fillPath(bandPath.simplified(), bandFill);
    p.setPen(Qt::white);
    p.setFont(PictureFont(78, true));
    p.drawText(band.adjusted(30, 0, -30, 0), Qt::AlignLeft | Qt::AlignVCenter, look.brand);
    p.setPen(Qt::NoPen);
    p.setBrush(look.accent);
    p.drawRect(QRectF(label.left(), band.bottom() + 8, label.width(), 8));
    p.setPen(kInk);
    p.setFont(PictureFont(54, true));
    p.drawText(QRectF(label.left() + 30, band.bottom() + 26, label.width() - 60, 70), Qt::AlignLeft | Qt::AlignVCenter,
               look.range);
    p.setFont(PictureFont(22, false));
    p.setPen(kInkSoft);
    p.drawText(QRectF(label.left() + 30, band.bottom() + 96, label.width() - 60, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("12 V  \u2022  BATTERIA DI AVVIAMENTO"));
}

} // namespace

QImage DrawBatteryPhoto(const QString &name, QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // The scene keeps its proportions; wide or tall photos show more of the backdrop.
    const qreal s = qMin(size.width() / kSceneW, size.height() / kSceneH);
    p.translate((size.width() - kSceneW * s) / 2, (size.height() - kSceneH * s) / 2);
    p.scale(s, s);
    drawScene(p, lookFor(name));
    return img;
}

QImage DrawPhotoPlaceholder(int ratio)
{
    QImage img(482 * ratio, 302 * ratio, QImage::Format_RGB32);
    img.setDevicePixelRatio(ratio);
    img.fill(kCard);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // A camera outline with the notice under it.
    const QPointF c(241, 120);
    p.setPen(QPen(kGreyDark, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(c.x() - 62, c.y() - 38, 124, 84), 14, 14);
    p.drawRoundedRect(QRectF(c.x() - 26, c.y() - 56, 52, 20), 6, 6);
    p.drawEllipse(c + QPointF(0, 4), 24, 24);
    p.setPen(kInkSoft);
    p.setFont(PictureFont(22, true));
    p.drawText(QRectF(0, 196, 482, 36), Qt::AlignCenter, QStringLiteral("Foto non disponibile"));
    return img;
}
