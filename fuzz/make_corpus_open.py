#!/usr/bin/env python3
"""Writes the seeds of fuzz_open into the folder given (default fuzz/corpus/open-seeds): every
other corpus, the FITS files of astropy's own tests (Debian's python3-astropy) and a few small
tile-compressed files, each behind the byte that makes fuzz_open name it as its kind. The
corpus kept in fuzz/corpus/open is these seeds and what exploring found, minimised so that
every edge is kept, into a folder that holds the named inputs already:
    build/fuzz/fuzz/fuzz_open -merge=1 -use_counters=0 NEW fuzz/corpus/open SEEDS FOUND"""
import glob
import os
import sys

import numpy as np
from astropy.io import fits

HERE = os.path.dirname(os.path.abspath(__file__))
ASTROPY = "/usr/lib/python3/dist-packages/astropy/io/fits/tests/data"
# The first byte, as fuzz_open reads it: f.fit, f.fit.gz, f.fits.fz, f.pic, f.cpa, f.bmp, f.gif,
# (f.FTS), f.ser, f.xisf.
KIND = {"fits": 0, "fits_gzip": 1, "fz": 2, "pic": 3, "cpa": 4, "bmp": 5, "gif": 6, "ser": 8, "xisf": 9}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "corpus", "open-seeds")
    os.makedirs(out, exist_ok=True)

    def put(kind, name, data):
        with open(os.path.join(out, f"{kind}-{name}"), "wb") as f:
            f.write(bytes([KIND[kind]]) + data)

    for corpus in ("fits", "fits_gzip", "pic", "cpa", "bmp", "gif", "ser", "xisf"):
        for path in sorted(glob.glob(os.path.join(HERE, "corpus", corpus, "*"))):
            put(corpus, os.path.basename(path), open(path, "rb").read())
    for path in sorted(glob.glob(os.path.join(ASTROPY, "*.fits"))):
        data = open(path, "rb").read()
        put("fz" if "comp" in os.path.basename(path) else "fits", os.path.basename(path), data)
    # Small images in every tile compression CFITSIO reads, with a sky coordinate system.
    header = fits.Header({"CTYPE1": "RA---TAN", "CTYPE2": "DEC--TAN", "CRVAL1": 83.6, "CRVAL2": 22.0,
                          "CRPIX1": 4.5, "CRPIX2": 3.5, "CDELT1": -4e-4, "CDELT2": 4e-4})
    for kind in ("RICE_1", "GZIP_1", "GZIP_2", "HCOMPRESS_1", "PLIO_1"):
        data = (np.arange(48, dtype=np.int16).reshape(6, 8) * 7) % 300
        path = os.path.join(out, "tmp.fits")
        fits.HDUList([fits.PrimaryHDU(),
                      fits.CompImageHDU(data, header=header, compression_type=kind)]).writeto(path, overwrite=True)
        put("fz", kind.lower() + ".fits", open(path, "rb").read())
        os.remove(path)


if __name__ == "__main__":
    main()
