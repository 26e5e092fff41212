#!/usr/bin/env python3
"""Writes the seed corpora of the SER and XISF fuzz targets into corpus/ser/ and corpus/xisf/:
small files of each layout (SER: 8 and 16 bits, both byte orders, with and without the trailer,
a Bayer mosaic; XISF: each sample format, each codec, shuffled or not, keywords), and a few
damaged ones."""
import struct
import zlib

from make_corpus_formats import put


def ser(frames, width, height, depth=16, color=0, field=0, trailer=True):
    header = b"LUCAM-RECORDER" + struct.pack("<7i", 0, color, field, width, height, depth, frames)
    header += b"obs".ljust(40, b"\0") + b"cam".ljust(40, b"\0") + b"scope".ljust(40, b"\0")
    header += struct.pack("<qq", 638456184000000000, 638456184000000000)
    size = width * height * (2 if depth > 8 else 1)
    data = bytes((i * 37 + 11) % 256 for i in range(size * frames))
    times = struct.pack("<%dq" % frames, *[638456184000000000 + k * 100000 for k in range(frames)])
    return header + data + (times if trailer else b"")


def shuffle(raw, item):
    n = len(raw) // item
    return bytes(raw[i * item + b] for b in range(item) for i in range(n)) + raw[n * item:]


def lz4_block(data):
    """An LZ4 block of literals only, as the format allows."""
    n = len(data)
    token = bytes([min(n, 15) << 4])
    extra = b""
    if n >= 15:
        rest = n - 15
        extra = b"\xff" * (rest // 255) + bytes([rest % 255])
    return token + extra + data


def zstd_frame(data):
    """A Zstandard frame of one raw block (content of at most 255 bytes)."""
    return struct.pack("<IBB", 0xFD2FB528, 0x20, len(data)) + (1 | len(data) << 3).to_bytes(3, "little") + data


def xisf(fmt, size, codec=None, item=0, extra=""):
    raw = bytes((i * 53 + 7) % 256 for i in range(4 * 3 * size))
    block = shuffle(raw, item) if item else raw
    compression = ""
    if codec:
        block = {"zlib": zlib.compress, "lz4": lz4_block, "lz4hc": lz4_block, "zstd": zstd_frame}[codec](block)
        compression = f' compression="{codec}{"+sh" if item else ""}:{len(raw)}{":" + str(item) if item else ""}"'
    xml = (f'<?xml version="1.0"?><xisf version="1.0"><Image geometry="4:3:1" sampleFormat="{fmt}"{compression} '
           f'location="attachment:1024:{len(block)}" {extra}><FITSKeyword name="OBJECT" value="\'M42\'" '
           f'comment="target"/><FITSKeyword name="THRESH" value="100" comment=""/></Image></xisf>')
    head = b"XISF0100" + struct.pack("<II", len(xml), 0) + xml.encode()
    return head.ljust(1024, b"\0") + block


def main():
    put("ser", "mono16.ser", ser(3, 5, 4))
    put("ser", "mono16-big.ser", ser(2, 5, 4, field=1, trailer=False))
    put("ser", "mono8.ser", ser(2, 6, 3, depth=8))
    put("ser", "bayer.ser", ser(2, 4, 4, color=8))
    put("ser", "rgb.ser", ser(1, 2, 2, color=100))
    put("ser", "cut.ser", ser(3, 5, 4)[:250])
    for fmt, size in (("UInt8", 1), ("UInt16", 2), ("UInt32", 4), ("Float32", 4), ("Float64", 8)):
        put("xisf", f"{fmt}.xisf", xisf(fmt, size))
        put("xisf", f"{fmt}-zlib-sh.xisf", xisf(fmt, size, "zlib", size))
    for codec in ("zlib", "lz4", "lz4hc", "zstd"):
        put("xisf", f"{codec}.xisf", xisf("UInt16", 2, codec))
    put("xisf", "zstd-sh.xisf", xisf("Float32", 4, "zstd", 4))
    put("xisf", "normal.xisf", xisf("UInt16", 2, extra='pixelStorage="Normal" byteOrder="big"'))
    put("xisf", "subblocks.xisf", xisf("UInt16", 2, "zlib", extra='subblocks="10,24"'))


if __name__ == "__main__":
    main()
