"""The zscale thresholds the core tests hold as numbers (tests/core/image/test_auto_display.cpp),
from astropy's ZScaleInterval() with its defaults. The three data sets are made by the same
integer recipe in the test: run this with Debian's python3 and copy its lines there.
    /usr/bin/python3 tests/peers/zscale_reference.py"""
import numpy as np
from astropy.visualization import ZScaleInterval


def lcg(seed):
    """The values of x -> (1103515245 x + 12345) mod 2^31, from the seed."""
    while True:
        seed = (1103515245 * seed + 12345) % 2**31
        yield seed


def noise(seed, count):
    """Sums of four draws of 0..999: a rough bell around 1998."""
    g = lcg(seed)
    return [sum(next(g) % 1000 for _ in range(4)) for _ in range(count)]


def sky16():
    """200 x 150 16-bit values: sky noise on a gradient, a star every 97th value."""
    v = noise(1, 200 * 150)
    return np.array([n // 4 + 1000 + k // 600 + (20000 if k % 97 == 0 else 0) for k, n in enumerate(v)],
                    dtype=np.int16)


def reals_with_nan():
    """123 x 77 32-bit reals in tenths, every 7th not a number, a strong gradient."""
    v = noise(2, 123 * 77)
    d = np.array([n / 10 + k * 0.05 for k, n in enumerate(v)], dtype=np.float32)
    d[::7] = np.nan
    return d


def saturated32():
    """20 x 25 32-bit values, fewer than a thousand: a third at the same high value."""
    v = noise(3, 500)
    return np.array([70000 if k % 3 == 0 else n * 3 - 100 for k, n in enumerate(v)], dtype=np.int32)


for name, data in (("sky16", sky16()), ("reals_with_nan", reals_with_nan()), ("saturated32", saturated32())):
    low, high = ZScaleInterval().get_limits(data)
    print(f"{name}: {float(low)!r} {float(high)!r}")
