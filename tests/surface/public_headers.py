#!/usr/bin/python3
"""The installed headers, as listed in valdrex/public_headers.txt, stand on their own: each
includes only listed headers, and each compiles alone (the C interface also as C) against a tree
holding the listed headers and nothing else, as a program sees the installed library.

Usage: public_headers.py SOURCE_DIR CXX CC
"""
import concurrent.futures
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
C_HEADERS = {"valdrex/valdrex.h", "valdrex/export.h"}


def listed(source):
    lines = (source / "valdrex/public_headers.txt").read_text(encoding="utf-8").splitlines()
    return [line.strip() for line in lines if line.strip() and not line.startswith("#")]


def compile_alone(compiler, language, standard, tree, header):
    command = [compiler, f"-std={standard}", "-x", language, "-fsyntax-only", "-Wall", "-Wextra",
               "-Werror", "-I", str(tree), "-"]
    done = subprocess.run(command, input=f'#include "{header}"\n', capture_output=True,
                          text=True)
    return None if done.returncode == 0 else f"{header} alone as {language}:\n{done.stderr}"


def main():
    source, cxx, cc = pathlib.Path(sys.argv[1]), sys.argv[2], sys.argv[3]
    headers = listed(source)
    faults = []
    for header in headers:
        if not (source / header).is_file():
            faults.append(f"{header} is listed but missing")
            continue
        for line in (source / header).read_text(encoding="utf-8").splitlines():
            match = INCLUDE.match(line)
            if match and match.group(1) not in headers:
                faults.append(f"{header} includes {match.group(1)}, which is not installed")
    if not faults:
        with tempfile.TemporaryDirectory() as tmp:
            tree = pathlib.Path(tmp)
            for header in headers:
                (tree / header).parent.mkdir(parents=True, exist_ok=True)
                shutil.copyfile(source / header, tree / header)
            jobs = [(cxx, "c++", "c++20", tree, h) for h in headers]
            jobs += [(cc, "c", "c99", tree, h) for h in headers if h in C_HEADERS]
            with concurrent.futures.ThreadPoolExecutor(2) as pool:
                faults += [f for f in pool.map(lambda job: compile_alone(*job), jobs) if f]
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
