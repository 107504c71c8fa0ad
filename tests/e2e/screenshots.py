"""Takes pictures of the three dialogs under Xvfb: docs/login.png,
docs/systems.png and docs/settings.png; and of the tray icon's three looks
with their tips: docs/tray-idle.png, docs/tray-relaying.png, docs/tray-attention.png."""
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


# Wine's notification area sits in the bottom right corner of its desktop.
TRAY_ICON = (790, 590)
TRAY_CORNER = (440, 500, 360, 100)


def shoot_tray(run, path):
    """Points at the icon until its tip shows, then photographs the corner."""
    run.driver.do("pointer", 400, 300)
    time.sleep(0.7)
    run.driver.do("pointer", TRAY_ICON[0] - 1, TRAY_ICON[1] - 1)
    run.driver.do("pointer", *TRAY_ICON)
    time.sleep(2.5)
    run.display.screenshot(path, crop=TRAY_CORNER)
    print(f"wrote {path}")


def take_tray(run, out):
    scene = Scene(run, "tray")
    try:
        scene.install.seed_installed(scene.mt4)
        scene.start()
        time.sleep(1.5)
        shoot_tray(run, out / "tray-idle.png")
        scene.login_with_one_system()
        time.sleep(2)
        shoot_tray(run, out / "tray-relaying.png")
        # The expert's order log gone while relaying asks for attention.
        (scene.mt4.files / "systemorder.log").unlink()
        time.sleep(2.5)
        shoot_tray(run, out / "tray-attention.png")
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
        take_tray(run, options.out.resolve())
    finally:
        run.close()
        shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
