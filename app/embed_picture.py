#!/usr/bin/env python3
"""Gives an image of a form file its picture and converts the form to code
page 932, as the program embeds it.

Usage: embed_picture.py IN_DFM COMPONENT ICON_FILE OUT_DFM

IN_DFM is UTF-8. The icon file becomes the "Picture.Data" of the object
named COMPONENT: the length and name of the picture's class ("TIcon"),
then the icon file, written as hexadecimal digits.
"""
import sys


def picture_lines(icon, indent):
    data = bytes([5]) + b"TIcon" + icon
    digits = data.hex().upper()
    rows = [digits[i:i + 64] for i in range(0, len(digits), 64)]
    pad = " " * indent
    return [pad + "Picture.Data = {"] + [pad + "  " + r for r in rows] + [pad + "  }"]


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    src, component, icon_path, out = sys.argv[1:]
    with open(src, encoding="utf-8") as f:
        lines = f.read().splitlines()
    with open(icon_path, "rb") as f:
        icon = f.read()
    header = "object %s:" % component
    for i, line in enumerate(lines):
        if line.strip().startswith(header):
            indent = len(line) - len(line.lstrip()) + 2
            lines[i + 1:i + 1] = picture_lines(icon, indent)
            break
    else:
        sys.exit("%s: no object %s" % (src, component))
    with open(out, "w", encoding="cp932", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
