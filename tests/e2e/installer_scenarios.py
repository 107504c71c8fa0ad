"""The per-user installer under Wine: install, first start, upgrade over a
running copy, uninstall."""
import os

from harness.install import activity
from harness.scene import SETTINGS
from harness.waiting import expect, expect_equal

PROGRAM_FOLDER = "Korvane Vantor"
SHORTCUT = "Korvane - Vantor.lnk"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvaneVantor"
OLD_BUILD_TIME = 946684800


def child(folder, name):
    """FOLDER/NAME matched without regard to case, as Windows matches it (Wine says "StartUp")."""
    matches = [e for e in folder.iterdir() if e.name.lower() == name.lower()] if folder.is_dir() else []
    return matches[0] if matches else folder / name


def uninstall_entry(prefix):
    code, output = prefix.run(["reg", "query", UNINSTALL_KEY])
    return output.decode("utf-8", errors="replace") if code == 0 else None


def installer_installs_starts_upgrades_a_running_copy_and_uninstalls(scene):
    expect(scene.installer_exe.exists(), f"not built: {scene.installer_exe} (cmake --build <mingw> --target installer)")
    driver, prefix = scene.driver, scene.prefix
    expect_equal(prefix.run([str(scene.installer_exe), "/S"], timeout=120)[0], 0, "silent install's exit code")

    user = prefix.user_folder()
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
    scene.start(f"C:\\users\\{user.name}\\AppData\\Local\\Programs\\{PROGRAM_FOLDER}\\KorvaneVantor.exe")
    scene.answer("Please locate your MT4 install folder now!", "first message")
    expect(driver.window_shown(SETTINGS), "the first-run settings window did not open")

    # An upgrade asks the running copy to exit as Exit does, and leaves Data alone.
    (data / "LoginChk.dat").write_bytes(b"1;1;kept@korvane.test\r\n")
    # Dated as an old build (its bytes stay: they are mapped into the running copy).
    os.utime(exe, (OLD_BUILD_TIME, OLD_BUILD_TIME))
    expect_equal(prefix.run([str(scene.installer_exe), "/S"], timeout=120)[0], 0, "silent upgrade's exit code")
    scene.wait_end()
    expect_equal(activity(data)[1], "0", "Active.dat's counter after the upgrade's Exit")
    expect_equal((data / "LoginChk.dat").read_bytes(), b"1;1;kept@korvane.test\r\n", "Data after the upgrade")
    expect(exe.stat().st_mtime > OLD_BUILD_TIME, "the upgrade did not replace the program")

    # The uninstaller runs on from a copy of itself: wait for the Wine server.
    expect_equal(prefix.run([str(folder / "Uninstall.exe"), "/S"])[0], 0, "silent uninstall's exit code")
    prefix.wait_server()
    expect(not exe.exists() and not (folder / "Uninstall.exe").exists(), "program left after the uninstall")
    expect(not child(programs, SHORTCUT).exists(), "Start-menu shortcut left")
    expect(not child(child(programs, "Startup"), SHORTCUT).exists(), "Startup shortcut left")
    expect_equal(uninstall_entry(prefix), None, "uninstall entry after the uninstall")
    expect((data / "LoginChk.dat").exists() and (data / "Active.dat").exists(), "the uninstall removed Data")
