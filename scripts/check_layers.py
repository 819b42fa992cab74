#!/usr/bin/env python3
"""Keeps the house in order; run by `make test`.

1. Every include of a program folder, in any form ("folder/x.h",
   <folder/x.h>, "../folder/x.h", "x.h" beside the file), points to the same
   folder or to a folder of a lower layer.  (The build refuses the plain
   forms too: each library puts only its own folder on its dependants'
   include path.  A path with ".." it cannot refuse.)
2. Every folder is one CMake library that declares (directly or through the
   libraries it links) each lower folder it includes.
3. No function of a program folder is longer than MAX_FUNCTION_LINES lines.

The layers, lowest first, are written here and nowhere else.
"""
import os
import re
import sys

LAYERS = [
    ["engine"],                               # the expression engine (Qt-free)
    ["analysis"],                             # the calculus of functions of x (Qt-free)
    ["calc", "codec"],                        # calculation core, notebook codec (Qt-free)
    ["ui"],                                   # what several views share (Qt widgets)
    ["notebook", "plot", "library", "help"],  # the views
    ["workspace"],                            # the main window
    ["app", "cli"],                           # the two programs
]
# The CMake target of each folder.
TARGETS = {"app": "zentrova", "cli": "zentrova-calc"}
MAX_FUNCTION_LINES = 100

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LEVEL = {folder: level for level, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*([<"])([^>"\n]+)[>"]', re.M)


def included_folder(path, delimiter, name):
    """The program folder that an include of `name` in the file `path` reaches,
    or None when it reaches none (a system or Qt header, a file elsewhere)."""
    here = os.path.dirname(path)
    candidates = []
    if delimiter == '"':
        # A quoted name is looked for beside the file first.
        beside = os.path.normpath(os.path.join(here, name))
        if name.startswith(".") or os.path.exists(beside):
            candidates.append(beside)
    if not name.startswith("."):
        candidates.append(os.path.normpath(os.path.join(ROOT, name)))
    for candidate in candidates:
        rel = os.path.relpath(candidate, ROOT)
        if rel.startswith(".."):
            continue
        first = rel.split(os.sep)[0]
        if first in LEVEL:
            return first
    return None


def sources(folder):
    for dirpath, _, names in os.walk(os.path.join(ROOT, folder)):
        for name in sorted(names):
            if name.endswith((".cpp", ".h")):
                yield os.path.join(dirpath, name)


def target(folder):
    return TARGETS.get(folder, "zentrova_" + folder)


def declared_links():
    """Each folder's target and the zentrova targets it links."""
    links = {}
    for folder in LEVEL:
        path = os.path.join(ROOT, folder, "CMakeLists.txt")
        if not os.path.exists(path):
            links[folder] = None
            continue
        text = open(path, encoding="utf-8").read()
        found = re.search(r"target_link_libraries\(\s*%s\b([^)]*)\)" % re.escape(target(folder)), text)
        links[folder] = set(re.findall(r"\bzentrova[-_][a-z]+\b", found.group(1))) if found else set()
    return links


def reachable(folder, links, by_target):
    seen, todo = set(), list(links.get(folder) or ())
    while todo:
        t = todo.pop()
        if t in seen:
            continue
        seen.add(t)
        todo.extend(links.get(by_target.get(t, ""), None) or ())
    return seen


def strip_code(text):
    """The text with comments, strings and character literals blanked, lines kept."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(c + re.sub(r"[^\n]", " ", text[i + 1:j]) + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    # Preprocessor lines are no part of a declaration.
    return re.sub(r"(?m)^[ \t]*#.*$", lambda m: " " * len(m.group()), "".join(out))


def long_functions(path):
    """(name, first line, lines) of each function body longer than the limit."""
    code = strip_code(open(path, encoding="utf-8").read())
    found = []
    # Each open brace: the kind of scope and where its head began.
    stack = []
    head_start = 0  # offset where the current declaration began
    for m in re.finditer(r"[{};]", code):
        ch = m.group()
        if ch == "{":
            head = code[head_start:m.start()]
            outer = [k for k, _, _ in stack]
            in_function = any(k == "function" for k in outer)
            if in_function:
                kind = "block"
            elif re.search(r"\b(namespace|class|struct|union|enum)\b[^()]*$", head) or re.search(r"=\s*$", head):
                kind = "scope"
            elif ")" in head:
                kind = "function"
            else:
                kind = "block"
            name = re.findall(r"([~\w:]+)\s*\(", head)
            first = code.count("\n", 0, head_start + len(head) - len(head.lstrip())) + 1
            stack.append((kind, first, name[0] if name else "?"))
            head_start = m.end()
        elif ch == "}":
            if stack:
                kind, first, name = stack.pop()
                if kind == "function":
                    last = code.count("\n", 0, m.start()) + 1
                    if last - first + 1 > MAX_FUNCTION_LINES:
                        found.append((name, first, last - first + 1))
            head_start = m.end()
        else:
            if not stack or stack[-1][0] != "function":
                head_start = m.end()
    return found


def main():
    problems = []
    links = declared_links()
    by_target = {target(f): f for f in LEVEL}
    for folder, level in LEVEL.items():
        if links[folder] is None:
            problems.append(f"{folder}/ has no CMakeLists.txt of its own")
        reach = reachable(folder, links, by_target)
        for path in sources(folder):
            rel = os.path.relpath(path, ROOT)
            text = open(path, encoding="utf-8").read()
            for m in INCLUDE.finditer(text):
                other = included_folder(path, m.group(1), m.group(2).strip())
                line = text.count("\n", 0, m.start()) + 1
                if other is None or other == folder:
                    continue
                if LEVEL[other] >= level:
                    problems.append(f"{rel}:{line}: includes {other}/, which is not below {folder}/")
                elif links[folder] is not None and target(other) not in reach:
                    problems.append(f"{rel}:{line}: includes {other}/, but {target(folder)} does not link {target(other)}")
            for name, first, count in long_functions(path):
                problems.append(f"{rel}:{first}: {name} is {count} lines long (at most {MAX_FUNCTION_LINES})")
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} problem(s); the layers, lowest first: " + " | ".join(" ".join(l) for l in LAYERS))
        return 1
    print("layers and function sizes in order")
    return 0


if __name__ == "__main__":
    sys.exit(main())
