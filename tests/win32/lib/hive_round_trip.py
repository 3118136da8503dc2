#!/usr/bin/python3
"""What a repair and a restore did to a Windows installation's hive files,
told from hivesweep-offline's exports of them (tests/win32/offline_round_trip.sh).

  hive_round_trip.py export OFFLINE_PROGRAM OUT HIVE...
      Every key and value of the hives, one line each, into OUT.
  hive_round_trip.py same BEFORE AFTER
      The two hold the same keys and values (names, types, data).
  hive_round_trip.py repaired BEFORE AFTER REPAIR.json
      AFTER is BEFORE less exactly the items of the rows the repair reported
      repaired (hivesweep-offline repair --json), each of which was there.
  hive_round_trip.py restored BEFORE AFTER BACKUP.reg
      Every key the backup names holds in AFTER what it held in BEFORE, its
      subkeys included. HKEY_CLASSES_ROOT is compared as the merged view: a
      file that names it does not say which layer a key lived in.
  hive_round_trip.py back REMOVED_BEFORE REMOVED_AFTER RESTORE_BEFORE RESTORE_AFTER
      What the repair removed (REMOVED_BEFORE less REMOVED_AFTER) is in
      RESTORE_AFTER, and some of it was missing in RESTORE_BEFORE.

The program's own key (HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane Hivesweep, where
the backup record grows with each repair) is left out of every comparison.
Exit 1, naming at most ten differences, when the claim does not hold.
"""
import json
import subprocess
import sys

OWN_KEY = "HKEY_LOCAL_MACHINE\\SOFTWARE\\CORVANE HIVESWEEP"
# The hives of the Wine machine keep the current control set as number 1.
CONTROL_SET = ("HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET",
               "HKEY_LOCAL_MACHINE\\SYSTEM\\CONTROLSET001")
CLASS_LAYERS = ("HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES", "HKEY_CURRENT_USER\\SOFTWARE\\CLASSES")
MERGED_CLASSES = "HKEY_CLASSES_ROOT"


def export_lines(program, hive):
    """(key, value line) pairs of one hive's export; "" for the key itself."""
    raw = subprocess.run([program, "export", "--hive", hive], check=True,
                         capture_output=True).stdout
    pairs, key, pending = [], None, ""
    for line in raw.decode("utf-16").replace("\r\n", "\n").split("\n")[1:]:
        if pending:
            line, pending = pending + line.strip(), ""
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            pairs.append((key, ""))
        elif line.endswith("\\"):
            pending = line[:-1]
        elif line and key is not None:
            pairs.append((key, line))
    return pairs


def write_export(program, out, hives):
    with open(out, "w", encoding="utf-8") as file:
        for hive in hives:
            for key, line in export_lines(program, hive):
                file.write(key + "\t" + line + "\n")


def read_lines(path):
    with open(path, encoding="utf-8") as file:
        pairs = {tuple(line.rstrip("\n").split("\t", 1)) for line in file}
    return {pair for pair in pairs if not below(canonical(pair[0]), OWN_KEY)}


def canonical(key):
    """The key's path upper-cased, with the control set as the hive keeps it."""
    upper = key.upper()
    if below(upper, CONTROL_SET[0]):
        upper = CONTROL_SET[1] + upper[len(CONTROL_SET[0]):]
    return upper


def merged(key):
    """The key's path with either classes layer named as HKEY_CLASSES_ROOT."""
    upper = canonical(key)
    for layer in CLASS_LAYERS:
        if below(upper, layer):
            return MERGED_CLASSES + upper[len(layer):]
    return upper


def below(path, key):
    return path == key or path.startswith(key + "\\")


def value_name(line):
    """The name of an export's value line; "" for the default value."""
    if line.startswith("@="):
        return ""
    name, i = [], 1
    while i < len(line) and line[i] != '"':
        if line[i] == "\\" and i + 1 < len(line):
            i += 1
        name.append(line[i])
        i += 1
    return "".join(name)


def rot13(text):
    return text.translate(str.maketrans(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz",
        "NOPQRSTUVWXYZABCDEFGHIJKLMnopqrstuvwxyzabcdefghijklm"))


def row_item(row):
    """(key, value name or None for the whole key) a repaired row removes."""
    key, text, kind = row["key"], row["value"], row["kind"]
    if kind == 0:
        return key, None
    if kind == 3:
        return key + "\\" + text, None
    if kind == 1:
        parent, _, name = key.rpartition("\\")
        return parent, name
    if kind == 2:
        return key, text
    if kind == 5:
        return key, ""
    if kind == 6:
        return key, rot13(text)
    return None  # a file: no registry item


def item_lines(lines, item):
    key, name = item
    wanted = merged(key) if key.upper().startswith(MERGED_CLASSES) else canonical(key)
    place = merged if wanted.startswith(MERGED_CLASSES) else canonical
    if name is None:
        return {pair for pair in lines if below(place(pair[0]), wanted)}
    return {pair for pair in lines if pair[1] and place(pair[0]) == wanted
            and value_name(pair[1]).upper() == name.upper()}


def report(differences, summary):
    for tag, (key, line) in differences[:10]:
        print("%s [%s] %s" % (tag, key, line[:160]))
    print(summary)
    return 1 if differences else 0


def diff(before, after):
    return ([("-", pair) for pair in sorted(before - after)] +
            [("+", pair) for pair in sorted(after - before)])


def same(before_path, after_path):
    before, after = read_lines(before_path), read_lines(after_path)
    differences = diff(before, after)
    return report(differences, "%d lines compared, %d differ" % (len(before), len(differences)))


def repaired(before_path, after_path, repair_path):
    before, after = read_lines(before_path), read_lines(after_path)
    with open(repair_path, encoding="utf-8") as file:
        rows = [row for row in json.load(file)["rows"] if row["outcome"] == "repaired"]
    expected, absent = set(), []
    for row in rows:
        item = row_item(row)
        if item is None:
            continue
        lines = item_lines(before, item)
        if not lines:
            absent.append(("?", (row["key"], row["value"])))
        expected |= lines
    differences = absent + diff(before - expected, after)
    return report(differences, "%d rows repaired: %d lines removed, %d differences" % (
        len(rows), len(before - after), len(differences)))


def backup_keys(path):
    with open(path, "rb") as file:
        text = file.read().decode("cp1252")
    return {line[1:-1] for line in text.replace("\r\n", "\n").split("\n")
            if line.startswith("[") and line.endswith("]")}


def restored(before_path, after_path, backup_path):
    keys = {merged(key) for key in backup_keys(backup_path)}
    def touched(lines):
        return {(merged(key), line) for key, line in lines
                if any(below(merged(key), named) for named in keys)}
    before, after = touched(read_lines(before_path)), touched(read_lines(after_path))
    differences = diff(before, after)
    return report(differences, "%d keys of the backup, %d lines compared, %d differ" % (
        len(keys), len(before), len(differences)))


def back(removed_before, removed_after, restore_before, restore_after):
    removed = read_lines(removed_before) - read_lines(removed_after)
    missing_before = removed - read_lines(restore_before)
    missing_after = removed - read_lines(restore_after)
    differences = [("missing", pair) for pair in sorted(missing_after)]
    if not missing_before:
        differences.append(("nothing was missing before", ("", "")))
    return report(differences, "%d lines the repair removed: %d missing before, %d after" % (
        len(removed), len(missing_before), len(missing_after)))


def main(argv):
    if len(argv) >= 5 and argv[1] == "export":
        write_export(argv[2], argv[3], argv[4:])
        return 0
    commands = {("same", 4): same, ("repaired", 5): repaired, ("restored", 5): restored,
                ("back", 6): back}
    command = commands.get((argv[1] if len(argv) > 1 else "", len(argv)))
    if command is None:
        sys.stderr.write(__doc__)
        return 2
    return command(*argv[2:])


if __name__ == "__main__":
    sys.exit(main(sys.argv))
