#!/usr/bin/env python3
"""Start to brand screen: the program and the yardstick window started alike, timed from
just before each is started to its first painted exposure, with the bytes each had read
by then (rchar of /proc/PID/io, reported by the process itself at that moment).

  bench/startup_figure.py BUILD CATALOGUE OUT.json [RUNS]

BUILD is a build folder holding app/dazozizizavuv and bench/first-window's yardstick;
the program runs on a scratch program folder with CATALOGUE as db/vc_korva.mdb and a
cache made warm by a first start. Both run on the offscreen platform, alternately, after
one start each that is not counted. OUT.json gets the samples and their medians."""
import json, os, selectors, shutil, signal, statistics, subprocess, sys, tempfile, time


def first_shown(argv, env, linger_s=0, limit_s=60):
    """(ms from start to the first painted exposure, bytes read by then), or None. The
    process is killed once it has reported, or `linger_s` seconds later."""
    start = time.time_ns()
    p = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE)
    found, text = None, b""
    sel = selectors.DefaultSelector()
    sel.register(p.stderr, selectors.EVENT_READ)
    deadline = time.monotonic() + limit_s
    while found is None and time.monotonic() < deadline:
        if not sel.select(timeout=deadline - time.monotonic()):
            break
        chunk = os.read(p.stderr.fileno(), 65536)
        if not chunk:
            break
        text += chunk
        for line in text.split(b"\n")[:-1]:
            if line.startswith(b"shown "):
                _, ns, rchar = line.split()
                found = ((int(ns) - start) / 1e6, int(rchar))
                break
    if found is not None and linger_s:
        time.sleep(linger_s)
    p.send_signal(signal.SIGKILL)
    p.wait()
    p.stderr.close()
    return found


def main():
    build, catalogue, out = sys.argv[1], os.path.realpath(sys.argv[2]), sys.argv[3]
    runs = int(sys.argv[4]) if len(sys.argv) > 4 else 15
    app = os.path.join(build, "app")
    yardstick = os.path.join(build, "bench", "bench-first-window")
    with tempfile.TemporaryDirectory() as scratch:
        program = os.path.join(scratch, "program")
        os.makedirs(os.path.join(program, "db"))
        # The program folder is the executable's own: the program is copied, its copy
        # helper and pictures are reached through links.
        shutil.copy2(os.path.join(app, "dazozizizavuv"), program)
        os.symlink(os.path.join(app, "catalogue-copy"), os.path.join(program, "catalogue-copy"))
        for sub in ("img", "foto"):
            os.symlink(os.path.join(app, sub), os.path.join(program, sub))
        os.symlink(catalogue, os.path.join(program, "db", "vc_korva.mdb"))
        os.symlink(os.path.join(os.path.dirname(catalogue), "system.mdw"), os.path.join(program, "db", "system.mdw"))
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", CATALOG_REPORT_SHOWN="1",
                   CATALOG_CACHE_DIR=os.path.join(scratch, "cache"))
        ours_argv = [os.path.join(program, "dazozizizavuv")]
        yard_argv = [yardstick, os.path.join(app, "img", "intro.jpg")]
        # The first start copies the catalogue and keeps it for what's new: given time to.
        first_shown(ours_argv, env, linger_s=15)
        first_shown(ours_argv, env)
        first_shown(yard_argv, env)
        samples = {"program": [], "yardstick": []}
        for _ in range(runs):
            for name, argv in (("program", ours_argv), ("yardstick", yard_argv)):
                got = first_shown(argv, env)
                if got is not None:
                    samples[name].append(got)
    result = {}
    for name, got in samples.items():
        if got:
            ms = [g[0] for g in got]
            result[name] = {"median_ms": statistics.median(ms), "min_ms": min(ms), "max_ms": max(ms),
                            "read_bytes": statistics.median(g[1] for g in got), "samples": got}
    with open(out, "w") as f:
        json.dump(result, f)


if __name__ == "__main__":
    main()
