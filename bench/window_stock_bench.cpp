// The stock line's cost to a make click in the catalogue window: windows of their own
// beside the shared one, on the same catalogue, whose shop has a store of 30,000 codes
// (the catalogue's own among them), embedded or on the PostgreSQL server the shop
// figures start, and one whose shop has none. The same make is clicked on a window with
// the store and on the one without, alternately, each click timed from the click to the
// stock line answered (the lookup settled); what a click adds is the difference of each
// pair. With the server stopped, each click is timed to its handler's end, which is all
// the counter waits for: the line says the store is out of reach when its answer comes.
#include "bench/bench_support.h"
#include "bench/catalogue_window.h"
#include "data/query_channel.h"
#include "shop/stock_import.h"
#include "shop/store.h"
#include "tests/common/pg_server.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>

namespace {

constexpr int kCodes = 30000;
constexpr int kMakes = 20;
constexpr int kPairsPerMake = 10;
constexpr int kSettleMs = 5000;

struct Scratch {
    QTemporaryDir dir;
    QString csv;

    // The till's export: every battery code of the catalogue, then made-up codes up to
    // kCodes, priced and shelved.
    Scratch()
    {
        QByteArray text = "Codice;Giacenza;Prezzo;Scaffale\n";
        int rows = 0;
        if (ApriQRY(QStringLiteral("SELECT DISTINCT CODICE FROM TabTechInfo WHERE not CODICE is null")) > 0) {
            for (; !DM->ADOQuery1.Eof() && rows < kCodes; DM->ADOQuery1.Next(), ++rows)
                text += DM->ADOQuery1.FieldAsString(QStringLiteral("CODICE")).trimmed().toUtf8() + ';'
                        + QByteArray::number(rows % 5) + ";89,90;B" + QByteArray::number(rows % 40) + '\n';
        }
        DM->ADOQuery1.Close();
        for (int i = 0; rows < kCodes; ++i, ++rows)
            text += "ZZ" + QByteArray::number(100000 + i) + ";" + QByteArray::number(i % 7) + ";45,00;S1\n";
        csv = dir.filePath(QStringLiteral("giacenze.csv"));
        QFile f(csv);
        if (f.open(QIODevice::WriteOnly))
            f.write(text);
    }
};

Scratch &scratch()
{
    static Scratch s;
    return s;
}

// A catalogue window of its own whose [shop] names `database` (none: a shop without a
// store), on the shared window's catalogue, program folder and data module.
class ShopWindow {
public:
    explicit ShopWindow(const QString &database)
    {
        const QString config = m_dir.filePath(QStringLiteral("config"));
        QDir().mkpath(config + QStringLiteral("/dazozizizavuv"));
        QFile conf(config + QStringLiteral("/dazozizizavuv/dazozizizavuv.conf"));
        if (!database.isEmpty() && conf.open(QIODevice::WriteOnly))
            conf.write("[shop]\ndatabase=" + database.toUtf8() + "\nbranch=Centro\n");
        conf.close();
        // Read by the window as it is made; the user's own files and embedded store are not.
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_dir.filePath(QStringLiteral("none")));
        form = std::make_unique<Tfrm_main>();
        if (dataHome.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", dataHome);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                           QLibraryInfo::path(QLibraryInfo::SettingsPath));
        form->show();
        QApplication::processEvents();
        form->SettleStockLookups(kSettleMs);
    }

    // A make click and its cascade, to the stock line's answer.
    double clickMake(int row, bool toTheAnswer = true)
    {
        const double t0 = bench::nowMs();
        form->gridMarca->setCurrentRow(row);
        form->gridMarcaClickCell(form->gridMarca, row, 2);
        QApplication::processEvents();
        if (toTheAnswer)
            form->SettleStockLookups(kSettleMs);
        return bench::nowMs() - t0;
    }

    std::unique_ptr<Tfrm_main> form;

private:
    QTemporaryDir m_dir;
};

void importStock(const QString &database)
{
    shop::Store store(database);
    shop::ImportOptions options;
    options.branch = QStringLiteral("Centro");
    shop::ImportStock(store, scratch().csv, options);
}

QString serverStore(QString *why)
{
    static QString url;
    if (url.isEmpty())
        if (PgServer *server = PgServer::shared(why)) {
            url = server->newDatabase();
            importStock(url);
        }
    return url;
}

// The time the stock line adds to a make click on `database`'s window, pair by pair.
void timeAdded(benchmark::State &state, const QString &database)
{
    ShopWindow with(database), without{QString()};
    if (with.form->StripInfo == nullptr || !with.form->StockQuantities()) {
        state.SkipWithError("the window found no stock in the store");
        return;
    }
    const int makes = std::min(kMakes, with.form->gridMarca->RowCount() - 1);
    std::vector<double> added, plain, stocked;
    for (auto _ : state)
        for (int make = 1; make <= makes; ++make) {
            with.clickMake(make);
            without.clickMake(make);
            for (int i = 0; i < kPairsPerMake; ++i) {
                const double a = without.clickMake(make), b = with.clickMake(make);
                plain.push_back(a);
                stocked.push_back(b);
                added.push_back(b - a);
            }
        }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    state.counters["without_ms"] = median(plain);
    state.counters["with_ms"] = median(stocked);
    bench::reportSamples(state, added);
}

void Figure_StockOnMakeClickEmbedded(benchmark::State &state)
{
    if (!bench::ready(state))
        return;
    const QString db = scratch().dir.filePath(QStringLiteral("window-shop.sqlite"));
    importStock(db);
    timeAdded(state, db);
}

void Figure_StockOnMakeClickServer(benchmark::State &state)
{
    if (!bench::ready(state))
        return;
    QString why;
    const QString url = serverStore(&why);
    if (url.isEmpty())
        return state.SkipWithError(why.toStdString().c_str());
    timeAdded(state, url);
}

// Every click made while the server is stopped, to its handler's end: the slowest counts.
// The same clicks on the window of a shop without a store, in turn, say what the machine
// gives any click meanwhile.
void Figure_StockOnMakeClickServerStopped(benchmark::State &state)
{
    if (!bench::ready(state))
        return;
    QString why;
    const QString url = serverStore(&why);
    PgServer *server = PgServer::shared(&why);
    if (url.isEmpty() || !server)
        return state.SkipWithError(why.toStdString().c_str());
    ShopWindow stopped(url), without{QString()};
    const int makes = std::min(kMakes, stopped.form->gridMarca->RowCount() - 1);
    for (int make = 1; make <= makes; ++make) {
        stopped.clickMake(make);
        without.clickMake(make);
    }
    server->stop();
    std::vector<double> samples, plain;
    for (auto _ : state)
        for (int i = 0; i < 10 * makes; ++i) {
            samples.push_back(stopped.clickMake(1 + i % makes, false));
            plain.push_back(without.clickMake(1 + i % makes, false));
            // A counter's next click comes a moment later.
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    stopped.form->SettleStockLookups(kSettleMs);
    server->start();
    std::sort(plain.begin(), plain.end());
    state.counters["without_median_ms"] = plain[plain.size() / 2];
    state.counters["without_max_ms"] = plain.back();
    bench::reportSamples(state, samples);
}

} // namespace

BENCHMARK(Figure_StockOnMakeClickEmbedded)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Figure_StockOnMakeClickServer)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Figure_StockOnMakeClickServerStopped)->Iterations(1)->Unit(benchmark::kMillisecond);
