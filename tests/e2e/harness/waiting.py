"""Bounded polling and checks: every wait in the end-to-end tests ends by itself."""
import time


class CheckFailed(AssertionError):
    """A scenario's expectation did not hold."""


def wait_for(condition, timeout, what, interval=0.2):
    """Polls CONDITION until it gives a true value, which is returned."""
    deadline = time.monotonic() + timeout
    while not (value := condition()):
        if time.monotonic() >= deadline:
            raise CheckFailed(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(interval)
    return value


def expect(condition, message):
    if not condition:
        raise CheckFailed(message)


def expect_equal(actual, wanted, what):
    expect(actual == wanted, f"{what}: expected {wanted!r}, got {actual!r}")
