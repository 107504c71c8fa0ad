"""Plays the MT4 expert for the demo: every few seconds it opens, modifies,
closes or deletes an order in systemorder.log, replacing the file whole.

    python3 order_feeder.py MT4_FILES_FOLDER [--every SECONDS] [--minutes N]
"""
import argparse
import datetime
import os
import pathlib
import random
import time

ACCOUNT = "5551001"
SYMBOLS = {"EURUSD": 1.1000, "GBPUSD": 1.2700, "USDJPY": 151.20, "XAUUSD": 2350.0}
MARKET = ("BUY", "SELL")
PENDING = ("BUYLIMIT", "SELLSTOP")
CLOSED_LINES_KEPT = 3  # steps a closed order stays in the log, as the expert shows recent history


class Order:
    def __init__(self, number, kind, symbol, price):
        self.number, self.kind, self.symbol = number, kind, symbol
        self.mark, self.stamp = "O", 1
        self.price = price
        self.stop_loss = round(price * (0.995 if kind in ("BUY", "BUYLIMIT") else 1.005), 4)
        self.take_profit = round(price * (1.01 if kind in ("BUY", "BUYLIMIT") else 0.99), 4)
        self.close_price, self.pnl = "0", "0"
        self.closed_steps = 0

    def line(self, date):
        return ";".join([date, "demo", ACCOUNT, str(self.number), f"{self.mark}{self.stamp}", self.kind,
                         self.symbol, "0.10", f"{self.price:g}", f"{self.stop_loss:g}", f"{self.take_profit:g}",
                         self.close_price, self.pnl, "1"])


class Expert:
    def __init__(self, folder, rng):
        self.log = pathlib.Path(folder) / "systemorder.log"
        self.rng = rng
        self.orders = []
        self.next_number = 81001

    def open_orders(self):
        return [o for o in self.orders if o.mark == "O"]

    def step(self):
        for order in self.orders:
            if order.mark == "X":
                order.closed_steps += 1
        self.orders = [o for o in self.orders if o.closed_steps <= CLOSED_LINES_KEPT]
        open_orders = self.open_orders()
        choice = "open" if len(open_orders) < 2 else self.rng.choice(["open", "modify", "modify", "close"])
        if choice == "open" and len(open_orders) >= 5:
            choice = "close"
        if choice == "open":
            symbol = self.rng.choice(list(SYMBOLS))
            kind = self.rng.choice(MARKET + MARKET + PENDING)
            order = Order(self.next_number, kind, symbol, SYMBOLS[symbol])
            self.next_number += 1
            self.orders.append(order)
            what = f"opened {order.kind} {order.symbol} #{order.number}"
        elif choice == "modify":
            order = self.rng.choice(open_orders)
            order.stamp += 1
            order.stop_loss = round(order.stop_loss * self.rng.uniform(0.999, 1.001), 4)
            what = f"moved the stop loss of #{order.number}"
        else:
            order = self.rng.choice(open_orders)
            order.mark, order.stamp = "X", order.stamp + 1
            if order.kind in MARKET:
                order.close_price = f"{order.price * self.rng.uniform(0.998, 1.002):.4f}"
                order.pnl = f"{self.rng.uniform(-25, 40):.2f}"
                what = f"closed #{order.number}"
            else:
                what = f"deleted pending #{order.number}"
        self.write()
        return what

    def write(self):
        date = datetime.date.today().strftime("%Y%m%d")
        text = "".join(order.line(date) + "\r\n" for order in self.orders)
        temporary = self.log.with_suffix(".tmp")
        temporary.write_bytes(text.encode("ascii"))
        os.replace(temporary, self.log)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folder", type=pathlib.Path)
    parser.add_argument("--every", type=float, default=5.0)
    parser.add_argument("--minutes", type=float, default=60.0)
    options = parser.parse_args()
    expert = Expert(options.folder, random.Random(4))
    expert.write()
    deadline = time.monotonic() + options.minutes * 60
    while time.monotonic() < deadline:
        time.sleep(options.every)
        print(f"[MT4] {expert.step()}", flush=True)


if __name__ == "__main__":
    main()
