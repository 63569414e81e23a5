#!/usr/bin/env python3
"""Whole-program flood benchmark: the Release varnak with its real window, a fresh
station folder that logs in by itself to a loopback node played by this script, and N
unique spots at each rate. Every spot carries a serial number in its comment, so a
relay reader and the list files saved at exit tell which spots were lost or mangled.

  bench/flood.py --varnak build-bench/varnak [--n N] [--rates 50,200,1000,5000,max]
                 [--ini View.Columns=1 ...] [--keep] [--profile DIR]

Runs on $DISPLAY when set, else on a private Xvfb it starts and stops. Prints a table;
exits 1 when any spot was lost or mangled, 2 when the run itself failed.
"""
import argparse
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

NODE_CALL = "Q9BENCH"
MY_CALL = "Q1ABC"
CLUSTER_NUMBER = 900
# Three bands, so band lists fill and trim as well as "All".
BANDS = [(7025.0, "40.dxc"), (14025.0, "20.dxc"), (21025.0, "15.dxc")]
CLK_TCK = os.sysconf("SC_CLK_TCK")
SERIAL = re.compile(r"#(\d{6}) ")


# Distinct DX calls before they repeat (0: never); a real feed hears the same stations
# again and again, and the Stations table keeps one row per station.
CALLS = 0


def dx_call(serial):
    if CALLS:
        serial %= CALLS
    letters = ""
    for _ in range(4):
        letters += chr(ord("A") + serial % 26)
        serial //= 26
    return "Q3" + letters


def spot_text(serial):
    khz, _ = BANDS[serial % len(BANDS)]
    # DX de Q2ABC:     14025.0  Q3BAAA       flood #000001                  2215Z
    return "DX de %-7s%11.1f  %-12.12s %-30.30s %s" % (
        "Q2ABC:", khz, dx_call(serial), "flood #%06d" % serial, "2215Z")


def spot_bytes(serial):
    return (spot_text(serial) + "\a\a\r\n").encode("ascii")


def cpu_ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_idle(pid, since, quiet=1.0, limit=120.0):
    """(time, ticks) from which the process used at most 2 clock ticks for `quiet` s."""
    samples = []
    first = 0  # the earliest sample that may still start the quiet stretch
    end = time.monotonic() + limit
    while time.monotonic() < end:
        samples.append((time.monotonic(), cpu_ticks(pid)))
        t, c = samples[-1]
        while first < len(samples) and t - samples[first][0] >= quiet:
            if samples[first][0] >= since and c - samples[first][1] <= 2:
                return samples[first]
            first += 1
        time.sleep(0.05)
    raise RuntimeError("varnak did not become idle within %.0f s" % limit)


class Node:
    """A DX Spider-like node for one client: the login, then spots on request."""

    def __init__(self):
        self.server = socket.socket()
        self.server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.server.bind(("127.0.0.1", 0))
        self.server.listen(1)
        self.port = self.server.getsockname()[1]
        self.client = None
        self.logged_in = threading.Event()

    def accept_and_login(self, timeout):
        self.server.settimeout(timeout)
        self.client, _ = self.server.accept()
        self.client.settimeout(timeout)
        self.client.sendall(b"login: ")
        got = b""
        while b"\n" not in got and b"\r" not in got:
            more = self.client.recv(4096)
            if not more:
                raise RuntimeError("varnak closed the node link during the login")
            got += more
        self.client.sendall(("Hello %s, this is %s in Nowhere\r\n%s de %s  8-Dec-2026 2150Z dxspider >\r\n"
                             % (MY_CALL, NODE_CALL, MY_CALL, NODE_CALL)).encode())
        self.client.settimeout(None)
        threading.Thread(target=self._drain, daemon=True).start()

    def _drain(self):
        try:
            while self.client.recv(65536):
                pass
        except OSError:
            pass

    def send_spots(self, n, rate):
        """Sends serials 1..n at rate spots a second (None: as fast as possible)."""
        if rate is None:
            self.client.sendall(b"".join(spot_bytes(i) for i in range(1, n + 1)))
            return
        start = time.monotonic()
        sent = 0
        while sent < n:
            due = min(n, int((time.monotonic() - start) * rate) + 1)
            if due > sent:
                self.client.sendall(b"".join(spot_bytes(i) for i in range(sent + 1, due + 1)))
                sent = due
            time.sleep(0.002)

    def close(self):
        for s in (self.client, self.server):
            if s:
                s.close()


class RelayReader(threading.Thread):
    """Reads everything the relay passes on; keeps the spot lines."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.port = port
        self.lines = []
        self.sock = None

    def connect(self, timeout):
        end = time.monotonic() + timeout
        while True:
            try:
                self.sock = socket.create_connection(("127.0.0.1", self.port), timeout=1)
                self.sock.settimeout(None)
                return
            except OSError:
                if time.monotonic() > end:
                    raise RuntimeError("the relay did not open port %d" % self.port)
                time.sleep(0.1)

    def run(self):
        buf = b""
        while True:
            try:
                more = self.sock.recv(1 << 16)
            except OSError:
                break
            if not more:
                break
            buf += more
            *whole, buf = buf.split(b"\r\n")
            self.lines.extend(line for line in whole if line.startswith(b"DX de "))

    def spot_count(self):
        return len(self.lines)


def clean(text):
    return text.replace("\a", "").rstrip()


def check_sequence(texts, serials_expected):
    """Spot texts of one list (oldest first) against the serials the list should end
    with. Returns (lost, mangled): serials missing from the newest run the list holds,
    and rows that are not exactly a sent spot."""
    mangled = 0
    found = []
    for t in texts:
        m = SERIAL.search(t)
        if not m or clean(t) != clean(spot_text(int(m.group(1)))):
            mangled += 1
            continue
        found.append(int(m.group(1)))
    if not serials_expected:
        return 0, mangled
    # The list keeps the newest rows: everything from its oldest kept serial on must be there.
    oldest = found[0] if found else serials_expected[-1] + 1
    wanted = [s for s in serials_expected if s >= oldest]
    have = set(found)
    lost = sum(1 for s in wanted if s not in have)
    lost += sum(1 for a, b in zip(found, found[1:]) if b <= a)  # out of order counts too
    return lost, mangled


def check_list_files(folder, n):
    lost = mangled = 0
    rows_seen = {}
    for name, serials in [("dx.dxc", list(range(1, n + 1)))] + [
            (f, [s for s in range(1, n + 1) if BANDS[s % len(BANDS)][1] == f]) for _, f in BANDS]:
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            raise RuntimeError("no %s after the exit" % name)
        with open(path, "rb") as f:
            rows = f.read().decode("latin-1").split("\r\n")
        texts = [r.rsplit(" | ", 1)[0] for r in rows if r.startswith("DX de ")]
        rows_seen[name] = len(texts)
        # A list holds at least its newest 900 (band) or 1900 (All) spots after trims.
        floor = min(len(serials), 1900 if name == "dx.dxc" else 900)
        if len(texts) < floor:
            lost += floor - len(texts)
        l, m = check_sequence(texts, serials)
        if texts and SERIAL.search(texts[-1]) and int(SERIAL.search(texts[-1]).group(1)) != serials[-1]:
            l += 1
        lost += l
        mangled += m
    return lost, mangled, rows_seen


def write_folder(folder, node_port, relay_port, extra_ini):
    ini = {
        "AGWlink": {"MyCall": MY_CALL, "MyLocator": "JO62QM", "ConnectCall": NODE_CALL,
                    "OutTelnetPort": str(relay_port), "Sound": "0"},
        "TelnetLink": {"Telnet": "1", "TelnetOut": "1" if relay_port else "0", "TelnetDbPos": str(CLUSTER_NUMBER)},
        "Misc": {"AutoConnect": "1", "ClearDx": "0", "Reconnect": "0"},
        "Position": {"Left": "0", "Top": "0", "Width": "850", "Height": "700", "Maximized": "0"},
    }
    for item in extra_ini:
        key, _, value = item.partition("=")
        section, _, name = key.partition(".")
        if not name or not _:
            raise SystemExit("--ini wants Section.Key=Value, not %r" % item)
        ini.setdefault(section, {})[name] = value
    with open(os.path.join(folder, "Varnak.ini"), "w", newline="") as f:
        for section, keys in ini.items():
            f.write("[%s]\r\n" % section)
            for k, v in keys.items():
                f.write("%s=%s\r\n" % (k, v))
            f.write("\r\n")
    with open(os.path.join(folder, "telnet.cfg"), "w", newline="") as f:
        f.write("No\tCall\tSoftware\tLocation\tHost\tPort\r\n")
        f.write("%d\t%s\tFlood bench\tThis computer\t127.0.0.1\t%d\r\n" % (CLUSTER_NUMBER, NODE_CALL, node_port))


def run_rate(args, rate, env):
    folder = tempfile.mkdtemp(prefix="varnak-flood-")
    node = Node()
    relay_port = 0 if args.no_relay else free_port()
    write_folder(folder, node.port, relay_port, args.ini)
    proc = subprocess.Popen([args.varnak, "--dir", folder], env=env, stdout=subprocess.DEVNULL,
                            stderr=open(os.path.join(folder, "stderr.txt"), "w"))
    result = {"rate": "max" if rate is None else str(rate)}
    try:
        node.accept_and_login(timeout=30)
        relay = RelayReader(relay_port)
        if relay_port:
            relay.connect(timeout=10)
            relay.start()
        t0, cpu0 = wait_idle(proc.pid, since=time.monotonic())
        rss0 = rss_kib(proc.pid)
        perf = None
        if args.profile:
            os.makedirs(args.profile, exist_ok=True)
            perf = subprocess.Popen(["perf", "record", "-q", "-F", "997", "--call-graph", os.environ.get("FLOOD_CALLGRAPH", "fp"), "-p", str(proc.pid), "-o",
                                     os.path.join(args.profile, "perf-%s.data" % result["rate"])])
            time.sleep(1)
        n = spots_for(args, rate)
        send_start = time.monotonic()
        node.send_spots(n, rate)
        last_byte = time.monotonic()
        t1, cpu1 = wait_idle(proc.pid, since=last_byte)
        if perf:
            perf.send_signal(signal.SIGINT)
            perf.wait()
        rss1 = rss_kib(proc.pid)
        end = time.monotonic() + 5
        while relay_port and relay.spot_count() < n and time.monotonic() < end:
            time.sleep(0.05)
        cpu_s = (cpu1 - cpu0) / CLK_TCK
        # Of one core, over the time the spots took to send and to settle.
        result.update(n=n, us_per_spot=cpu_s * 1e6 / n, cpu_pct=100.0 * cpu_s / max(1e-3, t1 - send_start),
                      rss0=rss0 / 1024, rss1=rss1 / 1024, idle_s=max(0.0, t1 - last_byte))
        relay_texts = [l.decode("latin-1") for l in relay.lines]
        lost, mangled = check_sequence(relay_texts, list(range(1, n + 1)))
        lost += n - len(set(SERIAL.search(t).group(1) for t in relay_texts if SERIAL.search(t)))
        if not relay_port:
            lost = mangled = 0  # not counted
        result.update(relay_lost=max(0, lost), relay_mangled=mangled)
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout=60)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
            raise RuntimeError("varnak did not end within 60 s of SIGTERM")
        flost, fmangled, rows = check_list_files(folder, n)
        result.update(files_lost=flost, files_mangled=fmangled, rows=rows)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        node.close()
        if args.keep:
            print("kept the station folder %s" % folder, file=sys.stderr)
        else:
            shutil.rmtree(folder, ignore_errors=True)
    return result


def spots_for(args, rate):
    """--n, else a minute's spots at a low rate (at most 20000)."""
    if args.n:
        return args.n
    return 20000 if rate is None else min(20000, max(1000, rate * 60))


def start_xvfb():
    for number in range(90, 200):
        if os.path.exists("/tmp/.X%d-lock" % number) or os.path.exists("/tmp/.X11-unix/X%d" % number):
            continue
        xvfb = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        end = time.monotonic() + 15
        while time.monotonic() < end and xvfb.poll() is None:
            if os.path.exists("/tmp/.X11-unix/X%d" % number):
                return xvfb, ":%d" % number
            time.sleep(0.1)
        if xvfb.poll() is None:
            xvfb.kill()
        xvfb.wait()
    raise SystemExit("no Xvfb could be started")


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--varnak", default="build-bench/varnak", help="the program (a Release build)")
    p.add_argument("--n", type=int, default=0, help="spots per rate (default: a minute's worth, at most 20000)")
    p.add_argument("--rates", default="200,1000,5000,max", help="spots a second, comma separated; max: a burst")
    p.add_argument("--ini", action="append", default=[], metavar="Section.Key=Value",
                   help="an extra setting for Varnak.ini (repeatable)")
    p.add_argument("--keep", action="store_true", help="keep the station folders")
    p.add_argument("--no-relay", action="store_true", help="no relay reader (its socket costs Varnak CPU too); "
                   "only the saved lists are checked")
    p.add_argument("--profile", metavar="DIR", help="record a perf profile of each rate's spots into DIR")
    p.add_argument("--calls", type=int, default=0, help="distinct DX calls before they repeat (default: never)")
    args = p.parse_args()
    global CALLS
    CALLS = args.calls
    rates = [None if r == "max" else int(r) for r in args.rates.split(",") if r]
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    xvfb = None
    if not env.get("DISPLAY"):
        xvfb, env["DISPLAY"] = start_xvfb()
    results = []
    try:
        for rate in rates:
            results.append(run_rate(args, rate, env))
            r = results[-1]
            print("  %s/s done: %.1f us/spot" % (r["rate"], r["us_per_spot"]), file=sys.stderr, flush=True)
    except (RuntimeError, OSError) as e:
        print("flood: %s" % e, file=sys.stderr)
        return 2
    finally:
        if xvfb:
            xvfb.terminate()
            xvfb.wait()
    print("display %s%s" % (env["DISPLAY"], " (private Xvfb)" if xvfb else ""))
    print("%-6s %6s %8s %6s %9s %9s %8s %6s %8s %6s %8s  %s" % ("rate", "spots", "us/spot", "CPU %", "RSS0 MiB",
                                                              "RSS1 MiB", "idle s", "relay", "", "files", "",
                                                              "rows saved"))
    print("%-6s %6s %8s %6s %9s %9s %8s %6s %8s %6s %8s" % ("", "", "", "", "", "", "", "lost", "mangled", "lost",
                                                          "mangled"))
    bad = False
    for r in results:
        print("%-6s %6d %8.1f %6.2f %9.1f %9.1f %8.2f %6d %8d %6d %8d  %s" % (
            r["rate"], r["n"], r["us_per_spot"], r["cpu_pct"], r["rss0"], r["rss1"], r["idle_s"], r["relay_lost"], r["relay_mangled"],
            r["files_lost"], r["files_mangled"], " ".join("%s=%d" % kv for kv in r["rows"].items())))
        bad |= any(r[k] for k in ("relay_lost", "relay_mangled", "files_lost", "files_mangled"))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
