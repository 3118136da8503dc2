#!/usr/bin/env python3
"""The include order of the folders of src/, as docs/ARCHITECTURE.md states it.

A folder counts with all its subfolders (settings/win32/ is settings): a file
may include its own folder and the folders listed above its own, nothing
below. A file outside a win32/ or posix/ folder includes none of theirs, since
the portable engine is built for both systems.

  scripts/folder-order.py check    fails, naming each include against the
                                   order, a folder the list lacks, or a
                                   folder graph in ARCHITECTURE.md that the
                                   includes no longer draw
  scripts/folder-order.py graph    prints the folder graph drawn from the includes
  scripts/folder-order.py update   writes that graph into ARCHITECTURE.md
  --root DIR                       another tree than this one (the tests' own)
"""
import pathlib
import re
import sys

SRC = DOC = None  # set by use_tree
ORDER_MARK = "<!-- folder order: checked by scripts/folder-order.py -->"
GRAPH_BEGIN = "<!-- folder graph: written by scripts/folder-order.py update -->"
GRAPH_END = "<!-- end of folder graph -->"
SOURCE_SUFFIXES = {".h", ".cpp", ".inc", ".rc"}
PLATFORM_FOLDERS = ("win32", "posix")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


class DocError(Exception):
    pass


def line_index(lines, mark):
    """Where the line `mark` stands, however indented."""
    for i, line in enumerate(lines):
        if line.strip() == mark:
            return i
    raise DocError(f"{DOC.name} lacks the line {mark}")


def fenced_block_after(lines, mark):
    """The lines of the first fenced block after the line `mark`."""
    start = line_index(lines, mark)
    fences = [i for i in range(start + 1, len(lines)) if lines[i].strip().startswith("```")]
    if len(fences) < 2:
        raise DocError(f"{DOC.name}: no fenced block after {mark}")
    return lines[fences[0] + 1 : fences[1]]


def documented_order(doc_lines):
    """The folders of the order list, lowest first: the first word of each
    line that starts a folder ("name/"); other lines continue a description."""
    order = []
    for line in fenced_block_after(doc_lines, ORDER_MARK):
        match = re.match(r"\s*([a-z0-9_]+)/(\s|$)", line)
        if match:
            order.append(match.group(1))
    if not order:
        raise DocError(f"{DOC.name}: the folder order lists no folder")
    return order


def source_files():
    for path in sorted(SRC.rglob("*")):
        if path.is_file() and path.suffix in SOURCE_SUFFIXES:
            yield path


def platform_folder(parts):
    """"win32" or "posix" when a path (its folder names) lies in one, else None."""
    return next((part for part in parts if part in PLATFORM_FOLDERS), None)


def includes():
    """(file, line number, folder of the file, included path) for every
    include of a path below src/ (the includes that name a folder)."""
    folders = {p.name for p in SRC.iterdir() if p.is_dir()}
    for path in source_files():
        relative = path.relative_to(SRC)
        text = path.read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if match and match.group(1).split("/")[0] in folders and "/" in match.group(1):
                yield relative, number, relative.parts[0], match.group(1)


def folder_graph():
    """{folder: set of the other folders it includes}."""
    graph = {p.name: set() for p in SRC.iterdir() if p.is_dir()}
    for _, _, folder, included in includes():
        target = included.split("/")[0]
        if target != folder:
            graph[folder].add(target)
    return graph


def graph_text(graph, order):
    """One line per folder, highest first: what it includes, highest first."""
    rank = {folder: i for i, folder in enumerate(order)}
    folders = sorted(graph, key=lambda f: rank.get(f, len(order)), reverse=True)
    width = max(len(f) for f in folders) + 1
    lines = []
    for folder in folders:
        uses = sorted(graph[folder], key=lambda f: rank.get(f, len(order)), reverse=True)
        arrow = "──► " + " ".join(uses) if uses else ""
        lines.append(f"{folder + '/':<{width}} {arrow}".rstrip())
    return lines


def documented_graph(doc_lines):
    """Where the graph's marks stand, and their indentation."""
    begin, end = line_index(doc_lines, GRAPH_BEGIN), line_index(doc_lines, GRAPH_END)
    if end < begin:
        raise DocError(f"{DOC.name}: {GRAPH_END} comes before {GRAPH_BEGIN}")
    indent = doc_lines[begin][: len(doc_lines[begin]) - len(doc_lines[begin].lstrip())]
    return begin, end, indent


def graph_block(graph, order, indent):
    return [indent + line for line in ["```", *graph_text(graph, order), "```"]]


def order_faults(order):
    faults = []
    rank = {folder: i for i, folder in enumerate(order)}
    missing = sorted(p.name for p in SRC.iterdir() if p.is_dir() and p.name not in rank)
    for folder in missing:
        faults.append(f"src/{folder}/ is not in the folder order of {DOC.name}")
    for relative, number, folder, included in includes():
        where = f"src/{relative}:{number}: includes {included}"
        target = included.split("/")[0]
        if folder in rank and target in rank and rank[target] > rank[folder]:
            faults.append(f"{where}, a folder listed above {folder}/ in {DOC.name}")
        kind = platform_folder(included.split("/")[:-1])
        if kind and platform_folder(relative.parts[:-1]) != kind:
            faults.append(f"{where}, a {kind}/ file, from outside a {kind}/ folder")
    return faults


def check(doc_lines):
    order = documented_order(doc_lines)
    faults = order_faults(order)
    begin, end, indent = documented_graph(doc_lines)
    if doc_lines[begin + 1 : end] != graph_block(folder_graph(), order, indent):
        faults.append(f"the folder graph in {DOC.name} is out of date "
                      "(scripts/folder-order.py update rewrites it)")
    for fault in faults:
        print(fault)
    if faults:
        return 1
    print(f"folder order: {len(order)} folders, every include runs down the order")
    return 0


def update(doc_lines):
    order = documented_order(doc_lines)
    begin, end, indent = documented_graph(doc_lines)
    graph = graph_block(folder_graph(), order, indent)
    new_lines = doc_lines[: begin + 1] + graph + doc_lines[end:]
    DOC.write_text("\n".join(new_lines) + "\n", encoding="utf-8")
    return 0


def use_tree(root):
    global SRC, DOC
    SRC, DOC = root / "src", root / "docs" / "ARCHITECTURE.md"


def main(argv):
    args = argv[1:]
    root = pathlib.Path(__file__).resolve().parent.parent
    if len(args) == 3 and args[1] == "--root":
        root = pathlib.Path(args[2])
        args = args[:1]
    command = args[0] if len(args) == 1 else ""
    if command not in ("check", "graph", "update"):
        print("usage: scripts/folder-order.py check|graph|update [--root DIR]", file=sys.stderr)
        return 2
    use_tree(root)
    doc_lines = DOC.read_text(encoding="utf-8").splitlines()
    try:
        if command == "graph":
            print("\n".join(graph_text(folder_graph(), documented_order(doc_lines))))
            return 0
        return check(doc_lines) if command == "check" else update(doc_lines)
    except DocError as error:
        print(error, file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
