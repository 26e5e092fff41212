#!/usr/bin/env python3
"""orvanel-cli animate: frames in the order given, delays (fixed, --delay, automatic from the
observation times), looping, refused files left out, display options, steady animations
(alignment, a track, the common rectangle), exit codes, saves that cannot be written (convert's
too). The GIF written is read back with gifsicle and Pillow."""
import os
import pty
import re
import shutil
import struct
import subprocess
import sys
import tempfile

import numpy as np
from astropy.io import fits
from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from checks import CLI, check, finish  # noqa: E402


def run(*args):
    p = subprocess.run([CLI, *args], capture_output=True)
    return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")


def write_fits(path, seed, time=None):
    data = ((np.arange(40 * 30).reshape(30, 40) * (seed + 3) + seed * 997) % 4000).astype(np.int16)
    hdu = fits.PrimaryHDU(data)
    hdu.header["MIPS-HI"] = 4000
    hdu.header["MIPS-LO"] = 0
    if time is not None:
        hdu.header["TIME_BEG"] = time
    hdu.writeto(path, overwrite=True)
    return path


def write_pic(path, time):
    width, height = 40, 30
    h = bytearray(290)
    h[0], h[1] = 252, 49
    struct.pack_into("<H", h, 2, 290)
    struct.pack_into("<HHHH", h, 68, width, height, 16, 3)
    struct.pack_into("<H", h, 92, 1)
    h[104:104 + len(time)] = time.encode()
    struct.pack_into("<hh", h, 118, 4000, 0)
    values = [(i * 37) % 4000 for i in range(width * height)]
    with open(path, "wb") as f:
        f.write(bytes(h) + struct.pack("<%dh" % len(values), *values))
    return path


def steady_series(d, colour=None):
    """Four 200 x 150 windows of one star field, whole pixels apart, with the WCS and times
    that go with them, and a fifth frame of another field. The noise belongs to the sky, so
    frames moved back onto the first are equal. In colour ("rgb"), RGB cubes of the field at
    three gains; "bayer": RGGB mosaics of twice the size, whose superpixels are those cubes
    (the WCS on the mosaic's pixels). Returns the paths and the moves expected."""
    rng = np.random.default_rng(5)
    yy, xx = np.mgrid[0:220, 0:280]

    def field():
        sky = 1000 + rng.normal(0, 5, yy.shape)
        for _ in range(45):
            x, y, peak = rng.uniform(0, 280), rng.uniform(0, 220), rng.uniform(300, 20000)
            sky += peak * np.exp(-((xx - x) ** 2 + (yy - y) ** 2) / (2 * 1.3 ** 2))
        return sky

    stars, other = field(), field()
    moves = [(0, 0), (5, -3), (-4, 7), (9, 2)]
    paths = []
    for k, (dx, dy) in enumerate(moves + [(0, 0)]):
        sky = stars if k < 4 else other
        data = sky[30 + dy:180 + dy, 40 + dx:240 + dx]  # row 0 is the bottom row
        if colour == "rgb":
            data = np.stack([data * 0.6, data, data * 0.8])
        if colour == "bayer":
            data = np.kron(data, np.ones((2, 2))) * np.tile([[0.6, 1], [1, 0.8]], data.shape)
        hdu = fits.PrimaryHDU(data.astype(np.int16))
        h = hdu.header
        h["DATE-OBS"], h["TIME_BEG"] = "2024-03-09", "23:%02d:00" % (57 + k) if k < 3 else "00:%02d:00" % (k - 3)
        h["CTYPE1"], h["CTYPE2"], h["CRVAL1"], h["CRVAL2"] = "RA---TAN", "DEC--TAN", 150.0, 20.0
        h["CRPIX1"], h["CRPIX2"] = 100.5 - dx, 75.5 - dy
        h["CDELT1"], h["CDELT2"] = -0.0005, 0.0005
        if colour == "bayer":
            h["BAYERPAT"] = "RGGB"
            h["CRPIX1"], h["CRPIX2"] = 2 * (100.5 - dx) - 0.5, 2 * (75.5 - dy) - 0.5
            h["CDELT1"], h["CDELT2"] = -0.00025, 0.00025
        if k >= 3:
            h["DATE-OBS"] = "2024-03-10"
        paths.append(os.path.join(d, "steady%s%d.fit" % (colour or "", k)))
        hdu.writeto(paths[-1], overwrite=True)
    return paths, moves


def gifsicle_info(path):
    out = subprocess.run(["gifsicle", "--info", path], capture_output=True, text=True).stdout
    images = int(re.search(r"(\d+) images?", out).group(1))
    delays = [round(float(d) * 100) for d in re.findall(r"delay ([0-9.]+)s", out)]
    return images, delays, "loop forever" in out


def frames_of(path):
    """(durations in ms, loop, RGB bytes of every frame)."""
    with Image.open(path) as im:
        durations, pictures = [], []
        for i in range(im.n_frames):
            im.seek(i)
            durations.append(im.info.get("duration"))
            pictures.append(im.convert("RGB").tobytes())
        return durations, im.info.get("loop"), pictures


def rendered(path, *options, d):
    out = os.path.join(d, "render-%d.bmp" % abs(hash((path,) + options)))
    code, _, err = run("render", path, "-o", out, *options)
    if code != 0:
        return None, err
    with Image.open(out) as im:
        return im.convert("RGB").tobytes(), ""


def main():
    if shutil.which("gifsicle") is None:
        print("gifsicle missing")
        return 1
    d = tempfile.mkdtemp(prefix="orvanel-cli-animate-")
    try:
        f0 = write_fits(os.path.join(d, "comet0.fit"), 0, "10:00:00")
        f1 = write_fits(os.path.join(d, "comet1.fit"), 1, "10:01:00")
        f2 = write_fits(os.path.join(d, "comet2.fit"), 2, "10:03:00")
        night = [write_fits(os.path.join(d, f"night{i}.fit"), i, t)
                 for i, t in enumerate(("23:58:00", "23:59:00", "00:01:00", "00:05:00"))]
        out = os.path.join(d, "anim.gif")

        # Frames in the order given, delay 15, looping forever, each the displayed picture.
        code, _, err = run("animate", f2, f0, f1, "-o", out)
        check("plain: exit 0", code == 0, err)
        images, delays, loops = gifsicle_info(out)
        check("plain: three images", images == 3, images)
        check("plain: delays 15", delays == [15, 15, 15], delays)
        check("plain: loops", loops)
        durations, loop, pictures = frames_of(out)
        check("plain: Pillow durations", durations == [150, 150, 150], durations)
        check("plain: Pillow loop 0", loop == 0, loop)
        expected = [rendered(f, d=d)[0] for f in (f2, f0, f1)]
        check("plain: frames are the displayed pictures in order", pictures == expected)

        # Colour frames: one global table for the whole GIF, no local table. RGB cubes of six
        # levels hold at most 216 colours: exact; Bayer frames (and a grey one among them) hold
        # more: each pixel the nearest table colour (ties to the lower index) of its rendered one.
        rng = np.random.default_rng(19)
        levels = np.array([0, 300, 700, 1000, 1500, 2500], dtype=np.int16)
        rgb = []
        for k in range(2):
            rgb.append(os.path.join(d, f"rgb{k}.fit"))
            fits.PrimaryHDU(rng.choice(levels, size=(3, 30, 40))).writeto(rgb[-1])
        bayer = []
        for k in range(2):
            bayer.append(os.path.join(d, f"osc{k}.fit"))
            hdu = fits.PrimaryHDU(rng.integers(0, 2500, size=(30, 40)).astype(np.int16))
            hdu.header["BAYERPAT"] = "GBRG"
            hdu.writeto(bayer[-1])
        shown = ["--low", "0", "--high", "2500"]
        # The cubes cut to X 3, Y 5, 20 x 10 and binned 2 x 2, rounded half to even: what
        # --crop and --bin must show, each channel on its own.
        reduced = []
        for k, f in enumerate(rgb):
            cut = fits.getdata(f)[:, 4:14, 2:22].astype(float)
            binned = cut.reshape(3, 5, 2, 10, 2).mean(axis=(2, 4))
            reduced.append(os.path.join(d, f"rgb-reduced{k}.fit"))
            fits.PrimaryHDU(np.round(binned).astype(np.int16)).writeto(reduced[-1])
        colour_cases = [
            # name, files, options, exact, the files and render options that give the frames expected
            ("colour cubes", rgb, shown, True, None),
            ("colour cubes, optimised", rgb, shown + ["--optimize"], True, None),
            ("Bayer frames and a grey one, bilinear", bayer + [f0], shown, False, None),
            ("Bayer frames, superpixel", bayer, shown + ["--debayer", "superpixel"], False, None),
            ("colour cubes, cropped and binned", rgb, shown + ["--crop", "3,5,20,10", "--bin", "2"], False,
             (reduced, shown)),
            ("colour cubes, the planet preset of the region", rgb, ["--crop", "3,5,20,10", "--bin", "2", "--preset",
                                                                    "planet"], False, (reduced, ["--preset", "planet"])),
        ]
        for name, files, options, exact, reference in colour_cases:
            code, _, err = run("animate", *files, "-o", out, *options)
            if not check(name + ": exit 0", code == 0, err):
                continue
            info = run("gif-info", out)[1]
            if "--optimize" not in options:
                check(name + ": one global table", "local-table=0" in info and "local-table=2" not in info
                      and info.count("local-table=0 ") == len(files), info)
            seen = [(f, [o for o in options if o != "--optimize"]) for f in files]
            if reference:
                seen = [(f, reference[1]) for f in reference[0]]
            want = [np.frombuffer(rendered(f, *o, d=d)[0], np.uint8).reshape(-1, 3).astype(int) for f, o in seen]
            got = [np.frombuffer(p, np.uint8).reshape(-1, 3).astype(int) for p in frames_of(out)[2]]
            if exact:
                check(name + ": frames are the rendered pictures", all(np.array_equal(a, b) for a, b in zip(got, want)))
                continue
            with Image.open(out) as im:
                table = np.array(im.getpalette()[:768]).reshape(-1, 3)
            nearest = [table[np.argmin(((w[:, None, :] - table[None, :, :]) ** 2).sum(axis=2), axis=1)] for w in want]
            check(name + ": each pixel the nearest table colour", all(np.array_equal(a, b) for a, b in zip(got, nearest)))
        # The stamp on colour frames: white on black in all three channels, the rest of the
        # frame untouched.
        for f, time in zip(rgb, ("22:10:05", "22:11:05")):
            with fits.open(f, mode="update") as h:
                h[0].header["TIME_BEG"] = time
        run("animate", *rgb, "-o", out, *shown)
        plain = [np.frombuffer(p, np.uint8).reshape(30, 40, 3) for p in frames_of(out)[2]]
        code, _, err = run("animate", *rgb, "-o", out, *shown, "--stamp")
        stamped = [np.frombuffer(p, np.uint8).reshape(30, 40, 3) for p in frames_of(out)[2]]
        box = [np.argwhere((a != b).any(axis=2)) for a, b in zip(plain, stamped)]
        check("colour stamp: only the lower-left corner changes", code == 0 and all(
            len(b) and b[:, 0].min() >= 30 - 16 and b[:, 1].max() < 40 for b in box), err)
        check("colour stamp: white on black", all(
            set(map(tuple, s[30 - 9:, :12].reshape(-1, 3))) <= {(0, 0, 0), (255, 255, 255)} and
            (s[30 - 9:, :12] == 255).all(axis=2).any() for s in stamped))

        # Delays by option and from the TIME_BEG cards.
        cases = [
            ("auto", ["--auto-delays"], [f0, f1, f2], [15, 30, 30]),
            ("delay 40", ["--delay", "40"], [f0, f1, f2], [40, 40, 40]),
            ("delay 40 auto", ["--delay", "40", "--auto-delays"], [f0, f1, f2], [40, 80, 80]),
            ("auto, times going back", ["--auto-delays"], [f2, f1, f0], [15, 8, 8]),
            ("auto, two frames copy", ["--delay", "20", "--auto-delays"], [f0, f2], [20, 20]),
            ("delay 0", ["--delay", "0"], [f0, f1], [0, 0]),
            ("auto across midnight", ["--auto-delays"], night[:3], [15, 30, 30]),
            ("auto, first gap across midnight", ["--auto-delays"], night[1:], [15, 30, 30]),
        ]
        for name, options, files, want in cases:
            code, _, err = run("animate", *files, "-o", out, *options)
            check(name + ": exit 0", code == 0, err)
            durations = frames_of(out)[0]
            check(name + ": delays", [round((x or 0) / 10) for x in durations] == want, durations)
            check(name + ": frame count", len(durations) == len(files), durations)

        # A PIC's header time counts like a FITS card.
        p1 = write_pic(os.path.join(d, "moon1.pic"), "10:00:30.00")
        code, _, err = run("animate", f0, p1, f1, "-o", out, "--auto-delays")
        check("pic time: exit 0", code == 0, err)
        check("pic time: delays", gifsicle_info(out)[1] == [15, 15, 15], gifsicle_info(out))

        # A bad time card stops the automatic delays with the conversion error.
        bad_time = write_fits(os.path.join(d, "badtime.fit"), 4, "10::00")
        code, _, err = run("animate", f0, bad_time, f1, "-o", os.path.join(d, "t.gif"), "--auto-delays")
        check("bad time: exit 1", code == 1, code)
        check("bad time: message", "'' n'est pas une valeur flottante correcte" in err, err)
        check("bad time: nothing written", not os.path.exists(os.path.join(d, "t.gif")))

        # Refused files are reported and left out.
        garbage = os.path.join(d, "garbage.fit")
        with open(garbage, "wb") as f:
            f.write(b"not a fits file at all" * 10)
        missing = os.path.join(d, "missing.fit")
        code, _, err = run("animate", f0, missing, garbage, f1, "-o", out)
        check("refused: exit 0", code == 0, err)
        check("refused: missing reported", "missing.fit" in err, err)
        check("refused: two frames left", gifsicle_info(out)[0] == 2, gifsicle_info(out))
        check("refused: the good frames", frames_of(out)[2] == [rendered(f, d=d)[0] for f in (f0, f1)])

        none = os.path.join(d, "none.gif")
        code, _, err = run("animate", missing, garbage, "-o", none)
        check("no frame: exit 1", code == 1, code)
        check("no frame: nothing written", not os.path.exists(none))

        # The name without an extension gets ".gif"; an existing file is replaced.
        code, _, err = run("animate", f0, "-o", os.path.join(d, "orbite"))
        check("default extension", code == 0 and os.path.exists(os.path.join(d, "orbite.gif")), err)
        code, _, err = run("animate", f0, f1, "-o", os.path.join(d, "orbite.gif"))
        check("overwrite", code == 0 and gifsicle_info(os.path.join(d, "orbite.gif"))[0] == 2, err)

        # Saving twice gives the same bytes.
        a, b = os.path.join(d, "a.gif"), os.path.join(d, "b.gif")
        run("animate", f0, f1, f2, "-o", a, "--auto-delays")
        run("animate", f0, f1, f2, "-o", b, "--auto-delays")
        with open(a, "rb") as fa, open(b, "rb") as fb:
            check("same bytes twice", fa.read() == fb.read())

        # Display options apply to each image before its frame is made.
        pal = os.path.join(d, "spectre.pal")
        with open(pal, "wb") as f:
            f.write(b"PAL" + bytes(range(15)) + b"".join(bytes((255 - i, i, 100, 0)) for i in range(256)))
        code, _, err = run("animate", f0, f1, "-o", out, "--palette", pal)
        check("palette: exit 0", code == 0, err)
        want = [rendered(f, "--palette", pal, d=d)[0] for f in (f0, f1)]
        check("palette: frames as rendered", frames_of(out)[2] == want)
        check("palette: not grey", frames_of(out)[2] != [rendered(f, d=d)[0] for f in (f0, f1)])

        # The preset and the display function: each frame as render shows that image.
        for options in (["--preset", "planet"], ["--preset", "deepsky"], ["--stretch", "asinh"], ["--auto", "mtf"],
                        ["--auto", "zscale"]):
            name = " ".join(options)
            code, _, err = run("animate", f0, f1, "-o", out, *options)
            check(name + ": exit 0", code == 0, err)
            want = [rendered(f, *options, d=d)[0] for f in (f0, f1)]
            check(name + ": frames as rendered", None not in want and frames_of(out)[2] == want)

        # Frames that differ only by sky level and gain (a v + b of the first) show alike once
        # normalised under the first frame's automatic display, and not without normalising.
        # In colour each channel has a level and gain of its own.
        sky = np.random.default_rng(4).normal(600, 15, (30, 40)).round()
        sky[::7, ::9] += 3000
        scaled, scaled_rgb = [], []
        gains = [(1, 0), (2, 100), (3, -500), (1, 2000)]
        for k, (a, b) in enumerate(gains):
            scaled.append(os.path.join(d, f"scaled{k}.fit"))
            fits.PrimaryHDU((a * sky + b).astype(np.int16)).writeto(scaled[-1])
            scaled_rgb.append(os.path.join(d, f"scaled-rgb{k}.fit"))
            planes = [gains[(k + c) % 4][0] * sky + gains[(k + c) % 4][1] for c in range(3)]
            fits.PrimaryHDU(np.stack(planes).astype(np.int16)).writeto(scaled_rgb[-1])
        for mode, files in [("mtf", scaled), ("zscale", scaled), ("mtf, colour", scaled_rgb),
                            ("zscale, colour", scaled_rgb)]:
            run("animate", *files, "-o", out, "--auto", mode.split(",")[0], "--same-display", "--normalize")
            shown = frames_of(out)[2]
            check(f"normalised {mode}: the first frame as rendered",
                  shown[0] == rendered(files[0], "--auto", mode.split(",")[0], d=d)[0])
            check(f"normalised {mode}: every frame alike", shown == [shown[0]] * 4)
            run("animate", *files, "-o", out, "--auto", mode.split(",")[0], "--same-display")
            check(f"not normalised {mode}: frames differ", len(set(frames_of(out)[2])) > 1)

        # An option that cannot apply to a file (no palette for a bitmap) leaves that file out.
        bmp = os.path.join(d, "plain.bmp")
        run("render", f0, "-o", bmp)
        code, _, err = run("animate", bmp, f1, "-o", out, "--palette", pal)
        check("palette on a bitmap: exit 0", code == 0, err)
        check("palette on a bitmap: reported", "palette" in err, err)
        check("palette on a bitmap: one frame", gifsicle_info(out)[0] == 1, gifsicle_info(out))
        code, _, err = run("animate", bmp, f1, "-o", out)
        check("bitmap frame", code == 0 and gifsicle_info(out)[0] == 2, err)

        # The options beyond one frame per file, each against what it must change.
        series = [write_fits(os.path.join(d, "s%02d.fit" % i), i, "10:%02d:00" % i) for i in range(40)]
        with fits.open(series[0], mode="update") as h:
            h[0].header["DATE-OBS"] = "2024-03-09"
        plain = os.path.join(d, "plain.gif")
        code, _, err = run("animate", *series[:3], "-o", plain)
        check("plain series: nothing on a non-terminal standard error", code == 0 and err == "", err)
        # On a terminal: "image k / n" counting up to n, then the file, its images and size.
        master, slave = pty.openpty()
        code = subprocess.run([CLI, "animate", *series[:3], "-o", out, "--bounce"], stdout=subprocess.DEVNULL,
                              stderr=slave).returncode
        os.close(slave)
        shown = b""
        try:
            while chunk := os.read(master, 4096):
                shown += chunk
        except OSError:  # the terminal's other end is closed: all is read
            pass
        os.close(master)
        counts = [int(k) for k in re.findall(rb"image (\d+) / 4", shown)]
        check("terminal: image k / n on standard error", code == 0 and counts and counts == sorted(counts)
              and counts[0] == 1 and counts[-1] == 4, shown)
        last = re.search(rb"\r\x1b\[K" + re.escape(out.encode()) + rb" : 4 images, (\d+),(\d\d) Ko\r\n$", shown)
        check("terminal: the last line gives the file, its images and size in Ko",
              last and abs(int(last.group(1) + last.group(2)) * 10 - os.path.getsize(out)) <= 5,
              (shown, os.path.getsize(out)))
        plain_frames = frames_of(plain)[2]
        option_cases = [
            # name, options, frame count, (width, height), frames that differ from the plain ones
            ("crop", ["--crop", "3,5,20,10"], 3, (20, 10), None),
            ("bin", ["--bin", "3"], 3, (13, 10), None),
            ("crop then bin", ["--crop", "1,1,39,30", "--bin", "2"], 3, (19, 15), None),
            ("stamp", ["--stamp"], 3, (40, 30), [0, 1, 2]),
            ("bounce", ["--bounce"], 4, (40, 30), []),
            ("same display", ["--same-display", "--high", "2000"], 3, (40, 30), [0, 1, 2]),
            ("optimize", ["--optimize"], 3, (40, 30), []),
            ("optimize, bounce", ["--optimize", "--bounce"], 4, (40, 30), []),
        ]
        for name, options, count, size, changed in option_cases:
            code, _, err = run("animate", *series[:3], "-o", out, *options)
            check(name + ": exit 0", code == 0, err)
            images, delays, loops = gifsicle_info(out)
            check(name + ": frames, delays and loop", images == count and delays == [15] * count and loops,
                  (images, delays))
            with Image.open(out) as im:
                check(name + ": size", im.size == size, im.size)
            if changed is not None:
                pictures = frames_of(out)[2]
                differ = [i for i in range(min(3, count)) if pictures[i] != plain_frames[i]]
                check(name + ": frames changed", differ == changed, differ)
        for options in [["--bounce"], ["--bounce", "--optimize"]]:
            code, _, _ = run("animate", *series[:3], "-o", out, *options)
            check(" ".join(options) + ": the second frame again", frames_of(out)[2][3] == plain_frames[1])
        code, _, err = run("animate", f0, f0, "-o", out, "--optimize")
        _, info, _ = run("gif-info", out)
        check("optimize: a frame that changes nothing is one transparent pixel",
              code == 0 and "image 2: left=0 top=0 width=1 height=1 flags=0x80" in info, err + info)
        # Delays browsers slow down are kept and named on standard error.
        code, _, err = run("animate", f0, f1, "-o", out, "--delay", "1")
        check("delay 1: kept, with a warning", code == 0 and gifsicle_info(out)[1] == [1, 1] and
              err == "Attention : 2 images (1, 2) ont un délai de 0 ou 1 centième, joué à 10 centièmes par les "
                     "navigateurs\n", err)
        code, _, err = run("animate", f0, f1, "-o", os.path.join(d, "fast.mp4"), "--delay", "1")
        check("delay 1 in an MP4, which plays it as it is: no warning", code == 0 and err == "", err)
        code, _, err = run("animate", *series[:2], "-o", out, "--same-display", "--low", "500", "--high", "3000")
        want = [rendered(f, "--low", "500", "--high", "3000", d=d)[0] for f in series[:2]]
        check("low and high for every frame", code == 0 and frames_of(out)[2] == want, err)

        # Any number of threads writes the same file.
        one, four = os.path.join(d, "j1.gif"), os.path.join(d, "j4.gif")
        common = ["--stamp", "--bounce", "--same-display", "--crop", "2,2,36,26", "--bin", "2", "--auto-delays"]
        for extra in [[], ["--optimize", "--tolerance", "3"]]:
            code1, _, err1 = run("animate", *series, "-o", one, "--jobs", "1", *common, *extra)
            code4, _, err4 = run("animate", *series, "-o", four, "--jobs", "4", *common, *extra)
            with open(one, "rb") as g1, open(four, "rb") as g4:
                check("jobs 1 and 4: the same bytes " + " ".join(extra), code1 == code4 == 0 and g1.read() == g4.read(),
                      err1 + err4)
            check("jobs: 78 frames " + " ".join(extra), gifsicle_info(four)[0] == 78, gifsicle_info(four))

        # A file that does not hold the region is reported and left out.
        small = os.path.join(d, "small.fit")
        fits.PrimaryHDU(np.zeros((30, 20), dtype=np.int16)).writeto(small)
        code, _, err = run("animate", f0, small, f1, "-o", out, "--crop", "15,1,11,30")
        check("region outside: exit 0", code == 0, err)
        check("region outside: reported", err == small + " : La zone X 15, Y 1, 11 x 30 dépasse l'image (20 x 30)\n", err)
        check("region outside: two frames", gifsicle_info(out)[0] == 2, gifsicle_info(out))

        # Steady animations: frames moved back onto the first by whole pixels and cut to the
        # rectangle they all cover (x from 9 to 196, y from 7 to 147), so that they are equal.
        steady, _ = steady_series(d)
        steady_rgb, _ = steady_series(d, "rgb")
        steady_bayer, _ = steady_series(d, "bayer")
        display = ["--low", "990", "--high", "1500"]
        for name, options, files, size, report in [
            ("stars", ["--align", "stars"], steady[:4], (187, 140), ""),
            ("wcs", ["--align", "wcs"], steady[:4], (187, 140), ""),
            ("stars, another field", ["--align", "stars"], steady, (187, 140),
             steady[4] + " : Les étoiles ne correspondent pas à celles de la première image"),
            ("wcs, a frame without one", ["--align", "wcs"], steady[:4] + [f0], (187, 140),
             f0 + " : L'image n'a pas de coordonnées célestes (WCS)"),
            ("stars, then the region in the common rectangle", ["--align", "stars", "--crop", "11,21,50,40"],
             steady[:4], (50, 40), ""),
            ("stars, colour cubes", ["--align", "stars"], steady_rgb[:4], (187, 140), ""),
            ("wcs and a track, colour cubes, binned", ["--align", "wcs", "--track", "20,30,20,30", "--bin", "2"],
             steady_rgb[:4], (93, 70), ""),
            ("wcs, Bayer superpixels", ["--align", "wcs", "--debayer", "superpixel"], steady_bayer[:4], (187, 140),
             ""),
        ]:
            code, _, err = run("animate", *files, "-o", out, *display, *options)
            check(name + ": exit 0", code == 0, err)
            check(name + ": the refusal reported", err.startswith(report) and (report or err == ""), err)
            with Image.open(out) as im:
                check(name + ": the common rectangle", im.size == size and im.n_frames == 4, (im.size, im.n_frames))
            pictures = frames_of(out)[2]
            check(name + ": every frame on the first", pictures[1:] == pictures[:1] * 3)
        code, _, _ = run("animate", *steady[:4], "-o", out, *display, "--align", "stars")
        whole = Image.open(out).convert("RGB").crop((10, 80, 60, 120)).tobytes()
        code, _, _ = run("animate", *steady[:4], "-o", out, *display, "--align", "stars", "--crop", "11,21,50,40")
        check("the region counts from the common rectangle's lower-left pixel", frames_of(out)[2][0] == whole)

        # The track moves frame k by -(3, -6) x (its time from the first) / 3 minutes, across
        # midnight: (0, 0), (-1, 2), (-2, 4), (-3, 6) on top of the alignment's moves, which
        # leaves x from 6 to 194 and y from 11 to 149.
        code, _, err = run("animate", *steady[:4], "-o", out, *display, "--align", "stars", "--track", "20,30,23,24")
        with Image.open(out) as im:
            check("track: the rectangle of both moves", code == 0 and im.size == (188, 138), (im.size, err))
        code, _, err = run("animate", steady[0], steady[0], "-o", out, "--track", "1,1,5,5")
        check("track: the first and last frames at one time", code == 1 and "heures d'observation différentes" in err,
              (code, err))

        # A save that cannot be written says why and keeps the file that was there: on a full
        # tmpfs, then on the same tmpfs mounted read-only (mounting needs root).
        place = os.path.join(d, "place")
        os.mkdir(place)
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", place],
                          capture_output=True).returncode != 0:
            print("note: a tmpfs cannot be mounted here, the full and read-only saves are not tried")
        else:
            try:
                saves = [("animate", ["animate", f0, f1, "-o"], "anim.gif"),
                         ("convert", ["convert", f0, "-o"], "plain.bmp")]
                for _, _, name in saves:
                    with open(os.path.join(place, name), "wb") as f:
                        f.write(b"old")
                filler = os.open(os.path.join(place, "filler"), os.O_WRONLY | os.O_CREAT)
                try:
                    while os.write(filler, b"f" * 4096):
                        pass
                except OSError:  # no space left: the tmpfs is full
                    pass
                os.close(filler)
                for spoiled, reason in (("full", "Plus de place sur le disque"),
                                        ("read-only", "Système de fichiers en lecture seule")):
                    if spoiled == "read-only":
                        subprocess.run(["mount", "-o", "remount,ro", place], check=True)
                    for verb, args, name in saves:
                        target = os.path.join(place, name)
                        code, _, err = run(*args, target)
                        check(f"{verb} {spoiled}: exit 1 with the reason",
                              code == 1 and f"Ne peut écrire le fichier {target}\n{reason}" in err, (code, err))
                        with open(target, "rb") as f:
                            check(f"{verb} {spoiled}: the old file kept", f.read() == b"old")
            finally:
                subprocess.run(["umount", "-l", place])

        # Usage errors.
        for name, args in [
            ("bad crop", [f0, "-o", out, "--crop", "1,1,10"]),
            ("crop from 0", [f0, "-o", out, "--crop", "0,1,10,10"]),
            ("bin 0", [f0, "-o", out, "--bin", "0"]),
            ("bin 17", [f0, "-o", out, "--bin", "17"]),
            ("jobs 0", [f0, "-o", out, "--jobs", "0"]),
            ("no output", [f0]),
            ("no file", ["-o", out]),
            ("bad delay", [f0, "-o", out, "--delay", "abc"]),
            ("delay too long", [f0, "-o", out, "--delay", "70000"]),
            ("bad preset", [f0, "-o", out, "--preset", "moon"]),
            ("bad display function", [f0, "-o", out, "--stretch", "gamma"]),
            ("bad automatic display", [f0, "-o", out, "--auto", "gamma"]),
            ("automatic display and thresholds", [f0, "-o", out, "--auto", "zscale", "--high", "9"]),
            ("unknown option", [f0, "-o", out, "--fast"]),
            ("bad alignment", [f0, "-o", out, "--align", "moon"]),
            ("track of three numbers", [f0, "-o", out, "--track", "1,2,3"]),
            ("tolerance without optimize", [f0, "-o", out, "--tolerance", "2"]),
            ("tolerance 33", [f0, "-o", out, "--optimize", "--tolerance", "33"]),
            ("optimize a video", [f0, "-o", os.path.join(d, "a.mp4"), "--optimize"]),
        ]:
            code, _, err = run("animate", *args)
            check("usage, " + name + ": exit 2", code == 2, (code, err))
        code, text, _ = run("animate", "--help")
        check("help", code == 0 and "--auto-delays" in text and "--align" in text, text)
    finally:
        shutil.rmtree(d, ignore_errors=True)
    return finish()


if __name__ == "__main__":
    sys.exit(main())
