// The catalogue window's skin. Every control of the window lies over this picture, so
// each grid gets a framed card, each field group a panel with captions beside the
// fields, and the battery data block captions above its photo, values and note. All
// coordinates are the skin's own: the window's minus one (the skin sits at 1, 1).
#include "tools/asset-maker/pictures.h"
#include "tools/asset-maker/skin_drawing.h"

#include "widgets/fonts.h"
#include "widgets/picture_palette.h"

namespace {

using namespace palette;

// A window-coordinate rectangle in skin coordinates.
QRectF fromWindow(int x, int y, int w, int h) { return QRectF(x - 1, y - 1, w, h); }

void sectionTitle(QPainter &p, QPointF at, qreal width, const QString &text)
{
    DrawCaption(p, QRectF(at.x(), at.y(), width, 14), text, Qt::AlignLeft | Qt::AlignVCenter, 11);
    p.save();
    p.setPen(QPen(kBlue, 2));
    p.drawLine(QPointF(at.x(), at.y() + 16), QPointF(at.x() + 26, at.y() + 16));
    p.restore();
}

// A caption right-aligned against a field's left edge.
void fieldCaption(QPainter &p, int fieldLeft, int top, int roomLeft, const QString &text)
{
    DrawCaption(p, QRectF(roomLeft, top, fieldLeft - 6 - roomLeft, 25), text, Qt::AlignRight | Qt::AlignVCenter, 11);
}

void fieldWell(QPainter &p, int left, int top, int w, int h)
{
    p.save();
    p.setPen(QPen(kLine, 1));
    p.setBrush(kCard);
    p.drawRect(QRectF(left - 1.5, top - 1.5, w + 2, h + 2));
    p.restore();
}

} // namespace

QImage DrawCatalogueSkin(int ratio)
{
    QImage img(1021 * ratio, 767 * ratio, QImage::Format_RGB32);
    img.setDevicePixelRatio(ratio);
    img.fill(kSurface);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Header: wordmark and a rule under it; exit and back sit on the surface at the top
    // right. The room between the wordmark and the search box is left bare: the window's
    // information strip (stock, fit reports) lies there.
    DrawWordmark(p, QPointF(16, 18), 0.9);
    p.setPen(QPen(kBlue, 2));
    p.drawLine(QPointF(14, 72), QPointF(1006, 72));
    fieldWell(p, 679, 23, 250, 26); // the search box of the header band

    // The vehicle lists.
    const QRectF marca = fromWindow(15, 128, 166, 553);
    const QRectF modello = fromWindow(211, 128, 256, 344);
    const QRectF versione = fromWindow(494, 465, 517, 278);
    const QRectF batterie = fromWindow(493, 116, 515, 136);
    sectionTitle(p, QPointF(marca.left(), 96), 166, QStringLiteral("MARCA"));
    sectionTitle(p, QPointF(modello.left(), 96), 256, QStringLiteral("MODELLO"));
    sectionTitle(p, QPointF(batterie.left(), 86), 300, QStringLiteral("BATTERIE DEL LISTINO"));
    sectionTitle(p, QPointF(versione.left(), 436), 300, QStringLiteral("VERSIONI DEL MODELLO"));
    for (const QRectF &r : {marca, modello, versione, batterie})
        DrawCard(p, r, 3);

    // The search panel: four rows of fields, each ending at its magnifier button.
    // Its fill is the glyphs' corner colour, so the buttons' edges blend into it.
    p.setPen(QPen(kLine, 1));
    p.setBrush(kSurface);
    p.drawRoundedRect(QRectF(488.5, 257.5, 527, 170), 8, 8);
    DrawCaption(p, QRectF(650, 259, 320, 14), QStringLiteral("RICERCA PER DATI TECNICI"),
                Qt::AlignLeft | Qt::AlignVCenter, 10);
    // Captions beside the fields (field positions are the skin's own coordinates).
    fieldCaption(p, 713, 275, 640, QStringLiteral("Gamma"));
    fieldCaption(p, 896, 275, 796, QStringLiteral("Codice"));
    fieldCaption(p, 558, 316, 490, QStringLiteral("Cap. Ah"));
    fieldCaption(p, 713, 316, 612, QStringLiteral("Scarica A (EN)"));
    fieldCaption(p, 896, 316, 796, QStringLiteral("Polarit\u00e0"));
    fieldCaption(p, 558, 357, 490, QStringLiteral("Lungh. mm"));
    fieldCaption(p, 688, 357, 612, QStringLiteral("Largh. mm"));
    fieldCaption(p, 805, 357, 742, QStringLiteral("Alt. mm"));
    fieldCaption(p, 924, 357, 859, QStringLiteral("Attacchi"));
    fieldCaption(p, 558, 393, 490, QStringLiteral("Listino"));
    fieldCaption(p, 896, 393, 700, QStringLiteral("Monoblocco"));
    for (const QRect f :
         {QRect(713, 275, 80, 25), QRect(896, 275, 80, 25), QRect(558, 316, 52, 25), QRect(713, 316, 80, 25),
          QRect(896, 316, 80, 25), QRect(558, 357, 52, 25), QRect(688, 357, 52, 25), QRect(805, 357, 52, 25),
          QRect(924, 357, 52, 25), QRect(896, 393, 80, 25)})
        fieldWell(p, f.x(), f.y(), f.width(), f.height());
    fieldWell(p, 557, 392, 81, 22); // the price-list box, in window coordinates 558, 393

    // The battery data block: photo, the three values, the note.
    const QRectF dataBlock(206, 474, 282, 276);
    p.setPen(QPen(kLine, 1));
    p.setBrush(kSurface);
    p.drawRoundedRect(dataBlock, 8, 8);
    DrawCaption(p, QRectF(219, 476, 200, 10), QStringLiteral("BATTERIA SCELTA"), Qt::AlignLeft | Qt::AlignVCenter, 9);
    DrawCard(p, QRectF(219, 487, 241, 151), 2);
    const QString values[] = {QStringLiteral("Codice"), QStringLiteral("Capacit\u00e0 Ah"),
                              QStringLiteral("Scarica A")};
    for (int i = 0; i < 3; ++i) {
        const qreal x = 225 + i * 77;
        p.setPen(kInkSoft);
        p.setFont(PictureFont(10, false));
        p.drawText(QRectF(x, 646, 71, 14), Qt::AlignHCenter | Qt::AlignVCenter, values[i]);
        DrawCard(p, QRectF(x, 664, 71, 16), 2);
    }
    DrawCaption(p, QRectF(212, 682, 200, 11), QStringLiteral("NOTE"), Qt::AlignLeft | Qt::AlignVCenter, 9);
    DrawCard(p, QRectF(210, 694, 271, 48), 2);

    // Footer hint under the make list.
    p.setPen(kInkSoft);
    p.setFont(PictureFont(10, false));
    p.drawText(QRectF(14, 690, 170, 60), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("Scegli marca, modello e versione: le batterie adatte compaiono nel listino."));
    return img;
}
