"""Profile files ("set.ini") for the end-to-end tests, written and read the way the program
keeps them: UTF-16LE with a byte-order mark, so that Cyrillic names survive.

Every profile written here starts with a complete identity group for each key slot of the layout
(as the program writes them) and then overrides the keys a test needs.
"""

import re

KEY_SLOT_COUNT = 121  # layout entries 1..121 are key slots; the rest are screen buttons

KIND_SINGLE, KIND_MACRO, KIND_MEDIA, KIND_FUNCTION = 0, 1, 2, 3
KIND_DISABLED, KIND_TEXT, KIND_PROGRAM, KIND_PROFILE, KIND_MOUSE = 4, 5, 6, 7, 8
TEXT_EXCERPT_CHARS = 11  # the start of a text its display name shows

UP_STEP_PARAM = -2147483648  # a recorded up step's key-name parameter has its top bit set


def read_ini_text(path):
    data = open(path, "rb").read()
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le")
    if data.startswith(b"\xef\xbb\xbf"):
        return data[3:].decode("utf-8")
    return data.decode("cp1252")


def parse_ini(text):
    """Sections in file order: {section: [(key, value), ...]}; names keep their case."""
    sections = {}
    current = None
    for raw in text.splitlines():
        line = raw.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], [])
        elif current is not None and "=" in line:
            key, value = line.split("=", 1)
            current.append((key.strip(), value.strip()))
    return sections


class Layout:
    """The key slots of "Main.ini": (entry, key code, name) for entries 1..121."""

    def __init__(self, main_ini_path):
        entries = dict(parse_ini(read_ini_text(main_ini_path)).get("BUTTONINFO", []))
        self.slots = []
        for entry in range(1, KEY_SLOT_COUNT + 1):
            fields = entries.get(str(entry), "").split(",")
            if len(fields) < 6:
                raise ValueError(f"{main_ini_path}: entry {entry} is not a key slot: {fields}")
            self.slots.append((entry, int(fields[4]), ",".join(fields[5:])))

    def name_of(self, code):
        for _, slot_code, name in self.slots:
            if slot_code == code:
                return name
        raise KeyError(f"no key slot has key code {code}")

    def index_of(self, code):
        for entry, slot_code, _ in self.slots:
            if slot_code == code:
                return entry - 1
        raise KeyError(f"no key slot has key code {code}")


class Profile:
    """One profile section: every key slot at its identity, then the overrides."""

    def __init__(self, layout):
        self.layout = layout
        self.groups = {}  # key code -> [kind, macro index, name, target]
        for _, code, name in layout.slots:
            self.groups.setdefault(code, [KIND_SINGLE, 0, name, code])
        self.values = {}  # key code -> [(key stem, value)]: a text key's text, a program key's path and arguments
        self.held = set()  # key codes that act while held
        self.turbo = {}  # key code -> turbo period in milliseconds
        self.macros = []  # (name, steps, delays or None, loops)
        self.assigned = []  # key-table indexes, as the assignment dialog records them

    def _assign(self, code, kind, macro_index, name, target):
        if code not in self.groups:
            raise KeyError(f"no key slot has key code {code}")
        self.groups[code] = [kind, macro_index, name, target]
        self.values.pop(code, None)
        self.turbo.pop(code, None)
        index = self.layout.index_of(code)
        if index not in self.assigned:
            self.assigned.append(index)
        return self

    def single(self, code, target, hold=False):
        """Another single key; the display name is the target key's name. `hold`: the target is
        down while the key is."""
        name = self.layout.name_of(target) if target in self.groups else str(target)
        self._hold(code, hold)
        return self._assign(code, KIND_SINGLE, 0, name, target)

    def function(self, code, command_name, hold=False):
        self._hold(code, hold)
        return self._assign(code, KIND_FUNCTION, 0, command_name, None)

    def macro(self, code, keys, name=None, delays=None, loops=1, hold=False):
        """A recorded macro that presses and releases each key in turn; playback sends the
        presses' key codes as one sequence. With `delays` (milliseconds before each step, two
        per key) it is a timed macro that plays its steps in their order."""
        steps = []
        for key in keys:
            steps += [0, key, 1, UP_STEP_PARAM, key, 0]
        if delays is not None and len(delays) != 2 * len(keys):
            raise ValueError(f"{len(keys)} keys need {2 * len(keys)} delays, not {len(delays)}")
        name = name or f"define{len(self.macros)}"
        self.macros.append((name, steps, delays, loops))
        self._hold(code, hold)
        return self._assign(code, KIND_MACRO, len(self.macros) - 1, name, None)

    def disabled(self, code):
        """A key that does nothing."""
        self._hold(code, False)
        return self._assign(code, KIND_DISABLED, 0, "Disabled", None)

    def text(self, code, text):
        """A key that types `text` at its release; "\\n" in it is Enter."""
        excerpt = text[:TEXT_EXCERPT_CHARS] + ("…" if len(text) > TEXT_EXCERPT_CHARS else "")
        name = ("Text: " + excerpt).replace("\n", " ").replace("\t", " ").rstrip(" ")
        self._hold(code, False)
        self._assign(code, KIND_TEXT, 0, name, None)
        self.values[code] = [("Text", encode_text(text))]
        return self

    def program(self, code, path, args=""):
        """A key that starts `path` (a Windows path) with `args` at its release."""
        name = re.split(r"[\\/]", path.rstrip("\\/"))[-1]
        self._hold(code, False)
        self._assign(code, KIND_PROGRAM, 0, "Program: " + name, None)
        self.values[code] = [("Program", quoted_where_needed(path))] + ([("Args", quoted_where_needed(args))] if args else [])
        return self

    def profile_key(self, code, target):
        """A key that makes profile "1", "2" or "3" active, the "next" one, or "pause"s remapping,
        at its press."""
        self._hold(code, False)
        self._assign(code, KIND_PROFILE, 0, f"Profile: {target}", None)
        self.values[code] = [("Profile", target)]
        return self

    def mouse(self, code, action):
        """A key that holds a mouse button ("left", "right", "middle", "x1", "x2") or turns the
        wheel ("wheelup", "wheeldown")."""
        self._hold(code, False)
        self._assign(code, KIND_MOUSE, 0, f"Mouse: {action}", None)
        self.values[code] = [("Mouse", action)]
        return self

    def with_turbo(self, code, period_ms):
        """The key's output tapped once per `period_ms` while it is held (set after its kind)."""
        self._hold(code, False)
        self.turbo[code] = period_ms
        return self

    def _hold(self, code, hold):
        if hold:
            self.held.add(code)
        else:
            self.held.discard(code)

    def lines(self):
        out = []
        for code, (kind, macro_index, name, target) in self.groups.items():
            out += [f"IndexPic{code}={kind}", f"MacroIndex{code}={macro_index}", f"SetName{code}={name}"]
            if kind == KIND_SINGLE:
                out.append(f"Key{code}={target}")
            out += [f"{stem}{code}={value}" for stem, value in self.values.get(code, [])]
            if code in self.held:
                out.append(f"Hold{code}=1")
            if code in self.turbo:
                out.append(f"Turbo{code}={self.turbo[code]}")
        out.append(f"MacroStrNum={len(self.macros)}")
        out += [f"MacroName{i}={name}" for i, (name, *_) in enumerate(self.macros)]
        for i, (_, steps, delays, loops) in enumerate(self.macros):
            out += [f"MacroKey{i}={','.join(map(str, steps))}", f"MacroKeyNum{i}={len(steps)}"]
            if delays is not None:
                out.append(f"MacroDelay{i}={','.join(map(str, delays))}")
            if loops > 1:
                out.append(f"MacroLoop{i}={loops}")
        out.append(f"SetIndexNum={len(self.assigned)}")
        out += [f"setindex{j}={index}" for j, index in enumerate(self.assigned)]
        return out


def quoted_where_needed(value):
    """A value the INI reader would trim or unquote goes inside double quotes, as the program
    writes it."""
    return f'"{value}"' if value and (value[0] in " \"'" or value[-1] in " \"'") else value


def encode_text(text):
    """A text as a Text<code> value holds it: a backslash doubled, line breaks and tabs as \\n
    and \\t."""
    return quoted_where_needed(text.replace("\\", "\\\\").replace("\n", "\\n").replace("\t", "\\t"))


def render(profiles, active=None, tap_ms=0):
    """The file's text: sections Profile1..3 from {n: Profile}, then [TYPE] when `active` is
    given (a file without it starts with profile 1), with the key hold time when it is not 0."""
    out = []
    for n in (1, 2, 3):
        out.append(f"[Profile{n}]")
        out += profiles[n].lines()
    if active is not None:
        out += ["[TYPE]", f"type={active}"] + ([f"TapMs={tap_ms}"] if tap_ms else [])
    return "\r\n".join(out) + "\r\n"


def write_set_ini(path, profiles, active=None, tap_ms=0):
    write_utf16(path, render(profiles, active, tap_ms))


def write_utf16(path, text):
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.encode("utf-16-le"))


def section_dict(sections, name):
    """A section's keys, matched without regard to case as the system's INI functions do."""
    return {key.lower(): value for key, value in sections.get(name, [])}


def find_section(sections, name):
    for section in sections:
        if section.lower() == name.lower():
            return section
    return None


def replace_value(text, section, key, value):
    """`text` with key=value set in `section` (which must exist and hold the key)."""
    pattern = re.compile(rf"(^\[{re.escape(section)}\][^\[]*?^{re.escape(key)}=)[^\r\n]*", re.M | re.I | re.S)
    new_text, count = pattern.subn(lambda m: m.group(1) + str(value), text, count=1)
    if count != 1:
        raise KeyError(f"[{section}] {key} not found")
    return new_text


def main(argv):
    """python3 profile_ini.py MAIN_INI SET_INI [--type N] [ASSIGNMENT...]

    ASSIGNMENT is [PROFILE:]CODE=key:TARGET, [PROFILE:]CODE=command:NAME or
    [PROFILE:]CODE=macro:K1,K2,...; PROFILE defaults to 1. Every other key slot keeps its own key.
    Example: profile_ini.py dist/Main.ini dist/set.ini --type 1 112=command:Копировать 2:115=key:80
    """
    import argparse
    parser = argparse.ArgumentParser(description=main.__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("main_ini")
    parser.add_argument("set_ini")
    parser.add_argument("--type", type=int, help="active profile; without it the file has no [TYPE]")
    parser.add_argument("assignments", nargs="*")
    args = parser.parse_intermixed_args(argv)
    layout = Layout(args.main_ini)
    profiles = {n: Profile(layout) for n in (1, 2, 3)}
    for assignment in args.assignments:
        match = re.fullmatch(r"(?:([123]):)?(\d+)=(key|command|macro):(.+)", assignment)
        if not match:
            parser.error(f"cannot read assignment {assignment!r}")
        profile = profiles[int(match.group(1) or 1)]
        code, what, value = int(match.group(2)), match.group(3), match.group(4)
        if what == "key":
            profile.single(code, int(value))
        elif what == "command":
            profile.function(code, value)
        else:
            profile.macro(code, [int(k) for k in value.split(",")])
    write_set_ini(args.set_ini, profiles, args.type)
    return 0


if __name__ == "__main__":
    import sys
    sys.exit(main(sys.argv[1:]))
