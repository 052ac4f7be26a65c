// What the technology guard adds to a click: the vehicle chosen (its batteries read from
// the catalogue for its need, the first time it is asked), the battery's line and the
// registration line, and the refresh the make-list refill ends with, as a make click's
// cascade calls them, with the strip painted. The window is the shared one of
// bench/catalogue_window.h, with the build's maker tables beside its catalogue.
#include "bench/bench_support.h"
#include "bench/catalogue_window.h"
#include "catalog/technology/technology_part.h"
#include "catalog/window/statements.h"
#include "report/schema.h"

#include <QApplication>

namespace {

using bench::CatalogueWindow;
using bench::ready;
using bench::window;

struct Shown {
    QString vehicle, make, range, code;
};

// The vehicle and battery each of the first makes' clicks ends at, untimed.
std::vector<Shown> shownAfterMakeClicks(CatalogueWindow &w)
{
    std::vector<Shown> shown;
    for (int make = 1; make <= std::min(40, w.makeCount()); ++make) {
        w.clickMake(make);
        const Tfrm_main &f = *w.form;
        const int version = f.gridVersione->SelectionRect().Top, battery = f.GridOutput->SelectionRect().Top;
        shown.push_back({f.gridVersione->Cells(catalog::kVersionKey, version),
                         f.gridMarca->Cells(catalog::kMakeKey, make),
                         f.GridOutput->Cells(catalog::schema::kGamma, battery),
                         f.GridOutput->Cells(catalog::schema::kCodice, battery)});
    }
    return shown;
}

// Every sample is a vehicle other than the one before, so its need is read afresh (a
// vehicle listed with no battery of the price list shows none, and asks for no need).
void Figure_TechnologyLines(benchmark::State &state)
{
    if (!ready(state))
        return;
    CatalogueWindow &w = window();
    const std::vector<Shown> shown = shownAfterMakeClicks(w);
    if (shown.size() < 2) {
        state.SkipWithError("fewer than two makes to click");
        return;
    }
    TechnologyPart &guard = w.form->TechnologyGuard();
    std::vector<double> samples;
    for (auto _ : state) {
        for (int round = 0; round < 10; ++round) {
            for (const Shown &s : shown) {
                const double t0 = bench::nowMs();
                guard.ChooseVehicle(s.vehicle, s.make);
                guard.ShowBattery(s.range, s.code);
                guard.Refresh();
                QApplication::processEvents();
                samples.push_back(bench::nowMs() - t0);
            }
        }
    }
    bench::reportSamples(state, samples);
}

} // namespace

BENCHMARK(Figure_TechnologyLines)->Unit(benchmark::kMillisecond)->Iterations(1);
