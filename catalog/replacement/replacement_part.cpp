// The catalogue window's way into the replacement finder: its button in the free space of
// the search panel's last row, Ctrl+R, and what happens to the battery chosen there.
#include "catalog/replacement/replacement_part.h"

#include "catalog/replacement/replacement_form.h"
#include "catalog/technology/technology_part.h"
#include "catalog/window/main_form.h"
#include "platform/error_guard.h"
#include "report/schema.h"
#include "widgets/bitmap_button.h"
#include "widgets/design_pictures.h"
#include "widgets/image_view.h"

#include <QLineEdit>
#include <QShortcut>

namespace {

using enum catalog::schema::BatteryColumn;

} // namespace

ReplacementPart::ReplacementPart(Tfrm_main &form) : m_form(form)
{
    // Between the price-list box and the container field: the only room the search panel
    // has left. The glyph's corner colour is the panel's, so its edge blends in.
    auto *button = new BitmapButton(form.ImageSfondo);
    form.VrBitmapButtonSostituzione = button;
    button->setObjectName(QStringLiteral("VrBitmapButtonSostituzione"));
    button->setGeometry(650, 389, 150, 34);
    button->setGlyph(DrawDesignPicture(DesignPicture::ReplacementBar));
    button->setTransparent(true);
    button->setTransparentMode(TransparentMode::tmPixel);
    button->setHint(QStringLiteral("Trova batterie sostitutive"));
    button->setShowHint(true);
    Tfrm_main *window = &form;
    QObject::connect(button, &BitmapButton::clicked, window, [window] {
        Guarded([window] { window->VrBitmapButtonSostituzioneClick(window->VrBitmapButtonSostituzione); });
    });
    auto *shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), window);
    shortcut->setObjectName(QStringLiteral("ShortcutSostituzione"));
    QObject::connect(shortcut, &QShortcut::activated, window, [window] {
        Guarded([window] { window->VrBitmapButtonSostituzioneClick(window->VrBitmapButtonSostituzione); });
    });
}

void ReplacementPart::VrBitmapButtonSostituzioneClick(QObject *Sender)
{
    Tfrm_main &form = m_form;
    // The battery shown is the battery grid's selected one; its row, not the search
    // fields, which may hold a search typed since.
    const DataGrid *grid = form.GridOutput;
    const int row = grid->SelectionRect().Top;
    ReplacementStart start;
    if (row > 0) {
        start.code = grid->Cells(kCodice, row);
        start.capacity = grid->Cells(kCapacita, row);
        start.discharge = grid->Cells(kScarica, row);
        start.polarity = grid->Cells(kPolarita, row);
        start.length = grid->Cells(kLunghezza, row);
        start.width = grid->Cells(kLarghezza, row);
        start.height = grid->Cells(kAltezza, row);
        start.holdDown = grid->Cells(kAttacchi, row);
    }
    TechnologyPart &guard = form.TechnologyGuard();
    start.technologies = &guard.Rule();
    if (row > 0)
        start.technology = guard.Rule().Of(grid->Cells(kGamma, row), start.code);
    start.vehicleNeed = guard.ChosenVehicleNeed();
    start.stock = form.StockQuantities();
    start.reported = form.ReportedCodes();
    const std::optional<ChosenReplacement> chosen = ShowReplacementFinder(&form, start, form.SelectedPriceList());
    if (!chosen)
        return;
    // The same path as a code search typed by the user: range and code in their fields,
    // then the first search button's handler.
    form.EditGamma->setText(chosen->range);
    form.EditCodice->setText(chosen->code);
    form.VrBitmapButton1Click(Sender);
}
