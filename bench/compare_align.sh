#!/usr/bin/env bash
# What alignment costs, in one run:
#  - orvanel-cli animate of 50 drifting frames of 512 x 512 (orvanel-make-sample --drift), as
#    they are, aligned on their stars and aligned on their sky coordinates: alignment adds at
#    most 25 %. The three commands take turns, run after run, so that a shared machine's load
#    weighs on each alike; the medians of the wall and CPU (user + system) times are shown;
#  - bench_align: the stars of one 4096 x 4096 frame found and matched (target: at most 100 ms).
# The machine may be shared: look at `uptime` first.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target orvanel-cli orvanel-make-sample bench_align >/dev/null
cli=build/release/src/cli/orvanel-cli
work=${TMPDIR:-/tmp}/orvanel-bench-align
[ -f "$work/drift/drift50.fit" ] ||
  build/release/data/orvanel-make-sample --drift "$work/drift" --width 512 --height 512 --frames 50 >/dev/null
echo "load: $(uptime)"

/usr/bin/python3 - "$cli" "$work" "${RUNS:-30}" <<'PY'
import glob, os, resource, statistics, subprocess, sys, time
cli, work, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
frames = sorted(glob.glob(os.path.join(work, "drift", "drift*.fit")))
commands = {"plain": [], "stars": ["--align", "stars"], "wcs": ["--align", "wcs"]}
wall = {name: [] for name in commands}
cpu = {name: [] for name in commands}
for run in range(runs + 2):  # the first two warm the caches
    for name, options in commands.items():
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run([cli, "animate", *frames, "-o", os.path.join(work, name + ".gif"), *options], check=True)
        elapsed = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        if run >= 2:
            wall[name].append(elapsed * 1000)
            cpu[name].append((after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime) * 1000)
print(f"50 x 512^2 FITS, {runs} runs each in turn, median wall time (CPU time):")
w0, c0 = statistics.median(wall["plain"]), statistics.median(cpu["plain"])
for name in commands:
    w, c = statistics.median(wall[name]), statistics.median(cpu[name])
    extra = "" if name == "plain" else f"  +{(w / w0 - 1) * 100:.0f} % wall, +{(c / c0 - 1) * 100:.0f} % CPU (target <= 25 %)"
    print(f"  {name:6} {w:6.0f} ms ({c:.0f} ms){extra}")
PY
build/release/bench/bench_align --benchmark_filter='/4096'
