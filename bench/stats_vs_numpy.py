#!/usr/bin/python3
"""ComputeStatistics against numpy on the same 4096 x 4096 16-bit image, in one run:
numpy computes min, max, mean, std and median; bench_statistics computes the five figures
of the statistics window. Prints both times and the ratio (target: at least 3x).
Usage: stats_vs_numpy.py [BUILD_DIR]   (default build/release)"""
import json
import os
import subprocess
import sys
import tempfile
import time

import numpy as np

build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
exe = os.path.join(build, "bench", "bench_statistics")

rng = np.random.default_rng(1)
image = rng.normal(1200, 40, (4096, 4096))
for _ in range(3000):
    y, x = rng.integers(3, 4093, 2)
    image[y - 3:y + 4, x - 3:x + 4] += rng.integers(0, 30000) / (1 + np.add.outer(np.arange(-3, 4) ** 2,
                                                                                   np.arange(-3, 4) ** 2))
image = np.clip(image, -32768, 32767).astype("<i2")

with tempfile.NamedTemporaryFile(suffix=".raw", delete=False) as f:
    image.tofile(f)
    raw = f.name
try:
    times = []
    for _ in range(7):
        t0 = time.perf_counter()
        figures = (image.min(), image.max(), image.mean(), image.std(), np.median(image))
        times.append(time.perf_counter() - t0)
    numpy_ms = min(times) * 1000

    out = subprocess.run([exe, "--benchmark_filter=int16", "--benchmark_format=json",
                          "--benchmark_repetitions=5", "--benchmark_report_aggregates_only=true"],
                         env={**os.environ, "ORVANEL_STATS_DATA": raw}, capture_output=True, text=True, check=True)
    runs = json.loads(out.stdout)["benchmarks"]
    ours = next(b for b in runs if b.get("aggregate_name") == "median")
    ours_ms = ours["real_time"]
finally:
    os.unlink(raw)

print("numpy min/max/mean/std/median: %.1f ms  (%s)" % (numpy_ms, ", ".join("%.6g" % v for v in figures)))
print("ComputeStatistics:             %.1f ms  (%s)" % (
    ours_ms, ", ".join("%.6g" % ours[k] for k in ("min", "max", "mean", "std", "median"))))
ratio = numpy_ms / ours_ms
print("ratio: %.1fx faster than numpy (target 3x) %s" % (ratio, "OK" if ratio >= 3 else "BELOW TARGET"))
sys.exit(0 if ratio >= 3 else 1)
