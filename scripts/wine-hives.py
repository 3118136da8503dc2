#!/usr/bin/python3
"""Hive files from a Wine prefix's registry, and back.

  wine-hives.py hives PREFIX EMPTY_HIVE OUT_DIR
      Reads the prefix's own registry files (system.reg, user.reg,
      userdef.reg) and writes the hive files a Windows installation keeps:
      SOFTWARE, SYSTEM, DEFAULT, NTUSER.DAT and UsrClass.dat, each built with
      hivex from a copy of EMPTY_HIVE. Wine's files keep registry links as
      links (#link), which an export by the registry editor would follow;
      here each becomes a key with the KEY_SYM_LINK flag in its cell and its
      SymbolicLinkValue. The SYSTEM hive gets the layout Windows keeps on
      disk: CurrentControlSet (made at boot) stored as ControlSet00N of
      Select\\Current. The user's classes go to UsrClass.dat, not NTUSER.DAT.
      Prints the user's SID and profile path (from ProfileList).

  wine-hives.py reg OFFLINE_PROGRAM OUT.reg HIVE...
      The way back: one version-5 .reg file for Wine's registry editor from
      the hives (each exported by hivesweep-offline), under the names Wine
      gives them, without the link keys (the editor would make them ordinary
      keys; a booted prefix has its own links).

  wine-hives.py compare BEFORE_DIR AFTER_DIR
      Whether two sets of Wine registry files hold the same keys, links and
      values (names, types, bytes; times aside). Exit 1, naming at most ten
      differences, when they do not.

Needs Debian's python3-hivex (run by /usr/bin/python3).
"""
import os
import re
import shutil
import subprocess
import sys

import hivex

KEY_SYM_LINK = 0x0010
REG_LINK = 6
CONTROL_SET = "ControlSet001"


# --- Wine's registry files ----------------------------------------------

SIMPLE_ESCAPES = {"a": 7, "b": 8, "e": 27, "f": 12, "n": 10, "r": 13, "t": 9, "v": 11}


def parse_escaped(text, start, end_char):
    """UTF-16 code units of an escaped text from `start` up to the unescaped
    `end_char`, as Wine's server writes names and strings; and the index
    after the end character."""
    units = []
    i = start
    while i < len(text):
        c = text[i]
        if c == end_char:
            return units, i + 1
        if c != "\\":
            units.extend(code_units(c))
            i += 1
            continue
        i += 1
        if i >= len(text):
            break
        c = text[i]
        if c == "x":
            digits = re.match(r"[0-9a-fA-F]{1,4}", text[i + 1:])
            if not digits:
                units.append(ord("x"))
                i += 1
                continue
            units.append(int(digits.group(0), 16))
            i += 1 + len(digits.group(0))
        elif c in "01234567":
            digits = re.match(r"[0-7]{1,3}", text[i:]).group(0)
            units.append(int(digits, 8))
            i += len(digits)
        else:
            units.append(SIMPLE_ESCAPES.get(c, ord(c)))
            i += 1
    raise ValueError("unterminated text: " + text[start:start + 60])


def code_units(char):
    encoded = char.encode("utf-16-le", "surrogatepass")
    return [encoded[k] | encoded[k + 1] << 8 for k in range(0, len(encoded), 2)]


def units_to_bytes(units):
    return b"".join(bytes((u & 0xFF, u >> 8)) for u in units)


def units_to_name(units):
    return units_to_bytes(units).decode("utf-16-le", "replace")


def parse_data(text):
    """(type, bytes) of a value's data as Wine writes it."""
    if text.startswith('"'):
        units, _ = parse_escaped(text, 1, '"')
        return 1, units_to_bytes(units + [0])
    match = re.match(r"str\(([0-9a-fA-F]+)\):\"", text)
    if match:
        units, _ = parse_escaped(text, match.end(), '"')
        return int(match.group(1), 16), units_to_bytes(units + [0])
    if text.startswith("dword:"):
        return 4, int(text[6:14], 16).to_bytes(4, "little")
    match = re.match(r"hex(?:\(([0-9a-fA-F]+)\))?:", text)
    if match:
        kind = int(match.group(1), 16) if match.group(1) else 3
        digits = text[match.end():].replace(",", "").replace(" ", "")
        return kind, bytes.fromhex(digits)
    raise ValueError("unknown value data: " + text[:60])


class Key:
    def __init__(self, path):
        self.path = path  # names, each a str
        self.values = []  # (name, type, bytes) in the file's order
        self.link = False


def logical_lines(path):
    """The file's lines with hex continuations ("\\" at the end) joined."""
    pending = ""
    with open(path, encoding="utf-8", errors="surrogateescape") as file:
        for raw in file:
            line = raw.rstrip("\n")
            if pending:
                line = pending + line.lstrip()
                pending = ""
            if line.endswith("\\") and re.match(r'^(@|").*=hex', line):
                pending = line[:-1]
                continue
            yield line


def split_key_path(units):
    names, current = [], []
    for unit in units:
        if unit == ord("\\"):
            names.append(units_to_name(current))
            current = []
        else:
            current.append(unit)
    names.append(units_to_name(current))
    return [name for name in names if name]


def read_wine_registry(path):
    """Every key of a Wine registry file, in the file's order."""
    keys = []
    for line in logical_lines(path):
        if line.startswith("["):
            units, _ = parse_escaped(line, 1, "]")
            keys.append(Key(split_key_path(units)))
        elif not keys or not line or line.startswith(";"):
            continue
        elif line == "#link":
            keys[-1].link = True
        elif line.startswith("#"):
            continue  # #time, #class: not what a scan reads
        elif line.startswith("@="):
            keys[-1].values.append(("",) + parse_data(line[2:]))
        elif line.startswith('"'):
            units, after = parse_escaped(line, 1, '"')
            if line[after:after + 1] != "=":
                raise ValueError("no '=' after a value name: " + line[:60])
            keys[-1].values.append((units_to_name(units),) + parse_data(line[after + 1:]))
    return keys


# --- Hive files -----------------------------------------------------------


class HiveBuilder:
    def __init__(self, empty_hive, target):
        shutil.copyfile(empty_hive, target)
        self.target = target
        self.hive = hivex.Hivex(target, write=True)
        self.nodes = {(): self.hive.root()}
        self.links = []

    def node(self, path):
        path = tuple(path)
        folded = tuple(name.upper() for name in path)
        if folded in self.nodes:
            return self.nodes[folded]
        parent = self.node(path[:-1])
        made = self.hive.node_add_child(parent, path[-1])
        self.nodes[folded] = made
        return made

    def add(self, path, key):
        node = self.node(path)
        if key.values:
            self.hive.node_set_values(
                node, [{"key": name, "t": kind, "value": data} for name, kind, data in key.values])
        if key.link:
            self.links.append(node)

    def commit(self):
        self.hive.commit(self.target)
        del self.hive
        # hivex reads no key flags and sets none: KEY_SYM_LINK goes straight
        # into each link key's cell (flags at +6, after the size and "nk").
        with open(self.target, "r+b") as file:
            for node in self.links:
                file.seek(node + 4)
                cell = file.read(4)
                if cell[:2] != b"nk":
                    raise RuntimeError("no key cell at offset %d" % node)
                flags = int.from_bytes(cell[2:], "little") | KEY_SYM_LINK
                file.seek(node + 6)
                file.write(flags.to_bytes(2, "little"))


def starts_with(path, prefix):
    return len(path) >= len(prefix) and all(
        a.upper() == b.upper() for a, b in zip(path, prefix))


def build_hive(empty, target, keys, below, rename=None, skip=()):
    """The keys of `keys` below the path `below` as a hive file at `target`;
    `rename` maps a first name below it to another; keys below a path of
    `skip` stay out."""
    builder = HiveBuilder(empty, target)
    for key in keys:
        if not starts_with(key.path, below):
            continue
        path = list(key.path[len(below):])  # [] for the hive's root
        if any(starts_with(path, excluded) for excluded in skip):
            continue
        if rename and path and path[0].upper() in rename:
            path[0] = rename[path[0].upper()]
        builder.add(path, key)
    builder.commit()


def text_value(keys, path, name):
    for key in keys:
        if [n.upper() for n in key.path] == [n.upper() for n in path]:
            for value_name, kind, data in key.values:
                if value_name.upper() == name.upper() and kind in (1, 2):
                    return data.decode("utf-16-le").rstrip("\0")
    return None


def user_sid(prefix):
    with open(os.path.join(prefix, "user.reg"), encoding="utf-8") as file:
        for line in file:
            match = re.match(r";; All keys relative to REGISTRY\\\\User\\\\(\S+)", line)
            if match:
                return match.group(1)
    raise ValueError("user.reg names no user")


def make_hives(prefix, empty, out):
    os.makedirs(out, exist_ok=True)
    machine = read_wine_registry(os.path.join(prefix, "system.reg"))
    user = read_wine_registry(os.path.join(prefix, "user.reg"))
    default = read_wine_registry(os.path.join(prefix, "userdef.reg"))
    build_hive(empty, os.path.join(out, "SOFTWARE"), machine, ["Software"])
    # Windows keeps the control set under its number; CurrentControlSet is
    # the link the kernel makes at boot from Select\Current.
    build_hive(empty, os.path.join(out, "SYSTEM"), machine, ["System"],
               rename={"CURRENTCONTROLSET": CONTROL_SET})
    build_hive(empty, os.path.join(out, "DEFAULT"), default, [])
    build_hive(empty, os.path.join(out, "NTUSER.DAT"), user, [], skip=[["Software", "Classes"]])
    build_hive(empty, os.path.join(out, "UsrClass.dat"), user, ["Software", "Classes"])
    sid = user_sid(prefix)
    profile = text_value(machine, ["Software", "Microsoft", "Windows NT", "CurrentVersion",
                                   "ProfileList", sid], "ProfileImagePath")
    print(sid)
    print(profile or "")


# --- The way back -----------------------------------------------------------

# The root each exported hive takes in Wine's registry.
WINE_ROOTS = {
    "SOFTWARE": ("HKEY_LOCAL_MACHINE\\SOFTWARE", "HKEY_LOCAL_MACHINE\\Software"),
    "SYSTEM": ("HKEY_LOCAL_MACHINE\\SYSTEM", "HKEY_LOCAL_MACHINE\\System"),
    "DEFAULT": ("HKEY_USERS\\.DEFAULT", "HKEY_USERS\\.Default"),
    "NTUSER.DAT": ("HKEY_CURRENT_USER", "HKEY_CURRENT_USER"),
    "USRCLASS.DAT": ("HKEY_CURRENT_USER\\Software\\Classes", "HKEY_CURRENT_USER\\Software\\Classes"),
}


def link_paths(hive_path):
    """Paths (upper-cased, below the root) of the hive's link keys."""
    hive = hivex.Hivex(hive_path)
    found = []
    with open(hive_path, "rb") as file:
        data = file.read()

    def walk(node, path):
        flags = int.from_bytes(data[node + 6:node + 8], "little")
        if flags & KEY_SYM_LINK:
            found.append("\\".join(path).upper())
        for child in hive.node_children(node):
            walk(child, path + [hive.node_name(child)])

    walk(hive.root(), [])
    return set(found)


def wine_sections(program, hive_path):
    """The hive's export as (header, lines) sections under Wine's names."""
    exported = subprocess.run([program, "export", "--hive", hive_path], check=True,
                              capture_output=True).stdout.decode("utf-16")
    name = os.path.basename(hive_path).upper()
    exported_root, wine_root = WINE_ROOTS[name]
    links = link_paths(hive_path)
    control_set = (exported_root + "\\" + CONTROL_SET).upper()
    sections, current = [], None
    for line in exported.replace("\r\n", "\n").split("\n")[1:]:
        if line.startswith("[") and line.endswith("]"):
            path = line[1:-1]
            below = path[len(exported_root) + 1:]
            if path.upper().startswith(control_set):
                below = "CurrentControlSet" + path[len(control_set):]
            current = None if below.upper() in links else [
                "[" + wine_root + ("\\" + below if below else "") + "]"]
            if current is not None:
                sections.append(current)
        elif current is not None and line:
            current.append(line)
    # The hive's root without values is there only as the export's first
    # line: importing it would make a key (an empty user's classes) that
    # the machine did not have.
    if sections and len(sections[0]) == 1:
        sections.pop(0)
    return sections


def make_reg(program, out, hives):
    lines = ["Windows Registry Editor Version 5.00", ""]
    for hive in hives:
        for section in wine_sections(program, hive):
            lines.extend(section + [""])
    with open(out, "wb") as file:
        file.write("\r\n".join(lines).encode("utf-16"))


# --- Comparing prefixes ---------------------------------------------------


def as_imported(kind, data):
    """The registry editor ends string data (types 1, 2, 7) that lacks a
    final NUL with one when it imports: a limit of the editor, not of the
    file, so the comparison allows for it."""
    if kind in (1, 2, 7) and len(data) % 2 == 0 and data[-2:] != b"\0\0":
        return data + b"\0\0"
    return data


def registry_lines(folder):
    lines = set()
    for name in ("system.reg", "user.reg", "userdef.reg"):
        for key in read_wine_registry(os.path.join(folder, name)):
            path = name + ":" + "\\".join(key.path).upper()
            lines.add(path + (" #link" if key.link else ""))
            for value, kind, data in key.values:
                lines.add("%s \"%s\" %d %s" % (path, value.upper(), kind,
                                                as_imported(kind, data).hex()))
    return lines


def compare(before_dir, after_dir):
    before, after = registry_lines(before_dir), registry_lines(after_dir)
    differences = ["- " + line for line in sorted(before - after)] + [
        "+ " + line for line in sorted(after - before)]
    for line in differences[:10]:
        print(line[:200])
    print("%d lines compared, %d differ" % (len(before), len(differences)))
    return 1 if differences else 0


def main(argv):
    if len(argv) == 5 and argv[1] == "hives":
        make_hives(argv[2], argv[3], argv[4])
    elif len(argv) >= 5 and argv[1] == "reg":
        make_reg(argv[2], argv[3], argv[4:])
    elif len(argv) == 4 and argv[1] == "compare":
        return compare(argv[2], argv[3])
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
