"""Runs the end-to-end scenarios and prints "N passed, M failed"."""
import argparse
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
from kill_restart import killed_mid_stream_loses_nothing
from non_ascii_paths import old_settings_and_each_way_to_the_data_folder
from scenarios import SCENARIOS
from session import SESSIONS
from several_terminals import three_terminals_each_reach_their_own_system

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
ALL_SCENARIOS = (SCENARIOS + [killed_mid_stream_loses_nothing, old_settings_and_each_way_to_the_data_folder] + SESSIONS
                 + [three_terminals_each_reach_their_own_system])
LIMIT_SECONDS = 240  # a hung scenario fails instead of stalling the run


def on_alarm(signum, frame):
    raise TimeoutError(f"scenario took longer than {LIMIT_SECONDS} s")


def passes(run, scenario):
    """Runs SCENARIO in its own scene; a failure is told with what the scene shows."""
    scene = Scene(run, scenario.__name__, getattr(scenario, "terminal_layout", "legacy"),
                  getattr(scenario, "others", ()), getattr(scenario, "first_system", None))
    started = time.monotonic()
    signal.alarm(LIMIT_SECONDS)
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
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("mingw", nargs="?", type=pathlib.Path, default=ROOT / "build" / "mingw")
    parser.add_argument("native", nargs="?", type=pathlib.Path, default=ROOT / "build" / "native")
    parser.add_argument("--only", action="append", help="run only scenarios whose name contains this")
    options = parser.parse_args()
    chosen = [s for s in ALL_SCENARIOS if not options.only or any(word in s.__name__ for word in options.only)]
    signal.signal(signal.SIGALRM, on_alarm)
    started = time.monotonic()
    root = pathlib.Path(tempfile.mkdtemp(prefix="kv-e2e-"))
    run = WineRun(options.mingw.resolve(), options.native.resolve(), root)
    try:
        passed = sum(passes(run, scenario) for scenario in chosen)
    finally:
        run.close()
    failed = len(chosen) - passed
    if failed:
        print(f"files kept in {root}")
    else:
        shutil.rmtree(root, ignore_errors=True)
    print(f"Wine stage took {time.monotonic() - started:.0f} s\n{passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
