#!/usr/bin/python3
"""Writes FITS files with astropy, one per BITPIX (8, 16, 32, -32, -64), with and without the
BSCALE and BZERO astropy writes for unsigned and scaled data, and beside each NAME.fit the
levels an image window must show for it, NAME.levels: one byte per pixel, top row first.

The levels come from the display rule alone, on the values as stored (BSCALE and BZERO are
for the readout): with the thresholds THRESL and THRESH (0 and 16383 when the file has none),
a value at or below the low one is 0, at or above the high one 255, and between them
255 (v - low) / (high - low) rounded half to even; when THRESH is below THRESL (a negative),
at or below THRESH is 255, at or above THRESL is 0. A value that is not a number is 0 (255 in
a negative). Usage: astropy_levels.py FOLDER"""
import os
import sys
import warnings

import numpy as np
from astropy.io import fits

warnings.simplefilter("ignore")


def levels(values, low, high):
    v = values.astype(np.longdouble)
    with np.errstate(invalid="ignore"):
        between = np.nan_to_num(np.rint((v - low) * 255 / (high - low)))
        if high >= low:
            out = np.where(~(v > low), 0, np.where(v >= high, 255, between))
        else:
            out = np.where(~(v > high), 255, np.where(v >= low, 0, between))
    return out.astype(np.uint8)


def files(rng):
    """name -> (HDU, thresholds (high, low) or None)."""
    h, w = 23, 37
    real32 = rng.uniform(0, 15, (h, w)).astype(np.float32)
    real32[0, :5] = [np.nan, np.inf, -np.inf, 12, 7.5]
    scaled = fits.PrimaryHDU(rng.uniform(-100, 9000, (h, w)))
    scaled.scale("int16", bscale=0.5, bzero=1000.0)
    unsigned32 = (rng.integers(-100000, 100000, (h, w)) + 2**31).astype(np.uint32)
    return {
        "bitpix8": (fits.PrimaryHDU(rng.integers(0, 256, (h, w), dtype=np.uint8)), (200, 20)),
        "bitpix8_bzero": (fits.PrimaryHDU(rng.integers(-128, 128, (h, w), dtype=np.int8)), (250, 10)),
        "bitpix16": (fits.PrimaryHDU(rng.integers(-2000, 20000, (h, w), dtype=np.int16)), None),
        "bitpix16_bzero": (fits.PrimaryHDU(rng.integers(31000, 34500, (h, w), dtype=np.uint16)), (1000, -1000)),
        "bitpix16_bscale": (scaled, None),
        "bitpix32": (fits.PrimaryHDU(rng.integers(-100000, 100000, (h, w), dtype=np.int32)), (50000, -30000)),
        "bitpix32_bzero": (fits.PrimaryHDU(unsigned32), (40000, -20000)),
        "bitpix-32": (fits.PrimaryHDU(real32), (12, 3)),
        "bitpix-32_negative": (fits.PrimaryHDU(real32), (3, 12)),
        "bitpix-64": (fits.PrimaryHDU(rng.uniform(-100, 20000, (h, w))), None),
    }


def main():
    folder = sys.argv[1]
    for name, (hdu, thresholds) in files(np.random.default_rng(13)).items():
        if thresholds:
            hdu.header["THRESH"], hdu.header["THRESL"] = thresholds
        path = os.path.join(folder, name + ".fit")
        hdu.writeto(path, overwrite=True)
        with fits.open(path, do_not_scale_image_data=True) as f:
            stored, header = f[0].data, f[0].header
            shown = levels(stored, header.get("THRESL", 0), header.get("THRESH", 16383))
        with open(os.path.join(folder, name + ".levels"), "wb") as out:
            out.write(shown[::-1].tobytes())  # the first stored row is the bottom one


if __name__ == "__main__":
    main()
