"""The automatic displays against astropy and numpy: orvanel-cli's zscale thresholds are those
of astropy's ZScaleInterval() with its defaults, within 0.01, on astropy's own test files that
open and on random images of every pixel type (NaN included), and channel by channel on a
colour cube; the mtf thresholds and balance are those numpy's median and absolute deviation
give."""
import glob
import os
import subprocess
import sys
import tempfile
import warnings

import astropy
import numpy as np
from astropy.io import fits
from astropy.visualization import ZScaleInterval
from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from checks import CLI, check, finish  # noqa: E402

warnings.simplefilter("ignore")
ASTROPY_FILES = os.path.join(os.path.dirname(astropy.__file__), "io", "fits", "tests", "data")


def auto(path, mode):
    """(low, high, balance) of orvanel-cli's automatic display, or None when the file is refused."""
    p = subprocess.run([CLI, "info", path, "--auto", mode], capture_output=True, text=True)
    if p.returncode != 0:
        return None
    info = dict(line.split(": ", 1) for line in p.stdout.splitlines())
    return float(info["low-threshold"]), float(info["high-threshold"]), float(info["midtones-balance"])


def opened_values(path, width, height):
    """The raw values our reader takes: the primary image, or the first image extension after
    an empty primary; its first width x height values in stored order."""
    with fits.open(path, do_not_scale_image_data=True) as f:
        for hdu in f:
            if hdu.is_image and hdu.data is not None and hdu.data.size:
                return np.asarray(hdu.data).reshape(-1)[:width * height]
    return None


def mtf_reference(values):
    f = values[np.isfinite(values)].astype(np.float64)
    m = np.median(f)
    s = 1.4826 * np.median(np.abs(f - m))
    low, high = max(f.min(), m - 2.8 * s), f.max()
    if high == low:
        return low, high, 0.5
    t = (m - low) / (high - low)
    return low, high, (0.25 - 1) * t / ((2 * 0.25 - 1) * t - 0.25)


def compare(name, path, values):
    got = auto(path, "zscale")
    if not check(f"{name}: zscale", got is not None, path):
        return
    want = ZScaleInterval().get_limits(values)
    check(f"{name}: zscale within 0.01 of astropy",
          abs(got[0] - want[0]) <= 0.01 and abs(got[1] - want[1]) <= 0.01, (got, want))
    got, want = auto(path, "mtf"), mtf_reference(values)
    check(f"{name}: mtf as numpy's median and deviation give",
          np.allclose(got, want, rtol=1e-12, atol=1e-9), (got, want))


def main():
    opened = 0
    for path in sorted(glob.glob(os.path.join(ASTROPY_FILES, "*.fits"))):
        p = subprocess.run([CLI, "info", path], capture_output=True, text=True)
        if p.returncode != 0:
            continue  # tables, random groups, 64-bit integers: not images this program opens
        info = dict(line.split(": ", 1) for line in p.stdout.splitlines())
        values = opened_values(path, int(info["width"]), int(info["height"]))
        if check(f"{os.path.basename(path)}: astropy finds the image", values is not None):
            compare(os.path.basename(path), path, values)
            opened += 1
    check("astropy's test files that open", opened >= 5, opened)

    rng = np.random.default_rng(20)
    with tempfile.TemporaryDirectory(prefix="orvanel-auto-peers-") as tmp:
        path = os.path.join(tmp, "random.fit")
        for trial in range(24):
            dtype = (np.int16, np.int32, np.float32, np.float64)[trial % 4]
            shape = (int(rng.integers(1, 300)), int(rng.integers(1, 300)))
            d = rng.normal(rng.uniform(-500, 3000), rng.uniform(0.5, 200), shape)
            stars = rng.integers(0, d.size, int(rng.integers(0, 200)))
            d.flat[stars] += rng.uniform(0, 20000, stars.size)
            if dtype in (np.float32, np.float64):
                d.flat[rng.integers(0, d.size, int(rng.integers(0, d.size // 3 + 1)))] = np.nan
                d = d.astype(dtype)
            else:
                d = np.clip(d, -32768, 32767).astype(dtype)
            fits.PrimaryHDU(d).writeto(path, overwrite=True)
            compare(f"random {np.dtype(dtype).name} {shape}", path, d.reshape(-1))

        # A colour cube: zscale channel by channel, each channel's levels those of its own
        # limits (a level off by one where a value lies within the 0.01 of a level's edge).
        cube = os.path.join(tmp, "sky.fit")
        planes = np.stack([rng.normal(m, s, (40, 50)) for m, s in ((1000, 30), (3000, 60), (200, 10))]).astype(np.float32)
        fits.PrimaryHDU(planes).writeto(cube)
        bmp = os.path.join(tmp, "sky.bmp")
        p = subprocess.run([CLI, "render", cube, "-o", bmp, "--auto", "zscale"], capture_output=True, text=True)
        if check("colour cube: render --auto zscale", p.returncode == 0, p.stderr):
            with Image.open(bmp) as im:
                shown = np.flipud(np.asarray(im.convert("RGB"))).astype(int)
            for c, name in enumerate("RGB"):
                low, high = ZScaleInterval().get_limits(planes[c])
                want = np.clip(np.rint((planes[c].astype(np.float64) - low) * 255 / (high - low)), 0, 255)
                check(f"colour cube: channel {name} shown with its own zscale", np.abs(shown[..., c] - want).max() <= 1,
                      np.abs(shown[..., c] - want).max())
    return finish()


if __name__ == "__main__":
    sys.exit(main())
