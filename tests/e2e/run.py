#!/usr/bin/env python3
"""End-to-end scenarios for orvelle-e2e.exe under Wine.

    python3 tests/e2e/run.py [--dist DIR] [--tools DIR] [--work DIR] [--setup EXE] SCENARIO...
    python3 tests/e2e/run.py --list

Each scenario starts its own Xvfb and wineserver, copies the runnable folder (--dist) to a
scratch folder under --work, writes set.ini and e2e-devices.txt there, runs the program and the
key probe, and reports one PASS or FAIL line per check (FIGURE lines for measurements).
The scenario "install" runs the installer (--setup) instead.
Exit code: 0 all checks passed, 1 a check failed, 77 the program (for "install" alone: the
installer) is not built.
"""

import argparse
import functools
import glob
import os
import subprocess
import sys
import tempfile
import time

import profile_ini
from report import Failure, Report
from scenarios_editor import scenario_editor
from scenarios_gui import scenario_dialog, scenario_gui_figures, scenario_window
from scenarios_gamer import scenario_gamer
from scenarios_dialog20 import scenario_dialog20
from scenarios_dpi import scenario_dpi
from scenarios_install import scenario_install
from scenarios_kinds import scenario_kinds
from scenarios_lang import scenario_lang
from scenarios_messages import scenario_messages
from scenarios_keys import scenario_figures, scenario_presence, scenario_profiles, scenario_remap
from scenarios_osd import scenario_osd
from scenarios_other import scenario_other
from scenarios_timing import scenario_timing
from scenarios_tray import scenario_tray
from scenarios_trust import scenario_files, scenario_hooks, scenario_stuck
from scenarios_window_state import scenario_window_state
from session import Session

RUSSIAN_LOCALE = "ru_RU.UTF-8"
LOCALES = (RUSSIAN_LOCALE, "en_US.UTF-8")
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))

SCENARIOS = {
    "remap": scenario_remap,
    "presence": scenario_presence,
    "profiles": scenario_profiles,
    "figures": scenario_figures,
    "window": scenario_window,
    "dialog": scenario_dialog,
    "other": scenario_other,
    "gui_figures": scenario_gui_figures,
    "files": scenario_files,
    "stuck": scenario_stuck,
    "hooks": scenario_hooks,
    "timing": scenario_timing,
    "tray": scenario_tray,
    "install": scenario_install,
    "kinds": scenario_kinds,
    "window_state": scenario_window_state,
    "editor": scenario_editor,
    "messages": scenario_messages,
    "gamer": scenario_gamer,
    "dialog20": scenario_dialog20,
    "dpi": scenario_dpi,
    "osd": scenario_osd,
    "lang": scenario_lang,
}


def provide_locales(folder):
    """Wine reads LANG through the C library, which falls back to "C" (English) for a locale the
    system does not have: the two the scenarios use are compiled into `folder` (LOCPATH) when
    missing."""
    have = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.lower().split()
    wanted = [name for name in LOCALES if name.lower().replace("utf-8", "utf8") not in have]
    if not wanted:
        return
    os.makedirs(folder, exist_ok=True)
    for name in wanted:
        if not os.path.isdir(os.path.join(folder, name)):
            language = name.split(".")[0]
            made = subprocess.run(["localedef", "-i", language, "-f", "UTF-8", os.path.join(folder, name)],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
            # localedef exits with 1 for mere warnings; the folder tells whether the locale is there.
            if not os.path.isdir(os.path.join(folder, name)):
                print(f"NOTE locale {name} could not be built (localedef exit {made.returncode}): "
                      f"{made.stderr.strip()[-300:]}", flush=True)
    os.environ["LOCPATH"] = folder


def newest_setup():
    """The most recently packaged installer of the default build folder, if any."""
    found = glob.glob(os.path.join(ROOT, "build", "mingw", "orvelle-*-setup.exe"))
    return max(found, key=os.path.getmtime) if found else os.path.join(ROOT, "build", "mingw", "orvelle-setup.exe")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("scenarios", nargs="*", help=f"any of: {', '.join(SCENARIOS)} (default: all)")
    parser.add_argument("--dist", default=os.path.join(ROOT, "build", "mingw", "tests", "e2e", "app"),
                        help="the runnable folder with orvelle-e2e.exe")
    parser.add_argument("--tools", default=os.path.join(ROOT, "build", "mingw", "tests", "e2e"),
                        help="folder with key_probe.exe and e2e_control.exe")
    parser.add_argument("--work", default=os.path.join(tempfile.gettempdir(), "orvelle-e2e"),
                        help="scratch folder; each scenario gets a subfolder, kept for inspection")
    parser.add_argument("--setup", default=newest_setup(),
                        help="the installer for the scenario install (cmake --build --preset mingw --target package)")
    parser.add_argument("--list", action="store_true", help="list the scenarios")
    args = parser.parse_args()
    sys.stdout.reconfigure(encoding="utf-8", errors="backslashreplace", line_buffering=True)

    if args.list:
        for name, function in SCENARIOS.items():
            print(f"{name}: {function.__doc__.split(chr(10))[0]}")
        return 0
    names = args.scenarios or list(SCENARIOS)
    unknown = [n for n in names if n not in SCENARIOS]
    if unknown:
        parser.error(f"unknown scenario {', '.join(unknown)}")
    if "install" in names and not os.path.isfile(args.setup):
        print(f"SKIP install: {args.setup} is not built")
        names.remove("install")
        if not names:
            return 77
    exe = os.path.join(args.dist, "orvelle-e2e.exe")
    if not os.path.isfile(exe):
        print(f"SKIP: {exe} is not built")
        return 77
    for tool in ("key_probe.exe", "e2e_control.exe"):
        if not os.path.isfile(os.path.join(args.tools, tool)):
            print(f"FAIL: {os.path.join(args.tools, tool)} is not built")
            return 1

    # Wine takes the program's UI language from LANG: the scenarios read Russian texts whatever the
    # machine's locale (the "lang" scenario sets its own per start).
    os.environ["LANG"] = RUSSIAN_LOCALE
    for variable in ("LC_ALL", "LC_MESSAGES", "LANGUAGE"):
        os.environ.pop(variable, None)
    provide_locales(os.path.join(args.work, "locales"))
    layout = profile_ini.Layout(os.path.join(args.dist, "Main.ini"))
    scenarios = dict(SCENARIOS, install=functools.partial(scenario_install, setup_exe=os.path.abspath(args.setup)))
    ok = True
    for name in names:
        started = time.monotonic()
        work = os.path.join(args.work, name)
        print(f"== {name}: {SCENARIOS[name].__doc__.split(chr(10))[0]} (files in {work})")
        report = Report(name)
        try:
            with Session(name, args.dist, args.tools, work) as session:
                scenarios[name](session, report, layout)
        except Failure as failure:
            report.abort("setting up or running the scenario", failure)
        ok = report.summary() and ok
        print(f"== {name}: {time.monotonic() - started:.1f} s")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
