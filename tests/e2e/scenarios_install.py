"""The installer users download, orvelle-<version>-setup.exe, under Wine: a silent install into the
user's own program folder, the installed program's start and exit, an upgrade over a running copy,
and a silent uninstall that keeps the profiles."""

import os
import re
import shutil
import subprocess
import time
import zipfile

import profile_ini
from report import Failure, figure
from scenario_kit import marker_only_profile, standard_profile
from session import MAIN_TITLE
from waiting import ended_within, poll_until
from wine import run_captured

PRODUCT = "ORVELLE"
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall" + "\\" + PRODUCT
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
APPROVED_RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
UNINSTALLER = "Uninstall.exe"
PROFILE_FILES = ("set.ini", "set.ini.bak")
SETUP_SECONDS = 60


class Installation:
    """The installer and where it puts things in the session's prefix, as Linux paths."""

    def __init__(self, session, setup_exe):
        self.session = session
        # tools/wine/env.sh keeps winemenubuilder off in it: each shortcut made in the prefix would
        # otherwise become a menu entry and icons in the Linux user's home.
        self.env = session.wine.env
        self.setup_exe = setup_exe
        self.version = re.fullmatch(r"orvelle-(.+)-setup\.exe", os.path.basename(setup_exe)).group(1)
        self.zip_path = os.path.join(os.path.dirname(setup_exe), f"orvelle-{self.version}-win64.zip")
        variables = self._environment_variables()
        self.windows_folder = variables["LOCALAPPDATA"] + "\\Programs\\" + PRODUCT
        self.folder = self.unix_path(self.windows_folder)
        self.shortcut = self.unix_path(variables["APPDATA"] + r"\Microsoft\Windows\Start Menu\Programs" + "\\" +
                                       PRODUCT + ".lnk")

    def _environment_variables(self):
        code, out, errors = run_captured(["wine", "cmd", "/c", "set"], self.env, 30)
        variables = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        variables = {name.upper(): value.strip() for name, value in variables.items()}
        if code != 0 or "LOCALAPPDATA" not in variables or "APPDATA" not in variables:
            raise Failure(f"cmd /c set under Wine gave no LOCALAPPDATA and APPDATA ({code}): {out} {errors}")
        return variables

    def unix_path(self, windows_path):
        drive, _, rest = windows_path.partition(":\\")
        return os.path.join(self.env["WINEPREFIX"], "dosdevices", drive.lower() + ":", *rest.split("\\"))

    def shipped(self):
        """What the zip users download holds: {path inside its folder: bytes}."""
        if not os.path.isfile(self.zip_path):
            raise Failure(f"{self.zip_path} is not built beside the installer")
        top = f"orvelle-{self.version}-win64/"
        with zipfile.ZipFile(self.zip_path) as archive:
            return {name[len(top):]: archive.read(name) for name in archive.namelist()
                    if name.startswith(top) and not name.endswith("/")}

    def files(self):
        found = set()
        for parent, _, names in os.walk(self.folder):
            found.update(os.path.relpath(os.path.join(parent, n), self.folder).replace(os.sep, "/") for n in names)
        return found

    def read(self, name):
        with open(os.path.join(self.folder, name), "rb") as f:
            return f.read()

    def file_problems(self, others=()):
        """How the folder differs from the zip's files, the uninstaller and `others`."""
        shipped = self.shipped()
        present = self.files()
        wanted = set(shipped) | {UNINSTALLER} | set(others)
        problems = [f"missing: {n}" for n in sorted(wanted - present)]
        problems += [f"unexpected: {n}" for n in sorted(present - wanted)]
        problems += [f"{n} differs from the zip's" for n in sorted(set(shipped) & present) if self.read(n) != shipped[n]]
        return problems

    def run(self, *args):
        """Runs a program of the installation under Wine; returns (exit code, seconds)."""
        started = time.monotonic()
        code, out, errors = run_captured(["wine"] + list(args), self.env, SETUP_SECONDS)
        if code != 0:
            raise Failure(f"{os.path.basename(args[0])} {' '.join(args[1:])} ended with exit code {code}: "
                          f"{out} {errors}")
        return time.monotonic() - started

    def uninstall_entry(self, root):
        """The Add/Remove Programs values under HKCU or HKLM, or None when there is no entry."""
        code, out, _ = run_captured(["wine", "reg", "query", f"{root}\\{UNINSTALL_KEY}"], self.env, 30)
        if code != 0:
            return None
        return {m.group(1): m.group(2) for m in re.finditer(r"^\s+(\S+)\s+REG_\w+\s+(.*?)\s*$", out, re.M)}

    def remove(self):
        """Whatever an earlier run may have left in the prefix the e2e tests share."""
        shutil.rmtree(self.folder, ignore_errors=True)
        if os.path.exists(self.shortcut):
            os.remove(self.shortcut)
        if self.uninstall_entry("HKCU") is not None:
            run_captured(["wine", "reg", "delete", f"HKCU\\{UNINSTALL_KEY}", "/f"], self.env, 30)


def write_profiles(folder, layout):
    """set.ini as the program keeps it, and a set.ini.bak: the files no installer may touch."""
    profiles = {1: standard_profile(layout), 2: marker_only_profile(layout), 3: marker_only_profile(layout)}
    profile_ini.write_set_ini(os.path.join(folder, "set.ini"), profiles, active=2)
    profile_ini.write_set_ini(os.path.join(folder, "set.ini.bak"), profiles, active=3)


def scenario_install(s, report, layout, setup_exe):
    """The installer: a silent per-user install, the installed program, an upgrade while it runs, a silent uninstall."""
    place = Installation(s, setup_exe)
    place.remove()
    seconds = {}
    kept = {}

    def install():
        seconds["install"] = place.run(place.setup_exe, "/S")
        if not os.path.isdir(place.folder):
            raise Failure(f"nothing in {place.windows_folder}")
        problems = place.file_problems()
        if problems:
            raise Failure(f"{place.windows_folder} is not what the zip holds:\n" + "\n".join(problems))

    def registered():
        problems = []
        entry = place.uninstall_entry("HKCU")
        if entry is None:
            problems.append(f"no HKCU\\{UNINSTALL_KEY}")
        else:
            folder = place.windows_folder
            expected = {"DisplayName": PRODUCT, "DisplayVersion": place.version, "Publisher": PRODUCT,
                        "InstallLocation": folder, "UninstallString": f'"{folder}\\{UNINSTALLER}"',
                        "DisplayIcon": f"{folder}\\orvelle.exe,0"}
            problems += [f"{name} is {entry.get(name)!r}, expected {value!r}" for name, value in expected.items()
                         if (entry.get(name) or "").lower() != value.lower()]
        if place.uninstall_entry("HKLM") is not None:
            problems.append(f"an entry for all users under HKLM\\{UNINSTALL_KEY}")
        if not os.path.isfile(place.shortcut):
            problems.append(f"no Start-menu shortcut {place.shortcut}")
        else:
            with open(place.shortcut, "rb") as f:
                link = f.read()
            target = f"{place.windows_folder}\\orvelle.exe"
            if target.encode("utf-16-le") not in link and target.encode("latin-1") not in link:
                problems.append(f"the shortcut does not lead to {target}")
        if problems:
            raise Failure("\n".join(problems))

    def start_and_exit():
        write_profiles(place.folder, layout)
        program = s.start_program(place.folder, exe_name="orvelle.exe")
        s.wine.control_ok("exit", 15000)
        if not ended_within(program.process, 10):
            raise Failure("the program did not end after its exit command within 10 s")
        for name in PROFILE_FILES:
            kept[name] = place.read(name)

    def upgrade_over_running_copy():
        # A changed file must come back as shipped; the profiles must not.
        with open(os.path.join(place.folder, "README.txt"), "wb") as f:
            f.write(b"edited\r\n")
        program = s.start_program(place.folder, exe_name="orvelle.exe")
        seconds["upgrade"] = place.run(place.setup_exe, "/S")
        if not ended_within(program.process, 5):
            raise Failure("the installer finished, but the program did not end within 5 s")
        code, out = s.wine.control("find", MAIN_TITLE)
        if code == 0:
            raise Failure(f"a window \"{MAIN_TITLE}\" is still there: {out}")
        problems = place.file_problems(others=PROFILE_FILES)
        problems += [f"{name} changed" for name in PROFILE_FILES if place.read(name) != kept[name]]
        if problems:
            raise Failure("\n".join(problems))

    def failed_upgrade():
        # Another program holds orvelle.exe with no sharing: the silent installer cancels at that
        # file, after it may have renewed others. The edited README.txt must come back as it was.
        with open(os.path.join(place.folder, "README.txt"), "wb") as f:
            f.write(b"edited before a failed upgrade\r\n")
        before = {name: place.read(name) for name in place.files()}
        entry = place.uninstall_entry("HKCU")
        exe = os.path.join(place.folder, "orvelle.exe")
        log = os.path.join(s.work_dir, "install-locker.log")
        if os.path.exists(log):
            os.remove(log)
        locker = s.wine.spawn([s.wine.control_exe, "lock", place.windows_folder + "\\orvelle.exe", "60000"],
                              "install-locker.log")
        try:
            if not poll_until(lambda: os.path.exists(log) and b"locked" in open(log, "rb").read(), 20, interval=0.05):
                raise Failure(f"e2e_control could not lock {exe}")
            code, out, errors = run_captured(["wine", place.setup_exe, "/S"], place.env, SETUP_SECONDS)
        finally:
            locker.kill()
            locker.wait(10)
        if code == 0:
            raise Failure("the installer reported success although orvelle.exe was locked")
        after = {name: place.read(name) for name in place.files()}
        problems = [f"missing: {n}" for n in sorted(set(before) - set(after))]
        problems += [f"unexpected: {n}" for n in sorted(set(after) - set(before))]
        problems += [f"{n} changed" for n in sorted(set(before) & set(after)) if before[n] != after[n]]
        if place.uninstall_entry("HKCU") != entry:
            problems.append(f"the Add/Remove Programs entry changed: {place.uninstall_entry('HKCU')}")
        if not os.path.isfile(place.shortcut):
            problems.append("the Start-menu shortcut is gone")
        if problems:
            raise Failure("after the failed upgrade (exit code %d):\n" % code + "\n".join(problems))

    def reg_value(key, name):
        code, out, _ = run_captured(["wine", "reg", "query", key, "/v", name], place.env, 30)
        return out if code == 0 and name in out else None

    def uninstall():
        # Starting with Windows set from the tray menu, then disabled in Task Manager: both go.
        command = f'"{place.windows_folder}\\orvelle.exe"'
        for args in (["add", RUN_KEY, "/v", PRODUCT, "/d", command, "/f"],
                     ["add", APPROVED_RUN_KEY, "/v", PRODUCT, "/t", "REG_BINARY", "/d", "030000000000000000000000",
                      "/f"]):
            code, out, errors = run_captured(["wine", "reg"] + args, place.env, 30)
            if code != 0:
                raise Failure(f"reg {' '.join(args)} failed: {out} {errors}")
        # The uninstaller copies itself to %TEMP% and returns at once; the copy does the work.
        # Nothing else runs in this wineserver, so its end is the copy's end.
        started = time.monotonic()
        place.run(os.path.join(place.folder, UNINSTALLER), "/S")
        if not ended_within(subprocess.Popen(["wineserver", "-w"], env=place.env), SETUP_SECONDS, kill=True):
            raise Failure(f"the uninstaller's copy (or another Wine process) did not end within {SETUP_SECONDS} s")
        seconds["uninstall"] = time.monotonic() - started
        problems = []
        left = place.files()
        if left != set(PROFILE_FILES):
            problems.append(f"left in {place.windows_folder}: {sorted(left)}, expected {list(PROFILE_FILES)}")
        problems += [f"{name} changed" for name in PROFILE_FILES if name in left and place.read(name) != kept[name]]
        if os.path.exists(place.shortcut):
            problems.append("the Start-menu shortcut is still there")
        if place.uninstall_entry("HKCU") is not None:
            problems.append(f"HKCU\\{UNINSTALL_KEY} is still there")
        problems += [f"{key}\\{PRODUCT} is still there" for key in (RUN_KEY, APPROVED_RUN_KEY)
                     if reg_value(key, PRODUCT) is not None]
        if problems:
            raise Failure("\n".join(problems))

    try:
        if not report.check("silent install: the zip's files in %LOCALAPPDATA%\\Programs\\ORVELLE", install):
            return
        report.check("Start-menu shortcut and a per-user Add/Remove Programs entry", registered)
        if not report.check("the installed program starts, shows its window and exits", start_and_exit):
            return
        report.check("upgrade over the running program: closed, files renewed, profiles unchanged",
                     upgrade_over_running_copy)
        report.check("a failed upgrade (a file locked, the silent installer cancels) leaves the previous version "
                     "as it was", failed_upgrade)
        report.check("silent uninstall: everything gone but set.ini and set.ini.bak, and the autostart value that "
                     "points here", uninstall)
        figure("installer", **{f"{name}_s": f"{value:.1f}" for name, value in seconds.items()})
    finally:
        place.remove()
        for key in (RUN_KEY, APPROVED_RUN_KEY):
            if reg_value(key, PRODUCT) is not None:
                run_captured(["wine", "reg", "delete", key, "/v", PRODUCT, "/f"], place.env, 30)
