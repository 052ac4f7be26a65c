// Applications mode: the toggle that turns the vehicle lists round, so that they show the
// makes, models and versions the selected battery fits, and back to every make.
//
// The flag is the hidden check box; the drill-down and battery handlers read it on every
// call, so the toggle only has to change the look and refill the make list: the refill's
// cascade then runs the mode's own queries level by level.
#include "catalog/window/main_form.h"

#include "catalog/window/search_fields_p.h"
#include "catalog/window/statements.h"
#include "data/grid_loading.h"
#include "platform/settings.h"
#include "widgets/bitmap_button.h"

#include <QCheckBox>

using catalog::detail::kFieldWhite;
using catalog::detail::kHighlightColour;

void Tfrm_main::VrBitmapButtonApplicazioniClick(QObject *Sender)
{
    // The flag changes first: a button picture that cannot be read ends the toggle with
    // the mode already changed and the grids as they were.
    if (!ApplicationsMode()) {
        CheckBoxApplicazioni->setChecked(true);
        VrBitmapButtonApplicazioni->LoadGlyphFile(AppDir + QStringLiteral("img/bottoneRossoMini.bmp"));
        gridMarca->setColor(kHighlightColour);
        gridModello->setColor(kHighlightColour);
        gridVersione->setFontColor(Qt::red);
        // Blanked first, so that no version of the previous choice stays on screen when
        // the mode's queries fail or find nothing.
        gridVersione->setCurrentRow(0);
        LoadGridFromMdb(gridVersione, catalog::blankVersionRowStatement(), false);
        gridVersione->setRowHeights(0, 0);
        RefillMakeList(catalog::makeListForBatteryStatement(SelectedBatteryCode()), Sender);
        return;
    }
    for (QLineEdit *field : catalog::detail::searchFields(*this))
        catalog::detail::paintField(field, kFieldWhite);
    CheckBoxApplicazioni->setChecked(false);
    VrBitmapButtonApplicazioni->LoadGlyphFile(AppDir + QStringLiteral("img/bottoneMini.bmp"));
    gridMarca->setColor(kFieldWhite);
    gridModello->setColor(kFieldWhite);
    gridVersione->setFontColor(Qt::black);
    RefillMakeList(catalog::makeListLeavingModeStatement(), Sender);
}
