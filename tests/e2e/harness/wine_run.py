"""What every scenario of one run shares: the built programs, one display,
one Wine prefix and the driver."""
import pathlib

from .wine import Display, Driver, WinePrefix


class WineRun:
    def __init__(self, mingw, native, root, desktop=None, screen=(1280, 1024)):
        mingw, native, self.root = pathlib.Path(mingw), pathlib.Path(native), pathlib.Path(root)
        self.program_exe = mingw / "src" / "platform" / "win32" / "KorvaneVantor.exe"
        self.service_binary = native / "tools" / "reference_service" / "reference_service"
        self.installer_exe = mingw / "KorvaneVantor-Setup.exe"  # built by the target installer
        driver_exe = mingw / "tools" / "wine_driver" / "kvdriver.exe"
        missing = [str(p) for p in (self.program_exe, self.service_binary, driver_exe) if not p.exists()]
        if missing:
            raise FileNotFoundError("not built: " + ", ".join(missing))
        self.display = Display(*screen)
        self.prefix = WinePrefix(self.root / "prefix", self.display, desktop)
        self.driver = Driver(self.prefix, driver_exe)

    def close(self):
        self.prefix.remove()
        self.display.stop()
