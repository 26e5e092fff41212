"""Alignment on the sky coordinates against astropy: the move orvanel finds for each frame is
the first frame's centre less astropy's WCS.all_world2pix of its sky position in that frame,
rounded half to even, on headers whose reference pixel is shifted (by whole pixels and by
fractions), turned a little, near the pole, across right ascension 0 and with SIP distortion."""
import os
import subprocess
import sys
import tempfile
import warnings

import numpy as np
from astropy.io import fits
from astropy.wcs import WCS

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from checks import check, finish  # noqa: E402

BUILD = os.environ.get("ORVANEL_BUILD", "")
TOOL = os.path.join(BUILD, "tests/orvanel_align_tool")
WIDTH, HEIGHT = 300, 200
warnings.simplefilter("ignore")


def header(crval, crpix, degrees, scale=1.5 / 3600, sip=False):
    h = fits.Header()
    h["CTYPE1"], h["CTYPE2"] = ("RA---TAN-SIP", "DEC--TAN-SIP") if sip else ("RA---TAN", "DEC--TAN")
    h["CRVAL1"], h["CRVAL2"] = crval
    h["CRPIX1"], h["CRPIX2"] = crpix
    t = np.radians(degrees)
    h["CD1_1"], h["CD1_2"] = -scale * np.cos(t), scale * np.sin(t)
    h["CD2_1"], h["CD2_2"] = scale * np.sin(t), scale * np.cos(t)
    if sip:
        h["A_ORDER"], h["B_ORDER"] = 2, 2
        h["A_2_0"], h["A_0_2"], h["B_1_1"] = 2e-5, -1e-5, 1.5e-5
    return h


def expected(reference, frame):
    """astropy's move: the reference's centre less its sky position found in the frame."""
    cx, cy = (WIDTH + 1) / 2, (HEIGHT + 1) / 2
    sky = WCS(reference).all_pix2world([[cx, cy]], 1)
    x, y = WCS(frame).all_world2pix(sky, 1, tolerance=1e-10, maxiter=100)[0]
    return int(np.round(cx - x)), int(np.round(cy - y))


def main():
    d = tempfile.mkdtemp(prefix="orvanel-align-peers-")
    c = (150.5, 100.5)
    series = [
        # name, the reference's header, the frames' headers
        ("shifted by whole pixels", header((83.63, 22.01), c, 0),
         [header((83.63, 22.01), (c[0] + 12, c[1] - 7), 0), header((83.63, 22.01), (c[0] - 40, c[1] + 25), 0)]),
        ("shifted by fractions", header((83.63, 22.01), c, 0),
         [header((83.63, 22.01), (c[0] + 3.3, c[1] - 8.8), 0), header((83.63, 22.01), (c[0] - 0.2, c[1] + 0.7), 0)]),
        ("a small rotation", header((83.63, 22.01), c, 0.3),
         [header((83.63, 22.01), (c[0] + 5.4, c[1] + 2.2), 0.8), header((83.63, 22.01), (c[0] - 9.1, c[1]), -0.5)]),
        ("another pointing", header((83.63, 22.01), c, 0),
         [header((83.64, 22.005), c, 0.2), header((83.62, 22.02), (c[0] + 7, c[1] - 3), -0.3)]),
        ("across right ascension 0", header((359.99, 5.0), c, 0.1),
         [header((0.005, 5.001), c, 0.4), header((359.98, 4.999), (c[0] + 2.5, c[1] - 1.5), -0.2)]),
        ("near the pole", header((40.0, 89.95), c, 0),
         [header((43.0, 89.951), c, 0.5), header((10.0, 89.949), (c[0] - 6.6, c[1] + 4.4), -0.4)]),
        ("SIP distortion", header((83.63, 22.01), c, 0.2, sip=True),
         [header((83.635, 22.012), (c[0] + 11.2, c[1] - 4.3), 0.5, sip=True)]),
    ]
    try:
        for name, reference, frames in series:
            paths = []
            for k, h in enumerate([reference] + frames):
                paths.append(os.path.join(d, f"{name.replace(' ', '_')}{k}.fit"))
                fits.PrimaryHDU(np.zeros((HEIGHT, WIDTH), dtype=np.int16), header=h).writeto(paths[-1], overwrite=True)
            p = subprocess.run([TOOL, "wcs", *paths], capture_output=True, text=True)
            ours = [tuple(int(v) for v in line.split()) for line in p.stdout.splitlines() if not line.startswith("- ")]
            want = [(0, 0)] + [expected(reference, h) for h in frames]
            check(f"{name}: the moves astropy gives", p.returncode == 0 and ours == want, (ours, want, p.stdout))
        check("the frames truly differ", expected(series[2][1], series[2][2][0]) != (0, 0))
    finally:
        for f in os.listdir(d):
            os.remove(os.path.join(d, f))
        os.rmdir(d)
    return finish()


if __name__ == "__main__":
    sys.exit(main())
