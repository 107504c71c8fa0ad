"""A throw-away installation of the program and a demo MT4 folder."""
import dataclasses
import hashlib
import os
import pathlib
import shutil
import time

CRLF = "\r\n"
# Dated after any login date, so the start-up load leaves these orders to be
# reported as new rather than taking them as already known.
FUTURE_DATE = "20991231"


def windows_path(path):
    """The path as the program sees it under Wine (drive Z: is the root)."""
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")


@dataclasses.dataclass
class Order:
    """One line of the MT4 order log."""
    number: str
    state: str = "O1"  # state mark and modification stamp
    kind: str = "BUY"
    symbol: str = "EURUSD"
    lots: str = "0.10"
    open_price: str = "1.1000"
    stop_loss: str = "1.0950"
    take_profit: str = "1.1100"
    close_price: str = "0"
    pnl: str = "0"
    demo: str = "1"
    account: str = "5551001"
    date: str = FUTURE_DATE

    def line(self):
        return ";".join([self.date, "e2e", self.account, self.number, self.state, self.kind, self.symbol,
                         self.lots, self.open_price, self.stop_loss, self.take_profit, self.close_price,
                         self.pnl, self.demo])


def data_folder_name(mt4_root):
    """The name MT4 build 600 and later gives an installation's data folder:
    the MD5 of its path, upper-cased, as UTF-16LE."""
    return hashlib.md5(windows_path(mt4_root).upper().encode("utf-16-le")).hexdigest().upper()


class Mt4Folder:
    """An MT4 installation as far as the program looks at it. Its expert
    writes into FILES: by default experts\\files, as MT4 up to build 509 did."""

    def __init__(self, root, files=None):
        self.root = pathlib.Path(root)
        self.files = pathlib.Path(files) if files else self.root / "experts" / "files"
        self.root.mkdir(parents=True, exist_ok=True)
        self.files.mkdir(parents=True)
        (self.root / "terminal.exe").write_bytes(b"")
        self.write_orders([])

    @classmethod
    def portable(cls, root):
        """MT4 run from its own folder: MQL4\\Files in it."""
        return cls(root, pathlib.Path(root) / "MQL4" / "Files")

    @classmethod
    def with_data_folder(cls, root, roaming):
        """MT4 under User Account Control: MQL4\\Files of its data folder in
        the roaming folder, named by the MD5 rule, with its origin.txt."""
        data = pathlib.Path(roaming) / "MetaQuotes" / "Terminal" / data_folder_name(root)
        mt4 = cls(root, data / "MQL4" / "Files")
        (data / "origin.txt").write_bytes(b"\xff\xfe" + windows_path(root).encode("utf-16-le"))
        return mt4

    def leave_stale_legacy_log(self, orders):
        """What the upgrade to build 600 left behind: experts\\files with a log of years ago."""
        legacy = self.root / "experts" / "files"
        legacy.mkdir(parents=True)
        log = legacy / "systemorder.log"
        log.write_bytes("".join(order.line() + CRLF for order in orders).encode("ascii"))
        years_ago = time.time() - 2 * 365 * 24 * 3600
        os.utime(log, (years_ago, years_ago))

    @property
    def terminal(self):
        return windows_path(self.root / "terminal.exe")

    @property
    def folder_line(self):
        """The MT4 folder as Settings.dat holds it: with its trailing backslash."""
        return windows_path(self.root) + "\\"

    def write_orders(self, orders):
        # Replaced whole, as the expert does, so no poll sees half a file.
        temporary = self.files / "systemorder.log.tmp"
        temporary.write_bytes("".join(order.line() + CRLF for order in orders).encode("ascii"))
        os.replace(temporary, self.files / "systemorder.log")

    def read(self, name):
        path = self.files / name
        return path.read_bytes().decode("latin-1") if path.exists() else None


class ProgramInstall:
    """KorvaneVantor.exe copied into its own folder, with a Data folder beside it."""

    def __init__(self, root, exe, service_url):
        self.root = pathlib.Path(root)
        self.data = self.root / "Data"
        self.data.mkdir(parents=True)
        self.exe = self.root / "KorvaneVantor.exe"
        shutil.copy2(exe, self.exe)
        self.write_data("Service.dat", service_url + CRLF)

    def write_data(self, name, text):
        (self.data / name).write_bytes(text.encode("latin-1"))

    def read_data(self, name):
        path = self.data / name
        return path.read_bytes().decode("latin-1") if path.exists() else None

    def data_lines(self, name):
        text = self.read_data(name)
        return [] if text is None else text.split(CRLF)[:-1] if text.endswith(CRLF) else text.split(CRLF)

    def seed_installed(self, mt4):
        """A later run: the MT4 folder is known and the first-run marker exists."""
        self.write_data("Settings.dat", mt4.folder_line + CRLF)
        self.write_data("Install.dat", CRLF)
