"""Paths outside the code page (the run's user is Иван, its terminal folders have CJK names), beyond
what the other scenarios already show (they read Settings.dat in UTF-8 back at every start):
a Settings.dat of old in the code page, each way to MT4's data folder alone, a message naming a path."""
from harness.install import TerminalFolder, Order, text_of, windows_path
from harness.scene import LIVE_EXIT, LIVE_SETTING, SETTINGS, SETTINGS_MT5
from harness.waiting import expect, expect_equal


def old_settings_and_each_way_to_the_data_folder(scene):
    driver, data = scene.driver, scene.install.data
    roaming = scene.prefix.user_folder() / "AppData" / "Roaming"
    by_name = TerminalFolder(scene.folder / "陈伟 Νίκη 2", "data folder by name", roaming)
    mt5 = TerminalFolder(scene.folder / "陈伟 Νίκη 5", "mt5 data folder", roaming)  # beside MT4's data folders
    old = TerminalFolder(scene.folder / "Café")
    scene.install.seed_installed(old)
    old.write_orders([Order("8000")])
    scene.start()
    scene.login_with_one_system()
    scene.wait_events("/SetTD.do", "8000")

    for number, folder in enumerate([scene.terminal_folder, by_name, mt5], 8001):
        folder.write_orders([Order(str(number))])
        scene.open_from_menu(LIVE_SETTING, SETTINGS)
        driver.type(SETTINGS, "SETTINGS_MT4LOCATION", folder.terminal)
        caption = SETTINGS_MT5 if folder is mt5 else SETTINGS  # the window follows the terminal named
        expect_equal([driver.text(caption, "SETTINGS_MT4LOCATION"), driver.text(caption, "SETTINGS_LBLORDERLOG")],
                     [folder.terminal, f"{folder.terminal_name} found. Orders are read from "
                                       f"{windows_path(folder.files)}\\systemorder.log"], "settings")
        driver.click(caption, "SETTINGS_CMDSAVE", closes=True)
        expect_equal((data / "Settings.dat").read_bytes(), folder.settings_bytes, "Settings.dat")
        scene.wait_events("/SetTD.do", str(number))
    expect_equal(mt5.read_expert(), text_of(scene.experts[1]), "the expert put into MT5's MQL5\\Experts")

    (data / "Active.dat").mkdir()  # so that Exit tells of it, naming the path
    driver.pick_from_tray_menu(LIVE_EXIT)
    expect(f"the file {windows_path(data)}\\Active.dat:" in (driver.message() or ""), "no message naming Active.dat")
    driver.do("msgbox-ok")
    scene.wait_end()


old_settings_and_each_way_to_the_data_folder.terminal_layout = "data folder by origin.txt"
