"""Checks and their report: each check is one PASS or FAIL line; figures are printed, never
judged."""

import math
import sys
import time


class Failure(Exception):
    """A check that did not hold; the message says what was expected and what was seen."""


class Report:
    """The checks of one scenario: a line for each as it ends, and a summary."""

    def __init__(self, scenario):
        self.scenario = scenario
        self.passed = []
        self.failed = []

    def check(self, name, function, *args):
        """Runs one check; a Failure is recorded and the scenario goes on."""
        started = time.monotonic()
        try:
            function(*args)
        except Failure as failure:
            self.failed.append(name)
            print(f"FAIL {self.scenario}: {name} ({time.monotonic() - started:.1f} s)\n{indent(str(failure))}")
            sys.stdout.flush()
            return False
        self.passed.append(name)
        print(f"PASS {self.scenario}: {name} ({time.monotonic() - started:.1f} s)")
        sys.stdout.flush()
        return True

    def abort(self, name, failure):
        self.failed.append(name)
        print(f"FAIL {self.scenario}: {name} (scenario stopped)\n{indent(str(failure))}")

    def summary(self):
        total = len(self.passed) + len(self.failed)
        print(f"{self.scenario}: {len(self.passed)} of {total} checks passed" +
              (f"; failed: {', '.join(self.failed)}" if self.failed else ""))
        return not self.failed


def indent(text, prefix="    "):
    return "\n".join(line if line.startswith(prefix) else prefix + line for line in text.splitlines())


def figure(name, **values):
    parts = " ".join(f"{k}={v}" for k, v in values.items())
    print(f"FIGURE {name} {parts}")
    sys.stdout.flush()


def median(values):
    ordered = sorted(values)
    n = len(ordered)
    return (ordered[n // 2] if n % 2 else (ordered[n // 2 - 1] + ordered[n // 2]) / 2) if n else float("nan")


def percentile(values, p):
    ordered = sorted(values)
    if not ordered:
        return float("nan")
    rank = math.ceil(p / 100 * len(ordered))  # nearest rank
    return ordered[max(rank, 1) - 1]
