#!/usr/bin/env python3
"""Checks the source tree against the layer table of docs/architecture.md.

The table says which folder may include which. Every #include "..." of a source file that
reaches another folder must be allowed by the row of the file's own folder; a folder that the
table does not name is an error, so a new folder gets its row before it gets code. Outside the
one production forwarder of the seams, no file of the program calls DeviceIoControl or
ExitWindowsEx.

Usage: check-layers.py [ROOT]   (ROOT defaults to the repository holding this script)
Exit code 0 when the tree keeps to the table, 1 with one line per fault otherwise.
"""

import os
import re
import sys

TABLE_HEADING = "### Which folder may include which"
SOURCE_SUFFIXES = (".h", ".cpp", ".rc")
SKIPPED_DIRS = {".git", "build"}
# Folders whose files may include anything (the tests reach every layer).
ANYTHING = "everything"
NOTHING = "nothing"
# Folders that hold no part of the program: they may use the real calls.
TEST_ONLY_ROOTS = ("sim/", "tests/")
FORWARDER = "seam/system_seam_win32.cpp"
SEAMED_CALL = re.compile(r"(?<![\w])(DeviceIoControl|ExitWindowsEx)\s*\(")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
FOLDER_CELL = re.compile(r"`([^`]+)/`")


def read_table(root):
    """The layer table: folder -> set of folders it may include, or None for anything."""
    path = os.path.join(root, "docs", "architecture.md")
    with open(path, encoding="utf-8") as doc:
        lines = doc.read().splitlines()
    try:
        start = lines.index(TABLE_HEADING)
    except ValueError:
        raise SystemExit(f"{path}: no heading '{TABLE_HEADING}'")
    table = {}
    for line in lines[start + 1:]:
        if line.startswith("#"):
            break
        if not line.startswith("|") or line.startswith("|--") or line.startswith("| folder"):
            continue
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        if len(cells) < 2:
            continue
        folders = FOLDER_CELL.findall(cells[0])
        if len(folders) != 1:
            raise SystemExit(f"{path}: a row must name one folder: {line}")
        if cells[1] == ANYTHING:
            table[folders[0]] = None
        elif cells[1] == NOTHING:
            table[folders[0]] = set()
        else:
            table[folders[0]] = set(FOLDER_CELL.findall(cells[1]))
    if not table:
        raise SystemExit(f"{path}: the layer table is empty")
    return table


def folder_of(relative_path, table):
    """The most specific folder of the table that holds the path, or None."""
    directory = os.path.dirname(relative_path)
    best = None
    for folder in table:
        if directory == folder or directory.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def source_files(root):
    for directory, subdirs, files in os.walk(root):
        subdirs[:] = sorted(d for d in subdirs
                            if d not in SKIPPED_DIRS and not d.startswith("build-"))
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                full = os.path.join(directory, name)
                yield os.path.relpath(full, root).replace(os.sep, "/")


def strip_comment(line):
    return line.split("//", 1)[0]


def include_target(source, included):
    """The repository path an include names: rooted when it has a folder, else beside the file."""
    if "/" in included:
        return included
    return os.path.normpath(os.path.join(os.path.dirname(source), included)).replace(os.sep, "/")


def check(root):
    table = read_table(root)
    faults = []
    for source in source_files(root):
        if source.startswith("tools/"):
            continue
        own = folder_of(source, table)
        if own is None:
            faults.append(f"{source}: its folder is not in the layer table")
            continue
        allowed = table[own]
        with open(os.path.join(root, source), encoding="utf-8", errors="replace") as text:
            lines = text.read().splitlines()
        for number, line in enumerate(lines, 1):
            match = INCLUDE.match(line)
            if match and allowed is not None:
                target = include_target(source, match.group(1))
                reached = folder_of(target, table)
                if reached is None:
                    faults.append(f"{source}:{number}: includes {match.group(1)}, "
                                  "which lies in no folder of the layer table")
                elif reached != own and reached not in allowed:
                    faults.append(f"{source}:{number}: {own}/ may not include {reached}/ "
                                  f"({match.group(1)})")
            if (SEAMED_CALL.search(strip_comment(line)) and source != FORWARDER
                    and not source.startswith(TEST_ONLY_ROOTS)):
                faults.append(f"{source}:{number}: calls a seamed function directly; only "
                              f"{FORWARDER} may")
    return faults


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(
        os.path.dirname(os.path.abspath(__file__)))
    faults = check(root)
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} fault(s) against the layer table of docs/architecture.md")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
