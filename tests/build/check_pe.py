#!/usr/bin/env python3
"""Checks that a file is a PE32 image for i386 of the expected kind.

usage: check_pe.py FILE dll|gui
"""
import struct
import sys

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
    if problems:
        print(f"{path}: " + "; ".join(problems))
        return 1
    print(f"{path}: PE32 i386 {kind}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
