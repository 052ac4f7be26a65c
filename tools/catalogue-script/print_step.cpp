// The script's print step, through the catalogue window's own sheet and PDF writer.
#include "tools/catalogue-script/print_step.h"

#include "catalog/window/main_form.h"
#include "platform/error_guard.h"
#include "tools/catalogue-script/script.h"
#include "tools/catalogue-script/widget_lookup.h"

void PrintSheet(const QString &file)
{
    auto *form = FindWidgetAs<Tfrm_main>(QStringLiteral("frm_main"), "catalogue window");
    RequireVisible(form);
    const QString path = file.trimmed();
    Guarded([&] { form->SaveBatterySheetPdf(path); });
}
