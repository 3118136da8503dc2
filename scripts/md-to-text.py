#!/usr/bin/env python3
"""Turns one of the user documents (docs/guide.md, docs/fleet.md) into the
plain text that ships beside the programs (Guide.txt, Fleet.txt), laid out
for a text editor: headings underlined, paragraphs and list items wrapped at
78 columns, tables in aligned columns (cells wrapped when the table would be
wider), code indented; no Markdown markup, no pictures.

    python3 scripts/md-to-text.py docs/guide.md build/Guide.txt

The output is UTF-8 with a byte-order mark (so that older Notepads read the
accented letters right) and CR LF line ends; the same input always gives the
same bytes. A link to another document names the text file it ships as; a
link to a document that does not ship is an error, so nothing that ships
points at what the user does not have.
"""
import re
import sys
import textwrap
from pathlib import Path

WIDTH = 78
# The title is ruled above and below, sections underlined.
UNDERLINES = {1: "=", 2: "=", 3: "-", 4: "-"}
# The documents that ship, by their Markdown name.
SHIPPED = {"guide.md": "Guide.txt", "fleet.md": "Fleet.txt"}
# Stands in for a space inside a code span while a paragraph is wrapped, so
# that "  #####  " or "restore --force" never breaks across lines.
HARD_SPACE = "\x00"


def anchor_of(title):
    """The anchor a heading gets on the web pages the Markdown is shown on."""
    text = strip_inline(title, {}, Path(".")).lower()
    text = re.sub(r"[^\w\- ]", "", text)
    return text.replace(" ", "-")


def headings_of(path):
    """Anchor -> heading text of a Markdown file."""
    found = {}
    in_code = False
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.startswith("```"):
            in_code = not in_code
        match = None if in_code else re.match(r"^(#{1,6}) +(.*)$", line)
        if match:
            found[anchor_of(match.group(2))] = strip_inline(match.group(2), {}, path.parent)
    return found


def link_text(text, target, folder, own_headings):
    """What a link reads as in plain text."""
    if re.match(r"^[a-z]+://", target):
        return f"{text} ({target})"
    file_name, _, anchor = target.partition("#")
    if not file_name:
        heading = own_headings.get(anchor)
        if heading is None:
            raise SystemExit(f"md-to-text: no heading for the link #{anchor}")
        return f'"{heading}"' if text == heading else f'{text} (see "{heading}")'
    shipped = SHIPPED.get(file_name)
    if shipped is None:
        raise SystemExit(f"md-to-text: {file_name} does not ship; do not link it")
    where = shipped
    if anchor:
        heading = headings_of(folder / file_name).get(anchor)
        if heading is None:
            raise SystemExit(f"md-to-text: no heading for the link {target}")
        where += f', "{heading}"'
    return where if text == file_name else f"{text} ({where})"


def strip_inline(text, own_headings, folder):
    """Inline markup out: code spans, strong emphasis, links, pictures."""
    spans = []

    def keep_code(match):
        code = match.group(1)
        # Without its typeface, a literal text (it holds spaces) or a bare
        # word (the member "key", the command "scan") reads as prose: quoted.
        if re.search(r"\s", code) or code.isalpha():
            code = f"'{code}'" if '"' in code else f'"{code}"'
        spans.append(code.replace(" ", HARD_SPACE))
        return f"\x01{len(spans) - 1}\x01"

    text = re.sub(r"`([^`]+)`", keep_code, text)
    text = re.sub(r"!\[[^\]]*\]\([^)]*\)", "", text)
    text = re.sub(
        r"\[([^\]]+)\]\(([^)]+)\)",
        lambda m: link_text(m.group(1), m.group(2), folder, own_headings),
        text,
    )
    text = text.replace("**", "")
    return re.sub(r"\x01(\d+)\x01", lambda m: spans[int(m.group(1))], text)


def wrap(text, first_indent, later_indent, width=WIDTH):
    lines = textwrap.wrap(
        text,
        width=width,
        initial_indent=first_indent,
        subsequent_indent=later_indent,
        break_long_words=False,
        break_on_hyphens=False,
    )
    return [line.replace(HARD_SPACE, " ") for line in lines] or [first_indent.rstrip()]


def plain(text):
    return text.replace(HARD_SPACE, " ")


# --- tables ------------------------------------------------------------


def table_cells(line):
    line = line.strip()
    if line.startswith("|"):
        line = line[1:]
    if line.endswith("|"):
        line = line[:-1]
    return [cell.strip() for cell in line.split("|")]


def cell_text(cell, own_headings, folder):
    """A cell that is one code span is a name or a command in a column of
    them: bare, and never broken. Other text wraps at any space."""
    match = re.fullmatch(r"`([^`]+)`", cell)
    if match:
        return match.group(1).replace(" ", HARD_SPACE)
    return plain(strip_inline(cell, own_headings, folder)).strip()


def longest_words(rows):
    return [
        max((len(word) for row in rows for word in row[i].split()), default=0)
        for i in range(len(rows[0]))
    ]


def fits(rows, limit):
    """Whether the columns fit side by side with no word broken."""
    return sum(longest_words(rows)) + 2 * (len(rows[0]) - 1) <= limit


def render_records(rows):
    """A table too wide for columns: one block per row, the first cell as its
    title, then each other column's header and value, the values aligned."""
    header = rows[0]
    label_width = max(len(plain(label)) for label in header[1:]) + 2
    out = []
    for row in rows[1:]:
        title = plain(row[0])
        out.append(f"{header[0]} {title}" if title.isdigit() else title)
        for label, value in zip(header[1:], row[1:]):
            if value:
                label = plain(label) + ":"
                out += wrap(value, f"  {label:<{label_width}}", " " * (label_width + 2))
        out.append("")
    return out[:-1]


def column_widths(rows, limit):
    """Natural widths, the widest columns narrowed until the table fits."""
    count = len(rows[0])
    # The header wraps to its column, not the column to its header.
    longest_word = longest_words(rows)
    natural = [max([len(plain(row[i])) for row in rows[1:]] + [longest_word[i]])
               for i in range(count)]
    widths = list(natural)
    gaps = 2 * (count - 1)
    while sum(widths) + gaps > limit:
        widest = max(range(count), key=lambda i: (widths[i] - longest_word[i], widths[i]))
        if widths[widest] <= longest_word[widest]:
            break
        widths[widest] -= 1
    return widths


def render_table(lines, own_headings, folder):
    rows = [table_cells(line) for line in lines]
    header, rule, body = rows[0], rows[1], rows[2:]
    right = [cell.endswith(":") and not cell.startswith(":") for cell in rule]
    text_rows = [[cell_text(cell, own_headings, folder) for cell in row] for row in [header] + body]
    # A table that holds pictures (the screenshots) says nothing in text.
    if any("![" in line for line in lines):
        return []
    count = len(header)
    text_rows = [(row + [""] * count)[:count] for row in text_rows]
    if not fits(text_rows, WIDTH):
        return render_records(text_rows)
    widths = column_widths(text_rows, WIDTH)
    wrapped_rows = [
        [wrap(cell, "", "", max(widths[i], 1)) if cell else [""] for i, cell in enumerate(row)]
        for row in text_rows
    ]
    multi_line = any(len(cell) > 1 for row in wrapped_rows for cell in row)
    out = []
    for number, row in enumerate(wrapped_rows):
        if number > 1 and multi_line:
            out.append("")
        for depth in range(max(len(cell) for cell in row)):
            parts = []
            for i, cell in enumerate(row):
                piece = cell[depth] if depth < len(cell) else ""
                parts.append(piece.rjust(widths[i]) if right[i] else piece.ljust(widths[i]))
            out.append("  ".join(parts).rstrip())
        if number == 0:
            out.append("  ".join("-" * width for width in widths))
    return out


# --- blocks ------------------------------------------------------------

LIST_ITEM = re.compile(r"^( *)([*-]|\d+\.) +(.*)$")


def render(markdown, folder, own_headings):
    lines = markdown.splitlines()
    out = []
    i = 0
    # Where the paragraph just written starts: one that introduces pictures
    # ("in each language:") goes with them.
    paragraph_start = None

    def blank():
        if out and out[-1] != "":
            out.append("")

    while i < len(lines):
        line = lines[i]
        if not line.strip():
            i += 1
            continue
        introduction, paragraph_start = paragraph_start, None
        if line.startswith("```"):
            blank()
            i += 1
            while i < len(lines) and not lines[i].startswith("```"):
                out.append(("    " + lines[i]).rstrip())
                i += 1
            i += 1
            blank()
            continue
        if line.startswith("    "):
            blank()
            while i < len(lines) and (lines[i].startswith("    ") or not lines[i].strip()):
                out.append(lines[i].rstrip())
                i += 1
            while out and out[-1] == "":
                out.pop()
            blank()
            continue
        heading = re.match(r"^(#{1,6}) +(.*)$", line)
        if heading:
            level = len(heading.group(1))
            title = plain(strip_inline(heading.group(2), own_headings, folder))
            blank()
            if level > 1 and out:
                out.append("")
            rule = UNDERLINES.get(level, "-") * len(title)
            out += [rule, title, rule] if level == 1 else [title, rule]
            out.append("")
            i += 1
            continue
        if line.startswith("|"):
            block = []
            while i < len(lines) and lines[i].startswith("|"):
                block.append(lines[i])
                i += 1
            table = render_table(block, own_headings, folder)
            if not table and introduction is not None and out[-2].endswith(":"):
                del out[introduction:]
            if table:
                blank()
                out += table
                blank()
            continue
        item = LIST_ITEM.match(line)
        if item:
            indent, marker, text = item.groups()
            i += 1
            while i < len(lines) and lines[i].strip() and not LIST_ITEM.match(lines[i]) \
                    and lines[i].startswith(" "):
                text += " " + lines[i].strip()
                i += 1
            bullet = "- " if marker in "*-" else marker + " "
            text = strip_inline(text, own_headings, folder)
            out += wrap(text, indent + bullet, indent + " " * len(bullet))
            if i < len(lines) and not lines[i].strip():
                blank()
            continue
        paragraph = [line.strip()]
        i += 1
        while i < len(lines) and lines[i].strip() and not re.match(r"^(#|\||```|    )", lines[i]) \
                and not LIST_ITEM.match(lines[i]):
            paragraph.append(lines[i].strip())
            i += 1
        text = strip_inline(" ".join(paragraph), own_headings, folder).strip()
        if text:  # a paragraph that held only a picture leaves nothing
            paragraph_start = len(out)
            out += wrap(text, "", "")
            blank()
    while out and out[-1] == "":
        out.pop()
    return out


def main():
    if len(sys.argv) != 3:
        raise SystemExit("usage: md-to-text.py INPUT.md OUTPUT.txt")
    source, target = Path(sys.argv[1]), Path(sys.argv[2])
    lines = render(source.read_text(encoding="utf-8"), source.parent, headings_of(source))
    text = "\r\n".join(lines) + "\r\n"
    target.write_bytes(b"\xef\xbb\xbf" + text.encode("utf-8"))


if __name__ == "__main__":
    main()
