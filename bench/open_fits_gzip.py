#!/usr/bin/python3
"""Opening a 4096 x 4096 16-bit .fits.gz against zcat of the same file to /dev/null (target:
within 1.3x), as whole commands timed side by side by hyperfine in one run: `orvanel-cli info
FILE` (inflate into the pixel store, render) against `zcat FILE`. The file is the synthetic
star field, compressed by gzip at its default level.
Usage: open_fits_gzip.py [BUILD_DIR]   (default build/release)"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
cli = os.path.join(build, "src", "cli", "orvanel-cli")
maker = os.path.join(build, "data", "orvanel-make-sample")
files = tempfile.mkdtemp(prefix="orvanel-gzip-")
try:
    plain = os.path.join(files, "field.fits")
    subprocess.run([maker, plain, "--width", "4096", "--height", "4096"], check=True)
    subprocess.run(["gzip", "-k", plain], check=True)
    compressed = plain + ".gz"
    report = os.path.join(files, "report.json")
    subprocess.run(["hyperfine", "-N", "--warmup", "3", "--runs", "20", "--export-json", report,
                    "zcat " + compressed, cli + " info " + compressed], capture_output=True, check=True)
    with open(report) as f:
        zcat, opened = (r["median"] * 1000 for r in json.load(f)["results"])
    ratio = opened / zcat
    print("%s: %.1f MB compressed, %.1f MB plain" % (os.path.basename(compressed), os.path.getsize(compressed) / 1e6,
                                                     os.path.getsize(plain) / 1e6))
    print("zcat %6.1f ms   orvanel-cli info %6.1f ms   %.2fx %s" % (zcat, opened, ratio,
                                                                      "OK" if ratio <= 1.3 else "ABOVE TARGET"))
finally:
    shutil.rmtree(files, ignore_errors=True)
sys.exit(0 if ratio <= 1.3 else 1)
