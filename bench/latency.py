"""The relay under Wine against the reference service on loopback: how soon a
new order in systemorder.log reaches the service, what a burst of 200 costs
against a bare WinHTTP loop, the relay's CPU while an expert rewrites its
log every 50 ms, and our MT4 and MT5 experts in the simulated terminal trading at random:
from each change, and from the write that carried it, to its request.
Prints the figures; judges nothing."""
import argparse
import collections
import math
import os
import pathlib
import random
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "e2e"))
from harness.install import Order  # noqa: E402
from harness.scene import Scene  # noqa: E402
from harness.terminal import EVENT_REQUEST, SimulatedTerminal  # noqa: E402
from harness.waiting import wait_for  # noqa: E402
from harness.wine import WineRun  # noqa: E402


def arrivals(scene, path):
    """(arrival on the monotonic clock in seconds, order number) of every request to PATH."""
    lines = scene.service.get("/__requests?times=1").splitlines()  # "MICROSECONDS TARGET"
    return [(int(micros) / 1e6, target.split("&orderno=", 1)[1].split("&", 1)[0])
            for micros, target in (line.split(" ", 1) for line in lines) if target.startswith(path + "?")]


def wait_reported(scene, numbers, timeout=30):
    """The arrival of the first SetTD of each order number."""
    wanted = set(numbers)

    def first_arrivals():
        seen = {}
        for when, number in arrivals(scene, "/SetTD.do"):
            if number in wanted and number not in seen:
                seen[number] = when
        return seen if len(seen) == len(wanted) else None

    return wait_for(first_arrivals, timeout, f"{len(wanted)} new orders reported", interval=0.02)


def publish(scene, orders):
    """Rewrites the log as an expert does; the moment the new log is in place."""
    scene.terminal_folder.write_orders(orders)
    return time.monotonic()


def percentile(values, share):
    ordered = sorted(values)
    return ordered[max(0, math.ceil(share * len(ordered)) - 1)]


def cpu_seconds(pid):
    fields = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def windows_process(name, prefix):
    """The Linux process of a Windows program, or the wineserver, of this prefix."""
    for entry in pathlib.Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            command = (entry / "cmdline").read_bytes()
            environment = (entry / "environ").read_bytes()
        except OSError:
            continue
        if name.encode() in command and f"WINEPREFIX={prefix}".encode() in environment.split(b"\0"):
            return int(entry.name)
    raise RuntimeError(f"no process {name} in the prefix {prefix}")


def latency(scene, orders, events):
    delays = []
    for event in range(events):
        time.sleep(random.uniform(0.15, 0.6))  # a random moment against the poll timer
        orders.append(Order(str(50000 + event)))
        written = publish(scene, orders)
        delays.append((wait_reported(scene, [orders[-1].number])[orders[-1].number] - written) * 1000)
    return delays


def burst(scene, orders, count, loop_exe, rounds=3):
    """The best of ROUNDS for each side, so that neither is judged by a slow
    moment of this shared machine: the relay's cost per event inside a burst
    of COUNT new orders (and from the write to the last request), and a bare
    WinHTTP loop's cost per request."""
    per_event, to_last, per_request = [], [], []
    for round in range(rounds):
        new = [Order(str(60000 + round * count + i)) for i in range(count)]
        written = publish(scene, orders + new)
        seen = sorted(wait_reported(scene, [o.number for o in new]).values())
        orders.extend(new)
        per_event.append((seen[-1] - seen[0]) * 1000 / (count - 1))
        to_last.append((seen[-1] - written) * 1000)
        url = scene.service.base_url + "/SetTD.do?systemid=21&orderno=" + new[0].number + "&mode=New"
        code, output = scene.prefix.run([str(loop_exe), url, str(count)], timeout=120)
        if code != 0:
            raise RuntimeError(f"the bare WinHTTP loop failed: {output!r}")
        per_request.append(float(output.decode().split("ms=")[1]) / count)
    return min(to_last), min(per_event), min(per_request)


def busy_expert_cpu(scene, seconds, period):
    """CPU of the relay (and of the wineserver, which serves its calls) while
    an expert rewrites 100 open orders with moving profits every PERIOD s."""
    held = [Order(str(70000 + i)) for i in range(100)]
    publish(scene, held)
    wait_reported(scene, [o.number for o in held])
    time.sleep(2)
    relay = windows_process("KorvaneVantor.exe", scene.prefix.folder)
    server = windows_process("wineserver", scene.prefix.folder)
    relay_before, server_before = cpu_seconds(relay), cpu_seconds(server)
    before = len(scene.service.requests())
    started = time.monotonic()
    writes = 0
    while time.monotonic() - started < seconds:
        for order in held:
            order.pnl = f"{random.uniform(-500, 500):.2f}"
        publish(scene, held)
        writes += 1
        time.sleep(max(0.0, started + writes * period - time.monotonic()))
    elapsed = time.monotonic() - started
    sent = len(scene.service.requests()) - before
    return (100 * (cpu_seconds(relay) - relay_before) / elapsed, 100 * (cpu_seconds(server) - server_before) / elapsed,
            writes, sent)


def expert_session(run, seconds, account=None):
    """Our expert (50 ms period) in kvterminal.exe, trading at random for SECONDS on MT4, or on an MT5
    ACCOUNT (its orders executed late and in parts): (change to request ms, the expert's write to request
    ms, relay CPU %, unmatched). A change of an MT5 line is its last deal."""
    scene = Scene(run, f"session-{account or 'mt4'}", "mt5 data folder" if account else "data folder")
    try:
        scene.install.seed_installed(scene.terminal_folder)
        scene.start()
        scene.login_with_one_system()
        relay = windows_process("KorvaneVantor.exe", scene.prefix.folder)
        relay_before, started = cpu_seconds(relay), time.monotonic()
        terminal = SimulatedTerminal(scene, 20261207, seconds, restart_every=0, account=account)
        terminal.wait_end(seconds + 30)
        cpu = 100 * (cpu_seconds(relay) - relay_before) / (time.monotonic() - started)
        time.sleep(2)  # the last requests
        wall_minus_steady = time.time() - time.monotonic()  # the service stamps by the monotonic clock
        arrivals = collections.defaultdict(list)
        for line in scene.service.get("/__requests?times=1").splitlines():
            micros, target = line.split(" ", 1)
            if match := EVENT_REQUEST.match(target):
                arrivals[match.groups()].append(int(micros) / 1e6 + wall_minus_steady)
        writes = [int(f[0]) / 1e6 for f in terminal.lines() if f[1] == "Written"]
        to_request, from_write, unmatched, seen = [], [], 0, collections.Counter()
        for when, request, ticket in terminal.changes():
            key = (request, ticket)
            times = arrivals[key]
            write = next((w for w in writes if w >= when), None)
            if write is None:
                continue  # the session ended before the expert wrote it
            if seen[key] >= len(times):
                unmatched += 1
                continue
            arrived = times[seen[key]]
            seen[key] += 1
            to_request.append((arrived - when) * 1000)
            from_write.append((arrived - write) * 1000)
        return to_request, from_write, cpu, unmatched
    finally:
        scene.close()


def spread(delays):
    return (f"p50 {statistics.median(delays):.1f} ms, p90 {percentile(delays, 0.9):.1f} ms, "
            f"max {max(delays):.1f} ms")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("mingw", type=pathlib.Path)
    parser.add_argument("native", type=pathlib.Path)
    parser.add_argument("--program", type=pathlib.Path, help="another KorvaneVantor.exe, to compare builds")
    parser.add_argument("--events", type=int, default=30)
    parser.add_argument("--cpu-seconds", type=float, default=60)
    parser.add_argument("--session-seconds", type=float, default=40)
    options = parser.parse_args()
    random.seed(20261207)
    loop_exe = options.mingw.resolve() / "bench" / "win32" / "kvhttploop.exe"
    root = pathlib.Path(tempfile.mkdtemp(prefix="kv-latency-"))
    run = WineRun(options.mingw.resolve(), options.native.resolve(), root)
    if options.program:
        run.program_exe = options.program.resolve()
    try:
        scene = Scene(run, "latency")
        try:
            orders = [Order(str(40000 + i)) for i in range(5)]
            scene.terminal_folder.write_orders(orders)
            scene.install.seed_installed(scene.terminal_folder)
            scene.start()
            scene.login_with_one_system()
            wait_reported(scene, [o.number for o in orders])

            delays = latency(scene, orders, options.events)
            print(f"event to request over {len(delays)} new orders: p50 {statistics.median(delays):.1f} ms, "
                  f"p90 {percentile(delays, 0.9):.1f} ms, max {max(delays):.1f} ms")
            to_last, per_event, per_request = burst(scene, orders, 200, loop_exe)
            print(f"burst of 200 new orders, best of 3: {per_event:.2f} ms per event inside it ({to_last:.0f} ms from "
                  f"the write to the last request); bare WinHTTP loop, best of 3: {per_request:.2f} ms per request; "
                  f"ratio {per_event / per_request:.2f}")
            relay_cpu, server_cpu, writes, sent = busy_expert_cpu(scene, options.cpu_seconds, 0.05)
            print(f"CPU over {options.cpu_seconds:.0f} s, expert rewriting 100 open orders every 50 ms "
                  f"({writes} writes, {sent} requests): relay {relay_cpu:.2f}% of one core, "
                  f"wineserver {server_cpu:.2f}%")
        finally:
            scene.close()
        for account in (None, "hedging"):
            to_request, from_write, cpu, unmatched = expert_session(run, options.session_seconds, account)
            print(f"our {'MT5' if account else 'MT4'} expert in the simulated terminal, {len(to_request)} changes over "
                  f"{options.session_seconds:.0f} s ({unmatched} without a request): the trade to the request "
                  f"{spread(to_request)}; the expert's write to the request {spread(from_write)}; relay CPU {cpu:.2f}% "
                  f"of one core")
    finally:
        run.close()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
