#!/usr/bin/env python3
"""orvanel-cli series: the header and one tab-separated line per frame (per plane of a cube),
the figures against numpy's, the outlier marks (a cloudy frame, bad input marked instead of
failing), refused files left out, the same table whatever the number of threads."""
import os
import shutil
import subprocess
import sys
import tempfile

import numpy as np
from astropy.io import fits

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from checks import CLI, check, finish  # noqa: E402


def run(*args):
    p = subprocess.run([CLI, *args], capture_output=True)
    return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")


def table(*args):
    code, out, err = run("series", *args)
    lines = out.splitlines()
    return code, lines[:1], [line.split("\t") for line in lines[1:]], err


def main():
    d = tempfile.mkdtemp(prefix="orvanel-cli-series-")
    try:
        rng = np.random.default_rng(8)
        frames = []

        def add(name, data, **cards):
            hdu = fits.PrimaryHDU(data)
            for key, value in cards.items():
                hdu.header[key] = value
            frames.append(os.path.join(d, name))
            hdu.writeto(frames[-1])
            return data

        clear = []
        for k in range(5):
            sky = rng.normal(1000, 20, (60, 80))
            for y, x in [(y, x) for y in range(5, 60, 12) for x in range(5, 80, 10)]:  # 40 peaks
                sky[y - 1:y + 2, x - 1:x + 2] += 300
                sky[y, x] += 3000
            clear.append(add(f"clear{k}.fit", sky.astype(np.int16), TIME_BEG=f"21:0{k}:00"))
        add("cloud.fit", rng.normal(2600, 20, (60, 80)).astype(np.int16))
        add("flat.fit", np.full((60, 80), 7, np.int16))
        add("nan.fit", np.full((60, 80), np.nan, np.float32))
        unsigned = add("unsigned.fit", (clear[0].astype(np.int32) - 32768).astype(np.int16), BZERO=32768)
        code, header, rows, err = table(*frames)
        check("exit 0", code == 0 and err == "", (code, err))
        check("header", header == ["file\ttime\tmedian\tspread\tstars\tmark"], header)
        check("one line per frame, in order", [r[0] for r in rows] == frames, rows)
        check("six columns", all(len(r) == 6 for r in rows), rows)
        data = clear[0].astype(np.float64)
        m = np.median(data)
        s = 1.4826 * np.median(np.abs(data - m))
        check("time", rows[0][1] == "21:00:00" and rows[5][1] == "-", rows)
        check("median and spread as numpy's", float(rows[0][2]) == m and abs(float(rows[0][3]) - s) < 1e-9,
              (rows[0], m, s))
        check("stars: the 40 peaks", rows[0][4] == "40", rows[0])
        check("BZERO applied", rows[-1][2:5] == rows[0][2:5], (rows[-1], rows[0]))
        marks = [r[5] for r in rows]
        check("marks", marks == ["-"] * 5 + ["sky,stars", "flat", "no-values", "-"], marks)
        cube = os.path.join(d, "cube.fit")
        fits.PrimaryHDU(np.stack(clear[:4])).writeto(cube)
        code, _, planes, err = table(cube)
        check("a cube: one line per plane with that plane's figures",
              code == 0 and [r[0] for r in planes] == [f"{cube} (image {k})" for k in range(1, 5)] and
              [r[2:5] for r in planes] == [r[2:5] for r in rows[:4]], (planes, err))

        code, _, rows1, _ = table(*frames, "--jobs", "1")
        check("the same table on one thread", rows1 == rows)
        code, _, rows3, _ = table(*frames, "--factor", "3")
        check("a larger factor: the cloud's sky stays in", rows3[5][5] == "stars", rows3[5])

        missing = os.path.join(d, "missing.fit")
        code, _, rows, err = table(frames[0], missing)
        check("refused: reported and left out", code == 0 and "missing.fit" in err and len(rows) == 1, (code, err))
        code, _, _, err = table(missing)
        check("nothing left: exit 1", code == 1, (code, err))
        for name, args in [("no file", []), ("factor 1", [frames[0], "--factor", "1"]),
                           ("factor text", [frames[0], "--factor", "two"])]:
            code, _, _, err = table(*args)
            check("usage, " + name, code == 2 and err != "", (code, err))
        code, out, _ = run("series", "--help")
        check("help", code == 0 and "--factor" in out and "1.4826" in out, out)
    finally:
        shutil.rmtree(d, ignore_errors=True)
    return finish()


if __name__ == "__main__":
    sys.exit(main())
