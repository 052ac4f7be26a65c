// The battery sheet's part of the catalogue window: the print button's hint and handler,
// Ctrl+P, the print preview with its "Salva PDF…" action, and the sheet's content taken
// from what the window shows. The window's handlers of the same names hand on to it.
#pragma once

#include "catalog/sheet/battery_sheet.h"

#include <optional>

class QObject;
class QString;
class Tfrm_main;

class SheetPart {
public:
    // Wires `form`'s print button and Ctrl+P to the window's handler.
    explicit SheetPart(Tfrm_main &form);

    void VrBitmapButtonStampaClick(QObject *Sender);
    std::optional<catalog::SheetState> ShownSheetState();
    void SaveBatterySheetPdf(const QString &path);

private:
    Tfrm_main &m_form;
};
