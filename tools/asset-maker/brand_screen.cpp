// The brand screen's background: the five brand wordmarks stand exactly in the five
// click areas of the window's left column; the close button sits on plain surface at the
// top right, and the rest of the window carries the product's title panel.
#include "tools/asset-maker/pictures.h"
#include "tools/asset-maker/skin_drawing.h"

#include "widgets/fonts.h"
#include "widgets/picture_palette.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace {

using namespace palette;

struct BrandArea {
    QRect rect; // the window's click area
    QString name;
    QColor color;
    bool italic;
    int letterSpacing; // percent
};

const BrandArea kBrands[] = {
    {QRect(134, 126, 209, 91), QStringLiteral("KORVA"), kBlue, false, 108},
    {QRect(134, 269, 209, 100), QStringLiteral("QUIB"), kRed, true, 100},
    {QRect(134, 401, 209, 80), QStringLiteral("BRASK"), kInk, false, 112},
    {QRect(134, 536, 209, 81), QStringLiteral("FENU"), kBlueDark, false, 120},
    {QRect(134, 672, 209, 92), QStringLiteral("ZELKAR"), kRedDark, false, 104},
};

void drawBrand(QPainter &p, const BrandArea &b)
{
    const QRectF r(b.rect);
    DrawCard(p, r.adjusted(4, 4, -4, -4), 10);
    // A colour bar on the left edge of each card ties the brand to its catalogue colour.
    p.setPen(Qt::NoPen);
    p.setBrush(b.color);
    p.drawRoundedRect(QRectF(r.left() + 4, r.top() + 4, 8, r.height() - 8), 4, 4);
    QFont f = PictureFont(34, true);
    f.setItalic(b.italic);
    f.setLetterSpacing(QFont::PercentageSpacing, b.letterSpacing);
    p.setFont(f);
    p.setPen(b.color);
    p.drawText(r.adjusted(16, 0, -8, -14), Qt::AlignCenter, b.name);
    p.setFont(PictureFont(10, false));
    p.setPen(kInkSoft);
    p.drawText(r.adjusted(16, 0, -8, -12), Qt::AlignHCenter | Qt::AlignBottom,
               QStringLiteral("batterie per auto e veicoli"));
}

} // namespace

QImage DrawBrandScreen(int ratio)
{
    QImage img(1022 * ratio, 767 * ratio, QImage::Format_RGB32);
    img.setDevicePixelRatio(ratio);
    img.fill(kSurface);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    DrawWordmark(p, QPointF(40, 22), 1.0);
    DrawCaption(p, QRectF(134, 92, 209, 22), QStringLiteral("SCEGLI IL MARCHIO"), Qt::AlignLeft | Qt::AlignVCenter, 13);
    for (const BrandArea &b : kBrands)
        drawBrand(p, b);

    // The title panel on the right.
    const QRectF panel(392, 72, 598, 672);
    QLinearGradient g(panel.topLeft(), panel.bottomRight());
    g.setColorAt(0, kBlueLight);
    g.setColorAt(0.55, kBlue);
    g.setColorAt(1, kBlueDark);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(panel, 16, 16);
    // Soft arcs for depth.
    p.setClipRect(panel);
    for (int i = 0; i < 5; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 22 + i * 4), 2));
        p.setBrush(Qt::NoBrush);
        const qreal rad = 260 + i * 70;
        p.drawEllipse(QPointF(panel.right() - 40, panel.bottom() - 20), rad, rad);
    }
    p.setClipping(false);
    p.setPen(Qt::white);
    p.setFont(PictureFont(44, true));
    p.drawText(QRectF(panel.left() + 48, panel.top() + 70, 520, 60), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Catalogo batterie"));
    p.setFont(PictureFont(22, false));
    p.setPen(QColor(255, 255, 255, 220));
    p.drawText(QRectF(panel.left() + 48, panel.top() + 134, 520, 34), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Applicazioni veicolo e dati tecnici"));
    p.setPen(QPen(QColor(255, 255, 255, 150), 2));
    p.drawLine(QPointF(panel.left() + 48, panel.top() + 190), QPointF(panel.left() + 200, panel.top() + 190));

    // Three steps the counter follows.
    const QString steps[] = {QStringLiteral("Marca, modello e versione del veicolo"),
                             QStringLiteral("Ricerca per codice, capacit\u00e0 e dimensioni"),
                             QStringLiteral("Veicoli montanti per ogni batteria")};
    p.setFont(PictureFont(17, false));
    for (int i = 0; i < 3; ++i) {
        const QPointF dot(panel.left() + 62, panel.top() + 250 + i * 56);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(dot, 15, 15);
        p.setPen(kBlue);
        p.setFont(PictureFont(16, true));
        p.drawText(QRectF(dot.x() - 15, dot.y() - 15, 30, 30), Qt::AlignCenter, QString::number(i + 1));
        p.setPen(Qt::white);
        p.setFont(PictureFont(17, false));
        p.drawText(QRectF(dot.x() + 30, dot.y() - 16, 470, 32), Qt::AlignLeft | Qt::AlignVCenter, steps[i]);
    }
    p.setPen(QColor(255, 255, 255, 190));
    p.setFont(PictureFont(13, false));
    p.drawText(QRectF(panel.left() + 48, panel.bottom() - 60, 520, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Fai clic sul marchio per aprire il catalogo del suo listino."));
    return img;
}
