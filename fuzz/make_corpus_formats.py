#!/usr/bin/env python3
"""Writes the seed corpora of the PIC, CPA, BMP and palette fuzz targets into
corpus/<reader>/: small valid files of every layout, and a few damaged ones."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(reader, name, data):
    folder = os.path.join(HERE, "corpus", reader)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def pic_header(fmt, ptype, w, h):
    b = bytearray(290)
    b[0], b[1] = fmt, 49
    struct.pack_into("<H", b, 2, 290)
    struct.pack_into("<HHHH", b, 68, w, h, 16 if ptype == 3 else 32, ptype)
    struct.pack_into("<H", b, 92, 1)
    b[104:118] = b"21:04:09.25   "
    struct.pack_into("<hh", b, 118, 4000, 0)
    return bytes(b)


def row(values, escape, step):
    body = struct.pack("<h", values[0])
    for a, b in zip(values, values[1:]):
        d = b - a
        body += bytes([step(d)]) if -127 <= d <= 127 else bytes([escape]) + struct.pack("<h", b)
    if len(body) >= 2 * len(values):
        return struct.pack("<h%dh" % len(values), 2 * len(values), *values)
    return struct.pack("<h", len(body)) + body


def image(w, h):
    return [[(300 + 17 * x + 5 * y + (4000 if (x * y) % 7 == 3 else 0)) for x in range(w)] for y in range(h)]


def pic_rows(rows):
    return b"".join(row(r, 128, lambda d: d & 0xFF) for r in rows)


def cpa_rows(rows):
    return b"".join(row(r, 255, lambda d: d + 127) for r in rows)


def cpa_long(w, h, dtype, compressed, data):
    b = bytearray(867)
    struct.pack_into("<IHHHHd", b, 0, 0xF5C7D1FA, w, h, 1, 1, 4000.0)
    struct.pack_into("<d", b, 36, 0.0)
    b[60] = dtype
    struct.pack_into("<dd", b, 62, 35494.87789, 30.0)
    b[78] = 1
    for at, s in ((80, b"T400"), (161, b"obs"), (242, b"ST7"), (543, b"x" * 60)):
        b[at] = len(s)
        b[at + 1:at + 1 + len(s)] = s
    struct.pack_into("<ddddd", b, 485, 1600.0, 83.8, -5.4, 9.0, 9.0)
    struct.pack_into("<iiii", b, 525, 1, 1, 16, 8)
    b[541] = compressed
    return bytes(b) + data


def cpa_short(w, h, data):
    b = bytearray(512)
    struct.pack_into("<HH", b, 0, w, h)
    struct.pack_into("<HHHHHHHHH", b, 8, 3000, 20, 1997, 3, 5, 21, 4, 9, 5)
    b[26:32] = bytes([131, 0, 0, 0, 0, 0x40])
    b[56] = 11
    b[57:68] = b"Nuit claire"
    b[509:512] = bytes([2, 1, 8])
    return bytes(b) + data


def bmp(w, h, bits):
    stride = (w * bits + 31) // 32 * 4
    table = b"".join(bytes((i, 255 - i, 7, 0)) for i in range(1 << bits)) if bits <= 8 else b""
    pixels = bytes((x * 31 + y * 7) & 0xFF for y in range(h) for x in range(stride))
    offset = 54 + len(table)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(pixels), 0, 0, 0, 0)
    return head + info + table + pixels


def main():
    rows = image(16, 8)
    flat = b"".join(struct.pack("<%dh" % len(r), *r) for r in rows)
    put("pic", "plain16.pic", pic_header(252, 3, 16, 8) + flat)
    put("pic", "compressed16.pic", pic_header(251, 3, 16, 8) + pic_rows(rows))
    put("pic", "real32.pic", pic_header(252, 6, 4, 2) + struct.pack("<8f", 0.5, -1, 2, 3e9, 0, 1, 2, 3))
    put("pic", "odd-format.pic", pic_header(0, 3, 16, 8) + pic_rows(rows))
    put("pic", "truncated.pic", (pic_header(251, 3, 16, 8) + pic_rows(rows))[:400])

    put("cpa", "long-plain.cpa", cpa_long(16, 8, 3, 0, flat))
    put("cpa", "long-compressed.cpa", cpa_long(16, 8, 3, 1, cpa_rows(rows)))
    put("cpa", "long-real.cpa", cpa_long(4, 2, 6, 0, struct.pack("<8f", *range(8))))
    put("cpa", "long-pairs.cpa", cpa_long(4, 2, 11, 0, struct.pack("<16f", *range(16))))
    put("cpa", "short.cpa", cpa_short(16, 8, cpa_rows(rows)))
    put("cpa", "eight-bits.cpa", cpa_long(4, 2, 2, 0, bytes(8)))

    for bits in (1, 4, 8, 24, 32):
        put("bmp", "b%d.bmp" % bits, bmp(9, 5, bits))
    top_down = bytearray(bmp(9, 5, 8))
    struct.pack_into("<i", top_down, 22, -5)
    put("bmp", "top-down.bmp", bytes(top_down))

    entries = b"".join(bytes((255 - i, i, (i * 3) & 0xFF, 0)) for i in range(256))
    put("palette", "full.pal", b"PAL" + bytes(15) + entries)
    put("palette", "short.pal", b"PAL" + bytes(15) + entries[:401])
    put("palette", "not-a-palette.pal", b"PAX" + bytes(15) + entries[:64])


if __name__ == "__main__":
    main()
