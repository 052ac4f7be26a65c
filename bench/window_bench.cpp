// The catalogue window on the catalogue of the run, offscreen: the make-click cascade down to
// the first battery's data, photo and note, applications mode for the most-fitted
// battery, a search listing a whole price list, and memory over a long day of clicks.
// The window is the shared one of bench/catalogue_window.h.
#include "bench/bench_support.h"
#include "bench/catalogue_window.h"
#include "bench/click_statements.h"
#include "data/query_channel.h"
#include "widgets/bitmap_button.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <utility>

namespace {

using bench::CatalogueWindow;
using bench::ready;
using bench::window;

// Clicks through the makes; a click counts when it brought a photo other than the one
// on screen and none of the last ones shown, which the window may still hold decoded:
// the decode is included.
void Figure_MakeClickNewPhoto(benchmark::State &state)
{
    if (!ready(state))
        return;
    CatalogueWindow &w = window();
    std::vector<bench::SampleCost> samples;
    bench::ClickStatements floorClicks;
    QStringList recent; // the photos shown last, the latest first
    for (auto _ : state) {
        for (int i = 0; samples.size() < 200 && i < 4000; ++i) {
            const int make = 1 + i % w.makeCount();
            const bench::CostMeter meter;
            w.clickMake(make);
            const bench::SampleCost cost = meter.cost();
            const QString shown = w.form->ShownPhotoPath();
            if (!recent.contains(shown)) {
                samples.push_back(cost);
                floorClicks.add(*w.form, make);
            }
            recent.removeAll(shown);
            recent.prepend(shown);
            if (recent.size() > 32)
                recent.removeLast();
        }
    }
    bench::reportSamples(state, samples);
}

// The same make clicked again: its first battery's photo is the one already shown.
void Figure_MakeClickPhotoShown(benchmark::State &state)
{
    if (!ready(state))
        return;
    CatalogueWindow &w = window();
    std::vector<bench::SampleCost> samples;
    for (auto _ : state) {
        for (int make = 1; make <= std::min(20, w.makeCount()); ++make) {
            w.clickMake(make);
            for (int i = 0; i < 10; ++i) {
                const bench::CostMeter meter;
                w.clickMake(make);
                samples.push_back(meter.cost());
            }
        }
    }
    bench::reportSamples(state, samples);
}

// The battery of the selected price list that fits the most vehicle types, and how many.
std::pair<QString, int> mostFittedBattery()
{
    const QString sql =
        QStringLiteral(
            "SELECT TabDistintaBatterie.codice, count(*) AS n FROM TabDistintaBatterie INNER JOIN TabTechInfo "
            "ON TabDistintaBatterie.codice = TabTechInfo.CODICE WHERE TabTechInfo.LISTINO = \"%1\" "
            "GROUP BY TabDistintaBatterie.codice ORDER BY count(*) DESC")
            .arg(window().form->SelectedPriceList());
    std::pair<QString, int> found;
    if (ApriQRY(sql) > 0)
        found = {DM->ADOQuery1.FieldAsString(QStringLiteral("codice")),
                 DM->ADOQuery1.FieldAsString(QStringLiteral("n")).toInt()};
    DM->ADOQuery1.Close();
    return found;
}

void leaveApplicationsMode(Tfrm_main &form)
{
    if (form.ApplicationsMode())
        form.VrBitmapButtonApplicazioniClick(form.VrBitmapButtonApplicazioni);
}

void clearSearchFields(Tfrm_main &form)
{
    for (QLineEdit *e :
         {form.EditGamma, form.EditCodice, form.EditCapacita, form.EditScarica, form.EditPolarita, form.EditLunghezza,
          form.EditLarghezza, form.EditAltezza, form.EditAttacchi, form.EditMonoblocco})
        e->clear();
}

// The battery found by its code (untimed), then the mode toggled off without refilling
// and entered again: the vehicles it fits, down the cascade.
void Figure_ApplicationsModeMostFitted(benchmark::State &state)
{
    if (!ready(state))
        return;
    Tfrm_main &form = *window().form;
    const auto [code, types] = mostFittedBattery();
    if (code.isEmpty()) {
        state.SkipWithError("no battery of the price list fits any vehicle");
        return;
    }
    std::vector<bench::SampleCost> samples;
    for (auto _ : state) {
        for (int i = 0; i < 30; ++i) {
            leaveApplicationsMode(form);
            clearSearchFields(form);
            form.EditCodice->setText(code);
            form.VrBitmapButton1Click(form.VrBitmapButton1);
            form.CheckBoxApplicazioni->setChecked(false);
            QApplication::processEvents();
            if (form.GridOutput->Cells(3, form.GridOutput->SelectionRect().Top) != code) {
                state.SkipWithError("the search did not show the most-fitted battery first");
                return;
            }
            const bench::CostMeter meter;
            form.VrBitmapButtonApplicazioniClick(form.VrBitmapButtonApplicazioni);
            QApplication::processEvents();
            samples.push_back(meter.cost());
        }
    }
    state.SetLabel(code.toStdString());
    state.counters["types"] = types;
    leaveApplicationsMode(form);
    bench::reportSamples(state, samples);
}

// A search with no field filled lists every battery of the price list; the click goes
// on as every search does, to the first battery and applications mode for it.
void Figure_SearchWholePriceList(benchmark::State &state)
{
    if (!ready(state))
        return;
    Tfrm_main &form = *window().form;
    std::vector<bench::SampleCost> samples;
    int listed = 0;
    for (auto _ : state) {
        for (int i = 0; i < 30; ++i) {
            leaveApplicationsMode(form);
            clearSearchFields(form);
            QApplication::processEvents();
            const bench::CostMeter meter;
            form.VrBitmapButton2Click(form.VrBitmapButton2);
            QApplication::processEvents();
            samples.push_back(meter.cost());
            listed = form.GridOutput->RowCount() - 1;
        }
    }
    state.counters["batteries"] = listed;
    leaveApplicationsMode(form);
    bench::reportSamples(state, samples);
}

// 1,000 clicks over makes, models and versions; resident memory at the end, and its
// growth over the last 500. Both readings are taken after the same few clicks (the first
// twelve makes, then the first again): otherwise the photo then on screen and the photos
// the window keeps of the last clicks, larger or smaller than the others, would count as
// growth.
void Figure_MemoryAfterClicks(benchmark::State &state)
{
    if (!ready(state))
        return;
    CatalogueWindow &w = window();
    Tfrm_main &form = *w.form;
    double atHalf = 0, atEnd = 0, heapAtHalf = 0, heapAtEnd = 0;
    auto sameRecentClicks = [&] {
        for (int make = 1; make <= std::min(12, w.makeCount()); ++make)
            w.clickMake(make);
        w.clickMake(1);
    };
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            switch (i % 3) {
            case 0: w.clickMake(1 + (i / 3) % w.makeCount()); break;
            case 1:
                if (const int rows = form.gridModello->RowCount() - 1; rows > 0) {
                    form.gridModello->setCurrentRow(1 + (i / 3) % rows);
                    form.gridModelloClickCell(form.gridModello, 1 + (i / 3) % rows, 1);
                }
                break;
            default:
                if (const int rows = form.gridVersione->RowCount() - 1; rows > 0) {
                    form.gridVersione->setCurrentRow(1 + (i / 3) % rows);
                    form.gridVersioneClickCell(form.gridVersione, 1 + (i / 3) % rows, 1);
                }
            }
            QApplication::processEvents();
            if (i == 499) {
                sameRecentClicks();
                atHalf = bench::residentMb();
                heapAtHalf = bench::liveHeapMb();
            }
        }
        sameRecentClicks();
        atEnd = bench::residentMb();
        heapAtEnd = bench::liveHeapMb();
    }
    state.counters["resident_mb"] = atEnd;
    state.counters["growth_mb"] = atEnd - atHalf;
    state.counters["heap_growth_mb"] = heapAtEnd - heapAtHalf;
}

} // namespace

BENCHMARK(Figure_MakeClickNewPhoto)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Figure_MakeClickPhotoShown)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Figure_ApplicationsModeMostFitted)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Figure_SearchWholePriceList)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Figure_MemoryAfterClicks)->Iterations(1)->Unit(benchmark::kMillisecond);
