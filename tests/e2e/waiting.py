"""Waits with a deadline (for a condition, for a process's end), and the host clock the key probe stamps its lines with. The tests wait
on log lines and window state this way; the only fixed waits are the times a key is held down,
which are the stimulus itself."""

import subprocess
import time


def now_us():
    return time.time_ns() // 1000


class Deadline:
    def __init__(self, seconds):
        self.end = time.monotonic() + seconds

    def expired(self):
        return time.monotonic() >= self.end


def poll_until(condition, seconds, interval=0.005):
    """Calls `condition` until it returns something truthy or the time is up; returns the last
    result."""
    deadline = Deadline(seconds)
    while True:
        result = condition()
        if result or deadline.expired():
            return result
        time.sleep(interval)


def ended_within(process, seconds, kill=False):
    """Waits for a subprocess to end; False when it still runs after `seconds` (killed and reaped
    first when `kill` says so)."""
    try:
        process.wait(seconds)
        return True
    except subprocess.TimeoutExpired:
        if kill:
            process.kill()
            process.wait()
        return False
