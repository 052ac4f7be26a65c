// The catalogue window's way into the replacement finder: its button in the free space of
// the search panel's last row, Ctrl+R, and what happens to the battery chosen there.
#include "catalog/window/main_form.h"

#include "catalog/replacement/replacement_form.h"
#include "platform/error_guard.h"
#include "widgets/bitmap_button.h"
#include "widgets/design_pictures.h"
#include "widgets/image_view.h"

#include <QLineEdit>
#include <QShortcut>

namespace {

// Battery row columns the finder starts from.
enum BatteryColumn { kCodice = 3, kCapacita, kScarica, kPolarita, kLunghezza, kLarghezza, kAltezza, kAttacchi };

} // namespace

void Tfrm_main::BuildReplacementFinderButton()
{
    // Between the price-list box and the container field: the only room the search panel
    // has left. The glyph's corner colour is the panel's, so its edge blends in.
    VrBitmapButtonSostituzione = new BitmapButton(ImageSfondo);
    VrBitmapButtonSostituzione->setObjectName(QStringLiteral("VrBitmapButtonSostituzione"));
    VrBitmapButtonSostituzione->setGeometry(650, 389, 150, 34);
    VrBitmapButtonSostituzione->setGlyph(DrawDesignPicture(DesignPicture::ReplacementBar));
    VrBitmapButtonSostituzione->setTransparent(true);
    VrBitmapButtonSostituzione->setTransparentMode(TransparentMode::tmPixel);
    VrBitmapButtonSostituzione->setHint(QStringLiteral("Trova batterie sostitutive"));
    VrBitmapButtonSostituzione->setShowHint(true);
    connect(VrBitmapButtonSostituzione, &BitmapButton::clicked, this,
            [this] { Guarded([this] { VrBitmapButtonSostituzioneClick(VrBitmapButtonSostituzione); }); });
    auto *shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    shortcut->setObjectName(QStringLiteral("ShortcutSostituzione"));
    connect(shortcut, &QShortcut::activated, this,
            [this] { Guarded([this] { VrBitmapButtonSostituzioneClick(VrBitmapButtonSostituzione); }); });
}

void Tfrm_main::VrBitmapButtonSostituzioneClick(QObject *Sender)
{
    // The battery shown is the battery grid's selected one; its row, not the search
    // fields, which may hold a search typed since.
    const int row = GridOutput->SelectionRect().Top;
    ReplacementStart start;
    if (row > 0) {
        start.code = GridOutput->Cells(kCodice, row);
        start.capacity = GridOutput->Cells(kCapacita, row);
        start.discharge = GridOutput->Cells(kScarica, row);
        start.polarity = GridOutput->Cells(kPolarita, row);
        start.length = GridOutput->Cells(kLunghezza, row);
        start.width = GridOutput->Cells(kLarghezza, row);
        start.height = GridOutput->Cells(kAltezza, row);
        start.holdDown = GridOutput->Cells(kAttacchi, row);
    }
    const std::optional<ChosenReplacement> chosen = ShowReplacementFinder(this, start, SelectedPriceList());
    if (!chosen)
        return;
    // The same path as a code search typed by the user: range and code in their fields,
    // then the first search button's handler.
    EditGamma->setText(chosen->range);
    EditCodice->setText(chosen->code);
    VrBitmapButton1Click(Sender);
}
