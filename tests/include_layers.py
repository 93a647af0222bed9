#!/usr/bin/env python3
"""Fails when a file under src/ includes a header of a layer above its own.

Usage: include_layers.py SRC_DIR LAYER... (the layers from the ground up)."""
import pathlib
import re
import sys

source = pathlib.Path(sys.argv[1])
rank = {layer: i for i, layer in enumerate(sys.argv[2:])}
include = re.compile(r'^\s*#\s*include\s+"([^/"]+)/')
upward = []
for layer, own in rank.items():
    for path in sorted((source / layer).rglob("*")):
        if path.suffix not in (".h", ".cc"):
            continue
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            match = include.match(line)
            if match and rank.get(match.group(1), -1) > own:
                upward.append(f"{path.relative_to(source)}:{number}: {line.strip()}")
print("\n".join(upward) or "every include runs down the layers")
sys.exit(1 if upward else 0)
