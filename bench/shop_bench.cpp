// The shop store's figures: shop-data import-stock of a till's 30,000-row export, a
// process per sample as a shop runs it (the catalogue's copy already made, as the program
// made it at its start), and the window's stock line on a store of 30,000 codes: a
// request answered, from the call to the answer on the caller's thread. Each on the
// embedded store and on a PostgreSQL server the bench starts itself, as the tests do;
// and the requests made while that server is stopped.
#include "bench/bench_support.h"
#include "shop/stock_import.h"
#include "shop/stock_lookup.h"
#include "shop/store.h"
#include "tests/common/pg_server.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

constexpr int kRows = 30000;
constexpr int kImportSamples = 7;
constexpr int kLookupSamples = 300;

struct Scratch {
    QTemporaryDir dir;
    QString csv;
    Scratch()
    {
        QByteArray text = "Codice;Giacenza;Prezzo;Scaffale\n";
        for (int i = 0; i < kRows; ++i)
            text += "KB" + QByteArray::number(100000 + i) + ';' + QByteArray::number(i % 7) + ";\""
                    + QByteArray::number(40 + i % 150) + ",90\";" + "S" + QByteArray::number(i % 40) + '\n';
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

// The server's store, or empty with the reason.
QString serverStore(QString *why)
{
    static QString url;
    if (url.isEmpty())
        if (PgServer *server = PgServer::shared(why))
            url = server->newDatabase();
    return url;
}

QString embeddedStore() { return scratch().dir.filePath(QStringLiteral("shop.sqlite")); }

QString runImport(const QString &database)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CATALOG_CACHE_DIR"), scratch().dir.filePath(QStringLiteral("cache")));
    p.setProcessEnvironment(env);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(QDir(bench::builtProgramFolder()).absoluteFilePath(QStringLiteral("../tools/shop-data/shop-data")),
            {QStringLiteral("--database"), database, QStringLiteral("import-stock"), scratch().csv,
             QStringLiteral("--branch"), QStringLiteral("Centro"), QStringLiteral("--catalogue"), bench::catalogue()});
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("shop-data: ") + QString::fromUtf8(p.readAllStandardError()).left(200);
    return {};
}

void timeImport(benchmark::State &state, const QString &database)
{
    std::vector<double> samples;
    // The first run makes the catalogue's copy, which the program has made long before.
    if (const QString error = runImport(database); !error.isEmpty()) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    bench::settleDisk();
    for (auto _ : state)
        for (int i = 0; i < kImportSamples; ++i) {
            const double t0 = bench::nowMs();
            if (const QString error = runImport(database); !error.isEmpty()) {
                state.SkipWithError(error.toStdString().c_str());
                return;
            }
            samples.push_back(bench::nowMs() - t0);
        }
    bench::reportSamples(state, samples);
}

// Requests for codes spread over the store, each waited for on the caller's side.
void timeLookups(benchmark::State &state, const QString &database)
{
    {
        shop::Store store(database);
        shop::ImportOptions options;
        options.branch = QStringLiteral("Centro");
        shop::ImportStock(store, scratch().csv, options);
    }
    shop::ShopSettings settings;
    settings.database = database;
    settings.branch = QStringLiteral("Centro");
    shop::StockLookup lookup(settings);
    lookup.request(QStringLiteral("KB100000"));
    lookup.settle(10000);
    std::vector<double> samples;
    for (auto _ : state)
        for (int i = 0; i < kLookupSamples; ++i) {
            const double t0 = bench::nowMs();
            lookup.request(QStringLiteral("KB%1").arg(100000 + (i * 97) % kRows));
            if (!lookup.settle(5000)) {
                state.SkipWithError("a lookup was not answered");
                return;
            }
            samples.push_back(bench::nowMs() - t0);
        }
    bench::reportSamples(state, samples);
}

void Figure_ShopImportEmbedded(benchmark::State &state) { timeImport(state, embeddedStore()); }

void Figure_ShopImportServer(benchmark::State &state)
{
    QString why;
    const QString url = serverStore(&why);
    if (url.isEmpty())
        return state.SkipWithError(why.toStdString().c_str());
    timeImport(state, url);
}

void Figure_StockLineEmbedded(benchmark::State &state) { timeLookups(state, embeddedStore()); }

void Figure_StockLineServer(benchmark::State &state)
{
    QString why;
    const QString url = serverStore(&why);
    if (url.isEmpty())
        return state.SkipWithError(why.toStdString().c_str());
    timeLookups(state, url);
}

// What a click spends on the stock line while the server is stopped: the request call
// itself, which is all the click waits for.
void Figure_StockLineServerStopped(benchmark::State &state)
{
    QString why;
    const QString url = serverStore(&why);
    PgServer *server = PgServer::shared(&why);
    if (url.isEmpty() || !server)
        return state.SkipWithError(why.toStdString().c_str());
    shop::ShopSettings settings;
    settings.database = url;
    settings.branch = QStringLiteral("Centro");
    shop::StockLookup lookup(settings);
    lookup.request(QStringLiteral("KB100000"));
    lookup.settle(10000);
    server->stop();
    std::vector<double> samples;
    for (auto _ : state)
        for (int i = 0; i < kLookupSamples; ++i) {
            const double t0 = bench::nowMs();
            lookup.request(QStringLiteral("KB%1").arg(100000 + i));
            samples.push_back(bench::nowMs() - t0);
            lookup.settle(100);
        }
    server->start();
    bench::reportSamples(state, samples);
}

} // namespace

BENCHMARK(Figure_ShopImportEmbedded)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Figure_ShopImportServer)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Figure_StockLineEmbedded)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Figure_StockLineServer)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Figure_StockLineServerStopped)->Iterations(1)->Unit(benchmark::kMillisecond);
