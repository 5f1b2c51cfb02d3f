#!/usr/bin/env python3
"""Prints the include graph between the source folders and checks it.

Each folder under src/ is a node (src/app and src/app/core are two nodes); an
edge A -> B means a file in A includes a header of B. The script prints the
edges with their counts, then fails (exit 1) if the graph has a cycle or a
core folder includes a folder that holds windows.

    scripts/folder_graph.py                      # the edges, and OK or what is wrong
    scripts/folder_graph.py --dot                # the graph in Graphviz form
    scripts/folder_graph.py --libraries build    # also the library graph of a build

With --libraries, the library graph comes from `cmake --graphviz` in that
build folder, and no library without widgets may depend, directly or not, on
a widget library.
"""
import os
import re
import subprocess
import sys
import tempfile
from collections import defaultdict

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(path):
    return os.path.dirname(path).replace(os.sep, "/")


PLAIN_LIBRARIES = ["vt640_fileio", "vt640_meter", "vt640_sim", "vt640_resources", "vt640_core",
                   "vt640_recorder_core", "vt640_viewer_core", "vt640_views_core", "vt640_publish"]
WIDGET_LIBRARIES = {"vt640_widgets", "vt640_views", "vt640_viewer", "vt640_recorder", "vt640_app",
                    "Qt6::Widgets", "Qt6::PrintSupport"}


def check_libraries(build):
    with tempfile.TemporaryDirectory() as tmp:
        dot = os.path.join(tmp, "libraries.dot")
        subprocess.run(["cmake", f"--graphviz={dot}", "."], cwd=build, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        text = open(dot, encoding="utf-8").read()
    names = dict(re.findall(r'"(node\d+)" \[ label = "([^"]+)"', text))
    graph = defaultdict(set)
    for a, b in re.findall(r'"(node\d+)" -> "(node\d+)"', text):
        graph[names[a]].add(names[b])
    problems = []
    for lib in PLAIN_LIBRARIES:
        seen, todo = set(), [lib]
        while todo:
            for nxt in graph[todo.pop()]:
                if nxt not in seen:
                    seen.add(nxt)
                    todo.append(nxt)
        deps = sorted(d for d in seen if d.startswith("vt640"))
        print(f"{lib:20} depends on {', '.join(deps) or 'nothing of ours'}")
        for bad in sorted(seen & WIDGET_LIBRARIES):
            problems.append(f"{lib} (no widgets) depends on {bad}")
    return problems


def main():
    edges = defaultdict(int)
    folders = set()
    for dirpath, _, files in os.walk(ROOT):
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            rel = os.path.relpath(os.path.join(dirpath, name), ROOT)
            src = folder_of(rel)
            folders.add(src)
            with open(os.path.join(dirpath, name), encoding="utf-8") as f:
                for inc in INCLUDE.findall(f.read()):
                    if not os.path.exists(os.path.join(ROOT, inc)):
                        continue  # a system or generated header
                    dst = folder_of(inc)
                    if dst != src:
                        edges[(src, dst)] += 1

    if "--dot" in sys.argv:
        print("digraph folders {")
        for (a, b), n in sorted(edges.items()):
            print(f'  "{a}" -> "{b}" [label={n}];')
        print("}")
        return 0

    for (a, b), n in sorted(edges.items()):
        print(f"{a:16} -> {b:16} {n:4} includes")

    graph = defaultdict(set)
    for a, b in edges:
        graph[a].add(b)
    problems = []

    # Cycles, by depth-first search.
    state = {}
    stack = []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for nxt in sorted(graph[node]):
            if state.get(nxt) == "open":
                problems.append("cycle: " + " -> ".join(stack[stack.index(nxt):] + [nxt]))
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = "done"

    for node in sorted(folders):
        if node not in state:
            visit(node)

    # A core folder (no widgets) never reaches up to a folder of windows.
    plain = {f for f in folders if f.endswith("/core") or f in ("fileio", "meter", "meter/sim", "resources", "publish")}
    for a, b in edges:
        if a in plain and b not in plain:
            problems.append(f"{a} (no widgets) includes {b}")

    if "--libraries" in sys.argv:
        print()
        problems += check_libraries(sys.argv[sys.argv.index("--libraries") + 1])

    if problems:
        print("\n".join(["", "PROBLEMS:"] + problems))
        return 1
    print(f"\nOK: {len(folders)} folders, {len(edges)} edges, no cycle, "
          "no core folder includes a folder of windows"
          + (", no plain library depends on a widget library" if "--libraries" in sys.argv else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
