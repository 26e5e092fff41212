#!/usr/bin/python3
"""Writes the seed corpus of fuzz_gif into fuzz/corpus/gif/: small GIF files made with Pillow
(one image, interlaced, small tables, an animation with local tables and a comment) and a few
written byte by byte (GIF87a, a graphic control block of odd size, data without a clear code);
and that of fuzz_gif_builder into fuzz/corpus/gif_builder/: a few animations (delays from 0 to
655, transparency, local tables) behind the five bytes that choose the save's options."""
import os
import random

from PIL import Image

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "gif")
OUT_BUILDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "gif_builder")


def image(w, h, colors, seed):
    rng = random.Random(seed)
    im = Image.new("P", (w, h))
    im.putpalette([rng.randrange(256) for _ in range(768)])
    im.putdata([rng.randrange(colors) if rng.random() < 0.3 else 0 for _ in range(w * h)])
    return im


def main():
    os.makedirs(OUT, exist_ok=True)
    image(16, 12, 256, 1).save(os.path.join(OUT, "pillow_single.gif"), interlace=False, optimize=False)
    image(20, 20, 40, 2).save(os.path.join(OUT, "pillow_interlaced.gif"), interlace=True)
    image(9, 5, 3, 3).save(os.path.join(OUT, "pillow_small_table.gif"), interlace=False)
    image(12, 8, 200, 4).save(os.path.join(OUT, "pillow_anim.gif"), save_all=True,
                              append_images=[image(12, 8, 60, 5), image(12, 8, 2, 6)],
                              duration=[100, 200, 300], loop=0, comment=b"seed", optimize=False, disposal=1)
    header = b"GIF87a" + bytes([3, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255])
    image_010 = bytes([0x2C, 0, 0, 0, 0, 3, 0, 1, 0, 0, 2, 2, 0x44, 0x50, 0])
    seeds = {
        "hand_87a.gif": header + image_010 + b"\x3b",
        "hand_gce5.gif": header.replace(b"87a", b"89a") + bytes([0x21, 0xF9, 5, 0, 9, 0, 0, 1, 0]) + image_010 + b"\x3b",
        # codes 0, 1, 0, 5 at 3 bits: no clear code first
        "hand_no_clear.gif": header + bytes([0x2C, 0, 0, 0, 0, 3, 0, 1, 0, 0, 2, 2, 0x08, 0x0A, 0]) + b"\x3b",
    }
    for name, data in seeds.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)

    # Option bytes: bit 0 the bounce, bit 1 a region (X, Y, width, height from the next four).
    os.makedirs(OUT_BUILDER, exist_ok=True)
    frames = [image(12, 8, 200, 7), image(12, 8, 30, 8), image(12, 8, 2, 9), image(12, 8, 90, 10)]
    for options, name in ((b"\0\0\0\0\0", "plain"), (b"\3\1\1\6\4", "bounce_region")):
        path = os.path.join(OUT_BUILDER, name + ".gif")
        frames[0].save(path, save_all=True, append_images=frames[1:], duration=[0, 50, 65535 // 100, 10],
                       loop=0, optimize=False, disposal=2, transparency=0)
        data = open(path, "rb").read()
        os.remove(path)
        with open(path, "wb") as f:
            f.write(options + data)
    with open(os.path.join(OUT, "pillow_anim.gif"), "rb") as f:
        data = f.read()
    with open(os.path.join(OUT_BUILDER, "local_tables.gif"), "wb") as f:
        f.write(b"\1\0\0\0\0" + data)


if __name__ == "__main__":
    main()
