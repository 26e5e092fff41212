#!/usr/bin/env bash
# What alignment costs, in one run:
#  - orvanel-cli animate of 50 drifting frames of 512 x 512 (orvanel-make-sample --drift), as
#    they are, aligned on their stars and aligned on their sky coordinates: alignment adds at
#    most 25 % (wall time; the CPU time is shown too, being steadier on a shared machine);
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

frames=$(ls "$work"/drift/drift*.fit | tr '\n' ' ')
hyperfine -N --warmup 2 --runs "${RUNS:-20}" --export-json "$work/align.json" \
  -n plain "$cli animate $frames -o $work/plain.gif" \
  -n stars "$cli animate $frames -o $work/stars.gif --align stars" \
  -n wcs "$cli animate $frames -o $work/wcs.gif --align wcs" >/dev/null

/usr/bin/python3 - "$work/align.json" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
plain = r["plain"]
print("50 x 512^2 FITS, median wall time (user + system CPU):")
for name in ("plain", "stars", "wcs"):
    x = r[name]
    cpu = (x["user"] + x["system"]) * 1000
    extra = ""
    if name != "plain":
        extra = (f"  +{(x['median'] / plain['median'] - 1) * 100:.0f} % wall,"
                 f" +{((x['user'] + x['system']) / (plain['user'] + plain['system']) - 1) * 100:.0f} % CPU"
                 " (target <= 25 %)")
    print(f"  {name:6} {x['median'] * 1000:6.0f} ms ({cpu:.0f} ms){extra}")
PY
build/release/bench/bench_align --benchmark_filter='/4096'
