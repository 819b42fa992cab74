#!/usr/bin/env python3
"""The layer check sees every form of an include; run by `make test`."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_layers as c  # noqa: E402


def main():
    engine = os.path.join(c.ROOT, "engine", "MathParser.cpp")
    workspace = os.path.join(c.ROOT, "workspace", "MainForm.cpp")
    cases = [
        # file, delimiter, name, the folder it reaches
        (engine, '"', "engine/MathParser.h", "engine"),
        (engine, '"', "MathParser.h", "engine"),          # beside the file
        (engine, '"', "calc/CalcCore.h", "calc"),
        (engine, "<", "calc/CalcCore.h", "calc"),
        (engine, '"', "../calc/CalcCore.h", "calc"),
        (engine, '"', "./../calc/../workspace/MainForm.h", "workspace"),
        (workspace, '"', "../../calc/CalcCore.h", None),  # outside the sources
        (engine, "<", "QFrame", None),
        (engine, "<", "vector", None),
        (engine, '"', "no-existe.h", None),
    ]
    failures = []
    for path, delimiter, name, expected in cases:
        got = c.included_folder(path, delimiter, name)
        if got != expected:
            failures.append(f"{delimiter}{name} in {os.path.relpath(path, c.ROOT)}: {got}, expected {expected}")
    text = '#include "a/x.h"\n  #  include <b/y.h>\n#include"../c/z.h"\n// #include "d/w.h"\n'
    names = [m.group(2) for m in c.INCLUDE.finditer(text)]
    if names != ["a/x.h", "b/y.h", "../c/z.h"]:
        failures.append(f"includes read: {names}")
    for f in failures:
        print(f)
    print("every include form seen" if not failures else f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
