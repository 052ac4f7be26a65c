#!/usr/bin/env python3
"""What each figure costs beside what it must cost: every figure's page faults and
processor time (medians per sample), and the first open and the new-photo make click
each as a ratio to its floor measured in the same run (bench/floors/), with the
machine's price of fresh memory measured first, so that a run on any machine says how
close the code is to the work it must do.

  bench/cost_table.py OUT BUILD LARGE.mdb HUGE.mdb

OUT holds the benchmarks' results (large.json, huge.json) and the clicks the click
figure ran (large.json.clicks, huge.json.clicks); BUILD the floors (bench/floors/) and
jet-query. Prints one table; a floor that cannot run leaves its rows unmeasured."""
import json, os, subprocess, sys, tempfile, time

out, build = sys.argv[1], sys.argv[2]
catalogues = {"large": sys.argv[3], "huge": sys.argv[4]}
floors = os.path.join(build, "bench", "floors")
jet_query = os.path.join(build, "tools", "jet-query", "jet-query")


def run_json(argv, env=None):
    """The JSON line a floor prints, or None when it fails."""
    try:
        done = subprocess.run(argv, env=env, capture_output=True, text=True, timeout=900)
    except (OSError, subprocess.TimeoutExpired):
        return None
    if done.returncode != 0:
        sys.stderr.write(done.stderr[-400:])
        return None
    try:
        return json.loads(done.stdout.strip().splitlines()[-1])
    except (ValueError, IndexError):
        return None


def figures(cat):
    try:
        return {b["name"].split("/")[0]: b for b in json.load(open(f"{out}/{cat}.json"))["benchmarks"]
                if not b.get("error_occurred")}
    except (OSError, ValueError):
        return {}


def copy_of(mdb, folder):
    """The SQLite copy jet-query makes of `mdb` in `folder`: the main file, then the parts
    attached to it."""
    env = dict(os.environ, CATALOG_CACHE_DIR=folder)
    subprocess.run([jet_query, mdb, "SELECT 1"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    names = sorted(n for n in os.listdir(folder) if n.endswith(".sqlite"))
    main = [n for n in names if not n.endswith("-largest.sqlite")]
    return [os.path.join(folder, n) for n in main + [n for n in names if n not in main]]


def jet_query_open(mdb, runs=5):
    """A first open by jet-query on an empty cache, the helper processes it starts
    included (wait4 counts the children a process waited for): medians of wall time,
    processor time and faults."""
    samples = []
    for _ in range(runs):
        with tempfile.TemporaryDirectory() as cache:
            env = dict(os.environ, CATALOG_CACHE_DIR=cache)
            t0 = time.monotonic()
            p = subprocess.Popen([jet_query, mdb, "SELECT count(*) FROM TabDistintaBatterie WHERE ktypnr = 4242"],
                                 env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            _, status, usage = os.wait4(p.pid, 0)
            ms = (time.monotonic() - t0) * 1e3
            if os.waitstatus_to_exitcode(status) != 0:
                return None
            samples.append((ms, (usage.ru_utime + usage.ru_stime) * 1e3, usage.ru_minflt, usage.ru_majflt))
    mid = lambda i: sorted(s[i] for s in samples)[len(samples) // 2]
    return {"median_ms": mid(0), "cpu_ms": mid(1), "minor_faults": mid(2), "major_faults": mid(3)}


fresh = run_json([os.path.join(floors, "bench-fresh-pages")])
runs = {cat: figures(cat) for cat in catalogues}
floor = {}
for cat, mdb in catalogues.items():
    floor[cat, "open"] = run_json([os.path.join(floors, "bench-floor-open"), mdb])
    clicks = f"{out}/{cat}.json.clicks"
    if os.path.exists(clicks):
        with tempfile.TemporaryDirectory() as folder:
            copy = copy_of(mdb, folder)
            floor[cat, "click"] = run_json([os.path.join(floors, "bench-floor-click"), clicks] + copy) if copy else None
jq = jet_query_open(catalogues["large"])

rows = []


def row(title, cat, measured, floor_text, ratio_text, cost, goal, ok):
    rows.append((title, cat, measured, floor_text, ratio_text, cost, goal, "" if ok is None else "pass" if ok else "miss"))


def cost_text(f):
    return f"{f['minor_faults']:,.0f} / {f['major_faults']:,.0f}, cpu {f['cpu_ms']:.1f} ms"


# The figures with a floor: figure -> (title, floor, what the floor does, goal on the ratio).
with_floor = {
    "Figure_OpenFirstTime": ("open large catalogue, first time (program and helpers)", "open",
                             "libmdb decoding", 3.0),
    "Figure_MakeClickNewPhoto": ("make click, new photo (program)", "click", "SQLite + libjpeg", 2.0),
}
titles = {
    "Figure_OpenAgain": "open it again, file unchanged",
    "Figure_PeerPipeline": "mdbtools pipeline (all processes)",
    "Figure_MakeClickPhotoShown": "make click, photo shown",
    "Figure_ApplicationsModeMostFitted": "applications mode, most-fitted",
    "Figure_SearchWholePriceList": "search listing a price list",
    "Figure_QuickFindKeystroke": "search box, each keystroke",
    "Figure_ReplacementSearch": "replacement finder search",
    "Figure_CatalogueDiff": "catalogue-diff (all processes)",
    "Figure_CatalogueCheck": "catalogue-check (all processes)",
}

for cat in catalogues:
    for name, b in runs[cat].items():
        if "minor_faults" not in b:
            continue
        measured = f"{b['median_ms']:.1f} ms"
        if name in with_floor:
            title, key, what, ratio_goal = with_floor[name]
            f = floor.get((cat, key))
            if f is None:
                row(title, cat, measured, "not measured", "", cost_text(b), f"<= {ratio_goal:g}x floor", False)
                continue
            ratio = b["median_ms"] / f["median_ms"]
            row(title, cat, measured, f"{what} {f['median_ms']:.1f} ms", f"{ratio:.2f}x", cost_text(b),
                f"<= {ratio_goal:g}x floor", ratio <= ratio_goal)
            row("  its floor", cat, "", f"{f['median_ms']:.1f} ms", "", cost_text(f), "", None)
        else:
            row(titles.get(name, name), cat, measured, "", "", cost_text(b), "", None)
if jq is not None:
    row("first open by jet-query, all processes", "large", f"{jq['median_ms']:.1f} ms", "", "", cost_text(jq),
        "< 4,000 faults", jq["minor_faults"] + jq["major_faults"] < 4000)

if fresh is not None:
    print(f"fresh memory on this machine: {fresh['us_per_fault']:.2f} us per 4 KiB page faulted in "
          f"({fresh['us_per_mib']:.0f} us per MiB); in 2 MiB huge pages {fresh['huge_us_per_mib']:.0f} us per MiB "
          f"({fresh['huge_faults_per_mib']:.2f} faults per MiB)")
head = ("cost of each figure (medians)", "catalogue", "time", "floor", "ratio", "faults minor / major, cpu", "goal",
        "result")
w = [max(len(r[i]) for r in rows + [head]) for i in range(len(head))]
for r in [head] + rows:
    print("  ".join(c.ljust(w[i]) for i, c in enumerate(r)).rstrip())
