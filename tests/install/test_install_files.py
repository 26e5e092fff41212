#!/usr/bin/env python3
"""The files that make Orvanel a desktop program: the desktop entry as desktop-file-validate
reads it, the file types as xmllint and update-mime-database read them, the icon, and the
man pages as man renders them, holding every verb and option the programs' --help lists."""
import fnmatch
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from checks import BUILD, CLI, check, finish  # noqa: E402

SOURCE = os.environ.get("ORVANEL_SOURCE", ".")
APP = os.environ.get("ORVANEL_APP", os.path.join(BUILD, "src/app/orvanel"))
DESKTOP = os.path.join(SOURCE, "data/desktop/orvanel.desktop")
MIME = os.path.join(SOURCE, "data/desktop/orvanel.xml")
THUMBNAILER = os.path.join(SOURCE, "data/desktop/orvanel.thumbnailer")


def run(*args, **kwargs):
    p = subprocess.run(list(args), capture_output=True, text=True, **kwargs)
    return p.returncode, p.stdout, p.stderr


def desktop_entry():
    code, out, _ = run("desktop-file-validate", DESKTOP)
    problems = [line for line in out.splitlines() if ": error:" in line or ": warning:" in line]
    check("desktop-file-validate accepts the entry", code == 0 and not problems, out)
    entry = dict(line.split("=", 1) for line in open(DESKTOP, encoding="utf-8") if "=" in line)
    check("the entry starts the program on the files", entry.get("Exec", "").strip() == "orvanel %F", entry)
    offered = set(filter(None, entry.get("MimeType", "").strip().split(";")))
    return offered


def mime_package(offered):
    for path in (MIME, os.path.join(SOURCE, "data/icons/orvanel.svg")):
        code, _, err = run("xmllint", "--noout", path)
        check("xmllint accepts " + os.path.basename(path), code == 0, err)
    declared = set(re.findall(r'<mime-type type="([^"]+)"', open(MIME, encoding="utf-8").read()))
    check("the entry offers the program for every type the package declares", declared <= offered,
          declared - offered)

    data_home = tempfile.mkdtemp(prefix="orvanel-mime-")
    db = os.path.join(data_home, "mime")
    os.makedirs(os.path.join(db, "packages"))
    with open(MIME, "rb") as src, open(os.path.join(db, "packages", "orvanel.xml"), "wb") as dst:
        dst.write(src.read())
    code, _, err = run("update-mime-database", db, env=dict(os.environ, XDG_DATA_HOME=data_home))
    check("update-mime-database reads the package", code == 0 and not err.strip(), err)
    globs = []
    for line in open(os.path.join(db, "globs2"), encoding="utf-8"):
        if not line.startswith("#"):
            _, mime_type, pattern = line.rstrip("\n").split(":", 2)
            globs.append((pattern, mime_type))

    def type_of(name):
        # As desktops match: case-insensitively, the longest matching pattern first.
        matches = sorted((p for p in globs if fnmatch.fnmatch(name.lower(), p[0])), key=lambda p: -len(p[0]))
        return matches[0][1] if matches else None

    for name, expected in [("m31.fit", "image/fits"), ("M31.FITS", "image/fits"), ("ngc.fts", "image/fits"),
                           ("comet.fits.gz", "image/fits"), ("comet.fz", "image/fits"),
                           ("jupiter.PIC", "image/x-mips-pic"), ("lune.cpa", "image/x-prism-cpa"),
                           ("m42.XISF", "image/x-xisf"), ("jupiter.ser", "video/x-ser")]:
        check("the file type of " + name, type_of(name) == expected, type_of(name))

    # The thumbnailer: orvanel-cli for the FITS, XISF and SER types, its Exec run as a file
    # manager runs it.
    entry = dict(line.strip().split("=", 1) for line in open(THUMBNAILER, encoding="utf-8") if "=" in line)
    types = set(filter(None, entry.get("MimeType", "").split(";")))
    check("the thumbnailer covers FITS, XISF and SER", {"image/fits", "image/x-xisf", "video/x-ser"} <= types, types)
    star = os.path.join(BUILD, "samples", "star_field.fit")
    png = os.path.join(data_home, "thumbnail.png")
    command = entry.get("Exec", "").replace("%i", star).replace("%o", png).replace("%s", "128").split()
    code, _, err = run(CLI, *command[1:]) if command[:1] == ["orvanel-cli"] else (1, "", "Exec: " + str(command))
    check("the thumbnailer's command writes a PNG", code == 0 and os.path.isfile(png) and open(png, "rb").read(8) == b"\x89PNG\r\n\x1a\n", err)


def sections(page_source):
    """The text of each .SS section of a man page source, by its first word, with \\- as -."""
    text = page_source.replace("\\-", "-")
    found = {}
    for part in text.split("\n.SS ")[1:]:
        found[part.split()[0]] = part
    return found


def man_pages():
    version = run(CLI, "--version")[1].split()[-1]
    pages = {}
    for page in ("orvanel", "orvanel-cli"):
        path = os.path.join(BUILD, "man", page + ".1")
        code, out, err = run("man", "--warnings", "-l", path,
                             env=dict(os.environ, LC_ALL="C.UTF-8", MANWIDTH="80", MAN_KEEP_FORMATTING=""))
        check("man renders " + page + ".1 without a warning", code == 0 and not err.strip(), err)
        check(page + ".1 carries the version", "orvanel " + version in out, out[-200:])
        pages[page] = open(path, encoding="utf-8").read()

    verbs = sections(pages["orvanel-cli"])
    _, tool_help, _ = run(CLI, "--help")
    listed = re.findall(r"^  ([a-z][a-z-]*) ", tool_help.split("Verbs:")[1].split("\n\n")[0], re.M)
    check("the tool lists verbs", len(listed) >= 8, tool_help)
    for verb in listed:
        if not check("orvanel-cli.1 has a section for " + verb, verb in verbs, sorted(verbs)):
            continue
        _, verb_help, _ = run(CLI, verb, "--help")
        for option in sorted(set(re.findall(r"(?<![\w-])(--[a-z][a-z-]*|-o)\b", verb_help)) - {"--help"}):
            check(f"orvanel-cli.1 describes {verb} {option}", option in verbs[verb])
    _, app_help, _ = run(APP, "--help")
    options = pages["orvanel"].replace("\\-", "-").split(".SH OPTIONS")[1].split(".SH ")[0]
    for option in sorted(set(re.findall(r"(?<![\w-])(--[a-z][a-z-]*)", app_help))):
        check("orvanel.1 describes " + option, option in options)


def main():
    offered = desktop_entry()
    mime_package(offered)
    man_pages()
    return finish()


if __name__ == "__main__":
    sys.exit(main())
