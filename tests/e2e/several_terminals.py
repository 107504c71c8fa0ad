"""Three terminals relayed at once, each to its own trade system: two MT4 from
the start and an MT5 added through the Terminals window while the others are
relayed; our experts trade at random in all three, the terminals restart, and
the relay is killed and started again. Each system's record at the service
must be its own session's history, ticket by ticket, and nothing else."""
import re
import time

from harness.install import windows_path
from harness.scene import LIVE_TERMINALS, SETTLE_SECONDS, SYSTEMS, TERMINALS
from harness.terminal import SimulatedTerminal, requests_by_ticket
from harness.waiting import expect, expect_equal, wait_for
from session import wait_quiet

ENTER = 13
SYSTEM_REQUEST = re.compile(r"/(SetTD|EditTD|CloseTD|DeleteTD)\.do\?systemid=(\d+)&.*&orderno=(\d+)&")


def requests_to_system(service, system):
    """(request, order number) of every order event the service heard for one trade system."""
    return [(request, ticket) for request, to, ticket in
            (m.groups() for m in map(SYSTEM_REQUEST.match, service.requests()) if m) if to == system]


def log_in_to_the_desk(scene):
    scene.open_from_menu(1, "Korvane - Vantor Login")
    scene.log_in("desk@korvane.test", "desk-pass")
    expect(scene.driver.window_shown(SYSTEMS), "the system selection did not open")
    expect_equal(scene.driver.text(SYSTEMS, "SYS_CMBSYSTEM"), "31 Desk 1", "the first terminal's system")
    scene.driver.do("key", SYSTEMS, "SYS_CMBSYSTEM", ENTER)
    expect(scene.driver.window_gone(SYSTEMS), "Enter did not proceed")


def add_through_the_window(scene, folder, system_index, system):
    """Ticks the terminal in the list of those found on this PC, adds it and gives it its system."""
    scene.open_from_menu(LIVE_TERMINALS, TERMINALS)
    scene.driver.do("list-select", TERMINALS, "TERMINALS_LSTFOUND", windows_path(folder.root))
    scene.driver.click(TERMINALS, "TERMINALS_CMDADD")
    wait_for(lambda: folder.folder_line in scene.driver.do("list-selected", TERMINALS, "TERMINALS_LSTRELAYED"), 10,
             "the added terminal to be listed and selected")
    scene.driver.do("combo-select", TERMINALS, "TERMINALS_CMBTERMSYSTEM", system_index)
    wait_for(lambda: f"{system}|MT5|{folder.folder_line}" in (scene.install.read_data("Terminals.dat") or ""), 10,
             "the new terminal's system to be saved")
    scene.driver.click(TERMINALS, "TERMINALS_CMDCLOSE", closes=True)


def three_terminals_each_reach_their_own_system(scene):
    (_, second), (_, mt5) = scene.others
    scene.install.seed_installed(scene.terminal_folder)
    scene.install.list_terminals(scene.others[:1])
    scene.start()
    log_in_to_the_desk(scene)
    sessions = {"31": SimulatedTerminal(scene, 23, seconds=45, restart_every=9, name="first"),
                "32": SimulatedTerminal(scene, 31, seconds=45, restart_every=11, folder=second, name="second")}
    time.sleep(4)
    add_through_the_window(scene, mt5, 2, "33")
    sessions["33"] = SimulatedTerminal(scene, 14, seconds=35, restart_every=8, account="hedging", folder=mt5,
                                       name="mt5")
    time.sleep(10)
    # The relay dies while every trader pauses, so that it can miss nothing; it
    # must then neither repeat nor lose anything, in any terminal.
    for session in sessions.values():
        session.hold()
    wait_quiet(scene)
    scene.kill()
    scene.start()
    log_in_to_the_desk(scene)
    for session in sessions.values():
        session.resume()
    for session in sessions.values():
        session.wait_end(90)

    wanted = {system: requests_by_ticket((request, ticket) for _, request, ticket in session.changes())
              for system, session in sessions.items()}
    wait_for(lambda: all(requests_by_ticket(requests_to_system(scene.service, system)).keys() >= tickets.keys()
                         for system, tickets in wanted.items()), 30, "every order to reach its system")
    wait_quiet(scene)
    time.sleep(SETTLE_SECONDS)
    for system, tickets in wanted.items():
        got = requests_by_ticket(requests_to_system(scene.service, system))
        wrong = {ticket: (tickets.get(ticket), got.get(ticket)) for ticket in tickets.keys() | got.keys()
                 if tickets.get(ticket) != got.get(ticket)}
        expect(not wrong, f"system {system}: orders whose requests differ from its session (session, service): "
               + repr(wrong))
        kinds = sessions[system].kinds()
        expect(kinds["Restarted"] > 0, f"the session of system {system} had no terminal restart")
        print(f"system {system}: {len(tickets)} orders, {dict(sorted(kinds.items()))}", flush=True)
    others = {system for system in re.findall(r"systemid=(\d+)&", "\n".join(scene.service.requests()))}
    expect(others <= set(wanted), f"requests for systems no terminal goes to: {sorted(others - set(wanted))}")


three_terminals_each_reach_their_own_system.terminal_layout = "data folder"
three_terminals_each_reach_their_own_system.others = [("32", "data folder"), ("33", "mt5 data folder")]
three_terminals_each_reach_their_own_system.first_system = "31"
