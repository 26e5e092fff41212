"""FITS files against other readers and writers: what orvanel-cli writes passes fitsverify,
reads back in astropy and in CFITSIO with the same values; what astropy writes (every BITPIX,
scaled data, a header of exactly 36 cards, extensions after the image) opens and converts
with its data bit-identical. The files astronomers have today (.fits in any case, gzip,
fpack's tile compression, an image in an extension) read as the plain file does, and the
sky coordinates agree with astropy's."""
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile
import warnings

import numpy as np
from astropy.io import fits
from astropy.wcs import WCS

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from checks import CLI, check, finish  # noqa: E402

BUILD = os.environ.get("ORVANEL_BUILD", "")
warnings.simplefilter("ignore")




def run(*args):
    p = subprocess.run([CLI, *args], capture_output=True)
    return p.returncode, p.stdout.decode(), p.stderr.decode()


def fitsverify(path):
    """(warnings, errors) as fitsverify counts them, or None when it could not tell."""
    p = subprocess.run(["fitsverify", path], capture_output=True, text=True)
    m = re.search(r"Verification found (\d+) warning\(s\) and (\d+) error\(s\)", p.stdout)
    return (int(m.group(1)), int(m.group(2))) if m else None


def raw(path, index=0):
    with fits.open(path, do_not_scale_image_data=True) as f:
        return f[index].data.copy(), f[index].header.copy(), len(f)


def convert(src, dst, *options):
    code, _, err = run("convert", src, "-o", dst, *options)
    check(f"convert {os.path.basename(src)}", code == 0, err)
    return code == 0


def verified(name, path):
    v = fitsverify(path)
    check(f"fitsverify {name}", v is not None and v[1] == 0 and v[0] == 0, str(v))


def same_bits(a, b):
    return a.shape == b.shape and a.dtype.newbyteorder(">") == b.dtype.newbyteorder(">") and \
        a.astype(a.dtype.newbyteorder(">")).tobytes() == b.astype(b.dtype.newbyteorder(">")).tobytes()


def astropy_files(tmp):
    """(name, path, expected raw data in our output) for files astropy writes."""
    rng = np.random.default_rng(7)
    files = []

    def add(name, hdu_or_list, expected):
        path = os.path.join(tmp, name)
        hdu_or_list.writeto(path, overwrite=True)
        files.append((name, path, expected))

    u8 = rng.integers(0, 256, (30, 100), dtype=np.uint8)
    add("astropy8.fit", fits.PrimaryHDU(u8), u8.astype(">i2"))
    for dtype, name in ((">i2", "16"), (">i4", "32")):
        info = np.iinfo(dtype)
        d = rng.integers(info.min, info.max, (17, 23), dtype=dtype[1:], endpoint=True).astype(dtype)
        d[0, :3] = [info.min, info.max, 0]
        add(f"astropy{name}.fit", fits.PrimaryHDU(d), d)
    for dtype, name in ((">f4", "-32"), (">f8", "-64")):
        d = rng.normal(0, 1e4, (19, 21)).astype(dtype)
        d[0, :5] = [np.nan, np.inf, -np.inf, -0.0, np.finfo(dtype).tiny]
        add(f"astropy{name}.fit", fits.PrimaryHDU(d), d)
    # Unsigned 16-bit data: BZERO 32768.
    u16 = rng.integers(0, 65535, (12, 13), dtype=np.uint16)
    add("astropy_u16.fit", fits.PrimaryHDU(u16), (u16.astype(np.int32) - 32768).astype(">i2"))
    # Real data scaled to 16-bit integers with BSCALE and BZERO.
    scaled = fits.PrimaryHDU(rng.uniform(-100, 4000, (10, 11)))
    scaled.scale("int16", bscale=0.5, bzero=1000.0)
    scaled.header["OBJECT"] = "M31/NGC224"
    scaled.header["OBSERVER"] = "O'Hara"
    scaled.header["DATE-OBS"] = "2024-03-09T21:42:17"
    scaled.header["EQUINOX"] = 2000.0
    scaled.header["EXPTIME"] = (120.0, "seconds")
    scaled.header["COMMENT"] = "a comment card"
    scaled.header["HISTORY"] = "a history card"
    add("astropy_scaled.fit", scaled, scaled.data.copy())
    # A header of exactly 36 cards, END included: the data start at byte 2880.
    d36 = np.arange(40 * 30, dtype=">i2").reshape(30, 40) * 7
    h36 = fits.PrimaryHDU(d36)
    i = 0
    while len(h36.header) < 35:
        h36.header[f"KEY{i}"] = i
        i += 1
    add("astropy36.fit", h36, d36)
    # An image followed by another HDU: 8-bit (the data unit grows) and 16-bit.
    for dtype, name in ((np.uint8, "8"), (">i2", "16")):
        prim = rng.integers(0, 200, (30, 100)).astype(dtype)
        ext = fits.ImageHDU(rng.integers(-500, 500, (5, 7)).astype(">i4"), name="SECOND")
        add(f"astropy_ext{name}.fit", fits.HDUList([fits.PrimaryHDU(prim), ext]), prim.astype(">i2"))
    return files


def readout(path, points):
    return [run("pixel", path, str(x), str(y))[1] for x, y in points]


def sky_texts(ra, dec):
    """The readout's texts for astropy's degrees, rounded as the program rounds them."""
    t = round((ra / 15 % 24) * 360000) % 8640000
    d = round(abs(dec) * 36000)
    return (f"AD : {t // 360000:02d}:{t // 6000 % 60:02d}:{t // 100 % 60:02d}.{t % 100:02d}",
            f"Dec : {'-' if dec < 0 and d else '+'}{d // 36000:02d}:{d // 600 % 60:02d}:{d // 10 % 60:02d}.{d % 10}")


def todays_files(tmp, sample):
    """Every form of today's files made from the sample reads as the plain file: the same
    info (size, thresholds), statistics, readout and displayed picture."""
    data, header, _ = raw(sample)
    points = [(1, 1), (57, 200), (400, 300)]
    plain_bmp = os.path.join(tmp, "plain.bmp")
    run("render", sample, "-o", plain_bmp)
    plain = [run("info", sample)[1].split("file-name")[0], run("stats", sample)[1], readout(sample, points)]
    variants = {}
    for name in ("today.fits", "TODAY.FITS"):
        shutil.copy(sample, os.path.join(tmp, name))
        variants[name] = name
    for name in ("today.fits.gz", "today.fit.gz"):
        with open(sample, "rb") as src, gzip.open(os.path.join(tmp, name), "wb") as dst:
            dst.write(src.read())
        variants[name] = name
    p = subprocess.run(["fpack", "-O", os.path.join(tmp, "today.fits.fz"), sample], capture_output=True, text=True)
    check("fpack", p.returncode == 0, p.stderr)
    variants["today.fits.fz"] = "today.fits"  # saved under the name without .fz
    fits.HDUList([fits.PrimaryHDU(), fits.ImageHDU(data, header=header)]).writeto(os.path.join(tmp, "ext.fits"))
    variants["ext.fits"] = "ext.fits"
    for name, saved in variants.items():
        path = os.path.join(tmp, name)
        code, info, err = run("info", path)
        check(f"today {name} opens", code == 0, err)
        check(f"today {name} saved as", f"file-name: {os.path.join(tmp, saved)}\n" in info, info)
        got = [info.split("file-name")[0], run("stats", path)[1], readout(path, points)]
        check(f"today {name} same info, statistics, readout", got == plain, f"{got} {plain}")
        bmp = os.path.join(tmp, "variant.bmp")
        run("render", path, "-o", bmp)
        with open(bmp, "rb") as a, open(plain_bmp, "rb") as b:
            check(f"today {name} same picture", a.read() == b.read())
        out = os.path.join(tmp, "variant.fit")
        if convert(path, out):
            verified(f"today {name} saved", out)
            check(f"today {name} same data", same_bits(raw(out)[0], data))
            check(f"today {name} one HDU", raw(out)[2] == 1)

    # fpack's file with a header announcing 100000 x 60000: refused before allocating, as too
    # large when its table holds a row per tile, as corrupt when it does not.
    with open(os.path.join(tmp, "today.fits.fz"), "rb") as f:
        packed = f.read()
    for name, cards, message in [
        ("huge.fits.fz", {"ZNAXIS1": 100000, "ZNAXIS2": 60000, "ZTILE1": 100000, "ZTILE2": 1, "NAXIS2": 60000},
         "annonce une image trop grande pour lui (100000x60000) !"),
        ("liar.fits.fz", {"ZNAXIS1": 100000, "ZNAXIS2": 60000}, "est corrompu (structure du fichier illisible) !"),
    ]:
        patched = bytearray(packed)
        for key, value in cards.items():
            at = patched.index(f"{key:<8}= ".encode(), 2880)
            patched[at:at + 30] = f"{key:<8}= {value:>20}".encode()
        path = os.path.join(tmp, name)
        with open(path, "wb") as f:
            f.write(patched)
        code, _, err = run("info", path)
        check(f"{name} refused", code == 1 and err.startswith(f"Le fichier {name} {message}\n"), err)

    # convert to .fits.gz: gzip of exactly what .fit gets; astropy and fitsverify read it.
    fit, fitsgz = os.path.join(tmp, "c.fit"), os.path.join(tmp, "c.fits.gz")
    if convert(sample, fit, "--low", "950") and convert(sample, fitsgz, "--low", "950"):
        with open(fit, "rb") as a, gzip.open(fitsgz, "rb") as b:
            check("fits.gz gunzips to the .fit bytes", a.read() == b.read())
        check("astropy reads fits.gz", same_bits(raw(fitsgz)[0], data))
        verified("fits.gz", fitsgz)

    # Sky coordinates: a TAN header with a rotated CD matrix, against astropy's all_pix2world
    # at the pixel centre (origin 1); the sample itself has none.
    wcs_header = header.copy()
    angle, scale = np.radians(30), 1.5 / 3600
    wcs_header.update({"CTYPE1": "RA---TAN", "CTYPE2": "DEC--TAN", "CRVAL1": 83.633, "CRVAL2": 22.0145,
                       "CRPIX1": 200.5, "CRPIX2": 150.5, "CD1_1": -scale * np.cos(angle),
                       "CD1_2": scale * np.sin(angle), "CD2_1": scale * np.sin(angle),
                       "CD2_2": scale * np.cos(angle), "RADESYS": "ICRS", "EQUINOX": 2000.0})
    with_wcs = os.path.join(tmp, "wcs.fits.gz")
    fits.PrimaryHDU(data, header=wcs_header).writeto(with_wcs)
    world = WCS(wcs_header).all_pix2world(np.array(points, dtype=float), 1)
    for (x, y), (ra, dec), lines in zip(points, world, readout(with_wcs, points)):
        check(f"sky at {x},{y}", lines.splitlines()[3:] == list(sky_texts(ra, dec)), f"{lines!r} {ra} {dec}")
    check("no sky without WCS", all(len(lines.splitlines()) == 3 for lines in plain[2]), repr(plain[2]))


def main():
    tmp = tempfile.mkdtemp(prefix="orvanel-peers-fits-")
    try:
        # Files astropy writes: they open, convert bit-identical, pass fitsverify, and every
        # header value comes back.
        for name, path, expected in astropy_files(tmp):
            code, out, err = run("info", path)
            original, header, hdus = raw(path)
            check(f"info {name}", code == 0 and f"width: {original.shape[1]}\nheight: {original.shape[0]}\n" in out,
                  out + err)
            dst = os.path.join(tmp, "out_" + name.replace(".fit", ".fit"))
            if not convert(path, dst):
                continue
            verified(name, dst)
            data, new_header, new_hdus = raw(dst)
            check(f"data {name}", same_bits(data, expected), f"{data.dtype} {expected.dtype}")
            for key in ("OBJECT", "OBSERVER", "DATE-OBS", "EQUINOX", "BSCALE", "BZERO", "EXPTIME", "KEY33", "EXTEND"):
                if key in header:
                    got = new_header.get(key, 1.0 if key == "BSCALE" else None)  # BSCALE 1 is left out
                    check(f"{name} {key}", got == header[key], f"{got!r} {header[key]!r}")
            for key in ("COMMENT", "HISTORY"):
                check(f"{name} {key}", [str(c) for c in new_header.get(key, [])] ==
                      [str(c) for c in header.get(key, [])])
            check(f"hdus {name}", new_hdus == hdus, f"{new_hdus} {hdus}")
            if hdus > 1:
                check(f"extension {name}", same_bits(raw(dst, 1)[0], raw(path, 1)[0]))
            # CFITSIO reads the data where we wrote them.
            copy = os.path.join(tmp, "cfitsio_" + os.path.basename(dst))
            p = subprocess.run(["imcopy", dst, copy], capture_output=True, text=True)
            check(f"imcopy {name}", p.returncode == 0 and same_bits(raw(copy)[0], expected), p.stderr)

        # Scaled values: astropy applies BSCALE and BZERO to what we wrote as to the original.
        with fits.open(os.path.join(tmp, "astropy_scaled.fit")) as a, \
                fits.open(os.path.join(tmp, "out_astropy_scaled.fit")) as b:
            check("scaled values", np.array_equal(a[0].data, b[0].data))

        # An older file: a whole block of blanks after a 36-card header, the data at 5760.
        with open(os.path.join(tmp, "astropy36.fit"), "rb") as f:
            modern = f.read()
        old = os.path.join(tmp, "old36.fit")
        with open(old, "wb") as f:
            f.write(modern[:2880] + b" " * 2880 + modern[2880:])
        dst = os.path.join(tmp, "out_old36.fit")
        if convert(old, dst):
            check("old layout data", same_bits(raw(dst)[0], raw(os.path.join(tmp, "astropy36.fit"))[0]))
            verified("old layout", dst)

        # The sample star field and what orvanel-cli writes from it.
        maker = os.path.join(BUILD, "data", "orvanel-make-sample")
        sample = os.path.join(tmp, "sample.fit")
        if os.path.exists(maker):
            p = subprocess.run([maker, sample, "--width", "400", "--height", "300"], capture_output=True, text=True)
            check("make sample", p.returncode == 0, p.stderr)
            verified("sample", sample)
            data, header, _ = raw(sample)
            check("sample header", header["OBJECT"] == "Champ d'etoiles synthetique" and header["THRESH"] > header["THRESL"]
                  and header["DATE-OBS"] == "2024-03-09" and header["TIME_BEG"] == "21:42:17", repr(header))
            check("sample data", data.shape == (300, 400) and data.dtype == np.dtype(">i2") and data.min() >= 0
                  and 900 < np.median(data) < 1200 and data.max() > 10000, f"{data.min()} {np.median(data)} {data.max()}")
            dst = os.path.join(tmp, "sample_copy.fit")
            if convert(sample, dst, "--low", "900", "--high", "3000"):
                verified("sample copy", dst)
                copy, new_header, _ = raw(dst)
                check("sample copy data", same_bits(copy, data))
                check("sample copy thresholds", new_header["THRESH"] == 3000 and new_header["THRESL"] == 900)
                with open(sample, "rb") as a, open(dst, "rb") as b:
                    check("sample same size", len(a.read()) == len(b.read()))
            todays_files(tmp, sample)
        else:
            check("sample maker built", False, maker)

        # Every pixel type written by us from a document read from our own writer.
        for bitpix in ("16", "32", "-32", "-64"):
            src = os.path.join(tmp, f"out_astropy{bitpix}.fit")
            again = os.path.join(tmp, f"again{bitpix}.fts")
            if os.path.exists(src) and convert(src, again):
                with open(src, "rb") as a, open(again, "rb") as b:
                    check(f"second save {bitpix}", a.read() == b.read())
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
    return finish()


if __name__ == "__main__":
    sys.exit(main())
