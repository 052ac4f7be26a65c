// Drawing the battery sheet. The layout is worked out in points on the page and turned
// into device pixels as it is drawn, with fonts sized in points for the device, so the
// preview, a printer at any resolution and a PDF all get the same page. Every section
// has a fixed height except the vehicle list, which takes what is left above the footer;
// that is also how many fitted vehicles a page can list:
//
//   header     program, brand badge, catalogue and printing dates, rule      56 pt
//   title      range and code                                               28 pt
//   battery    data lines on the left, the photo on the right              186 pt
//   note       caption and a box with the note's markup                     84 pt
//   vehicle    title, then the chosen vehicle or the list of fitted ones    the rest
//   footer     the counter's ruled lines, the line saying what the page is 132 pt
#include "catalog/sheet/battery_sheet_page.h"
#include "catalog/catalog_error.h"

#include "platform/paper.h"
#include "widgets/fonts.h"
#include "widgets/note_painting.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

namespace catalog {

namespace {

constexpr qreal kMargin = 42; // all round, about 15 mm
constexpr qreal kHeader = 56;
constexpr qreal kTitle = 28;
constexpr qreal kBattery = 186;
constexpr qreal kNote = 84;
constexpr qreal kVehicleTitle = 22;
constexpr qreal kListHeader = 16;
constexpr qreal kRowPitch = 14; // one fitted vehicle
constexpr qreal kFooter = 132;
constexpr qreal kDataLine = 21;
constexpr qreal kVehicleLine = 17;
constexpr qreal kRuledLine = 21;

const QColor kInk(30, 34, 40);
const QColor kSoft(105, 112, 122);
const QColor kBlue(31, 95, 168); // the program's blue
const QColor kRule(200, 206, 214);
const QColor kNoteRed(170, 0, 0); // the note label's red, dark enough for paper

// Where the vehicle list starts and the footer begins, in points from the page's top.
qreal listTop() { return kMargin + kHeader + kTitle + kBattery + kNote + kVehicleTitle + kListHeader; }
qreal footerTop(qreal pageHeight) { return pageHeight - kMargin - kFooter; }

// A painter on a device, spoken to in points.
class Page {
public:
    explicit Page(QPainter &p)
        : m_p(p), m_sx(p.device()->logicalDpiX() / 72.0), m_sy(p.device()->logicalDpiY() / 72.0),
          m_size(p.device()->width() / m_sx, p.device()->height() / m_sy)
    {
        m_p.setRenderHint(QPainter::Antialiasing);
        m_p.setRenderHint(QPainter::SmoothPixmapTransform);
    }

    QSizeF size() const { return m_size; }
    QPainter &painter() { return m_p; }
    qreal scale() const { return m_sy; }

    QRectF at(qreal x, qreal y, qreal w, qreal h) const { return QRectF(x * m_sx, y * m_sy, w * m_sx, h * m_sy); }

    static QFont font(qreal points, bool bold = false, bool italic = false)
    {
        QFont f(ProgramFontFamily());
        f.setPointSizeF(points);
        f.setBold(bold);
        f.setItalic(italic);
        return f;
    }

    // One line of text in the box, cut with an ellipsis when it does not fit.
    void text(qreal x, qreal y, qreal w, qreal h, const QString &s, const QFont &f, const QColor &c,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
    {
        const QRectF box = at(x, y, w, h);
        m_p.setFont(f);
        m_p.setPen(c);
        const QString shown = QFontMetricsF(f, m_p.device()).elidedText(s, Qt::ElideRight, box.width());
        m_p.drawText(box, int(align), shown);
    }

    qreal textWidth(const QString &s, const QFont &f) const
    {
        return QFontMetricsF(f, m_p.device()).horizontalAdvance(s) / m_sx;
    }

    void line(qreal x1, qreal y1, qreal x2, qreal y2, const QColor &c, qreal width)
    {
        m_p.setPen(QPen(c, width * m_sy));
        m_p.drawLine(QPointF(x1 * m_sx, y1 * m_sy), QPointF(x2 * m_sx, y2 * m_sy));
    }

private:
    QPainter &m_p;
    qreal m_sx;
    qreal m_sy;
    QSizeF m_size;
};

void drawHeader(Page &page, const BatterySheet &sheet, qreal left, qreal width)
{
    qreal y = kMargin;
    const QFont badgeFont = Page::font(14, true);
    const qreal badge = page.textWidth(sheet.brand, badgeFont) + 20;
    page.text(left, y, width - badge - 12, 24, sheet.program, Page::font(18, true), kBlue);
    if (!sheet.brand.isEmpty()) {
        // The price list's name as a badge in the program's colours: the catalogue keeps
        // no logo of its own for a brand.
        QPainter &p = page.painter();
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawRoundedRect(page.at(left + width - badge, y + 1, badge, 22), 4 * page.scale(), 4 * page.scale());
        page.text(left + width - badge, y + 1, badge, 22, sheet.brand, badgeFont, Qt::white, Qt::AlignCenter);
    }
    y += 28;
    page.text(left, y, width / 2, 14, sheet.catalogueDate, Page::font(9), kSoft);
    page.text(left + width / 2, y, width / 2, 14, sheet.printedAt, Page::font(9), kSoft,
              Qt::AlignRight | Qt::AlignVCenter);
    y += 18;
    page.line(left, y, left + width, y, kBlue, 1.5);
}

void drawPhoto(Page &page, const QImage &photo, const QRectF &frame)
{
    QPainter &p = page.painter();
    p.setPen(QPen(kRule, 0.8 * page.scale()));
    p.setBrush(Qt::white);
    const QRectF box = page.at(frame.x(), frame.y(), frame.width(), frame.height());
    p.drawRect(box);
    if (photo.isNull())
        return;
    const QRectF inside = box.adjusted(6 * page.scale(), 6 * page.scale(), -6 * page.scale(), -6 * page.scale());
    QSizeF fitted = QSizeF(photo.size()).scaled(inside.size(), Qt::KeepAspectRatio);
    QRectF target(QPointF(0, 0), fitted);
    target.moveCenter(inside.center());
    p.drawImage(target, photo);
}

void drawBattery(Page &page, const BatterySheet &sheet, qreal left, qreal width)
{
    qreal y = kMargin + kHeader;
    page.text(left, y, width, 22, sheet.title, Page::font(16, true), kInk);
    y += kTitle;
    const qreal column = width * 0.47;
    qreal line = y;
    // The lines close up a little when the shop's price makes one more than eight.
    const qreal pitch = std::min(kDataLine, (kBattery - 6) / qreal(std::max<std::size_t>(1, sheet.data.size())));
    for (const SheetLine &l : sheet.data) {
        page.text(left, line, column * 0.45, pitch - 3, l.caption, Page::font(9), kSoft);
        page.text(left + column * 0.45, line, column * 0.55, pitch - 3, l.value, Page::font(11, true), kInk);
        page.line(left, line + pitch - 2, left + column, line + pitch - 2, kRule, 0.5);
        line += pitch;
    }
    drawPhoto(page, sheet.photo, QRectF(left + width * 0.52, y, width * 0.48, kBattery - 8));
}

void drawNote(Page &page, const BatterySheet &sheet, qreal left, qreal width)
{
    const qreal y = kMargin + kHeader + kTitle + kBattery;
    page.text(left, y, width, 12, QStringLiteral("Note"), Page::font(9, true), kSoft);
    const QRectF box = page.at(left, y + 14, width, kNote - 26);
    QPainter &p = page.painter();
    p.setPen(QPen(kRule, 0.8 * page.scale()));
    p.setBrush(QColor(250, 250, 247));
    p.drawRect(box);
    const qreal pad = 5 * page.scale();
    // Pictures in a note are sized in screen pixels (96 to the inch).
    const NoteLook look{ColoredFont{Page::font(10), kNoteRed}, Qt::blue, page.scale() * 72.0 / 96.0};
    p.save();
    p.setClipRect(box);
    PaintNoteMarkup(p, box.adjusted(pad, pad, -pad, -pad).toRect(), sheet.noteMarkup, look);
    p.restore();
}

void drawVehicles(Page &page, const BatterySheet &sheet, qreal left, qreal width)
{
    qreal y = kMargin + kHeader + kTitle + kBattery + kNote;
    page.text(left, y, width, 16, sheet.vehicleTitle, Page::font(12, true), kBlue);
    page.line(left, y + 18, left + width, y + 18, kBlue, 0.8);
    y += kVehicleTitle;
    if (!sheet.vehicle.empty()) {
        for (const SheetLine &l : sheet.vehicle) {
            page.text(left, y, 110, kVehicleLine, l.caption, Page::font(9), kSoft);
            page.text(left + 110, y, width - 110, kVehicleLine, l.value, Page::font(11, true), kInk);
            y += kVehicleLine;
        }
        return;
    }
    const qreal share[] = {0.22, 0.26, 0.36, 0.16};
    const QString heads[] = {QStringLiteral("Marca"), QStringLiteral("Modello"), QStringLiteral("Versione"),
                             QStringLiteral("Anni")};
    qreal x = left;
    for (int i = 0; i < 4; ++i) {
        page.text(x, y, width * share[i] - 6, kListHeader - 2, heads[i], Page::font(8.5, true), kSoft);
        x += width * share[i];
    }
    y += kListHeader;
    for (const SheetVehicle &v : sheet.vehicles) {
        const QString cells[] = {v.make, v.model, v.version, SheetYears(v)};
        x = left;
        for (int i = 0; i < 4; ++i) {
            page.text(x, y, width * share[i] - 6, kRowPitch, cells[i], Page::font(9.5), kInk);
            x += width * share[i];
        }
        y += kRowPitch;
    }
    if (!sheet.moreVehicles.isEmpty())
        page.text(left, y, width, kRowPitch, sheet.moreVehicles, Page::font(9.5, false, true), kSoft);
}

void drawFooter(Page &page, const BatterySheet &sheet, qreal left, qreal width)
{
    qreal y = footerTop(page.size().height());
    page.text(left, y, width, 14, sheet.notesCaption, Page::font(9, true), kSoft);
    y += 14;
    for (int i = 0; i < 4; ++i) {
        y += kRuledLine;
        page.line(left, y, left + width, y, kRule, 0.6);
    }
    const qreal bottom = page.size().height() - kMargin;
    page.line(left, bottom - 14, left + width, bottom - 14, kBlue, 0.8);
    page.text(left, bottom - 12, width, 12, sheet.footer, Page::font(7.5), kSoft, Qt::AlignCenter);
}

[[noreturn]] void failSaving(const QString &path, const QString &why)
{
    raiseCatalogError(CatalogErrc::Print, QStringLiteral("Salvataggio PDF non riuscito: impossibile scrivere \"%1\" "
                                                         "(%2). Nessun file è stato creato.")
                                              .arg(path, why));
}

QString printerName(const QPrinter &printer)
{
    return printer.printerName().isEmpty() ? QStringLiteral("predefinita") : printer.printerName();
}

} // namespace

QPageSize SheetPaper()
{
    return QPageSize(SystemPaperName() == QLatin1String("letter") ? QPageSize::Letter : QPageSize::A4);
}

int SheetVehicleRows(const QSizeF &pagePoints)
{
    const qreal room = footerTop(pagePoints.height()) - 8 - listTop();
    return qMax(1, int(std::floor(room / kRowPitch)));
}

void PaintBatterySheet(QPainter &painter, const SheetState &state)
{
    Page page(painter);
    const BatterySheet sheet = MakeBatterySheet(state, SheetVehicleRows(page.size()));
    const qreal left = kMargin, width = page.size().width() - 2 * kMargin;
    drawHeader(page, sheet, left, width);
    drawBattery(page, sheet, left, width);
    drawNote(page, sheet, left, width);
    drawVehicles(page, sheet, left, width);
    drawFooter(page, sheet, left, width);
}

void PrintBatterySheet(QPrinter &printer, const SheetState &state)
{
    if (printer.outputFormat() == QPrinter::NativeFormat && !printer.isValid())
        raiseCatalogError(CatalogErrc::Print,
                          QStringLiteral("Stampa non riuscita: la stampante %1 non è installata o non risponde.")
                              .arg(printerName(printer)));
    QPainter painter;
    if (!painter.begin(&printer)) {
        // With no printer installed Qt's printer is a PDF printer with no file to write.
        if (printer.printerName().isEmpty())
            raiseCatalogError(CatalogErrc::Print, QStringLiteral("Stampa non riuscita: non c'è nessuna stampante "
                                                                 "installata. La scheda si può salvare in PDF."));
        raiseCatalogError(
            CatalogErrc::Print,
            QStringLiteral("Stampa non riuscita: la stampante %1 non accetta lavori.").arg(printer.printerName()));
    }
    PaintBatterySheet(painter, state);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        raiseCatalogError(CatalogErrc::Print,
                          QStringLiteral("Stampa non riuscita: la stampante %1 non ha accettato la pagina.")
                              .arg(printerName(printer)));
}

void WriteBatterySheetPdf(const SheetState &state, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        failSaving(path, file.errorString());
    {
        QPdfWriter pdf(&file);
        pdf.setPageSize(SheetPaper());
        pdf.setPageOrientation(QPageLayout::Portrait);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(600);
        pdf.setCreator(state.program);
        pdf.setTitle(QStringLiteral("Scheda batteria ") + state.batteryRow.value(3));
        QPainter painter;
        if (!painter.begin(&pdf))
            failSaving(path, QStringLiteral("il PDF non può essere preparato"));
        PaintBatterySheet(painter, state);
        painter.end();
    }
    // Nothing of the new file is visible until here: commit renames it over the target,
    // or removes it when any write failed.
    if (!file.commit())
        failSaving(path, file.errorString());
}

} // namespace catalog
