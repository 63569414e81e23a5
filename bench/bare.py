#!/usr/bin/env python3
"""Beside the flood benchmark: bench/bare/bare_window.cpp, a bare Qt Widgets window that
only reads spot lines and shows each as a new row (no lookup, files or relay), fed the
flood's spots at the flood's rates on a private Xvfb. Prints its CPU per spot, read line
by line and read in paces, to set beside bench/flood.py's figures for Varnak.

  bench/bare.py --window build-bench/bench/bare/bare_window [--n N] [--rates 50,200,1000]
"""
import argparse
import os
import subprocess
import sys
import time

import flood


def run(program, paced, rate, n):
    env = dict(os.environ)
    xvfb, env["DISPLAY"] = flood.start_xvfb()
    node = flood.Node()
    proc = None
    try:
        proc = subprocess.Popen([program, str(node.port)] + (["--paced"] if paced else []), env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        node.server.settimeout(30)
        node.client, _ = node.server.accept()
        t0, c0 = flood.wait_idle(proc.pid, since=time.monotonic())
        node.send_spots(n, rate)
        t1, c1 = flood.wait_idle(proc.pid, since=time.monotonic())
        seconds = (c1 - c0) / flood.CLK_TCK
        return 1e6 * seconds / n, 100.0 * seconds / (n / rate)
    finally:
        if proc:
            proc.kill()
            proc.wait()
        node.close()
        xvfb.kill()
        xvfb.wait()


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--window", default="build-bench/bench/bare/bare_window", help="the bare window program")
    p.add_argument("--n", type=int, default=0, help="spots per rate (default: 30 s worth, at least 1500)")
    p.add_argument("--rates", default="50,200,1000", help="spots a second, comma separated")
    args = p.parse_args()
    print("rate    spots   read   us/spot  CPU %")
    for rate in (int(r) for r in args.rates.split(",")):
        n = args.n or max(1500, min(20000, 30 * rate))
        for paced in (False, True):
            us, cpu = run(args.window, paced, rate, n)
            print("%-7d %6d  %-6s %7.1f  %5.2f" % (rate, n, "paced" if paced else "each", us, cpu), flush=True)


if __name__ == "__main__":
    sys.exit(main())
