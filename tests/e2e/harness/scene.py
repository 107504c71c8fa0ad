"""What one scenario works with: its own MT4 folder, service and installation,
sharing the run's Wine prefix and display."""
import time

from .install import Mt4Folder, ProgramInstall
from .service import ReferenceService
from .waiting import CheckFailed, expect, wait_for
from .wine import wait_exit

LOGIN = "Korvane - Vantor Login"
SYSTEMS = " Trade System Selection"
SETTINGS = " MT4 Folder Location"

# Positions in the icon's menus (separators are skipped by the keyboard).
FILE_LOGIN, FILE_SETTING, FILE_EXIT = 1, 2, 3
LIVE_LOGOUT, LIVE_SETTING, LIVE_EXIT = 1, 2, 3

# Two poll cycles and some slack: long enough for a repeat to show up.
SETTLE_SECONDS = 2.5


class Scene:
    def __init__(self, run, name, mt4_layout="legacy"):
        self.folder = run.root / name
        self.folder.mkdir()
        self.driver = run.driver
        self.prefix = run.prefix
        self.installer_exe = run.installer_exe
        mt4_root = self.folder / "mt4"
        if mt4_layout == "portable":
            self.mt4 = Mt4Folder.portable(mt4_root)
        elif mt4_layout == "data folder":
            self.mt4 = Mt4Folder.with_data_folder(mt4_root, self.prefix.roaming_folder())
        else:
            self.mt4 = Mt4Folder(mt4_root)
        self.service = ReferenceService(run.service_binary, self.folder, self.mt4.files)
        self.install = ProgramInstall(self.folder / "install", run.program_exe, self.service.base_url)
        self.program = None
        self.program_log = self.folder / "program.log"

    def start(self):
        self.program = self.prefix.start(self.install.exe, self.program_log)
        if not self.driver.succeeds("wait-main", 30000):
            raise CheckFailed("the program's main window did not appear")

    def close(self):
        if self.program is not None:
            if self.program.poll() is None:
                self.program.kill()
                self.program.wait(10)
            self.program.log_file.close()
        self.prefix.stop_server()
        self.service.stop()

    # --- the trader's steps -------------------------------------------------
    def login(self, email, password, remember=False):
        """Opens the login window from the icon's File menu and logs in."""
        self.driver.pick_from_tray_menu(FILE_LOGIN)
        expect(self.driver.window_shown(LOGIN), "the Login command did not open the login window")
        self.driver.type(LOGIN, "LOGIN_TXTUSER", email)
        self.driver.type(LOGIN, "LOGIN_TXTPASS", password)
        self.driver.do("set-check", LOGIN, "LOGIN_CHKLOGIN", 1 if remember else 0)
        self.driver.click(LOGIN, "LOGIN_CMDLOGIN")

    def login_with_one_system(self, remember=False):
        self.login("solo@korvane.test", "solo-pass", remember)
        expect(self.driver.window_gone(LOGIN), "the login window stayed open after a good login")

    # --- what the service saw -----------------------------------------------
    def events(self, path, order_number):
        """The requests to PATH about one order."""
        return [t for t in self.service.requests_to(path) if f"&orderno={order_number}&" in t]

    def wait_events(self, path, order_number, count=1, timeout=15):
        return wait_for(lambda: len(self.events(path, order_number)) >= count and self.events(path, order_number),
                        timeout, f"{count} {path} request(s) for order {order_number}")

    def expect_no_more(self, path, order_number, count):
        """After the acknowledgement the order is not reported again."""
        time.sleep(SETTLE_SECONDS)
        sent = self.events(path, order_number)
        expect(len(sent) == count, f"{path} for order {order_number} sent {len(sent)} times, wanted {count}:\n"
               + "\n".join(sent))

    def active_log(self):
        return self.install.data_lines("Active.log")

    def wait_logged(self, target, timeout=10):
        """The acknowledged request's line in Data\\Active.log: its full URL in double quotes."""
        line = '"' + self.service.base_url + target + '"'
        wait_for(lambda: line in self.active_log(), timeout, f"{line} in Data\\Active.log")

    def wait_program_end(self, timeout=15):
        expect(wait_exit(self.program, timeout), "the program did not end")

    def diagnostics(self):
        parts = ["windows:\n" + self.driver.windows(), "service log:\n" + self.service.log_tail()]
        if self.program_log.exists():
            parts.append("program output:\n" + self.program_log.read_text(errors="replace")[-2000:])
        return "\n".join(parts)

