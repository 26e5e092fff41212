#!/usr/bin/python3
"""orvanel-cli gif-info: its lines for files written by hand, and its failures."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from checks import CLI, check, finish  # noqa: E402





def gif_info(*args):
    return subprocess.run([CLI, "gif-info", *args], capture_output=True)


# A two-colour GIF87a of 3 x 1 pixels (0, 1, 0) with a comment, then a 16-colour interlaced
# image with a local table and a delay, written byte by byte.
HEADER = b"GIF87a" + bytes([5, 0, 4, 0, 0x80, 7, 0]) + bytes([0, 0, 0, 255, 255, 255])
IMAGE1 = bytes([0x21, 0xFE, 2]) + b"hi" + bytes([0]) + bytes([0x2C, 0, 0, 0, 0, 3, 0, 1, 0, 0, 2, 2, 0x44, 0x50, 0])
LOCAL = bytes(range(48))
IMAGE2 = (bytes([0x21, 0xF9, 4, 0, 12, 1, 0, 0]) + bytes([0x2C, 1, 0, 2, 0, 1, 0, 1, 0, 0xC3]) + LOCAL +
          bytes([4, 2, 0x10, 0x44, 0]))  # codes 16, 0, 17 at 5 bits

with tempfile.TemporaryDirectory() as tmp:
    good = os.path.join(tmp, "hand.gif")
    with open(good, "wb") as f:
        f.write(HEADER + IMAGE1 + IMAGE2 + b"\x3b")
    r = gif_info(good)
    check("gif-info prints the model as read", r.returncode == 0 and r.stdout.decode().splitlines() == [
        "version: 87a", "screen: 5x4", "flags: 0x80", "background: 7", "global-table: 2", "images: 2",
        "image 1: left=0 top=0 width=3 height=1 flags=0x00 local-table=0 code-size=2 delay=0 interlaced=0",
        "image 2: left=1 top=2 width=1 height=1 flags=0xC3 local-table=16 code-size=4 delay=268 interlaced=1",
    ], r.stdout.decode() + r.stderr.decode())

    # Without its trailer byte, every image whole: read, and written back with one.
    cut = os.path.join(tmp, "notrailer.gif")
    with open(cut, "wb") as f:
        f.write(HEADER + IMAGE1 + IMAGE2)
    r = gif_info(cut)
    check("gif-info reads a file without its trailer", r.returncode == 0 and "images: 2" in r.stdout.decode(),
          r.stdout.decode() + r.stderr.decode())
    fixed = os.path.join(tmp, "fixed.gif")
    r = subprocess.run([CLI, "convert", cut, "-o", fixed], capture_output=True)
    with open(fixed, "rb") if r.returncode == 0 else open(os.devnull, "rb") as f:
        written = f.read()
    check("convert writes it back whole", r.returncode == 0 and written.endswith(b"\x3b") and
          gif_info(fixed).returncode == 0, r.stderr.decode())

    cases = [
        ("version 88a", HEADER.replace(b"87a", b"88a") + IMAGE1 + b"\x3b", "Version inconue\n"),
        ("extension F8", HEADER + bytes([0x21, 0xF8, 0]) + b"\x3b", "Bloc d'extension inconnu.\nCode = $F8\n"),
        ("truncated", HEADER + IMAGE1[:12], "Fichier GIF tronqué\n"),
        ("cut in a local table", HEADER + IMAGE1 + IMAGE2[:30], "Fichier GIF tronqué\n"),
    ]
    for name, data, message in cases:
        path = os.path.join(tmp, "bad.gif")
        with open(path, "wb") as f:
            f.write(data)
        r = gif_info(path)
        check("gif-info refuses " + name, r.returncode == 1 and r.stderr.decode() == message,
              "%d %r" % (r.returncode, r.stderr.decode()))

    r = gif_info(os.path.join(tmp, "missing.gif"))
    check("gif-info of a missing file", r.returncode == 1 and "Ne peut ouvrir le fichier" in r.stderr.decode())
    check("gif-info without a file is a usage error", gif_info().returncode == 2)
    h = gif_info("--help")
    check("gif-info --help", h.returncode == 0 and b"Usage: orvanel-cli gif-info FILE.gif" in h.stdout)

sys.exit(finish())
