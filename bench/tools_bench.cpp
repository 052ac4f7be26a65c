// The catalogue makers' tools timed as they are run: a process each, opening catalogues
// the cache has never seen (a new catalogue is the usual case). The diff compares the
// large demo catalogue with a copy whose sources have 1% of their rows changed or
// removed; the check reads the catalogue of the run.
#include "bench/bench_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace {

constexpr int kToolSamples = 5;

QString tool(const QString &name)
{
    return QDir(bench::builtProgramFolder()).absoluteFilePath(QStringLiteral("../tools/%1/%1").arg(name));
}

// Runs a tool; an empty text, or what went wrong.
QString run(const QString &program, const QStringList &args, const QList<int> &goodExits = {0})
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || !goodExits.contains(p.exitCode()))
        return program + QStringLiteral(": ") + QString::fromUtf8(p.readAllStandardError()).left(200);
    return {};
}

// Every hundredth row of each table changed (its last field) or, every other time,
// removed: 1% of the rows, all kinds of change. A record whose quoted text runs over
// several lines is left as it is.
void changeOnePercent(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QString &name : QDir(from).entryList({QStringLiteral("*.csv")}, QDir::Files)) {
        QFile in(from + u'/' + name);
        if (!in.open(QIODevice::ReadOnly))
            continue;
        const QByteArrayList lines = in.readAll().split('\n');
        QByteArrayList out;
        bool insideQuotes = false;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QByteArray line = lines[i];
            const bool whole = !insideQuotes && line.count('"') % 2 == 0;
            if (line.count('"') % 2)
                insideQuotes = !insideQuotes;
            if (whole && i > 0 && i % 100 == 0 && !line.trimmed().isEmpty() && !name.startsWith(u"Tab1riga")) {
                if (i % 200 == 0)
                    continue;
                const bool cr = line.endsWith('\r');
                if (cr)
                    line.chop(1);
                if (line.endsWith('"'))
                    line.insert(line.size() - 1, 'X');
                else
                    line += '1';
                if (cr)
                    line += '\r';
            }
            out << line;
        }
        QFile o(to + u'/' + name);
        if (o.open(QIODevice::WriteOnly))
            o.write(out.join('\n'));
    }
}

struct DiffCatalogues {
    QTemporaryDir dir;
    QString oldMdb, newMdb, error;

    DiffCatalogues()
    {
        const QString root = dir.path();
        error = run(tool(QStringLiteral("catalogue-demo")),
                    {QStringLiteral("--scale"), QStringLiteral("large"), root + "/src"});
        if (error.isEmpty()) {
            changeOnePercent(root + "/src", root + "/src-new");
            error = run(tool(QStringLiteral("catalogue-build")), {root + "/src", root + "/old"});
        }
        if (error.isEmpty())
            error = run(tool(QStringLiteral("catalogue-build")), {root + "/src-new", root + "/new"});
        oldMdb = root + "/old/vc_korva.mdb";
        newMdb = root + "/new/vc_korva.mdb";
    }
};

void timeTool(benchmark::State &state, const QString &program, const QStringList &args, const QList<int> &goodExits)
{
    std::vector<bench::SampleCost> samples;
    bench::settleDisk();
    for (auto _ : state) {
        for (int i = 0; i < kToolSamples; ++i) {
            const bench::FirstOpenCache cache;
            const bench::CostMeter meter;
            if (const QString error = run(program, args, goodExits); !error.isEmpty()) {
                state.SkipWithError(error.toStdString().c_str());
                return;
            }
            samples.push_back(meter.cost());
        }
    }
    bench::reportSamples(state, samples);
}

void Figure_CatalogueDiff(benchmark::State &state)
{
    static DiffCatalogues catalogues;
    if (!catalogues.error.isEmpty()) {
        state.SkipWithError(catalogues.error.toStdString().c_str());
        return;
    }
    timeTool(state, tool(QStringLiteral("catalogue-diff")),
             {QStringLiteral("--format"), QStringLiteral("csv"), catalogues.oldMdb, catalogues.newMdb}, {0});
}

void Figure_CatalogueCheck(benchmark::State &state)
{
    timeTool(state, tool(QStringLiteral("catalogue-check")), {bench::catalogue()}, {0, 1});
}

} // namespace

BENCHMARK(Figure_CatalogueDiff)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Figure_CatalogueCheck)->Iterations(1)->Unit(benchmark::kMillisecond);
