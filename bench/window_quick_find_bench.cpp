// The search box on the catalogue of the run: each keystroke of a few texts a counter types
// (vehicle words, a code, measures, ratings), from the edit to the list on screen. The
// window reads the catalogue into memory once, just after it opens: that read is timed on
// its own (load_ms), the keystrokes come after it. The catalogue stays in the
// window's memory afterwards, so this file's name sorts after window_bench.cpp: the
// benchmarks register, and run, in that order, and the memory figure reads the window as
// clicks alone leave it.
#include "bench/bench_support.h"
#include "bench/catalogue_window.h"
#include "catalog/quick_find/quick_find.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>

namespace {

// One keystroke: the box's text as typing leaves it, its edit handler, the list painted.
bench::SampleCost keystroke(Tfrm_main &form, const QString &text)
{
    const bench::CostMeter meter;
    form.EditTrova->setText(text);
    form.EditTrovaChange(form.EditTrova);
    QApplication::processEvents();
    return meter.cost();
}

void Figure_QuickFindKeystroke(benchmark::State &state)
{
    if (!bench::ready(state))
        return;
    Tfrm_main &form = *bench::window().form;
    const QString texts[] = {
        QStringLiteral("varesco 1.6 turbo"), QStringLiteral("zefira sw diesel"),
        QStringLiteral("1.9 td marvolo"),    QStringLiteral("KS06"),
        QStringLiteral("278x175x190"),       QStringLiteral("70Ah 640A"),
        QStringLiteral("alvena arno"),       QStringLiteral("qualcosa che non c'e"),
    };
    double load = bench::nowMs();
    catalog::LoadQuickFinder(DM->ADOConnection1);
    load = bench::nowMs() - load;
    keystroke(form, QStringLiteral("a")); // the window's own read, when it has not run yet
    std::vector<bench::SampleCost> samples;
    int lastRows = 0;
    for (auto _ : state) {
        for (int round = 0; round < 5; ++round) {
            for (const QString &text : texts) {
                for (qsizetype n = 1; n <= text.size(); ++n)
                    samples.push_back(keystroke(form, text.left(n)));
                lastRows = form.ListaTrova->count();
            }
        }
    }
    state.counters["load_ms"] = load;
    state.counters["rows_last"] = lastRows;
    form.EditTrova->clear();
    form.EditTrovaChange(form.EditTrova);
    bench::reportSamples(state, samples);
}

} // namespace

BENCHMARK(Figure_QuickFindKeystroke)->Iterations(1)->Unit(benchmark::kMillisecond);
