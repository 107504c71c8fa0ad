"""Runs the end-to-end scenarios and prints "N passed, M failed"."""
import argparse
import os
import pathlib
import shutil
import signal
import sys
import tempfile
import time
import traceback

from harness.scene import Scene
from harness.waiting import CheckFailed
from harness.wine import WineRun
from installer_scenarios import installer_installs_starts_upgrades_a_running_copy_and_uninstalls
from kill_restart import killed_mid_stream_loses_nothing
from scenarios import SCENARIOS

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
ALL_SCENARIOS = SCENARIOS + [killed_mid_stream_loses_nothing,
                             installer_installs_starts_upgrades_a_running_copy_and_uninstalls]


def on_alarm(signum, frame):
    raise TimeoutError("scenario took longer than its time limit")


def run_scenario(run, scenario):
    """True when SCENARIO passed; a failure is told with what the scene shows, and the run goes on."""
    scene = Scene(run, scenario.__name__, getattr(scenario, "mt4_layout", "legacy"))
    started = time.monotonic()
    signal.alarm(getattr(scenario, "limit_seconds", 150))  # a hung scenario fails instead of stalling the run
    try:
        scenario(scene)
        print(f"PASS {scenario.__name__} ({time.monotonic() - started:.1f} s)", flush=True)
        return True
    except Exception as error:
        print(f"FAIL {scenario.__name__}: {error}", flush=True)
        if not isinstance(error, CheckFailed):
            traceback.print_exc(file=sys.stdout)
        try:
            print(scene.diagnostics(), flush=True)
        except Exception as diagnostics_error:
            print(f"(no diagnostics: {diagnostics_error})")
        return False
    finally:
        signal.alarm(0)
        scene.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("mingw", nargs="?", type=pathlib.Path,
                        default=os.environ.get("KV_BUILD_MINGW", ROOT / "build" / "mingw"))
    parser.add_argument("native", nargs="?", type=pathlib.Path,
                        default=os.environ.get("KV_BUILD_NATIVE", ROOT / "build" / "native"))
    parser.add_argument("--only", action="append", help="run only scenarios whose name contains this")
    parser.add_argument("--keep", action="store_true", help="keep the run's temporary folder")
    options = parser.parse_args()
    chosen = [s for s in ALL_SCENARIOS if not options.only or any(word in s.__name__ for word in options.only)]

    root = pathlib.Path(tempfile.mkdtemp(prefix="kv-e2e-"))
    signal.signal(signal.SIGALRM, on_alarm)
    started = time.monotonic()
    try:
        run = WineRun(options.mingw.resolve(), options.native.resolve(), root)
    except Exception as error:
        print(f"FAIL setup: {error}\n0 passed, 1 failed")
        shutil.rmtree(root, ignore_errors=True)
        return 1
    try:
        passed = sum(run_scenario(run, scenario) for scenario in chosen)
    finally:
        run.close()
    failed = len(chosen) - passed
    if options.keep or failed:
        print(f"files kept in {root}")
    else:
        shutil.rmtree(root, ignore_errors=True)
    print(f"Wine stage took {time.monotonic() - started:.0f} s\n{passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
