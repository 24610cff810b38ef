#!/usr/bin/env python3
"""Checks the include rules of the source tree and prints every breach.

- A file of one layer includes nothing of a higher one; the layers, lowest first, are
  platform, model, board, commands, ui (tests/, bench/, tools/ may include anything).
- No include cycle between folders.
- No cycle of files inside one folder, except the pairs of classes named together
  below.

Usage: check-layers.py [ROOT]   (exit 1 on a breach)
"""
import os
import re
import sys

LAYERS = ["platform", "model", "board", "commands", "ui"]
# Pairs of classes that are designed together and may include each other.
ALLOWED_PAIRS = set()

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def sources(root):
    for layer in LAYERS:
        for folder, _, names in os.walk(os.path.join(root, layer)):
            for name in sorted(names):
                if name.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(folder, name), root)


def resolve(root, path, target):
    """The included file, relative to root, or None for one outside the tree."""
    local = os.path.normpath(os.path.join(os.path.dirname(path), target))
    if os.path.exists(os.path.join(root, local)):
        return local
    if os.path.exists(os.path.join(root, target)):
        return os.path.normpath(target)
    return None


def layer_of(path):
    return path.split(os.sep)[0]


def graph(root):
    edges = {}
    for path in sources(root):
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            targets = INCLUDE.findall(f.read())
        edges[path] = [t for t in (resolve(root, path, t) for t in targets) if t]
    return edges


def cycles(nodes, edges):
    """Strongly connected components of more than one node (Tarjan)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on_stack.add(v)
        for w in edges.get(v, ()):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    sys.setrecursionlimit(10000)
    for v in sorted(nodes):
        if v not in index:
            visit(v)
    return found


def stem(path):
    return os.path.splitext(os.path.basename(path))[0]


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    edges = graph(root)
    breaches = []

    for path, targets in edges.items():
        for t in targets:
            if LAYERS.index(layer_of(t)) > LAYERS.index(layer_of(path)):
                breaches.append(f"{path} includes {t} of a higher layer")

    folder_edges = {}
    for path, targets in edges.items():
        for t in targets:
            a, b = os.path.dirname(path), os.path.dirname(t)
            if a != b:
                folder_edges.setdefault(a, set()).add(b)
    for c in cycles(folder_edges.keys(), folder_edges):
        breaches.append("include cycle between folders: " + " ".join(c))

    file_edges = {p: [t for t in ts if os.path.dirname(t) == os.path.dirname(p)]
                  for p, ts in edges.items()}
    for c in cycles(file_edges.keys(), file_edges):
        if len(c) == 2 and frozenset(stem(p) for p in c) in ALLOWED_PAIRS:
            continue
        breaches.append("include cycle between files: " + " ".join(c))

    for b in breaches:
        print(b)
    print(f"{len(edges)} files checked, {len(breaches)} breaches")
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main())
