#!/usr/bin/env python3
"""Keeps the library graph of src/ acyclic and pointing downwards.

Each folder of src/ is one library with a place in the layers below. A library may link and include
only libraries of its own layer or of a layer under it, and the links may form no cycle: no library
links (or includes a header of) one of its callers. Run with the source folder as argument; prints
each offence and exits 1 when there is one.
"""
import os
import re
import sys

# Lower layers first; a folder of src/ that is not listed here is an offence until it is placed.
LAYERS = [
    ["platform", "db"],
    ["data", "sheet", "calendar"],
    ["widgets", "export"],
    ["orders", "catalogue", "reports"],
    ["main"],
    ["shell"],
]
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}


def cmake_targets(text):
    return re.findall(r"add_(?:library|executable)\(\s*([A-Za-z0-9_]+)", text)


def cmake_links(text):
    links = []
    for target, body in re.findall(r"target_link_libraries\(\s*([A-Za-z0-9_]+)([^)]*)\)", text):
        links.append((target, re.findall(r"[A-Za-z0-9_:]+", body)))
    return links


def main(source_dir):
    src = os.path.join(source_dir, "src")
    folders = sorted(d for d in os.listdir(src) if os.path.isfile(os.path.join(src, d, "CMakeLists.txt")))
    offences = []
    folder_of = {}
    texts = {}
    for folder in folders:
        with open(os.path.join(src, folder, "CMakeLists.txt"), encoding="utf-8") as f:
            texts[folder] = f.read()
        for target in cmake_targets(texts[folder]):
            folder_of[target] = folder
        if folder not in RANK:
            offences.append(f"src/{folder}: not placed in the layers of tests/layers/check_layers.py")

    edges = {folder: set() for folder in folders}
    for folder in folders:
        for target, items in cmake_links(texts[folder]):
            for item in items:
                used = folder_of.get(item)
                if used is None or used == folder:
                    continue
                edges[folder].add(used)
                if folder in RANK and used in RANK and RANK[used] > RANK[folder]:
                    offences.append(f"src/{folder}: {target} links {item} of src/{used}, a layer above it")

    # Cycles among the folders' libraries.
    state = {}

    def visit(folder, path):
        state[folder] = "open"
        for used in sorted(edges[folder]):
            if state.get(used) == "open":
                cycle = path[path.index(used):] + [used]
                offences.append("a cycle of links: " + " -> ".join(cycle))
            elif used not in state:
                visit(used, path + [used])
        state[folder] = "done"

    for folder in folders:
        if folder not in state:
            visit(folder, [folder])

    def reachable(folder):
        seen, todo = set(), [folder]
        while todo:
            for used in edges[todo.pop()]:
                if used not in seen:
                    seen.add(used)
                    todo.append(used)
        return seen

    # Headers: a file may include only its own folder's and those of the libraries its library links.
    include = re.compile(r'^\s*#\s*include\s*"([A-Za-z0-9_]+)/')
    for folder in folders:
        allowed = reachable(folder) | {folder}
        for root, _, files in os.walk(os.path.join(src, folder)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(root, name)
                with open(path, encoding="utf-8") as f:
                    for number, line in enumerate(f, 1):
                        m = include.match(line)
                        if m and m.group(1) in edges and m.group(1) not in allowed:
                            rel = os.path.relpath(path, source_dir)
                            offences.append(f"{rel}:{number}: includes {m.group(1)}/, which src/{folder} does not link")

    for offence in offences:
        print(offence)
    print(f"{len(folders)} libraries checked, {len(offences)} offences")
    return 1 if offences else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")))
