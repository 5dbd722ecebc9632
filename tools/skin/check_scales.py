#!/usr/bin/env python3
"""Checks the skin folder the program loads at each display scale, with plain Python only:

    python3 tools/skin/check_scales.py [assets folder]

For every language and percent folder (skin/<lang>/<percent>/), every picture the 100 % Russian
bitmaps have is there as a 24-bit PNG whose size is the 100 % size scaled by the program's rule,
and every rectangle of Main.ini and Composite.ini, scaled edge by edge by the same rule, lies
inside its picture; Main.ini's numbered entries overlap no other (Composite.ini's pages share
their places by design). Exit code 1 and a line per fault when anything is off.
"""

import struct
import sys
from pathlib import Path

PERCENTS = (100, 125, 150, 175, 200)
# One set per table of labels beside this script (labels_<code>.py), as the generator draws them.
LANGUAGES = tuple(sorted(p.stem[len("labels_"):] for p in Path(__file__).resolve().parent.glob("labels_*.py")))


def scale_edge(v, p):
    """The program's rule for a stored coordinate (an edge, v >= 0) at percent p."""
    return (v * p + 50) // 100


def scale_rect(r, p):
    x, y, w, h = r
    left, top = scale_edge(x, p), scale_edge(y, p)
    return left, top, scale_edge(x + w, p) - left, scale_edge(y + h, p) - top


def png_size(path):
    """(width, height, bit depth, colour type) from the header of a PNG file."""
    head = path.read_bytes()[:26]
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        raise ValueError(f"{path} is not a PNG")
    w, h, depth, colour = struct.unpack(">IIBB", head[16:26])
    return w, h, depth, colour


def bmp_size(path):
    head = path.read_bytes()[:30]
    if head[:2] != b"BM":
        raise ValueError(f"{path} is not a bitmap")
    w, h = struct.unpack("<ii", head[18:26])
    return w, abs(h)


def rectangles(ini):
    """The x,y,width,height of every numbered entry and indicator of a layout file."""
    text = ini.read_bytes()[2:].decode("utf-16-le")
    found = {}
    for line in text.split("\r\n"):
        if "=" in line:
            key, value = line.split("=", 1)
            found[key] = tuple(int(v) for v in value.split(",")[:4])
    return found


# The pictures each layout file places its rectangles on, by their mask.
LAYOUTS = {"Main.ini": "main_mask", "Composite.ini": "key_mask"}


def check(assets):
    faults = []
    skin = assets / "skin"
    stems = sorted(p.stem for p in skin.glob("*.bmp"))
    if not stems:
        return [f"no bitmaps in {skin}"]
    base = {stem: bmp_size(skin / f"{stem}.bmp") for stem in stems}
    layouts = {name: rectangles(assets / name) for name in LAYOUTS}
    for lang in LANGUAGES:
        for p in PERCENTS:
            folder = skin / lang / str(p)
            for stem in stems:
                path = folder / f"{stem}.png"
                if not path.exists():
                    faults.append(f"{path} is missing")
                    continue
                w, h, depth, colour = png_size(path)
                want = tuple(scale_edge(v, p) for v in base[stem])
                if (w, h) != want:
                    faults.append(f"{path}: {w}x{h}, the rule gives {want[0]}x{want[1]}")
                if (depth, colour) != (8, 2):
                    faults.append(f"{path}: not 24-bit RGB")
            for name, stem in LAYOUTS.items():
                size = tuple(scale_edge(v, p) for v in base[stem])
                scaled = {k: scale_rect(r, p) for k, r in layouts[name].items()}
                for key, (x, y, w, h) in scaled.items():
                    # A combo box's rectangle holds its opened list, which may reach below the
                    # dialog at 100 % already; its closed field, at the top, must be inside.
                    r = layouts[name][key]
                    listed = r[1] + r[3] > base[stem][1]
                    bottom = y + (1 if listed else h)
                    if w <= 0 or h <= 0 or x < 0 or y < 0 or x + w > size[0] or bottom > size[1]:
                        faults.append(f"{name} {key} at {p} %: {x},{y},{w},{h} leaves {size}")
                if name == "Main.ini":
                    # The keys and buttons of the main window never overlap at any scale.
                    keys = [(k, r) for k, r in scaled.items() if k.isdigit()]
                    for i, (a, ra) in enumerate(keys):
                        for b, rb in keys[:i]:
                            if (ra[0] < rb[0] + rb[2] and rb[0] < ra[0] + ra[2]
                                    and ra[1] < rb[1] + rb[3] and rb[1] < ra[1] + ra[3]):
                                faults.append(f"Main.ini {a} and {b} overlap at {p} %")
    return faults


def main():
    assets = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parents[2] / "assets"
    faults = check(assets)
    for f in faults:
        print(f)
    if faults:
        return 1
    print(f"{len(LANGUAGES)} languages at {len(PERCENTS)} scales: sizes and rectangles as the rule gives")
    return 0


if __name__ == "__main__":
    sys.exit(main())
