"""The relay under Wine relaying ten terminals at once, each to its own trade
system at the reference service, while the expert of each rewrites its 100 open
orders with moving profits every 50 ms: the relay's CPU, the time from the
write that carries a new order to its request in every terminal, and the
relay's memory over the run. Then one terminal alone, for comparison.
Prints the figures; judges nothing."""
import argparse
import math
import pathlib
import random
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "e2e"))
from harness.install import Order  # noqa: E402
from harness.scene import Scene, SYSTEMS  # noqa: E402
from harness.waiting import wait_for  # noqa: E402
from harness.wine import WineRun  # noqa: E402
from latency import cpu_seconds, percentile, windows_process  # noqa: E402

ENTER = 13
PERIOD = 0.05  # each expert's rewrite
OPEN_ORDERS = 100


def memory_kib(pid):
    """(resident, anonymous) KiB: anonymous is the program's own heap and stacks, resident adds
    the mapped Wine and Windows libraries it shares."""
    fields = dict(line.split(":", 1) for line in pathlib.Path(f"/proc/{pid}/status").read_text().splitlines())
    return int(fields["VmRSS"].split()[0]), int(fields["RssAnon"].split()[0])


def first_arrivals(scene):
    """{(system id, order number): the monotonic second of its first SetTD}."""
    seen = {}
    for line in scene.service.get("/__requests?times=1").splitlines():
        micros, target = line.split(" ", 1)
        if not target.startswith("/SetTD.do?"):
            continue
        system = target.split("systemid=", 1)[1].split("&", 1)[0]
        number = target.split("&orderno=", 1)[1].split("&", 1)[0]
        seen.setdefault((system, number), int(micros) / 1e6)
    return seen


def slope_per_minute(samples):
    """The least-squares trend of (seconds, KiB) samples, in KiB a minute."""
    xs, ys = [s[0] for s in samples], [s[1] for s in samples]
    mean_x, mean_y = statistics.fmean(xs), statistics.fmean(ys)
    spread = sum((x - mean_x) ** 2 for x in xs)
    return 60 * sum((x - mean_x) * (y - mean_y) for x, y in zip(xs, ys)) / spread if spread else 0.0


def relay(run, count, seconds, new_every):
    """COUNT terminals (the first from Settings.dat, the others from Terminals.dat), systems 31 on."""
    systems = [str(31 + i) for i in range(count)]
    scene = Scene(run, f"terminals-{count}", others=[(system, "legacy") for system in systems[1:]],
                  first_system=systems[0])
    try:
        folders = [scene.terminal_folder] + [folder for _, folder in scene.others]
        books = [[Order(str(1000000 * (i + 1) + j), account=str(7000 + i)) for j in range(OPEN_ORDERS)]
                 for i in range(count)]
        for folder, book in zip(folders, books):
            folder.write_orders(book)
        scene.install.seed_installed(scene.terminal_folder)
        if count > 1:
            scene.install.list_terminals(scene.others)
        scene.start()
        scene.open_from_menu(1, "Korvane - Vantor Login")
        scene.log_in("desk@korvane.test", "desk-pass")
        scene.driver.window_shown(SYSTEMS)
        scene.driver.do("key", SYSTEMS, "SYS_CMBSYSTEM", ENTER)  # Desk 1, the first, for the first terminal
        wanted = {(system, order.number) for system, book in zip(systems, books) for order in book}
        wait_for(lambda: wanted <= first_arrivals(scene).keys(), 60, "every open order reported")
        time.sleep(2)

        pid = windows_process("KorvaneVantor.exe", scene.prefix.folder)
        server = windows_process("wineserver", scene.prefix.folder)
        relay_before, server_before = cpu_seconds(pid), cpu_seconds(server)
        memory = [(0.0, *memory_kib(pid))]
        written = {}  # (system, number) -> monotonic second of the write that carried it
        started = time.monotonic()
        step, next_new, next_sample, turn = 0, started + new_every, started + 10, 0
        while time.monotonic() - started < seconds:
            # The experts run apart: each writes at its own moment of the period.
            terminal = step % count
            for order in books[terminal]:
                order.pnl = f"{random.uniform(-500, 500):.2f}"
            now = time.monotonic()
            if terminal == turn and now >= next_new:
                order = Order(str(1000000 * (terminal + 1) + len(books[terminal])), account=str(7000 + terminal))
                books[terminal].append(order)
                folders[terminal].write_orders(books[terminal])
                written[(systems[terminal], order.number)] = time.monotonic()
                next_new, turn = now + new_every, (turn + 1) % count
            else:
                folders[terminal].write_orders(books[terminal])
            if now >= next_sample:
                memory.append((now - started, *memory_kib(pid)))
                next_sample += 10
            step += 1
            time.sleep(max(0.0, started + step * PERIOD / count - time.monotonic()))
        elapsed = time.monotonic() - started
        relay_cpu = 100 * (cpu_seconds(pid) - relay_before) / elapsed
        server_cpu = 100 * (cpu_seconds(server) - server_before) / elapsed
        time.sleep(2)
        arrivals = first_arrivals(scene)
        delays = {system: [] for system in systems}
        missing = 0
        for (system, number), when in written.items():
            if (system, number) in arrivals:
                delays[system].append((arrivals[(system, number)] - when) * 1000)
            else:
                missing += 1
        return relay_cpu, server_cpu, delays, memory, missing, step
    finally:
        scene.close()


def report(count, seconds, figures):
    relay_cpu, server_cpu, delays, memory, missing, writes = figures
    print(f"{count} terminal(s), each expert rewriting {OPEN_ORDERS} open orders every {PERIOD * 1000:.0f} ms, "
          f"{seconds:.0f} s ({writes} writes): relay CPU {relay_cpu:.2f}% of one core, wineserver {server_cpu:.2f}%")
    medians = []
    for system, values in delays.items():
        if values:
            medians.append(statistics.median(values))
            print(f"  trade system {system}: write to request over {len(values)} new orders: "
                  f"p50 {statistics.median(values):.1f} ms, p90 {percentile(values, 0.9):.1f} ms, "
                  f"max {max(values):.1f} ms")
    if medians:
        print(f"  worst terminal's p50 {max(medians):.1f} ms; new orders without a request: {missing}")
    resident = [m[1] for m in memory]
    anonymous = [(m[0], m[2]) for m in memory]
    print(f"  memory: resident {resident[0] / 1024:.1f} MB at the start, {max(resident) / 1024:.1f} MB at most, "
          f"{resident[-1] / 1024:.1f} MB at the end; the program's own (anonymous) "
          f"{anonymous[0][1] / 1024:.1f} / {max(a[1] for a in anonymous) / 1024:.1f} / {anonymous[-1][1] / 1024:.1f} MB, "
          f"trend {slope_per_minute(anonymous):+.0f} KiB a minute over {len(memory)} samples")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("mingw", type=pathlib.Path)
    parser.add_argument("native", type=pathlib.Path)
    parser.add_argument("--terminals", type=int, default=10)
    parser.add_argument("--seconds", type=float, default=300)
    parser.add_argument("--new-every", type=float, default=0.5, help="seconds between two new orders, in turn")
    parser.add_argument("--alone-seconds", type=float, default=60, help="the one-terminal run; 0 skips it")
    options = parser.parse_args()
    random.seed(20261207)
    root = pathlib.Path(tempfile.mkdtemp(prefix="kv-terminals-"))
    run = WineRun(options.mingw.resolve(), options.native.resolve(), root)
    try:
        report(options.terminals, options.seconds, relay(run, options.terminals, options.seconds, options.new_every))
        if options.alone_seconds > 0:
            report(1, options.alone_seconds, relay(run, 1, options.alone_seconds, options.new_every))
    finally:
        run.close()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
