#!/usr/bin/python3
"""GIF files against peers: every file we write decodes to the same indices and colours in
giflib and Pillow (animations: frame count, delays and looping in gifsicle and Pillow; written
as what each frame changes, the same pictures shown in giflib, Pillow, gifsicle and
ImageMagick), and files written by giflib, Pillow and ImageMagick read back with the same
pixels as giflib sees, through our reader and `orvanel-cli gif-info`."""
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

import numpy as np
from astropy.io import fits
from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from checks import CLI, check, finish  # noqa: E402

BUILD = os.environ.get("ORVANEL_BUILD", "build/debug")
OURS = os.path.join(BUILD, "tests/orvanel_gif_tool")
GIFLIB = os.path.join(BUILD, "tests/giflib_tool")
MAGICK = "/usr/bin/convert"





def run(*args):
    try:
        return subprocess.run(list(args), capture_output=True, text=True)
    except OSError as e:  # a tool that is not built or not installed
        return subprocess.CompletedProcess(list(args), 127, "", str(e))


def dump(tool, path):
    """screen (w, h) and frames [(left, top, w, h, interlaced, delay, indices, rgb)]."""
    r = run(tool, "dump", path)
    if r.returncode != 0:
        raise RuntimeError(r.stderr.strip())
    lines = r.stdout.splitlines()
    screen = tuple(int(v) for v in lines[0].split()[1:])
    frames = []
    for i in range(1, len(lines), 3):
        f = [int(v) for v in lines[i].split()[2:]]
        frames.append(tuple(f) + (bytes.fromhex(lines[i + 1].split(" ", 1)[1] if " " in lines[i + 1] else ""),
                                  bytes.fromhex(lines[i + 2].split(" ", 1)[1] if " " in lines[i + 2] else "")))
    return screen, frames


def pillow_frames(path):
    """For each frame of Pillow's reading: the frame region's RGB bytes, its duration, and
    the file's loop count."""
    out = []
    with Image.open(path) as im:
        loop = im.info.get("loop")
        for k in range(getattr(im, "n_frames", 1)):
            im.seek(k)
            out.append((im.convert("RGB"), im.info.get("duration", 0)))
    return out, loop


def compare_with_peers(name, path, animated=None, facts=(), giflib_path=None):
    """giflib_path: the file giflib reads instead of path (giflib's DGifSlurp wants a trailer)."""
    try:
        ours = dump(OURS, path)
    except RuntimeError as e:
        check(name + ": our reader", False, str(e))
        return
    try:
        theirs = dump(GIFLIB, giflib_path or path)
        check(name + ": giflib sees the same screen, frames, indices and colours", ours == theirs,
              "screen %s vs %s, %d vs %d frames" % (ours[0], theirs[0], len(ours[1]), len(theirs[1])))
    except RuntimeError as e:
        check(name + ": giflib reads it", False, str(e))
    frames, loop = pillow_frames(path)
    same = len(frames) == len(ours[1])
    for (rgb_image, _), (left, top, w, h, _i, _d, _ix, rgb) in zip(frames, ours[1]):
        same = same and rgb_image.crop((left, top, left + w, top + h)).tobytes() == rgb
    check(name + ": Pillow decodes the same colours", same)
    info = run(CLI, "gif-info", path)
    images = re.search(r"^images: (\d+)$", info.stdout, re.M)
    check(name + ": gif-info reads it", info.returncode == 0 and images and int(images.group(1)) == len(ours[1]),
          info.stderr.strip())
    for fact in facts:
        check(name + ": gif-info shows " + fact, re.search(fact, info.stdout, re.M) is not None, info.stdout)
    if animated:
        delays, want_loop = animated
        check(name + ": our reader's delays", [f[5] for f in ours[1]] == delays, str([f[5] for f in ours[1]]))
        check(name + ": Pillow's frame durations and endless loop",
              [d for _, d in frames] == [10 * d for d in delays] and loop == want_loop,
              "%s loop=%s" % ([d for _, d in frames], loop))
        g = run("gifsicle", "--info", path).stdout
        count = re.search(r"(\d+) images", g)
        check(name + ": gifsicle counts the frames and sees the loop",
              count and int(count.group(1)) == len(delays) and ("loop forever" in g) == (want_loop == 0), g)
        got = [round(float(v) * 100) for v in re.findall(r"delay ([\d.]+)s", g)]
        check(name + ": gifsicle's delays", got == [d for d in delays if d] and len(got) == len([d for d in delays if d]),
              str(got))


def shown_by(tool, path):
    """The screen after each image, RGB bytes, as a tool that composes frames builds it."""
    r = run(tool, "shown", path)
    if r.returncode != 0:
        raise RuntimeError(r.stderr.strip())
    return [bytes.fromhex(line.split(" ", 1)[1]) for line in r.stdout.splitlines() if line.startswith("rgb ")]


def check_shown_by_peers(name, path, want, tmp):
    """Every peer composes the frames of a file written as what each frame changes into the
    pictures `want` (RGB bytes of the whole screen, frame by frame)."""
    for who, got in [("our reader", lambda: shown_by(OURS, path)), ("giflib", lambda: shown_by(GIFLIB, path))]:
        try:
            check(name + ": " + who + " shows the frames", got() == want)
        except RuntimeError as e:
            check(name + ": " + who + " reads it", False, str(e))
    pictures = []
    with Image.open(path) as im:
        for k in range(im.n_frames):
            im.seek(k)
            pictures.append(im.convert("RGB").tobytes())
    check(name + ": Pillow shows the frames", pictures == want, "%d frames" % len(pictures))
    whole = os.path.join(tmp, "unoptimized.gif")  # gifsicle makes every frame whole
    r = run("gifsicle", "--unoptimize", path, "-o", whole)
    check(name + ": gifsicle shows the frames", r.returncode == 0 and shown_by(GIFLIB, whole) == want, r.stderr)
    raw = os.path.join(tmp, "coalesced.rgb")
    r = run(MAGICK, path, "-coalesce", "-depth", "8", "rgb:" + raw)
    with open(raw, "rb") as f:
        check(name + ": ImageMagick shows the frames", r.returncode == 0 and f.read() == b"".join(want), r.stderr)


def check_optimized_comet(tmp, comet):
    """The comet series written as what each frame changes: every peer shows the plain file's
    frames, or with a tolerance frames within it; and our compositor reads a file gifsicle
    optimised as giflib does."""
    common = ["--same-display", "--crop", "100,60,200,130"]
    plain = os.path.join(tmp, "comet_plain.gif")
    series = [comet[0], comet[0]] + comet[1:5]  # a frame the same as the one before
    rows = [
        ("optimized", ["--optimize"], []),
        ("optimized, bounce", ["--optimize", "--bounce"], ["--bounce"]),
        ("optimized, tolerance 12", ["--optimize", "--tolerance", "12", "--bounce", "--jobs", "3"], ["--bounce"]),
    ]
    for name, options, plain_options in rows:
        path = os.path.join(tmp, "comet_%s.gif" % name.replace(", ", "_").replace(" ", ""))
        r = run(CLI, "animate", *series, "-o", path, *common, *options)
        r2 = run(CLI, "animate", *series, "-o", plain, *common, *plain_options)
        if not check("animate " + name, r.returncode == 0 and r2.returncode == 0, r.stderr + r2.stderr):
            continue
        want = shown_by(GIFLIB, plain)
        if "--tolerance" in options:
            ours = shown_by(OURS, path)
            worst = max(int(np.abs(np.frombuffer(a, np.uint8).astype(int) - np.frombuffer(b, np.uint8)).max())
                        for a, b in zip(ours, want))
            check(name + ": every pixel within 12 levels of the plain file's", len(ours) == len(want) and worst <= 12,
                  worst)
            check(name + ": under three quarters of the plain file", os.path.getsize(path) < os.path.getsize(plain) * 3 / 4,
                  (os.path.getsize(path), os.path.getsize(plain)))
            want = ours
        check_shown_by_peers(name, path, want, tmp)
    gifsicle = os.path.join(tmp, "comet_gifsicle.gif")
    r = run("gifsicle", "-O3", plain, "-o", gifsicle)
    check("gifsicle -O3 of the plain file: our compositor shows what giflib shows",
          r.returncode == 0 and shown_by(OURS, gifsicle) == shown_by(GIFLIB, gifsicle), r.stderr)


def display_levels(values, low, high):
    """The display rule of a linear display with low < high: 0 at or below low, 255 at or above
    high, between them 255 (v - low) / (high - low) rounded half to even."""
    v = values.astype(np.longdouble)
    levels = np.rint((v - low) * 255 / (high - low))
    return np.where(v <= low, 0, np.where(v >= high, 255, levels)).astype(np.uint8)


def auto_delays(seconds, first):
    """Frame 0 keeps its delay and sets the rate; every other frame is shown for its gap to the
    next frame at that rate, rounded half to even; the last frame repeats the one before."""
    gaps = [b - a for a, b in zip(seconds, seconds[1:])]
    rate = first / gaps[0]
    delays = [first] + [round(rate * g) for g in gaps[1:]]
    return delays + delays[-1:]


def check_comet_end_to_end(tmp, comet):
    """The comet series as an observer animates it: frames 2 to 10 given other thresholds than
    frame 1, one display for all, a region, stamps, delays from the observation times. Checked
    in giflib and Pillow: frame count, delays, and frame 6's pixels against the display rule."""
    series = []
    for k, path in enumerate(comet):
        copy = os.path.join(tmp, "e2e_" + os.path.basename(path))
        shutil.copyfile(path, copy)
        if k > 0:  # shown alike only if the first frame's display wins
            fits.setval(copy, "THRESH", value=3000 + 100 * k)
            fits.setval(copy, "THRESL", value=100 * k)
        series.append(copy)
    x, y, w, h = 100, 60, 200, 130
    out = os.path.join(tmp, "e2e_comet.gif")
    r = run(CLI, "animate", *series, "-o", out, "--auto-delays", "--same-display",
            "--crop", f"{x},{y},{w},{h}", "--stamp")
    if not check("animate the comet series end to end", r.returncode == 0, r.stderr):
        return
    headers = [fits.getheader(p) for p in series]
    seconds = [sum(int(v) * m for v, m in zip(hd["TIME_BEG"].split(":"), (3600, 60, 1))) for hd in headers]
    delays = auto_delays(seconds, 15)
    compare_with_peers("comet end to end", out, (delays, 0))
    with fits.open(series[5], do_not_scale_image_data=True) as f:
        region = f[0].data[y - 1:y - 1 + h, x - 1:x - 1 + w][::-1]  # stored rows from the bottom
    want = display_levels(region, headers[0]["THRESL"], headers[0]["THRESH"])[:h - 16]  # above the stamp
    frames, _ = pillow_frames(out)
    pillow = np.asarray(frames[5][0])[:h - 16, :, 0] if len(frames) == 10 else None
    check("comet end to end: Pillow's frame 6 holds the display rule's levels",
          pillow is not None and np.array_equal(pillow, want))
    try:
        giflib = dump(GIFLIB, out)[1][5]
        rgb = np.frombuffer(giflib[7], np.uint8).reshape(h, w, 3)[:h - 16, :, 0]
        check("comet end to end: giflib's frame 6 holds the display rule's levels", np.array_equal(rgb, want))
    except (RuntimeError, IndexError) as e:
        check("comet end to end: giflib reads frame 6", False, str(e))
    stamp = np.asarray(frames[5][0])[h - 16:, :, 0] if pillow is not None else np.zeros(1)
    check("comet end to end: the stamp is white on black", {0, 255} <= set(np.unique(stamp)))


def random_palette_image(w, h, colors, seed):
    rng = random.Random(seed)
    im = Image.new("P", (w, h))
    palette = []
    for _ in range(256):
        palette += [rng.randrange(256), rng.randrange(256), rng.randrange(256)]
    im.putpalette(palette)
    im.putdata([rng.randrange(colors) for _ in range(w * h)])
    return im


def main():
    if not os.path.exists(GIFLIB):
        check("giflib_tool is built (libgif-dev)", False, GIFLIB)
    with tempfile.TemporaryDirectory() as tmp:
        # What we write.
        for kind in ["one", "bw", "sixteen", "grey256", "truecolor", "long", "uniform", "narrowend", "anim"]:
            path = os.path.join(tmp, "ours_%s.gif" % kind)
            r = run(OURS, "make", kind, path)
            check("we write " + kind, r.returncode == 0, r.stderr)
            if r.returncode == 0:
                compare_with_peers("ours " + kind, path, ([10, 20, 35], 0) if kind == "anim" else None)
        one = run(CLI, "gif-info", os.path.join(tmp, "ours_anim.gif")).stdout.splitlines()
        check("gif-info of our animation", one == [
            "version: 89a", "screen: 40x30", "flags: 0xB3", "background: 0", "global-table: 16", "images: 3",
            "image 1: left=0 top=0 width=40 height=30 flags=0x00 local-table=0 code-size=4 delay=10 interlaced=0",
            "image 2: left=0 top=0 width=40 height=30 flags=0x87 local-table=256 code-size=8 delay=20 interlaced=0",
            "image 3: left=0 top=0 width=40 height=30 flags=0x80 local-table=2 code-size=2 delay=35 interlaced=0",
        ], "\n".join(one))

        # convert to .gif: the displayed picture of a FITS image, as its .bmp rendering shows it.
        sample = os.path.join(BUILD, "data", "orvanel-make-sample")
        fit, gif, bmp = (os.path.join(tmp, "sample." + e) for e in ("fit", "gif", "bmp"))
        made = run(sample, fit, "--width", "300", "--height", "200").returncode == 0
        check("sample FITS made", made)
        if made:
            r = run(CLI, "convert", fit, "-o", gif, "--low", "900", "--high", "2000")
            check("convert FITS to GIF", r.returncode == 0, r.stderr)
            run(CLI, "render", fit, "-o", bmp, "--low", "900", "--high", "2000")
            with Image.open(gif) as a, Image.open(bmp) as b:
                check("the GIF shows the rendered picture in Pillow",
                      a.convert("RGB").tobytes() == b.convert("RGB").tobytes() and a.size == (300, 200))
            compare_with_peers("converted FITS", gif, facts=["^flags: 0xF7$", "^image 1: .* delay=0 "])

        # An RGB cube written by astropy: the bitmap shows the planes astropy reads (the first
        # stored row at the bottom), and its 216 colours or fewer make an exact GIF.
        rng = np.random.default_rng(19)
        planes = rng.choice(np.array([0, 300, 700, 1000, 1500, 2500], dtype=np.int16), size=(3, 30, 40))
        cube, cgif, cbmp = (os.path.join(tmp, "cube." + e) for e in ("fit", "gif", "bmp"))
        fits.PrimaryHDU(planes).writeto(cube)
        with fits.open(cube) as f:
            read = f[0].data.astype(np.int64)
        r = run(CLI, "render", cube, "-o", cbmp, "--low", "300", "--high", "2000")
        r2 = run(CLI, "convert", cube, "-o", cgif, "--low", "300", "--high", "2000")
        if check("RGB cube rendered and converted", r.returncode == 0 and r2.returncode == 0, r.stderr + r2.stderr):
            want = np.flipud(np.stack([display_levels(read[c], 300, 2000) for c in range(3)], axis=-1))
            with Image.open(cbmp) as b, Image.open(cgif) as g:
                shown = np.asarray(b.convert("RGB"))
                check("RGB cube: the bitmap shows astropy's planes", b.mode == "RGB" and np.array_equal(shown, want))
                check("RGB cube: Pillow reads the GIF's colours exactly", np.array_equal(np.asarray(g.convert("RGB")), want))
            compare_with_peers("RGB cube GIF", cgif)

        # Animations made with the options: the comet series cropped, binned, stamped, bounced.
        comet = sorted(os.path.join(BUILD, "samples", "comet", f) for f in os.listdir(os.path.join(BUILD, "samples", "comet")))
        option_rows = {
            "same display, crop, stamp": (["--same-display", "--crop", "100,60,200,130", "--stamp", "--delay", "12"],
                                          [12] * 10),
            "bin, bounce": (["--bin", "3", "--bounce", "--delay", "20"], [20] * 18),
            "crop, bin, asinh": (["--crop", "65,33,288,192", "--bin", "2", "--stretch", "asinh", "--jobs", "1"],
                                 [15] * 10),
            "low, high, stamp, bounce, auto delays": (
                ["--low", "900", "--high", "1800", "--stamp", "--bounce", "--auto-delays", "--jobs", "3"], None),
        }
        for row, (kind, (options, delays)) in enumerate(option_rows.items()):
            path = os.path.join(tmp, "ours_options_%d.gif" % row)
            r = run(CLI, "animate", *comet, "-o", path, *options)
            check("animate " + kind, r.returncode == 0 and len(comet) == 10, r.stderr)
            if delays is None:  # the delays the program found from the times, as gif-info reads them
                delays = [int(v) for v in re.findall(r"delay=(\d+)", run(CLI, "gif-info", path).stdout)]
                check("animate " + kind + ": 18 frames", len(delays) == 18, delays)
            compare_with_peers("animate " + kind, path, (delays, 0))
        check_comet_end_to_end(tmp, comet)
        check_optimized_comet(tmp, comet)

        # What giflib writes.
        giflib_facts = {
            "g87": ["^version: 87a$", "^global-table: 16$"],
            "interlaced": ["interlaced=1$", "delay=42"],
            "local": ["^image 2: left=5 top=3 width=20 height=17 flags=0x81 local-table=4 "],
            "bits5": ["^global-table: 32$"],
        }
        for kind, facts in giflib_facts.items():
            path = os.path.join(tmp, "giflib_%s.gif" % kind)
            r = run(GIFLIB, "make", kind, path)
            check("giflib writes " + kind, r.returncode == 0, r.stderr)
            if r.returncode == 0:
                compare_with_peers("giflib " + kind, path, facts=facts)
        with open(os.path.join(tmp, "giflib_g87.gif"), "rb") as f:
            check("giflib g87 is a GIF87a file", f.read(6) == b"GIF87a")

        # What Pillow writes.
        pil = {
            "single87": (lambda p: random_palette_image(64, 48, 200, 1).save(p, interlace=False, optimize=False)),
            "interlaced": (lambda p: random_palette_image(64, 48, 256, 2).save(p, interlace=True, optimize=False)),
            "fivecolours": (lambda p: random_palette_image(30, 20, 5, 3).save(p, interlace=False)),
            "fortycolours": (lambda p: random_palette_image(30, 20, 40, 4).save(p, interlace=False)),
            "anim": (lambda p: random_palette_image(40, 30, 100, 5).save(
                p, save_all=True, append_images=[random_palette_image(40, 30, 60, 6), random_palette_image(40, 30, 16, 7)],
                duration=[100, 200, 300], loop=0, comment=b"from Pillow", optimize=False, disposal=1)),
        }
        pil_facts = {
            "single87": ["^version: 87a$"],
            "interlaced": ["interlaced=1$"],
            "fortycolours": ["^global-table: 64$"],
            "anim": ["^image 2: .* local-table=256 "],
        }
        for kind, make in pil.items():
            path = os.path.join(tmp, "pillow_%s.gif" % kind)
            make(path)
            compare_with_peers("Pillow " + kind, path, ([10, 20, 30], 0) if kind == "anim" else None,
                               pil_facts.get(kind, ()))
        # The same animation without its trailer byte: every image is whole, so it opens.
        whole = os.path.join(tmp, "pillow_anim.gif")
        cut = os.path.join(tmp, "pillow_anim_notrailer.gif")
        with open(whole, "rb") as f, open(cut, "wb") as g:
            data = f.read()
            check("Pillow anim ends with its trailer", data.endswith(b"\x3b"))
            g.write(data[:-1])
        compare_with_peers("Pillow anim without trailer", cut, ([10, 20, 30], 0), giflib_path=whole)
        with open(os.path.join(tmp, "pillow_single87.gif"), "rb") as f:
            check("Pillow single87 is a GIF87a file", f.read(6) == b"GIF87a")

        # What ImageMagick writes.
        frames = []
        for i, colour in enumerate(["red", "blue", "green"]):
            p = os.path.join(tmp, "frame%d.png" % i)
            run(MAGICK, "-size", "48x32", "gradient:%s-white" % colour, "-seed", str(i), "+noise", "Gaussian",
                "-colors", str(40 + 60 * i), "PNG8:" + p)
            frames.append(p)
        magick = {
            "single": [frames[0]],
            "interlaced": ["-interlace", "GIF", frames[1]],
            "comment": ["-comment", "from ImageMagick", frames[2]],
            "anim": ["-delay", "25", "-loop", "0"] + frames,
        }
        magick_facts = {
            "interlaced": ["interlaced=1$"],
            "anim": ["^image 2: .* local-table=128 "],
        }
        for kind, args in magick.items():
            path = os.path.join(tmp, "magick_%s.gif" % kind)
            r = run(MAGICK, *args, path)
            check("ImageMagick writes " + kind, r.returncode == 0, r.stderr)
            if r.returncode == 0:
                compare_with_peers("ImageMagick " + kind, path, ([25, 25, 25], 0) if kind == "anim" else None,
                                   magick_facts.get(kind, ()))
        with open(os.path.join(tmp, "magick_comment.gif"), "rb") as f:
            check("ImageMagick comment carries its comment block", b"\x21\xfe\x10from ImageMagick" in f.read())

    return finish()


if __name__ == "__main__":
    sys.exit(main())
