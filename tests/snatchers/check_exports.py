#!/usr/bin/env python3
"""Checks that pelmora.exe exports the classes and functions of unit
Snatchers, and that a program linked against its import library imports
them from pelmora.exe.

check_exports.py OBJDUMP PELMORA_EXE SNATCHERS_LIB CLIENT_EXE
"""
import os
import re
import subprocess
import sys

# What the unit exports: (kind, name). A class counts as exported when its
# class reference, its virtual table and its constructor are; a function
# when it is. Classes of the unit that are not built yet are skipped (their
# code is not in the library), the ones listed as required never.
REQUIRED = [
    ("function", "SetWindowProc"),
    ("class", "TWindowSubclass"),
    ("class", "TMessageEventDispatcher"),
    ("class", "TCustomMessageSnatcher"),
    ("class", "TFormMessageSnatcher"),
    ("class", "TMDIFormClientMessageSnatcher"),
    ("class", "TControlMessageSnatcher"),
    ("class", "TNotificationProxy"),
    ("class", "TSnatcherUser"),
]
LATER = [
    ("function", "ResolveShortcutFile"),
    ("class", "TFileDrop"),
    ("class", "TMouseWheel"),
    ("class", "TImageListImage"),
    ("class", "TBitmapPainter"),
    ("class", "TRMItem"),
    ("class", "TRMItems"),
    ("class", "TRegisteredMessage"),
]


def run(*args):
    # The tests run in a Japanese locale; the tools' headings must be English.
    env = dict(os.environ, LC_ALL="C", LANG="C", LANGUAGE="C")
    return subprocess.run(args, check=True, capture_output=True, text=True, errors="replace", env=env).stdout


def exported_names(objdump, exe):
    """The names of the export table of a PE file."""
    text = run(objdump, "-p", exe)
    part = text.split("[Ordinal/Name Pointer] Table", 1)
    if len(part) < 2:
        return set()
    names = set()
    for line in part[1].splitlines()[1:]:
        m = re.match(r"\s*\[\s*\d+\]\s+(\S+)", line)
        if not m:
            break
        names.add(m.group(1))
    return names


def defined_names(nm, lib):
    """Symbols defined in text or data of a static library."""
    names = set()
    for line in run(nm, "--defined-only", lib).splitlines():
        fields = line.split()
        if len(fields) == 3 and fields[1] in "TtDdRrBb":
            names.add(fields[2].lstrip("_") if fields[2].startswith("__Z") else fields[2])
    return names


def export_directives(objdump, lib):
    """The names a library's objects ask the linker to export."""
    text = run(objdump, "-s", "-j", ".drectve", lib)
    chunks, current = [], []
    for line in text.splitlines():
        # " 0000 2d657870 6f72743a 225f5a4e 354f7276  -export:\"_ZN5Orv": the
        # address, then a fixed field of up to four groups of hex digits.
        m = re.match(r" ([0-9a-f]{4,}) (.{35})  ", line)
        if m:
            current.append(bytes.fromhex(m.group(2).replace(" ", "")).decode("latin-1"))
        elif current:
            chunks.append("".join(current))
            current = []
    if current:
        chunks.append("".join(current))
    names = set()
    for chunk in chunks:
        for m in re.finditer(r'-export:(?:"([^"]+)"|([^\s"]+))', chunk):
            name = m.group(1) or m.group(2)
            names.add(name.split(",")[0])
    return names


def class_symbols(name):
    mangled = f"{len(name)}{name}"
    return {
        "class reference": f"_ZN5Orvik{mangled}11StaticClassEv",
        "virtual table": f"_ZTVN5Orvik{mangled}E",
        "constructor": f"_ZN5Orvik{mangled}C",
    }


def present(symbol, names):
    # Constructors come in several variants: a prefix is enough. 32-bit
    # stdcall names carry @n.
    return any(n == symbol or n.startswith(symbol) for n in names)


def main():
    objdump, exe, lib, client = sys.argv[1:5]
    nm = objdump[: -len("objdump")] + "nm"
    exports = exported_names(objdump, exe)
    defined = defined_names(nm, lib)
    failures = []
    if not exports:
        failures.append(f"{exe} has no export table")

    for required, items in ((True, REQUIRED), (False, LATER)):
        for kind, name in items:
            if kind == "function":
                wanted = {"function": f"_ZN5Orvik{len(name)}{name}E"}
            else:
                wanted = class_symbols(name)
            if not required and not any(present(s, defined) for s in wanted.values()):
                print(f"not built yet: {name}")
                continue
            for what, symbol in wanted.items():
                if not present(symbol, exports):
                    failures.append(f"{name}: {what} ({symbol}...) is not exported")
            print(f"exported: {kind} {name}")

    # Everything the library marks for export is exported.
    directives = export_directives(objdump, lib)
    if not directives:
        failures.append("the library marks nothing for export")
    missing = sorted(d for d in directives if d not in exports)
    failures += [f"marked for export but not exported: {d}" for d in missing]
    print(f"{len(directives)} names marked for export in the library, {len(exports)} exported")

    # The client program takes the unit from pelmora.exe.
    imports = run(objdump, "-p", client)
    blocks = re.split(r"\n\s*DLL Name: ", imports)
    from_exe = [b for b in blocks[1:] if b.lower().startswith("pelmora.exe")]
    if not from_exe:
        failures.append("the client program imports nothing from pelmora.exe")
    else:
        wanted = ["SetWindowProc", "TMessageEventDispatcher", "TWindowSubclass", "TControlMessageSnatcher",
                  "TSnatcherUser"]
        for name in wanted:
            if f"Orvik{len(name)}{name}" not in from_exe[0]:
                failures.append(f"the client program does not import {name} from pelmora.exe")

    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
