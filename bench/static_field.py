#!/usr/bin/python3
"""A still star field as a camera takes it again and again: N frames of W x W 16-bit FITS, the
same sky and stars in each, photon and read noise drawn anew for every frame, so that only
the noise changes. The frames optimised animations are measured on.
Usage: static_field.py FOLDER [N] [W]"""
import os
import sys

import numpy as np
from astropy.io import fits

folder = sys.argv[1]
count = int(sys.argv[2]) if len(sys.argv) > 2 else 50
side = int(sys.argv[3]) if len(sys.argv) > 3 else 512
os.makedirs(folder, exist_ok=True)
rng = np.random.default_rng(22)
y, x = np.mgrid[0:side, 0:side]
sky = 1000.0 + 0.2 * y
for _ in range(side * side // 2500):
    cx, cy = rng.uniform(0, side, 2)
    peak, sigma = 30 + 20000 * rng.uniform(0, 1) ** 4, rng.uniform(1.0, 2.2)
    sky += peak * np.exp(-((x - cx) ** 2 + (y - cy) ** 2) / (2 * sigma * sigma))
for k in range(count):
    noisy = rng.poisson(sky) + rng.normal(0, 5, sky.shape)
    hdu = fits.PrimaryHDU(np.clip(np.rint(noisy), 0, 32767).astype(np.int16))
    hdu.header["DATE-OBS"] = "2024-03-09"
    hdu.header["TIME_BEG"] = "22:%02d:%02d" % (10 + k // 60, k % 60)
    hdu.writeto(os.path.join(folder, "still%03d.fit" % (k + 1)), overwrite=True)
