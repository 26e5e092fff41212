#!/usr/bin/env python3
"""orvanel-cli on PIC, CPA, BMP and palette files: info, stats, pixel, render --palette,
convert to .pic and .bmp. Files are made here, byte by byte."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from checks import CLI, check, finish  # noqa: E402



def run(*args):
    p = subprocess.run([CLI, *args], capture_output=True)
    return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")




def pic(values, width, height, fmt=252, ptype=3, high=4000, low=-100, rows=None):
    h = bytearray(290)
    h[0], h[1] = fmt, 49
    struct.pack_into("<H", h, 2, 290)
    struct.pack_into("<HHHH", h, 68, width, height, 16 if ptype == 3 else 32, ptype)
    struct.pack_into("<H", h, 92, 1)
    struct.pack_into("<hh", h, 118, high, low)
    if rows is not None:
        return bytes(h) + rows
    code = "<%dh" % len(values) if ptype == 3 else "<%df" % len(values)
    return bytes(h) + struct.pack(code, *values)


def pic_row(row):
    """Compressed row: steps of one signed byte, byte 128 escapes a word; a row that would
    not shrink is written plain (its length word, twice the width, says so)."""
    body = struct.pack("<h", row[0])
    for a, b in zip(row, row[1:]):
        d = b - a
        body += struct.pack("<b", d) if -127 <= d <= 127 else b"\x80" + struct.pack("<h", b)
    if len(body) >= 2 * len(row):
        return struct.pack("<h%dh" % len(row), 2 * len(row), *row)
    return struct.pack("<h", len(body)) + body


def cpa_long(width, height, data, dtype=3, compressed=0, high=2000.0, low=10.0, texts=()):
    h = bytearray(867)
    struct.pack_into("<IHHHHd", h, 0, 0xF5C7D1FA, width, height, 2, 2, high)
    struct.pack_into("<d", h, 36, low)
    h[60] = dtype
    struct.pack_into("<dd", h, 62, 35494.0 + (21 * 3600 + 4 * 60 + 9.25) / 86400.0, 2.5)
    h[78] = 1
    for at, s in ((80, b"T400"), (161, b"Martin")):
        h[at] = len(s)
        h[at + 1:at + 1 + len(s)] = s
    for i, s in enumerate(texts):
        h[543 + 81 * i] = len(s)
        h[544 + 81 * i:544 + 81 * i + len(s)] = s
    h[541] = compressed
    return bytes(h) + data


def bmp8(width, height):
    stride = (width + 3) // 4 * 4
    table = b"".join(bytes((i, 255 - i, 7, 0)) for i in range(256))
    pixels = bytes((x * 7 + y) % 256 if x < width else 0 for y in range(height) for x in range(stride))
    head = b"BM" + struct.pack("<IHHI", 1078 + len(pixels), 0, 0, 1078)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 0, 0, 256, 0)
    return head + info + table + pixels


def palette(sig=b"PAL", entries=256):
    return sig + bytes(range(15)) + b"".join(bytes((255 - i, i, 100, 0)) for i in range(entries))


def lines(text):
    return text.splitlines()


def main():
    d = tempfile.mkdtemp(prefix="orvanel-cli-formats-")
    try:
        def write(name, data):
            path = os.path.join(d, name)
            with open(path, "wb") as f:
                f.write(data)
            return path

        # --- info
        p4 = write("four.pic", pic([10, 20, 30, 40], 2, 2))
        code, out, err = run("info", p4)
        check("info pic", code == 0 and lines(out) == [
            "kind: 2", "pixel-type: 1", "width: 2", "height: 2", "high-threshold: 4000",
            "low-threshold: -100", "file-name: " + p4, "caption: Image : four.pic (2x2) Entier 16 bits"], out + err)

        c1 = write("m42.cpa", cpa_long(3, 2, struct.pack("<6h", 1, 2, 3, 4, 5, 6), high=2500.5))
        code, out, err = run("info", c1)
        check("info cpa", code == 0 and lines(out) == [
            "kind: 8", "pixel-type: 1", "width: 3", "height: 2", "high-threshold: 2500.5",
            "low-threshold: 10", "file-name: " + os.path.join(d, "m42.FIT"),
            "caption: Image : m42.FIT (3x2) Entier 16 bits"], out + err)

        b1 = write("photo.bmp", bmp8(6, 5))
        code, out, err = run("info", b1)
        check("info bmp", code == 0 and "kind: 4" in lines(out) and "pixel-type: 0" in lines(out)
              and out.endswith("caption: Image : photo.bmp (6x5) \n"), out + err)

        # --- refusals: the program's own message, exit 1
        for name, data, message in [
            ("t4.pic", pic([1], 1, 1, ptype=4), "Type de données incorrect !"),
            ("t6c.pic", pic([1.0], 1, 1, fmt=251, ptype=6), "Type de données incorrect !"),
            ("odd.pic", pic([1], 1, 1, fmt=0),
             "Ce fichier n'est certainement pas une image PIC !\nVoulez vous essayer de l'ouvrir ?"),
            ("huge.pic", pic([], 65535, 65535), "Taille d'image incorrecte !"),
            ("not.cpa", b"\x00" * 1000, "Ce fichier n'est certainement pas une image CPA !\nOuverture annulée"),
            ("eight.cpa", cpa_long(1, 1, b"\x00", dtype=2), "Données 8 bits non supportees !"),
            ("nine.cpa", cpa_long(1, 1, b"\x00", dtype=9), "Type de données incorrect !"),
        ]:
            code, out, err = run("info", write(name, data))
            check("refused " + name, code == 1 and out == "" and err == message + "\n", repr((code, out, err)))
        code, out, err = run("info", write("odd.pic", pic([], 3, 1, fmt=0, rows=pic_row([1000, 1016, 1000]))),
                             "--yes")
        check("doubtful pic with --yes", code == 0 and "kind: 2" in out, out + err)

        # --- stats
        code, out, err = run("stats", p4)
        check("stats", code == 0 and lines(out) == [
            "Intensité minimum : 10", "Intensité maximum : 40", "Intensité moyenne : 25",
            "Intensité mediane : 29.6", "Ecart type : 11.18034"], out + err)
        code, out, err = run("stats", write("r.pic", pic([0.4, 0.6], 2, 1, ptype=6)))
        check("stats reals", code == 0 and lines(out)[3:] == ["Intensité mediane : 0", "Ecart type : 0.10000001"], out)
        code, out, err = run("stats", b1)
        check("stats bmp exit 1", code == 1 and out == "", err)

        # --- pixel: 1-based, Y from the bottom; the first stored row is the bottom row
        code, out, err = run("pixel", p4, "1", "2")
        check("pixel top-left", code == 0 and lines(out) == ["X : 1", "Y : 2", "Intensité : 30"], out + err)
        code, out, err = run("pixel", c1, "3", "1")
        check("pixel cpa", code == 0 and lines(out) == ["X : 3", "Y : 1", "Intensité : 3"], out + err)
        for args in (("0", "1"), ("3", "1"), ("1", "3"), ("1", "0"), ("x", "1")):
            code, out, err = run("pixel", p4, *args)
            check("pixel usage " + " ".join(args), code == 2 and out == "", repr((code, err)))
        code, out, err = run("pixel", b1, "1", "1")
        check("pixel bmp exit 1", code == 1, repr((code, err)))

        # --- render --palette
        pal = write("spectre.PAL", palette())
        out_bmp = os.path.join(d, "pal.bmp")
        code, out, err = run("render", p4, "-o", out_bmp, "--palette", pal)
        with open(out_bmp, "rb") as f:
            rendered = f.read() if code == 0 else b""
        want_table = b"".join(bytes((100, i, 255 - i, 0)) for i in range(256))
        check("render palette", code == 0 and rendered[54:1078] == want_table, err)
        short = write("short.pal", palette(entries=100)[:18 + 400])
        code, out, err = run("render", p4, "-o", out_bmp, "--palette", short)
        with open(out_bmp, "rb") as f:
            rendered = f.read()
        grey = b"".join(bytes((i, i, i, 0)) for i in range(256))
        check("render short palette", code == 0 and rendered[54:454] == want_table[:400]
              and rendered[454:1078] == grey[400:], err)
        bad = write("grey.pal", palette(sig=b"PAX"))
        code, out, err = run("render", p4, "-o", os.path.join(d, "none.bmp"), "--palette", bad)
        check("render refused palette", code == 1 and err ==
              "Le fichier grey.pal\nn'est pas une palette couleur d'Quenno !\nopen aborted\n"
              and not os.path.exists(os.path.join(d, "none.bmp")), repr((code, err)))
        gone = os.path.join(d, "gone.pal")
        code, out, err = run("render", p4, "-o", out_bmp, "--palette", gone)
        check("render vanished palette", code == 1 and err == "Ne peut ouvrir le fichier " + gone + "\n", err)

        # --- real thresholds, from the file or typed, render with exactly their values
        c3 = write("real.cpa", cpa_long(4, 1, struct.pack("<4h", 0, 5, 10, 15), high=12.5, low=2.5))
        for name, options, want in [
            ("file thresholds inverted", ["--invert"], [255, 191, 64, 0]),
            ("typed real low threshold", ["--low", "2.25"], [0, 68, 193, 255]),
        ]:
            code, out, err = run("render", c3, "-o", out_bmp, *options)
            with open(out_bmp, "rb") as f:
                rendered = list(f.read()[1078:]) if code == 0 else err
            check(name, rendered == want, rendered)

        # --- convert to .pic: a compressed file comes back plain with the same values
        rows = [[1000, 1016, 1000, 5000, 5005, 5004], [-3, 200, 190, 180, 32767, 32767], [0] * 6]
        packed = write("packed.pic", pic([], 6, 3, fmt=251, rows=b"".join(pic_row(r) for r in rows)))
        out_pic = os.path.join(d, "plain.pic")
        code, out, err = run("convert", packed, "-o", out_pic, "--low", "5", "--high", "70000")
        with open(out_pic, "rb") as f:
            saved = f.read() if code == 0 else b""
        check("convert pic", code == 0 and saved[0] == 252 and saved[290:] ==
              struct.pack("<18h", *rows[0], *rows[1], *rows[2]) and struct.unpack_from("<hh", saved, 118) == (32767, 5),
              repr((code, err)))
        code, out, err = run("convert", c1, "-o", os.path.join(d, "x.pic"))
        check("convert cpa to pic refused", code == 1 and "PIC" in err, err)
        code, out, err = run("convert", b1, "-o", os.path.join(d, "x.pic"))
        check("convert bmp to pic refused", code == 1, err)

        # --- convert to .bmp: the display bitmap, or a bitmap file as it is
        for name, src in (("pic", p4), ("cpa", c1)):
            out_b = os.path.join(d, name + ".bmp")
            code, out, err = run("convert", src, "-o", out_b)
            r_code, _, _ = run("render", src, "-o", out_b + ".ref")
            same = code == 0 and r_code == 0 and open(out_b, "rb").read() == open(out_b + ".ref", "rb").read()
            check("convert bmp " + name, same, err)
        out_b = os.path.join(d, "copy.bmp")
        code, out, err = run("convert", b1, "-o", out_b)
        check("convert bmp as it is", code == 0 and open(out_b, "rb").read() == open(b1, "rb").read(), err)
        try:
            from PIL import Image
            with Image.open(os.path.join(d, "pic.bmp")) as im:
                check("pillow reads the bitmap", im.size == (2, 2) and im.mode in ("P", "L"))
        except ImportError:
            pass

        # --- a CPA document saves as a FITS file that fitsverify accepts
        texts = (b"Comete C/1995 O1 photographiee depuis le jardin, ciel pur", b"court")
        c2 = write("hale.cpa", cpa_long(4, 3, struct.pack("<12h", *range(12)), texts=texts))
        out_fit = os.path.join(d, "hale.fit")
        code, out, err = run("convert", c2, "-o", out_fit)
        check("convert cpa to fits", code == 0, err)
        if code == 0 and shutil.which("fitsverify"):
            v = subprocess.run(["fitsverify", "-q", "-e", out_fit], capture_output=True, text=True)
            check("fitsverify", v.returncode == 0 and "verification OK" in v.stdout, v.stdout + v.stderr)
        if code == 0:
            try:
                from astropy.io import fits
                with fits.open(out_fit) as hdul:
                    h, data = hdul[0].header, hdul[0].data
                    check("astropy reads the cpa image", data.shape == (3, 4) and
                          data.ravel().tolist() == list(range(12)) and h["DATE-OBS"] == "1997-03-05" and
                          h["TIME_BEG"] == "21:4:9.250", repr(h))
            except ImportError:
                pass
        code, out, err = run("header", c2)
        comments = [l for l in lines(out) if l.startswith("COMMENT")]
        check("cpa comment cards", [c[8:].rstrip() for c in comments][:4] ==
              ["BINX = 2", "BINY = 2", "MIROIRX = T", "MIROIRY = F"] and
              any(c[8:48] == texts[0][:40].decode() for c in comments), out + err)
    finally:
        shutil.rmtree(d, ignore_errors=True)
    return finish()


if __name__ == "__main__":
    sys.exit(main())
