#!/usr/bin/env python3
"""Writes the FITS seed corpus: a few tiny valid files of every BITPIX and some odd ones, and
the gzip corpus: some of them compressed, one member or two, and cut short."""
import gzip
import os
import struct
import sys

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "fits")
OUT_GZIP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "fits_gzip")


def card(text):
    return text[:80].ljust(80).encode("ascii")


def value(keyword, v, comment=""):
    return card(f"{keyword:<8}= {v:>20}" + (f" / {comment}" if comment else ""))


def string(keyword, v):
    return card(f"{keyword:<8}= '{v}'")


def pad(data, fill):
    return data + fill * ((-len(data)) % 2880)


def image(bitpix, w, h, extra=(), fmt=">h", values=None, simple="T"):
    cards = [value("SIMPLE", simple), value("BITPIX", bitpix), value("NAXIS", 2), value("NAXIS1", w),
             value("NAXIS2", h), *extra, card("END")]
    values = values if values is not None else list(range(w * h))
    return pad(b"".join(cards), b" ") + pad(b"".join(struct.pack(fmt, v) for v in values), b"\0")


def main():
    os.makedirs(OUT, exist_ok=True)
    files = {
        "int16.fit": image(16, 4, 3, [string("OBJECT", "M31/NGC224"), value("THRESH", 10), value("THRESL", 1)]),
        "uint8.fit": image(8, 5, 2, fmt=">B"),
        "int32.fit": image(32, 2, 2, fmt=">i", values=[-1, 0, 1, 2**31 - 1]),
        "real32.fit": image(-32, 3, 1, fmt=">f", values=[1.5, float("nan"), -2.0]),
        "real64.fit": image(-64, 1, 2, fmt=">d", values=[1e300, -0.0],
                            extra=[value("BSCALE", "2.5"), value("BZERO", "1E-5")]),
        "doubtful.fit": image(16, 2, 2, simple="F"),
        "cube.fit": image(16, 2, 2, [value("NAXIS", 3), value("NAXIS3", 1)]),
        "rgb.fit": image(16, 2, 1, [value("NAXIS", 3), value("NAXIS3", 3)], values=[1, 2, 3, 4, 5, 6]),
        "bayer.fit": image(16, 3, 3, [string("BAYERPAT", "GRBG"), value("XBAYROFF", 1),
                                      string("ROWORDER", "TOP-DOWN")], values=list(range(9))),
        "colortyp.fit": image(-32, 2, 3, [string("COLORTYP", "BGGR"), value("YBAYROFF", "1.5")], fmt=">f",
                              values=[0.5, 1, 2, 3, 4, 5]),
        "quotes.fit": image(16, 1, 1, [string("OBSERVER", "O''Hara / x"), string("DATE", "01/02/99"),
                                       card("COMMENT hello"), card("HISTORY there"), value("EXTEND", "F")]),
        "badint.fit": image(16, 1, 1, [value("NAXIS1", "'x'")]),
        "truncated.fit": image(16, 40, 40)[:3000],
    }
    # A header of exactly 36 cards, data at 2880, and the older layout with a blank block.
    cards = [value("SIMPLE", "T"), value("BITPIX", 16), value("NAXIS", 2), value("NAXIS1", 2), value("NAXIS2", 2)]
    cards += [value(f"KEY{i}", i) for i in range(30)] + [card("END")]
    data = pad(b"".join(struct.pack(">h", v) for v in (1, 2, 3, 4)), b"\0")
    files["cards36.fit"] = b"".join(cards) + data
    files["cards36_old.fit"] = b"".join(cards) + b" " * 2880 + data
    # An empty primary, then a table and the image in an extension.
    empty = pad(b"".join([value("SIMPLE", "T"), value("BITPIX", 8), value("NAXIS", 0), value("EXTEND", "T"),
                          card("END")]), b" ")
    table = pad(b"".join([string("XTENSION", "BINTABLE"), value("BITPIX", 8), value("NAXIS", 2),
                          value("NAXIS1", 2), value("NAXIS2", 2), value("PCOUNT", 0), value("GCOUNT", 1),
                          value("TFIELDS", 1), string("TFORM1", "2B"), card("END")]), b" ") + pad(b"\1\2\3\4", b"\0")
    ext = image(16, 3, 2, [value("PCOUNT", 0), value("GCOUNT", 1)]).replace(
        value("SIMPLE", "T"), string("XTENSION", "IMAGE"), 1)
    files["extension.fit"] = empty + table + ext
    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    os.makedirs(OUT_GZIP, exist_ok=True)
    compressed = {name + ".gz": gzip.compress(files[name], mtime=0)
                  for name in ("int16.fit", "uint8.fit", "real64.fit", "cards36_old.fit", "extension.fit")}
    whole = gzip.compress(files["int16.fit"], mtime=0)
    compressed["members.fit.gz"] = (gzip.compress(files["int16.fit"][:3000], mtime=0) +
                                    gzip.compress(files["int16.fit"][3000:], mtime=0))
    compressed["cut.fit.gz"] = whole[:len(whole) // 2]
    for name, data in compressed.items():
        with open(os.path.join(OUT_GZIP, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
