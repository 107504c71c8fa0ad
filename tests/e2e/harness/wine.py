"""Xvfb, a fresh Wine prefix, the program under Wine and the window driver."""
import os
import pathlib
import shutil
import subprocess
import tempfile
import time

from .waiting import CheckFailed

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"


class Display:
    """A private Xvfb server, so the tests never touch the user's screen."""

    def __init__(self, width=1280, height=1024):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as announced:
            number = announced.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number

    def screenshot(self, path, crop=None):
        """Saves the screen, or the part CROP = (x, y, width, height) of it, as a PNG."""
        command = ["import", "-display", self.name, "-window", "root"]
        if crop:
            x, y, w, h = crop
            command += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
        subprocess.run(command + [str(path)], check=True, timeout=30)

    def stop(self):
        self.process.terminate()
        self.process.wait(10)


class WinePrefix:
    """One Wine prefix for the whole run, its crash dialog off. With DESKTOP
    ("800x600") every window opens inside one Wine-drawn desktop, title bars
    included, which suits screenshots on a server without a window manager."""

    def __init__(self, folder, display, desktop=None):
        self.folder = pathlib.Path(folder)
        self.env = dict(os.environ, WINEPREFIX=str(self.folder), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", DISPLAY=display.name)
        self.env.pop("WAYLAND_DISPLAY", None)
        code, _ = self.run(["reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog",
                            "/t", "REG_DWORD", "/d", "0", "/f"], timeout=180)
        if code != 0:
            raise RuntimeError(f"could not set up the Wine prefix {self.folder} ({code})")
        if desktop:
            self.run(["reg", "add", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/d", "Default", "/f"])
            self.run(["reg", "add", r"HKCU\Software\Wine\Explorer\Desktops", "/v", "Default", "/d", desktop, "/f"])
            self.stop_server()  # the desktop setting counts from the next start

    def run(self, arguments, timeout=60):
        """(exit code, standard output). The output goes through a file, not a
        pipe: a wineserver that this call happens to start keeps the handles it
        was given, and a pipe would then never reach its end."""
        with tempfile.TemporaryFile() as output:
            code = subprocess.run([WINE] + arguments, env=self.env, stdout=output, stderr=subprocess.DEVNULL,
                                  timeout=timeout).returncode
            output.seek(0)
            return code, output.read()

    def roaming_folder(self):
        """The user's roaming application data, where MT4 build 600 and later keeps its data folders."""
        users = [u for u in (self.folder / "drive_c" / "users").iterdir() if u.name.lower() != "public"]
        return users[0] / "AppData" / "Roaming"

    def start(self, exe, log_path):
        log = open(log_path, "wb")
        process = subprocess.Popen([WINE, str(exe)], env=self.env, cwd=str(pathlib.Path(exe).parent),
                                   stdout=log, stderr=subprocess.STDOUT)
        process.log_file = log
        return process

    def stop_server(self):
        """Ends every Windows process of the prefix, so the next scenario starts clean."""
        subprocess.run([WINESERVER, "-k"], env=self.env, capture_output=True, timeout=30)
        subprocess.run([WINESERVER, "-w"], env=self.env, capture_output=True, timeout=30)

    def remove(self):
        self.stop_server()
        shutil.rmtree(self.folder, ignore_errors=True)


class Driver:
    """kvdriver.exe, run once per command under the same Wine server."""

    def __init__(self, prefix, exe):
        self.prefix = prefix
        self.exe = str(exe)

    def run(self, *arguments, timeout_s=40):
        """(exit code, output without its last line end)."""
        code, raw = self.prefix.run([self.exe] + [str(a) for a in arguments], timeout=timeout_s)
        output = raw.decode("utf-8", errors="replace")
        return code, output[:-1] if output.endswith("\n") else output

    def do(self, *arguments):
        """Runs a command that must succeed and returns its output."""
        code, output = self.run(*arguments)
        if code != 0:
            raise CheckFailed(f"driver {' '.join(map(str, arguments))!r} failed ({code})")
        return output

    def succeeds(self, *arguments):
        return self.run(*arguments)[0] == 0

    # The commands the scenarios use most, by name.
    def text(self, caption, control):
        return self.do("get-text", caption, control)

    def type(self, caption, control, text):
        self.do("set-text", caption, control, text)

    def click(self, caption, control):
        self.do("click", caption, control)

    def window_shown(self, caption, timeout_ms=10000):
        return self.succeeds("wait-window", caption, timeout_ms)

    def window_gone(self, caption, timeout_ms=10000):
        return self.succeeds("wait-gone", caption, timeout_ms)

    def message(self, timeout_ms=10000):
        """The text of the program's message box, or None when none opens in time."""
        code, output = self.run("msgbox-text", timeout_ms)
        return output if code == 0 else None

    def dismiss_message(self):
        self.do("msgbox-ok")

    def pick_from_tray_menu(self, position):
        """Right-clicks the icon and picks the POSITIONth item of the menu that opens."""
        self.do("tray", 516)
        self.do("menu-pick", position)

    def tray_icon_shown(self):
        return self.succeeds("tray-icon-present")

    def windows(self):
        return self.run("list-windows")[1]


def wait_exit(process, timeout):
    """True when PROCESS ended within TIMEOUT seconds."""
    deadline = time.monotonic() + timeout
    while process.poll() is None:
        if time.monotonic() >= deadline:
            return False
        time.sleep(0.1)
    return True
