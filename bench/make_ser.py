#!/usr/bin/env python3
"""Writes a SER video for the benchmarks: FRAMES frames of WIDTH x HEIGHT 16-bit values (a
drifting pattern, so that frames differ), little-endian, with the trailer of frame times
(10 ms apart).  make_ser.py OUT.ser FRAMES WIDTH HEIGHT"""
import struct
import sys

import numpy as np

TICKS = 638456184000000000  # 2024-03-09 22:00, in 100 ns ticks since 0001-01-01


def main():
    out, frames, width, height = sys.argv[1], *map(int, sys.argv[2:5])
    header = b"LUCAM-RECORDER" + struct.pack("<7i", 0, 0, 0, width, height, 12, frames)
    header += b"bench".ljust(40, b"\0") * 3 + struct.pack("<qq", TICKS, TICKS)
    y, x = np.mgrid[0:height, 0:width]
    base = ((x * 7 + y * 3) % 4096).astype("<u2")
    with open(out, "wb") as f:
        f.write(header)
        for k in range(frames):
            f.write(np.roll(base, k, axis=1).tobytes())
        f.write(struct.pack("<%dq" % frames, *[TICKS + k * 100000 for k in range(frames)]))


if __name__ == "__main__":
    main()
