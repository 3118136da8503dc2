#!/usr/bin/env python3
"""Reads the release's files for tests/win32/installer.sh, without Windows.

  pe FILE|ZIP              one line per program: NAME FORMAT MACHINE SUBSYSTEM
                           (a zip: every .exe in it), e.g. "hivesweep.exe PE32+ x64 gui"
  reg-values FILE          the values of a "reg query" output as NAME<TAB>TYPE<TAB>DATA
  names-path LNK PATH      exit 0 when the shortcut holds PATH (ANSI or UTF-16)
  findings JSON TEXT       the findings of "scan --json" that name TEXT (any case), as
                           PROBLEM<TAB>KEY<TAB>VALUE
  nsis-lacks EXE TEXT...   the TEXTs the script header of a Unicode NSIS installer or
                           uninstaller (solid LZMA) does not hold, one a line
  markup ZIP NAME          the lines of the file NAME in ZIP that carry Markdown
                           (code marks, emphasis, links, pictures, "#" headings,
                           table rules, fences) or leave 78 columns outside an
                           indented example, as LINE: TEXT; "missing" without NAME
"""
import json
import lzma
import re
import struct
import sys
import zipfile

MACHINES = {0x14C: "x86", 0x8664: "x64", 0xAA64: "arm64"}
FORMATS = {0x10B: "PE32", 0x20B: "PE32+"}
SUBSYSTEMS = {2: "gui", 3: "console"}


def pe_kind(data):
    if data[:2] != b"MZ" or len(data) < 0x40:
        return "not-a-program"
    (offset,) = struct.unpack_from("<I", data, 0x3C)
    if data[offset:offset + 4] != b"PE\0\0":
        return "not-a-program"
    (machine,) = struct.unpack_from("<H", data, offset + 4)
    optional = offset + 24
    (magic,) = struct.unpack_from("<H", data, optional)
    (subsystem,) = struct.unpack_from("<H", data, optional + 68)
    return "%s %s %s" % (FORMATS.get(magic, hex(magic)), MACHINES.get(machine, hex(machine)),
                         SUBSYSTEMS.get(subsystem, str(subsystem)))


def pe(path):
    if path.endswith(".zip"):
        with zipfile.ZipFile(path) as archive:
            for name in sorted(archive.namelist()):
                if name.lower().endswith(".exe"):
                    print(name.rsplit("/", 1)[-1], pe_kind(archive.read(name)))
    else:
        with open(path, "rb") as program:
            print(path.rsplit("/", 1)[-1], pe_kind(program.read()))


def reg_values(path):
    with open(path, encoding="utf-8", errors="replace") as output:
        for line in output:
            match = re.match(r"^ {4}(\S(?:.*?\S)?) {4}(REG_\w+) {4}(.*?)\r?$", line)
            if match:
                print("\t".join(match.groups()))


def names_path(link, path):
    with open(link, "rb") as shortcut:
        data = shortcut.read().lower()
    wanted = path.lower()
    return wanted.encode("latin-1") in data or wanted.encode("utf-16-le") in data


def findings(path, text):
    with open(path, encoding="utf-8") as report:
        document = json.load(report)
    # Schema 2 wraps the rows; --json-v1 prints them bare.
    rows = document.get("rows") if isinstance(document, dict) else document
    if not isinstance(rows, list):
        raise SystemExit("scan --json printed no rows")
    for row in rows:
        fields = [str(row.get(name, "")) for name in ("problem", "key", "value")]
        if any(text.lower() in field.lower() for field in fields):
            print("\t".join(fields))


# The first header sits at a 512-byte boundary: flags, signature, header
# length, data length; the LZMA stream behind it starts with its 5 property
# bytes and unpacks to the header's length and the header.
NSIS_SIGNATURE = b"\xef\xbe\xad\xdeNullsoftInst"


def nsis_header(path):
    with open(path, "rb") as program:
        data = program.read()
    for offset in range(0, len(data) - 28, 512):
        if data[offset + 4:offset + 20] == NSIS_SIGNATURE:
            break
    else:
        raise SystemExit("%s: not an NSIS installer" % path)
    (header_length,) = struct.unpack_from("<I", data, offset + 20)
    stream = data[offset + 28:]
    properties, dictionary = stream[0], struct.unpack_from("<I", stream, 1)[0]
    if properties >= 9 * 5 * 5:
        raise SystemExit("%s: the installer's data is not solid LZMA" % path)
    unpacker = lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=[{
        "id": lzma.FILTER_LZMA1, "lc": properties % 9, "lp": properties // 9 % 5,
        "pb": properties // 45, "dict_size": dictionary}])
    return unpacker.decompress(stream[5:], max_length=4 + header_length)[4:]


def nsis_lacks(path, texts):
    header = nsis_header(path)
    for text in texts:
        if text.encode("utf-16-le") not in header:
            print(text)


# What Markdown leaves in a text converted carelessly.
MARKUP = [
    (re.compile(r"`"), "code mark"),
    (re.compile(r"\*\*|__"), "emphasis"),
    (re.compile(r"\]\(|!\["), "link or picture"),
    (re.compile(r"^#{1,6} "), "heading"),
    (re.compile(r"^\|.*\|$|\|\s*-{3}"), "table"),
    (re.compile(r"^\s*(```|~~~)"), "fence"),
]


def markup(path, name):
    with zipfile.ZipFile(path) as archive:
        found = [entry for entry in archive.namelist() if entry.rsplit("/", 1)[-1] == name]
        if not found:
            print("missing")
            return
        text = archive.read(found[0]).decode("utf-8-sig")
    for number, line in enumerate(text.split("\r\n"), 1):
        # An indented example is the program's or a shell's text, as typed.
        example = line.startswith("    ")
        reasons = [why for pattern, why in MARKUP if not example or why == "fence"
                   if pattern.search(line)]
        if len(line) > 78 and not example:
            reasons.append("wider than 78 columns")
        if reasons:
            print("%d: %s (%s)" % (number, line, ", ".join(reasons)))


def main(argv):
    command, arguments = argv[1], argv[2:]
    if command == "pe":
        pe(arguments[0])
    elif command == "reg-values":
        reg_values(arguments[0])
    elif command == "names-path":
        return 0 if names_path(arguments[0], arguments[1]) else 1
    elif command == "findings":
        findings(arguments[0], arguments[1])
    elif command == "nsis-lacks":
        nsis_lacks(arguments[0], arguments[1:])
    elif command == "markup":
        markup(arguments[0], arguments[1])
    else:
        raise SystemExit(__doc__)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
