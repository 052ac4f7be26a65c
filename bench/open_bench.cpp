// Opening the catalogue: the first time (no converted copy exists), again (the copy
// of an earlier start is reused), and the way a Linux user loads an .mdb today, with the
// mdbtools shell tools piped into the sqlite3 shell, building the same indexes.
#include "bench/bench_support.h"
#include "report/schema.h"
#include "db/connection.h"
#include "db/query.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

constexpr int kOpenSamples = 7;

QString connectionString(const QString &mdb)
{
    QString password;
    for (char16_t c = 1; c <= 20; ++c)
        password += QChar(c);
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1;Jet OLEDB:Database Password='%2'")
        .arg(mdb, password);
}

// Opens and answers one query that needs the biggest table, so the figure ends when
// queries can be answered, not merely when the file was accepted.
void openAndAsk(const QString &mdb)
{
    db::Connection connection;
    connection.setConnectionString(connectionString(mdb));
    connection.setIndexHints(catalog::schema::IndexHints());
    connection.Open();
    db::Query query(connection);
    query.AddSQL(QStringLiteral("SELECT count(*) FROM TabDistintaBatterie WHERE ktypnr = 4242"));
    query.Open();
    benchmark::DoNotOptimize(query.RecordCount());
}

void Figure_OpenFirstTime(benchmark::State &state)
{
    const QString mdb = bench::catalogue();
    std::vector<bench::SampleCost> samples;
    bench::settleDisk();
    for (auto _ : state) {
        for (int i = 0; i < kOpenSamples; ++i) {
            const bench::FirstOpenCache cache;
            const bench::CostMeter meter;
            openAndAsk(mdb);
            samples.push_back(meter.cost());
        }
    }
    bench::reportSamples(state, samples);
}

void Figure_OpenAgain(benchmark::State &state)
{
    const QString mdb = bench::catalogue();
    bench::freshCacheDir();
    openAndAsk(mdb); // the earlier start that left the copy
    std::vector<bench::SampleCost> samples;
    for (auto _ : state) {
        for (int i = 0; i < kOpenSamples * 3; ++i) {
            const bench::CostMeter meter;
            openAndAsk(mdb);
            samples.push_back(meter.cost());
        }
    }
    bench::reportSamples(state, samples);
}

// The mdbtools pipeline: the schema, then every table exported as INSERT statements, all
// in one sqlite3 shell, and the indexes the provider builds for the catalogue's joins.
void Figure_PeerPipeline(benchmark::State &state)
{
    if (QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("mdb-schema")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty()) {
        state.SkipWithError("mdbtools or the sqlite3 shell is not installed");
        return;
    }
    const QString mdb = bench::catalogue();
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("peer.sh"));
    QFile f(script);
    if (!f.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot write the pipeline script");
        return;
    }
    f.write(R"SH(set -e
mdb="$1"; out="$2"; rm -f "$out"
{
  echo "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN;"
  mdb-schema "$mdb" sqlite
  for t in $(mdb-tables -1 "$mdb"); do mdb-export -I sqlite -b strip "$mdb" "$t"; done
  echo "CREATE INDEX i1 ON CP_Veicoli (idVeicolo); CREATE INDEX i2 ON CP_Veicoli (idMarca, Modello);"
  echo "CREATE INDEX i3 ON CP_Veicoli_Rel_Korva_Master (idVeicolo); CREATE INDEX i4 ON CP_Veicoli_Rel_Korva_Master (ktypnr);"
  echo "CREATE INDEX i5 ON TabDistintaBatterie (ktypnr); CREATE INDEX i6 ON TabDistintaBatterie (codice);"
  echo "CREATE INDEX i7 ON TabTechInfo (LISTINO); CREATE INDEX i8 ON TabTechInfo (CODICE); CREATE INDEX i9 ON TabTechInfo (OLD_CODICE);"
  echo "COMMIT;"
} | sqlite3 "$out"
test "$(sqlite3 "$out" 'SELECT count(*) FROM TabDistintaBatterie')" -gt 0
)SH");
    f.close();
    const QByteArray command = QStringLiteral("bash '%1' '%2' '%3' >/dev/null 2>&1")
                                   .arg(script, mdb, dir.filePath(QStringLiteral("peer.sqlite")))
                                   .toLocal8Bit();
    std::vector<bench::SampleCost> samples;
    bench::settleDisk();
    for (auto _ : state) {
        for (int i = 0; i < 3; ++i) {
            const bench::CostMeter meter;
            if (std::system(command.constData()) != 0) {
                state.SkipWithError("the mdbtools pipeline failed");
                return;
            }
            samples.push_back(meter.cost());
        }
    }
    bench::reportSamples(state, samples);
}

} // namespace

BENCHMARK(Figure_OpenFirstTime)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Figure_OpenAgain)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Figure_PeerPipeline)->Iterations(1)->Unit(benchmark::kMillisecond);
