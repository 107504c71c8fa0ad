"""The end-to-end scenarios: the real program under Wine, the reference
service behind it, a test MT4 order log in front of it."""
import dataclasses
import os

from harness.install import CRLF, Order, activity, text_of, windows_path
from harness.scene import FILE_EXIT, FILE_LOGIN, FILE_SETTING, LIVE_EXIT, LIVE_LOGOUT, LOGIN, SETTINGS, SYSTEMS
from harness.service import ReferenceService
from harness.waiting import expect, expect_equal, wait_for

BOX = "Korvane - Vantor"  # a message box's caption
OPEN_DIALOG = "Choose the terminal.exe of your MT4 or the terminal64.exe of your MT5"  # Browse's file dialog
FILE_NAME_BOX = "1148"  # its "File name" box
PROGRAM_FOLDER = "Korvane Vantor"
SHORTCUT = "Korvane - Vantor.lnk"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvaneVantor"
OLD_BUILD_TIME = 946684800
ENTER, ESCAPE = 13, 27


def child(folder, name):
    """FOLDER/NAME matched without regard to case, as Windows matches it (Wine says "StartUp")."""
    matches = [e for e in folder.iterdir() if e.name.lower() == name.lower()] if folder.is_dir() else []
    return matches[0] if matches else folder / name


def uninstall_entry(prefix):
    code, output = prefix.run(["reg", "query", UNINSTALL_KEY])
    return output.decode("utf-8", errors="replace") if code == 0 else None


def installer_installs_then_first_run_asks_for_mt4_then_upgrade_and_uninstall(scene):
    expect(scene.installer_exe.exists(), f"not built: {scene.installer_exe} (cmake --build <mingw> --target installer)")
    driver, prefix = scene.driver, scene.prefix
    expect_equal(prefix.run([str(scene.installer_exe), "/S"], timeout=120)[0], 0, "silent install's exit code")
    user = prefix.user_folder()
    folder = user / "AppData" / "Local" / "Programs" / PROGRAM_FOLDER
    programs = user / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Start Menu" / "Programs"
    exe, data = folder / "KorvaneVantor.exe", folder / "Data"
    expect(exe.is_file(), f"no program in {folder}")
    expect_equal([text_of(folder / e.name) for e in scene.experts], [text_of(e) for e in scene.experts], "the experts beside it")
    expect(data.is_dir() and not any(data.iterdir()), "the Data folder is missing or not empty")
    expect(child(programs, SHORTCUT).is_file(), "no Start-menu shortcut")
    expect(child(child(programs, "Startup"), SHORTCUT).is_file(), "no Startup shortcut (ticked by default)")
    entry = uninstall_entry(prefix) or ""
    for value in ("DisplayVersion", "Publisher", "DisplayIcon", "UninstallString"):
        expect(value in entry, f"uninstall entry lacks {value}:\n{entry}")

    # Started as its shortcut starts it, the new installation is a first run.
    scene.start(f"C:\\users\\{user.name}\\AppData\\Local\\Programs\\{PROGRAM_FOLDER}\\KorvaneVantor.exe")
    scene.answer("Please locate your MT4 install folder now! For MT5, choose its terminal64.exe instead of terminal.exe.",
                 "first message")
    expect(driver.succeeds("tray-icon-present"), "no notification-area icon")
    expect_equal(driver.text(SETTINGS, "SETTINGS_MT4LOCATION"), "", "path box with no MT4 folder known")
    # Browse opens, titled with what to pick, in the folder the box names: the file's name is enough.
    driver.type(SETTINGS, "SETTINGS_MT4LOCATION", windows_path(scene.terminal_folder.root) + "\\Terminal.exe")
    driver.click(SETTINGS, "SETTINGS_CMDBROWSE")
    driver.type(OPEN_DIALOG, FILE_NAME_BOX, "terminal.exe")
    driver.click(OPEN_DIALOG, "1", closes=True)
    expect_equal(driver.text(SETTINGS, "SETTINGS_MT4LOCATION"), scene.terminal_folder.terminal, "path box after Browse")
    driver.do("key", SETTINGS, "SETTINGS_MT4LOCATION", ENTER)  # Enter presses Save
    expect(driver.window_gone(SETTINGS), "Enter did not save and close the settings window")
    expect(driver.window_shown(LOGIN), "closing the first-run settings did not open the login window")
    expect_equal((data / "Settings.dat").read_bytes(), scene.terminal_folder.settings_bytes, "Settings.dat")
    expect_equal(text_of(data / "Install.dat"), CRLF, "Install.dat")
    expect_equal(driver.message(500), None, "message box after a good Save")
    expect_equal(scene.terminal_folder.read_expert(), text_of(scene.experts[0]), "the expert put into the data folder's MQL4\\Experts")

    # An upgrade asks the running copy to exit as Exit does, and leaves Data alone.
    (data / "LoginChk.dat").write_bytes(b"1;1;kept@korvane.test\r\n")
    # Dated as an old build (its bytes stay: they are mapped into the running copy).
    os.utime(exe, (OLD_BUILD_TIME, OLD_BUILD_TIME))
    expect_equal(prefix.run([str(scene.installer_exe), "/S"], timeout=120)[0], 0, "silent upgrade's exit code")
    scene.wait_end()
    expect_equal(activity(data), ("", "0"), "start time and counter of a run with no login")
    expect_equal((data / "LoginChk.dat").read_bytes(), b"1;1;kept@korvane.test\r\n", "Data after the upgrade")
    expect(exe.stat().st_mtime > OLD_BUILD_TIME, "the upgrade did not replace the program")

    # The uninstaller runs on from a copy of itself: wait for the Wine server.
    expect_equal(prefix.run([str(folder / "Uninstall.exe"), "/S"])[0], 0, "silent uninstall's exit code")
    prefix.wait_server()
    expect(not any(p.exists() for p in [exe, folder / "Uninstall.exe"] + [folder / e.name for e in scene.experts]),
           "program left after the uninstall")
    expect(not child(programs, SHORTCUT).exists(), "Start-menu shortcut left")
    expect(not child(child(programs, "Startup"), SHORTCUT).exists(), "Startup shortcut left")
    expect_equal(uninstall_entry(prefix), None, "uninstall entry after the uninstall")
    expect((data / "LoginChk.dat").exists() and (data / "Active.dat").exists(), "the uninstall removed Data")


# MT4 build 600 and later under User Account Control: the expert goes into its data folder.
installer_installs_then_first_run_asks_for_mt4_then_upgrade_and_uninstall.terminal_layout = "data folder"


def later_run_shows_only_the_icon_logs_in_and_out_and_remembers_the_address(scene):
    driver = scene.driver
    scene.install.seed_installed(scene.terminal_folder)
    scene.terminal_folder.write_orders([Order("7001")])
    scene.start()
    expect_equal(driver.message(1500), None, "message box on a later run")
    expect(not driver.window_shown(SETTINGS, 0) and not driver.window_shown(LOGIN, 0),
           "a window opened on a later run")
    # Pointer moves, presses and right-button releases open nothing; a left click opens the login, Escape closes it.
    for mouse_message in (512, 513, 517):
        driver.do("tray", mouse_message)
    expect(not driver.succeeds("menu-cancel", 1000), "a menu opened for a mouse message other than 516")
    expect(not driver.window_shown("Korvane Vantor", 0) and not driver.window_shown(LOGIN, 0),
           "a window was shown for a mouse message other than 514 and 516")
    driver.do("tray", 514)
    expect(driver.window_shown(LOGIN), "a left click did not open the login window")
    driver.do("key", LOGIN, "LOGIN_TXTUSER", ESCAPE)
    expect(driver.window_gone(LOGIN), "Escape did not close the login window")

    # Setting shows the stored folder and never cuts a long path; Escape opens nothing else now.
    scene.open_from_menu(FILE_SETTING, SETTINGS)
    expect_equal(driver.text(SETTINGS, "SETTINGS_MT4LOCATION"), scene.terminal_folder.terminal, "path box")
    long_folder = "Z:\\" + "\\".join(f"Broker folder {n:02}" for n in range(1, 13)) + "\\MetaTrader4 terminal"
    driver.type(SETTINGS, "SETTINGS_MT4LOCATION", long_folder + "\\terminal.exe")
    expect(driver.text(SETTINGS, "SETTINGS_LBLORDERLOG").endswith(long_folder + "\\experts\\files"), "order log line")
    for line in ("SETTINGS_LBLORDERLOG", "SETTINGS_LBLEXPERT"):
        expect(driver.succeeds("shows-end", SETTINGS, line), f"{line} cuts the end of a path of 240 characters")
    driver.do("key", SETTINGS, "SETTINGS_MT4LOCATION", ESCAPE)
    expect(driver.window_gone(SETTINGS), "Escape did not close the settings window")
    expect(not driver.window_shown(LOGIN, 1000), "closing the settings window opened the login window again")

    scene.open_from_menu(FILE_LOGIN, LOGIN)
    scene.log_in("  solo@korvane.test ", "wrong", closes=False)
    scene.answer("Login Error", "message for a wrong password")
    expect_equal(driver.text(LOGIN, "LOGIN_TXTUSER"), "solo@korvane.test", "e-mail box trimmed by the login")
    scene.log_in("solo@korvane.test", "solo-pass", remember=True)
    expect(not driver.window_shown(SYSTEMS, 0), "the system selection opened for a single system")
    new_order = ("/SetTD.do?systemid=21&accountno=5551001&orderno=7001&ordertype=BUY&symbol=EURUSD&lots=0.10"
                 "&openprice=1.1000&stoploss=1.0950&takeprofit=1.1100&demo=1&mode=New")
    expect_equal(scene.wait_events("/SetTD.do", "7001"), [new_order], "the new order's request")
    scene.expect_no_more("/SetTD.do", "7001", 1)

    # After Logout the icon's File menu is back, with the address remembered.
    driver.pick_from_tray_menu(LIVE_LOGOUT)
    scene.open_from_menu(FILE_LOGIN, LOGIN)
    expect_equal(driver.text(LOGIN, "LOGIN_TXTUSER"), "solo@korvane.test", "remembered e-mail address")
    expect_equal(driver.do("get-check", LOGIN, "LOGIN_CHKLOGIN"), "1", "remember box")
    driver.click(LOGIN, "LOGIN_CMDCANCEL", closes=True)
    driver.pick_from_tray_menu(FILE_EXIT)
    scene.wait_end()
    start_time, counter = activity(scene.install.data)
    expect(start_time != "" and counter == "1", f"activity after a login, a report, Logout: {start_time!r} {counter}")


# MT4 run from its own folder (build 600 and later with /portable): its expert writes to MQL4\\Files there.
later_run_shows_only_the_icon_logs_in_and_out_and_remembers_the_address.terminal_layout = "portable"


def several_systems_report_every_event_once_through_a_slow_service_until_exit(scene):
    driver = scene.driver
    scene.install.seed_installed(scene.terminal_folder)
    scene.terminal_folder.leave_stale_legacy_log([Order("7509")])
    market = Order("7201")
    pending = Order("7202", kind="BUYLIMIT", open_price="1.0900")
    scene.terminal_folder.write_orders([market, pending])
    scene.start()
    scene.open_from_menu(FILE_LOGIN, LOGIN)
    driver.type(LOGIN, "LOGIN_TXTUSER", "demo@korvane.test")
    driver.type(LOGIN, "LOGIN_TXTPASS", "demo")
    driver.do("key", LOGIN, "LOGIN_TXTPASS", ENTER)  # Enter in the password box logs in
    expect(driver.window_gone(LOGIN), "the login window stayed open")
    driver.do("combo-select", SYSTEMS, "SYS_CMBSYSTEM", 1)
    expect_equal(driver.text(SYSTEMS, "SYS_CMBSYSTEM"), "13 Beta", "system shown after choosing")
    driver.do("key", SYSTEMS, "SYS_CMBSYSTEM", ENTER)  # Enter presses Proceed
    expect(driver.window_gone(SYSTEMS), "Enter did not proceed")
    for order in (market, pending):
        sent = scene.wait_events("/SetTD.do", order.number)
        expect(sent[0].startswith("/SetTD.do?systemid=13&"), f"reported under the wrong system: {sent[0]}")
    scene.expect_no_more("/SetTD.do", market.number, 1)

    market = dataclasses.replace(market, state="O2", stop_loss="1.0900")
    scene.terminal_folder.write_orders([market, pending])
    edit = ("/EditTD.do?systemid=13&accountno=5551001&orderno=7201&ordertype=BUY&lots=0.10&openprice=1.1000"
            "&stoploss=1.0900&takeprofit=1.1100&mode=Mod")
    expect_equal(scene.wait_events("/EditTD.do", market.number), [edit], "the modification's request")
    scene.expect_no_more("/EditTD.do", market.number, 1)

    market = dataclasses.replace(market, state="X2", close_price="1.1050", pnl="5.00")
    pending = dataclasses.replace(pending, state="X1")
    scene.terminal_folder.write_orders([market, pending])
    close = ("/CloseTD.do?systemid=13&accountno=5551001&orderno=7201&ordertype=BUY&lots=0.10&openprice=1.1000"
             "&stoploss=1.0900&takeprofit=1.1100&closeprice=1.1050&pnl=5.00&mode=Cls")
    delete = ("/DeleteTD.do?systemid=13&accountno=5551001&orderno=7202&ordertype=BUYLIMIT&lots=0.10"
              "&openprice=1.0900&stoploss=1.0950&takeprofit=1.1100&closeprice=0&mode=Del")
    expect_equal(scene.wait_events("/CloseTD.do", market.number), [close], "the close's request")
    expect_equal(scene.wait_events("/DeleteTD.do", pending.number), [delete], "the delete's request")
    scene.expect_no_more("/CloseTD.do", market.number, 1)
    expect_equal(len(scene.events("/DeleteTD.do", pending.number)), 1, "delete requests")

    # A slow service is waited for, and answered once.
    scene.service.set_mode("delay&ms=400")
    scene.terminal_folder.write_orders([market, pending, Order("7301")])
    wait_for(lambda: any("orderno=7301&" in line for line in scene.active_log()), 15, "the slow service's acknowledgement")
    scene.expect_no_more("/SetTD.do", "7301", 1)

    # A second start from the same folder says so and leaves the first running.
    second = scene.prefix.start(scene.install.exe, scene.folder / "second.log")
    try:
        scene.answer("Korvane - Vantor is already running.", "second start's message")
        scene.wait_end(second, 10)
    finally:
        second.kill()
        second.log_file.close()
    expect(scene.program.poll() is None, "the first program ended")
    expect(driver.succeeds("tray-icon-present"), "no notification-area icon while logged in")
    driver.pick_from_tray_menu(LIVE_EXIT)
    scene.wait_end()
    wait_for(lambda: not driver.succeeds("tray-icon-present"), 5, "the icon to go")
    start_time, counter = activity(scene.install.data)
    expect(start_time != "", "no start time after a login")
    expect_equal(counter, "6", "acknowledged requests counted in Active.dat")
    expect_equal(scene.events("/SetTD.do", "7509"), [], "requests for the stale experts\\files log's order")


# MT4 under User Account Control: the live log is in its data folder in the
# roaming folder, an old one of build 509 still lies in experts\\files.
several_systems_report_every_event_once_through_a_slow_service_until_exit.terminal_layout = "data folder"


def a_log_gone_is_told_once_in_a_box_that_holds_up_no_report(scene):
    """The first day has no box; later nobody at the screen presses OK: the box of a log gone holds up no
    report and closes by itself once the log is back."""
    driver, terminal, orders = scene.driver, scene.terminal_folder, []
    scene.install.seed_installed(terminal)
    (terminal.files / "systemorder.log").unlink()

    def reported_at_once(number):
        orders.append(Order(number))
        terminal.write_orders(orders)
        wait_for(lambda: scene.events("/SetTD.do", number), 1, f"order {number} reported within 1 s")

    # The expert was just put in and has not run yet: the tip says what to do, no box does.
    scene.start()
    scene.login_with_one_system()
    expect_equal(driver.do("msgbox-count", 4000), "0", "boxes before the expert's first run")
    reported_at_once("7601")

    (terminal.files / "systemorder.log").unlink()  # while relaying
    expect_equal(driver.message(), f"File SystemOrder.log not found in {windows_path(terminal.files)}. Drag KorvaneVantor "
                 "onto one chart in MT4 again, or choose the right MT4 folder in Setting.", "box for a log gone")
    reported_at_once("7602")
    expect(driver.window_gone(BOX), "the box stayed once the log was back")


def a_service_certificate_nobody_trusts_is_told_as_such_and_nothing_is_sent(scene):
    folder = scene.folder / "untrusted"
    folder.mkdir()
    untrusted = ReferenceService(scene.service_binary, folder, scene.terminal_folder.files, scheme="https")
    try:
        scene.install.write_data("Service.dat", untrusted.base_url + CRLF)
        scene.install.seed_installed(scene.terminal_folder)
        scene.start()
        scene.open_from_menu(FILE_LOGIN, LOGIN)
        scene.log_in("solo@korvane.test", "solo-pass", closes=False)
        scene.answer("The certificate of the Korvane - Vantor service at 127.0.0.1 is not trusted on this computer, so "
                     "nothing was sent. Check that the computer's date and time are right, or ask the service's "
                     "support.", "message for a self-signed certificate")
        expect("=>" not in untrusted.log_path.read_text(), "a request reached the service over the refused certificate")
    finally:
        untrusted.stop()


SCENARIOS = [
    installer_installs_then_first_run_asks_for_mt4_then_upgrade_and_uninstall,
    later_run_shows_only_the_icon_logs_in_and_out_and_remembers_the_address,
    several_systems_report_every_event_once_through_a_slow_service_until_exit,
    a_log_gone_is_told_once_in_a_box_that_holds_up_no_report,
    a_service_certificate_nobody_trusts_is_told_as_such_and_nothing_is_sent,
]
