"""What one scenario works with: its own terminal folder, service and installation,
sharing the run's Wine prefix and display; and the trader's steps on them."""
import time

from .install import TerminalFolder, ProgramInstall
from .service import ReferenceService
from .waiting import expect, expect_equal, wait_for

LOGIN = "Korvane - Vantor Login"
SYSTEMS = " Trade System Selection"
SETTINGS = " MT4 Folder Location"
SETTINGS_MT5 = " MT5 Folder Location"  # once an MT5 is named in it
TERMINALS = " Terminals"
# Positions in the icon's menus (the keyboard skips separators).
FILE_LOGIN, FILE_SETTING, FILE_TERMINALS, FILE_EXIT = 1, 2, 3, 4
LIVE_LOGOUT, LIVE_SETTING, LIVE_TERMINALS, LIVE_EXIT = 1, 2, 3, 4
# Two poll cycles and some slack: long enough for a repeat to show up.
SETTLE_SECONDS = 2.5


class Scene:
    def __init__(self, run, name, terminal_layout="legacy", others=(), first_system=None):
        """OTHERS: [(system id, layout)] of further terminals, each answered for its own trade
        system; FIRST_SYSTEM: the first terminal's, when they are given."""
        self.folder = run.root / name
        self.folder.mkdir()
        self.driver, self.prefix, self.installer_exe = run.driver, run.prefix, run.installer_exe
        self.terminal_exe, self.experts = run.terminal_exe, run.experts
        roaming = self.prefix.user_folder() / "AppData" / "Roaming"
        self.terminal_folder = TerminalFolder(self.folder / "陈伟 Νίκη mt4", terminal_layout, roaming)
        self.others = [(system, TerminalFolder(self.folder / f"terminal {number + 2}", layout, roaming))
                       for number, (system, layout) in enumerate(others)]
        files_of = {system: folder.files for system, folder in self.others}
        if first_system:
            files_of[first_system] = self.terminal_folder.files
        self.service_binary = run.service_binary
        self.service = ReferenceService(run.service_binary, self.folder, self.terminal_folder.files, files_of=files_of)
        self.install = ProgramInstall(self.folder / "Программа", run.program_exe, self.service.base_url)
        self.program = None
        self.program_log = self.folder / "program.log"

    def start(self, exe=None):
        self.program = self.prefix.start(exe or self.install.exe, self.program_log)
        expect(self.driver.succeeds("wait-main", 30000), "the program's main window did not appear")

    def kill(self):
        """Ends the program as a crash or the Task Manager would: no Exit."""
        if self.program is not None:
            self.program.kill()
            self.program.wait(10)
            self.program.log_file.close()
            self.program = None

    def close(self):
        self.kill()
        self.prefix.stop_server()
        self.service.stop()

    def wait_end(self, process=None, timeout=15):
        process = process or self.program
        wait_for(lambda: process.poll() is not None, timeout, "the program to end")

    def open_from_menu(self, position, caption):
        """Picks the icon menu's POSITIONth item, which must open the window CAPTION."""
        self.driver.pick_from_tray_menu(position)
        expect(self.driver.window_shown(caption), f"menu item {position} did not open {caption!r}")

    def answer(self, text, what):
        """The program's message box must say TEXT; OK closes it."""
        expect_equal(self.driver.message(), text, what)
        self.driver.do("msgbox-ok")

    def log_in(self, email, password, remember=False, closes=True):
        """Fills the open login window and clicks Login."""
        self.driver.type(LOGIN, "LOGIN_TXTUSER", email)
        self.driver.type(LOGIN, "LOGIN_TXTPASS", password)
        self.driver.do("set-check", LOGIN, "LOGIN_CHKLOGIN", 1 if remember else 0)
        self.driver.click(LOGIN, "LOGIN_CMDLOGIN", closes)

    def login_with_one_system(self):
        self.open_from_menu(FILE_LOGIN, LOGIN)
        self.log_in("solo@korvane.test", "solo-pass")

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

    def diagnostics(self):
        service_log = self.service.log_path.read_text(errors="replace").splitlines()[-30:]
        program_log = self.program_log.read_text(errors="replace")[-2000:] if self.program_log.exists() else ""
        return "\n".join(["windows:", self.driver.run("list-windows")[1], "service log:", *service_log,
                          "program output:", program_log])
