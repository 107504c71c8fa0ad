"""The end-to-end scenarios: the real program under Wine, the reference
service behind it, a test MT4 order log in front of it."""
import dataclasses
import time

from harness.install import CRLF, Mt4Folder, Order, activity, windows_path
from harness.scene import FILE_EXIT, FILE_LOGIN, FILE_SETTING, LIVE_EXIT, LIVE_LOGOUT, LOGIN, SETTINGS, \
    SETTLE_SECONDS, SYSTEMS
from harness.waiting import expect, expect_equal, wait_for

OPEN_DIALOG = "Open"  # the common file dialog, as Wine titles it
FILE_NAME_BOX = "1148"  # its "File name" box


def first_run_asks_for_mt4_then_hands_over_to_login(scene):
    driver = scene.driver
    scene.start()
    scene.answer("Please locate your MT4 install folder now!", "first message")
    expect(driver.window_shown(SETTINGS), "the settings window did not open")
    expect(driver.succeeds("tray-icon-present"), "no notification-area icon")
    expect_equal(driver.text(SETTINGS, "SETTINGS_MT4LOCATION"), "terminal.exe", "path box with no MT4 folder known")

    # The search for terminal.exe is case-sensitive: the label's own spelling is refused.
    driver.type(SETTINGS, "SETTINGS_MT4LOCATION", windows_path(scene.mt4.root) + "\\Terminal.exe")
    driver.click(SETTINGS, "SETTINGS_CMDSAVE")
    scene.answer("The Application is invalid. Make sure you have chosen terminal.exe file",
                 "message for a path without terminal.exe")
    expect(driver.window_shown(SETTINGS, 1000), "the settings window closed after a refused path")
    expect_equal(scene.install.read_data("Settings.dat"), None, "Settings.dat after a refused path")

    driver.click(SETTINGS, "SETTINGS_CMDBROWSE")
    expect(driver.window_shown(OPEN_DIALOG), "Browse did not open the file dialog")
    driver.type(OPEN_DIALOG, FILE_NAME_BOX, scene.mt4.terminal)
    driver.click(OPEN_DIALOG, "1")
    expect(driver.window_gone(OPEN_DIALOG), "the file dialog stayed open")
    expect_equal(driver.text(SETTINGS, "SETTINGS_MT4LOCATION"), scene.mt4.terminal, "path box after Browse")
    driver.click(SETTINGS, "SETTINGS_CMDSAVE")
    expect(driver.window_gone(SETTINGS), "Save did not close the settings window")
    expect(driver.window_shown(LOGIN), "closing the first-run settings did not open the login window")
    expect_equal(scene.install.read_data("Settings.dat"), scene.mt4.folder_line + CRLF, "Settings.dat")
    expect_equal(scene.install.read_data("Install.dat"), CRLF, "Install.dat")
    expect_equal(driver.message(500), None, "message box after a good Save")

    # Exit before any login, from the File menu: an activity line with no start time.
    driver.pick_from_tray_menu(FILE_EXIT)
    scene.wait_end()
    expect_equal(activity(scene.install.data), ("", "0"), "start time and counter before any login")


def later_run_shows_only_the_icon_moves_the_mt4_folder_and_logs_in_and_out(scene):
    driver = scene.driver
    old = Mt4Folder(scene.folder / "old-mt4")
    scene.install.seed_installed(old)
    scene.mt4.write_orders([Order("7001")])
    scene.start()
    expect(driver.succeeds("tray-icon-present"), "no notification-area icon")
    expect_equal(driver.message(1500), None, "message box on a later run")
    expect(not driver.window_shown(SETTINGS, 0) and not driver.window_shown(LOGIN, 0),
           "a window opened on a later run")
    # Pointer moves, left clicks, double clicks and right-button releases open nothing.
    for mouse_message in (512, 513, 514, 515, 517):
        driver.do("tray", mouse_message)
    expect(not driver.succeeds("menu-cancel", 1000), "a menu opened for a mouse message other than 516")
    expect(not driver.window_shown("Korvane Vantor", 0), "the main window was shown")

    # Setting shows the stored folder; Cancel opens nothing else now, Save moves the relay.
    scene.open_from_menu(FILE_SETTING, SETTINGS)
    expect_equal(driver.text(SETTINGS, "SETTINGS_MT4LOCATION"), old.terminal, "path box")
    expect_equal(driver.text(SETTINGS, "SETTINGS_LBLORDERLOG"),
                 "Orders are read from " + windows_path(old.files) + "\\systemorder.log", "order log label")
    driver.click(SETTINGS, "SETTINGS_CMDCANCEL")
    expect(driver.window_gone(SETTINGS), "Cancel did not close the settings window")
    expect(not driver.window_shown(LOGIN, 1000), "closing the settings window opened the login window again")
    scene.open_from_menu(FILE_SETTING, SETTINGS)
    driver.type(SETTINGS, "SETTINGS_MT4LOCATION", scene.mt4.terminal)
    driver.click(SETTINGS, "SETTINGS_CMDSAVE")
    expect(driver.window_gone(SETTINGS), "Save did not close the settings window")
    expect_equal(scene.install.read_data("Settings.dat"), scene.mt4.folder_line + CRLF, "Settings.dat")

    scene.open_from_menu(FILE_LOGIN, LOGIN)
    expect_equal(driver.text(LOGIN, "LOGIN_TXTUSER"), " ", "e-mail box with nothing remembered")
    driver.type(LOGIN, "LOGIN_TXTUSER", "  solo@korvane.test ")
    driver.type(LOGIN, "LOGIN_TXTPASS", "wrong")
    driver.click(LOGIN, "LOGIN_CMDLOGIN")
    scene.answer("Login Error", "message for a wrong password")
    expect(driver.window_shown(LOGIN, 1000), "the login window closed after a refused login")
    expect_equal(driver.text(LOGIN, "LOGIN_TXTUSER"), "solo@korvane.test", "e-mail box trimmed by the login")
    driver.type(LOGIN, "LOGIN_TXTPASS", "solo-pass")
    driver.do("set-check", LOGIN, "LOGIN_CHKLOGIN", 1)
    driver.click(LOGIN, "LOGIN_CMDLOGIN")
    expect(driver.window_gone(LOGIN), "the login window stayed open after a good login")
    expect(not driver.window_shown(SYSTEMS, 0), "the system selection opened for a single system")
    logins = [t for t in scene.service.requests() if t.startswith("/LoginCheckAction.do?")]
    expect_equal(logins, ["/LoginCheckAction.do?email=solo@korvane.test&password=wrong",
                          "/LoginCheckAction.do?email=solo@korvane.test&password=solo-pass"], "login requests")
    expect_equal(scene.install.read_data("TempSyst.dat"), "21;Solo System" + CRLF, "TempSyst.dat")

    new_order = ("/SetTD.do?systemid=21&accountno=5551001&orderno=7001&ordertype=BUY&symbol=EURUSD&lots=0.10"
                 "&openprice=1.1000&stoploss=1.0950&takeprofit=1.1100&demo=1&mode=New")
    expect_equal(scene.wait_events("/SetTD.do", "7001"), [new_order], "the new order's request")
    scene.wait_logged(new_order)
    scene.expect_no_more("/SetTD.do", "7001", 1)
    expect_equal(old.read("manualorder.log"), None, "files written in the old MT4 folder")

    # Logout stops reporting; the icon's File menu is back, with the address remembered.
    driver.pick_from_tray_menu(LIVE_LOGOUT)
    time.sleep(1.5)  # a cycle already running may finish
    before = scene.service.requests()
    scene.mt4.write_orders([Order("7001", state="O2"), Order("7002")])
    time.sleep(SETTLE_SECONDS + 1)
    expect_equal(scene.service.requests(), before, "requests after Logout")
    scene.open_from_menu(FILE_LOGIN, LOGIN)
    expect_equal(driver.text(LOGIN, "LOGIN_TXTUSER"), "solo@korvane.test", "remembered e-mail address")
    expect_equal(driver.do("get-check", LOGIN, "LOGIN_CHKLOGIN"), "1", "remember box")
    driver.click(LOGIN, "LOGIN_CMDCANCEL")
    expect(driver.window_gone(LOGIN), "Cancel did not close the login window")
    expect_equal(scene.service.requests(), before, "requests after Cancel")


def several_systems_report_every_order_event_once_under_the_chosen_one(scene):
    driver = scene.driver
    scene.install.seed_installed(scene.mt4)
    market = Order("7201")
    pending = Order("7202", kind="BUYLIMIT", open_price="1.0900")
    scene.mt4.write_orders([market, pending])
    scene.start()
    scene.open_from_menu(FILE_LOGIN, LOGIN)
    driver.type(LOGIN, "LOGIN_TXTUSER", "demo@korvane.test")
    driver.type(LOGIN, "LOGIN_TXTPASS", "demo")
    driver.do("key", LOGIN, "LOGIN_TXTPASS", 13)  # Enter in the password box logs in
    expect(driver.window_shown(SYSTEMS), "two systems did not open the system selection")
    expect(driver.window_gone(LOGIN), "the login window stayed open")
    expect_equal(driver.do("combo-items", SYSTEMS, "SYS_CMBSYSTEM").splitlines(), ["12 Alpha", "13 Beta"],
                 "trade systems offered")
    expect_equal(driver.text(SYSTEMS, "SYS_CMBSYSTEM"), "12 Alpha", "system shown first")
    time.sleep(SETTLE_SECONDS)
    expect_equal(scene.service.requests_to("/SetTD.do"), [], "orders reported before a system was chosen")
    driver.do("combo-select", SYSTEMS, "SYS_CMBSYSTEM", 1)
    expect_equal(driver.text(SYSTEMS, "SYS_CMBSYSTEM"), "13 Beta", "system shown after choosing")
    driver.click(SYSTEMS, "SYS_CMDPROCCED")
    expect(driver.window_gone(SYSTEMS), "Proceed did not close the system selection")
    for order in (market, pending):
        sent = scene.wait_events("/SetTD.do", order.number)
        expect(sent[0].startswith("/SetTD.do?systemid=13&"), f"reported under the wrong system: {sent[0]}")
    scene.expect_no_more("/SetTD.do", market.number, 1)

    # A new price alone is no modification: only a new stamp is.
    market = dataclasses.replace(market, stop_loss="1.0900")
    scene.mt4.write_orders([market, pending])
    scene.expect_no_more("/EditTD.do", market.number, 0)
    market = dataclasses.replace(market, state="O2")
    scene.mt4.write_orders([market, pending])
    edit = ("/EditTD.do?systemid=13&accountno=5551001&orderno=7201&ordertype=BUY&lots=0.10&openprice=1.1000"
            "&stoploss=1.0900&takeprofit=1.1100&mode=Mod")
    expect_equal(scene.wait_events("/EditTD.do", market.number), [edit], "the modification's request")
    scene.expect_no_more("/EditTD.do", market.number, 1)

    market = dataclasses.replace(market, state="X2", close_price="1.1050", pnl="5.00")
    pending = dataclasses.replace(pending, state="X1")
    scene.mt4.write_orders([market, pending])
    close = ("/CloseTD.do?systemid=13&accountno=5551001&orderno=7201&ordertype=BUY&lots=0.10&openprice=1.1000"
             "&stoploss=1.0900&takeprofit=1.1100&closeprice=1.1050&pnl=5.00&mode=Cls")
    delete = ("/DeleteTD.do?systemid=13&accountno=5551001&orderno=7202&ordertype=BUYLIMIT&lots=0.10"
              "&openprice=1.0900&stoploss=1.0950&takeprofit=1.1100&closeprice=0&mode=Del")
    expect_equal(scene.wait_events("/CloseTD.do", market.number), [close], "the close's request")
    expect_equal(scene.wait_events("/DeleteTD.do", pending.number), [delete], "the delete's request")
    scene.expect_no_more("/CloseTD.do", market.number, 1)
    expect_equal(len(scene.events("/DeleteTD.do", pending.number)), 1, "delete requests")
    expect_equal(len(scene.events("/SetTD.do", market.number)), 1, "new-order requests at the end")

    expect_equal(len(scene.active_log()), 5, "acknowledged requests in Data\\Active.log")
    scene.wait_logged(close)
    expect_equal(scene.mt4.read("manualorder.log"), "", "known orders once both are gone")
    journal = [line for line in scene.install.data_lines("TempClose.dat") if line.strip()]
    expect_equal(sorted(journal), ["7201;X;2", "7202;X;1"], "closed-order journal")


# MT4 run from its own folder (build 600 and later with /portable): its expert writes to MQL4\\Files there.
several_systems_report_every_order_event_once_under_the_chosen_one.mt4_layout = "portable"


def refused_replies_are_retried_and_exit_records_the_run(scene):
    driver = scene.driver
    scene.install.seed_installed(scene.mt4)
    scene.mt4.leave_stale_legacy_log([Order("7509")])
    scene.start()
    scene.login_with_one_system()
    # Every way a reply can fail: each one must leave the order to be sent again.
    attempts = 0
    for mode in ("refuse", "short", "garble", "drop"):
        scene.service.set_mode(mode)
        if attempts == 0:
            scene.mt4.write_orders([Order("7301")])
        attempts = len(scene.wait_events("/SetTD.do", "7301", attempts + 2, timeout=20))
        expect(not any("orderno=7301&" in line for line in scene.active_log()),
               f"a {mode} reply was taken as an acknowledgement")
    scene.service.set_mode("delay&ms=400")  # slow but right
    wait_for(lambda: any("orderno=7301&" in line for line in scene.active_log()), 15,
             "the order acknowledged once the service answers properly")
    scene.expect_no_more("/SetTD.do", "7301", len(scene.events("/SetTD.do", "7301")))
    expect_equal(len(scene.active_log()), 1, "acknowledged lines for the order")
    expect(driver.succeeds("tray-icon-present"), "no notification-area icon while logged in")

    # A second start from the same folder says so and leaves the first running.
    second = scene.prefix.start(scene.install.exe, scene.folder / "second.log")
    try:
        scene.answer("Korvane - Vantor is already running.", "second start's message")
        scene.wait_end(second, 10)
    finally:
        second.kill()
        second.log_file.close()
    expect(scene.program.poll() is None, "the first program ended")

    driver.pick_from_tray_menu(LIVE_EXIT)
    scene.wait_end()
    wait_for(lambda: not driver.succeeds("tray-icon-present"), 5, "the icon to go")
    start_time, counter = activity(scene.install.data)
    expect(start_time != "", "no start time after a login")
    expect_equal(counter, "1", "acknowledged requests counted in Active.dat")
    expect_equal(scene.events("/SetTD.do", "7509"), [], "requests for the stale experts\\files log's order")


# MT4 under User Account Control: the live log is in its data folder in the
# roaming folder, an old one of build 509 still lies in experts\\files.
refused_replies_are_retried_and_exit_records_the_run.mt4_layout = "data folder"


SCENARIOS = [
    first_run_asks_for_mt4_then_hands_over_to_login,
    later_run_shows_only_the_icon_moves_the_mt4_folder_and_logs_in_and_out,
    several_systems_report_every_order_event_once_under_the_chosen_one,
    refused_replies_are_retried_and_exit_records_the_run,
]
