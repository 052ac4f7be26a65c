// The replacement finder on the catalogue of the run, offscreen: one search, from the click on
// its search button to the ranked list in the grid, for batteries spread over a price
// list. The finder reads the catalogue through the data module's connection only, so the
// figure opens the catalogue on its own, without a catalogue window.
#include "bench/bench_support.h"
#include "catalog/replacement/replacement_form.h"
#include "data/connect_database.h"
#include "data/data_module.h"
#include "data/query_channel.h"
#include "platform/messages.h"
#include "platform/settings.h"
#include "widgets/data_grid.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

namespace {

const QString kPriceList = QStringLiteral("KORVA");

// Every tenth battery of the price list as the catalogue window would hand it over.
std::vector<ReplacementStart> startingBatteries()
{
    std::vector<ReplacementStart> starts;
    if (ApriQRY(QStringLiteral("SELECT CODICE, LUNGHEZZA, LARGHEZZA, ALTEZZA, POLO_POSITIVO, ATTACCHI_BASE, CAPACITA, "
                               "SCARICA FROM TabTechInfo WHERE LISTINO = \"%1\" AND OLD_CODICE IS NULL ORDER BY ORDINE")
                    .arg(kPriceList))
        <= 0)
        return starts;
    for (int n = 0; !DM->ADOQuery1.Eof(); DM->ADOQuery1.Next(), ++n) {
        if (n % 10 != 0)
            continue;
        QStringList v;
        for (int i = 0; i < 8; ++i)
            v << DM->ADOQuery1.AsString(i);
        starts.push_back({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]});
    }
    DM->ADOQuery1.Close();
    return starts;
}

void Figure_ReplacementSearch(benchmark::State &state)
{
    QTemporaryDir folder, temp;
    QDir root(folder.path());
    const QString mdb = bench::catalogue();
    if (!root.mkdir(QStringLiteral("db")) || !QFile::link(mdb, root.filePath(QStringLiteral("db/vc_korva.mdb")))
        || !QFile::link(QFileInfo(mdb).absolutePath() + QStringLiteral("/system.mdw"),
                        root.filePath(QStringLiteral("db/system.mdw")))) {
        state.SkipWithError("cannot make the scratch program folder");
        return;
    }
    qputenv("TEMP", QFile::encodeName(temp.path()));
    bench::freshCacheDir();
    OverrideProgramFolder(folder.path() + QLatin1Char('/'));
    AppDir = ProgramFolder();
    ScopedRecordingMessages rec;
    std::vector<bench::SampleCost> samples;
    int listed = 0;
    {
        TDM dm;
        ConnectDatabase(QStringLiteral("SQL"), QString(), QStringLiteral("vc_korva"), QString(), QString());
        const std::vector<ReplacementStart> starts = startingBatteries();
        if (starts.empty()) {
            state.SkipWithError(("no battery of the price list: " + rec.texts().join(u' ')).toStdString().c_str());
        } else {
            for (auto _ : state) {
                for (const ReplacementStart &start : starts) {
                    Tfrm_sostituzione finder(nullptr, start, kPriceList);
                    const bench::CostMeter meter;
                    finder.VrBitmapButtonSostCercaClick();
                    QApplication::processEvents();
                    samples.push_back(meter.cost());
                    listed += finder.GridSostituzione->RowCount() - 1;
                }
            }
            if (!rec.shown.empty())
                state.SkipWithError(("the search showed a message: " + rec.texts().join(u' ')).toStdString().c_str());
            state.counters["searches"] = double(starts.size());
            state.counters["rows_per_search"] = double(listed) / double(starts.size());
        }
    }
    OverrideProgramFolder(QString());
    bench::reportSamples(state, samples);
}

} // namespace

BENCHMARK(Figure_ReplacementSearch)->Iterations(1)->Unit(benchmark::kMillisecond);
