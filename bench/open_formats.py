#!/usr/bin/python3
"""Opening a 4096 x 4096 PIC or CPA file (plain or compressed rows) against reading it
(target: within 2x), measured two ways:
- in one process (bench_open_formats): OpenImage (read, decode, render) against
  ReadWholeFile, the file in the page cache and the heap warm;
- as whole commands (hyperfine): `orvanel-cli info FILE` against baseline_read_file, a C
  program that reads the file and looks at every byte.
Usage: open_formats.py [BUILD_DIR]   (default build/release)"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
exe = os.path.join(build, "bench", "bench_open_formats")
files = tempfile.mkdtemp(prefix="orvanel-open-")
out = subprocess.run([exe, "--benchmark_format=json", "--benchmark_repetitions=5",
                      "--benchmark_report_aggregates_only=true"], capture_output=True, text=True, check=True,
                     env={**os.environ, "ORVANEL_BENCH_FILES": files})
times = {}
for b in json.loads(out.stdout)["benchmarks"]:
    if b.get("aggregate_name") == "median":
        kind, name = b["run_name"].split("/")[:2]
        times[(kind, name)] = b["real_time"]
ok = True
print("in one process:")
for name in ("pic_plain", "pic_compressed", "cpa_plain", "cpa_compressed"):
    read, opened = times[("ReadFile", name)], times[("Open", name)]
    ratio = opened / read
    ok &= ratio <= 2
    print("%-15s read %6.1f ms   open %6.1f ms   %.2fx %s" % (name, read, opened, ratio,
                                                              "OK" if ratio <= 2 else "ABOVE TARGET"))

cli = os.path.join(build, "src", "cli", "orvanel-cli")
baseline = os.path.join(build, "bench", "baseline_read_file")
if shutil.which("hyperfine") and os.path.exists(cli) and os.path.exists(baseline):
    print("whole commands:")
    for name in ("plain.pic", "compressed.pic", "plain.cpa", "compressed.cpa"):
        path = os.path.join(files, name)
        report = os.path.join(files, "report.json")
        subprocess.run(["hyperfine", "-N", "--warmup", "3", "--runs", "15", "--export-json", report,
                        baseline + " " + path, cli + " info " + path], capture_output=True, check=True)
        with open(report) as f:
            read, opened = (r["median"] * 1000 for r in json.load(f)["results"])
        ratio = opened / read
        ok &= ratio <= 2
        print("%-15s read %6.1f ms   open %6.1f ms   %.2fx %s" % (name, read, opened, ratio,
                                                                  "OK" if ratio <= 2 else "ABOVE TARGET"))
shutil.rmtree(files, ignore_errors=True)
sys.exit(0 if ok else 1)
