#!/usr/bin/env python3
"""Builds the shipped binaries a second time, from a copy of the same
sources in another folder into a fresh build folder, and checks that they
come out byte for byte the same as this build's, their .debug files too.
Names the sections (or headers) that differ when they do not.

usage: check_reproducible.py SOURCE_DIR BIN_DIR BUILD_TYPE TARGET=FILE...
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_pe import read_sections  # noqa: E402


def differences(first, second):
    """Where two images differ: section names, or the headers before the
    first section."""
    if len(first) != len(second):
        return [f"sizes {len(first)} and {len(second)}"]
    sections = read_sections(first)
    if sections != read_sections(second):
        return ["section tables"]
    spans = [("headers", 0, min((o for _, o, s in sections if s), default=len(first)))]
    spans += sections
    found = [name for name, offset, size in spans
             if first[offset:offset + size] != second[offset:offset + size]]
    return found or ["bytes outside every section"]


def copy_sources(source, copy):
    """The files git knows of (committed or not, ignored ones left out), or
    the whole tree but its build folders outside a git checkout; the copy
    links to the prebuilt libraries, .deps."""
    listed = subprocess.run(["git", "-C", source, "ls-files", "-z", "--cached", "--others",
                             "--exclude-standard"], capture_output=True)
    if listed.returncode != 0:
        shutil.copytree(source, copy, symlinks=True,
                        ignore=shutil.ignore_patterns("build", "build-*", ".deps"))
    else:
        for name in filter(None, listed.stdout.decode().split("\0")):
            path = os.path.join(source, name)
            if os.path.isfile(path):
                os.makedirs(os.path.dirname(os.path.join(copy, name)), exist_ok=True)
                shutil.copy2(path, os.path.join(copy, name), follow_symlinks=False)
    os.symlink(os.path.realpath(os.path.join(source, ".deps")), os.path.join(copy, ".deps"))


def build_again(source, build_type, targets, folder):
    configure = ["cmake", "-S", source, "-B", folder, "-G", "Ninja",
                 f"-DCMAKE_BUILD_TYPE={build_type}", "-DZP_BUILD_TESTS=OFF"]
    subprocess.run(configure, check=True, stdout=subprocess.DEVNULL)
    jobs = os.environ.get("REPRO_JOBS", "2")
    subprocess.run(["cmake", "--build", folder, "-j", jobs, "--target", *targets],
                   check=True, stdout=subprocess.DEVNULL)


def main():
    source, bin_dir, build_type = sys.argv[1:4]
    files = [arg.split("=", 1)[1] for arg in sys.argv[4:]]
    targets = [arg.split("=", 1)[0] for arg in sys.argv[4:]]
    folder = tempfile.mkdtemp(prefix="zp-repro-")
    try:
        start = time.monotonic()
        copy_sources(source, os.path.join(folder, "src"))
        build_again(os.path.join(folder, "src"), build_type, targets, os.path.join(folder, "out"))
        print(f"second build of {' '.join(targets)}: {time.monotonic() - start:.0f} s")
        problems = []
        for name in files:
            for file in (name, name + ".debug"):
                with open(os.path.join(bin_dir, file), "rb") as f:
                    ours = f.read()
                with open(os.path.join(folder, "out", "bin", file), "rb") as f:
                    theirs = f.read()
                if ours == theirs:
                    print(f"{file}: {len(ours)} bytes, identical")
                else:
                    problems.append(f"{file} differs in {', '.join(differences(ours, theirs))}")
        for problem in problems:
            print(problem)
        return 1 if problems else 0
    finally:
        if os.environ.get("REPRO_KEEP"):
            print(f"second build kept in {folder}")
        else:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
