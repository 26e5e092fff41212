"""orvanel-cli on FITS files: info, header, render and convert, their exact output, exit
statuses and messages. The files are written here card by card."""
import gzip
import os
import resource
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from checks import CLI, check, finish  # noqa: E402





def run(*args, memory=None):
    """memory: the most one run may take, in bytes. AddressSanitizer's shadow needs far more
    address space than such a limit, so there its own allocation limit stands in for it."""
    env, limit = None, None
    if memory and "ASAN_OPTIONS" in os.environ:
        env = dict(os.environ, ASAN_OPTIONS=os.environ["ASAN_OPTIONS"] + f":max_allocation_size_mb={memory >> 20}")
    elif memory:
        limit = lambda: resource.setrlimit(resource.RLIMIT_AS, (memory, memory))  # noqa: E731
    p = subprocess.run([CLI, *args], capture_output=True, preexec_fn=limit, env=env)
    return p.returncode, p.stdout.decode("utf-8"), p.stderr.decode("utf-8")


def card(text):
    return text[:80].ljust(80).encode("ascii")


def value(keyword, v, comment=""):
    text = f"{keyword:<8}= {v:>20}"
    return card(text + (f" / {comment}" if comment else ""))


def string(keyword, v, comment=""):
    text = f"{keyword:<8}= '{v}'"
    return card(text + (f" / {comment}" if comment else ""))


def pad(data, fill):
    return data + fill * ((-len(data)) % 2880)


def fits(cards, values=b"", fmt=">h"):
    header = pad(b"".join(cards) + card("END"), b" ")
    data = b"".join(struct.pack(fmt, v) for v in values) if not isinstance(values, bytes) else values
    return header + pad(data, b"\0")


def image(bitpix, width, height, extra=()):
    return [value("SIMPLE", "T"), value("BITPIX", bitpix), value("NAXIS", 2), value("NAXIS1", width),
            value("NAXIS2", height), *extra]


def write(folder, name, data):
    path = os.path.join(folder, name)
    with open(path, "wb") as f:
        f.write(data)
    return path


def main():
    tmp = tempfile.mkdtemp(prefix="orvanel-cli-fits-")
    m31 = write(tmp, "m31.fit", fits(image(16, 768, 512, [string("OBJECT", "M31/NGC224", "the object")]),
                                     [i % 1000 for i in range(768 * 512)]))

    # info: the exact lines, in order.
    code, out, err = run("info", m31)
    check("info exit", code == 0, err)
    check("info lines", out == ("kind: 8\npixel-type: 1\nwidth: 768\nheight: 512\nhigh-threshold: 16383\n"
                                f"low-threshold: 0\nfile-name: {m31}\ncaption: Image : m31.fit (768x512) Entier 16 bits\n"),
          repr(out))
    kinds = [(8, 1, "Entier 16 bits"), (32, 2, "Entier 32 bits"), (-32, 4, "Réel 32 bits"), (-64, 8, "Réel 64 bits")]
    for bitpix, pixel_type, text in kinds:
        path = write(tmp, f"k{bitpix}.fts", fits(image(bitpix, 3, 2, [value("THRESH", 2500), value("MIPS-LO", -7)]), b""))
        code, out, err = run("info", path)
        lines = dict(l.split(": ", 1) for l in out.splitlines())
        check(f"info bitpix {bitpix}", code == 0 and lines.get("pixel-type") == str(pixel_type)
              and lines.get("caption") == f"Image : k{bitpix}.fts (3x2) {text}"
              and lines.get("high-threshold") == "2500" and lines.get("low-threshold") == "-7", out + err)

    # header: the cards saving would write, up to END, 80 characters each.
    code, out, err = run("header", m31)
    expected = [
        "SIMPLE  =                    T",
        "BITPIX  =                   16",
        "NAXIS   =                    2",
        "NAXIS1  =                  768",
        "NAXIS2  =                  512",
        "OBJECT  = 'M31/NGC224'         / the object",
        "THRESH  =                16383",
        "THRESL  =                    0",
        "END",
    ]
    lines = out.split("\n")
    check("header exit", code == 0, err)
    check("header cards", [l.rstrip() for l in lines[:-1]] == expected and lines[-1] == "", repr(out))
    check("header widths", all(len(l) == 80 for l in lines[:-1]), repr(out))

    # Refusals: exit 1 and the message box text on standard error.
    refusals = [
        ("corrupt.fit", pad(b"".join(image(16, 2, 2)), b" "), "Le fichier corrupt.fit est corrompu !\nOuverture annulée\n"),
        ("empty.fit", fits([value("SIMPLE", "T"), value("BITPIX", 16), value("NAXIS", 0)]),
         "Le fichier empty.fit ne contient aucune image !\nOuverture annulée\n"),
        ("line.fit", fits([value("SIMPLE", "T"), value("BITPIX", 16), value("NAXIS", 1), value("NAXIS1", 5)]),
         "Le fichier line.fit ne contient qu'une ligne !\nOuverture annulée\n"),
        # Three planes without CTYPE3 are a colour image: all three or none (other cubes are series).
        ("cube.fit", fits(image(16, 2, 2, [value("NAXIS", 3), value("NAXIS3", 3)])),
         "Le fichier cube.fit ne contient pas les trois plans de son image couleur !\nOuverture annulée\n"),
        ("bits.fit", fits(image(24, 2, 2)),
         "Le fichier bits.fit a un type de données inconnu (BITPIX = 24) !\nOuverture annulée\n"),
        ("huge.fit", fits(image(16, 60000, 60000)),
         "Le fichier huge.fit annonce une image trop grande pour lui (60000x60000) !\nOuverture annulée\n"),
        ("badint.fit", fits(image(16, 2, 2, [value("THRESH", "12a")])),
         "'12a' n'est pas une valeur entière correcte\n"),
        ("badreal.fit", fits(image(16, 2, 2, [value("BZERO", "3,5")])),
         "'3,5' n'est pas une valeur flottante correcte\n"),
        # A few hundred bytes that would inflate to an 80 GB image: refused before allocating.
        ("huge.fits.gz", gzip.compress(fits(image(-64, 100000, 100000))),
         "Le fichier huge.fits.gz annonce une image trop grande pour lui (100000x100000) !\nOuverture annulée\n"),
        ("cut.fit.gz", gzip.compress(fits(image(16, 30, 30), list(range(900))))[:300],
         "Le fichier cut.fit.gz est corrompu (flux gzip incomplet) !\nOuverture annulée\n"),
        ("plain.fts.gz", fits(image(16, 2, 2)),
         "Le fichier plain.fts.gz est corrompu (données gzip incorrectes) !\nOuverture annulée\n"),
        ("noise.fz", bytes(range(256)) * 20,
         "Le fichier noise.fz est corrompu (ce n'est pas un fichier FITS) !\nOuverture annulée\n"),
    ]
    for name, data, message in refusals:
        path = write(tmp, name, data)
        for verb in ("info", "header"):
            code, out, err = run(verb, path, memory=1 << 30)
            check(f"{verb} refuses {name}", code == 1 and out == "" and err == message, f"{code} {err!r}")

    # A doubtful file: refused unless --yes answers the question.
    doubtful = write(tmp, "doubtful.fit", fits([value("SIMPLE", "F"), *image(16, 2, 1)[1:]], [1, 2]))
    question = "Le fichier doubtful.fit n'est pas conforme à la norme FITS !\nVoulez vous essayer de l'ouvrir ?\n"
    code, out, err = run("info", doubtful)
    check("doubtful without --yes", code == 1 and err == question, f"{code} {err!r}")
    code, out, err = run("info", doubtful, "--yes")
    check("doubtful with --yes", code == 0 and "width: 2\n" in out and err == question, f"{code} {err!r}")

    # render: the bottom-up 8-bit bitmap; the first file row is the bottom (first stored) row.
    five = write(tmp, "five.fit", fits(image(16, 5, 2), [0, 100, 200, 300, -5, 50, 150, 250, 1, 2]))
    bmp = os.path.join(tmp, "five.bmp")
    code, out, err = run("render", five, "-o", bmp, "--low", "0", "--high", "200")
    data = open(bmp, "rb").read() if code == 0 else b""
    check("render exit", code == 0, err)
    check("render header", data[:2] == b"BM" and struct.unpack("<I", data[2:6])[0] == len(data) == 1078 + 16
          and struct.unpack("<iiHH", data[18:30]) == (5, 2, 1, 8), data[:54].hex())
    check("render rows", data[1078:] == bytes([0, 128, 255, 255, 0, 0, 0, 0, 64, 191, 255, 1, 3, 0, 0, 0]),
          data[1078:].hex())
    check("render palette", data[54:58] == b"\0\0\0\0" and data[54 + 4 * 200:54 + 4 * 201] == bytes([200, 200, 200, 0]))

    # convert: FITS to FITS with the thresholds given, and to the same bitmap as render.
    out_fit = os.path.join(tmp, "copy.fit")
    code, out, err = run("convert", five, "-o", out_fit, "--low", "10", "--high", "190")
    written = open(out_fit, "rb").read() if code == 0 else b""
    check("convert exit", code == 0, err)
    check("convert thresholds", card("THRESH  =                  190") in written
          and card("THRESL  =                   10") in written)
    check("convert data", len(written) == 5760 and
          written[2880:2900] == b"".join(struct.pack(">h", v) for v in [0, 100, 200, 300, -5, 50, 150, 250, 1, 2]),
          str(len(written)))
    code, out, err = run("info", out_fit)
    check("converted reads back", code == 0 and "high-threshold: 190\n" in out and "low-threshold: 10\n" in out, out)
    out_bmp = os.path.join(tmp, "copy.bmp")
    code, _, err = run("convert", five, "-o", out_bmp, "--low", "0", "--high", "200")
    check("convert to bmp", code == 0 and open(out_bmp, "rb").read() == data, err)
    code, _, err = run("convert", five, "-o", os.path.join(tmp, "copy.fts"))
    check("convert to fts", code == 0 and os.path.exists(os.path.join(tmp, "copy.fts")), err)

    # A 23200 x 12000 mosaic of 8-bit values: the file holds it, so it opens (a sparse file:
    # zeros but for the last pixel).
    mosaic = write(tmp, "mosaic.fits", pad(b"".join(image(8, 23200, 12000)) + card("END"), b" "))
    with open(mosaic, "r+b") as f:
        f.seek(2880 + 23200 * 12000 - 1)
        f.write(b"\x07")
        f.truncate(2880 * (1 + (23200 * 12000 + 2879) // 2880))
    code, out, err = run("pixel", mosaic, "23200", "12000")
    check("mosaic opens", code == 0 and out == "X : 23200\nY : 12000\nIntensité : 7\n", f"{code} {out!r} {err!r}")
    os.remove(mosaic)

    # Colour: a 3 x 2 RGGB mosaic and a 2 x 1 cube of three planes, levels = values (0..255).
    shown = [value("THRESH", 255), value("THRESL", 0)]
    bayer = write(tmp, "bayer.fit", fits(image(16, 3, 2, [string("BAYERPAT", "RGGB"), *shown]),
                                         [100, 50, 120, 40, 10, 44]))
    cube = write(tmp, "rgb.fit", fits(image(16, 2, 1, [value("NAXIS", 3), value("NAXIS3", 3), *shown]),
                                      [200, 0, 100, 0, 0, 200]))
    # Bottom row first, B G R, rows padded to 4 bytes; bilinear means 44.67 and 47 shown rounded.
    renders = [
        (bayer, [], (3, 2), bytes([10, 45, 100, 10, 50, 110, 10, 47, 120, 0, 0, 0,
                                   10, 40, 100, 10, 45, 110, 10, 44, 120, 0, 0, 0])),
        (bayer, ["--debayer", "superpixel"], (1, 1), bytes([10, 45, 100, 0])),
        (cube, ["--invert"], (2, 1), bytes([255, 155, 55, 55, 255, 255, 0, 0])),
    ]
    for path, options, size, rows in renders:
        out_bmp = os.path.join(tmp, "colour.bmp")
        code, _, err = run("render", path, "-o", out_bmp, *options)
        data = open(out_bmp, "rb").read() if code == 0 else b""
        check(f"colour render {os.path.basename(path)} {options}",
              struct.unpack("<iiHH", data[18:30]) == (*size, 1, 24) and data[54:] == rows, f"{err} {data.hex()}")
    colour = [
        (["pixel", bayer, "2", "2"], 0, "X : 2\nY : 2\nIntensité : 110 / 44.666667 / 10\n"),
        (["pixel", bayer, "1", "1", "--debayer", "superpixel"], 0, "X : 1\nY : 1\nIntensité : 100 / 45 / 10\n"),
        (["pixel", bayer, "2", "1", "--debayer", "superpixel"], 2, ""),
        (["pixel", bayer, "2", "2", "--debayer", "none"], 0, "X : 2\nY : 2\nIntensité : 10\n"),
        (["stats", cube], 0, "".join(f"{c} ({n}) : {v}\n" for n, vals in (("R", (0, 200, 100, 199.66667, 100)),
                                                                          ("V", (0, 100, 50, 99.666667, 50)),
                                                                          ("B", (0, 200, 100, 199.66667, 100)))
                                     for c, v in zip(("Intensité minimum", "Intensité maximum", "Intensité moyenne",
                                                      "Intensité mediane", "Ecart type"), vals))),
        (["render", cube, "-o", os.path.join(tmp, "p.bmp"), "--palette", "any.pal"], 1, ""),
        (["render", bayer, "-o", os.path.join(tmp, "p.bmp"), "--debayer", "vng"], 2, ""),
    ]
    for args, status, expected in colour:
        code, out, err = run(*args)
        check(f"colour {args[0]} {args[2:]}", code == status and out == expected
              and (status != 1 or err == "Une image en couleur n'a pas de palette\n"), f"{code} {out!r} {err!r}")

    # Usage errors: exit 2.
    for args in (["info"], ["convert", m31, "-o", "x.fits.fz"], ["info", m31, m31], ["render", m31], ["convert", m31], ["convert", m31, "-o", "x.txt"],
                 ["header", m31, "--bogus"], ["render", m31, "-o"], ["nosuchverb"], []):
        code, out, err = run(*args)
        check(f"usage {args}", code == 2 and err != "", f"{code} {err!r}")

    # Files that cannot be read.
    missing = os.path.join(tmp, "missing.fit")
    code, out, err = run("info", missing)
    check("missing file", code == 1 and err == f"Ne peut ouvrir le fichier {missing}\n", repr(err))

    # --help: the tool and every verb.
    code, out, _ = run("--help")
    check("tool help", code == 0 and all(v in out for v in ("info", "header", "render", "convert")), out)
    for verb in ("info", "header", "render", "convert"):
        code, out, _ = run(verb, "--help")
        check(f"{verb} help", code == 0 and out.startswith(f"Usage: orvanel-cli {verb} "), out)

    return finish()


if __name__ == "__main__":
    sys.exit(main())
