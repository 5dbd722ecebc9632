"""The key probe's log: one line per key message, character, hook call and focus change, stamped
with the host clock; read as it grows."""

import time

from report import Failure
from waiting import Deadline


class Event:
    __slots__ = ("ts", "kind", "fields", "line")

    def __init__(self, line):
        parts = line.split()
        self.line = line
        self.ts = int(parts[0])
        self.kind = parts[1]
        self.fields = {}
        for part in parts[2:]:
            key, _, value = part.partition("=")
            self.fields[key] = value

    def number(self, key):
        return int(self.fields[key], 0)

    @property
    def is_key(self):
        return self.kind in ("KEYDOWN", "KEYUP", "SYSKEYDOWN", "SYSKEYUP")

    @property
    def is_down(self):
        return self.kind in ("KEYDOWN", "SYSKEYDOWN")

    @property
    def vk(self):
        return self.number("vk")

    def token(self):
        """A compact form for comparisons and messages: 17↓ 67↓ '\\x03' 17↑ 67↑."""
        if self.is_key:
            return f"{self.vk}{'↓' if self.is_down else '↑'}" + ("(repeat)" if self.fields.get("repeat") == "1" else "")
        if self.kind in ("CHAR", "SYSCHAR"):
            return repr(chr(self.number("code")))
        return self.line.split(" ", 1)[1]


def tokens(events, keys_only=False):
    return [e.token() for e in events if (e.is_key or (not keys_only and e.kind in ("CHAR", "SYSCHAR")))]


class ProbeLog:
    """Tails the probe's log file; `events` grows as lines arrive."""

    def __init__(self, path):
        self.path = path
        self.events = []
        self._offset = 0
        self._partial = b""

    def poll(self):
        try:
            with open(self.path, "rb") as f:
                f.seek(self._offset)
                data = f.read()
        except FileNotFoundError:
            return
        self._offset += len(data)
        data = self._partial + data
        lines = data.split(b"\n")
        self._partial = lines.pop()
        for raw in lines:
            text = raw.decode("ascii", "replace").strip()
            if text:
                self.events.append(Event(text))

    def position(self):
        self.poll()
        return len(self.events)

    def wait_for(self, predicate, seconds, what, start=0):
        """Index of the first event at or after `start` that satisfies `predicate`."""
        deadline = Deadline(seconds)
        index = start
        while True:
            self.poll()
            while index < len(self.events):
                if predicate(self.events[index]):
                    return index
                index += 1
            if deadline.expired():
                raise Failure(f"no {what} within {seconds:g} s; probe saw:\n{self.excerpt(start)}")
            time.sleep(0.002)

    def excerpt(self, start, end=None, limit=40):
        events = self.events[start:end]
        if not events:
            return "    (nothing)"
        shown = events[-limit:]
        lines = [f"    {e.line}" for e in shown]
        if len(events) > limit:
            lines.insert(0, f"    ... {len(events) - limit} earlier lines")
        return "\n".join(lines)

    def focused(self):
        self.poll()
        for e in reversed(self.events):
            if e.kind == "FOCUS":
                return e.line.endswith("gained")
        return False
