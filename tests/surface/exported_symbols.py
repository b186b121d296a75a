#!/usr/bin/python3
"""What libvaldrex.so exports is its supported interface and nothing else: every C function of
valdrex.h, the type information of the exceptions and interfaces that cross into a program, and
otherwise only members of what the installed headers mark VALDREX_API (plus the standard
library's templates made for them), at most BOUND symbols in all.

Usage: exported_symbols.py LIBRARY SOURCE_DIR
"""
import pathlib
import re
import subprocess
import sys

BOUND = 300
# A program catches these, or implements them and hands them to the library.
TYPES_CROSSING = ["valdrex::io::FileError", "valdrex::Failure", "valdrex::host::Ui",
                  "valdrex::host::Clock", "valdrex::host::Launcher", "valdrex::host::Worksheet",
                  "valdrex::host::Workbook", "valdrex::host::Application", "valdrex::JobDialogs"]
PREFIXES = ("typeinfo name for ", "typeinfo for ", "vtable for ", "VTT for ", "guard variable for ",
            "non-virtual thunk to ", "virtual thunk to ", "TLS init function for ",
            "TLS wrapper function for ")
C_FUNCTION = re.compile(r"VALDREX_API\s[^;(]*?\b(valdrex_\w+)\s*\(")
MARKED = re.compile(r"\bclass\s+VALDREX_API\s+(\w+)|VALDREX_API\s[^;(]*?(\w+)\s*\(")


def exported(library):
    out = subprocess.run(["nm", "-D", "--defined-only", "-C", library], check=True,
                         capture_output=True, text=True).stdout
    symbols, count = {}, 0
    for line in out.splitlines():
        parts = line.split(" ", 2)
        if len(parts) == 3:
            symbols[parts[2]] = parts[1]  # a constructor's variants share one demangled name
            count += 1
    return symbols, count


def own_entity(symbol):
    """The qualified name a symbol belongs to, e.g. valdrex::host::MemorySheet::cell."""
    for prefix in PREFIXES:
        if symbol.startswith(prefix):
            symbol = symbol[len(prefix):]
    return re.split(r"[(<\s[]", symbol, maxsplit=1)[0]


def main():
    library, source = sys.argv[1], pathlib.Path(sys.argv[2])
    symbols, count = exported(library)
    headers = [line.strip() for line in
               (source / "valdrex/public_headers.txt").read_text(encoding="utf-8").splitlines()
               if line.strip() and not line.startswith("#")]
    marked = set()
    for header in headers:
        for cls, function in MARKED.findall((source / header).read_text(encoding="utf-8")):
            marked.add(cls or function)
    faults = []

    c_functions = C_FUNCTION.findall((source / "valdrex/valdrex.h").read_text(encoding="utf-8"))
    if len(c_functions) < 15:
        faults.append(f"only {len(c_functions)} functions read from valdrex.h")
    faults += [f"{f} of valdrex.h is not exported" for f in c_functions if symbols.get(f) != "T"]
    faults += [f"{s}: not a function of valdrex.h" for s in symbols
               if s.startswith("valdrex_") and s not in c_functions]
    faults += [f"typeinfo for {t} is not exported" for t in TYPES_CROSSING
               if f"typeinfo for {t}" not in symbols]

    for symbol in symbols:
        entity = own_entity(symbol)
        if not entity.startswith("valdrex::"):
            continue
        if re.search(r"valdrex::io::(?!FileError\b)", entity):
            faults.append(f"{symbol}: the file layer's internals are not exported")
        elif not marked & set(entity.split("::")[1:]):
            faults.append(f"{symbol}: not part of a VALDREX_API class or function")

    if count > BOUND:
        faults.append(f"{count} symbols exported, more than {BOUND}")
    for fault in faults:
        print(fault)
    print(f"{count} symbols exported, {len(c_functions)} C functions, "
          f"{sum(own_entity(s).startswith('valdrex::') for s in symbols)} of valdrex's C++ API")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
