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

ORDER_MARK = "<!-- folder order: checked by scripts/folder-order.py -->"
GRAPH_BEGIN = "<!-- folder graph: written by scripts/folder-order.py update -->"
GRAPH_END = "<!-- end of folder graph -->"
SOURCE_SUFFIXES = {".h", ".cpp", ".inc", ".rc"}
PLATFORM_FOLDERS = ("win32", "posix")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


class DocError(Exception):
    """A tree the check cannot read: its message says why."""


class Tree:
    """A checkout: its src/ and its ARCHITECTURE.md."""

    def __init__(self, root):
        self.src = root / "src"
        self.doc = root / "docs" / "ARCHITECTURE.md"

    def doc_lines(self):
        try:
            return self.doc.read_text(encoding="utf-8").splitlines()
        except OSError as error:
            raise DocError(f"cannot read {self.doc}: {error.strerror}")

    def folders(self):
        try:
            return sorted(p.name for p in self.src.iterdir() if p.is_dir())
        except OSError as error:
            raise DocError(f"cannot list {self.src}: {error.strerror}")


def line_index(lines, mark):
    """Where the line `mark` stands, however indented."""
    for i, line in enumerate(lines):
        if line.strip() == mark:
            return i
    raise DocError(f"ARCHITECTURE.md lacks the line {mark}")


def fenced_block_after(lines, mark):
    """The lines of the first fenced block after the line `mark`."""
    start = line_index(lines, mark)
    fences = [i for i in range(start + 1, len(lines)) if lines[i].strip().startswith("```")]
    if len(fences) < 2:
        raise DocError(f"ARCHITECTURE.md: no fenced block after {mark}")
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
        raise DocError("ARCHITECTURE.md: the folder order lists no folder")
    return order


def source_files(tree):
    for path in sorted(tree.src.rglob("*")):
        if path.is_file() and path.suffix in SOURCE_SUFFIXES:
            yield path


def platform_folder(parts):
    """"win32" or "posix" when a path (its folder names) lies in one, else None."""
    return next((part for part in parts if part in PLATFORM_FOLDERS), None)


def includes(tree):
    """(file, line number, folder of the file, included path) for every
    include of a path below src/ (the includes that name a folder)."""
    folders = set(tree.folders())
    for path in source_files(tree):
        relative = path.relative_to(tree.src)
        text = path.read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if match and match.group(1).split("/")[0] in folders and "/" in match.group(1):
                yield relative, number, relative.parts[0], match.group(1)


def folder_graph(tree):
    """{folder: set of the other folders it includes}."""
    graph = {folder: set() for folder in tree.folders()}
    for _, _, folder, included in includes(tree):
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
        raise DocError(f"ARCHITECTURE.md: {GRAPH_END} comes before {GRAPH_BEGIN}")
    indent = doc_lines[begin][: len(doc_lines[begin]) - len(doc_lines[begin].lstrip())]
    return begin, end, indent


def graph_block(graph, order, indent):
    return [indent + line for line in ["```", *graph_text(graph, order), "```"]]


def order_faults(tree, order):
    faults = []
    rank = {folder: i for i, folder in enumerate(order)}
    for folder in tree.folders():
        if folder not in rank:
            faults.append(f"src/{folder}/ is not in the folder order of ARCHITECTURE.md")
    for relative, number, folder, included in includes(tree):
        where = f"src/{relative}:{number}: includes {included}"
        target = included.split("/")[0]
        if folder in rank and target in rank and rank[target] > rank[folder]:
            faults.append(f"{where}, a folder that comes after {folder}/ in the order")
        kind = platform_folder(included.split("/")[:-1])
        if kind and platform_folder(relative.parts[:-1]) != kind:
            faults.append(f"{where}, a {kind}/ file, from outside a {kind}/ folder")
    return faults


def check(tree):
    doc_lines = tree.doc_lines()
    order = documented_order(doc_lines)
    faults = order_faults(tree, order)
    begin, end, indent = documented_graph(doc_lines)
    if doc_lines[begin + 1 : end] != graph_block(folder_graph(tree), order, indent):
        faults.append("the folder graph in ARCHITECTURE.md is out of date "
                      "(scripts/folder-order.py update rewrites it)")
    for fault in faults:
        print(fault)
    if faults:
        return 1
    print(f"folder order: {len(order)} folders, every include runs down the order")
    return 0


def update(tree):
    doc_lines = tree.doc_lines()
    order = documented_order(doc_lines)
    begin, end, indent = documented_graph(doc_lines)
    graph = graph_block(folder_graph(tree), order, indent)
    new_lines = doc_lines[: begin + 1] + graph + doc_lines[end:]
    tree.doc.write_text("\n".join(new_lines) + "\n", encoding="utf-8")
    return 0


def graph(tree):
    print("\n".join(graph_text(folder_graph(tree), documented_order(tree.doc_lines()))))
    return 0


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
    try:
        return {"check": check, "graph": graph, "update": update}[command](Tree(root))
    except DocError as error:
        print(error, file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
