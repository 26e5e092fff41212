#!/usr/bin/env python3
"""orvanel-cli render and convert with the threshold tools: the automatic presets, the
inversion and typed thresholds, checked by the exact display levels and the thresholds
saved, on small FITS files written here."""
import os
import subprocess
import sys
import tempfile

import numpy as np
from astropy.io import fits

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from checks import CLI, check, finish  # noqa: E402

BITMAP_DATA = 1078  # 14 + 40 header bytes and 256 palette entries


def run(*args):
    p = subprocess.run([CLI, *args], capture_output=True)
    return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")


def write_fits(path, rows, **cards):
    hdu = fits.PrimaryHDU(np.array(rows, dtype=">i2"))
    for key, value in cards.items():
        hdu.header[key.replace("_", "-")] = value
    hdu.writeto(path, overwrite=True)
    return path


def levels(path, *options):
    """The display levels of a 4-pixel-wide image, first stored row first, or the error text."""
    out = path + ".bmp"
    code, _, err = run("render", path, "-o", out, *options)
    if code != 0:
        return err
    return list(open(out, "rb").read()[BITMAP_DATA:])


def thresholds(path, *options):
    """(high, low) saved by convert with the options, as info reads them back, or the error text."""
    out = path + ".out.fit"
    code, _, err = run("convert", path, "-o", out, *options)
    if code != 0:
        return err
    _, info, _ = run("info", out)
    lines = dict(line.split(": ", 1) for line in info.splitlines())
    return lines["high-threshold"], lines["low-threshold"]


def main():
    tmp = tempfile.mkdtemp(prefix="orvanel-cli-tools-")
    # Maximum 100, median 39.56, deviation 29.76: planet 100 / 40, deep sky 99 / 40.
    ramp = write_fits(os.path.join(tmp, "ramp.fit"), [[0, 10, 20, 30], [40, 50, 60, 100]])

    cases = [
        ("planet", ["--preset", "planet"], [0, 0, 0, 0, 0, 42, 85, 255], ("100", "40")),
        ("deep sky", ["--preset", "deepsky"], [0, 0, 0, 0, 0, 43, 86, 255], ("99", "40")),
        ("planet inverted", ["--preset", "planet", "--invert"], [255, 255, 255, 255, 255, 212, 170, 0],
         ("40", "100")),
        ("options in the fixed order", ["--invert", "--preset", "planet"], [255, 255, 255, 255, 255, 212, 170, 0],
         ("40", "100")),
        ("preset after typed thresholds", ["--preset", "deepsky", "--low", "5", "--high", "7"],
         [0, 0, 0, 0, 0, 43, 86, 255], ("99", "40")),
        ("typed then inverted", ["--low", "0", "--high", "60", "--invert"], [255, 212, 170, 128, 85, 42, 0, 0],
         ("0", "60")),
        ("the loaded pair inverted", ["--invert"], [255, 255, 255, 255, 254, 254, 254, 253], ("0", "16383")),
        ("only the outer bound of each edit", ["--low", "-40000", "--high", "99999"],
         [128, 128, 128, 128, 128, 128, 128, 128], ("32767", "-32768")),
        # Display functions: 255 f((v - low) / (high - low)) between the thresholds; the
        # thresholds saved are the same whatever the function.
        ("square root", ["--low", "0", "--high", "100", "--stretch", "sqrt"], [0, 81, 114, 140, 161, 180, 198, 255],
         ("100", "0")),
        ("logarithm inverted", ["--low", "0", "--high", "100", "--stretch", "log", "--invert"],
         [255, 251, 247, 242, 236, 229, 221, 0], ("0", "100")),
        ("asinh", ["--stretch", "asinh", "--low", "0", "--high", "100"], [0, 75, 123, 155, 178, 197, 212, 255],
         ("100", "0")),
        ("linear is the default", ["--low", "0", "--high", "60", "--stretch", "linear"],
         [0, 42, 85, 128, 170, 212, 255, 255], ("60", "0")),
        # Automatic displays. Mtf: median 35, spread 1.4826 x 20, low max(0, 35 - 2.8 x 29.652),
        # high 100, balance (0.25 - 1) 0.35 / ((0.5 - 1) 0.35 - 0.25) = 0.6176...
        ("mtf", ["--auto", "mtf"], [0, 16, 34, 53, 74, 98, 123, 255], ("100", "0")),
        ("mtf inverted", ["--auto", "mtf", "--invert"], [255, 216, 182, 151, 123, 98, 74, 0], ("0", "100")),
        ("zscale, then the display function", ["--auto", "zscale", "--stretch", "sqrt"],
         [0, 81, 114, 140, 161, 180, 198, 255], ("100", "0")),
    ]
    for name, options, expected_levels, expected_thresholds in cases:
        check(f"{name}: levels", levels(ramp, *options) == expected_levels, levels(ramp, *options))
        check(f"{name}: thresholds", thresholds(ramp, *options) == expected_thresholds, thresholds(ramp, *options))

    # A colour cube's presets read its three channels, which share one pair of thresholds: the
    # lowest median (blue's 59.52), the highest maximum, red's median + 2 deviations (1021.05).
    x = np.tile(np.arange(20), (10, 1))
    cube = os.path.join(tmp, "rgb.fit")
    fits.PrimaryHDU(np.stack([1000 + x, 200 + x, 50 + x]).astype(">i2")).writeto(cube)
    for preset, expected in [("planet", ("1019", "60")), ("deepsky", ("1021", "60"))]:
        got = thresholds(cube, "--preset", preset)
        check(f"colour cube, {preset}: thresholds from the channels", got == expected, got)

    # Failures: a typed text that is not a number, a bitmap without statistics, a bad preset.
    code, _, err = run("render", ramp, "-o", os.path.join(tmp, "x.bmp"), "--high", "1,5")
    check("typed text refused", code == 1 and err == "'1,5' n'est pas une valeur entière correcte\n", err)
    bitmap = os.path.join(tmp, "ramp.bmp")
    run("render", ramp, "-o", bitmap)
    code, _, err = run("render", bitmap, "-o", os.path.join(tmp, "y.bmp"), "--preset", "deepsky")
    check("bitmap preset refused", code == 1 and "statistiques" in err and "bitmap" in err, f"{code} {err!r}")
    code, _, err = run("render", bitmap, "-o", os.path.join(tmp, "y.bmp"), "--invert")
    check("bitmap inversion refused", code == 1 and "seuils" in err, f"{code} {err!r}")
    code, _, err = run("render", ramp, "-o", os.path.join(tmp, "z.bmp"), "--preset", "moon")
    check("unknown preset", code == 2 and err != "", f"{code} {err!r}")
    code, _, err = run("render", ramp, "-o", os.path.join(tmp, "z.bmp"), "--stretch", "gamma")
    check("unknown display function", code == 2 and "--stretch" in err, f"{code} {err!r}")
    code, _, err = run("render", bitmap, "-o", os.path.join(tmp, "y.bmp"), "--stretch", "log")
    check("bitmap display function refused", code == 1 and "bitmap" in err, f"{code} {err!r}")
    code, _, err = run("render", bitmap, "-o", os.path.join(tmp, "y.bmp"), "--stretch", "linear")
    check("bitmap shown linearly", code == 0, f"{code} {err!r}")
    code, _, err = run("render", bitmap, "-o", os.path.join(tmp, "y.bmp"), "--auto", "zscale")
    check("bitmap automatic display refused", code == 1 and "bitmap" in err, f"{code} {err!r}")
    for name, options in [("unknown automatic display", ["--auto", "minmax"]),
                          ("automatic display and typed thresholds", ["--auto", "zscale", "--low", "3"]),
                          ("automatic display and preset", ["--auto", "mtf", "--preset", "planet"]),
                          ("mtf and another display function", ["--auto", "mtf", "--stretch", "log"]),
                          ("mtf comes only with its balance", ["--stretch", "mtf"])]:
        code, _, err = run("render", ramp, "-o", os.path.join(tmp, "z.bmp"), *options)
        check(name, code == 2 and err != "", f"{code} {err!r}")

    # The function is a way of looking at the image: no FITS file stores it.
    plain, stretched = os.path.join(tmp, "plain.fit"), os.path.join(tmp, "stretched.fit")
    run("convert", ramp, "-o", plain)
    run("convert", ramp, "-o", stretched, "--stretch", "asinh")
    check("display function not saved", open(plain, "rb").read() == open(stretched, "rb").read())

    code, out, _ = run("render", "--help")
    check("render help", code == 0 and "--preset planet|deepsky" in out, out)
    return finish()


if __name__ == "__main__":
    sys.exit(main())
