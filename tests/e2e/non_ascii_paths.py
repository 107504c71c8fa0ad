"""A trader whose Windows user name and MT4 folders lie outside the code page."""
from harness.install import CRLF, Mt4Folder, Order, windows_path
from harness.scene import FILE_SETTING, LIVE_EXIT, LIVE_SETTING, SETTINGS
from harness.waiting import expect, expect_equal
from scenarios import FILE_NAME_BOX, OPEN_DIALOG, PROGRAM_FOLDER

UTF8_MARK = b"\xef\xbb\xbf"
LAYOUTS = ("legacy", "portable", "data folder by origin.txt", "data folder by name")


def order_log_label(mt4):
    return "Orders are read from " + windows_path(mt4.files) + "\\systemorder.log"


def choose_in_settings(scene, mt4, browse):
    """Names MT4's terminal.exe in the settings window, typed or by Browse, and saves it."""
    driver = scene.driver
    if browse:
        driver.click(SETTINGS, "SETTINGS_CMDBROWSE")
        driver.type(OPEN_DIALOG, FILE_NAME_BOX, mt4.terminal)
        driver.click(OPEN_DIALOG, "1", closes=True)
    else:
        driver.type(SETTINGS, "SETTINGS_MT4LOCATION", mt4.terminal)
    expect_equal(driver.text(SETTINGS, "SETTINGS_MT4LOCATION"), mt4.terminal, "path box")
    expect_equal(driver.text(SETTINGS, "SETTINGS_LBLORDERLOG"), order_log_label(mt4), "order log label")
    driver.click(SETTINGS, "SETTINGS_CMDSAVE", closes=True)


def every_layout_relays_for_a_user_and_folders_outside_the_code_page(scene):
    driver, prefix = scene.driver, scene.prefix
    user = prefix.user_folder()
    expect_equal(user.name, "Иван", "the prefix's user folder")
    expect_equal(prefix.run([str(scene.installer_exe), "/S"], timeout=120)[0], 0, "silent install's exit code")
    data = user / "AppData" / "Local" / "Programs" / PROGRAM_FOLDER / "Data"
    exe = f"C:\\users\\{user.name}\\AppData\\Local\\Programs\\{PROGRAM_FOLDER}\\KorvaneVantor.exe"
    roaming = user / "AppData" / "Roaming"
    folders = [Mt4Folder(scene.folder / "陈伟 Νίκος" / layout, layout, roaming) for layout in LAYOUTS]

    # An installation of old: Settings.dat in the code page (1252 here) names a folder with an e-acute.
    old = Mt4Folder(scene.folder / "Café")
    (data / "Settings.dat").write_bytes(old.folder_line.encode("cp1252") + CRLF.encode())
    (data / "Install.dat").write_bytes(CRLF.encode())
    (data / "Service.dat").write_bytes((scene.service.base_url + CRLF).encode())
    old.write_orders([Order("8000")])
    scene.start(exe)
    expect_equal(driver.message(1500), None, "message box at a start with an old Settings.dat")
    scene.login_with_one_system()
    scene.wait_events("/SetTD.do", "8000")

    # Every layout relays once chosen; the last is chosen by Browse, and stored whole.
    for number, mt4 in enumerate(folders, 8001):
        mt4.write_orders([Order(str(number))])
        scene.open_from_menu(LIVE_SETTING, SETTINGS)
        choose_in_settings(scene, mt4, browse=mt4 is folders[-1])
        stored = (data / "Settings.dat").read_bytes()
        expect_equal(stored, UTF8_MARK + (mt4.folder_line + CRLF).encode(), "Settings.dat")
        scene.wait_events("/SetTD.do", str(number))

    # A message naming a path shows it in full.
    (data / "Active.dat").mkdir()
    driver.pick_from_tray_menu(LIVE_EXIT)
    message = driver.message() or ""
    expect(f"Could not write the file {windows_path(data)}\\Active.dat:" in message, f"message at Exit: {message!r}")
    driver.do("msgbox-ok")
    scene.wait_end()

    # The next start reads the folder back from the UTF-8 Settings.dat.
    last = folders[-1]
    last.write_orders([Order(str(8000 + len(folders))), Order("8009")])
    scene.start(exe)
    expect_equal(driver.message(1500), None, "message box at a start with a UTF-8 Settings.dat")
    scene.open_from_menu(FILE_SETTING, SETTINGS)
    expect_equal(driver.text(SETTINGS, "SETTINGS_MT4LOCATION"), last.terminal, "path box read back")
    expect_equal(driver.text(SETTINGS, "SETTINGS_LBLORDERLOG"), order_log_label(last), "order log label read back")
    driver.click(SETTINGS, "SETTINGS_CMDCANCEL", closes=True)
    scene.login_with_one_system()
    scene.wait_events("/SetTD.do", "8009")


every_layout_relays_for_a_user_and_folders_outside_the_code_page.user = "Иван"
