"""What the Python tests share: checks that print a line each and count
toward the test's verdict, and polling for a condition.

    check = Checks()
    check(window is not None, "the dialog is on AT-SPI")  # "ok: ..." or "FAILED: ..."
    wait_until(lambda: os.path.exists(answer), 10)
    sys.exit(check.verdict())  # "18 passed, 0 failed"; 1 when any failed
"""

import time


class Checks:
    def __init__(self):
        self.passes = 0
        self.failures = []

    def __call__(self, condition, what):
        print(f"{'ok' if condition else 'FAILED'}: {what}", flush=True)
        if condition:
            self.passes += 1
        else:
            self.failures.append(what)
        return condition

    def verdict(self):
        print(f"{self.passes} passed, {len(self.failures)} failed")
        return 1 if self.failures else 0


def wait_until(condition, seconds=20.0, interval=0.1, not_yet=()):
    """Polls until condition() is true; False once the time is up. An
    exception of a kind in `not_yet` (a peer still starting) counts as false."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            if condition():
                return True
        except not_yet:
            pass
        time.sleep(interval)
    return False
