#!/usr/bin/python3
"""Runs bench_open_formats and prints, for each 4096 x 4096 PIC and CPA file, the time to
open it (read, decode, render) against the time to just read it (target: within 2x).
Usage: open_formats.py [BUILD_DIR]   (default build/release)"""
import json
import os
import subprocess
import sys

build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
exe = os.path.join(build, "bench", "bench_open_formats")
out = subprocess.run([exe, "--benchmark_format=json", "--benchmark_repetitions=5",
                      "--benchmark_report_aggregates_only=true"], capture_output=True, text=True, check=True)
times = {}
for b in json.loads(out.stdout)["benchmarks"]:
    if b.get("aggregate_name") == "median":
        kind, name = b["run_name"].split("/")[:2]
        times[(kind, name)] = b["real_time"]
ok = True
for name in ("pic_plain", "pic_compressed", "cpa_plain", "cpa_compressed"):
    read, opened = times[("ReadFile", name)], times[("Open", name)]
    ratio = opened / read
    ok &= ratio <= 2
    print("%-15s read %6.1f ms   open %6.1f ms   %.2fx %s" % (name, read, opened, ratio,
                                                              "OK" if ratio <= 2 else "ABOVE TARGET"))
sys.exit(0 if ok else 1)
