#!/usr/bin/env bash
# Times `orvanel-cli render` of a 4096 x 4096 16-bit FITS file to BMP, as a whole process,
# against the minimal C renderer (baseline_render) and against astropy + numpy doing the same,
# then prints the ratios next to their targets (within 1.5x of C, at least 4x faster than
# astropy). All three must write the same bitmap.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release --target orvanel-cli orvanel-make-sample baseline_render bench_render >/dev/null
work=${TMPDIR:-/tmp}/orvanel-bench
mkdir -p "$work"
image=$work/field4096.fit
[ -f "$image" ] || build/release/data/orvanel-make-sample "$image" --width 4096 --height 4096
low=950
high=1600
cli="build/release/src/cli/orvanel-cli render $image -o $work/orvanel.bmp --low $low --high $high"
base="build/release/bench/baseline_render $image $work/baseline.bmp $low $high"
astropy="/usr/bin/python3 bench/render_astropy.py $image $work/astropy.bmp $low $high"
$cli && $base && $astropy
cmp "$work/orvanel.bmp" "$work/baseline.bmp"
cmp "$work/orvanel.bmp" "$work/astropy.bmp"

hyperfine -N --warmup 3 --runs "${RUNS:-20}" --export-json "$work/render.json" \
  -n orvanel "$cli" -n baseline-c "$base" -n astropy "$astropy"

/usr/bin/python3 - "$work/render.json" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
# Medians: the machine may be shared, and a few slow runs should not decide.
o, c, a = (r[k]["median"] * 1000 for k in ("orvanel", "baseline-c", "astropy"))
print(f"medians: orvanel {o:.1f} ms, C baseline {c:.1f} ms, astropy {a:.1f} ms")
print(f"orvanel / C = {o / c:.2f} (target <= 1.5)   astropy / orvanel = {a / o:.2f} (target >= 4)")
PY

echo "-- re-render after a threshold change against a copy of the 16 MB bitmap"
build/release/bench/bench_render --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$work/render_bench.json" --benchmark_out_format=json | grep -E '_median'
/usr/bin/python3 - "$work/render_bench.json" <<'PY'
import json, sys
b = {x["name"]: x for x in json.load(open(sys.argv[1]))["benchmarks"]}
render = b["BM_RenderAfterThresholdChange_median"]["cpu_time"]
copy = b["BM_CopyDisplayBitmap_median"]["cpu_time"]
print(f"render / memcpy = {render / copy:.2f} (target <= 3)")
PY
