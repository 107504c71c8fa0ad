"""Pictures for the README, taken in an 800x600 Wine desktop that fills the
screen of an Xvfb started by run.sh beside this file: the four dialogs
(login.png, systems.png, settings.png, and settings-mt5.png for an MT5,
terminals.png with an MT4 and an MT5 relayed), each
cropped to itself, and the tray icon's three looks with their tips
(tray-idle.png, tray-relaying.png, tray-attention.png). The terminals shown
are saved before their pictures, so both lines under the path speak of them,
and their folders are named in letters the dialog font has."""
import argparse
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from harness.install import TerminalFolder, Order  # noqa: E402
from harness.scene import FILE_EXIT, FILE_LOGIN, FILE_SETTING, LIVE_EXIT, LIVE_TERMINALS, LOGIN, SETTINGS, \
    SETTINGS_MT5, SYSTEMS, TERMINALS, Scene  # noqa: E402
from harness.waiting import expect, wait_for  # noqa: E402
from harness.wine import WineRun  # noqa: E402

DESKTOP = "800x600"  # as large as run.sh's screen
# Wine's notification area sits in the bottom right corner of its desktop.
TRAY_ICON = (790, 590)
TRAY_CORNER = (440, 500, 360, 100)


def screenshot(run, path, crop):
    """Saves the part CROP = (x, y, width, height) of the screen as a PNG."""
    x, y, width, height = crop
    subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage", str(path)],
                   check=True, timeout=30)
    print(f"wrote {path}")


def shoot(run, caption, path):
    expect(run.driver.window_shown(caption), f"no window {caption!r} to photograph")
    time.sleep(0.7)  # let it paint
    x, y, width, height = (int(v) for v in run.driver.do("window-rect", caption).split())
    screenshot(run, path, (max(x, 0), max(y, 0), width, height))


def shoot_tray(run, path):
    """Points at the icon until its tip shows, then photographs the corner."""
    run.driver.do("pointer", 400, 300)
    time.sleep(0.7)
    run.driver.do("pointer", TRAY_ICON[0] - 1, TRAY_ICON[1] - 1)
    run.driver.do("pointer", *TRAY_ICON)
    time.sleep(2.5)
    screenshot(run, path, TRAY_CORNER)


def broker_terminal(run, name, layout):
    """A trader's terminal under C:\\Program Files, its expert writing into its data folder."""
    users = run.prefix.folder / "drive_c" / "users"
    roaming = next(u for u in users.iterdir() if u.name.lower() != "public") / "AppData" / "Roaming"
    terminal = TerminalFolder(run.prefix.folder / "drive_c" / "Program Files" / name, layout, roaming)
    terminal.write_orders([Order("7001")])
    return terminal


def take_dialogs(run, out, mt4, mt5):
    scene = Scene(run, "dialogs")
    driver = scene.driver
    try:
        scene.install.seed_installed(mt4)
        scene.start()
        scene.open_from_menu(FILE_LOGIN, LOGIN)
        driver.type(LOGIN, "LOGIN_TXTUSER", "demo@korvane.test")
        driver.type(LOGIN, "LOGIN_TXTPASS", "demo")
        driver.do("set-check", LOGIN, "LOGIN_CHKLOGIN", 1)
        shoot(run, LOGIN, out / "login.png")
        driver.click(LOGIN, "LOGIN_CMDLOGIN")
        shoot(run, SYSTEMS, out / "systems.png")
        driver.do("close", SYSTEMS)  # closed without Proceed: still logged out
        expect(driver.window_gone(SYSTEMS), "the system selection did not close")
        scene.open_from_menu(FILE_SETTING, SETTINGS)
        shoot(run, SETTINGS, out / "settings.png")
        driver.type(SETTINGS, "SETTINGS_MT4LOCATION", mt5.terminal)
        driver.click(SETTINGS_MT5, "SETTINGS_CMDSAVE", closes=True)
        scene.open_from_menu(FILE_SETTING, SETTINGS_MT5)
        shoot(run, SETTINGS_MT5, out / "settings-mt5.png")
        driver.click(SETTINGS_MT5, "SETTINGS_CMDCANCEL")
        driver.pick_from_tray_menu(FILE_EXIT)
        scene.wait_end()
    finally:
        scene.close()


def take_terminals(run, out, mt4, mt5):
    """The MT4 relayed to Alpha, the MT5 added from the terminals found and mapped to Beta, a third one found."""
    broker_terminal(run, "Demo_Broker", "data folder")
    scene = Scene(run, "terminals")
    driver = scene.driver
    try:
        scene.install.seed_installed(mt4)
        scene.start()
        scene.open_from_menu(FILE_LOGIN, LOGIN)
        scene.log_in("demo@korvane.test", "demo")
        driver.click(SYSTEMS, "SYS_CMDPROCCED", closes=True)  # the first system, 12 Alpha
        scene.open_from_menu(LIVE_TERMINALS, TERMINALS)
        driver.do("list-select", TERMINALS, "TERMINALS_LSTFOUND", mt5.folder_line)
        driver.click(TERMINALS, "TERMINALS_CMDADD")
        # The click is posted: the next command waits until the window has taken it and selected the new one.
        wait_for(lambda: mt5.folder_line in driver.do("list-selected", TERMINALS, "TERMINALS_LSTRELAYED"), 10,
                 "the MT5 added and selected")
        driver.do("combo-select", TERMINALS, "TERMINALS_CMBTERMSYSTEM", 1)
        wait_for(lambda: (scene.install.read_data("Terminals.dat") or "").startswith("13|MT5|"), 10,
                 "the MT5 mapped to Beta")
        shoot(run, TERMINALS, out / "terminals.png")
        driver.click(TERMINALS, "TERMINALS_CMDCLOSE", closes=True)
        driver.pick_from_tray_menu(LIVE_EXIT)
        scene.wait_end()
    finally:
        scene.close()


def take_tray(run, out):
    scene = Scene(run, "tray")
    try:
        scene.install.seed_installed(scene.terminal_folder)
        scene.start()
        time.sleep(1.5)
        shoot_tray(run, out / "tray-idle.png")
        scene.login_with_one_system()
        time.sleep(2)
        shoot_tray(run, out / "tray-relaying.png")
        # The expert's order log gone while relaying asks for attention.
        (scene.terminal_folder.files / "systemorder.log").unlink()
        time.sleep(2.5)
        shoot_tray(run, out / "tray-attention.png")
    finally:
        scene.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("mingw", nargs="?", type=pathlib.Path, default=ROOT / "build" / "mingw")
    parser.add_argument("native", nargs="?", type=pathlib.Path, default=ROOT / "build" / "native")
    parser.add_argument("out", nargs="?", type=pathlib.Path, default=ROOT / "docs")
    options = parser.parse_args()
    out = options.out.resolve()
    out.mkdir(parents=True, exist_ok=True)
    root = pathlib.Path(tempfile.mkdtemp(prefix="kv-shots-"))
    run = WineRun(options.mingw.resolve(), options.native.resolve(), root)
    try:
        # Every window inside one Wine-drawn desktop, title bars included: there is no window manager.
        run.prefix.set_value(r"HKCU\Software\Wine\Explorer", "Desktop", "Default")
        run.prefix.set_value(r"HKCU\Software\Wine\Explorer\Desktops", "Default", DESKTOP)
        run.prefix.stop_server()  # the desktop counts from the next start
        mt4 = broker_terminal(run, "Broker_Name", "data folder")
        mt5 = broker_terminal(run, "Broker_Name MT5", "mt5 data folder")
        take_dialogs(run, out, mt4, mt5)
        take_terminals(run, out, mt4, mt5)
        take_tray(run, out)
    finally:
        run.close()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
