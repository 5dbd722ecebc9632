"""The assignment dialog on keys used in games: a profile key and a mouse key with turbo, opened
and closed with OK, keep what they do in set.ini."""

from report import Failure
from scenario_kit import D_OK, F5, F6, Person, marker_only_profile, read_profile_file, start_standard

TURBO_MS = 120


def dialog20_profile(layout):
    """F5 makes profile 2 active; F6 holds mouse button X1, tapped every TURBO_MS ms."""
    return marker_only_profile(layout).profile_key(F5, "2").mouse(F6, "x1").with_turbo(F6, TURBO_MS)


def scenario_dialog20(s, report, layout):
    """The dialog's OK on a profile key and a mouse turbo key writes them back unchanged."""
    profiles = {1: dialog20_profile(layout), 2: marker_only_profile(layout), 3: marker_only_profile(layout)}
    program = start_standard(s, layout, label="dialog20", profiles=profiles)
    me = Person(s, program, layout, profiles)
    report.check("F5 (profile 2) and F6 (mouse x1, turbo) opened and closed with OK: set.ini keeps both as they were",
                 kept_by_ok, me)


def kept_by_ok(me):
    for code in (F5, F6):
        me.gui.open_key_dialog(code)
        me.s.park_pointer()
        me.close_dialog(D_OK)
    me.program.exit()
    values = read_profile_file(me.program.set_ini).get("Profile1", {})
    expected = {f"indexpic{F5}": "7", f"profile{F5}": "2", f"setname{F5}": "Profile: 2",
                f"indexpic{F6}": "8", f"mouse{F6}": "x1", f"turbo{F6}": str(TURBO_MS), f"setname{F6}": "Mouse: x1"}
    problems = [f"{key} is {values.get(key)!r}, expected {value!r}" for key, value in expected.items()
                if values.get(key) != value]
    problems += [f"{key} is {values[key]!r}" for key in (f"hold{F5}", f"hold{F6}", f"turbo{F5}") if key in values]
    if problems:
        raise Failure("set.ini after the exit:\n" + "\n".join(problems))
