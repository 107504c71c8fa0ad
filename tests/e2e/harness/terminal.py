"""kvterminal.exe: the simulated MT4 or MT5 terminal with our expert, playing a
seeded random session into the scene's terminal's data folder, and its own history."""
import collections
import re

from .install import windows_path
from .waiting import wait_for

# The request each change of the session must bring about at the service.
REQUEST_OF = {"Opened": "SetTD", "Modified": "EditTD", "Filled": "EditTD", "Closed": "CloseTD",
              "Deleted": "DeleteTD", "Expired": "DeleteTD"}
EVENT_REQUEST = re.compile(r"/(SetTD|EditTD|CloseTD|DeleteTD)\.do\?.*&orderno=(\d+)&")


class SimulatedTerminal:
    def __init__(self, scene, seed, seconds, restart_every=0, step_ms="300-700", account=None, folder=None,
                 name="session"):
        """FOLDER: the TerminalFolder it runs in, the scene's first by default; NAME tells its files apart."""
        self.history = scene.folder / f"{name}.txt"
        self.hold_file = scene.folder / f"{name}-hold"
        folder = folder or scene.terminal_folder
        arguments = ["--mt5" if account else "--mt4", windows_path(folder.root), "--seed", str(seed),
                     "--history", windows_path(self.history), "--seconds", str(seconds), "--step-ms", step_ms,
                     "--restart-every", str(restart_every), "--hold-file", windows_path(self.hold_file)]
        arguments += ["--account", account] if account else []
        self.process = scene.prefix.start(scene.terminal_exe, scene.folder / f"{name}-terminal.log", *arguments)

    def lines(self):
        """The whole lines of the history so far, split into fields."""
        text = self.history.read_text() if self.history.exists() else ""
        return [line.split(" ") for line in text[:text.rfind("\n") + 1].splitlines()]

    def changes(self):
        """(wall clock in seconds, request, ticket) of every change the trader or the market made."""
        return [(int(f[0]) / 1e6, REQUEST_OF[f[1]], f[2]) for f in self.lines() if f[1] in REQUEST_OF]

    def count(self, what):
        return sum(1 for f in self.lines() if f[1] == what)

    def kinds(self):
        """How many of each kind of line, closes told apart by their reason ("Closed partly")."""
        return collections.Counter(" ".join([f[1]] + f[4:5]) for f in self.lines())

    def hold(self):
        """Pauses the trader and the market; returns once the terminal has."""
        held = self.count("Held")
        self.hold_file.touch()
        wait_for(lambda: self.count("Held") > held, 10, "the session to pause")

    def resume(self):
        self.hold_file.unlink()

    def wait_end(self, timeout):
        wait_for(lambda: self.count("End"), timeout, "the end of the session")
        self.process.wait(10)
        self.process.log_file.close()


def requests_by_ticket(pairs):
    """{ticket: [request, ...]} in the order given."""
    sequences = collections.defaultdict(list)
    for request, ticket in pairs:
        sequences[ticket].append(request)
    return dict(sequences)


def reported(service):
    """(request, order number) of every order event request the service received."""
    return [m.groups() for m in map(EVENT_REQUEST.match, service.requests()) if m]
