#!/usr/bin/python3
"""Prints (UTF-8) every character a game's texts can draw, for cutting the
web build's faces down to them: the characters of every text file under the
folders given (files that decode as Shift-JIS / code page 932 without a
fault and hold no NUL byte), plus the characters any game may draw whatever
its texts say (printable ASCII, half-width katakana, and the symbols, digits,
letters and kana of JIS X 0208, which names typed by the reader and numbers
in variables are made of).

    game-characters.py FOLDER...
"""
import os
import sys


def common_characters():
    chars = {chr(c) for c in range(0x20, 0x7F)}
    chars.update(chr(c) for c in range(0xFF61, 0xFFA0))
    # JIS X 0208 rows 1 to 8 are the lead bytes 0x81..0x84 of code page 932.
    for lead in range(0x81, 0x85):
        for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFD)):
            try:
                chars.update(bytes([lead, trail]).decode('cp932'))
            except UnicodeDecodeError:
                pass
    return chars


def text_characters(path):
    try:
        with open(path, 'rb') as f:
            data = f.read()
    except OSError:
        return set()
    if b'\0' in data:
        return set()
    try:
        return set(data.decode('cp932'))
    except UnicodeDecodeError:
        return set()


def main(folders):
    chars = common_characters()
    for folder in folders:
        for root, _, files in os.walk(folder):
            for name in files:
                chars |= text_characters(os.path.join(root, name))
    chars = sorted(c for c in chars if c.isprintable() or c == '\u3000')
    sys.stdout.write(''.join(chars))


if __name__ == '__main__':
    main(sys.argv[1:])
