#!/usr/bin/env python3
"""Writes the layout files and skin pictures that ship beside the executable.

    python3 tools/skin/generate.py

Output goes to assets/ of the repository that holds this script: the layout
files, skin/<lang>/<percent>/<stem>.png for every language table (labels_*.py)
at 100, 125, 150, 175 and 200 %, and skin/<stem>.bmp, the Russian 100 % set
that older programs read. The run is
deterministic: two runs write byte-identical files. It ends by reading every
file back and checking it; any broken promise stops it with an error.
"""

import sys

sys.dont_write_bytecode = True  # keep the source folder clean

from pathlib import Path  # noqa: E402

from PIL import Image  # noqa: E402

import app_icon  # noqa: E402
import assign_dialog  # noqa: E402
import installer  # noqa: E402
import labels  # noqa: E402
import main_window  # noqa: E402
import paint  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
ASSETS = ROOT / "assets"
SKIN = ASSETS / "skin"


def picture_path(lang, percent):
    """Where the set of one language and scale lies: skin/<lang>/<percent>/<stem>.png."""
    return lambda stem: SKIN / lang / str(percent) / f"{stem}.png"


def old_picture_path(stem):
    """The older skin's bitmaps, the Russian 100 % set, which older programs and the program's
    last fallback read."""
    return SKIN / f"{stem}.bmp"


def each_set():
    """Every language and scale, with drawing switched to it."""
    for lang in labels.LANGUAGES:
        with labels.speaking(lang):
            for percent in paint.PERCENTS:
                with paint.at_scale(percent):
                    yield lang, percent


def save_set(pictures, lang, percent):
    written = []
    for stem, img in pictures.items():
        path = picture_path(lang, percent)(stem)
        paint.save_png(img, path)
        written.append(path)
        if (lang, percent) == (labels.LANGUAGES[0], 100):
            paint.save_bmp(img, old_picture_path(stem))
            written.append(old_picture_path(stem))
    return written


def check_old_set(stems, check):
    """The bitmaps are the Russian 100 % pictures, pixel for pixel, in the format older programs
    read."""
    for stem in stems:
        old = Image.open(old_picture_path(stem))
        assert old.format == "BMP" and old.mode == "RGB", stem
        new = Image.open(picture_path(labels.LANGUAGES[0], 100)(stem))
        assert old.tobytes() == new.convert("RGB").tobytes(), f"{stem}.bmp differs from its PNG"
    return check(old_picture_path, 100)


def write_main_window():
    regions = main_window.layout()
    written = []
    ini = ASSETS / "Main.ini"
    paint.write_ini(ini, "BUTTONINFO", main_window.ini_values(regions),
                    [("INDICATORS", main_window.indicator_values())])
    written.append(ini)
    for lang, percent in each_set():
        pictures = {f"main_{name}": img for name, img in main_window.render(regions).items()}
        written += save_set(pictures, lang, percent)
        main_window.check(ini, picture_path(lang, percent), percent)
    result = check_old_set([f"main_{n}" for n in ("mask", "normal", "over", "down")],
                           lambda path, p: main_window.check(ini, path, p))
    main_window.check_program_texts()
    return written, result


def write_assign_dialog():
    written = []
    ini = ASSETS / "Composite.ini"
    paint.write_ini(ini, "BUTTONINFO", assign_dialog.ini_values())
    written.append(ini)
    for lang, percent in each_set():
        written += save_set(assign_dialog.render(), lang, percent)
        assign_dialog.check(ini, picture_path(lang, percent), percent)
    result = check_old_set(assign_dialog.PICTURES,
                           lambda path, p: assign_dialog.check(ini, path, p))
    return written, result


def write_icon():
    path = ROOT / "resources" / "orvelle.ico"
    app_icon.write(path)
    return [path]


def write_installer_pictures():
    # Beside the icon, not in assets/: they go into the installer, not beside the program. Cut
    # from the main window's pictures, so drawn after them.
    return installer.write(SKIN, ROOT / "resources")


def folder_size(folder):
    return sum(p.stat().st_size for p in folder.rglob("*") if p.is_file())


def main():
    labels.check_tables()
    before = folder_size(SKIN) if SKIN.exists() else 0
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
    sets, drawn = labels.check_fits()
    print(f"{drawn} labels in {sets} sets ({', '.join(labels.LANGUAGES)} at "
          f"{', '.join(map(str, paint.PERCENTS))} %) fit their places")
    print(f"skin folder: {before} bytes before, {folder_size(SKIN)} bytes now")


if __name__ == "__main__":
    main()
