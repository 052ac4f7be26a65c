#!/usr/bin/env bash
# Builds in release mode and runs every performance figure twice, on the large catalogue
# and on the huge one (ten times larger, made once by catalogue-demo and catalogue-build
# and kept in the build folder), then prints one table: figure, catalogue, goal, measured
# median and spread, pass or miss; a huge row says how many times the large row it is.
#   scripts/bench.sh [build-folder]     (default: build-bench beside the sources)
# CATALOG_BENCH_MDB names another large catalogue; the peer pipeline needs mdbtools and
# the sqlite3 shell (scripts/setup.sh installs them). The peer pipeline, the two
# catalogue tools and the start-up (bench/startup_figure.py) are timed on the large
# catalogue only. A second table (bench/cost_table.py) gives each figure's page faults and
# processor time, and the first open and the new-photo click as ratios to their floors
# (bench/floors/), measured in the same run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$here/build-bench}")
"$here/scripts/setup.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCATALOG_BENCH=ON >/dev/null
cmake --build "$build" --target catalog_bench pictures catalogue_demo_db catalogue-diff catalogue-check catalogue-demo catalogue-build \
  jet-query shop-data catalogue_huge dazozizizavuv bench-first-window bench-floor-open bench-floor-click bench-fresh-pages \
  -j"${BENCH_JOBS:-$(nproc)}" >/dev/null
large=$(realpath "${CATALOG_BENCH_MDB:-$here/../shared/fixtures/catalogue-large/vc_korva.mdb}")
huge="$build/huge-catalogue/vc_korva.mdb"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo "machine: $(nproc) cores; load at start:$(uptime | sed 's/.*load average://')"
measure() { # CATALOGUE JSON FILTER; the clicks the click figure ran go beside JSON for its floor
  QT_QPA_PLATFORM=offscreen CATALOG_BENCH_APP="$build/app" CATALOG_BENCH_MDB="$1" CATALOG_BENCH_CLICKS="$2.clicks" \
    "$build/bench/catalog_bench" --benchmark_filter="$3" \
    --benchmark_out="$2" --benchmark_out_format=json >/dev/null 2>&1 || true
}
measure "$large" "$out/large.json" '^Figure_'
measure "$huge" "$out/huge.json" '^Figure_(Open|MakeClick|Applications|Search|Memory|QuickFind|Replacement|Technology)'
python3 "$here/bench/startup_figure.py" "$build" "$large" "$out/startup.json" || true
python3 - "$out" "$build/tools/jet-query/jet-query" "$large" "$huge" <<'PY'
import json, os, sys, tempfile, time
folder, jet_query = sys.argv[1], sys.argv[2]
catalogues = {"large": sys.argv[3], "huge": sys.argv[4]}

def load(name):
    try:
        return {b["name"].split("/")[0]: b for b in json.load(open(f"{folder}/{name}.json"))["benchmarks"]}
    except (OSError, ValueError):
        return {}
runs = {cat: load(cat) for cat in catalogues}

def get(cat, name, key):
    b = runs[cat].get(name)
    return None if b is None or b.get("error_occurred") else b.get(key)

def spread(cat, name):
    lo, hi = get(cat, name, "min_ms"), get(cat, name, "max_ms")
    return "" if lo is None else f"{lo:.1f}-{hi:.1f} ms"

def descendants(pid):
    pids, i = [pid], 0
    while i < len(pids):
        try:
            for task in os.listdir(f"/proc/{pids[i]}/task"):
                with open(f"/proc/{pids[i]}/task/{task}/children") as f:
                    pids += [int(p) for p in f.read().split()]
        except OSError:
            pass
        i += 1
    return pids

def pss_mb(pid):
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Pss:"):
                    return int(line.split()[1]) / 1024
    except OSError:
        pass
    return 0.0

def open_peak_mb(mdb):
    """The peak memory of one first open by jet-query, helper processes included: the sum of
    the proportional sets of the whole process tree, sampled every few milliseconds, and
    never less than the largest single process's own peak (which the kernel keeps)."""
    with tempfile.TemporaryDirectory() as cache:
        pid = os.fork()
        if pid == 0:
            os.environ["CATALOG_CACHE_DIR"] = cache
            fd = os.open(os.devnull, os.O_WRONLY)
            os.dup2(fd, 1)
            os.dup2(fd, 2)
            os.execv(jet_query, [jet_query, mdb, "SELECT count(*) FROM TabDistintaBatterie WHERE ktypnr = 4242"])
        peak = 0.0
        while True:
            done, status, usage = os.wait4(pid, os.WNOHANG)
            if done:
                break
            peak = max(peak, sum(pss_mb(p) for p in descendants(pid)))
            time.sleep(0.003)
        if os.waitstatus_to_exitcode(status) != 0:
            return None
        return max(peak, usage.ru_maxrss / 1024)

rows = []
def row(title, cat, goal, measured, spread_text, ok):
    rows.append((title, cat, goal, measured, spread_text, "" if ok is None else "pass" if ok else "miss"))

def not_measured(cat, name):
    return "not measured: " + (runs[cat].get(name, {}).get("error_message", "missing"))[:90]

def growth(name):
    large, huge = get("large", name, "median_ms"), get("huge", name, "median_ms")
    return None if large is None or huge is None or large <= 0 else huge / large

def timed(title, name, goal, limit, p99=None, huge_goal=None):
    """The large row with its own goal, then the huge row. huge_goal is ("< N x", N) for a
    goal on growth, ("text", limit, p99) for an absolute one, or None: measured only."""
    for cat in catalogues:
        med = get(cat, name, "median_ms")
        shown_title = title if cat == "large" else ""
        if med is None:
            row(shown_title, cat, goal if cat == "large" else "", not_measured(cat, name), "", False); continue
        g, lim, p = (goal, limit, p99) if cat == "large" else (None, None, None)
        ratio = growth(name) if cat == "huge" else None
        if cat == "huge" and huge_goal is not None:
            if len(huge_goal) == 2:
                g = f"{huge_goal[0]} large"
            else:
                g, lim, p = huge_goal
        shown = f"{med:.1f} ms" + (f" (p99 {get(cat, name, 'p99_ms'):.1f})" if p99 else "")
        if ratio is not None:
            shown += f", {ratio:.2f}x large"
        if cat == "huge" and huge_goal is not None and len(huge_goal) == 2:
            ok = ratio is not None and ratio < huge_goal[1]
        elif lim is not None:
            ok = med < lim and (p is None or get(cat, name, "p99_ms") < p)
        else:
            ok = None
        row(shown_title, cat, g or "", shown, spread(cat, name), ok)

def peer_ratio(title, ours, goal, factor):
    peer, mine = get("large", "Figure_PeerPipeline", "median_ms"), get("large", ours, "median_ms")
    if peer is None or mine is None:
        row(title, "large", goal, "not measured (mdbtools / sqlite3 missing?)", "", False); return
    row(title, "large", goal, f"{peer / mine:.1f}x (peer {peer:.0f} ms)", spread("large", "Figure_PeerPipeline"), peer / mine >= factor)

def memory(limits):
    for cat, limit in limits.items():
        res, grew = get(cat, "Figure_MemoryAfterClicks", "resident_mb"), get(cat, "Figure_MemoryAfterClicks", "growth_mb")
        title, goal = ("memory after 1,000 clicks" if cat == "large" else ""), f"< {limit} MB, no growth"
        if res is None:
            row(title, cat, goal, not_measured(cat, "Figure_MemoryAfterClicks"), "", False)
        else:
            row(title, cat, goal, f"{res:.0f} MB", f"{grew:+.1f} MB last 500", res < limit and grew < 1.0)

def open_peak():
    for cat, mdb in catalogues.items():
        peaks = [p for p in (open_peak_mb(mdb) for _ in range(3)) if p is not None]
        title = "peak memory of a first open, all processes" if cat == "large" else ""
        if not peaks:
            row(title, cat, "< 1 GB", "not measured: jet-query failed", "", False)
        else:
            row(title, cat, "< 1 GB", f"{max(peaks):.0f} MB", f"{min(peaks):.0f}-{max(peaks):.0f} MB", max(peaks) < 1024)

def startup():
    """The program's start to its brand screen against the yardstick window's start to the
    same picture (bench/startup_figure.py), and what the program read before it showed."""
    try:
        s = json.load(open(f"{folder}/startup.json"))
    except (OSError, ValueError):
        s = {}
    ours, yard = s.get("program"), s.get("yardstick")
    title, goal = "start to brand screen, vs minimal window", "<= 1.3x, < 4 MB read"
    if not ours or not yard:
        row(title, "large", goal, "not measured: bench/startup_figure.py failed", "", False); return
    ratio, mb = ours["median_ms"] / yard["median_ms"], ours["read_bytes"] / 2**20
    row(title, "large", goal,
        f"{ours['median_ms']:.0f} ms, {ratio:.2f}x (minimal {yard['median_ms']:.0f} ms); {mb:.1f} MB read "
        f"(minimal {yard['read_bytes'] / 2**20:.1f})",
        f"{ours['min_ms']:.0f}-{ours['max_ms']:.0f} ms", ratio <= 1.3 and mb < 4)

clicks = ("<= 1.5x", 1.5)
timed("open large catalogue, first time", "Figure_OpenFirstTime", "< 350 ms", 350, huge_goal=("< 10x", 10))
timed("open it again, file unchanged", "Figure_OpenAgain", "< 10 ms", 10)
peer_ratio("first time vs mdbtools pipeline", "Figure_OpenFirstTime", ">= 8x faster", 8)
peer_ratio("again vs mdbtools pipeline", "Figure_OpenAgain", ">= 30x faster", 30)
open_peak()
startup()
timed("make click, new photo", "Figure_MakeClickNewPhoto", "median < 15, p99 < 40 ms", 15, 40, huge_goal=clicks)
timed("make click, photo shown", "Figure_MakeClickPhotoShown", "median < 8 ms", 8, huge_goal=clicks)
timed("applications mode, most-fitted", "Figure_ApplicationsModeMostFitted", "median < 30 ms", 30, huge_goal=clicks)
timed("search listing a price list", "Figure_SearchWholePriceList", "median < 20 ms", 20, huge_goal=clicks)
timed("search box, each keystroke", "Figure_QuickFindKeystroke", "median < 30, p99 < 60 ms", 30, 60,
      huge_goal=("median < 30, p99 < 60 ms", 30, 60))
timed("replacement finder search", "Figure_ReplacementSearch", "median < 30 ms", 30, huge_goal=("median < 30 ms", 30, None))
timed("technology lines added to a click", "Figure_TechnologyLines", "median < 2 ms", 2,
      huge_goal=("median < 2 ms", 2, None))
memory({"large": 200, "huge": 400})
# The shop store: figures of its own, not of the catalogue's size, so on the large run only.
for title, name, goal, limit, key in (
        ("shop-data import-stock, 30,000 rows, embedded", "Figure_ShopImportEmbedded", "< 1 s", 1000, "median_ms"),
        ("shop-data import-stock, 30,000 rows, PostgreSQL", "Figure_ShopImportServer", "< 2 s", 2000, "median_ms"),
        ("stock line answered, 30,000 codes, embedded", "Figure_StockLineEmbedded", "median < 2 ms", 2, "median_ms"),
        ("stock line answered, 30,000 codes, PostgreSQL", "Figure_StockLineServer", "median < 5 ms", 5, "median_ms"),
        ("stock request, PostgreSQL stopped", "Figure_StockLineServerStopped", "slowest < 50 ms", 50, "max_ms"),
        ("stock line added to a make click, embedded", "Figure_StockOnMakeClickEmbedded", "median < 2 ms", 2,
         "median_ms"),
        ("stock line added to a make click, PostgreSQL", "Figure_StockOnMakeClickServer", "median < 5 ms", 5,
         "median_ms"),
        ("make click, PostgreSQL stopped", "Figure_StockOnMakeClickServerStopped", "slowest < 50 ms", 50, "max_ms")):
    med = get("large", name, key)
    row(title, "large", goal, not_measured("large", name) if med is None else f"{med:.2f} ms",
        spread("large", name), med is not None and med < limit)
for title, name in (("catalogue-diff, large vs 1% changed", "Figure_CatalogueDiff"),
                    ("catalogue-check, large catalogue", "Figure_CatalogueCheck")):
    med = get("large", name, "median_ms")
    row(title, "large", "< 2 s", not_measured("large", name) if med is None else f"{med:.1f} ms",
        spread("large", name), med is not None and med < 2000)

head = ("figure", "catalogue", "goal", "measured", "spread", "result")
w = [max(len(r[i]) for r in rows + [head]) for i in range(len(head))]
for r in [head] + rows:
    print("  ".join(c.ljust(w[i]) for i, c in enumerate(r)).rstrip())

# Two clicks fill grids whose length grows with the catalogue: how many rows each lists,
# and what a row listed costs on the huge catalogue against the large one.
for title, name, counter, unit, one in (
        ("applications mode, most-fitted", "Figure_ApplicationsModeMostFitted", "types", "vehicle types", "type"),
        ("search listing a price list", "Figure_SearchWholePriceList", "batteries", "batteries", "battery")):
    n = {cat: get(cat, name, counter) for cat in catalogues}
    ratio = growth(name)
    if None in n.values() or ratio is None or not n["large"]:
        continue
    rows_ratio = n["huge"] / n["large"]
    print(f"{title}: lists {n['large']:.0f} {unit} on the large catalogue, {n['huge']:.0f} on the huge one "
          f"({rows_ratio:.1f}x); per {one} listed the huge one takes {ratio / rows_ratio:.2f}x the large one's time")
# The clicks made while the server is stopped, beside the same clicks on a window whose
# shop has no store: what the machine gave any click meanwhile.
name = "Figure_StockOnMakeClickServerStopped"
if get("large", name, "max_ms") is not None:
    print(f"make click, PostgreSQL stopped: slowest {get('large', name, 'max_ms'):.1f} ms, median "
          f"{get('large', name, 'median_ms'):.1f} ms; the same clicks without a store: slowest "
          f"{get('large', name, 'without_max_ms'):.1f} ms, median {get('large', name, 'without_median_ms'):.1f} ms")
PY
costs() { # each figure's faults and processor time, and the ratios to the floors measured now
  python3 "$here/bench/cost_table.py" "$out" "$build" "$large" "$huge" || true
}
costs
echo "load at end:$(uptime | sed 's/.*load average://')"
