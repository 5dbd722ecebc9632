#!/usr/bin/env python3
"""Writes the layout files and skin pictures that ship beside the executable.

    python3 tools/skin/generate.py

Output goes to assets/ of the repository that holds this script. The run is
deterministic: two runs write byte-identical files. It ends by reading every
file back and checking it; any broken promise stops it with an error.
"""

import sys

sys.dont_write_bytecode = True  # keep the source folder clean

from pathlib import Path  # noqa: E402

import app_icon  # noqa: E402
import assign_dialog  # noqa: E402
import installer  # noqa: E402
import main_window  # noqa: E402
import paint  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
ASSETS = ROOT / "assets"
SKIN = ASSETS / "skin"


def write_main_window():
    regions = main_window.layout()
    written = []
    ini = ASSETS / "Main.ini"
    paint.write_ini(ini, "BUTTONINFO", main_window.ini_values(regions),
                    [("INDICATORS", main_window.indicator_values())])
    written.append(ini)
    for name, img in main_window.render(regions).items():
        path = SKIN / f"main_{name}.bmp"
        paint.save_bmp(img, path)
        written.append(path)
    result = main_window.check(ini, SKIN)
    return written, result


def write_assign_dialog():
    written = []
    ini = ASSETS / "Composite.ini"
    paint.write_ini(ini, "BUTTONINFO", assign_dialog.ini_values())
    written.append(ini)
    pictures = assign_dialog.render()
    for stem in assign_dialog.PICTURES:
        path = SKIN / f"{stem}.bmp"
        paint.save_bmp(pictures[stem], path)
        written.append(path)
    result = assign_dialog.check(ini, SKIN)
    return written, result


def write_icon():
    path = ROOT / "resources" / "orvelle.ico"
    app_icon.write(path)
    return [path]


def write_installer_pictures():
    # Beside the icon, not in assets/: they go into the installer, not beside the program. Cut
    # from the main window's pictures, so drawn after them.
    return installer.write(SKIN, ROOT / "resources")


def main():
    icon_files = write_icon()
    main_files, main_result = write_main_window()
    icon_files += write_installer_pictures()
    dialog_files, dialog_result = write_assign_dialog()
    for path in icon_files + main_files + dialog_files:
        print(f"wrote {path.relative_to(ROOT)} ({path.stat().st_size} bytes)")
    w, h = main_result["size"]
    s = main_result["strip"]
    print(f"main window {w}x{h}; strip at x={s.x} y={s.y} {s.w}x{s.h}; checks passed")
    w, h = dialog_result["size"]
    print(f"key assignment dialog {w}x{h}; checks passed")


if __name__ == "__main__":
    main()
