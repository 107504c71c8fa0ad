"""A trader whose Windows user name and MT4 folders lie outside the code page."""
from harness.install import CRLF, Mt4Folder, Order, windows_path
from harness.scene import FILE_SETTING, LIVE_EXIT, LIVE_SETTING, SETTINGS
from harness.waiting import expect, expect_equal
from scenarios import FILE_NAME_BOX, OPEN_DIALOG, PROGRAM_FOLDER


def expect_settings_window_shows(driver, mt4):
    expect_equal([driver.text(SETTINGS, "SETTINGS_MT4LOCATION"), driver.text(SETTINGS, "SETTINGS_LBLORDERLOG")],
                 [mt4.terminal, f"Orders are read from {windows_path(mt4.files)}\\systemorder.log"], "settings window")


def every_layout_relays_for_a_user_and_folders_outside_the_code_page(scene):
    driver, user = scene.driver, scene.prefix.user_folder()
    expect_equal(user.name, "Иван", "the prefix's user folder")
    expect_equal(scene.prefix.run([str(scene.installer_exe), "/S"], timeout=120)[0], 0, "silent install's exit code")
    data = user / "AppData" / "Local" / "Programs" / PROGRAM_FOLDER / "Data"
    exe = f"C:\\users\\{user.name}\\AppData\\Local\\Programs\\{PROGRAM_FOLDER}\\KorvaneVantor.exe"
    folders = [Mt4Folder(scene.folder / "陈伟 Νίκη" / layout, layout, user / "AppData" / "Roaming")
               for layout in ("legacy", "portable", "data folder by origin.txt", "data folder by name")]
    # Installed long ago: Settings.dat in the code page (1252 here) names a folder with an e-acute.
    old = Mt4Folder(scene.folder / "Café")
    (data / "Settings.dat").write_bytes((old.folder_line + CRLF).encode("cp1252"))
    (data / "Install.dat").write_bytes(CRLF.encode())
    (data / "Service.dat").write_bytes((scene.service.base_url + CRLF).encode())
    old.write_orders([Order("8000")])
    scene.start(exe)
    scene.login_with_one_system()
    scene.wait_events("/SetTD.do", "8000")

    # Each layout relays once saved, the last one chosen by Browse; Settings.dat keeps every character.
    for number, mt4 in enumerate(folders, 8001):
        mt4.write_orders([Order(str(number))])
        scene.open_from_menu(LIVE_SETTING, SETTINGS)
        if mt4 is folders[-1]:
            driver.click(SETTINGS, "SETTINGS_CMDBROWSE")
            driver.type(OPEN_DIALOG, FILE_NAME_BOX, mt4.terminal)
            driver.click(OPEN_DIALOG, "1", closes=True)
        else:
            driver.type(SETTINGS, "SETTINGS_MT4LOCATION", mt4.terminal)
        expect_settings_window_shows(driver, mt4)
        driver.click(SETTINGS, "SETTINGS_CMDSAVE", closes=True)
        expect_equal((data / "Settings.dat").read_bytes(), ("\ufeff" + mt4.folder_line + CRLF).encode(), "Settings.dat")
        scene.wait_events("/SetTD.do", str(number))

    (data / "Active.dat").mkdir()  # so that Exit tells of it, naming the path
    driver.pick_from_tray_menu(LIVE_EXIT)
    expect(f"the file {windows_path(data)}\\Active.dat:" in (driver.message() or ""), "no message naming Active.dat")
    driver.do("msgbox-ok")
    scene.wait_end()

    # The next start reads the UTF-8 Settings.dat back.
    folders[-1].write_orders([Order("8004"), Order("8009")])
    scene.start(exe)
    scene.open_from_menu(FILE_SETTING, SETTINGS)
    expect_settings_window_shows(driver, folders[-1])
    driver.click(SETTINGS, "SETTINGS_CMDCANCEL", closes=True)
    scene.login_with_one_system()
    scene.wait_events("/SetTD.do", "8009")


every_layout_relays_for_a_user_and_folders_outside_the_code_page.user = "Иван"
