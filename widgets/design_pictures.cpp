// Drawing of the pictures kept with the window designs. Everything is antialiased vector
// drawing on a plain corner colour, so the buttons' pixel transparency leaves a clean
// edge on the light skins.
#include "widgets/design_pictures.h"

#include "widgets/fonts.h"
#include "widgets/picture_palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>

namespace {

using namespace palette;

// A picture of `w` x `h` design pixels drawn with `ratio` pixels to each: a painter on it
// draws in design pixels.
QImage canvas(int w, int h, const QColor &fill, int ratio)
{
    QImage img(w * ratio, h * ratio, QImage::Format_RGB32);
    img.setDevicePixelRatio(ratio);
    img.fill(fill);
    return img;
}

// The shaded face of every button: light at the top, the base colour, dark at the bottom,
// outlined in the dark shade.
void setFace(QPainter &p, qreal top, qreal bottom, const QColor &light, const QColor &base, const QColor &dark)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, light);
    g.setColorAt(0.55, base);
    g.setColorAt(1, dark);
    p.setPen(QPen(dark, 1.2));
    p.setBrush(g);
}

// A round button face: gradient disc, darker rim, soft gloss on the upper half.
void drawRoundFace(QPainter &p, const QColor &light, const QColor &base, const QColor &dark)
{
    const QRectF disc(1, 1, 31, 31);
    setFace(p, 1, 32, light, base, dark);
    p.drawEllipse(disc);
    QLinearGradient gloss(0, 3, 0, 17);
    gloss.setColorAt(0, QColor(255, 255, 255, 110));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(QRectF(6, 3, 21, 14));
}

// A pill-shaped face (ends fully rounded) with a soft gloss band over `gloss`.
void drawPillFace(QPainter &p, const QRectF &pill, const QRectF &gloss, const QColor &light, const QColor &base,
                  const QColor &dark)
{
    setFace(p, pill.top(), pill.bottom(), light, base, dark);
    p.drawRoundedRect(pill, pill.height() / 2, pill.height() / 2);
    QLinearGradient shine(0, gloss.top(), 0, gloss.bottom() + 1);
    shine.setColorAt(0, QColor(255, 255, 255, 90));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawRoundedRect(gloss, gloss.height() / 2, gloss.height() / 2);
}

QPen symbolPen(qreal width) { return QPen(Qt::white, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

QImage roundGlyph(DesignPicture which, int ratio)
{
    QImage img = canvas(33, 33, kSurface, ratio);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const bool red =
        which == DesignPicture::ExitGlyph || which == DesignPicture::CloseGlyph || which == DesignPicture::ReportGlyph;
    if (red)
        drawRoundFace(p, kRedLight, kRed, kRedDark);
    else
        drawRoundFace(p, kBlueLight, kBlue, kBlueDark);
    p.setBrush(Qt::NoBrush);
    switch (which) {
    case DesignPicture::MagnifierGlyph:
        p.setPen(symbolPen(2.6));
        p.drawEllipse(QPointF(14.5, 14.5), 6.0, 6.0);
        p.setPen(symbolPen(3.6));
        p.drawLine(QPointF(19.2, 19.2), QPointF(24.0, 24.0));
        break;
    case DesignPicture::ExitGlyph:
        p.setPen(symbolPen(3.4));
        p.drawLine(QPointF(11.5, 11.5), QPointF(21.5, 21.5));
        p.drawLine(QPointF(21.5, 11.5), QPointF(11.5, 21.5));
        break;
    case DesignPicture::BackGlyph:
        p.setPen(symbolPen(3.2));
        p.drawLine(QPointF(23.0, 16.5), QPointF(11.0, 16.5));
        p.drawPolyline(QPolygonF({QPointF(16.5, 10.5), QPointF(10.5, 16.5), QPointF(16.5, 22.5)}));
        break;
    case DesignPicture::PrintGlyph: {
        // A sheet going in at the top, the printer's body, and the printed sheet coming
        // out over it with two lines of text on it.
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(11.5, 8.0, 10.0, 5.0));
        p.drawRoundedRect(QRectF(7.5, 12.5, 18.0, 9.0), 2.0, 2.0);
        p.setBrush(kBlueDark);
        p.drawRect(QRectF(10.5, 17.5, 12.0, 2.0));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(11.5, 18.5, 10.0, 7.0));
        p.setPen(QPen(kBlue, 1.0));
        p.drawLine(QPointF(13.5, 21.0), QPointF(19.5, 21.0));
        p.drawLine(QPointF(13.5, 23.5), QPointF(18.0, 23.5));
        break;
    }
    case DesignPicture::ReportGlyph:
        // A flag on its pole: the counter flags the listing.
        p.setPen(symbolPen(2.4));
        p.drawLine(QPointF(11.0, 8.5), QPointF(11.0, 25.0));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({QPointF(12.0, 9.0), QPointF(24.0, 12.5), QPointF(12.0, 17.5)}));
        break;
    default: // CloseGlyph: the cross inside a thin white ring
        p.setPen(QPen(QColor(255, 255, 255, 200), 1.4));
        p.drawEllipse(QRectF(4.2, 4.2, 24.6, 24.6));
        p.setPen(symbolPen(3.0));
        p.drawLine(QPointF(12.0, 12.0), QPointF(21.0, 21.0));
        p.drawLine(QPointF(21.0, 12.0), QPointF(12.0, 21.0));
        break;
    }
    return img;
}

QImage applicationsBar(bool on, int ratio)
{
    QImage img = canvas(125, 40, kSurface, ratio);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QColor light = on ? kRedLight : kBlueLight, base = on ? kRed : kBlue, dark = on ? kRedDark : kBlueDark;
    drawPillFace(p, QRectF(1, 1, 123, 38), QRectF(8, 3, 109, 16), light, base, dark);
    p.setPen(Qt::white);
    p.setFont(PictureFont(11, true));
    p.drawText(QRect(0, 5, 125, 15), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("MOSTRA VEICOLI"));
    p.drawText(QRect(0, 19, 125, 15), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("MONTANTI"));
    return img;
}

// The applications bar's face, lower and wider, lettered on one line.
QImage replacementBar(int ratio)
{
    QImage img = canvas(146, 30, kSurface, ratio);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawPillFace(p, QRectF(1, 1, 144, 28), QRectF(8, 3, 130, 12), kBlueLight, kBlue, kBlueDark);
    p.setPen(Qt::white);
    p.setFont(PictureFont(11, true, true));
    p.drawText(QRect(0, 0, 146, 30), Qt::AlignCenter, QStringLiteral("BATTERIE SOSTITUTIVE"));
    return img;
}

QImage zoomLinkBackground(int ratio)
{
    QImage img = canvas(46, 20, kCard, ratio);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(205, 208, 214), 1));
    p.setBrush(kGrey);
    p.drawRoundedRect(QRectF(0.5, 0.5, 45, 19), 6, 6);
    return img;
}

QImage versionGridBackground(int ratio)
{
    QImage img = canvas(517, 277, kCard, ratio);
    QPainter p(&img);
    // Rules at the version list's column edges (name, years, power, fuel...).
    p.setPen(QColor(kBlueLight.red(), kBlueLight.green(), kBlueLight.blue(), 110));
    for (int x : {200, 240, 295, 360, 425, 467})
        p.drawLine(x, 0, x, 276);
    return img;
}

QImage batteryGridBackground(int ratio)
{
    QImage img = canvas(516, 136, kCard, ratio);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Pale rays fanning out from the lower right corner.
    for (int i = 0; i < 7; ++i) {
        QPainterPath ray;
        const qreal a0 = 140 + i * 14, a1 = a0 + 6;
        ray.moveTo(516, 136);
        ray.arcTo(QRectF(516 - 700, 136 - 700, 1400, 1400), a0, a1 - a0);
        ray.closeSubpath();
        p.fillPath(ray, QColor(kBluePale.red(), kBluePale.green(), kBluePale.blue(), 120));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(232, 236, 242));
    for (int y = 20; y < 136; y += 21)
        p.drawLine(0, y, 515, y);
    for (int x : {12, 133, 203, 263, 315, 375, 420, 465})
        p.drawLine(x, 0, x, 135);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    for (int y = 0; y < 136; y += 21)
        p.drawEllipse(QPointF(6, y + 10), 2.5, 2.5);
    return img;
}

QImage gridMarker(int ratio)
{
    QImage img = canvas(15, 15, kCard, ratio);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(5.5, 5.0), 9.0);
    g.setColorAt(0, kBlueLight.lighter(140));
    g.setColorAt(0.45, kBlue);
    g.setColorAt(1, kBlueDark);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QRectF(1.5, 1.5, 12, 12));
    return img;
}

} // namespace

QImage DrawDesignPicture(DesignPicture which, int ratio)
{
    ratio = std::max(1, ratio);
    switch (which) {
    case DesignPicture::MagnifierGlyph:
    case DesignPicture::ExitGlyph:
    case DesignPicture::BackGlyph:
    case DesignPicture::CloseGlyph:
    case DesignPicture::PrintGlyph:
    case DesignPicture::ReportGlyph: return roundGlyph(which, ratio);
    case DesignPicture::ApplicationsBarOff: return applicationsBar(false, ratio);
    case DesignPicture::ApplicationsBarOn: return applicationsBar(true, ratio);
    case DesignPicture::ZoomLinkBackground: return zoomLinkBackground(ratio);
    case DesignPicture::ReplacementBar: return replacementBar(ratio);
    case DesignPicture::VersionGridBackground: return versionGridBackground(ratio);
    case DesignPicture::BatteryGridBackground: return batteryGridBackground(ratio);
    case DesignPicture::GridMarker: return gridMarker(ratio);
    }
    return {};
}
