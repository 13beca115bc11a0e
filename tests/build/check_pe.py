#!/usr/bin/env python3
"""Checks that a file is a PE32 image for i386 of the expected kind; with
`shipped`, also that it carries no debug section, that its debug link names
the .debug file beside it with the right CRC, and that a crash address in
FUNCTION resolves through that link to the function and to a file of the
sources, as a crash report is read.

usage: check_pe.py FILE dll|gui [shipped TOOL_PREFIX FUNCTION SOURCE_DIR]
"""
import os
import struct
import subprocess
import sys
import zlib

IMAGE_FILE_MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B
IMAGE_FILE_DLL = 0x2000
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2


def read_headers(path):
    with open(path, "rb") as f:
        data = f.read(4096)
    if data[:2] != b"MZ":
        raise SystemExit(f"{path}: no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise SystemExit(f"{path}: no PE signature")
    machine, _, _, _, _, _, characteristics = struct.unpack_from("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    subsystem = struct.unpack_from("<H", data, optional + 68)[0]
    return machine, characteristics, magic, subsystem


def read_sections(data):
    """The image's sections as (name, file offset, size in the file), long
    names resolved through the COFF string table."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count, _, symbols, symbol_count, optional_size = struct.unpack_from("<HIIIH", data, pe + 6)
    strings = symbols + 18 * symbol_count
    table = pe + 24 + optional_size
    sections = []
    for i in range(count):
        raw_name, _, _, raw_size, raw_offset = struct.unpack_from("<8sIIII", data, table + 40 * i)
        name = raw_name.rstrip(b"\0").decode("latin-1")
        if name.startswith("/") and symbols:
            start = strings + int(name[1:])
            name = data[start:data.index(b"\0", start)].decode("latin-1")
        sections.append((name, raw_offset, raw_size))
    return sections


def shipped_problems(path):
    with open(path, "rb") as f:
        data = f.read()
    sections = {name: data[offset:offset + size] for name, offset, size in read_sections(data)}
    problems = [f"debug section {name}" for name in sections if name.startswith(".debug")]
    link = sections.get(".gnu_debuglink")
    if link is None:
        return problems + ["no .gnu_debuglink"]
    name = link[:link.index(b"\0")].decode()
    crc_at = (len(name) + 1 + 3) & ~3
    crc = struct.unpack_from("<I", link, crc_at)[0]
    debug_file = os.path.join(os.path.dirname(path), name)
    if name != os.path.basename(path) + ".debug":
        problems.append(f"debug link names {name}")
    elif not os.path.exists(debug_file):
        problems.append(f"no {name} beside it")
    else:
        with open(debug_file, "rb") as f:
            actual = zlib.crc32(f.read())
        if actual != crc:
            problems.append(f"debug link CRC {crc:08x}, {name} has {actual:08x}")
    return problems


def resolution_problems(path, tool_prefix, function, sources):
    """Resolves an address inside `function` (its start plus one, as a return
    address would be) with addr2line, given only the shipped file."""
    symbols = subprocess.run([tool_prefix + "nm", path + ".debug"], capture_output=True,
                             text=True, check=True).stdout
    starts = [int(fields[0], 16) for fields in map(str.split, symbols.splitlines())
              if len(fields) == 3 and fields[2].split("@")[0] == "_" + function]
    if not starts:
        return [f"{function} not among the symbols of {path}.debug"]
    address = f"0x{starts[0] + 1:x}"
    answer = subprocess.run([tool_prefix + "addr2line", "-f", "-e", path, address],
                            capture_output=True, text=True, check=True).stdout.split("\n")
    name, place = answer[0], answer[1] if len(answer) > 1 else ""
    source = os.path.normpath(place.rsplit(":", 1)[0])
    if not name.startswith(function) or not os.path.isfile(os.path.join(sources, source)):
        return [f"{address} in {function} resolves to {name} at {place}"]
    print(f"{path}: {address} is {name} at {place}")
    return []


def main():
    path, kind = sys.argv[1], sys.argv[2]
    machine, characteristics, magic, subsystem = read_headers(path)
    problems = []
    if machine != IMAGE_FILE_MACHINE_I386:
        problems.append(f"machine 0x{machine:x}, not i386")
    if magic != PE32_MAGIC:
        problems.append(f"optional header magic 0x{magic:x}, not PE32")
    is_dll = bool(characteristics & IMAGE_FILE_DLL)
    if kind == "dll" and not is_dll:
        problems.append("not a DLL")
    if kind == "gui":
        if is_dll:
            problems.append("a DLL, not a program")
        if subsystem != IMAGE_SUBSYSTEM_WINDOWS_GUI:
            problems.append(f"subsystem {subsystem}, not the windowed one")
    if sys.argv[3:4] == ["shipped"]:
        problems += shipped_problems(path)
        problems += resolution_problems(path, *sys.argv[4:7])
    if problems:
        print(f"{path}: " + "; ".join(problems))
        return 1
    print(f"{path}: PE32 i386 {kind}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
