#!/usr/bin/env python3
"""astropy + numpy doing what `orvanel-cli render` does: read a 16-bit FITS image, map the
raw values through the thresholds to 0..255, write the 8-bit bottom-up bitmap.
Usage: render_astropy.py IN.fit OUT.bmp LOW HIGH"""
import struct
import sys

import numpy as np
from astropy.io import fits


def main():
    src, dst, low, high = sys.argv[1], sys.argv[2], float(sys.argv[3]), float(sys.argv[4])
    with fits.open(src, do_not_scale_image_data=True, memmap=False) as f:
        data = f[0].data
    levels = np.rint((data.astype(np.float64) - low) * (255.0 / (high - low)))
    levels = np.clip(levels, 0, 255).astype(np.uint8)
    h, w = levels.shape
    stride = (w + 3) // 4 * 4
    rows = np.zeros((h, stride), dtype=np.uint8)
    rows[:, :w] = levels  # the first stored row is the bottom row of a bottom-up bitmap
    palette = np.repeat(np.arange(256, dtype=np.uint8), 4).reshape(256, 4)
    palette[:, 3] = 0
    size = 1078 + rows.size
    header = b"BM" + struct.pack("<IHHI", size, 0, 0, 1078) + struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, 0, 0, 0, 256, 0)
    with open(dst, "wb") as out:
        out.write(header + palette.tobytes() + rows.tobytes())


if __name__ == "__main__":
    main()
