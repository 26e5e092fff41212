"""Series in and video out against other tools: a SER video written here (frames, trailer of
times) animates into a WebP that Pillow reads with the same frames and durations and into an
MP4 whose every presentation time ffprobe reads in hundredths; a FITS cube written by astropy
animates plane by plane; the FITSKeyword elements of an XISF file written here appear in
`header`; the thumbnail is a PNG that Pillow reads at the size asked."""
import json
import os
import struct
import subprocess
import sys
import tempfile
import zlib

import numpy as np
from astropy.io import fits
from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from checks import CLI, check, finish  # noqa: E402

TICKS_2024_03_09_22H = 638456184000000000  # 100 ns ticks since 0001-01-01


def run(*args):
    p = subprocess.run([CLI, *args], capture_output=True)
    return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")


def write_ser(path, frames, times=None, little_endian_field=0):
    """16-bit mono frames (n x height x width, top row first), little-endian data."""
    n, height, width = frames.shape
    header = b"LUCAM-RECORDER" + struct.pack("<7i", 0, 0, little_endian_field, width, height, 16, n)
    header += b"Observer".ljust(40, b"\0") + b"Camera".ljust(40, b"\0") + b"Scope".ljust(40, b"\0")
    header += struct.pack("<qq", TICKS_2024_03_09_22H, TICKS_2024_03_09_22H)
    data = frames.astype(">u2" if little_endian_field else "<u2").tobytes()
    trailer = struct.pack("<%dq" % n, *times) if times is not None else b""
    with open(path, "wb") as f:
        f.write(header + data + trailer)
    return path


def write_xisf(path, samples, keywords):
    """A UInt16 grey image, zlib-compressed and shuffled, with FITSKeyword elements."""
    height, width = samples.shape
    raw = samples.astype("<u2").tobytes()
    shuffled = np.frombuffer(raw, np.uint8).reshape(-1, 2).T.tobytes()
    block = zlib.compress(shuffled)
    cards = "".join(f'<FITSKeyword name="{n}" value="{v}" comment="{c}"/>' for n, v, c in keywords)
    xml = (f'<?xml version="1.0" encoding="UTF-8"?><xisf version="1.0" xmlns="http://www.pixinsight.com/xisf">'
           f'<Image geometry="{width}:{height}:1" sampleFormat="UInt16" colorSpace="Gray" '
           f'compression="zlib+sh:{len(raw)}:2" location="attachment:4096:{len(block)}">{cards}</Image></xisf>')
    head = b"XISF0100" + struct.pack("<II", len(xml), 0) + xml.encode()
    with open(path, "wb") as f:
        f.write(head.ljust(4096, b"\0") + block)
    return path


def ffprobe(path):
    p = subprocess.run(["ffprobe", "-v", "error", "-of", "json", "-show_streams", "-show_packets", path],
                       capture_output=True, text=True)
    return json.loads(p.stdout) if p.returncode == 0 else {}


def main():
    with tempfile.TemporaryDirectory(prefix="orvanel-series-") as work:
        checks(work)
    return finish()


def checks(work):
    rng = np.random.default_rng(7)
    # Seven frames of an odd size, 10, 20 or 40 ms apart.
    frames = rng.integers(0, 4000, size=(7, 31, 45))
    gaps = [0, 10, 20, 10, 40, 10, 10]
    times = [TICKS_2024_03_09_22H + sum(gaps[:k + 1]) * 10000 for k in range(7)]
    ser = write_ser(os.path.join(work, "jupiter.ser"), frames, times)
    code, out, err = run("info", ser)
    check("info: frames", code == 0 and out.endswith("frames: 7\n"), out + err)
    code, _, err = run("pixel", ser, "1", "1", "--frame", "8")
    check("pixel --frame beyond the frames: exit 2", code == 2, err)

    # --auto-delays: frame 1 keeps 10, then the gaps in proportion, the last repeats.
    want = [10, 20, 10, 40, 10, 10, 10]
    webp = os.path.join(work, "jupiter.webp")
    code, _, err = run("animate", ser, "-o", webp, "--delay", "10", "--auto-delays")
    check("animate to WebP", code == 0, err)
    with Image.open(webp) as im:
        durations = []
        for k in range(im.n_frames):
            im.seek(k)
            im.load()
            durations.append(im.info.get("duration"))
        check("WebP read by Pillow: frames and durations", durations == [10 * d for d in want], durations)
        check("WebP: the frames' size", im.size == (45, 31), im.size)

    mp4 = os.path.join(work, "jupiter.mp4")
    code, _, err = run("animate", ser, "-o", mp4, "--delay", "10", "--auto-delays", "--bounce")
    check("animate to MP4", code == 0, err)
    probe = ffprobe(mp4)
    streams = probe.get("streams", [{}])
    pts = [int(p["pts"]) for p in probe.get("packets", [])]
    bounced = want + [want[k] for k in range(5, 0, -1)]  # frames 6 down to 2, with their delays
    check("MP4 read by ffprobe: H.264 at 1/100 s, even sizes",
          streams[0].get("codec_name") == "h264" and streams[0].get("time_base") == "1/100" and
          (streams[0].get("width"), streams[0].get("height")) == (46, 32), streams)
    check("MP4: each frame's presentation time", pts == [sum(bounced[:k]) for k in range(len(bounced))], pts)

    # A cube of astropy's: one frame per plane.
    cube = os.path.join(work, "orbit.fits")
    fits.PrimaryHDU((np.arange(5 * 20 * 30).reshape(5, 20, 30) % 1000).astype(np.int16)).writeto(cube)
    gif = os.path.join(work, "orbit.gif")
    code, _, err = run("animate", cube, "-o", gif)
    with Image.open(gif) as im:
        check("a cube animates plane by plane", code == 0 and im.n_frames == 5, err)

    # FITSKeyword elements as header cards.
    xisf = write_xisf(os.path.join(work, "m42.xisf"), rng.integers(0, 65535, size=(20, 30)),
                      [("OBJECT", "'M42'", "target"), ("EXPTIME", "120.", "seconds"),
                       ("FILTER", "'Ha'", ""), ("HISTORY", "", "calibrated")])
    code, out, err = run("header", xisf)
    lines = [line.rstrip() for line in out.splitlines()]
    check("XISF keywords in header",
          code == 0 and "OBJECT  = 'M42'                / target" in lines and
          "EXPTIME = 120. / seconds" in lines and "FILTER  = 'Ha'" in lines and "HISTORY calibrated" in lines,
          out + err)

    # The thumbnail: dark left half, bright right half, fitted within 128 x 128.
    halves = np.zeros((200, 300), np.int16)
    halves[:, 150:] = 1000
    hdu = fits.PrimaryHDU(halves)
    hdu.header["THRESH"], hdu.header["THRESL"] = 1000, 0
    field = os.path.join(work, "halves.fits")
    hdu.writeto(field)
    png = os.path.join(work, "halves.png")
    code, _, err = run("thumbnail", field, png, "128")
    with Image.open(png) as im:
        check("thumbnail read by Pillow", code == 0 and im.format == "PNG" and im.size == (128, 85) and
              im.mode == "L" and im.getpixel((10, 40)) == 0 and im.getpixel((120, 40)) == 255,
              (im.size, im.mode, err))
    code, _, err = run("thumbnail", ser, png, "0")
    check("thumbnail SIZE 0: exit 2", code == 2, err)


if __name__ == "__main__":
    sys.exit(main())
