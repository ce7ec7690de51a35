#!/usr/bin/env python3
"""Writes src/render/printer_metrics.cpp: the advance widths of a LaserJet's built-in
proportional typefaces, per typeface, stroke weight and style, by Unicode character.

Source: the font description files of groff's lj4 device (Debian package groff-base,
/usr/share/groff/current/font/devlj4), which list each built-in font's widths as the
printer sets them. A glyph's character is its name when that is one character or
uXXXX; else the character its symbol set and code stand for (the set tables of
src/render/symbol_sets.cpp, or Python's codec of the set). The space has the font's
space width. Fixed-pitch faces are left
out: their advance is the pitch.

usage: scripts/gen-printer-metrics.py [DEVLJ4_DIR] |
           clang-format --assume-filename=x.cpp > src/render/printer_metrics.cpp
"""
import os
import re
import sys

DEVLJ4 = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/groff/current/font/devlj4"
SYMBOL_SETS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "render",
                           "symbol_sets.cpp")
# Symbol sets (PCL value: number * 32 + letter - 64) that Python's codecs serve.
CODECS = {19 * 32 + 21: "cp1252", 9 * 32 + 5: "cp1250", 5 * 32 + 20: "cp1254",
          10 * 32 + 21: "cp437", 11 * 32 + 21: "cp850", 8 * 32 + 21: "hp_roman8"}


def charset_lines(path):
    with open(path, encoding="latin-1") as f:
        lines = f.read().splitlines()
    header, body, in_charset = {}, [], False
    for line in lines:
        if not line.strip() or (line.startswith("#") and not in_charset):
            continue
        if line.strip() == "charset":
            in_charset = True
            continue
        if in_charset:
            body.append(line.split())
        elif line.strip() == "kernpairs":
            continue
        else:
            parts = line.split()
            if len(parts) == 2 and not parts[0].startswith("kern"):
                header.setdefault(parts[0], parts[1])
    return header, body


def set_value(set_id):
    return int(set_id[:-1]) * 32 + ord(set_id[-1]) - 64


def symbol_set_tables():
    """{set value: {code: character}} of the renderer's own tables."""
    with open(SYMBOL_SETS) as f:
        text = f.read()
    entries = {m.group(1): dict((int(c), int(u, 16)) for c, u in re.findall(
        r"\{(\d+), 0x([0-9A-F]+)\}", m.group(2)))
        for m in re.finditer(r"kSet(\w+)\[\] = \{(.*?)\};", text, re.S)}
    tables = {}
    for set_id, ascii_base, name in re.findall(r'\{"(\w+)", (true|false), kSet(\w+)\}', text):
        table = {c: c for c in range(32, 127)} if ascii_base == "true" else {}
        table.update(entries.get(name, {}))
        tables[set_value(set_id)] = table
    return tables


def character(name, code, tables):
    if len(name) == 1:
        return ord(name)
    if re.fullmatch(r"u[0-9A-F]{4,6}", name):
        return int(name[1:], 16)
    value, byte = divmod(code, 256)
    if value in tables:
        return tables[value].get(byte)
    if value in CODECS:
        try:
            return ord(bytes([byte]).decode(CODECS[value]))
        except (UnicodeDecodeError, TypeError):
            return None
    return None


def main():
    tables = symbol_set_tables()
    with open(os.path.join(DEVLJ4, "DESC")) as f:
        desc = dict(line.split()[:2] for line in f if len(line.split()) >= 2)
    em = int(desc["unitwidth"]) / int(desc.get("sizescale", "1")) * int(desc["res"]) / 72
    fonts = {}  # (typeface, bold, italic) -> {char: width}
    special = None
    for name in sorted(os.listdir(DEVLJ4)):
        path = os.path.join(DEVLJ4, name)
        if not os.path.isfile(path) or name == "DESC":
            continue
        header, body = charset_lines(path)
        if "pcltypeface" not in header or header.get("pclproportional") != "1":
            continue
        widths, aliases, last = {}, [], None
        for fields in body:
            if len(fields) < 2:
                continue
            if fields[1] != '"':
                last = (int(fields[1].split(",")[0]), int(fields[3]) if len(fields) > 3 else 0)
            width, code = last
            if fields[1] == '"' and len(fields[0]) == 1:
                # groff's own aliases (` for the open quote, ~ for the tilde accent) give
                # way to the glyph the printer sets at that character's code.
                aliases.append((ord(fields[0]), width))
                continue
            c = character(fields[0], code, tables)
            if c is not None and c >= 0x20:
                widths.setdefault(c, width)
        for c, width in aliases:
            widths.setdefault(c, width)
        if "spacewidth" in header:
            widths.setdefault(0x20, int(header["spacewidth"]))
        key = (int(header["pcltypeface"]), int(header["pclweight"]), int(header["pclstyle"]))
        if header.get("name") == "-" or name == "S":
            special = (key, widths)  # groff's special font prints in this typeface
            continue
        fonts.setdefault(key, {}).update(widths)
    if special:
        key, widths = special
        for c, w in widths.items():
            fonts.setdefault(key, {}).setdefault(c, w)
    out = sys.stdout
    out.write("// Generated by scripts/gen-printer-metrics.py from groff's devlj4 font descriptions\n"
              "// (Debian groff-base): advance widths of the printer's built-in proportional\n"
              "// typefaces. Do not edit; run the script again (its usage line says how).\n"
              '#include "render/printer_metrics.h"\n\n'
              "namespace morvel::render {\n\nnamespace {\n\n")
    for i, (key, widths) in enumerate(sorted(fonts.items())):
        out.write(f"constexpr PrinterWidth kFont{i}[] = {{\n")
        row = []
        for c in sorted(widths):
            row.append(f"{{0x{c:04X}, {widths[c]}}}")
            if len(row) == 5:
                out.write("    " + ", ".join(row) + ",\n")
                row = []
        if row:
            out.write("    " + ", ".join(row) + ",\n")
        out.write("};\n\n")
    out.write("}  // namespace\n\n"
              "std::span<const PrinterMetrics> printer_metrics() {\n"
              "    static constexpr PrinterMetrics kMetrics[] = {\n")
    for i, (key, _) in enumerate(sorted(fonts.items())):
        t, weight, style = key
        out.write(f"        {{{t}, {weight}, {style}, kFont{i}}},\n")
    out.write("    };\n    return kMetrics;\n}\n\n"
              f"double printer_width_unit() {{\n    return {em!r};\n}}\n\n"
              "}  // namespace morvel::render\n")


if __name__ == "__main__":
    main()
