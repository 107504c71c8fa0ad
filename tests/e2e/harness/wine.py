"""One Wine prefix for the run, the program under Wine and the window driver, on the
display of DISPLAY: a private Xvfb of xvfb-run, so the tests never touch the user's screen."""
import os
import pathlib
import shutil
import subprocess
import tempfile

from .waiting import CheckFailed, expect

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"


class WinePrefix:
    def __init__(self, folder, user):
        self.folder = pathlib.Path(folder)
        # Wine names the prefix's user after USER when it makes the prefix.
        self.env = dict(os.environ, WINEPREFIX=str(self.folder), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                        USER=user, LOGNAME=user)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.set_value(r"HKCU\Software\Wine\WineDbg", "ShowCrashDialog", "0", "REG_DWORD")

    def run(self, arguments, timeout=60):
        """(exit code, standard output), through a file: a wineserver this call
        starts keeps the handle, and a pipe would never reach its end."""
        with tempfile.TemporaryFile() as output:
            code = subprocess.run([WINE] + arguments, env=self.env, stdout=output, stderr=subprocess.DEVNULL,
                                  timeout=timeout).returncode
            output.seek(0)
            return code, output.read()

    def set_value(self, key, name, value, kind="REG_SZ"):
        code, _ = self.run(["reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f"], timeout=180)
        if code != 0:
            raise RuntimeError(f"could not set {key}\\{name} in the Wine prefix {self.folder} ({code})")

    def user_folder(self):
        return next(u for u in (self.folder / "drive_c" / "users").iterdir() if u.name.lower() != "public")

    def start(self, exe, log_path, *arguments):
        log = open(log_path, "wb")
        process = subprocess.Popen([WINE, str(exe), *map(str, arguments)], env=self.env, cwd=pathlib.Path(exe).parent,
                                   stdout=log, stderr=subprocess.STDOUT)
        process.log_file = log
        return process

    def stop_server(self):
        """Ends every Windows process of the prefix, so the next scenario starts clean."""
        subprocess.run([WINESERVER, "-k"], env=self.env, capture_output=True, timeout=30)
        self.wait_server()

    def wait_server(self):
        subprocess.run([WINESERVER, "-w"], env=self.env, capture_output=True, timeout=60)


class Driver:
    """kvdriver.exe, run once per command under the same Wine server."""

    def __init__(self, prefix, exe):
        self.prefix, self.exe = prefix, str(exe)

    def run(self, *arguments):
        code, raw = self.prefix.run([self.exe] + [str(a) for a in arguments], timeout=40)
        return code, raw.decode("utf-8", errors="replace").removesuffix("\n")

    def do(self, *arguments):
        """Runs a command that must succeed and returns its output."""
        code, output = self.run(*arguments)
        if code != 0:
            raise CheckFailed(f"driver {' '.join(map(str, arguments))!r} failed ({code})")
        return output

    def succeeds(self, *arguments):
        return self.run(*arguments)[0] == 0

    def text(self, caption, control):
        return self.do("get-text", caption, control)

    def type(self, caption, control, text):
        self.do("set-text", caption, control, text)

    def click(self, caption, control, closes=False):
        """Clicks CONTROL; with CLOSES, its window must then go."""
        self.do("click", caption, control)
        expect(not closes or self.window_gone(caption), f"{control} did not close {caption!r}")

    def window_shown(self, caption, timeout_ms=10000):
        return self.succeeds("wait-window", caption, timeout_ms)

    def window_gone(self, caption, timeout_ms=10000):
        return self.succeeds("wait-gone", caption, timeout_ms)

    def message(self, timeout_ms=10000):
        """The text of the program's message box, or None when none opens in time."""
        code, output = self.run("msgbox-text", timeout_ms)
        return output if code == 0 else None

    def pick_from_tray_menu(self, position):
        """Right-clicks the icon (WM_RBUTTONDOWN) and picks the POSITIONth item of its menu."""
        self.do("tray", 516)
        self.do("menu-pick", position)


class WineRun:
    """What every scenario of one run shares: the built programs, the display, the prefix and the driver."""

    def __init__(self, mingw, native, root):
        self.root = pathlib.Path(root)
        self.program_exe = mingw / "src" / "platform" / "win32" / "KorvaneVantor.exe"
        self.service_binary = native / "tools" / "reference_service" / "reference_service"
        self.installer_exe = mingw / "KorvaneVantor-Setup.exe"  # built by the target installer
        driver_exe = mingw / "tools" / "wine_driver" / "kvdriver.exe"
        self.terminal_exe = mingw / "tools" / "mt_terminal" / "kvterminal.exe"
        # Our experts as the build ships them (MT4, MT5).
        self.experts = (mingw / "expert" / "KorvaneVantor.mq4", mingw / "expert" / "KorvaneVantor.mq5")
        missing = [str(p) for p in (self.program_exe, self.service_binary, driver_exe, self.terminal_exe)
                   if not p.exists()]
        if missing:
            raise FileNotFoundError("not built: " + ", ".join(missing))
        if "DISPLAY" not in os.environ:
            raise RuntimeError("no DISPLAY: run under xvfb-run -a")
        # A user name outside the code page, as many traders' are: so is every path in the profile.
        self.prefix = WinePrefix(self.root / "prefix", "Иван")
        self.driver = Driver(self.prefix, driver_exe)

    def close(self):
        self.prefix.stop_server()
        shutil.rmtree(self.prefix.folder, ignore_errors=True)
