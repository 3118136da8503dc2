#!/usr/bin/env python3
"""Turns translation files into the form the program ships: UTF-16LE with a
byte-order mark and CR LF line ends, so every language reads right whatever
the system's ANSI code page.

Usage: scripts/lang-to-utf16.py FILE [FILE...]     (each file rewritten in place)
       scripts/lang-to-utf16.py --to-utf8 FILE...  (back to UTF-8 with a mark,
                                                    for editing)

A translator may hand in UTF-8 (with or without its mark) or a file that is
already UTF-16; anything else is refused with the reason, and the file is left
as it was.
"""
import sys

UTF16_LE_MARK = b"\xff\xfe"
UTF16_BE_MARK = b"\xfe\xff"
UTF8_MARK = b"\xef\xbb\xbf"


def decode(data, name):
    if data.startswith(UTF16_LE_MARK) or data.startswith(UTF16_BE_MARK):
        return data.decode("utf-16")
    if data.startswith(UTF8_MARK):
        data = data[len(UTF8_MARK):]
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError as error:
        raise ValueError(f"{name}: not UTF-8 or UTF-16 (byte {error.start}); "
                         "save it as UTF-8 first") from None


def with_crlf(text):
    return "\r\n".join(text.replace("\r\n", "\n").replace("\r", "\n").split("\n"))


def convert(path, to_utf8):
    with open(path, "rb") as file:
        text = with_crlf(decode(file.read(), path))
    data = UTF8_MARK + text.encode("utf-8") if to_utf8 else \
        UTF16_LE_MARK + text.encode("utf-16-le")
    with open(path, "wb") as file:
        file.write(data)


def main(argv):
    to_utf8 = bool(argv) and argv[0] == "--to-utf8"
    paths = argv[1:] if to_utf8 else argv
    if not paths:
        print(__doc__, file=sys.stderr)
        return 2
    failed = False
    for path in paths:
        try:
            convert(path, to_utf8)
        except (OSError, ValueError) as error:
            print(error, file=sys.stderr)
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
