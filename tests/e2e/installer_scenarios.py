"""The per-user installer under Wine: install, first start, upgrade over a
running copy, uninstall."""
import os
import re
import subprocess

from harness.scene import SETTINGS
from harness.waiting import CheckFailed, expect, expect_equal
from harness.wine import WINESERVER, wait_exit

PROGRAM_FOLDER = "Korvane Vantor"
SHORTCUT = "Korvane - Vantor.lnk"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvaneVantor"
ACTIVITY_LINE = re.compile(r"^\S.* start time = .* end time = \S.* Counter Activelog =  0$")


def user_folder(prefix):
    users = [u for u in (prefix.folder / "drive_c" / "users").iterdir() if u.name.lower() != "public"]
    expect(len(users) == 1, f"Wine user folders: {users}")
    return users[0]


def child(folder, name):
    """FOLDER/NAME matched without regard to case, as Windows matches it (Wine says "StartUp")."""
    for entry in folder.iterdir() if folder.is_dir() else []:
        if entry.name.lower() == name.lower():
            return entry
    return folder / name


def uninstall_entry(prefix):
    code, output = prefix.run(["reg", "query", UNINSTALL_KEY])
    return output.decode("utf-8", errors="replace") if code == 0 else None


def run_setup(scene, *arguments):
    code, _ = scene.prefix.run([str(scene.installer_exe)] + list(arguments), timeout=120)
    return code


def installer_installs_starts_upgrades_a_running_copy_and_uninstalls(scene):
    if not scene.installer_exe.exists():
        raise CheckFailed(f"not built: {scene.installer_exe} (cmake --build <mingw> --target installer)")
    driver, prefix = scene.driver, scene.prefix
    expect_equal(run_setup(scene, "/S"), 0, "silent install's exit code")

    user = user_folder(prefix)
    folder = user / "AppData" / "Local" / "Programs" / PROGRAM_FOLDER
    programs = user / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Start Menu" / "Programs"
    exe, data = folder / "KorvaneVantor.exe", folder / "Data"
    expect(exe.is_file(), f"no program in {folder}")
    expect(data.is_dir() and not any(data.iterdir()), "the Data folder is missing or not empty")
    expect(child(programs, SHORTCUT).is_file(), "no Start-menu shortcut")
    expect(child(child(programs, "Startup"), SHORTCUT).is_file(), "no Startup shortcut (ticked by default)")
    entry = uninstall_entry(prefix) or ""
    for value in ("DisplayVersion", "Publisher", "DisplayIcon", "UninstallString"):
        expect(value in entry, f"uninstall entry lacks {value}:\n{entry}")

    # Started as its shortcut starts it, the new installation is a first run.
    windows_exe = "C:\\users\\" + user.name + "\\AppData\\Local\\Programs\\" + PROGRAM_FOLDER + "\\KorvaneVantor.exe"
    scene.program = prefix.start(windows_exe, scene.program_log)
    expect(driver.succeeds("wait-main", 30000), "the installed program did not start")
    expect_equal(driver.message(), "Please locate your MT4 install folder now!", "first message")
    driver.dismiss_message()
    expect(driver.window_shown(SETTINGS), "the first-run settings window did not open")

    # An upgrade asks the running copy to exit as Exit does, and leaves Data alone.
    (data / "LoginChk.dat").write_bytes(b"1;1;kept@korvane.test\r\n")
    # Dated as an old build (its bytes stay: they are mapped into the running copy).
    os.utime(exe, (946684800, 946684800))
    expect_equal(run_setup(scene, "/S"), 0, "silent upgrade's exit code")
    expect(wait_exit(scene.program, 15), "the running copy did not exit for the upgrade")
    lines = (data / "Active.dat").read_bytes().decode("latin-1").split("\r\n") if (data / "Active.dat").exists() else []
    expect(len(lines) == 2 and ACTIVITY_LINE.match(lines[0]) and lines[1] == "", f"Active.dat: {lines!r}")
    expect_equal((data / "LoginChk.dat").read_bytes(), b"1;1;kept@korvane.test\r\n", "Data after the upgrade")
    expect(exe.stat().st_mtime > 946684800, "the upgrade did not replace the program")

    # The uninstaller runs on from a copy of itself: wait for the Wine server.
    code, _ = prefix.run([str(folder / "Uninstall.exe"), "/S"], timeout=60)
    expect_equal(code, 0, "silent uninstall's exit code")
    subprocess.run([WINESERVER, "-w"], env=prefix.env, capture_output=True, timeout=60)
    expect(not exe.exists() and not (folder / "Uninstall.exe").exists(), "program left after the uninstall")
    expect(not child(programs, SHORTCUT).exists(), "Start-menu shortcut left")
    expect(not child(child(programs, "Startup"), SHORTCUT).exists(), "Startup shortcut left")
    expect_equal(uninstall_entry(prefix), None, "uninstall entry after the uninstall")
    expect((data / "LoginChk.dat").exists() and (data / "Active.dat").exists(), "the uninstall removed Data")


SCENARIOS = [installer_installs_starts_upgrades_a_running_copy_and_uninstalls]
