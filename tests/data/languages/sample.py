"""Retry a call a few times."""
import time

# Seconds between attempts.
DELAY = 0.5


def retry(call, attempts=3):
    for attempt in range(attempts):
        try:
            return call()
        except OSError:  # transient
            time.sleep(DELAY)
    raise RuntimeError("gave up")
