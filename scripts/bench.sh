#!/usr/bin/env bash
# Builds in release mode and runs every performance figure of the large catalogue, then
# prints one table: figure, goal, measured median and spread, pass or miss.
#   scripts/bench.sh [build-folder]     (default: build-bench beside the sources)
# CATALOG_BENCH_MDB names another large catalogue; the peer pipeline needs mdbtools and
# the sqlite3 shell (scripts/setup.sh installs them).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$here/build-bench}")
"$here/scripts/setup.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCATALOG_BENCH=ON >/dev/null
cmake --build "$build" --target catalog_bench pictures catalogue-diff catalogue-check catalogue-demo catalogue-build -j"${BENCH_JOBS:-$(nproc)}" >/dev/null
out=$(mktemp --suffix=.json)
trap 'rm -f "$out"' EXIT
QT_QPA_PLATFORM=offscreen CATALOG_BENCH_APP="$build/app" \
  "$build/bench/catalog_bench" --benchmark_filter='^Figure_' \
  --benchmark_out="$out" --benchmark_out_format=json >/dev/null 2>&1 || true
python3 - "$out" <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
def get(name, key):
    b = runs.get(name)
    return None if b is None or b.get("error_occurred") else b.get(key)
def spread(name):
    lo, hi = get(name, "min_ms"), get(name, "max_ms")
    return "" if lo is None else f"{lo:.1f}-{hi:.1f} ms"
rows = []
def timed(title, name, goal, limit, p99=None):
    med = get(name, "median_ms")
    if med is None:
        rows.append((title, goal, "not measured: " + (runs.get(name, {}).get("error_message", "missing"))[:90], "", "miss")); return
    ok = med < limit and (p99 is None or get(name, "p99_ms") < p99)
    shown = f"{med:.1f} ms" + (f" (p99 {get(name, 'p99_ms'):.1f})" if p99 else "")
    rows.append((title, goal, shown, spread(name), "pass" if ok else "miss"))
def ratio(title, ours, goal, factor):
    peer, mine = get("Figure_PeerPipeline", "median_ms"), get(ours, "median_ms")
    if peer is None or mine is None:
        rows.append((title, goal, "not measured (mdbtools / sqlite3 missing?)", "", "miss")); return
    rows.append((title, goal, f"{peer / mine:.1f}x (peer {peer:.0f} ms)", spread("Figure_PeerPipeline"), "pass" if peer / mine >= factor else "miss"))
timed("open large catalogue, first time", "Figure_OpenFirstTime", "< 350 ms", 350)
timed("open it again, file unchanged", "Figure_OpenAgain", "< 50 ms", 50)
ratio("first time vs mdbtools pipeline", "Figure_OpenFirstTime", ">= 5x faster", 5)
ratio("again vs mdbtools pipeline", "Figure_OpenAgain", ">= 30x faster", 30)
timed("make click, new photo", "Figure_MakeClickNewPhoto", "median < 20, p99 < 40 ms", 20, 40)
timed("make click, photo shown", "Figure_MakeClickPhotoShown", "median < 8 ms", 8)
timed("applications mode, most-fitted", "Figure_ApplicationsModeMostFitted", "median < 30 ms", 30)
timed("search listing a price list", "Figure_SearchWholePriceList", "median < 20 ms", 20)
timed("search box, each keystroke", "Figure_QuickFindKeystroke", "median < 30, p99 < 60 ms", 30, 60)
timed("replacement finder search", "Figure_ReplacementSearch", "median < 30 ms", 30)
timed("catalogue-diff, large vs 1% changed", "Figure_CatalogueDiff", "< 2 s", 2000)
timed("catalogue-check, large catalogue", "Figure_CatalogueCheck", "< 2 s", 2000)
res, growth = get("Figure_MemoryAfterClicks", "resident_mb"), get("Figure_MemoryAfterClicks", "growth_mb")
if res is None:
    rows.append(("memory after 1,000 clicks", "< 200 MB, no growth", "not measured", "", "miss"))
else:
    rows.append(("memory after 1,000 clicks", "< 200 MB, no growth", f"{res:.0f} MB", f"+{growth:.1f} MB last 500",
                 "pass" if res < 200 and growth < 1.0 else "miss"))
w = [max(len(r[i]) for r in rows + [("figure", "goal", "measured", "spread", "result")]) for i in range(5)]
for r in [("figure", "goal", "measured", "spread", "result")] + rows:
    print("  ".join(c.ljust(w[i]) for i, c in enumerate(r)))
PY
