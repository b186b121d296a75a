#!/usr/bin/python3
"""Fails when a file of valdrex/, cli/ or libreoffice/ includes a header of a folder its own
folder does not link. What each folder may use is read from the CMake files (valdrex_library,
add_library, add_executable, target_link_libraries), so the build's link graph is the one rule.

Usage: include_layers.py SOURCE_DIR      checks the tree
       include_layers.py --self-test     shows, on small trees, that a wrong-way include fails
"""
import pathlib
import re
import shutil
import sys
import tempfile

CHECKED = ("valdrex", "cli", "libreoffice")
# Headers in valdrex/ itself, outside any folder library: the C interface belongs to capi, and
# the export macro may be used by every folder.
ROOT_HEADERS = {"valdrex/valdrex.h": "valdrex/capi", "valdrex/export.h": None}
CALL = re.compile(r"\b(valdrex_library|add_library|add_executable|target_link_libraries)\s*\(([^)]*)\)")
KEYWORDS = {"PUBLIC", "PRIVATE", "INTERFACE", "STATIC", "SHARED", "MODULE", "OBJECT"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"((?:valdrex|cli|libreoffice)/[^"]+)"')


def link_graph(root):
    """The folders that hold targets, and for each the folders it may include from."""
    owner, uses = {}, {}
    for cmake in sorted(p for top in CHECKED for p in (root / top).rglob("CMakeLists.txt")):
        folder = cmake.parent.relative_to(root).as_posix()
        text = re.sub(r"#[^\n]*", "", cmake.read_text(encoding="utf-8"))
        for call, args in CALL.findall(text):
            words = [w for w in args.split() if w not in KEYWORDS]
            if not words:
                continue
            if call != "target_link_libraries":
                owner[words[0]] = folder
            if call in ("valdrex_library", "target_link_libraries"):
                uses.setdefault(folder, set()).update(words[1:])
            else:
                uses.setdefault(folder, set())
    direct = {f: {owner[t] for t in targets if t in owner} for f, targets in uses.items()}
    allowed = {}
    for folder in direct:
        seen, todo = {folder}, [folder]
        while todo:
            for below in direct.get(todo.pop(), ()):
                if below not in seen:
                    seen.add(below)
                    todo.append(below)
        allowed[folder] = seen
    return allowed


def folder_of(path, folders):
    """The folder library a file belongs to: "" for a file any folder may include."""
    if path in ROOT_HEADERS:
        return ROOT_HEADERS[path] or ""
    parent = pathlib.PurePosixPath(path).parent
    while parent.as_posix() != ".":
        if parent.as_posix() in folders:
            return parent.as_posix()
        parent = parent.parent
    return None


def wrong_way_includes(root):
    allowed = link_graph(root)
    faults = []
    for top in CHECKED:
        for source in sorted((root / top).rglob("*")):
            if source.suffix not in (".h", ".cc", ".c") or not source.is_file():
                continue
            name = source.relative_to(root).as_posix()
            mine = folder_of(name, allowed)
            for number, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                theirs = folder_of(match.group(1), allowed)
                if theirs is None:
                    faults.append(f"{name}:{number}: {match.group(1)} belongs to no folder library")
                elif mine is None:
                    faults.append(f"{name}:{number}: {name} belongs to no folder library")
                elif theirs and mine and theirs not in allowed[mine]:
                    uses = ", ".join(sorted(allowed[mine] - {mine})) or "nothing"
                    faults.append(f"{name}:{number}: includes {match.group(1)}, but {mine} "
                                  f"links only {uses}")
    return faults


# (file written into a copy of the tree's CMake files, what it includes, whether that is allowed)
SELF_TEST = [
    ("valdrex/gradebook/wrong.cc", "valdrex/job/workbook_job.h", False),
    ("valdrex/gradebook/wrong.cc", "libreoffice/calc_workbook.h", False),
    ("valdrex/host/wrong.h", "valdrex/io/io_error.h", False),
    ("valdrex/io/wrong.cc", "valdrex/gradebook/grade_book.h", False),
    ("valdrex/job/outcome/wrong.h", "valdrex/job/files/workbook_saving.h", False),
    ("valdrex/job/made/wrong.cc", "valdrex/job/workbook_job.h", False),
    ("valdrex/automation/wrong.cc", "cli/valdrex_app.h", False),
    ("valdrex/job/checks/fine.cc", "valdrex/job/session/live_workbook.h", True),
    ("valdrex/run/fine.cc", "valdrex/host/ui.h", True),
    ("valdrex/capi/fine.cc", "valdrex/valdrex.h", True),
    ("valdrex/host/fine.h", "valdrex/export.h", True),
    ("cli/fine.cc", "valdrex/job/workbook_job.h", True),
]


def self_test():
    source = pathlib.Path(__file__).resolve().parents[2]
    failed = 0
    for name, included, fine in SELF_TEST:
        with tempfile.TemporaryDirectory() as tmp:
            root = pathlib.Path(tmp)
            for top in CHECKED:
                for cmake in (source / top).rglob("CMakeLists.txt"):
                    copy = root / cmake.relative_to(source)
                    copy.parent.mkdir(parents=True, exist_ok=True)
                    shutil.copyfile(cmake, copy)
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(f'#include "{included}"\n', encoding="utf-8")
            faults = wrong_way_includes(root)
            if bool(faults) == fine:
                failed += 1
                print(f"{name} including {included}: expected {'no fault' if fine else 'a fault'}, "
                      f"got {faults or 'none'}")
    return 1 if failed else 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    faults = wrong_way_includes(pathlib.Path(sys.argv[1]))
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
