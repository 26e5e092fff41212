#!/usr/bin/env python3
"""The installed program: the build installed into a scratch prefix (then moved elsewhere),
and the Debian package built by cpack and unpacked into a scratch root. In each, the
programs run from where they were installed: versions, help, and the desktop program
opening the samples offscreen and listing the installed palettes from a folder without any."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from checks import BUILD, check, finish  # noqa: E402

VERSION = os.environ.get("ORVANEL_VERSION", "")
CMAKE = os.environ.get("CMAKE_COMMAND", "cmake")
CPACK = os.environ.get("CPACK_COMMAND", "cpack")
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
PALETTES = ["Chaleur.Pal", "FaussesCouleurs.Pal", "Glace.Pal"]
COMET = [f"share/orvanel/samples/{d}/comet{n:02d}.fit" for d in ("comet", "comet-colour") for n in range(1, 11)]
DRIFT = [f"share/orvanel/samples/drift/drift{n:02d}.fit" for n in range(1, 13)]
INSTALLED = (["bin/orvanel", "bin/orvanel-cli", "share/orvanel/aide.html",
              "share/orvanel/samples/star_field.fit", "share/applications/orvanel.desktop",
              "share/mime/packages/orvanel.xml", "share/thumbnailers/orvanel.thumbnailer",
              "share/icons/hicolor/scalable/apps/orvanel.svg",
              "share/man/man1/orvanel.1", "share/man/man1/orvanel-cli.1"]
             + ["share/orvanel/palettes/" + p for p in PALETTES] + COMET + DRIFT
             + [f"share/icons/hicolor/{s}x{s}/apps/orvanel.png" for s in ICON_SIZES])


def run(*args, cwd=None, **env):
    # No screen at all unless a test asks for the offscreen one.
    environment = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    environment.update(env)
    p = subprocess.run(list(args), capture_output=True, text=True, cwd=cwd, env=environment)
    return p.returncode, p.stdout, p.stderr


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    return struct.unpack(">II", head[16:24]) if head[:8] == b"\x89PNG\r\n\x1a\n" else None


def check_installed(prefix, label):
    """prefix is the installation's root (what holds bin/ and share/)."""
    for name in INSTALLED:
        check(f"{label}: {name} installed", os.path.isfile(os.path.join(prefix, name)))
    for s in ICON_SIZES:
        path = os.path.join(prefix, f"share/icons/hicolor/{s}x{s}/apps/orvanel.png")
        if os.path.isfile(path):
            check(f"{label}: the {s} pixel icon", png_size(path) == (s, s), png_size(path))

    cli, app = os.path.join(prefix, "bin/orvanel-cli"), os.path.join(prefix, "bin/orvanel")
    check(f"{label}: orvanel-cli --version", run(cli, "--version")[1] == f"orvanel-cli {VERSION}\n")
    check(f"{label}: orvanel --version needs no screen", run(app, "--version") == (0, f"orvanel {VERSION}\n", ""))
    code, out, _ = run(app, "--help")
    check(f"{label}: orvanel --help", code == 0 and out.startswith("Utilisation : orvanel"), out)
    code, _, err = run(app, "--ouvrir", "x.fit", QT_QPA_PLATFORM="offscreen")
    check(f"{label}: an unknown option", code == 2 and "option inconnue « --ouvrir »" in err, (code, err))

    star = os.path.join(prefix, "share/orvanel/samples/star_field.fit")
    comet = os.path.join(prefix, COMET[9])
    captions = [run(cli, "info", f)[1].split("caption: ")[-1].rstrip("\n") for f in (star, comet)]
    empty = tempfile.mkdtemp(prefix="orvanel-start-")
    code, out, err = run(app, "--check", star, comet, cwd=empty, QT_QPA_PLATFORM="offscreen")
    palettes = os.path.join(os.path.realpath(prefix), "share/orvanel/palettes")
    expected = [f"Palettes : {palettes}"] + ["  " + p for p in PALETTES] + captions
    check(f"{label}: the program opens the samples and offers the installed palettes",
          (code, out.splitlines()) == (0, expected), (code, out, err))
    junk = os.path.join(empty, "junk.fit")
    with open(junk, "w") as f:
        f.write("not a FITS file")
    for bad in (junk, os.path.join(empty, "missing.pic")):  # refused, or not there: reported, no window
        code, out, err = run(app, "--check", bad, cwd=empty, QT_QPA_PLATFORM="offscreen")
        check(f"{label}: {os.path.basename(bad)} is reported", code == 1 and err.strip() and "Image" not in out,
              (code, out, err))


def main():
    scratch = tempfile.mkdtemp(prefix="orvanel-install-")

    prefix = os.path.join(scratch, "prefix")
    code, _, err = run(CMAKE, "--install", BUILD, "--prefix", prefix)
    if check("cmake --install", code == 0, err):
        check_installed(prefix, "installed")
        moved = os.path.join(scratch, "moved")
        shutil.move(prefix, moved)
        check_installed(moved, "moved")

    arch = run("dpkg", "--print-architecture")[1].strip()
    package = os.path.join(scratch, f"orvanel_{VERSION}_{arch}.deb")
    code, out, err = run(CPACK, "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-G", "DEB", "-B", scratch)
    if check("cpack makes " + os.path.basename(package), code == 0 and os.path.isfile(package), out + err):
        depends = run("dpkg-deb", "-f", package, "Depends")[1]
        for library in ("libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6printsupport6",
                        "zlib1g", "libcfitsio10", "libwcs7", "liblz4-1", "libzstd1", "libpng16-16",
                        "libwebpmux3", "libavcodec59", "libavformat59"):
            check("the package depends on " + library, library in depends, depends)
        check("the package's version", run("dpkg-deb", "-f", package, "Version")[1].strip() == VERSION)
        root = os.path.join(scratch, "root")
        code, _, err = run("dpkg", "-x", package, root)
        if check("dpkg -x", code == 0, err):
            check_installed(os.path.join(root, "usr"), "package")
    shutil.rmtree(scratch, ignore_errors=True)
    return finish()


if __name__ == "__main__":
    sys.exit(main())
