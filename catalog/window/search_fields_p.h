// What the searches and applications mode share about the ten search fields: their
// colours and the list of them. Private to the catalogue window's source files.
#pragma once

#include "catalog/window/main_form.h"

#include <QColor>
#include <QLineEdit>
#include <QPalette>
#include <array>

namespace catalog::detail {

// 12451311 in the design's colour numbers: the fields of the last search and the make
// and model grids in applications mode.
inline const QColor kHighlightColour(239, 253, 189);
inline const QColor kFieldWhite(255, 255, 255); // 16777215

// The ten fields in the order the searches list them.
inline std::array<QLineEdit *, 10> searchFields(const Tfrm_main &form)
{
    return {form.EditGamma,     form.EditCodice,    form.EditCapacita, form.EditScarica,  form.EditPolarita,
            form.EditLunghezza, form.EditLarghezza, form.EditAltezza,  form.EditAttacchi, form.EditMonoblocco};
}

// The field's background, where the design paints a field's colour.
inline void paintField(QLineEdit *field, const QColor &colour)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, colour);
    field->setPalette(palette);
}

} // namespace catalog::detail
