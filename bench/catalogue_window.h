// The catalogue window on the catalogue of the run, offscreen, shared by every figure
// that works the window: it runs on a scratch program folder holding the built pictures
// and the catalogue, and is built once (opening the catalogue once) for the whole run.
#pragma once

#include "catalog/window/main_form.h"
#include "data/data_module.h"
#include "data/desk_form.h"
#include "platform/messages.h"

#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace bench {

class CatalogueWindow {
public:
    CatalogueWindow();
    ~CatalogueWindow();
    bool ok() const { return m_ok; }
    // Why the window did not come up; empty when it did.
    QString problem() const;

    // A make click with everything it cascades into, painted as the user would see it.
    void clickMake(int row);
    int makeCount() const { return form->gridMarca->RowCount() - 1; }

    ScopedRecordingMessages rec;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<Tfrm_desk> desk;
    std::unique_ptr<Tfrm_main> form;

private:
    // The benchmark catalogues name their photos "<list>_<range>_<n>[.jpg]" while the built
    // pictures are one per range: each name is linked to its range's photo, so every
    // battery shows a real JPEG under a path of its own and a new battery is a new decode.
    void linkCataloguePhotos(const QString &built, const QString &folder);

    QTemporaryDir m_folder, m_temp;
    bool m_ok = false;
};

// The one window of the run, built at the first call.
CatalogueWindow &window();

// Whether the window came up; otherwise marks `state` skipped with the reason.
bool ready(benchmark::State &state);

} // namespace bench
