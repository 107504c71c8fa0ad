"""Our experts, in the simulated terminal, feeding the real program: a seeded random session with MT4
restarts, lost connections and a relay killed and started again, and a short one on an MT5 hedging
account with executions that take time and come in parts, must reach the service event for event, and
nothing more. Both sessions are harsh (tools/mt_terminal/random_session.h)."""
import time

from harness.scene import SETTLE_SECONDS
from harness.terminal import SimulatedTerminal, reported, requests_by_ticket
from harness.waiting import expect, wait_for

SEED = 23  # a session that has every kind of change below, with room to spare
# Each must happen, or the session proves less than it claims.
COVERED = [["Opened"], ["Modified"], ["Filled"], ["Closed partly"], ["Closed at-stop-loss", "Closed at-take-profit"],
           ["Deleted", "Expired"], ["Restarted"], ["Reconnected"]]
MT5_SEED = 14  # the same, but for partial closes: on hedging they keep the line, a modification


def wait_quiet(scene, quiet=1.5, timeout=15):
    """Until the service has heard nothing new for QUIET seconds."""
    seen = {"count": -1, "since": time.monotonic()}

    def still():
        count = len(scene.service.requests())
        if count != seen["count"]:
            seen.update(count=count, since=time.monotonic())
        return time.monotonic() - seen["since"] >= quiet

    wait_for(still, timeout, "the relay to fall quiet")


def real_expert_session_reaches_the_service_event_for_event(scene):
    scene.install.seed_installed(scene.terminal_folder)
    scene.start()
    scene.login_with_one_system()
    terminal = SimulatedTerminal(scene, SEED, seconds=50, restart_every=9)
    time.sleep(12)
    # The relay dies while the trader pauses, so that it can miss nothing; it
    # must then neither repeat nor lose anything.
    terminal.hold()
    wait_quiet(scene)
    scene.kill()
    scene.start()
    scene.login_with_one_system()
    terminal.resume()
    terminal.wait_end(90)
    service_heard_the_session(scene, terminal, COVERED, "1 relay kill")


def service_heard_the_session(scene, terminal, covered, also):
    wanted = requests_by_ticket((request, ticket) for _, request, ticket in terminal.changes())
    wait_for(lambda: requests_by_ticket(reported(scene.service)).keys() >= wanted.keys(), 20,
             "every order to reach the service")
    wait_quiet(scene)
    time.sleep(SETTLE_SECONDS)
    got = requests_by_ticket(reported(scene.service))
    wrong = {ticket: (wanted.get(ticket), got.get(ticket)) for ticket in wanted.keys() | got.keys()
             if wanted.get(ticket) != got.get(ticket)}
    expect(not wrong, "orders whose requests differ from the session (session, service): " + repr(wrong))
    kinds = terminal.kinds()
    print(f"session: {len(wanted)} orders, {dict(sorted(kinds.items()))}, {also}", flush=True)
    missing = [" or ".join(names) for names in covered if not any(kinds[name] for name in names)]
    expect(not missing, f"the session had no {missing}")


real_expert_session_reaches_the_service_event_for_event.terminal_layout = "data folder"


def real_mt5_expert_hedging_session_reaches_the_service_event_for_event(scene):
    scene.install.seed_installed(scene.terminal_folder)
    scene.start()
    scene.login_with_one_system()
    mt5 = SimulatedTerminal(scene, MT5_SEED, seconds=30, restart_every=8, account="hedging")
    mt5.wait_end(50)
    service_heard_the_session(scene, mt5, [c for c in COVERED if c != ["Closed partly"]], "MT5 hedging")


real_mt5_expert_hedging_session_reaches_the_service_event_for_event.terminal_layout = "mt5 data folder"
SESSIONS = [real_expert_session_reaches_the_service_event_for_event,
            real_mt5_expert_hedging_session_reaches_the_service_event_for_event]
