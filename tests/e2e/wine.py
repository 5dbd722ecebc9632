"""Wine: the project's prefix and settings, the wineserver, programs started under Wine, and
e2e_control, the remote control that runs beside the program."""

import os
import subprocess
import tempfile

from report import Failure

WINE_ENV_SCRIPT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", "tools", "wine", "env.sh"))


def run_quietly(args, env, timeout):
    """Runs a command to its end; returns (exit code, stdout, with stderr in brackets)."""
    code, text, errors = run_captured(args, env, timeout)
    return code, text + (f" [{errors}]" if errors else "")


def run_captured(args, env, timeout):
    """Runs a command to its end; returns (exit code, stdout, stderr). The output goes through
    files, not pipes: Wine's helper processes started on the way inherit the handles and would
    keep a pipe open long after the command has ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen(args, env=env, stdout=out, stderr=err, stdin=subprocess.DEVNULL)
        try:
            code = process.wait(timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise Failure(f"{' '.join(map(str, args))} did not end within {timeout} s")
        out.seek(0)
        err.seek(0)
        text = out.read().decode(errors="replace").strip()
        errors = err.read().decode(errors="replace").strip()
    return code, text, errors


def wine_environment(display):
    """The project's Wine settings (tools/wine/env.sh), with its prefix created when missing."""
    script = (f'source "{WINE_ENV_SCRIPT}" && orvelle_wine_prefix && '
              'printf "%s\\n%s\\n%s\\n" "$WINEPREFIX" "$WINEDEBUG" "$WINEDLLOVERRIDES"')
    env = dict(os.environ, DISPLAY=display)
    code, out = run_quietly(["bash", "-c", script], env, 180)
    if code != 0:
        raise Failure(f"preparing the Wine prefix failed: {out}")
    prefix, debug, overrides = out.splitlines()[:3]
    env.update(WINEPREFIX=prefix, WINEDEBUG=debug, WINEDLLOVERRIDES=overrides, WINEARCH="win64")
    return env


class Wine:
    """Programs under Wine with the session's environment: spawned to run beside the tests, or
    e2e_control run to its end."""

    def __init__(self, env, tools_dir, work_dir):
        self.env = env
        self.tools_dir = tools_dir
        self.work_dir = work_dir
        self.control_exe = os.path.join(tools_dir, "e2e_control.exe")
        self.probe_exe = os.path.join(tools_dir, "key_probe.exe")

    def server_restart(self):
        """No wineserver left from an earlier run: a wineserver stays bound to the display it
        started on."""
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=30)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=30)

    def spawn(self, args, log_name, cwd=None):
        log = open(os.path.join(self.work_dir, log_name), "ab")
        process = subprocess.Popen(["wine"] + args, env=self.env, cwd=cwd or self.work_dir, stdin=subprocess.DEVNULL,
                                   stdout=log, stderr=subprocess.STDOUT)
        process.log_file = log
        return process

    # The first line e2e_control writes to stderr as it starts.
    RUNNING_MARK = "e2e_control: running"

    def control(self, *args, timeout=20):
        """Runs e2e_control; returns (exit code, output, with stderr in brackets). Now and then, on
        a busy machine, Wine ends the process with 1 before it has run: without the tool's running
        mark on stderr, nothing was done, and the command is run once more, whatever its verb."""
        command = ["wine", self.control_exe] + [str(a) for a in args]
        for attempt in (1, 2):
            code, text, errors = run_captured(command, self.env, timeout)
            ran = errors.startswith(self.RUNNING_MARK)
            if ran:
                errors = errors[len(self.RUNNING_MARK):].strip()
            if ran or code != 1 or text or errors or attempt == 2:
                break
            print(f"  note: e2e_control {args[0] if args else ''} ended with 1 before it ran; run once more",
                  flush=True)
        return code, text + (f" [{errors}]" if errors else "")

    def control_ok(self, *args, timeout=20):
        code, out = self.control(*args, timeout=timeout)
        if code != 0:
            raise Failure(f"e2e_control {' '.join(map(str, args))} failed ({code}): {out}")
        return out
