"""Takes pictures of the three dialogs under Xvfb: docs/login.png,
docs/systems.png and docs/settings.png."""
import argparse
import pathlib
import shutil
import sys
import tempfile
import time

from harness.scene import FILE_EXIT, FILE_LOGIN, FILE_SETTING, LOGIN, SETTINGS, SYSTEMS, Scene
from harness.waiting import expect
from harness.wine_run import WineRun

DESKTOP = "800x600"  # the Wine desktop fills the whole screen of the display


def shoot(run, caption, path):
    expect(run.driver.window_shown(caption), f"no window {caption!r} to photograph")
    time.sleep(0.7)  # let it paint
    x, y, width, height = (int(v) for v in run.driver.do("window-rect", caption).split())
    run.display.screenshot(path, crop=(max(x, 0), max(y, 0), width, height))
    print(f"wrote {path}")


def take(run, out):
    scene = Scene(run, "screenshots")
    driver = scene.driver
    try:
        scene.install.seed_installed(scene.mt4)
        scene.start()
        driver.pick_from_tray_menu(FILE_LOGIN)
        expect(driver.window_shown(LOGIN), "the login window did not open")
        driver.type(LOGIN, "LOGIN_TXTUSER", "demo@korvane.test")
        driver.type(LOGIN, "LOGIN_TXTPASS", "demo")
        driver.do("set-check", LOGIN, "LOGIN_CHKLOGIN", 1)
        shoot(run, LOGIN, out / "login.png")
        driver.click(LOGIN, "LOGIN_CMDLOGIN")
        shoot(run, SYSTEMS, out / "systems.png")
        driver.do("close", SYSTEMS)  # closed without Proceed: still logged out
        expect(driver.window_gone(SYSTEMS), "the system selection did not close")
        driver.pick_from_tray_menu(FILE_SETTING)
        expect(driver.window_shown(SETTINGS), "the settings window did not open")
        # A trader's path rather than the temporary folder's; Cancel stores nothing.
        driver.type(SETTINGS, "SETTINGS_MT4LOCATION", r"C:\Program Files\Broker_Name\terminal.exe")
        shoot(run, SETTINGS, out / "settings.png")
        driver.click(SETTINGS, "SETTINGS_CMDCANCEL")
        driver.pick_from_tray_menu(FILE_EXIT)
        scene.wait_program_end()
    finally:
        scene.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("mingw", type=pathlib.Path)
    parser.add_argument("native", type=pathlib.Path)
    parser.add_argument("out", type=pathlib.Path)
    options = parser.parse_args()
    options.out.mkdir(parents=True, exist_ok=True)
    root = pathlib.Path(tempfile.mkdtemp(prefix="kv-shots-"))
    run = WineRun(options.mingw.resolve(), options.native.resolve(), root, desktop=DESKTOP, screen=(800, 600))
    try:
        take(run, options.out.resolve())
    finally:
        run.close()
        shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
