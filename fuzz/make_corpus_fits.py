#!/usr/bin/env python3
"""Writes the FITS seed corpus: a few tiny valid files of every BITPIX and some odd ones."""
import os
import struct
import sys

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "fits")


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
    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
